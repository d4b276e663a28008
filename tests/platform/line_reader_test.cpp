// The line reader: line ends of every kind, long lines in pieces through a
// fixed buffer, the bound on a line. (Waiting for a console that would
// block is tried on the real program.)

#include <gtest/gtest.h>

#include <unistd.h>

#include <string>

#include "platform/line_reader.hpp"

namespace qx::platform {
namespace {

// Every call's result until the input fails or ends, and one call more:
// "ab|" a line, "ab+" a piece that its line goes on from.
std::string read_all(FdLineReader& r) {
  std::string out;
  for (;;) {
    std::string_view line;
    const IoStatus st = r.next_line(line);
    if (st != IoStatus::ok) {
      out += st == IoStatus::eof ? "eof," : "error,";
      out += r.next_line(line) == IoStatus::eof ? "eof" : "error";
      return out;
    }
    out.append(line);
    out += r.line_goes_on() ? '+' : '|';
  }
}

TEST(FdLineReader, LineEndsPiecesAndTheBound) {
  const struct {
    const char* bytes;
    std::size_t piece;
    std::size_t max_line;
    const char* shown;
  } cases[] = {
      {"a\nb\n", 8, 100, "a|b|eof,eof"},
      {"a\r\nb", 8, 100, "a|b|eof,eof"},
      {"a\rb\r", 8, 100, "a|b|eof,eof"},
      {"a\r\r\nb", 8, 100, "a||b|eof,eof"},  // a line end, then an empty line
      {"\n\r\r\n\r", 8, 100, "||||eof,eof"},
      {"a\n\nb", 8, 100, "a||b|eof,eof"},
      {"", 8, 100, "eof,eof"},
      // a carriage return that ends the buffer: its line feed comes with the next
      {"abc\r\ndef\r\rgh", 4, 100, "abc|def||gh|eof,eof"},
      {"ab\r\nc", 3, 100, "ab|c|eof,eof"},
      // lines longer than the buffer
      {"abcdefghij\nk", 4, 100, "abcd+efgh+ij|k|eof,eof"},
      {"abcd\nef", 4, 100, "abcd+|ef|eof,eof"},
      {"abcdefgh", 4, 100, "abcd+efgh+|eof,eof"},
      {"abcd\r\nef", 4, 100, "abcd+|ef|eof,eof"},
      // the bound: a line of max_line bytes is read, one byte more is an error for good
      {"abcdefgh\nk", 4, 8, "abcd+efgh+|k|eof,eof"},
      {"abcdefghi\nk\n", 4, 8, "abcd+efgh+error,error"},
      {"abc\nabcdefghijkl", 4, 8, "abc|abcd+efgh+error,error"},
  };
  for (const auto& c : cases) {
    int fd[2];
    ASSERT_EQ(::pipe(fd), 0);
    const std::string_view bytes = c.bytes;
    ASSERT_EQ(::write(fd[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    ::close(fd[1]);
    FdLineReader r(fd[0], c.piece, c.max_line);
    EXPECT_EQ(read_all(r), c.shown) << c.bytes << " in pieces of " << c.piece;
    ::close(fd[0]);
  }
}

TEST(TakeLine, SameRulesInMemory) {
  std::string_view text = "a\r\nb\rc\r\r\nd\n\ne";
  std::string shown;
  while (!text.empty()) shown += std::string(take_line(text)) + "|";
  EXPECT_EQ(shown, "a|b|c||d||e|");
}

}  // namespace
}  // namespace qx::platform
