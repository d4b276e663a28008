#include "platform/posix_file_system.hpp"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/interrupt.hpp"
#include "platform/line_reader.hpp"

namespace qx::platform {

namespace {

class PosixInputFile final : public InputFile {
 public:
  explicit PosixInputFile(int fd) : reader_(fd) {}
  ~PosixInputFile() override { ::close(reader_.fd()); }
  IoStatus next_line(std::string_view& line) override { return reader_.next_line(line); }

 private:
  FdLineReader reader_;
};

// Buffered output that never holds a partial line in its committed bytes, so
// that an interrupt can write out every complete line (see interrupt.hpp).
class PosixOutputFile final : public OutputFile {
 public:
  explicit PosixOutputFile(int fd) {
    pending_.fd = fd;
    pending_.data = buf_;
    interrupt::track(&pending_);
  }
  ~PosixOutputFile() override { close(); }

  bool write(std::string_view bytes) override {
    if (pending_.fd < 0 || failed_) return false;
    const std::size_t used = pending_.committed.load(std::memory_order_relaxed);
    if (used + bytes.size() > sizeof buf_) {
      if (!flush()) return false;
      if (bytes.size() > sizeof buf_) return write_through(bytes);
    }
    const std::size_t at = pending_.committed.load(std::memory_order_relaxed);
    std::memcpy(buf_ + at, bytes.data(), bytes.size());
    pending_.committed.store(at + bytes.size(), std::memory_order_release);
    return true;
  }

  bool flush() override {
    if (pending_.fd < 0 || failed_) return !failed_;
    interrupt::Block block;
    const bool ok = write_all(buf_, pending_.committed.load(std::memory_order_relaxed));
    pending_.committed.store(0, std::memory_order_release);
    return ok;
  }

  bool close() override {
    if (pending_.fd < 0) return !failed_;
    bool ok = flush();
    interrupt::untrack(&pending_);
    if (::close(pending_.fd) != 0 && ok) {
      errno_ = errno;
      failed_ = true;
      ok = false;
    }
    pending_.fd = -1;
    return ok && !failed_;
  }

  std::string error_text() const override { return errno_ != 0 ? std::strerror(errno_) : "write failed"; }

 private:
  bool write_through(std::string_view bytes) {
    interrupt::Block block;
    return write_all(bytes.data(), bytes.size());
  }

  bool write_all(const char* p, std::size_t n) {
    while (n > 0) {
      const ssize_t k = ::write(pending_.fd, p, n);
      if (k < 0 && errno == EINTR) continue;
      if (k <= 0) {
        errno_ = k < 0 ? errno : ENOSPC;
        failed_ = true;
        return false;
      }
      p += k;
      n -= static_cast<std::size_t>(k);
    }
    return true;
  }

  interrupt::Pending pending_;
  char buf_[1 << 16];
  bool failed_ = false;
  int errno_ = 0;
};

// A name with a NUL byte would reach the system cut short and open another file.
bool unnamable(const std::string& name, std::string& why) {
  if (name.find('\0') == std::string::npos) return false;
  why = std::strerror(EINVAL);
  return true;
}

}  // namespace

PosixFileSystem::PosixFileSystem(const std::string& folder)
    : dir_fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}

PosixFileSystem::~PosixFileSystem() {
  if (dir_fd_ >= 0) ::close(dir_fd_);
}

std::unique_ptr<InputFile> PosixFileSystem::open_input(const std::string& name, bool create_if_missing,
                                                       std::string& why) {
  if (unnamable(name, why)) return nullptr;
  int flags = O_RDONLY | O_CLOEXEC | O_NOCTTY;
  if (create_if_missing) flags |= O_CREAT;
  const int fd = ::openat(dir_fd_, name.c_str(), flags, 0666);
  if (fd < 0) {
    why = std::strerror(errno);
    return nullptr;
  }
  struct stat st;
  const int err = ::fstat(fd, &st) != 0 ? errno : S_ISDIR(st.st_mode) ? EISDIR : 0;
  if (err != 0) {  // a folder opens on this system, but holds no lines
    why = std::strerror(err);
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<PosixInputFile>(fd);
}

std::unique_ptr<OutputFile> PosixFileSystem::create_output(const std::string& name, std::string& why) {
  if (unnamable(name, why)) return nullptr;
  const int fd = ::openat(dir_fd_, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
  if (fd < 0) {
    why = std::strerror(errno);
    return nullptr;
  }
  return std::make_unique<PosixOutputFile>(fd);
}

}  // namespace qx::platform
