// The line reader: line ends of every kind, long lines in pieces through a
// fixed buffer, the bound on a line, a read error in the middle of a line.
// (Waiting for a console that would block is tried on the real program.)

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "platform/line_reader.hpp"
#include "platform/posix_console.hpp"

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

// A descriptor whose reads give bytes and then fail with EIO, as a bad
// sector does: the bytes end a page of memory whose next page lies past the
// end of the file it maps, and are read through /proc/self/mem.
class FailsAfter {
 public:
  explicit FailsAfter(std::string_view bytes) {
    const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    if (bytes.size() > page) return;
    const int m = ::memfd_create("fails_after", MFD_CLOEXEC);
    if (m < 0) return;
    if (::ftruncate(m, static_cast<off_t>(page)) == 0) {
      void* p = ::mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_SHARED, m, 0);
      if (p != MAP_FAILED) map_ = static_cast<char*>(p);
    }
    ::close(m);
    if (map_ == nullptr) return;
    size_ = 2 * page;
    char* at = map_ + page - bytes.size();
    std::memcpy(at, bytes.data(), bytes.size());
    fd_ = ::open("/proc/self/mem", O_RDONLY | O_CLOEXEC);
    if (fd_ >= 0 && ::lseek(fd_, static_cast<off_t>(reinterpret_cast<std::uintptr_t>(at)), SEEK_SET) < 0) {
      ::close(fd_);
      fd_ = -1;
    }
  }
  ~FailsAfter() {
    if (fd_ >= 0) ::close(fd_);
    if (map_ != nullptr) ::munmap(map_, size_);
  }
  int fd() const { return fd_; }

 private:
  char* map_ = nullptr;
  std::size_t size_ = 0;
  int fd_ = -1;
};

// Only the end of the file ends a line without its line end: what a read
// error cuts off is never handed out, neither a line nor the last piece of
// a long one.
TEST(FdLineReader, AReadErrorCutsNoLineShort) {
  const struct {
    const char* bytes;
    std::size_t piece;
    const char* shown;
  } cases[] = {
      {"", 8, "error,error"},
      {"a\n", 8, "a|error,error"},
      {"a\nb", 8, "a|error,error"},
      {"a\r\nbc", 8, "a|error,error"},
      {"a\r", 8, "a|error,error"},
      {"16 90 50 12", 64, "error,error"},
      // long lines: cut at a piece boundary, and within the last piece
      {"abcdefgh", 4, "abcd+efgh+error,error"},
      {"abcdefghij", 4, "abcd+efgh+error,error"},
      {"abcd\nef", 4, "abcd+|error,error"},
      {"ab\ncdefgh", 4, "ab|cdef+error,error"},
  };
  for (const auto& c : cases) {
    FailsAfter in(c.bytes);
    if (in.fd() < 0) GTEST_SKIP() << "no memory to read through /proc/self/mem here";
    FdLineReader r(in.fd(), c.piece);
    EXPECT_EQ(read_all(r), c.shown) << c.bytes << " in pieces of " << c.piece;
  }
}

// The console reads through the same reader: a read error is the reader's
// once, the line it cut is no answer, and then the console has ended.
TEST(PosixConsole, AReadErrorInTheMiddleOfALineEndsItWithoutTheLine) {
  FailsAfter in("typed\r\n2");
  if (in.fd() < 0) GTEST_SKIP() << "no memory to read through /proc/self/mem here";
  PosixConsole console(in.fd(), -1);
  std::string_view line;
  ASSERT_EQ(console.next_line(line), IoStatus::ok);
  EXPECT_EQ(line, "typed");
  EXPECT_EQ(console.next_line(line), IoStatus::error);
  EXPECT_TRUE(console.input_ended());
  EXPECT_EQ(console.next_line(line), IoStatus::eof);
}

TEST(TakeLine, SameRulesInMemory) {
  std::string_view text = "a\r\nb\rc\r\r\nd\n\ne";
  std::string shown;
  while (!text.empty()) shown += std::string(take_line(text)) + "|";
  EXPECT_EQ(shown, "a|b|c||d||e|");
}

}  // namespace
}  // namespace qx::platform
