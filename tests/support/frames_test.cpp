// Console set-up and frames, byte for byte, and the pause of the tails.

#include "support/frames.hpp"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "testkit/frame_texts.hpp"
#include "testkit/test_session.hpp"

namespace qx {
namespace {

using namespace testkit;

// The name in 13 columns, right-justified or cut; its trailing blanks count.
TEST(Frames, ErrorAndWarningHeads) {
  struct Case {
    bool warning;
    std::string_view name;
    std::string field;
  };
  const Case cases[] = {
      {false, "inintegvindef", "inintegvindef"},
      {false, "abcdefghijklmnopqrst", "abcdefghijklm"},
      {false, "", "             "},
      {true, "swpinfo    ", "  swpinfo    "},
  };
  for (const auto& c : cases) {
    TestSession ts;
    if (c.warning) warninghead(ts.s, c.name, "1.0 ", "2024-10-25");
    if (!c.warning) errorhead(ts.s, c.name, "1.0 ", "2024-10-25");
    EXPECT_EQ(ts.take(), c.warning ? warning_head(c.field) : error_head(c.field)) << "'" << c.name << "'";
  }
}

TEST(Frames, MenuHeadsTitleVersionAndDate) {
  struct Case {
    bool main;
    RoutineId id;
    const char* line;
  };
  const Case cases[] = {
      // At most 18 (main) or 20 (other) characters of the name; its trailing blanks count.
      {true, {"abcdefghijklmnopqrstuvwxyz", " 8.0", "2025"}, " @ main program abcdefghijklmnopqr  v8.0       2025\n"},
      {false, {"abcdefghijklmnopqrstuvwxyz", "    ", ""}, " @ subroutine abcdefghijklmnopqrst     v           \n"},
      {false, {"ab  ", "12345", "2024-10-25T10:00"}, " @ subroutine ab                   v1234 2024-10-25\n"},
      // "vab   c" cut to six characters, then trimmed.
      {false, {"x", "ab   c", "2024-10-25"}, " @ subroutine x                      vab 2024-10-25\n"},
      {false, {"x", "1.2.3.4", "2024-10-25"}, " @ subroutine x                    v1.2. 2024-10-25\n"},
      {false, {"x", "", "2024-10-25"}, " @ subroutine x                        v 2024-10-25\n"},
  };
  for (const auto& c : cases) {
    TestSession ts;
    if (c.main) mainmenuhead(ts.s, c.id);
    if (!c.main) submenuhead(ts.s, c.id);
    menutail(ts.s);
    EXPECT_EQ(ts.take(), menu_head(c.line) + kAtRule) << c.id.name << "|" << c.id.vers << "|" << c.id.date;
  }
}

const std::string kWritesioHead = menu_head(" @ subroutine writesio              v2.1 2024-10-25\n");

TEST(Initsio2, FillsTheBlockAndListsIt) {
  TestSession ts;
  ts.s.iocom = IoCom{};
  ts.s.iocom.IUCMDF = 31;  // left as they are
  ts.s.iocom.ICMDFIDX = 2;
  ts.s.iocom.LPLOTF = true;
  ts.s.iocom.LCMDF = true;
  initsio2(ts.s, 0);
  const IoCom& io = ts.s.iocom;
  EXPECT_EQ(std::tuple(io.IUSTDIN, io.IUSTDOUT, io.IUERRIN, io.IUERROUT, io.IUCMDF, io.ICMDFIDX),
            std::tuple(5, 6, 5, 6, 31, 2));
  EXPECT_EQ(std::tuple(io.LPLOTF, io.LCMDF, io.LPAUSE, io.LWITO[0], io.LWITO[1], io.LWITO[2]),
            std::tuple(false, false, true, true, true, false));
  // The listing that follows: its head, the heading, ten value lines and its tail.
  const std::string out = ts.take();
  const std::string start = menu_head(" @ subroutine initsio2              v4.1 2024-10-25\n") +
                            " INITIALIZING INPUT/OUTPUT\n" + kWritesioHead + " INPUT/OUTPUT SET UP:\n";
  EXPECT_EQ(out.substr(0, start.size()), start);
  EXPECT_EQ(testkit::lines_of(out).size(), 4u + 3u + 1u + 10u + 1u);
  EXPECT_TRUE(out.ends_with(" pause after warning or error:  T\n" + kAtRule));
}

// The head and tail stay on the console whatever unit takes the listing.
TEST(Writesio, WithACommandFileTwelveLines) {
  TestSession ts;
  ASSERT_TRUE(ts.units.open(26, "sio.txt", "new"));
  // Neighbouring lines show different values.
  ts.s.iocom.IUSTDIN = -1;
  ts.s.iocom.IUERROUT = 7;
  ts.s.iocom.LWITO = {false, true, false};
  ts.s.iocom.LCMDF = true;
  ts.s.iocom.IUCMDF = 31;
  ts.s.iocom.ICMDFIDX = 100;  // too wide for its two columns
  ts.s.iocom.LPLOTF = false;
  ts.s.iocom.LPAUSE = true;
  writesio(ts.s, 26);
  ts.units.close(26);
  EXPECT_EQ(ts.take(), kWritesioHead + kAtRule);
  EXPECT_EQ(ts.dir.read("sio.txt"),
            " INPUT/OUTPUT SET UP:\n"
            " standard  input unit        = -1\n"
            " standard output unit        =  6\n"
            " error     input unit        =  5\n"
            " error    output unit        =  7\n"
            " minimum output enabled      :  F\n"
            " more    output enabled      :  T\n"
            " maximum output enabled      :  F\n"
            " command file open status    :  T\n"
            " command file input unit     = 31\n"
            " command file input index    = **\n"
            " plot    file open status    :  F\n"
            " pause after warning or error:  T\n");
}

// Both tails, the error tail first: their prompts, what they leave unread.
TEST(Pause, PromptsUntilALineIsRead) {
  struct Case {
    const char* what;
    std::string typed;
    int failed_reads;  // before the typed lines
    bool pause, cmdf;
    std::string out;
    std::size_t left;
    bool ends_with_error = false;  // after the typed lines
  };
  const std::string continued = kHitReturn + kErrorEnd + kHitReturn + kWarningEnd;
  const Case cases[] = {
      {"any line, one each", "go on\n\nnext\n", 0, true, false, continued, 1},
      {"off", "\n", 0, false, false, kErrorEnd + kWarningEnd, 1},
      {"command file", "\n\n", 0, true, true,
       " ===> HIT RETURN TO RESUME COMMANDS\n" + kErrorEnd + " ===> HIT RETURN TO RESUME COMMANDS\n" + kWarningEnd, 0},
      {"failed reads", "\n\n", 2, true, false, kHitReturn + kHitReturn + continued, 0},
      {"end of input, final", "", 0, true, false, continued, 0},
      {"a failed read that ends the input", "", 0, true, false, continued, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TestSession ts;
    for (int i = 0; i < c.failed_reads; ++i) ts.console.fail_next_read();
    ts.console.type(c.typed);
    if (c.ends_with_error) ts.console.end_with_error();
    ts.s.iocom.LPAUSE = c.pause;
    ts.s.iocom.LCMDF = c.cmdf;
    errortail00(ts.s);
    warningtail00(ts.s);
    EXPECT_EQ(ts.take(), c.out);
    EXPECT_EQ(ts.console.lines_left(), c.left);
  }
}

TEST(Pause, PromptsOnTheErrorOutputAndReadsTheErrorInput) {
  TestSession ts;
  ts.dir.write("returns.txt", "\n");
  ASSERT_TRUE(ts.units.open(27, "returns.txt", "old"));
  ASSERT_TRUE(ts.units.open(28, "errors.txt", "new"));
  ts.s.iocom.IUERRIN = 27;
  ts.s.iocom.IUERROUT = 28;
  errorhead(ts.s, "x", "1.0 ", "2024-10-25");
  errortail00(ts.s);
  ts.units.close(28);
  EXPECT_EQ(ts.take(), "");
  EXPECT_EQ(ts.dir.read("errors.txt"), error_head("            x") + kHitReturn + kErrorEnd);
  EXPECT_EQ(ts.console.reads(), 0);
}

}  // namespace
}  // namespace qx
