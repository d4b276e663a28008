#pragma once
// Splits the bytes of a file descriptor into lines, with a buffer that grows
// only as far as the longest line needs.

#include <string_view>
#include <vector>

#include "platform/io.hpp"

namespace qx::platform {

class FdLineReader {
 public:
  explicit FdLineReader(int fd) : fd_(fd), buf_(1 << 16) {}
  // Reads are retried on EINTR; an OS error is a read error, which repeats.
  IoStatus next_line(std::string_view& line);
  int fd() const { return fd_; }

 private:
  bool fill();  // false at the end of the input or on an error
  int fd_;
  std::vector<char> buf_;
  std::size_t begin_ = 0;  // first unread byte
  std::size_t end_ = 0;    // one past the last byte read
  bool at_end_ = false;
  bool failed_ = false;
};

// Drops the carriage return of a CR LF line end (and of a last line).
inline std::string_view strip_cr(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

}  // namespace qx::platform
