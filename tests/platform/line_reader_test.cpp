// The line reader: line ends of every kind, long lines in pieces through a
// fixed buffer, the bound on a line, and a descriptor that makes it wait.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <future>
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

struct Pipe {
  int fd[2] = {-1, -1};
  Pipe() { EXPECT_EQ(::pipe(fd), 0); }
  ~Pipe() {
    for (int f : fd)
      if (f >= 0) ::close(f);
  }
  void put(std::string_view s) const { ASSERT_EQ(::write(fd[1], s.data(), s.size()), static_cast<ssize_t>(s.size())); }
  void close_writer() {
    ::close(fd[1]);
    fd[1] = -1;
  }
};

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
    Pipe p;
    p.put(c.bytes);
    p.close_writer();
    FdLineReader r(p.fd[0], c.piece, c.max_line);
    EXPECT_EQ(read_all(r), c.shown) << c.bytes << " in pieces of " << c.piece;
  }
}

// What the reader does when nothing more can be read yet; a hang guard
// writes the awaited byte, so that a failure never hangs the suite.
std::string next_within(FdLineReader& r, const Pipe& p, std::string_view late) {
  auto line = std::async(std::launch::async, [&r] {
    std::string_view l;
    const IoStatus st = r.next_line(l);
    return st == IoStatus::ok ? std::string(l) : std::string("<not ok>");
  });
  if (!late.empty()) p.put(late);
  if (line.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
    p.put("\n");
    ADD_FAILURE() << "the reader waited for a byte it did not need";
  }
  return line.get();
}

TEST(FdLineReader, ACarriageReturnEndsTheLineWithoutWaitingForTheNextByte) {
  Pipe p;
  p.put("typed\r");
  FdLineReader r(p.fd[0]);
  EXPECT_EQ(next_within(r, p, ""), "typed");
  EXPECT_EQ(next_within(r, p, "\nnext\n"), "next");  // the line feed belonged to the first line end
}

TEST(FdLineReader, ANonBlockingDescriptorIsWaitedFor) {
  Pipe p;
  ASSERT_EQ(::fcntl(p.fd[0], F_SETFL, O_NONBLOCK), 0);
  FdLineReader r(p.fd[0]);
  EXPECT_EQ(next_within(r, p, "late\n"), "late");
  p.put("half ");  // the rest of the line comes later
  EXPECT_EQ(next_within(r, p, "a line\n"), "half a line");
}

TEST(TakeLine, SameRulesInMemory) {
  std::string_view text = "a\r\nb\rc\r\r\nd\n\ne";
  std::string shown;
  while (!text.empty()) shown += std::string(take_line(text)) + "|";
  EXPECT_EQ(shown, "a|b|c||d||e|");
}

}  // namespace
}  // namespace qx::platform
