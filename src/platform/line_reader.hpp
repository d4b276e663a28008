#pragma once
// Splits the bytes of a file descriptor into lines through a fixed buffer:
// a line longer than the buffer is handed out in pieces, so memory stays
// the same whatever the input.

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/io.hpp"

namespace qx::platform {

class FdLineReader {
 public:
  static constexpr std::size_t kPiece = std::size_t{1} << 16;
  // Nobody writes a line that long: it is a stream without line ends
  // (/dev/zero, a disk image), and reading it to the end would never finish.
  static constexpr std::size_t kMaxLine = std::size_t{1} << 28;

  // max_line is at least piece: a line whole in the buffer is never too long.
  explicit FdLineReader(int fd, std::size_t piece = kPiece, std::size_t max_line = kMaxLine)
      : fd_(fd), max_line_(max_line), buf_(piece) {}

  // The next line, or the next piece of a long one (see LineSource). A read
  // that would block waits until the descriptor is readable; an interrupted
  // one is made again. An OS error, and a line longer than max_line, are
  // read errors, and every later call repeats them; the part of a line
  // that an OS error cuts off is never handed out.
  IoStatus next_line(std::string_view& line);
  bool line_goes_on() const { return goes_on_; }
  int fd() const { return fd_; }
  // Where the next line begins in the file, for a file written from there
  // on; -1 when the descriptor has no position.
  long long position() const;

 private:
  // Where one byte next stands, remembered so that no byte is searched twice
  // (a file of carriage returns alone would otherwise be searched for line
  // feeds from each line to the end of the buffer).
  struct Next {
    char c;
    std::size_t at = kNone;  // its position, or kNone when none in [.., upto)
    std::size_t upto = 0;    // bytes before this were searched
    std::size_t find(const char* buf, std::size_t from, std::size_t end) {
      if (at == kNone ? upto >= end : at >= from) return at;
      const std::size_t s = from > upto ? from : upto;
      const void* p = std::memchr(buf + s, c, end - s);
      at = p != nullptr ? static_cast<std::size_t>(static_cast<const char*>(p) - buf) : kNone;
      upto = p != nullptr ? at + 1 : end;
      return at;
    }
    void shift(std::size_t by);
  };
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  bool fill();  // false at the end of the input or on an error
  bool wait_readable();
  IoStatus give(std::string_view& line, std::size_t from, std::size_t to, bool goes_on);

  int fd_;
  std::size_t max_line_;
  std::vector<char> buf_;
  std::size_t begin_ = 0;  // first unread byte
  std::size_t end_ = 0;    // one past the last byte read
  std::size_t line_len_ = 0;  // bytes of the current line handed out so far
  Next lf_{'\n'};
  Next cr_{'\r'};
  bool goes_on_ = false;
  bool skip_lf_ = false;  // a line ended by a carriage return: a line feed next belongs to it
  bool at_end_ = false;
  bool failed_ = false;
};

// Takes the next line off text held whole in memory, by the same rules: a
// line feed, a carriage return, or both in that order end a line; the last
// line may lack its line end.
std::string_view take_line(std::string_view& text);

// The lines of bytes held in memory.
class BytesInput final : public InputFile {
 public:
  explicit BytesInput(std::string bytes) : bytes_(std::move(bytes)) {}
  IoStatus next_line(std::string_view& line) override {
    if (pos_ >= bytes_.size()) return IoStatus::eof;
    std::string_view rest = std::string_view(bytes_).substr(pos_);
    line = take_line(rest);
    pos_ = bytes_.size() - rest.size();
    return IoStatus::ok;
  }

 private:
  std::string bytes_;
  std::size_t pos_ = 0;
};

}  // namespace qx::platform
