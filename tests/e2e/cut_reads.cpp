// Loaded into the real program with LD_PRELOAD: the reads of one file stop
// at a given byte with EIO, as a bad sector or a failing network share
// stops them. QX_CUT_FILE names the file, QX_CUT_AT the byte; the read that
// reaches the byte returns what lies before it, every later one fails. The
// file QX_CUT_SEEN is created once a read has failed: the test knows that
// the program's reads came this way (a runtime that defines read itself
// in the program, as a static sanitizer runtime does, wins over this one).

#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using ReadFn = ssize_t (*)(int, void*, size_t);

struct Cut {
  bool armed = false;
  dev_t dev = 0;
  ino_t ino = 0;
  off_t at = 0;
  const char* seen = nullptr;
};

const Cut& cut() {
  static const Cut c = [] {
    Cut r;
    const char* file = getenv("QX_CUT_FILE");
    const char* at = getenv("QX_CUT_AT");
    struct stat st;
    if (file == nullptr || at == nullptr || stat(file, &st) != 0) return r;
    r.armed = true;
    r.dev = st.st_dev;
    r.ino = st.st_ino;
    r.at = static_cast<off_t>(atoll(at));
    r.seen = getenv("QX_CUT_SEEN");
    return r;
  }();
  return c;
}

ssize_t cut_read(int fd, void* buf, size_t n) {
  static const ReadFn real = reinterpret_cast<ReadFn>(dlsym(RTLD_NEXT, "read"));
  const Cut& c = cut();
  struct stat st;
  if (c.armed && fstat(fd, &st) == 0 && st.st_dev == c.dev && st.st_ino == c.ino) {
    const off_t pos = lseek(fd, 0, SEEK_CUR);
    if (pos >= c.at) {
      if (c.seen != nullptr) {
        const int m = open(c.seen, O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        if (m >= 0) close(m);
      }
      errno = EIO;
      return -1;
    }
    if (pos >= 0 && static_cast<size_t>(c.at - pos) < n) n = static_cast<size_t>(c.at - pos);
  }
  return real(fd, buf, n);
}

}  // namespace

extern "C" {

ssize_t read(int fd, void* buf, size_t n) { return cut_read(fd, buf, n); }

ssize_t __read_chk(int fd, void* buf, size_t n, size_t) { return cut_read(fd, buf, n); }

}
