// The real program against what field tablets, spreadsheets and other
// people's machines hand it: odd line ends, odd bytes, odd numbers, odd
// names, long files, a full disk and an interrupt.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "case_runner.hpp"
#include "program_runner.hpp"
#include "testkit/test_session.hpp"

namespace qx::e2e {
namespace {

namespace fs = std::filesystem;

// RETURN for the header, file input, its default name, the format, file
// output, its default name; every pause then meets the end of the input.
std::string file_to_file(char format = '1') { return std::string("\n1\n\n") + format + "\n1\n\n"; }

RunOptions typing(std::string typed) {
  RunOptions o;
  o.typed = std::move(typed);
  return o;
}

// A run in a folder of its own, kept until the checks are done.
struct Session {
  testkit::ScratchDir dir;
  ProgramRun run;
  std::string results() const { return slurp(dir.path() / "quelta_out.txt"); }
};

std::unique_ptr<Session> run_on(const std::string& data, const RunOptions& options = typing(file_to_file())) {
  auto r = std::make_unique<Session>();
  r->dir.write("quelta_in.txt", data);
  r->run = run_program(r->dir.path(), options);
  return r;
}

std::size_t count_lines(const std::string& s) { return static_cast<std::size_t>(std::count(s.begin(), s.end(), '\n')); }

// Only tabs between fields and line feeds between lines: nothing a
// spreadsheet would take for a broken line or column.
void expect_clean_results(const std::string& results) {
  ASSERT_FALSE(results.empty());
  EXPECT_EQ('\n', results.back()) << "the last line is not complete";
  for (const char c : results) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20) {
      EXPECT_TRUE(c == '\t' || c == '\n') << "control byte " << int(u) << " in the results";
    }
  }
}

std::string result_line(const std::string& results, std::size_t n) {
  return testkit::lines_of(results).at(n - 1);
}

const std::string kRecords = "16 'E' 50 'N'\n16 W 200 A\n45 'E', 45, 'N'\n16 'W' 20 'A'\n";

TEST(LineEnds, CarriageReturnLineFeedReadsAsLineFeed) {
  const std::string lf = "field\n'dipa1 dipdir1'\n" + kRecords;
  std::string crlf;
  for (const char c : lf) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  const auto a = run_on(lf);
  const auto b = run_on(crlf);
  EXPECT_EQ(0, a->run.status);
  EXPECT_EQ(0, b->run.status);
  EXPECT_EQ(mask(a->results()), mask(b->results()));
  EXPECT_EQ(mask(a->run.console), mask(b->run.console));
  EXPECT_EQ(6u, count_lines(b->results()));
  EXPECT_EQ(0u, b->results().find("'field'\t"));
  expect_clean_results(b->results());
}

// Spreadsheets on a Mac save text with a lone carriage return at each line
// end; a carriage return doubled before a line feed makes an empty line.
TEST(LineEnds, LoneAndDoubledCarriageReturnsReadAsLineFeeds) {
  std::string lf = "field\n'dipa1 dipdir1'\n";
  // Past the reader's buffer; records without frames, to keep the run short.
  for (int i = 0; i < 2000; ++i) lf += "16 'E' 50 'N'\n45 'E', 45, 'N'\n16 W 200 A\n16,E,50,N\n";
  auto with_line_end = [&lf](std::string_view end) {
    std::string out;
    for (const char c : lf) c == '\n' ? out.append(end) : out.append(1, c);
    return out;
  };
  // Past the first line, which holds the time of the run.
  auto past_the_title = [](const std::string& results) { return results.substr(results.find('\n')); };
  const auto want = run_on(lf);
  EXPECT_EQ(0, want->run.status);
  EXPECT_EQ(8002u, count_lines(want->results()));
  for (const std::string_view end : {"\r", "\r\r\n"}) {
    const auto got = run_on(with_line_end(end));
    EXPECT_EQ(0, got->run.status);
    EXPECT_EQ(0u, got->results().find("'field'\t"));
    EXPECT_EQ(past_the_title(want->results()), past_the_title(got->results()))
        << first_difference(want->results(), got->results());
  }
}

TEST(LineEnds, ALastLineWithoutLineEndIsRead) {
  const auto r = run_on("t\nh\n16 'E' 50 'N'\n16 'W' 200 'A'");
  EXPECT_EQ(0, r->run.status);
  ASSERT_EQ(4u, count_lines(r->results()));
  EXPECT_EQ("  16.0\t'W'\t 200.0\t'A'\t 200.0\t  17.0\t ", result_line(r->results(), 4));
}

TEST(OddBytes, NulAndNonAsciiBytesNeverReachTheResultsAsGarbage) {
  std::string data = "'S\xC3\xA9rac\tnorth'\nh\n16 'E' 50 'N'\n16 '";
  data += '\0';
  data += "' 50 'N'\n16 '\xC3\x89' 50 'N'\n1";
  data += '\0';
  data += "6 'E' 50 'N'\n16 'E' 50 'N'\n";
  const auto r = run_on(data);
  EXPECT_EQ(0, r->run.status);
  const std::string results = r->results();
  expect_clean_results(results);
  EXPECT_EQ(0u, results.find("'S\xC3\xA9rac north'\t")) << "the tab in the title became a blank, the accent stayed";
  EXPECT_EQ("  16.0\t'?'\t  50.0\t'N'\t      \t      \terror: 1st direction should be E,W,N,S",
            result_line(results, 4));
  EXPECT_EQ("  16.0\t'?'\t  50.0\t'N'\t      \t      \terror: 1st direction should be E,W,N,S",
            result_line(results, 5));
  EXPECT_EQ(5u, count_lines(results)) << "the record with a NUL in a number ends the input";
  EXPECT_NE(std::string::npos, r->run.console.find(" 1st dip direction = ?\n"));
  EXPECT_NE(std::string::npos, r->run.console.find(" when trying to read     4 th data\n"));
}

TEST(OddBytes, ABinaryFileEndsWithASummaryAndCleanResults) {
  for (const std::uint32_t seed : {1u, 2u, 3u, 4u}) {
    std::mt19937 gen(seed);
    std::string data(65536, '\0');
    for (char& c : data) c = static_cast<char>(gen());
    if (seed % 2 == 0) data = "'binary'\nh\n" + data;  // past the header, into the records
    const auto r = run_on(data);
    EXPECT_EQ(0, r->run.status) << "seed " << seed;
    EXPECT_NE(std::string::npos, r->run.console.find(" Read     ")) << "seed " << seed;
    if (fs::exists(r->dir.path() / "quelta_out.txt")) expect_clean_results(r->results());
  }
}

TEST(OddBytes, AMegabyteLineAndALongTitle) {
  const std::string title(200, 't');
  const std::string tail(1 << 20, 'x');
  const auto r = run_on("'" + title + "'\nh\n16 'E' 50 'N' " + tail + "\n16 'W' 200 'A'\n");
  EXPECT_EQ(0, r->run.status);
  EXPECT_EQ(0u, r->results().find("'" + std::string(40, 't') + "'\t"));
  ASSERT_EQ(4u, count_lines(r->results()));
  EXPECT_EQ("  16.0\t'E'\t  50.0\t'N'\t 283.5\t  50.8\t ", result_line(r->results(), 3));
}

// Peak memory of the program: the same whatever the lines it is given.
// The sanitizers add their own shadow memory and quarantine.
constexpr long kPeakLimitKib = (testkit::kSanitized ? 64 : 16) * 1024;

// Streams head, size copies of fill and tail into a file.
void write_big(const fs::path& path, const std::string& head, char fill, std::size_t size, const std::string& tail) {
  std::ofstream f(path, std::ios::binary);
  f << head;
  const std::string chunk(1 << 20, fill);
  for (std::size_t done = 0; done < size; done += chunk.size())
    f.write(chunk.data(), static_cast<std::streamsize>(std::min(chunk.size(), size - done)));
  f << tail;
}

TEST(LongLines, AHundredMegabyteTitleOrTailKeepsMemoryFlat) {
  constexpr std::size_t k100MB = 100u << 20;
  const std::string converted = "  16.0\t'E'\t  50.0\t'N'\t 283.5\t  50.8\t ";
  const struct {
    const char* name;
    std::string head;
    char fill;
    std::string tail;
    std::string first_line_starts;
    std::size_t lines;
  } cases[] = {
      {"title", "", 't', "\nh\n16 'E' 50 'N'\n", "'" + std::string(40, 't') + "'\t", 3},
      {"quoted title", "'", 't', "'\nh\n16 'E' 50 'N'\n", "'" + std::string(40, 't') + "'\t", 3},
      {"tail after the fourth value", "t\nh\n16 'E' 50 'N' ", 'x', "\n16 'W' 200 'A'\n", "'t'\t", 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto r = std::make_unique<Session>();
    write_big(r->dir.path() / "quelta_in.txt", c.head, c.fill, k100MB, c.tail);
    RunOptions options = typing(file_to_file());
    options.measure_memory = true;
    r->run = run_program(r->dir.path(), options);
    EXPECT_EQ(0, r->run.status);
    EXPECT_LT(r->run.peak_kib, kPeakLimitKib);
    fs::remove(r->dir.path() / "quelta_in.txt");
    ASSERT_EQ(c.lines, count_lines(r->results()));
    EXPECT_EQ(0u, r->results().find(c.first_line_starts));
    EXPECT_EQ(converted, result_line(r->results(), 3));
  }
}

// A stream without line ends (a device, a disk image) as the input file:
// the header can't be read, in a moment and in little memory.
TEST(LongLines, NoLineEndAsTheInputFileIsAHeaderError) {
  auto r = std::make_unique<Session>();
  fs::create_symlink("/dev/zero", r->dir.path() / "zero_link");
  for (const std::string name : {"/dev/zero", "zero_link"}) {
    SCOPED_TRACE(name);
    RunOptions options = typing("\n1\n" + name + "\n");
    options.measure_memory = true;
    r->run = run_program(r->dir.path(), options);
    EXPECT_EQ(0, r->run.status);
    EXPECT_NE(std::string::npos, r->run.console.find(" when trying to read header\n"));
    EXPECT_NE(std::string::npos, r->run.console.find(" Read          0 DATA\n"));
    EXPECT_LT(r->run.peak_kib, kPeakLimitKib);
  }
}

// The same on the console: an answer that can't be read, and the end of
// the console input, as documented for a closed pipe.
TEST(LongLines, NoLineEndOnTheConsoleEndsTheConsole) {
  auto r = std::make_unique<Session>();
  RunOptions options;
  options.input_file = "/dev/zero";
  options.measure_memory = true;
  r->run = run_program(r->dir.path(), options);
  EXPECT_EQ(1, r->run.status);
  const std::string& console = r->run.console;
  const std::string rule = " " + std::string(50, '*') + "\n";
  const std::string tail = " could not read your choice\n ==> RETRYING\n ===> HIT RETURN TO CONTINUE\n" + rule +
                           " ***                 ERROR END                  ***\n" + rule +
                           " ===> END OF CONSOLE INPUT: STOPPING EXECUTION\n";
  ASSERT_GE(console.size(), tail.size());
  EXPECT_EQ(tail, console.substr(console.size() - tail.size()));
  EXPECT_EQ(console.find(" could not read"), console.rfind(" could not read")) << "one frame only";
  EXPECT_LT(r->run.peak_kib, kPeakLimitKib);
}

// A terminal left non-blocking, answers that come late and in pieces, line
// ends of every kind, and a last answer whose carriage return is the last
// byte there is: every record is read, and the run ends without waiting.
TEST(Console, ANonBlockingKeyboardWithLateAnswers) {
  auto r = std::make_unique<Session>();
  RunOptions options;
  options.nonblocking_input = true;
  options.keep_typing = true;
  options.typed_late = {"\n", "2\n", "late answers\r\n", "\n", "\n", "\n", "\n", "16 'E' ", "50 'N'\r",
                        "\nn\r",  "16 'W' 200", " 'A'\n", "Y\r"};
  r->run = run_program(r->dir.path(), options);
  EXPECT_EQ(0, r->run.status);
  EXPECT_NE(std::string::npos, r->run.console.find(" Read          2 DATA\n Converted     2 DATA\n"));
  const std::string results = r->results();
  ASSERT_EQ(4u, count_lines(results));
  EXPECT_EQ(0u, results.find("'late answers'\tinput file = keyboard"));
  EXPECT_EQ("  16.0\t'E'\t  50.0\t'N'\t 283.5\t  50.8\t ", result_line(results, 3));
  EXPECT_EQ("  16.0\t'W'\t 200.0\t'A'\t 200.0\t  17.0\t ", result_line(results, 4));
}

TEST(Numbers, SignsAndExponentsAreNumbers) {
  const auto r = run_on("t\nh\n16e0 E 50 N\n+16 'E' 5.0e1 'N'\n-0 'E' 30 'N'\n1.6D1 'E' 50 'N'\n"
                        "1.6+1 'E' 5.0q1 'N'\n160-1 E 5Q1 N\n");
  EXPECT_EQ(0, r->run.status);
  const std::string converted = "  16.0\t'E'\t  50.0\t'N'\t 283.5\t  50.8\t ";
  EXPECT_EQ(converted, result_line(r->results(), 3));
  EXPECT_EQ(converted, result_line(r->results(), 4));
  EXPECT_EQ("   0.0\t'E'\t  30.0\t'N'\t      \t      \terror: 1st dip = 0 => should be in 2nd position",
            result_line(r->results(), 5));
  EXPECT_EQ(converted, result_line(r->results(), 6));
  EXPECT_EQ(converted, result_line(r->results(), 7));
  EXPECT_EQ(converted, result_line(r->results(), 8));
  EXPECT_EQ(8u, count_lines(r->results()));
}

TEST(Numbers, BeyondSinglePrecisionNanAndInfAreUnreadable) {
  for (const std::string bad : {"1e39", "-1e39", "nan", "inf", "Infinity", "1e400"}) {
    const auto r = run_on("t\nh\n16 'E' 50 'N'\n16 'E' " + bad + " 'N'\n16 'E' 50 'N'\n");
    EXPECT_EQ(0, r->run.status) << bad;
    EXPECT_NE(std::string::npos, r->run.console.find(" when trying to read     2 th data\n")) << bad;
    EXPECT_EQ(3u, count_lines(r->results())) << bad << ": the records before it are kept, nothing after is read";
    expect_clean_results(r->results());
  }
}

TEST(Names, AFolderAsTheInputNameIsAskedAgain) {
  auto r = std::make_unique<Session>();
  fs::create_directory(r->dir.path() / "survey");
  r->dir.write("quelta_in.txt", "t\nh\n16 'E' 50 'N'\n");
  r->run = run_program(r->dir.path(), typing("\n1\nsurvey\n\nquelta_in.txt\n1\n1\n\n"));
  EXPECT_EQ(0, r->run.status);
  EXPECT_NE(std::string::npos, r->run.console.find(" COULD NOT OPEN fracture data input FILE\n"));
  EXPECT_NE(std::string::npos, r->run.console.find(" Default = survey\n"));
  EXPECT_EQ(3u, count_lines(r->results()));
}

TEST(Names, AnUnreadableInputFileIsAskedAgain) {
  if (geteuid() == 0) GTEST_SKIP() << "the superuser reads every file";
  auto r = std::make_unique<Session>();
  r->dir.write("locked.txt", "t\nh\n");
  fs::permissions(r->dir.path() / "locked.txt", fs::perms::none);
  r->dir.write("quelta_in.txt", "t\nh\n16 'E' 50 'N'\n");
  r->run = run_program(r->dir.path(), typing("\n1\nlocked.txt\n\nquelta_in.txt\n1\n1\n\n"));
  EXPECT_EQ(0, r->run.status);
  EXPECT_NE(std::string::npos, r->run.console.find(" COULD NOT OPEN fracture data input FILE\n"));
  EXPECT_EQ(3u, count_lines(r->results()));
}

TEST(Names, ANamedPipeWithNoWriterNeverHangsTheRun) {
  auto r = std::make_unique<Session>();
  ASSERT_EQ(0, mkfifo((r->dir.path() / "pipe.txt").c_str(), 0600));
  r->run = run_program(r->dir.path(), typing("\n1\npipe.txt\n"));
  EXPECT_EQ(0, r->run.status);
  EXPECT_NE(std::string::npos, r->run.console.find(" when trying to read header\n"));
  EXPECT_NE(std::string::npos, r->run.console.find(" input  file pipe.txt closed\n"));
}

TEST(Names, AnOutputInAMissingFolderIsAskedAgain) {
  auto r = std::make_unique<Session>();
  r->dir.write("quelta_in.txt", "t\nh\n16 'E' 50 'N'\n");
  r->run = run_program(r->dir.path(), typing("\n1\n\n1\n1\nnowhere/out.txt\n\nquelta_out.txt\n"));
  EXPECT_EQ(0, r->run.status);
  EXPECT_NE(std::string::npos, r->run.console.find(" COULD NOT OPEN fracture data output FILE\n"));
  EXPECT_FALSE(fs::exists(r->dir.path() / "nowhere"));
  EXPECT_EQ(3u, count_lines(r->results()));
}

// A name is opened as typed and shown with its control bytes as blanks, and
// so is the title: a tab would give the header a column more, an ESC or a
// CSI would talk to the terminal.
TEST(Names, ControlBytesInFileNamesAreShownAsBlanks) {
  const struct {
    std::string title, in, out, head, in_shown, out_shown;
  } cases[] = {
      {"'t'", "a\tb.txt", "c\x1b[1md.txt", "'t'\tinput file = a b.txt", "a b.txt", "c [1md.txt"},
      // C1 controls as UTF-8 (CSI, NEL) and a CSI byte alone
      {"'T\xC2\x9B" "2Jitle'", "in\xC2\x9B" "31m.txt", "o\xC2\x85u\x9Bt.txt", "'T 2Jitle'\tinput file = in 31m.txt",
       "in 31m.txt", "o u t.txt"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    auto r = std::make_unique<Session>();
    r->dir.write(c.in, c.title + "\nh\n16 'E' 50 'N'\n");
    r->run = run_program(r->dir.path(), typing("\n1\n" + c.in + "\n1\n1\n" + c.out + "\n"));
    EXPECT_EQ(0, r->run.status);
    const std::string results = slurp(r->dir.path() / c.out);
    expect_clean_results(results);
    const std::string head = testkit::lines_of(results).at(0);
    EXPECT_EQ(1, std::count(head.begin(), head.end(), '\t')) << head;
    EXPECT_EQ(0u, head.find(c.head + "   quellatorix_5.1   ")) << head;
    EXPECT_NE(std::string::npos, r->run.console.find(" input  file " + c.in_shown + " closed\n"));
    EXPECT_NE(std::string::npos, r->run.console.find(" output file " + c.out_shown + " closed\n"));
  }
}

// What the host says about itself, with control bytes in it: the processor's
// model name and the system's version (both through bind mounts) and the host
// name, in mount and host-name namespaces of the run's own.
TEST(SystemTexts, ControlBytesFromTheHostAreShownAsBlanks) {
  if (geteuid() != 0 || access("/usr/bin/unshare", X_OK) != 0 ||
      std::system("/usr/bin/unshare --mount --uts -- true >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "needs the superuser and unshare";
  }
  auto r = std::make_unique<Session>();
  r->dir.write("quelta_in.txt", "'t'\nh\n16 'E' 50 'N'\n");
  testkit::ScratchDir fakes;
  // The processor text's field of 30 cuts the e-acute after its first byte.
  fakes.write("cpuinfo", "processor\t: 0\nmodel name\t: Evil\tCPU\x1b]0;pwned\x07 \x1b[31mRedab\xC3\xA9 9000\n");
  fakes.write("os-release", "NAME=x\nVERSION_ID=\"1\x1b" "2\a3\t4\"\n");
  fakes.write("hostname", "h\x1b[1mo\tst\a" + std::string(24, 'x') + "\xC3\xA9");
  const std::string at = fakes.path().string();
  RunOptions o = typing(file_to_file());
  o.launcher = {"/usr/bin/unshare", "--mount", "--uts", "--", "/bin/sh", "-c",
                "mount --bind '" + at + "/cpuinfo' /proc/cpuinfo && mount --bind '" + at +
                    "/os-release' /etc/os-release && cat '" + at +
                    "/hostname' > /proc/sys/kernel/hostname || exit 97; exec \"$0\""};
  r->run = run_program(r->dir.path(), o);
  if (r->run.status == 97) GTEST_SKIP() << "no bind mount or host name here: " << r->run.console;
  EXPECT_EQ(0, r->run.status) << r->run.console;
  const std::string results = r->results();
  expect_clean_results(results);
  const std::string head = testkit::lines_of(results).at(0);
  EXPECT_EQ(1, std::count(head.begin(), head.end(), '\t')) << head;
  EXPECT_NE(std::string::npos, head.find("   quellatorix_5.1   MacOS_1 2 3 4 Evil CPU ]0;pwned   [31mRedab   Run on "))
      << head;
  const std::string& console = r->run.console;
  EXPECT_NE(std::string::npos, console.find(" @      Host: h [1mo st " + std::string(24, 'x') + "  @\n"));
  EXPECT_NE(std::string::npos, console.find(" @    System: MacOS_1 2 3 4" + std::string(23, ' ') + "@\n"));
  EXPECT_NE(std::string::npos,
            console.find(" @       CPU: Evil CPU ]0;pwned   [31mRedab " + std::string(6, ' ') + "@\n"));
  std::string controls;
  for (char c = 0; c < 0x20; ++c) controls += c == '\n' ? '\x7f' : c;
  EXPECT_EQ(std::string::npos, console.find_first_of(controls)) << "a control byte on the console";
}

TEST(LongFiles, RecordNumbersFarDownAreWrittenInFull) {
  std::string data = "t\nh\n";
  for (int i = 1; i <= 150000; ++i) data += (i == 123457 || i == 149999) ? "16 'E' 50 'W'\n" : "16 'E' 50 'N'\n";
  const auto r = run_on(data);
  EXPECT_EQ(0, r->run.status);
  EXPECT_NE(std::string::npos, r->run.console.find(" while reading data nb 123457\n"));
  EXPECT_NE(std::string::npos, r->run.console.find(" while reading data nb 149999\n"));
  EXPECT_NE(std::string::npos, r->run.console.find(" Read      ***** DATA\n"));
  EXPECT_NE(std::string::npos, r->run.console.find(" Converted ***** DATA\n"));
  EXPECT_EQ(150002u, count_lines(r->results()));
  EXPECT_EQ("  16.0\t'E'\t  50.0\t'W'\t      \t      \terror: same dip direction [modulo 180], early detection",
            result_line(r->results(), 123457 + 2));
}

TEST(Faults, AResultsFileThatCannotGrowIsReportedAndFailsTheRun) {
  std::string data = "t\nh\n";
  for (int i = 0; i < 2000; ++i) data += "16 'E' 50 'N'\n";
  RunOptions options = typing(file_to_file());
  options.file_size_limit = 10000;
  const auto r = run_on(data, options);
  EXPECT_EQ(1, r->run.status);
  EXPECT_NE(std::string::npos, r->run.console.find(" ===> COULD NOT WRITE FILE quelta_out.txt: File too large\n"));
  EXPECT_EQ(std::string::npos, r->run.console.find("output file quelta_out.txt closed"))
      << "a failed file is never reported as closed";
  const std::string results = r->results();
  EXPECT_LE(results.size(), 10000u);
  expect_clean_results(results);
}

// The console of a file-to-file run from the menus to the reading banner.
std::string up_to_the_data(char format) {
  return std::string("#include startup\n#include menu_input\n#include choice_1\n#include open_input_default\n"
                     "#include reading_header\n#include menu_format\n") +
         (format == '1' ? "#include choice_1\n" : "#include choice_1_to_2\n") +
         "#include menu_output\n#include choice_1\n#include open_output_default\n#include writing_header\n"
         "#include reading_data\n";
}

// The console of a file-to-file run whose first record converts and whose
// second can't be read.
std::string second_record_unreadable(char format) {
  return expand_includes(up_to_the_data(format) +
                         "#include error_head\n"
                         " when trying to read     2 th data\n"
                         "#include error_tail\n"
                         "#include summary_head\n"
                         " Read          1 DATA\n"
                         " Converted     1 DATA\n"
                         " input  file quelta_in.txt closed\n"
                         " output file quelta_out.txt closed\n"
                         " -------------------------------------------\n"
                         "#include tail\n");
}

// The console of a keyboard-to-screen run, letters, whose first record
// can't be read.
std::string first_typed_record_unreadable() {
  return expand_includes("#include startup\n#include menu_input\n#include choice_1_to_2\n"
                         " ..........................................\n Enter data title\n"
                         " or return for default value\n Default = keyboard input\n"
                         " ichar =  32 => use default value\n New value = keyboard input" +
                         std::string(26, ' ') +
                         "\n ..........................................\n#include menu_format\n#include choice_1\n"
                         "#include menu_output\n#include choice_1_to_2\n#include reading_data\n#include end_no\n"
                         "#include help_alpha\n#include error_head\n when trying to read     1 th data\n"
                         "#include error_tail\n#include summary_head\n Read          0 DATA\n"
                         " Converted     0 DATA\n -------------------------------------------\n#include tail\n");
}

// The results of a file-to-file run, masked, with the title and lines given.
std::string results_with(std::string_view title, const std::string& lines) {
  return "'" + std::string(title) +
         "'\tinput file = quelta_in.txt   quellatorix_5.1   <system>   Run on YYYY-MM-DD at hh:mm:ss\n"
         "'dipa1'\t'dipdir1'\t'dipa2'\t'dipdir2'\t'strike'\t'dip'\t'comment'\n" +
         lines;
}

// A header line that starts with a slash or a comma leaves its value out:
// the title is blank, the second line is dropped all the same, and the
// records are read, a null value in them still a read error.
TEST(Header, AValueLeftOutCostsNoFile) {
  const std::string records = "16 'E' 50 'N'\n16,,50,'N'\n16 'E' 50 'N'\n";
  const struct {
    const char* lines;
    const char* title;
  } cases[] = {
      {"'T'\n// columns: dip dir dip dir\n", "T"},
      {"'T'\n/\n", "T"},
      {"'T'\n,,,\n", "T"},
      {"'T'\n, dipdir1, dipa2\n", "T"},
      {"/title\nh\n", " "},
      {",title\nh\n", " "},
      {"  , title\n\n /\n", " "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lines);
    const auto r = run_on(c.lines + records);
    EXPECT_EQ(0, r->run.status);
    const std::string want = second_record_unreadable('1');
    const std::string console = mask(r->run.console);
    EXPECT_EQ(want, console) << first_difference(want, console);
    EXPECT_EQ(results_with(c.title, "  16.0\t'E'\t  50.0\t'N'\t 283.5\t  50.8\t \n"), mask(r->results()));
  }
}

// A disk that fails in the middle of a line (EIO after part of it, as a bad
// sector or a network share gives): the line cut is no record, the read of
// the record it holds fails, and the records before it are kept. A console
// that fails so (read from a file here) fails the record typed alike.
TEST(Faults, AReadErrorInTheMiddleOfALineIsAReadErrorOfItsRecord) {
  const std::string head = "'T'\nh\n16 90 50 0\n";  // 17 bytes
  const std::string numerical = "  16.0\t  90.0\t  50.0\t   0.0\t 283.5\t  50.8\t ";
  const std::string typed = "\n2\n\n\n2\n\n";  // the keyboard, every default, the screen
  const struct {
    const char* name;
    char format;
    std::string data;
    std::size_t cut_at;  // the first byte that can't be read
    std::string first;   // the result line of the first record
    bool typed = false;  // data is what the console gives; the results go to the screen
  } cases[] = {
      {"numerical, within the 4th value", '2', head + "16 90 50 123.5\n16 90 50 0\n", 17 + 11, numerical},
      {"letters, after the opening quote of the 4th value", '1',
       "'T'\nh\n16 'E' 50 'N'\n16 'E' 50 'N'\n16 'E' 50 'N'\n", 20 + 11,
       "  16.0\t'E'\t  50.0\t'N'\t 283.5\t  50.8\t "},
      {"after the 4th value", '2', head + "16 90 50 0 note\n16 90 50 0\n", 17 + 13, numerical},
      // the reader's pieces are 64 KiB: a cut where one ends, and one within the last
      {"long line, at a piece's end", '2', head + std::string(65536 - 11, ' ') + "16 90 50 123.5\n16 90 50 0\n",
       17 + 65536, numerical},
      {"long line, within its last piece", '2', head + std::string(70000, ' ') + "16 90 50 123.5\n16 90 50 0\n",
       17 + 70000 + 11, numerical},
      {"typed, after 16 E 5", '1', typed + "16 E 5", typed.size() + 6, "", true},
      {"typed, after 16 E 50 N", '1', typed + "16 E 50 N", typed.size() + 9, "", true},
      {"typed, after 16 E and 50 on the next line", '1', typed + "16 E\n50", typed.size() + 7, "", true},
      {"typed, within a long line's last piece", '1', typed + std::string(70000, ' ') + "16 E 50 N\n",
       typed.size() + 70000 + 7, "", true},
  };
  const char* asan = std::getenv("ASAN_OPTIONS");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testkit::ScratchDir outside;
    const fs::path seen = outside.path() / "seen";
    auto r = std::make_unique<Session>();
    const fs::path cut = r->dir.path() / (c.typed ? "typed.txt" : "quelta_in.txt");
    r->dir.write(cut.filename().string(), c.data);
    RunOptions options = typing(c.typed ? "" : file_to_file(c.format));
    if (c.typed) options.input_file = cut.string();
    // A sanitized program wants its runtime first among the libraries.
    options.env = {std::string("LD_PRELOAD=") + QX_CUT_READS, "QX_CUT_FILE=" + cut.string(),
                   "QX_CUT_AT=" + std::to_string(c.cut_at), "QX_CUT_SEEN=" + seen.string(),
                   std::string("ASAN_OPTIONS=") + (asan != nullptr ? asan : "") + ":verify_asan_link_order=0"};
    r->run = run_program(r->dir.path(), options);
    if (testkit::kSanitized && !fs::exists(seen))
      GTEST_SKIP() << "the sanitizer's runtime keeps the program's reads to itself";
    ASSERT_TRUE(fs::exists(seen)) << "the program's reads never met the cut";
    EXPECT_EQ(0, r->run.status);
    const std::string want = c.typed ? first_typed_record_unreadable() : second_record_unreadable(c.format);
    const std::string console = mask(r->run.console);
    EXPECT_EQ(want, console) << first_difference(want, console);
    if (!c.typed) {
      EXPECT_EQ(results_with("T", c.first + "\n"), mask(r->results()));
    }
  }
}

class Interrupt : public ::testing::TestWithParam<int> {};

TEST_P(Interrupt, KeepsEveryCompleteResultLine) {
  std::string data = "t\nh\n";
  for (int i = 0; i < 5000; ++i) data += "16 'E' 50 'N'\n";
  data += "16 'W' 20 'A'\n16 'E' 50 'N'\n";  // the turned strike waits at its pause
  RunOptions options = typing(file_to_file());
  options.keep_typing = true;
  options.interrupt_at = "===> HIT RETURN TO CONTINUE";
  options.interrupt_signal = GetParam();
  const auto r = run_on(data, options);
  EXPECT_EQ(128 + GetParam(), r->run.status);
  const std::string results = r->results();
  expect_clean_results(results);
  EXPECT_EQ(5002u, count_lines(results));
}

INSTANTIATE_TEST_SUITE_P(Signals, Interrupt, ::testing::Values(SIGINT, SIGTERM),
                         [](const auto& info) { return info.param == SIGINT ? "SIGINT" : "SIGTERM"; });

// A signal while the program waits for more records from a pipe that stays
// open (a logger still writing) with a thousand result lines buffered, or
// while a slow reader holds up the screen: whole lines only, and on the
// screen every buffered one that the reader takes.
TEST(Interrupt, KeepsWholeLinesAtTheSizeLimitAndOnTheScreen) {
  const std::string converted = "  16.0\t'E'\t  50.0\t'N'\t 283.5\t  50.8\t ";
  const struct {
    const char* name;
    char output;          // the menu answer
    long size_limit;      // of the results file
    std::size_t records;  // 1000: from a pipe held open; more: from a file, onto a slow screen
  } cases[] = {{"a results file at its size limit", '1', 30000, 1000},
               {"the screen, a file", '2', -1, 1000},
               {"the screen, a pipe read slowly", '2', -1, 200000}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto r = std::make_unique<Session>();
    std::string data = "t\nh\n";
    for (std::size_t i = 0; i < c.records; ++i) data += "16 'E' 50 'N'\n";
    RunOptions options = typing(std::string("\n1\n\n1\n") + c.output + (c.output == '1' ? "\n\n" : "\n"));
    options.interrupt_signal = SIGTERM;
    options.file_size_limit = c.size_limit;
    int held = -1;
    if (c.records == 1000) {
      const fs::path pipe = r->dir.path() / "quelta_in.txt";
      ASSERT_EQ(0, mkfifo(pipe.c_str(), 0600));
      held = open(pipe.c_str(), O_RDWR);
      ASSERT_EQ(static_cast<ssize_t>(data.size()), write(held, data.data(), data.size()));
      options.interrupt_when_reading = pipe;
    } else {
      r->dir.write("quelta_in.txt", data);
      options.console_stalls = true;
      options.console_reads = 4096;
      options.interrupt_delay_ms = 100;  // the program held up in a write by then
    }
    r->run = run_program(r->dir.path(), options);
    if (held >= 0) close(held);
    EXPECT_EQ(128 + SIGTERM, r->run.status);
    const std::string out = c.output == '1' ? r->results() : r->run.console;
    ASSERT_FALSE(out.empty());
    EXPECT_EQ('\n', out.back()) << "a line cut: " << out.substr(out.size() - std::min<std::size_t>(out.size(), 60));
    const std::vector<std::string> lines = testkit::lines_of(out);
    const auto results = static_cast<std::size_t>(std::count(lines.begin(), lines.end(), converted));
    if (c.size_limit >= 0) {
      EXPECT_LE(out.size(), static_cast<std::size_t>(c.size_limit));
      EXPECT_EQ(lines.size(), 2 + results) << "whole result lines after the header";
      EXPECT_GT(results, 500u);
    } else if (c.records == 1000) {
      EXPECT_EQ(1000u, results) << "every buffered line";
    } else {
      const auto first = std::find(lines.begin(), lines.end(), converted);
      EXPECT_EQ(static_cast<std::size_t>(lines.end() - first), results) << "nothing but whole result lines";
      EXPECT_GT(results, 0u);
    }
  }
}

// A user who leaves the program waiting at a pause: the results so far are
// on disk already, and a signal from outside keeps them.
TEST(Interrupt, AtAPauseTheResultsAreOnDiskAlready) {
  std::string data = "t\nh\n";
  for (int i = 0; i < 5000; ++i) data += "16 'E' 50 'N'\n";
  data += "16 'W' 20 'A'\n16 'E' 50 'N'\n";  // the turned strike waits at its pause
  auto r = std::make_unique<Session>();
  r->dir.write("quelta_in.txt", data);
  std::size_t at_the_pause = 0;
  RunOptions options = typing(file_to_file());
  options.keep_typing = true;
  options.interrupt_at = "===> HIT RETURN TO CONTINUE";
  options.interrupt_signal = SIGQUIT;
  options.before_interrupt = [&] { at_the_pause = count_lines(r->results()); };
  r->run = run_program(r->dir.path(), options);
  EXPECT_EQ(5002u, at_the_pause);
  EXPECT_EQ(128 + SIGQUIT, r->run.status);
  expect_clean_results(r->results());
  EXPECT_EQ(5002u, count_lines(r->results()));
}

// Signals at random moments of a long run: what is on disk is the start of
// the results, whole lines only.
class SignalMidRun : public ::testing::TestWithParam<int> {};

TEST_P(SignalMidRun, LeavesAnExactPrefixOfCompleteLines) {
  const std::string lines[] = {"  16.0\t'E'\t  50.0\t'N'\t 283.5\t  50.8\t ",
                               "  16.0\t'W'\t 200.0\t'A'\t 200.0\t  17.0\t "};
  auto r = std::make_unique<Session>();
  {
    std::ofstream f(r->dir.path() / "quelta_in.txt");
    f << "t\nh\n";
    for (int i = 0; i < 500000; ++i) f << "16 'E' 50 'N'\n16 'W' 200 'A'\n";
  }
  std::mt19937 gen(static_cast<std::uint32_t>(GetParam()));
  for (int run = 0; run < 2; ++run) {
    fs::remove(r->dir.path() / "quelta_out.txt");
    RunOptions options = typing(file_to_file());
    // Once the first results are on disk, the run is well inside its records.
    options.interrupt_when = [&] { return holds_bytes(r->dir.path() / "quelta_out.txt"); };
    options.interrupt_delay_ms = std::uniform_int_distribution<int>(0, 150)(gen);
    options.interrupt_signal = GetParam();
    r->run = run_program(r->dir.path(), options);
    SCOPED_TRACE("after " + std::to_string(options.interrupt_delay_ms) + " ms");
    EXPECT_EQ(128 + GetParam(), r->run.status);
    const std::string results = r->results();
    expect_clean_results(results);
    const std::vector<std::string> got = testkit::lines_of(results);
    ASSERT_GE(got.size(), 2u);
    EXPECT_EQ(0u, got[0].find("'t'\tinput file = quelta_in.txt"));
    for (std::size_t i = 2; i < got.size(); ++i) ASSERT_EQ(lines[i % 2], got[i]) << "line " << i + 1;
  }
}

// A signal while the program is held up by its console (a terminal scrolled
// back, a pipe nobody reads): the result lines still in memory reach the file.
class SignalWhileStalled : public ::testing::TestWithParam<int> {};

TEST_P(SignalWhileStalled, KeepsEveryLineWritten) {
  auto r = std::make_unique<Session>();
  {
    std::ofstream f(r->dir.path() / "quelta_in.txt");
    f << "t\nh\n";
    for (int i = 0; i < 5000; ++i) f << "16 'E' 50 'W'\n";  // each an error frame on the console
  }
  RunOptions options = typing(file_to_file());
  options.console_stalls = true;
  options.interrupt_signal = GetParam();
  r->run = run_program(r->dir.path(), options);
  EXPECT_EQ(128 + GetParam(), r->run.status);
  const std::string results = r->results();
  expect_clean_results(results);
  // Each record's line is written right after its frame.
  std::size_t frames = 0;
  for (auto at = r->run.console.find("NO CONVERSION"); at != std::string::npos;
       at = r->run.console.find("NO CONVERSION", at + 1))
    ++frames;
  EXPECT_GE(frames, 20u);
  EXPECT_GE(count_lines(results), 2 + frames - 1);
}

std::string name_of(int sig) {
  if (sig >= SIGRTMIN && sig <= SIGRTMAX) return "RTMIN_plus_" + std::to_string(sig - SIGRTMIN);
  return sigabbrev_np(sig);
}

std::string signal_name(const ::testing::TestParamInfo<int>& info) { return name_of(info.param); }

// Every signal that another process can send and whose default action ends
// the process (the faults among them, sent rather than raised).
std::vector<int> terminating_signals() {
  std::vector<int> sigs = {SIGINT,  SIGTERM, SIGHUP,  SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM,
                           SIGPROF, SIGXCPU, SIGSTKFLT, SIGIO, SIGPWR, SIGSEGV, SIGBUS,  SIGILL,
                           SIGFPE,  SIGABRT, SIGTRAP, SIGSYS};
  for (int sig = SIGRTMIN; sig <= SIGRTMAX; ++sig) sigs.push_back(sig);
  return sigs;
}

INSTANTIATE_TEST_SUITE_P(Signals, SignalMidRun, ::testing::Values(SIGQUIT, SIGUSR1, SIGXCPU), signal_name);
INSTANTIATE_TEST_SUITE_P(Signals, SignalWhileStalled, ::testing::ValuesIn(terminating_signals()), signal_name);

// Two signals close together (a hang-up followed by the shell's own signal,
// Ctrl-C twice): every line once and whole, and the first signal ends the run.
struct SignalPair {
  int first;
  int second;
};

class TwoSignals : public ::testing::TestWithParam<SignalPair> {};

TEST_P(TwoSignals, WriteEveryLineOnceAndEndByTheFirst) {
  auto r = std::make_unique<Session>();
  {
    // Every record's line differs from every other: a block written twice shows.
    std::ofstream f(r->dir.path() / "quelta_in.txt");
    f << "t\nh\n";
    for (int i = 0; i < 250000; ++i) f << 1 + i % 800 / 10.0 << ' ' << i / 800 << " 50 " << i / 800 + 90 << '\n';
  }
  r->run = run_program(r->dir.path(), typing(file_to_file('2')));
  ASSERT_EQ(0, r->run.status);
  const std::vector<std::string> full = testkit::lines_of(r->results());
  ASSERT_EQ(250002u, full.size());
  std::mt19937 gen(static_cast<std::uint32_t>(GetParam().first * 100 + GetParam().second));
  for (int run = 0; run < 8; ++run) {
    fs::remove(r->dir.path() / "quelta_out.txt");
    RunOptions options = typing(file_to_file('2'));
    options.interrupt_when = [&] { return holds_bytes(r->dir.path() / "quelta_out.txt"); };
    options.interrupt_delay_ms = std::uniform_int_distribution<int>(0, 30)(gen);
    options.interrupt_signal = GetParam().first;
    options.second_signal = GetParam().second;
    options.second_signal_delay_us = std::uniform_int_distribution<int>(0, 100)(gen);
    r->run = run_program(r->dir.path(), options);
    SCOPED_TRACE("after " + std::to_string(options.interrupt_delay_ms) + " ms, then " +
                 std::to_string(options.second_signal_delay_us) + " us");
    EXPECT_EQ(128 + GetParam().first, r->run.status);
    const std::string results = r->results();
    expect_clean_results(results);
    const std::vector<std::string> got = testkit::lines_of(results);
    ASSERT_LE(got.size(), full.size());
    ASSERT_GE(got.size(), 2u);
    EXPECT_EQ(0u, got[0].find("'t'\tinput file = quelta_in.txt"));  // its time may differ
    for (std::size_t i = 1; i < got.size(); ++i) ASSERT_EQ(full[i], got[i]) << "line " << i + 1;
  }
}

INSTANTIATE_TEST_SUITE_P(Signals, TwoSignals,
                         ::testing::Values(SignalPair{SIGHUP, SIGTERM}, SignalPair{SIGINT, SIGTERM},
                                           SignalPair{SIGINT, SIGINT}, SignalPair{SIGTERM, SIGRTMIN}),
                         [](const auto& info) { return name_of(info.param.first) + "_then_" + name_of(info.param.second); });

}  // namespace
}  // namespace qx::e2e
