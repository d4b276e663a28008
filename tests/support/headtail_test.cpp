#include "support/headtail.hpp"

#include <gtest/gtest.h>

#include <string>

#include "support/pictures.hpp"
#include "testkit/test_session.hpp"

namespace qx {
namespace {

using testkit::TestSession;

// Every text field at its full width; the version with a leading blank.
void snapshot(RunInfo3Com& ri, int code) {
  ri.ROUTLEVEL = 1;
  ri.RUNINFOCODE = code;
  ri.ROUTNAME[0] = "abcdefghijklmnopqrst";
  ri.ROUTVERS[0] = " 8.0";
  ri.ROUTDATE[0] = "2025-04-11";
  ri.STARTDATE = "2025-03-04";
  ri.STARTTIME = "09:05:03";
  ri.USERTEXT = "0123456789";
  ri.HOSTTEXT = "h234567890123456789012345678901234x";
  ri.OSTEXT = "MacOS_10.15.7";
  ri.CPUTEXT = "c23456789012345678901234567890";
  ri.CLOCKSTART = 1000;
  ri.CPUSTART = 1.0f;
}

const std::string kHeader =
    " @@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@\n"
    " @                                                @\n"
    " @          MAIN PROGRAM: abcdefghijklmnopqrst    @\n"
    " @               Version: 8.0                     @\n"
    " @                  Date: 2025-04-11              @\n"
    " @                                                @\n"
    " @------------------------------------------------@\n"
    " @                                                @\n"
    " @       Starting on 2025-03-04 at 09:05:03       @\n"
    " @      User: 0123456789                          @\n"
    " @      Host: h234567890123456789012345678901234x @\n"
    " @    System: MacOS_10.15.7                       @\n"
    " @       CPU: c23456789012345678901234567890      @\n"
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

TEST(Progheadwz2, UserAndHostOnlyForCodesZeroAndOneThenOneLineIsTaken) {
  auto without_who = testkit::lines_of(kHeader);
  without_who.erase(without_who.begin() + 9, without_who.begin() + 11);
  for (const int code : {0, 1, 2, 3}) {
    TestSession ts("go on\nnext\n");
    snapshot(ts.s.runinfo3com, code);
    // The wait reads the standard input whatever the pause switch.
    ts.s.iocom.LPAUSE = false;
    ts.s.iocom.IUERRIN = 77;
    progheadwz2(ts.s);
    EXPECT_EQ(ts.take(), code <= 1 ? kHeader : testkit::joined(without_who)) << code;
    Text<10> rest;
    ASSERT_EQ(ts.units.read_line(5, rest.span()), platform::IoStatus::ok);
    EXPECT_EQ(rest, "next");
  }
}

std::string drawn(void (*picture)(Session&)) {
  TestSession ts;
  picture(ts.s);
  return ts.take();
}

const std::string kHyphens = " @------------------------------------------------@\n";
const std::string kAtRule = " @@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@\n";

std::string time_line(const char* label, const char* value) {
  return std::string(" @ ") + label + " " + value + "               @\n";
}

TEST(Progtail2, WholeTailWithTheTimeLadders) {
  const struct {
    int start, count, rate, max;
    float cpu0, cpu1;
    const char *elapsed, *modulo, *cpu;  // no elapsed time without a rate
  } cases[] = {
      {1000, 1000 + 120000000, 1000000, 2147483647, 1.0f, 3.5f, "  120.000 seconds", "   35.791 minutes",
       "    2.500 seconds"},
      {1000, 1000 + 121000000, 1000000, 2147483647, 0.25f, 0.5f, "    2.017 minutes", "   35.791 minutes",
       "    0.250 seconds"},
      {1000, 1000 + 7201000, 1000, 2147483647, 0.0f, 120.0f, "    2.000 hours  ", "35791.395 minutes",
       "  120.000 seconds"},
      // The count of the start is one whole wrap.
      {1000, 1000, 1000000, 2147483647, 0.0f, 150.0f, "   35.791 minutes", "   35.791 minutes", "    2.500 minutes"},
      // A wrap from just below the maximum, without overflow.
      {2147483000, 500, 1000000, 2147483647, 1.0f, 7201.0f, "    0.001 seconds", "   35.791 minutes",
       "  120.000 minutes"},
      {0, 50, 1000, 120000, 0.0f, 7301.0f, "    0.050 seconds", "  120.000 seconds", "    2.028 hours  "},
      {0, 7, 1, 121, 0.0f, 0.0f, "    7.000 seconds", "    2.017 minutes", "    0.000 seconds"},
      {1000, 5000, 0, 2147483647, 0.0f, 7301.0f, nullptr, nullptr, "    2.028 hours  "},
  };
  for (const auto& c : cases) {
    TestSession ts;
    snapshot(ts.s.runinfo3com, 3);
    ts.s.runinfo3com.CLOCKSTART = c.start;
    ts.s.runinfo3com.CPUSTART = c.cpu0;
    ts.services.time = "091503.250";
    ts.services.clock_count = c.count;
    ts.services.clock_rate = c.rate;
    ts.services.clock_max = c.max;
    ts.services.cpu_times = {c.cpu1};
    progtail2(ts.s);
    EXPECT_EQ(ts.take(), kAtRule +
                             " @ MAIN PROGRAM abcdefghijklmnopqrst Version: 8.0 @\n"
                             " @ STARTED    ON 2025-03-04 AT 09:05:03           @\n"
                             " @ TERMINATED ON 2025-03-04 AT 09:15:03           @\n" +
                             (c.elapsed ? time_line("ELAPSED TIME =", c.elapsed) + time_line("        modulo", c.modulo)
                                        : " @ Could not compute elapsed system clock time    @\n") +
                             time_line("CPU TIME     =", c.cpu) + kHyphens + drawn(endfun1) + kAtRule)
        << c.count;
    EXPECT_EQ(ts.services.calls, (std::vector<std::string>{"date", "clock", "cpu"}));
  }
}

TEST(Progtail2, PictureByTheLastDigitOfTheEndTime) {
  void (*const by_digit[10])(Session&) = {happyface,    sator,        carmag33, endfun1, tetrakis,
                                          tetratemple1, tetratemple2, graben,   horst,   tetrakis};
  for (int d = 0; d <= 9; ++d) {
    TestSession ts;
    snapshot(ts.s.runinfo3com, 3);
    ts.services.time = "09150" + std::to_string(d) + ".000";
    progtail2(ts.s);
    const std::string out = ts.take();
    const auto at = out.find(kHyphens);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(out.substr(at + kHyphens.size()), drawn(by_digit[d]) + kAtRule) << d;
  }
}

}  // namespace
}  // namespace qx
