#include "platform/posix_console.hpp"

#include <cerrno>
#include <poll.h>
#include <unistd.h>

namespace qx::platform {

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
  out_.append(bytes);
  if (out_.size() >= kFlushAt) flush();
}

void PosixConsole::flush() {
  std::size_t done = 0;
  while (done < out_.size()) {
    const ssize_t n = ::write(out_fd_, out_.data() + done, out_.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      // A terminal left non-blocking: wait for room as a blocking one would.
      pollfd p{out_fd_, POLLOUT, 0};
      if (::poll(&p, 1, -1) >= 0 || errno == EINTR) continue;
    }
    if (n <= 0) break;  // a console that can't be written has no one to tell
    done += static_cast<std::size_t>(n);
  }
  out_.clear();
}

}  // namespace qx::platform
