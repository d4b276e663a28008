// Numbered units: opening statuses, line reads into fixed-length texts, the
// console's flush and end, and write failures that stop the run.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/posix_console.hpp"
#include "platform/stop.hpp"
#include "platform/units.hpp"
#include "testkit/test_session.hpp"

namespace qx::platform {
namespace {

using testkit::TestSession;

TEST(UnitsOpen, Statuses) {
  const struct {
    const char* before;  // the file's bytes; nullptr: missing; "/": a folder
    const char* status;
    bool opens;
  } cases[] = {
      {nullptr, "old", false},  {"kept\n", "old", true},  {"/", "old", false},
      {nullptr, "new", true},   {"kept\n", "new", false}, {"/", "new", false},
      {nullptr, "unknown", true}, {"kept\n", "unknown", true}, {"/", "unknown", false},
      {nullptr, "scratch", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.before ? c.before : "missing") + " " + c.status);
    TestSession ts;
    const bool folder = c.before && std::string_view(c.before) == "/";
    if (folder) std::filesystem::create_directory(ts.dir.path() / "f.txt");
    else if (c.before) ts.dir.write("f.txt", c.before);
    EXPECT_EQ(ts.units.open(25, "f.txt", c.status), c.opens);
    EXPECT_EQ(ts.units.last_open_error().empty(), c.opens);
    EXPECT_EQ(ts.units.is_open(25), c.opens);
    Text<4> t;
    if (c.opens && c.before) {
      EXPECT_EQ(ts.units.read_line(25, t.span()), IoStatus::ok);
    }
    EXPECT_EQ(t.sv(), c.opens && c.before ? "kept" : "    ");
    ts.units.write_line(25, "written");  // lands only in a new file
    EXPECT_TRUE(ts.units.close_all());
    EXPECT_EQ(ts.take(), "");
    if (folder) continue;
    if (c.before) {
      EXPECT_EQ(ts.dir.read("f.txt"), c.before);
    } else if (c.opens) {
      EXPECT_EQ(ts.dir.read("f.txt"), std::string(c.status) == "new" ? "written\n" : "");
    } else {
      EXPECT_FALSE(ts.dir.exists("f.txt"));
    }
  }
}

TEST(UnitsOpen, BlanksEndingTheNameAreDroppedAndAConnectedUnitIsClosedFirst) {
  TestSession ts;
  ASSERT_TRUE(ts.units.open(26, "a.txt      ", "new"));
  ts.units.write_line(26, "to a");
  ASSERT_TRUE(ts.units.open(26, "b.txt", "new"));
  EXPECT_EQ(ts.dir.read("a.txt"), "to a\n");
  ts.units.write_line(26, "to b");
  ts.units.close(26);
  EXPECT_FALSE(ts.units.is_open(26));
  EXPECT_EQ(ts.dir.read("b.txt"), "to b\n");
}

TEST(UnitsReadLine, KeepsTheFirstCharactersAndPadsWithBlanks) {
  TestSession ts;
  ts.dir.write("in.txt", "ab\nabcdefg\n\nab\r\n a\tb \r\na\rb\nlast");
  ASSERT_TRUE(ts.units.open(25, "in.txt", "unknown"));
  for (const char* e : {"ab   ", "abcde", "     ", "ab   ", " a\tb ", "a\rb  ", "last "}) {
    Text<5> t("xxxxx");
    EXPECT_EQ(ts.units.read_line(25, t.span()), IoStatus::ok);
    EXPECT_EQ(t.sv(), e);
  }
  Text<5> t;
  EXPECT_EQ(ts.units.read_line(25, t.span()), IoStatus::eof);
  EXPECT_EQ(ts.units.read_line(25, t.span()), IoStatus::eof);
  // No unit, or one opened for writing, gives a read error.
  EXPECT_EQ(ts.units.read_line(40, t.span()), IoStatus::error);
  int v = 0;
  EXPECT_EQ(ts.units.read_list(40, {&v}), IoStatus::error);
  ASSERT_TRUE(ts.units.open(26, "out.txt", "new"));
  EXPECT_EQ(ts.units.read_line(26, t.span()), IoStatus::error);
}

TEST(Units, AMegabyteLineIsReadAndWrittenWhole) {
  TestSession ts;
  const std::size_t n = 1 << 20;
  std::string big(n, 'x');
  big.back() = 'y';
  ts.dir.write("big.txt", "a\n" + big + "\r\nb\n" + big + "\nc\n");
  ASSERT_TRUE(ts.units.open(25, "big.txt", "old"));
  Text<1> one;
  EXPECT_EQ(ts.units.read_line(25, one.span()), IoStatus::ok);
  std::vector<char> buf(n + 3, '?');
  EXPECT_EQ(ts.units.read_line(25, MutText(buf)), IoStatus::ok);
  EXPECT_EQ(std::string(buf.begin(), buf.end()), big + "   ");
  EXPECT_EQ(ts.units.read_line(25, one.span()), IoStatus::ok);
  EXPECT_EQ(one.sv(), "b");
  Text<4> four;  // the rest of the long line goes with it
  EXPECT_EQ(ts.units.read_line(25, four.span()), IoStatus::ok);
  EXPECT_EQ(four.sv(), "xxxx");
  EXPECT_EQ(ts.units.read_line(25, one.span()), IoStatus::ok);
  EXPECT_EQ(one.sv(), "c");

  ASSERT_TRUE(ts.units.open(26, "out.txt", "new"));
  for (const std::string& line : {std::string("a"), big, std::string(""), std::string(" b\t")}) {
    ts.units.write_line(26, line);
  }
  ts.units.close(26);
  EXPECT_EQ(ts.dir.read("out.txt"), "a\n" + big + "\n\n b\t\n");
}

TEST(UnitsConsole, ReadsLinesUntilAnEndThatIsFinal) {
  TestSession ts("first\n\nthird\r\n");
  ts.console.fail_next_read();
  ts.console.type("after\n");
  Text<6> t;
  for (const char* e : {"first ", "      ", "third "}) {
    EXPECT_EQ(ts.units.read_line(5, t.span()), IoStatus::ok);
    EXPECT_EQ(t.sv(), e);
  }
  EXPECT_EQ(ts.units.read_line(5, t.span()), IoStatus::error);  // and the next read goes on
  EXPECT_FALSE(ts.units.console_ended());
  EXPECT_EQ(ts.units.read_line(5, t.span()), IoStatus::ok);
  EXPECT_EQ(t.sv(), "after ");
  EXPECT_EQ(ts.units.read_line(5, t.span()), IoStatus::eof);
  EXPECT_TRUE(ts.units.console_ended());
  ts.console.type("late\n");  // nobody asks any more
  EXPECT_EQ(ts.units.read_line(5, t.span()), IoStatus::eof);
  int v = 0;
  EXPECT_EQ(ts.units.read_list(5, {&v}), IoStatus::eof);
  EXPECT_EQ(ts.console.lines_left(), 1u);
  ts.units.write_line(6, " a line");
  ts.units.write_line(6, "");
  EXPECT_EQ(ts.take(), " a line\n\n");
}

// A console that logs each call: w write, f flush, r read.
class LoggingConsole final : public Console {
 public:
  std::string log;
  std::deque<std::string> input{"1", "2", "3", "4"};

  IoStatus next_line(std::string_view& line) override {
    log += 'r';
    if (input.empty()) return IoStatus::eof;
    current_ = input.front();
    input.pop_front();
    line = current_;
    return IoStatus::ok;
  }
  void write(std::string_view) override { log += 'w'; }
  void flush() override { log += 'f'; }

 private:
  std::string current_;
};

TEST(UnitsConsole, EveryReadFlushesTheOutputFirst) {
  LoggingConsole console;
  testkit::ScratchDir dir;
  PosixFileSystem files(dir.path().string());
  Units u(console, files);
  u.write_line(6, " question");
  Text<2> t;
  EXPECT_EQ(u.read_line(5, t.span()), IoStatus::ok);
  u.write_line(6, " two values");
  int a = 0, b = 0;
  EXPECT_EQ(u.read_list(5, {&a, &b}), IoStatus::ok);  // a value on each of two lines
  EXPECT_EQ(u.read_line(5, t.span()), IoStatus::ok);
  EXPECT_EQ(u.read_line(5, t.span()), IoStatus::eof);
  u.write_line(6, " after the end");
  EXPECT_EQ(u.read_line(5, t.span()), IoStatus::eof);
  // An ended console is neither asked again nor flushed.
  EXPECT_EQ(console.log, "wfr" "wfrfr" "frfr" "w");
}

TEST(PosixConsole, FlushesBeforeItWaitsAndEndsForGood) {
  int in[2], out[2];
  ASSERT_EQ(::pipe(in), 0);
  ASSERT_EQ(::pipe(out), 0);
  ASSERT_EQ(::fcntl(out[0], F_SETFL, O_NONBLOCK), 0);
  const std::string typed = "typed\r\nlast";
  ASSERT_EQ(::write(in[1], typed.data(), typed.size()), static_cast<ssize_t>(typed.size()));
  ::close(in[1]);
  {
    PosixConsole console(in[0], out[1]);
    console.write(" question\n");
    char buf[64];
    EXPECT_EQ(::read(out[0], buf, sizeof buf), -1);  // still buffered
    std::string_view line;
    EXPECT_EQ(console.next_line(line), IoStatus::ok);
    EXPECT_EQ(line, "typed");
    const ssize_t n = ::read(out[0], buf, sizeof buf);
    EXPECT_EQ(std::string(buf, n > 0 ? static_cast<std::size_t>(n) : 0), " question\n");
    EXPECT_EQ(console.next_line(line), IoStatus::ok);
    EXPECT_EQ(line, "last");
    EXPECT_EQ(console.next_line(line), IoStatus::eof);
    EXPECT_EQ(console.next_line(line), IoStatus::eof);
  }
  for (int fd : {in[0], out[0], out[1]}) ::close(fd);
}

// Output files that fail on a chosen write or at their close.
class BrokenOutput final : public OutputFile {
 public:
  BrokenOutput(std::string& sink, int writes_that_succeed, bool close_ok)
      : sink_(sink), writes_left_(writes_that_succeed), close_ok_(close_ok) {}
  bool write_line(std::string_view line) override {
    if (writes_left_-- <= 0) return false;
    sink_.append(line).push_back('\n');
    return true;
  }
  bool flush() override { return writes_left_ >= 0; }
  bool close() override { return close_ok_ && writes_left_ >= 0; }
  std::string error_text() const override { return "No space left on device"; }

 private:
  std::string& sink_;
  int writes_left_;
  bool close_ok_;
};

class BrokenFiles final : public FileSystem {
 public:
  std::string written;
  int writes_that_succeed = 1000;
  bool close_ok = true;

  std::unique_ptr<InputFile> open_input(const std::string&, bool, std::string& why) override {
    why = "no inputs here";
    return nullptr;
  }
  std::unique_ptr<OutputFile> create_output(const std::string&, std::string&) override {
    return std::make_unique<BrokenOutput>(written, writes_that_succeed, close_ok);
  }
};

constexpr const char* kFullDisk = " ===> COULD NOT WRITE FILE out.txt: No space left on device\n";

TEST(UnitsWriteFailure, AFailedWriteOrCloseNamesTheFileAndStopsWithStatusOne) {
  for (const bool at_close : {false, true}) {
    SCOPED_TRACE(at_close ? "at the close" : "at the second write");
    MemoryConsole console;
    BrokenFiles files;
    files.writes_that_succeed = at_close ? 1000 : 1;
    files.close_ok = !at_close;
    Units u(console, files);
    ASSERT_TRUE(u.open(26, "out.txt   ", "new"));
    int status = -1;
    try {
      u.write_line(26, "one");
      if (!at_close) u.write_line(26, "two");
      u.close(26);
    } catch (const Stop& stop) {
      status = stop.status;
    }
    EXPECT_EQ(status, 1);
    EXPECT_EQ(console.output(), std::string(kFullDisk) + " ===> STOPPING EXECUTION\n");
    EXPECT_EQ(files.written, "one\n");
    EXPECT_FALSE(u.is_open(26));
  }
}

TEST(UnitsWriteFailure, CloseAllReportsEachFileAndGoesOn) {
  MemoryConsole console;
  BrokenFiles files;
  files.close_ok = false;
  Units u(console, files);
  ASSERT_TRUE(u.open(26, "out.txt", "new"));
  ASSERT_TRUE(u.open(27, "out.txt", "new"));
  EXPECT_FALSE(u.close_all());
  EXPECT_EQ(console.output(), std::string(kFullDisk) + kFullDisk);
  EXPECT_FALSE(u.is_open(26));
  EXPECT_FALSE(u.is_open(27));
  EXPECT_GE(console.flushes(), 1);
}

}  // namespace
}  // namespace qx::platform
