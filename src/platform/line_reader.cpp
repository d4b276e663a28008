#include "platform/line_reader.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <unistd.h>

namespace qx::platform {

void FdLineReader::Next::shift(std::size_t by) {
  at = at != kNone && at >= by ? at - by : kNone;
  upto = upto >= by ? upto - by : 0;
}

bool FdLineReader::wait_readable() {
  pollfd p{fd_, POLLIN, 0};
  for (;;) {
    // Readable, hung up or failed: the next read tells which.
    if (::poll(&p, 1, -1) >= 0) return true;
    if (errno != EINTR) return false;
  }
}

bool FdLineReader::fill() {
  if (at_end_ || failed_) return false;
  if (begin_ > 0) {  // keep the partial line at the front
    std::memmove(buf_.data(), buf_.data() + begin_, end_ - begin_);
    lf_.shift(begin_);
    cr_.shift(begin_);
    end_ -= begin_;
    begin_ = 0;
  }
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
    // A descriptor left non-blocking by someone else: wait as a blocking one would.
    if ((errno == EAGAIN || errno == EWOULDBLOCK) && wait_readable()) continue;
    failed_ = true;
    return false;
  }
}

IoStatus FdLineReader::give(std::string_view& line, std::size_t from, std::size_t to, bool goes_on) {
  line_len_ = (goes_on_ ? line_len_ : 0) + (to - from);
  if (line_len_ > max_line_) {  // for good: what is left of the buffer is dropped
    failed_ = true;
    goes_on_ = false;
    begin_ = end_ = 0;
    lf_ = Next{'\n'};
    cr_ = Next{'\r'};
    return IoStatus::error;
  }
  line = std::string_view(buf_.data() + from, to - from);
  goes_on_ = goes_on;
  return IoStatus::ok;
}

IoStatus FdLineReader::next_line(std::string_view& line) {
  for (;;) {
    if (skip_lf_ && begin_ < end_) {
      skip_lf_ = false;
      if (buf_[begin_] == '\n') ++begin_;
    }
    const char* b = buf_.data();
    const std::size_t at = std::min(lf_.find(b, begin_, end_), cr_.find(b, begin_, end_));
    if (at != kNone) {
      const std::size_t from = begin_;
      begin_ = at + 1;
      // The byte after a carriage return may not have been typed yet: the
      // line ends now, and a line feed that follows is dropped when it comes.
      skip_lf_ = b[at] == '\r';
      if (goes_on_) return give(line, from, at, false);
      line = std::string_view(b + from, at - from);  // the usual line, whole in the buffer
      return IoStatus::ok;
    }
    if (begin_ == 0 && end_ == buf_.size()) {
      begin_ = end_;
      return give(line, 0, end_, true);
    }
    if (!fill()) {
      if (failed_) {  // the line it cut is lost with it: only the end of the file ends a line early
        begin_ = end_;
        goes_on_ = false;
        return IoStatus::error;
      }
      if (begin_ == end_ && !goes_on_) return IoStatus::eof;
      const std::size_t from = begin_;
      begin_ = end_;
      return give(line, from, end_, false);  // the last line, without its line end
    }
  }
}

long long FdLineReader::position() const {
  const off_t off = ::lseek(fd_, 0, SEEK_CUR);
  if (off < 0) return -1;
  long long pos = static_cast<long long>(off) - static_cast<long long>(end_ - begin_);
  if (skip_lf_) {  // a line feed still to come belongs to the line before
    char c = 0;
    if (begin_ < end_ ? buf_[begin_] == '\n' : ::pread(fd_, &c, 1, off) == 1 && c == '\n') ++pos;
  }
  return pos;
}

std::string_view take_line(std::string_view& text) {
  const std::size_t at = text.find_first_of("\r\n");
  const std::string_view line = text.substr(0, at);
  if (at == std::string_view::npos) {
    text = {};
    return line;
  }
  std::size_t next = at + 1;
  if (text[at] == '\r' && next < text.size() && text[next] == '\n') ++next;
  text.remove_prefix(next);
  return line;
}

}  // namespace qx::platform
