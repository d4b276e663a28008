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

TEST(UnitsOpen, OldNeedsAnExistingFile) {
  TestSession ts;
  EXPECT_FALSE(ts.units.open(25, "missing.txt", "old"));
  EXPECT_FALSE(ts.units.last_open_error().empty());
  EXPECT_FALSE(ts.units.is_open(25));
  EXPECT_FALSE(ts.dir.exists("missing.txt"));

  ts.dir.write("here.txt", "line\n");
  EXPECT_TRUE(ts.units.open(25, "here.txt", "old"));
  Text<4> t;
  EXPECT_EQ(ts.units.read_line(25, t.span()), IoStatus::ok);
  EXPECT_EQ(t.sv(), "line");
}

TEST(UnitsOpen, NewNeverOverwrites) {
  TestSession ts;
  ts.dir.write("results.txt", "precious\n");
  EXPECT_FALSE(ts.units.open(26, "results.txt", "new"));
  EXPECT_FALSE(ts.units.last_open_error().empty());
  EXPECT_FALSE(ts.units.is_open(26));
  ts.units.write_line(26, "clobber");
  ts.units.close_all();
  EXPECT_EQ(ts.dir.read("results.txt"), "precious\n");
}

TEST(UnitsOpen, NewCreatesAndWritesLines) {
  TestSession ts;
  ASSERT_TRUE(ts.units.open(26, "out.txt", "new"));
  EXPECT_TRUE(ts.units.last_open_error().empty());
  ts.units.write_line(26, "first");
  ts.units.write_line(26, "");
  ts.units.write_line(26, " third\t");
  ts.units.close(26);
  EXPECT_FALSE(ts.units.is_open(26));
  EXPECT_EQ(ts.dir.read("out.txt"), "first\n\n third\t\n");
}

TEST(UnitsOpen, UnknownUsesOrCreates) {
  TestSession ts;
  ASSERT_TRUE(ts.units.open(27, "tmp.txt", "unknown"));
  EXPECT_TRUE(ts.dir.exists("tmp.txt"));
  Text<3> t("abc");
  EXPECT_EQ(ts.units.read_line(27, t.span()), IoStatus::eof);
  ts.units.close(27);

  ts.dir.write("tmp.txt", "kept\n");
  ASSERT_TRUE(ts.units.open(27, "tmp.txt", "unknown"));
  EXPECT_EQ(ts.units.read_line(27, t.span()), IoStatus::ok);
  EXPECT_EQ(t.sv(), "kep");
  ts.units.close(27);
  EXPECT_EQ(ts.dir.read("tmp.txt"), "kept\n");
}

TEST(UnitsOpen, ADirectoryOpensUnderNoStatus) {
  TestSession ts;
  std::filesystem::create_directory(ts.dir.path() / "folder");
  for (const char* status : {"old", "unknown", "new"}) {
    EXPECT_FALSE(ts.units.open(25, "folder", status)) << status;
    EXPECT_FALSE(ts.units.last_open_error().empty()) << status;
    EXPECT_FALSE(ts.units.is_open(25)) << status;
  }
}

TEST(UnitsOpen, AnUnknownStatusFails) {
  TestSession ts;
  EXPECT_FALSE(ts.units.open(25, "x.txt", "scratch"));
  EXPECT_FALSE(ts.units.last_open_error().empty());
  EXPECT_FALSE(ts.dir.exists("x.txt"));
}

TEST(UnitsOpen, TrailingBlanksOfTheNameAreDropped) {
  TestSession ts;
  ts.dir.write("in.txt", "x\n");
  Text<20> name("in.txt");
  EXPECT_TRUE(ts.units.open(25, name.sv(), "old"));
}

TEST(UnitsOpen, AConnectedUnitIsClosedFirst) {
  TestSession ts;
  ASSERT_TRUE(ts.units.open(26, "a.txt", "new"));
  ts.units.write_line(26, "to a");
  ASSERT_TRUE(ts.units.open(26, "b.txt", "new"));
  EXPECT_EQ(ts.dir.read("a.txt"), "to a\n");
  ts.units.write_line(26, "to b");
  ts.units.close(26);
  EXPECT_EQ(ts.dir.read("b.txt"), "to b\n");
}

TEST(UnitsReadLine, KeepsTheFirstCharactersAndPadsWithBlanks) {
  TestSession ts;
  ts.dir.write("in.txt", "ab\nabcdefg\n\nab\r\n a\tb \r\nlast");
  ASSERT_TRUE(ts.units.open(25, "in.txt", "old"));
  const char* expected[] = {"ab   ", "abcde", "     ", "ab   ", " a\tb ", "last "};
  for (const char* e : expected) {
    Text<5> t("xxxxx");
    EXPECT_EQ(ts.units.read_line(25, t.span()), IoStatus::ok);
    EXPECT_EQ(t.sv(), e);
  }
  Text<5> t;
  EXPECT_EQ(ts.units.read_line(25, t.span()), IoStatus::eof);
  EXPECT_EQ(ts.units.read_line(25, t.span()), IoStatus::eof);
}

TEST(UnitsReadLine, ALoneCarriageReturnIsACharacter) {
  TestSession ts;
  ts.dir.write("in.txt", "a\rb\n");
  ASSERT_TRUE(ts.units.open(25, "in.txt", "old"));
  Text<4> t;
  EXPECT_EQ(ts.units.read_line(25, t.span()), IoStatus::ok);
  EXPECT_EQ(t.sv(), "a\rb ");
}

TEST(UnitsReadLine, AMegabyteLineIsReadWhole) {
  TestSession ts;
  const std::size_t n = 1 << 20;
  std::string big(n, 'x');
  big.back() = 'y';
  ts.dir.write("big.txt", "a\n" + big + "\r\nb\n" + big + "\nc\n");
  ASSERT_TRUE(ts.units.open(25, "big.txt", "old"));
  Text<1> one;
  EXPECT_EQ(ts.units.read_line(25, one.span()), IoStatus::ok);
  EXPECT_EQ(one.sv(), "a");
  std::vector<char> buf(n + 3, '?');
  EXPECT_EQ(ts.units.read_line(25, MutText(buf)), IoStatus::ok);
  EXPECT_EQ(std::string(buf.begin(), buf.begin() + n), big);
  EXPECT_EQ(std::string(buf.begin() + n, buf.end()), "   ");
  EXPECT_EQ(ts.units.read_line(25, one.span()), IoStatus::ok);
  EXPECT_EQ(one.sv(), "b");
  // Read into a short text, the rest of the long line is dropped with it.
  Text<4> four;
  EXPECT_EQ(ts.units.read_line(25, four.span()), IoStatus::ok);
  EXPECT_EQ(four.sv(), "xxxx");
  EXPECT_EQ(ts.units.read_line(25, one.span()), IoStatus::ok);
  EXPECT_EQ(one.sv(), "c");
  EXPECT_EQ(ts.units.read_line(25, one.span()), IoStatus::eof);
}

TEST(UnitsWriteLine, AMegabyteLineIsWrittenWhole) {
  TestSession ts;
  const std::string big(1 << 20, 'z');
  ASSERT_TRUE(ts.units.open(26, "big.txt", "new"));
  ts.units.write_line(26, "a");
  ts.units.write_line(26, big);
  ts.units.write_line(26, "b");
  ts.units.close(26);
  EXPECT_EQ(ts.dir.read("big.txt"), "a\n" + big + "\nb\n");
}

TEST(UnitsReadLine, NothingConnectedIsAReadError) {
  TestSession ts;
  Text<3> t;
  EXPECT_EQ(ts.units.read_line(40, t.span()), IoStatus::error);
  int v = 0;
  EXPECT_EQ(ts.units.read_list(40, {&v}), IoStatus::error);
  ASSERT_TRUE(ts.units.open(26, "out.txt", "new"));
  EXPECT_EQ(ts.units.read_line(26, t.span()), IoStatus::error);
}

TEST(UnitsConsole, ReadsTypedLinesAndWritesLines) {
  TestSession ts("first\n\nthird\r\n");
  Text<6> t;
  EXPECT_EQ(ts.units.read_line(5, t.span()), IoStatus::ok);
  EXPECT_EQ(t.sv(), "first ");
  EXPECT_EQ(ts.units.read_line(5, t.span()), IoStatus::ok);
  EXPECT_EQ(t.sv(), "      ");
  EXPECT_EQ(ts.units.read_line(5, t.span()), IoStatus::ok);
  EXPECT_EQ(t.sv(), "third ");
  ts.units.write_line(6, " a line");
  ts.units.write_line(6, "");
  EXPECT_EQ(ts.take(), " a line\n\n");
}

TEST(UnitsConsole, AFailedReadIsAnErrorAndTheNextReadGoesOn) {
  TestSession ts;
  ts.console.fail_next_read();
  ts.console.type("after\n");
  Text<5> t;
  EXPECT_EQ(ts.units.read_line(5, t.span()), IoStatus::error);
  EXPECT_FALSE(ts.units.console_ended());
  EXPECT_EQ(ts.units.read_line(5, t.span()), IoStatus::ok);
  EXPECT_EQ(t.sv(), "after");
}

TEST(UnitsConsole, TheEndOfTheInputIsFinal) {
  TestSession ts("one\n");
  Text<3> t;
  EXPECT_EQ(ts.units.read_line(5, t.span()), IoStatus::ok);
  EXPECT_FALSE(ts.units.console_ended());
  EXPECT_EQ(ts.units.read_line(5, t.span()), IoStatus::eof);
  EXPECT_TRUE(ts.units.console_ended());
  ts.console.type("two\n");  // too late: nobody asks any more
  EXPECT_EQ(ts.units.read_line(5, t.span()), IoStatus::eof);
  int v = 0;
  EXPECT_EQ(ts.units.read_list(5, {&v}), IoStatus::eof);
  EXPECT_EQ(ts.console.lines_left(), 1u);
  EXPECT_EQ(t.sv(), "one");
}

TEST(UnitsConsole, ListReadsGoOnOverLines) {
  TestSession ts("1 2\n\n3 4 5\n6\n");
  int a = 0, b = 0, c = 0;
  EXPECT_EQ(ts.units.read_list(5, {&a, &b, &c}), IoStatus::ok);
  EXPECT_EQ(a * 100 + b * 10 + c, 123);
  EXPECT_EQ(ts.units.read_list(5, {&a}), IoStatus::ok);
  EXPECT_EQ(a, 6);
  EXPECT_EQ(ts.units.read_list(5, {&a}), IoStatus::eof);
}

// A console that logs each call: w write, f flush, r read.
class LoggingConsole final : public Console {
 public:
  std::string log;
  std::deque<std::string> input;

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
  console.input = {"1", "2", "3", "4"};
  testkit::ScratchDir dir;
  PosixFileSystem files(dir.path().string());
  Units u(console, files);

  u.write_line(6, " question");
  Text<2> t;
  EXPECT_EQ(u.read_line(5, t.span()), IoStatus::ok);
  EXPECT_EQ(console.log, "wfr");

  console.log.clear();
  u.write_line(6, " two values");
  int a = 0, b = 0;
  EXPECT_EQ(u.read_list(5, {&a, &b}), IoStatus::ok);  // a value on each of two lines
  EXPECT_EQ(console.log, "wfrfr");

  console.log.clear();
  EXPECT_EQ(u.read_line(5, t.span()), IoStatus::ok);
  EXPECT_EQ(u.read_line(5, t.span()), IoStatus::eof);
  u.write_line(6, " after the end");
  EXPECT_EQ(u.read_line(5, t.span()), IoStatus::eof);
  EXPECT_EQ(console.log, "frfrw");  // an ended console is neither asked again nor flushed
}

TEST(UnitsConsole, MemoryConsoleCountsTheFlushes) {
  TestSession ts("a\nb\n");
  Text<1> t;
  ts.units.write_line(6, " q");
  EXPECT_EQ(ts.console.flushes(), 0);
  EXPECT_EQ(ts.units.read_line(5, t.span()), IoStatus::ok);
  EXPECT_EQ(ts.console.flushes(), 1);
  EXPECT_EQ(ts.units.read_list(5, {t.span()}), IoStatus::ok);
  EXPECT_EQ(ts.console.flushes(), 2);
  EXPECT_EQ(ts.console.reads(), 2);
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
  ::close(in[0]);
  ::close(out[0]);
  ::close(out[1]);
}

// Output files that fail on a chosen write or at their close.
class BrokenOutput final : public OutputFile {
 public:
  BrokenOutput(std::string& sink, int writes_that_succeed, bool close_ok)
      : sink_(sink), writes_left_(writes_that_succeed), close_ok_(close_ok) {}
  bool write_line(std::string_view line) override {
    if (writes_left_-- <= 0) return false;
    sink_.append(line);
    sink_.push_back('\n');
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

constexpr const char* kFullDisk =
    " ===> COULD NOT WRITE FILE out.txt: No space left on device\n"
    " ===> STOPPING EXECUTION\n";

TEST(UnitsWriteFailure, AFailedWriteNamesTheFileAndStopsWithStatusOne) {
  MemoryConsole console;
  BrokenFiles files;
  files.writes_that_succeed = 1;
  Units u(console, files);
  ASSERT_TRUE(u.open(26, "out.txt   ", "new"));
  u.write_line(26, "one");
  int status = -1;
  try {
    u.write_line(26, "two");
  } catch (const Stop& stop) {
    status = stop.status;
  }
  EXPECT_EQ(status, 1);
  EXPECT_EQ(console.output(), kFullDisk);
  EXPECT_EQ(files.written, "one\n");
  EXPECT_FALSE(u.is_open(26));
}

TEST(UnitsWriteFailure, AFailedCloseStopsWithStatusOne) {
  MemoryConsole console;
  BrokenFiles files;
  files.close_ok = false;
  Units u(console, files);
  ASSERT_TRUE(u.open(26, "out.txt", "new"));
  u.write_line(26, "one");
  int status = -1;
  try {
    u.close(26);
  } catch (const Stop& stop) {
    status = stop.status;
  }
  EXPECT_EQ(status, 1);
  EXPECT_EQ(console.output(), kFullDisk);
  EXPECT_FALSE(u.is_open(26));
}

TEST(UnitsWriteFailure, CloseAllReportsAndGoesOn) {
  MemoryConsole console;
  BrokenFiles files;
  files.close_ok = false;
  Units u(console, files);
  ASSERT_TRUE(u.open(26, "out.txt", "new"));
  ASSERT_TRUE(u.open(27, "out.txt", "new"));
  EXPECT_FALSE(u.close_all());
  EXPECT_EQ(console.output(),
            " ===> COULD NOT WRITE FILE out.txt: No space left on device\n"
            " ===> COULD NOT WRITE FILE out.txt: No space left on device\n");
  EXPECT_FALSE(u.is_open(26));
  EXPECT_FALSE(u.is_open(27));
  EXPECT_GE(console.flushes(), 1);
}

TEST(UnitsWriteFailure, CloseAllOfGoodFilesSucceeds) {
  TestSession ts;
  ASSERT_TRUE(ts.units.open(26, "out.txt", "new"));
  ts.units.write_line(26, "kept");
  EXPECT_TRUE(ts.units.close_all());
  EXPECT_FALSE(ts.units.is_open(26));
  EXPECT_EQ(ts.dir.read("out.txt"), "kept\n");
  EXPECT_EQ(ts.take(), "");
}

}  // namespace
}  // namespace qx::platform
