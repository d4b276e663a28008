#include "platform/line_reader.hpp"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace qx::platform {

bool FdLineReader::fill() {
  if (at_end_ || failed_) return false;
  if (begin_ > 0) {  // keep the partial line at the front
    std::memmove(buf_.data(), buf_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  if (end_ == buf_.size()) buf_.resize(buf_.size() * 2);
  for (;;) {
    const ssize_t n = ::read(fd_, buf_.data() + end_, buf_.size() - end_);
    if (n > 0) {
      end_ += static_cast<std::size_t>(n);
      return true;
    }
    if (n == 0) {
      at_end_ = true;
      return false;
    }
    if (errno == EINTR) continue;
    failed_ = true;
    return false;
  }
}

IoStatus FdLineReader::next_line(std::string_view& line) {
  std::size_t scanned = begin_;
  for (;;) {
    const void* nl = std::memchr(buf_.data() + scanned, '\n', end_ - scanned);
    if (nl != nullptr) {
      const auto at = static_cast<std::size_t>(static_cast<const char*>(nl) - buf_.data());
      line = strip_cr(std::string_view(buf_.data() + begin_, at - begin_));
      begin_ = at + 1;
      return IoStatus::ok;
    }
    scanned = end_ - begin_;  // offset from the front after fill() moves it
    if (!fill()) break;
  }
  if (failed_ && begin_ == end_) return IoStatus::error;
  if (begin_ == end_) return IoStatus::eof;
  line = strip_cr(std::string_view(buf_.data() + begin_, end_ - begin_));
  begin_ = end_;
  return IoStatus::ok;
}

}  // namespace qx::platform
