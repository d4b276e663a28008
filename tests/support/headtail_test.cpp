#include "support/headtail.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "support/pictures.hpp"
#include "testkit/test_session.hpp"

namespace qx {
namespace {

using testkit::TestSession;

void snapshot(RunInfo3Com& ri, int code) {
  ri.ROUTLEVEL = 1;
  ri.RUNINFOCODE = code;
  ri.ROUTNAME[0] = "quellatorix";
  ri.ROUTVERS[0] = "5.1";
  ri.ROUTDATE[0] = "2025-04-11";
  ri.STARTDATE = "2025-03-04";
  ri.STARTTIME = "09:05:03";
  ri.USERTEXT = "tester";
  ri.HOSTTEXT = "testhost";
  ri.OSTEXT = "MacOS_10.15.7";
  ri.CPUTEXT = "Core i7-8700B CPU @ 3.20GHz";
  ri.CLOCKSTART = 1000;
  ri.CPUSTART = 1.0f;
}

const std::string kHeadTop =
    " @@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@\n"
    " @                                                @\n"
    " @          MAIN PROGRAM: quellatorix             @\n"
    " @               Version: 5.1                     @\n"
    " @                  Date: 2025-04-11              @\n"
    " @                                                @\n"
    " @------------------------------------------------@\n"
    " @                                                @\n"
    " @       Starting on 2025-03-04 at 09:05:03       @\n";

const std::string kHeadWho =
    " @      User: tester                              @\n"
    " @      Host: testhost                            @\n";

const std::string kHeadRest =
    " @    System: MacOS_10.15.7                       @\n"
    " @       CPU: Core i7-8700B CPU @ 3.20GHz         @\n"
    " @                                                @\n"
    " @------------------------------------------------@\n"
    " @                                                @\n"
    " @                   Written by                   @\n"
    " @           the quellatorix developers           @\n"
    " @                                                @\n"
    " @             The quellatorix project            @\n"
    " @            Structural geology tools            @\n"
    " @               Strike and true dip              @\n"
    " @               of fracture planes               @\n"
    " @               from apparent dips               @\n"
    " @                                                @\n"
    " @      Report of any problem is appreciated      @\n"
    " @                                                @\n"
    " @------------------------------------------------@\n"
    " @             HIT RETURN TO CONTINUE             @\n"
    " @@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@\n";

TEST(Progheadwz2, EveryLineIsFiftyOneColumns) {
  for (const auto& l : testkit::lines_of(kHeadTop + kHeadWho + kHeadRest)) EXPECT_EQ(l.size(), 51u) << l;
}

TEST(Progheadwz2, UserAndHostOnlyForCodesZeroAndOne) {
  const struct {
    int code;
    std::string want;
  } cases[] = {
      {0, kHeadTop + kHeadWho + kHeadRest},
      {1, kHeadTop + kHeadWho + kHeadRest},
      {2, kHeadTop + kHeadRest},
      {3, kHeadTop + kHeadRest},
  };
  for (const auto& c : cases) {
    TestSession ts("\nnext\n");
    snapshot(ts.s.runinfo3com, c.code);
    progheadwz2(ts.s);
    EXPECT_EQ(ts.take(), c.want) << c.code;
    Text<10> rest;
    ASSERT_EQ(ts.units.read_line(5, rest.span()), platform::IoStatus::ok);
    EXPECT_EQ(rest, "next");  // one line was taken
  }
}

TEST(Progheadwz2, WaitsOnStandardInputWhateverThePauseSwitch) {
  TestSession ts("go on\nnext\n");
  snapshot(ts.s.runinfo3com, 3);
  ts.s.iocom.LPAUSE = false;
  ts.s.iocom.IUERRIN = 77;  // nothing there: the wait must not read it
  progheadwz2(ts.s);
  Text<10> rest;
  ASSERT_EQ(ts.units.read_line(5, rest.span()), platform::IoStatus::ok);
  EXPECT_EQ(rest, "next");
}

TEST(Progheadwz2, EndOfInputEndsTheWait) {
  TestSession ts("");
  snapshot(ts.s.runinfo3com, 3);
  progheadwz2(ts.s);
  EXPECT_EQ(ts.take(), kHeadTop + kHeadRest);
  EXPECT_TRUE(ts.units.console_ended());
}

TEST(Progheadwz2, FieldsAtFullWidthKeepTheFrame) {
  TestSession ts("\n");
  snapshot(ts.s.runinfo3com, 0);
  RunInfo3Com& ri = ts.s.runinfo3com;
  ri.ROUTNAME[0] = "abcdefghijklmnopqrst";
  ri.ROUTVERS[0] = " 8.0";
  ri.USERTEXT = "0123456789";
  ri.HOSTTEXT = "h234567890123456789012345678901234x";
  ri.CPUTEXT = "c23456789012345678901234567890";
  progheadwz2(ts.s);
  const auto lines = testkit::lines_of(ts.take());
  ASSERT_EQ(lines.size(), 30u);
  for (const auto& l : lines) EXPECT_EQ(l.size(), 51u) << l;
  EXPECT_EQ(lines[2], " @          MAIN PROGRAM: abcdefghijklmnopqrst    @");
  EXPECT_EQ(lines[3], " @               Version: 8.0                     @");
  EXPECT_EQ(lines[9], " @      User: 0123456789                          @");
  EXPECT_EQ(lines[10], " @      Host: h234567890123456789012345678901234x @");
  EXPECT_EQ(lines[12], " @       CPU: c23456789012345678901234567890      @");
}

// ------------------------------------------------------------ progtail2

const std::string kTailTop =
    " @@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@\n"
    " @ MAIN PROGRAM quellatorix          Version: 5.1 @\n"
    " @ STARTED    ON 2025-03-04 AT 09:05:03           @\n";
const std::string kHyphens = " @------------------------------------------------@\n";
const std::string kAtRule = " @@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@\n";

std::string drawn(void (*picture)(Session&)) {
  TestSession ts;
  picture(ts.s);
  return ts.take();
}

TEST(Progtail2, WholeTail) {
  TestSession ts;
  snapshot(ts.s.runinfo3com, 3);
  ts.services.time = "091503.250";
  ts.services.clock_count = 1000 + 120000000;
  ts.services.cpu_times = {3.5f};
  progtail2(ts.s);
  EXPECT_EQ(ts.take(), kTailTop +
                           " @ TERMINATED ON 2025-03-04 AT 09:15:03           @\n"
                           " @ ELAPSED TIME =   120.000 seconds               @\n"
                           " @         modulo    35.791 minutes               @\n"
                           " @ CPU TIME     =     2.500 seconds               @\n" +
                           kHyphens + drawn(endfun1) + kAtRule);
  EXPECT_EQ(ts.services.calls, (std::vector<std::string>{"date", "clock", "cpu"}));
}

std::vector<std::string> tail_lines(TestSession& ts) {
  progtail2(ts.s);
  return testkit::lines_of(ts.take());
}

TEST(Progtail2, ElapsedTimeLadderAndWrap) {
  const struct {
    int start;
    int count;
    int rate;
    int max;
    const char* elapsed;
    const char* modulo;
  } cases[] = {
      {1000, 1000 + 120000000, 1000000, 2147483647, "  120.000 seconds", "   35.791 minutes"},
      {1000, 1000 + 121000000, 1000000, 2147483647, "    2.017 minutes", "   35.791 minutes"},
      {1000, 1000 + 7201000, 1000, 2147483647, "    2.000 hours  ", "35791.395 minutes"},
      // The same count as at the start: one whole wrap.
      {1000, 1000, 1000000, 2147483647, "   35.791 minutes", "   35.791 minutes"},
      // A wrap from just below the maximum, without overflow.
      {2147483000, 500, 1000000, 2147483647, "    0.001 seconds", "   35.791 minutes"},
      {0, 50, 1000, 100000, "    0.050 seconds", "  100.000 seconds"},
      {0, 7, 1, 121, "    7.000 seconds", "    2.017 minutes"},
  };
  for (const auto& c : cases) {
    TestSession ts;
    snapshot(ts.s.runinfo3com, 3);
    ts.s.runinfo3com.CLOCKSTART = c.start;
    ts.services.clock_count = c.count;
    ts.services.clock_rate = c.rate;
    ts.services.clock_max = c.max;
    const auto lines = tail_lines(ts);
    ASSERT_GE(lines.size(), 7u);
    EXPECT_EQ(lines[4], std::string(" @ ELAPSED TIME = ") + c.elapsed + "               @") << c.count;
    EXPECT_EQ(lines[5], std::string(" @         modulo ") + c.modulo + "               @") << c.count;
    EXPECT_TRUE(lines[6].starts_with(" @ CPU TIME     =")) << lines[6];
  }
}

TEST(Progtail2, RateZeroCannotComputeButStillShowsProcessorTime) {
  TestSession ts;
  snapshot(ts.s.runinfo3com, 3);
  ts.services.clock_rate = 0;
  ts.services.cpu_times = {7301.0f};
  const auto lines = tail_lines(ts);
  ASSERT_GE(lines.size(), 7u);
  EXPECT_EQ(lines[4], " @ Could not compute elapsed system clock time    @");
  EXPECT_EQ(lines[5], " @ CPU TIME     =     2.028 hours                 @");
  EXPECT_EQ(lines[6], " @------------------------------------------------@");
}

TEST(Progtail2, ProcessorTimeLadder) {
  const struct {
    float start;
    float now;
    const char* shown;
  } cases[] = {
      {0.25f, 0.5f, "    0.250 seconds"},
      {0.0f, 120.0f, "  120.000 seconds"},
      {0.0f, 150.0f, "    2.500 minutes"},
      {1.0f, 7201.0f, "  120.000 minutes"},
  };
  for (const auto& c : cases) {
    TestSession ts;
    snapshot(ts.s.runinfo3com, 3);
    ts.s.runinfo3com.CPUSTART = c.start;
    ts.services.cpu_times = {c.now};
    const auto lines = tail_lines(ts);
    ASSERT_GE(lines.size(), 7u);
    EXPECT_EQ(lines[6], std::string(" @ CPU TIME     = ") + c.shown + "               @");
  }
}

TEST(Progtail2, PictureByTheLastDigitOfTheEndTime) {
  void (*const by_digit[10])(Session&) = {happyface, sator,        carmag33, endfun1, tetrakis,
                                          tetratemple1, tetratemple2, graben, horst,   tetrakis};
  for (int d = 0; d <= 9; ++d) {
    TestSession ts;
    snapshot(ts.s.runinfo3com, 3);
    ts.services.time = "09150" + std::to_string(d) + ".000";
    progtail2(ts.s);
    const std::string out = ts.take();
    const std::string picture = drawn(by_digit[d]);
    const auto at = out.find(kHyphens);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(out.substr(at + kHyphens.size()), picture + kAtRule) << d;
  }
}

}  // namespace
}  // namespace qx
