// Console set-up and frames, byte for byte, and the pause of the tails.

#include <gtest/gtest.h>

#include <string>

#include "support/frames.hpp"
#include "testkit/test_session.hpp"

namespace qx {
namespace {

using testkit::TestSession;

constexpr const char* kStars = " **************************************************\n";
constexpr const char* kSlashes = " //////////////////////////////////////////////////\n";
constexpr const char* kAts = " @@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@\n";
constexpr const char* kEquals = " @=================================================\n";
constexpr const char* kStarsEmpty = " ***                                            ***\n";
constexpr const char* kErrorWord = " ***                   ERROR                    ***\n";
constexpr const char* kErrorEnd = " ***                 ERROR END                  ***\n";
constexpr const char* kWarningWord = " ///                  WARNING                   ///\n";
constexpr const char* kWarningEnd = " ///                WARNING END                 ///\n";
constexpr const char* kContinue = " ===> HIT RETURN TO CONTINUE\n";
constexpr const char* kResume = " ===> HIT RETURN TO RESUME COMMANDS\n";

std::string error_head(const char* named_line) {
  return std::string(kStars) + kStars + kStarsEmpty + named_line + kErrorWord + kStarsEmpty + kStars + kStars;
}

std::string error_tail() { return std::string(kStars) + kErrorEnd + kStars; }
std::string warning_tail() { return std::string(kSlashes) + kWarningEnd + kSlashes; }

TEST(Frames, EveryFrameLineIs51Columns) {
  for (const char* l : {kStars, kSlashes, kAts, kEquals, kStarsEmpty, kErrorWord, kErrorEnd, kWarningWord,
                        kWarningEnd}) {
    EXPECT_EQ(std::string(l).size(), 52u) << l;  // with its line feed
  }
}

TEST(Frames, ErrorHeadAndTail) {
  TestSession ts("\n");
  errorhead(ts.s, "opef2", "5.3 ", "2024-10-25");
  ts.s.out(" cannot open file");
  errortail00(ts.s);
  EXPECT_EQ(ts.take(), error_head(" ***          subroutine         opef2          ***\n") +
                           " cannot open file\n" + kContinue + error_tail());
  EXPECT_EQ(ts.console.reads(), 1);
}

TEST(Frames, WarningHeadAndTail) {
  TestSession ts("\n");
  warninghead(ts.s, RoutineId{"swpinfo    ", "3.0 ", "2024-10-25"});
  warningtail00(ts.s);
  EXPECT_EQ(ts.take(), std::string(kSlashes) + " ///          subroutine   swpinfo              ///\n" +
                           kWarningWord + kSlashes + kContinue + warning_tail());
}

TEST(Frames, TheNameField) {
  struct Case {
    std::string_view name;
    const char* line;
  };
  const Case cases[] = {
      {"opef2", " ***          subroutine         opef2          ***\n"},
      {"inintegvindef", " ***          subroutine inintegvindef          ***\n"},
      {"abcdefghijklmnopqrst", " ***          subroutine abcdefghijklm          ***\n"},
      {"swpinfo    ", " ***          subroutine   swpinfo              ***\n"},
      {"", " ***          subroutine                        ***\n"},
  };
  for (const auto& c : cases) {
    TestSession ts;
    errorhead(ts.s, c.name, "1.0 ", "2024-10-25");
    EXPECT_EQ(ts.take(), error_head(c.line)) << "'" << c.name << "'";
  }
}

std::string menu_title(std::string_view title_line) { return std::string(kAts) + std::string(title_line) + kEquals; }

TEST(Frames, MenuHeads) {
  struct Case {
    bool main;
    RoutineId id;
    const char* line;
  };
  const Case cases[] = {
      {true, {"quellatorix", "5.1", "2025-04-11"}, " @ main program quellatorix         v5.1 2025-04-11\n"},
      {false, {"initsio2", "4.1 ", "2024-10-25"}, " @ subroutine initsio2              v4.1 2024-10-25\n"},
      // The title keeps at most 18 (main) or 20 (other) characters of the name.
      {true, {"abcdefghijklmnopqrstuvwxyz", "5.1", "2025-04-11"},
       " @ main program abcdefghijklmnopqr  v5.1 2025-04-11\n"},
      {false, {"abcdefghijklmnopqrstuvwxyz", "5.1", "2025-04-11"},
       " @ subroutine abcdefghijklmnopqrst  v5.1 2025-04-11\n"},
      {false, {"ab  ", "5.1", "2025-04-11"}, " @ subroutine ab                    v5.1 2025-04-11\n"},
  };
  for (const auto& c : cases) {
    TestSession ts;
    if (c.main) {
      mainmenuhead(ts.s, c.id);
    } else {
      submenuhead(ts.s, c.id);
    }
    menutail(ts.s);
    EXPECT_EQ(ts.take(), menu_title(c.line) + kAts) << c.id.name;
  }
}

TEST(Frames, TheVersionField) {
  struct Case {
    std::string_view vers;
    const char* field;  // columns 36 to 40
  };
  const Case cases[] = {
      {"5.1", " v5.1"},  {"4.1 ", " v4.1"}, {" 8.0", " v8.0"},  {"    ", "    v"}, {"", "    v"},
      {"12345", "v1234"}, {"1", "   v1"},  {"  2  ", "   v2"}, {"ab   c", "  vab"},  // cut to six, then trimmed
      {"1.2.3.4", "v1.2."},
  };
  for (const auto& c : cases) {
    TestSession ts;
    submenuhead(ts.s, "x", c.vers, "2024-10-25");
    EXPECT_EQ(ts.take(), menu_title(std::string(" @ subroutine x                    ") + c.field + " 2024-10-25\n"))
        << "'" << c.vers << "'";
  }
}

TEST(Frames, TheDateField) {
  struct Case {
    std::string_view date;
    const char* field;
  };
  const Case cases[] = {
      {"2024-10-25", "2024-10-25"},
      {"2024", "      2024"},
      {"2024-10-25T10:00", "2024-10-25"},
      {"", "          "},
  };
  for (const auto& c : cases) {
    TestSession ts;
    submenuhead(ts.s, "x", "1.0 ", c.date);
    EXPECT_EQ(ts.take(), menu_title(std::string(" @ subroutine x                     v1.0 ") + c.field + "\n"))
        << "'" << c.date << "'";
  }
}

const std::string kInitsio2Head = menu_title(" @ subroutine initsio2              v4.1 2024-10-25\n");
const std::string kWritesioHead = menu_title(" @ subroutine writesio              v2.1 2024-10-25\n");

constexpr const char* kListing =
    " INPUT/OUTPUT SET UP:\n"
    " standard  input unit        =  5\n"
    " standard output unit        =  6\n"
    " error     input unit        =  5\n"
    " error    output unit        =  6\n"
    " minimum output enabled      :  T\n"
    " more    output enabled      :  T\n"
    " maximum output enabled      :  F\n"
    " command file open status    :  F\n"
    " plot    file open status    :  F\n"
    " pause after warning or error:  T\n";

TEST(Initsio2, FillsTheBlockAndAnnouncesItself) {
  TestSession ts;
  ts.s.iocom = IoCom{};
  ts.s.iocom.IUCMDF = 31;  // left as it is
  ts.s.iocom.ICMDFIDX = 2;
  ts.s.iocom.LPLOTF = true;
  ts.s.iocom.LCMDF = true;
  initsio2(ts.s, 5);
  EXPECT_EQ(ts.take(), kInitsio2Head + " INITIALIZING INPUT/OUTPUT\n");
  const IoCom& io = ts.s.iocom;
  EXPECT_EQ(io.IUSTDIN, 5);
  EXPECT_EQ(io.IUSTDOUT, 6);
  EXPECT_EQ(io.IUERRIN, 5);
  EXPECT_EQ(io.IUERROUT, 6);
  EXPECT_EQ(io.IUCMDF, 31);
  EXPECT_EQ(io.ICMDFIDX, 2);
  EXPECT_FALSE(io.LPLOTF);
  EXPECT_FALSE(io.LCMDF);
  EXPECT_TRUE(io.LPAUSE);
  EXPECT_TRUE(io.LWITO[0]);
  EXPECT_TRUE(io.LWITO[1]);
  EXPECT_FALSE(io.LWITO[2]);
  EXPECT_EQ(ts.console.reads(), 0);
}

TEST(Initsio2, WithFlagZeroListsTheSetUp) {
  TestSession ts;
  ts.s.iocom = IoCom{};
  initsio2(ts.s, 0);
  EXPECT_EQ(ts.take(), kInitsio2Head + " INITIALIZING INPUT/OUTPUT\n" + kWritesioHead + kListing + kAts);
}

TEST(Writesio, WithACommandFileTwelveLines) {
  TestSession ts;
  ts.s.iocom.LCMDF = true;
  ts.s.iocom.IUCMDF = 31;
  ts.s.iocom.ICMDFIDX = 100;  // too wide for its two columns
  ts.s.iocom.LPLOTF = true;
  ts.s.iocom.LPAUSE = false;
  ts.s.iocom.LWITO = {false, true, true};
  writesio(ts.s, 6);
  EXPECT_EQ(ts.take(), kWritesioHead +
                           " INPUT/OUTPUT SET UP:\n"
                           " standard  input unit        =  5\n"
                           " standard output unit        =  6\n"
                           " error     input unit        =  5\n"
                           " error    output unit        =  6\n"
                           " minimum output enabled      :  F\n"
                           " more    output enabled      :  T\n"
                           " maximum output enabled      :  T\n"
                           " command file open status    :  T\n"
                           " command file input unit     = 31\n"
                           " command file input index    = **\n"
                           " plot    file open status    :  T\n"
                           " pause after warning or error:  F\n" +
                           kAts);
}

TEST(Writesio, ToAnotherUnitTheFramesStayOnTheConsole) {
  TestSession ts;
  ASSERT_TRUE(ts.units.open(26, "sio.txt", "new"));
  writesio(ts.s, 26);
  ts.units.close(26);
  EXPECT_EQ(ts.dir.read("sio.txt"), kListing);
  EXPECT_EQ(ts.take(), kWritesioHead + kAts);
}

TEST(Pause, OffWritesTheTailAtOnceAndReadsNothing) {
  TestSession ts("\n");
  ts.s.iocom.LPAUSE = false;
  errortail00(ts.s);
  warningtail00(ts.s);
  EXPECT_EQ(ts.take(), error_tail() + warning_tail());
  EXPECT_EQ(ts.console.reads(), 0);
  EXPECT_EQ(ts.console.lines_left(), 1u);
}

TEST(Pause, WithACommandFileOpenTheOtherPrompt) {
  TestSession ts("\n\n");
  ts.s.iocom.LCMDF = true;
  errortail00(ts.s);
  warningtail00(ts.s);
  EXPECT_EQ(ts.take(), kResume + error_tail() + kResume + warning_tail());
}

TEST(Pause, AnyLineEndsItAndOnlyOneIsTaken) {
  TestSession ts("go on\n\nnext\n");
  warningtail00(ts.s);
  errortail00(ts.s);
  EXPECT_EQ(ts.take(), kContinue + warning_tail() + kContinue + error_tail());
  EXPECT_EQ(ts.console.lines_left(), 1u);
}

TEST(Pause, AFailedReadAsksAgain) {
  TestSession ts;
  ts.console.fail_next_read();
  ts.console.fail_next_read();
  ts.console.type("\n");
  errortail00(ts.s);
  EXPECT_EQ(ts.take(), std::string(kContinue) + kContinue + kContinue + error_tail());
  EXPECT_EQ(ts.console.reads(), 3);
}

TEST(Pause, TheEndOfTheConsoleInputEndsIt) {
  TestSession ts;
  errortail00(ts.s);
  warningtail00(ts.s);  // the end is final: one prompt, no wait
  EXPECT_EQ(ts.take(), kContinue + error_tail() + kContinue + warning_tail());
  EXPECT_TRUE(ts.units.console_ended());
}

TEST(Pause, PromptsOnTheErrorOutputAndReadsTheErrorInput) {
  TestSession ts;
  ts.dir.write("returns.txt", "\n");
  ASSERT_TRUE(ts.units.open(27, "returns.txt", "old"));
  ASSERT_TRUE(ts.units.open(28, "errors.txt", "new"));
  ts.s.iocom.IUERRIN = 27;
  ts.s.iocom.IUERROUT = 28;
  ts.s.iocom.LCMDF = true;
  errorhead(ts.s, "x", "1.0 ", "2024-10-25");
  errortail00(ts.s);
  ts.units.close(28);
  EXPECT_EQ(ts.take(), "");
  EXPECT_EQ(ts.dir.read("errors.txt"),
            error_head(" ***          subroutine             x          ***\n") + kResume + error_tail());
  EXPECT_EQ(ts.console.reads(), 0);
}

}  // namespace
}  // namespace qx
