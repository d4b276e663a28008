#include "platform/posix_console.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qx::platform {

namespace {

// Whether a write may wait for a reader: a pipe, a socket or a terminal.
bool reader_may_wait(int fd) {
  struct stat st;
  if (::fstat(fd, &st) != 0) return false;
  return S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode) || ::isatty(fd) == 1;
}

}  // namespace

PosixConsole::PosixConsole(int in_fd, int out_fd) : in_(in_fd) {
  out_.fd = out_fd;
  out_.data = buf_;
  out_.waits = reader_may_wait(out_fd);
  interrupt::track(&out_);
}

PosixConsole::~PosixConsole() {
  flush();
  interrupt::Block block;
  interrupt::untrack(&out_);
}

IoStatus PosixConsole::next_line(std::string_view& line) {
  if (ended_) return IoStatus::eof;
  flush();  // the user must see the question before we wait for the answer
  const IoStatus st = in_.next_line(line);
  goes_on_ = in_.line_goes_on();
  // A console that can't be read will not be read again: it has ended.
  if (st != IoStatus::ok) ended_ = true;
  return st;
}

void PosixConsole::write(std::string_view bytes) {
  while (!bytes.empty()) {
    if (used_ == kFlushAt) flush();
    const std::size_t n = std::min(bytes.size(), kFlushAt - used_);
    std::memcpy(buf_ + used_, bytes.data(), n);
    used_ += n;
    bytes.remove_prefix(n);
    // A line, most times: the handler may write it from now on.
    for (std::size_t end = used_; end > used_ - n; --end) {
      if (buf_[end - 1] != '\n') continue;
      out_.committed.store(end, std::memory_order_release);
      break;
    }
  }
  if (used_ == kFlushAt) flush();
}

void PosixConsole::flush() {
  if (used_ == 0) return;
  write_out(used_);
  interrupt::Block block;
  out_.committed.store(0, std::memory_order_relaxed);
  out_.written.store(0, std::memory_order_relaxed);
  used_ = 0;
}

// Writes out the first n bytes buffered. The handler writes on from what
// is counted as written: every write and its count happen with the signals
// held, and only a write that can't wait is made then. A file or a device
// that never waits takes the whole at once; a reader that may wait (a pipe,
// a terminal) is waited for with the signals open, and given whole lines in
// pieces a pipe takes whole or not at all.
void PosixConsole::write_out(std::size_t n) {
  const int fd = out_.fd;
  for (std::size_t done = out_.written.load(std::memory_order_relaxed); done < n;) {
    ssize_t k = -1;
    int err = EAGAIN;  // no room yet
    {
      interrupt::Block block;
      pollfd ready{fd, POLLOUT, 0};
      if (!out_.waits || ::poll(&ready, 1, 0) > 0) {
        k = ::write(fd, buf_ + done, out_.waits ? interrupt::whole_lines_piece(buf_ + done, n - done) : n - done);
        err = errno;
        if (k > 0) out_.written.store(done += static_cast<std::size_t>(k), std::memory_order_release);
      }
    }
    if (k > 0 || (k < 0 && err == EINTR)) continue;
    // A console that can't be written has no one to tell.
    if (k == 0 || (err != EAGAIN && err != EWOULDBLOCK)) return;
    // A terminal left non-blocking, or a reader that takes its time.
    pollfd ready{fd, POLLOUT, 0};
    if (::poll(&ready, 1, -1) < 0 && errno != EINTR) return;
  }
}

}  // namespace qx::platform
