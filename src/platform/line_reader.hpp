#pragma once
// Splits the bytes of a file descriptor into lines, with a buffer that grows
// only as far as the longest line needs.

#include <string>
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

// The lines of bytes held in memory.
class BytesInput final : public InputFile {
 public:
  explicit BytesInput(std::string bytes) : bytes_(std::move(bytes)) {}
  IoStatus next_line(std::string_view& line) override {
    if (pos_ >= bytes_.size()) return IoStatus::eof;
    const std::string_view rest = std::string_view(bytes_).substr(pos_);
    const auto nl = rest.find('\n');
    line = strip_cr(rest.substr(0, nl));
    pos_ = nl == std::string_view::npos ? bytes_.size() : pos_ + nl + 1;
    return IoStatus::ok;
  }

 private:
  std::string bytes_;
  std::size_t pos_ = 0;
};

}  // namespace qx::platform
