// Numbered units: opening statuses, line reads into fixed-length texts, the
// console's flush and end, and write failures that stop the run.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/memory_console.hpp"
#include "platform/memory_file_system.hpp"
#include "platform/posix_file_system.hpp"
#include "platform/posix_console.hpp"
#include "platform/stop.hpp"
#include "platform/units.hpp"
#include "testkit/test_session.hpp"

namespace qx::platform {
namespace {

using testkit::TestSession;

// The name ends in blanks, which are dropped; the status goes in any case.
// A unit reads one line, then takes one: "old" takes no writes, "new" has
// nothing to read, "unknown" is written from where the reading stopped.
TEST(UnitsOpen, Statuses) {
  const struct {
    const char* status;
    const char* before;  // the file's bytes; nullptr: missing; "/": a folder
    bool opens;
    IoStatus read;       // and "kept" read when ok
    IoStatus write;
    const char* after;
  } cases[] = {
      {"old", nullptr, false, IoStatus::error, IoStatus::error, nullptr},
      {"old", "kept\nmore\n", true, IoStatus::ok, IoStatus::error, "kept\nmore\n"},
      {"old", "/", false, IoStatus::error, IoStatus::error, "/"},
      {"new", nullptr, true, IoStatus::eof, IoStatus::ok, "written\n"},
      {"new", "kept\n", false, IoStatus::error, IoStatus::error, "kept\n"},
      {"new", "/", false, IoStatus::error, IoStatus::error, "/"},
      {"unknown", nullptr, true, IoStatus::eof, IoStatus::ok, "written\n"},
      {"unknown", "kept\nmore\n", true, IoStatus::ok, IoStatus::ok, "kept\nwritten\n"},
      {"unknown", "kept\r\nmore\n", true, IoStatus::ok, IoStatus::ok, "kept\r\nwritten\n"},
      {"unknown", "kept", true, IoStatus::ok, IoStatus::ok, "keptwritten\n"},
      {"unknown", "/", false, IoStatus::error, IoStatus::error, "/"},
      {"OLD", "kept\n", true, IoStatus::ok, IoStatus::error, "kept\n"},
      {"New  ", nullptr, true, IoStatus::eof, IoStatus::ok, "written\n"},
      {"Unknown", "kept\n", true, IoStatus::ok, IoStatus::ok, "kept\nwritten\n"},
      {"scratch", nullptr, false, IoStatus::error, IoStatus::error, nullptr},
      {"ol", "kept\n", false, IoStatus::error, IoStatus::error, "kept\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.status) + " " + (c.before ? c.before : "missing"));
    TestSession ts;
    const auto path = ts.dir.path() / "f.txt";
    if (c.before && *c.before == '/') {
      std::filesystem::create_directory(path);
    } else if (c.before) {
      ts.dir.write("f.txt", c.before);
    }
    EXPECT_EQ(ts.units.open(25, "f.txt   ", c.status), c.opens);
    EXPECT_EQ(ts.units.last_open_error().empty(), c.opens);
    EXPECT_EQ(ts.units.is_open(25), c.opens);
    Text<4> t;
    EXPECT_EQ(ts.units.read_line(25, t.span()), c.read);
    if (c.read == IoStatus::ok) {
      EXPECT_EQ(t.sv(), "kept");
    }
    EXPECT_EQ(ts.units.write_line(25, "written"), c.write);
    if (c.write == IoStatus::ok) {
      EXPECT_EQ(ts.units.read_line(25, t.span()), IoStatus::eof) << "after a write the unit stands at its end";
    }
    EXPECT_TRUE(ts.units.close_all());
    EXPECT_EQ(ts.take(), "");
    if (!c.after) {
      EXPECT_FALSE(std::filesystem::exists(path));
    } else if (*c.after == '/') {
      EXPECT_TRUE(std::filesystem::is_directory(path));
    } else {
      EXPECT_EQ(ts.dir.read("f.txt"), c.after);
    }
  }
}

// A file the user may read but not write opens "unknown" for reading: a
// write is refused to the caller, and neither stops the run nor touches the
// file. Run as another user, since the superuser may write anything.
TEST(UnitsOpen, AFileOfSomeoneElsesIsReadNotWritten) {
  const passwd* nobody = getpwnam("nobody");
  if (geteuid() == 0 && nobody == nullptr) GTEST_SKIP() << "needs a user nobody";
  testkit::ScratchDir dir;
  dir.write("theirs.txt", "kept\n");
  std::filesystem::permissions(dir.path(), std::filesystem::perms(0755));
  std::filesystem::permissions(dir.path() / "theirs.txt", std::filesystem::perms(0444));
  if (geteuid() == 0 && !testkit::reachable_as(nobody->pw_uid, nobody->pw_gid, dir.path()))
    GTEST_SKIP() << "nobody can't reach the scratch folder (a private TMPDIR)";
  const pid_t pid = fork();
  if (pid == 0) {
    if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0))
      _exit(2);
    MemoryConsole console;
    PosixFileSystem files(dir.path().string());
    Units units(console, files);
    Text<4> t;
    const bool ok = units.open(25, "theirs.txt", "unknown") && units.read_line(25, t.span()) == IoStatus::ok &&
                    t.sv() == "kept" && units.write_line(25, "written") == IoStatus::error && units.close_all() &&
                    console.output().empty();
    _exit(ok ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 2) GTEST_SKIP() << "can't become nobody here";
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(dir.read("theirs.txt"), "kept\n");
}

TEST(UnitsReadLine, KeepsTheFirstCharactersAndPadsWithBlanks) {
  TestSession ts;
  ts.dir.write("in.txt", "ab\nabcdefg\n\nab\r\n a\tb \r\na\rb\nlast");
  ASSERT_TRUE(ts.units.open(25, "in.txt", "unknown"));
  for (const char* e : {"ab   ", "abcde", "     ", "ab   ", " a\tb ", "a    ", "b    ", "last "}) {
    Text<5> t("xxxxx");
    EXPECT_EQ(ts.units.read_line(25, t.span()), IoStatus::ok);
    EXPECT_EQ(t.sv(), e);
  }
  Text<5> t;
  EXPECT_EQ(ts.units.read_line(25, t.span()), IoStatus::eof);
  EXPECT_EQ(ts.units.read_line(25, t.span()), IoStatus::eof);
  // No unit gives a read error; a new file stands at its end.
  EXPECT_EQ(ts.units.read_line(40, t.span()), IoStatus::error);
  int v = 0;
  EXPECT_EQ(ts.units.read_list(40, {&v}), IoStatus::error);
  ASSERT_TRUE(ts.units.open(26, "out.txt", "new"));
  EXPECT_EQ(ts.units.read_line(26, t.span()), IoStatus::eof);
  EXPECT_EQ(ts.units.read_list(26, {&v}), IoStatus::eof);
}

TEST(Units, AMegabyteLineIsReadAndWrittenWhole) {
  TestSession ts;
  const std::string big(1 << 20, 'x');
  const std::string blanks(1 << 20, ' ');
  ts.dir.write("big.txt", big + "y\r\n" + big + "\nab" + blanks + "\nab" + blanks + "z\nc\n");
  ASSERT_TRUE(ts.units.open(25, "big.txt", "old"));
  std::vector<char> buf(big.size() + 3, '?');
  bool longer = true;
  EXPECT_EQ(ts.units.read_line(25, MutText(buf), &longer), IoStatus::ok);
  EXPECT_EQ(std::string(buf.begin(), buf.end()), big + "y  ");
  EXPECT_FALSE(longer);
  Text<4> four;  // the rest of the long line goes with it, and is told of
  EXPECT_EQ(ts.units.read_line(25, four.span(), &longer), IoStatus::ok);
  EXPECT_TRUE(longer);
  EXPECT_EQ(ts.units.read_line(25, four.span(), &longer), IoStatus::ok);
  EXPECT_FALSE(longer) << "blanks only";
  EXPECT_EQ(ts.units.read_line(25, four.span(), &longer), IoStatus::ok);
  EXPECT_TRUE(longer) << "a letter at the end of a megabyte";
  EXPECT_EQ(ts.units.read_line(25, four.span()), IoStatus::ok);
  EXPECT_EQ(four.sv(), "c   ");

  ASSERT_TRUE(ts.units.open(26, "a.txt", "new"));
  ts.units.write_line(26, "to a");
  ASSERT_TRUE(ts.units.open(26, "out.txt", "new"));  // a.txt is closed first
  EXPECT_EQ(ts.dir.read("a.txt"), "to a\n");
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
  MemoryConsole typed{"1\n2\n3\n4\n"};
  IoStatus next_line(std::string_view& line) override {
    log += 'r';
    return typed.next_line(line);
  }
  void write(std::string_view) override { log += 'w'; }
  void flush() override { log += 'f'; }
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

// Complete result lines reach their file before the program waits at the
// console; once the console input has ended nothing waits, and they stay
// buffered.
TEST(UnitsConsole, ResultLinesAreWrittenOutBeforeEachConsoleRead) {
  MemoryConsole console("answer\n");
  MemoryFileSystem files;
  Units u(console, files);
  ASSERT_TRUE(u.open(26, "out.txt", "new"));
  u.write_line(26, "one");
  u.write_line(26, "two");
  EXPECT_EQ(files.files["out.txt"], "");
  Text<6> t;
  EXPECT_EQ(u.read_line(5, t.span()), IoStatus::ok);
  EXPECT_EQ(files.files["out.txt"], "one\ntwo\n");
  u.write_line(26, "three");
  int v = 0;
  EXPECT_EQ(u.read_list(5, {&v}), IoStatus::eof);
  EXPECT_EQ(files.files["out.txt"], "one\ntwo\nthree\n");
  u.write_line(26, "four");
  EXPECT_EQ(u.read_line(5, t.span()), IoStatus::eof);
  EXPECT_EQ(files.files["out.txt"], "one\ntwo\nthree\n");
  EXPECT_TRUE(u.close_all());
  EXPECT_EQ(files.files["out.txt"], "one\ntwo\nthree\nfour\n");
}

const std::string kFullDisk = " ===> COULD NOT WRITE FILE out.txt: No space left on device\n";

// Room for one line: the second fails where the file is written out, at a
// write that fills its buffer or at its close.
TEST(UnitsWriteFailure, AFailedWriteOrCloseNamesTheFileAndStopsWithStatusOne) {
  for (const bool at_close : {false, true}) {
    SCOPED_TRACE(at_close ? "at the close" : "at a write");
    MemoryConsole console;
    MemoryFileSystem files;
    files.space = 4;
    Units u(console, files);
    ASSERT_TRUE(u.open(26, "out.txt   ", "new"));
    int status = -1;
    try {
      u.write_line(26, "one");
      u.write_line(26, at_close ? std::string("two") : std::string(1 << 16, 'z'));
      if (at_close) u.close(26);
    } catch (const Stop& stop) {
      status = stop.status;
    }
    EXPECT_EQ(status, 1);
    EXPECT_EQ(console.output(), kFullDisk + " ===> STOPPING EXECUTION\n");
    EXPECT_EQ(files.files["out.txt"], "one\n");
    EXPECT_FALSE(u.is_open(26));
  }
}

TEST(UnitsWriteFailure, CloseAllReportsEachFileAndGoesOn) {
  MemoryConsole console;
  MemoryFileSystem files;
  files.space = 0;
  Units u(console, files);
  ASSERT_TRUE(u.open(26, "a.txt", "new"));
  ASSERT_TRUE(u.open(27, "b.txt", "new"));
  u.write_line(26, "lost");
  u.write_line(27, "lost");
  EXPECT_FALSE(u.close_all());
  EXPECT_EQ(console.output(),
            " ===> COULD NOT WRITE FILE a.txt: No space left on device\n"
            " ===> COULD NOT WRITE FILE b.txt: No space left on device\n");
  EXPECT_FALSE(u.is_open(26) || u.is_open(27));
  EXPECT_GE(console.flushes(), 1);
}

}  // namespace
}  // namespace qx::platform
