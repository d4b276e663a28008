#include "platform/posix_file_system.hpp"

#include <cerrno>
#include <cstring>
#include <memory>
#include <string.h>
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
  IoStatus next_line(std::string_view& line) override {
    const IoStatus st = reader_.next_line(line);
    goes_on_ = reader_.line_goes_on();
    return st;
  }

 private:
  FdLineReader reader_;
};

// Buffered output that never holds a partial line in its committed bytes, so
// that an interrupt can write out every complete line (see interrupt.hpp).
// When the disk refuses bytes, the file is cut back to its last complete
// line: what stays in it can be trusted.
class PosixOutputFile final : public OutputFile {
 public:
  // written: the bytes the file holds already, which a failed write keeps.
  explicit PosixOutputFile(int fd, std::size_t written = 0) : written_(written) {
    pending_.fd = fd;
    pending_.data = buf_;
    interrupt::track(&pending_);
  }
  ~PosixOutputFile() override { close(); }

  bool write_line(std::string_view line) override {
    if (pending_.fd < 0 || failed_) return false;
    const std::size_t need = line.size() + 1;
    if (pending_.committed.load(std::memory_order_relaxed) + need > sizeof buf_) {
      if (!flush()) return false;
      if (need > sizeof buf_) return write_through(line);
    }
    const std::size_t at = pending_.committed.load(std::memory_order_relaxed);
    std::memcpy(buf_ + at, line.data(), line.size());
    buf_[at + line.size()] = '\n';
    pending_.committed.store(at + need, std::memory_order_release);
    return true;
  }

  bool flush() override {
    if (pending_.fd < 0 || failed_) return !failed_;
    const std::size_t n = pending_.committed.load(std::memory_order_relaxed);
    if (n == 0) return true;  // at every console read: nothing to write most times
    interrupt::Block block;
    const std::size_t done = write_all(buf_, n);
    pending_.committed.store(0, std::memory_order_release);
    if (done == n) {
      written_ += n;
      return true;
    }
    const auto* nl = static_cast<const char*>(memrchr(buf_, '\n', done));
    cut_back(written_ + (nl != nullptr ? static_cast<std::size_t>(nl - buf_) + 1 : 0));
    return false;
  }

  bool close() override {
    if (pending_.fd < 0) return !failed_;
    // A handler must neither write to the descriptor once it is closed (its
    // number may name another file by then) nor read the freed buffer.
    interrupt::Block block;
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
  // A line longer than the buffer goes straight to the file.
  bool write_through(std::string_view line) {
    interrupt::Block block;
    if (write_all(line.data(), line.size()) != line.size() || write_all("\n", 1) != 1) {
      cut_back(written_);
      return false;
    }
    written_ += line.size() + 1;
    return true;
  }

  // Writes what it can; the number of bytes written, failed_ set when short.
  std::size_t write_all(const char* p, std::size_t n) {
    std::size_t done = 0;
    while (done < n) {
      const ssize_t k = ::write(pending_.fd, p + done, n - done);
      if (k < 0 && errno == EINTR) continue;
      if (k <= 0) {
        errno_ = k < 0 ? errno : ENOSPC;
        failed_ = true;
        break;
      }
      done += static_cast<std::size_t>(k);
    }
    return done;
  }

  void cut_back(std::size_t size) {
    if (::ftruncate(pending_.fd, static_cast<off_t>(size)) == 0) written_ = size;
  }

  interrupt::Pending pending_;
  char buf_[1 << 16];
  std::size_t written_ = 0;  // bytes in the file: complete lines only
  bool failed_ = false;
  int errno_ = 0;
};

class PosixUpdateFile final : public UpdateFile {
 public:
  PosixUpdateFile(int fd, bool writable) : reader_(fd), writable_(writable) {}
  ~PosixUpdateFile() override {
    if (writer_) {
      writer_->close();
    } else {
      ::close(reader_.fd());
    }
  }

  IoStatus next_line(std::string_view& line) override {
    if (writer_) return IoStatus::eof;  // written from here: nothing follows
    const IoStatus st = reader_.next_line(line);
    goes_on_ = reader_.line_goes_on();
    return st;
  }

  bool writable() const override { return writable_; }

  bool write_line(std::string_view line) override {
    if (!writer_ && !start_writing()) return false;
    return writer_->write_line(line);
  }
  bool flush() override { return writer_ ? writer_->flush() : errno_ == 0; }
  bool close() override { return writer_ ? writer_->close() : errno_ == 0; }
  std::string error_text() const override { return writer_ ? writer_->error_text() : std::strerror(errno_); }

 private:
  // The file ends where reading stopped: what was not read yet goes.
  bool start_writing() {
    if (errno_ != 0) return false;
    if (!writable_) {
      errno_ = EBADF;
      return false;
    }
    const int fd = reader_.fd();
    const long long at = reader_.position();
    if (at < 0 || ::ftruncate(fd, static_cast<off_t>(at)) != 0 || ::lseek(fd, static_cast<off_t>(at), SEEK_SET) < 0) {
      errno_ = errno;
      return false;
    }
    writer_ = std::make_unique<PosixOutputFile>(fd, static_cast<std::size_t>(at));
    return true;
  }

  FdLineReader reader_;
  bool writable_;
  std::unique_ptr<PosixOutputFile> writer_;  // owns the descriptor once it exists
  int errno_ = 0;
};

// A name with a NUL byte would reach the system cut short and open another file.
bool unnamable(const std::string& name, std::string& why) {
  if (name.find('\0') == std::string::npos) return false;
  why = std::strerror(EINVAL);
  return true;
}

// A descriptor opened without waiting, made to wait again for its reads. A
// folder opens on this system, but holds no lines: it is closed, with why.
bool lines_from(int fd, std::string& why) {
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  struct stat st;
  const int err = ::fstat(fd, &st) != 0 ? errno : S_ISDIR(st.st_mode) ? EISDIR : 0;
  if (err == 0) return true;
  why = std::strerror(err);
  ::close(fd);
  return false;
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
  // Without O_NONBLOCK a named pipe with no writer would hold the open for ever.
  int flags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  if (create_if_missing) flags |= O_CREAT;
  const int fd = ::openat(dir_fd_, name.c_str(), flags, 0666);
  if (fd < 0) {
    why = std::strerror(errno);
    return nullptr;
  }
  if (!lines_from(fd, why)) return nullptr;
  return std::make_unique<PosixInputFile>(fd);
}

std::unique_ptr<UpdateFile> PosixFileSystem::open_update(const std::string& name, std::string& why) {
  if (unnamable(name, why)) return nullptr;
  // Only a plain file is written: a named pipe or a device opened for writing
  // as well as reading would be read from by its own writer.
  struct stat st;
  const bool plain = ::fstatat(dir_fd_, name.c_str(), &st, 0) != 0 ? errno == ENOENT : S_ISREG(st.st_mode);
  const int common = O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  int fd = plain ? ::openat(dir_fd_, name.c_str(), O_RDWR | common, 0666) : -1;
  const bool writable = fd >= 0;
  // A file of someone else's may be read without being written.
  if (fd < 0 && (!plain || errno == EACCES || errno == EROFS || errno == ETXTBSY)) {
    fd = ::openat(dir_fd_, name.c_str(), O_RDONLY | common, 0666);
  }
  if (fd < 0) {
    why = std::strerror(errno);
    return nullptr;
  }
  if (!lines_from(fd, why)) return nullptr;
  return std::make_unique<PosixUpdateFile>(fd, writable);
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
