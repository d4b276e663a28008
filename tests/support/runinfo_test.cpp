#include "support/runinfo.hpp"

#include <gtest/gtest.h>

#include <string>

#include "platform/stop.hpp"
#include "testkit/test_session.hpp"

namespace qx {
namespace {

using testkit::TestSession;

const std::string kSlashes = " //////////////////////////////////////////////////\n";
const std::string kStars = " **************************************************\n";
const std::string kSwpinfoHead =
    " @@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@\n"
    " @ subroutine swpinfo               v1.1 2021-02-27\n"
    " @=================================================\n";
const std::string kWarningTail = " ===> HIT RETURN TO CONTINUE\n" + kSlashes +
                                 " ///                WARNING END                 ///\n" + kSlashes;
std::string warning(const std::string& name_line, const std::string& body) {
  return kSlashes + name_line + " ///                  WARNING                   ///\n" + kSlashes + body + kWarningTail;
}
std::string swpinfo_warning(const std::string& body) {
  return warning(" ///          subroutine   swpinfo              ///\n", body);
}
std::string getruninfo0_warning(const std::string& body) {
  return warning(" ///          subroutine   getruninfo0          ///\n", body);
}

// The menu, its question and the answer taken.
std::string menu(const std::string& current, const std::string& deflt, const std::string& answer) {
  return kSwpinfoHead +
         " -------------------------------------------\n"
         "    RUN INFORMATION TO WRITE AND PLOT\n"
         " -------------------------------------------\n"
         " run info code current value =     " + current + "\n" +
         " date+user+host+os+hardw+main+subr+cmnd...0\n"
         " date+user+host+os+hardw+main+subr     ...1\n"
         " date          +os+hardw+main+subr+cmnd...2\n"
         " date          +os+hardw+main+subr     ...3\n"
         " @@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@\n"
         " ..........................................\n"
         " Enter run info code\n"
         " inside  [0,3]\n"
         " or return for default value\n"
         " Default =            " +
         deflt + "\n New value =             " + answer + "\n ..........................................\n";
}

TEST(Smaininfo2, SnapshotInOrderWithTheClocksLast) {
  TestSession ts;
  ts.services.emulate_probes(ts.dir.path().string(), "Intel(R) Core(TM) i7-8700B CPU @ 3.20GHz", "10.15.7");
  ts.services.cpu_times = {1.5f};
  ts.services.clock_count = 4242;
  RunInfo3Com& ri = ts.s.runinfo3com;
  ri.RUNINFOCODE = 3;
  ri.CMDNUMBER = 9;
  smaininfo2(ts.s, "quellatorix", "5.1", "2025-04-11");
  EXPECT_EQ(ts.services.calls, (std::vector<std::string>{
                                   "login", "host", "cmd:sw_vers -productVersion > sys_version_tmp_001.txt",
                                   "cmd:rm sys_version_tmp_001.txt",
                                   "cmd:sysctl -n machdep.cpu.brand_string > cpu_info_tmp_001.txt",
                                   "cmd:rm cpu_info_tmp_001.txt", "date", "cpu", "clock"}));
  EXPECT_EQ(ts.take(), kSwpinfoHead + " INITIALISING RUN INFO\n");
  EXPECT_EQ(std::tie(ri.ROUTLEVEL, ri.CMDNUMBER, ri.RUNINFOCODE, ri.CPUSTART, ri.CLOCKSTART),
            std::make_tuple(1, 0, 0, 1.5f, 4242));
  EXPECT_EQ(ri.ROUTNAME[0].sv(), "quellatorix         ");
  EXPECT_EQ(ri.ROUTVERS[0].sv(), "5.1 ");
  EXPECT_EQ(ri.ROUTDATE[0].sv(), "2025-04-11");
  EXPECT_EQ(ri.USERTEXT.sv(), "tester    ");
  EXPECT_EQ(ri.HOSTTEXT, "testhost");
  EXPECT_EQ(ri.OSTEXT.sv(), "MacOS_10.15.7");
  EXPECT_EQ(ri.CPUTEXT, "Core i7-8700B CPU @ 3.20GHz");
  EXPECT_EQ(ri.STARTDATE.sv(), "2025-03-04");
  EXPECT_EQ(ri.STARTTIME.sv(), "09:05:03");
  EXPECT_EQ(ri.ROUTNAME[1].sv(), std::string(20, '\0'));  // the other levels stay unfilled
}

std::string out_of_range(const std::string& shown) {
  return swpinfo_warning(" RUN INFO CODE OUT OF RANGE:\n  run info code = " + shown +
                         "\n  min =     0\n  max =     3\n ==> RESET run info code =     0\n");
}

TEST(Swpinfo, EveryMode) {
  const struct {
    std::int32_t inter, code, stored;
    const char* typed;
    std::int32_t want;  // the code returned and, but for an unknown mode, stored
    std::string out;
  } cases[] = {
      {1, 0, 2, "", 0, ""},
      {1, 3, 2, "", 3, ""},
      {1, 4, 2, "\n", 0, out_of_range("    4")},
      {1, -1, 2, "\n", 0, out_of_range("   -1")},
      {1, 123456, 2, "\n", 0, out_of_range("123456")},  // written in full
      {0, 2, 0, "1\n", 1, menu("2", "2", "1")},
      {0, 9, 2, "\n\n", 0, out_of_range("    9") + menu("0", "0", "0")},
      {2, 1, 3, "\n", 3, menu("3", "3", "3")},
      {3, 0, 2, "", 2, ""},
      {4, 1, 2, "3\n", 3, menu("0", "0", "3")},
      {5, 2, 3, "", 0, kSwpinfoHead + " INITIALISING RUN INFO\n"},
      {6, 7, 2, "\n", 7, swpinfo_warning(" inter =     6\n ===> NO ACTION\n")},
      {-1, 7, 2, "\n", 7, swpinfo_warning(" inter =    -1\n ===> NO ACTION\n")},
      {1000000, 7, 2, "\n", 7, swpinfo_warning(" inter = 1000000\n ===> NO ACTION\n")},
  };
  for (const auto& c : cases) {
    TestSession ts(c.typed);
    ts.s.runinfo3com.RUNINFOCODE = c.stored;
    std::int32_t code = c.code;
    swpinfo(ts.s, code, c.inter);
    EXPECT_EQ(code, c.want) << c.inter << " " << c.code;
    EXPECT_EQ(ts.s.runinfo3com.RUNINFOCODE, c.inter >= 0 && c.inter <= 5 ? c.want : c.stored);
    EXPECT_EQ(ts.take(), c.out) << c.inter << " " << c.code;
  }
}

TEST(Swpinfo, EndOfConsoleInputAtTheQuestionStopsTheRun) {
  TestSession ts("");
  ts.s.runinfo3com.RUNINFOCODE = 1;
  std::int32_t code = 1;
  try {
    swpinfo(ts.s, code, 2);
    ADD_FAILURE() << "the run went on";
  } catch (const platform::Stop& stop) {
    EXPECT_EQ(stop.status, 1);
  }
  EXPECT_EQ(ts.s.runinfo3com.RUNINFOCODE, 1);
}

void fill(RunInfo3Com& ri, int level, int code) {
  ri.ROUTLEVEL = level;
  ri.RUNINFOCODE = code;
  ri.CMDNUMBER = 0;
  ri.ROUTNAME = {Text<20>("quellatorix"), Text<20>("opef2"), Text<20>("inchardef")};
  ri.ROUTVERS = {Text<4>("5.1"), Text<4>(" 5.3"), Text<4>("1.5")};
  ri.OSTEXT = "MacOS_10.15.7";
  ri.CPUTEXT = "Core i7-8700B CPU @ 3.20GHz";
}

std::string padded_to(std::string s, std::size_t n) {
  s.resize(n, ' ');
  return s;
}

std::string program_too_short(const char* len, const char* needed, const std::string& text) {
  return getruninfo0_warning(" Program information string too short\n String length = " + std::string(len) +
                             "\n Needed length = " + needed + "\n String = \n " + text + "\n => Truncated output\n");
}

TEST(Getruninfo0, TextsForTheResultsHeader) {
  const std::string kSys = "MacOS_10.15.7 Core i7-8700B CPU @ 3.20GHz";
  const std::string kLevel3 = "quellatorix_5.1 -> opef2_5.3 -> inchardef_1.5";
  const std::string kError = "*** ERROR in program info: routine level < 1 ***";
  const std::string level_error = kStars + kStars + " ***                                            ***\n" +
                                  " ***          subroutine   getruninfo0          ***\n" +
                                  " ***                   ERROR                    ***\n" +
                                  " ***                                            ***\n" + kStars + kStars +
                                  " Current routine level =    0\n Can store up to level =    3\n"
                                  " => No program information\n ===> HIT RETURN TO CONTINUE\n" +
                                  kStars + " ***                 ERROR END                  ***\n" + kStars;
  const struct {
    int level, code;
    std::size_t syslen, proglen;
    std::string sys, prog, out;
  } cases[] = {
      {1, 3, 50, 60, kSys, "quellatorix_5.1", ""},
      {1, 1, 50, 60, kSys, "quellatorix_5.1", ""},
      {1, 0, 50, 60, kSys, "quellatorix_5.1 Command = 0", ""},
      {2, 3, 50, 60, kSys, "quellatorix_5.1 -> opef2_5.3", ""},
      {3, 2, 50, 60, kSys, kLevel3 + " Command = 0", ""},
      {4, 3, 50, 60, kSys, kLevel3 + " -> x",
       getruninfo0_warning(" Current subroutine level     =    4\n Information only up to level =    3\n")},
      {1, 3, 20, 60, "MacOS_10.15.7 Core i", "quellatorix_5.1",
       getruninfo0_warning(" System information string too short\n String length =   20\n Needed length =   41\n"
                           " => Truncated outpout\n String =\n MacOS_10.15.7 Core i\n")},
      // Too short a program text: the chain stops where it overflowed, without the command.
      {1, 3, 50, 10, kSys, "quellatori", program_too_short("  10", "  15", "quellatori")},
      {3, 0, 50, 20, kSys, "quellatorix_5.1 -> o", program_too_short("  20", "  28", "quellatorix_5.1 -> o")},
      {1, 0, 50, 20, kSys, "quellatorix_5.1 Comm", program_too_short("  20", "  27", "quellatorix_5.1 Comm")},
      // Never filled: the error frame and a fixed text, cut or padded.
      {0, 3, 50, 55, kSys, kError, level_error},
      {0, 3, 50, 20, kSys, kError.substr(0, 20), level_error},
  };
  for (const auto& c : cases) {
    TestSession ts("\n");
    fill(ts.s.runinfo3com, c.level, c.code);
    std::string sysinfo(c.syslen, '?');
    std::string proginfo(c.proglen, '?');
    getruninfo0(ts.s, sysinfo, proginfo);
    EXPECT_EQ(sysinfo, padded_to(c.sys, c.syslen)) << c.prog;
    EXPECT_EQ(proginfo, padded_to(c.prog, c.proglen));
    EXPECT_EQ(ts.take(), c.out) << c.prog;
  }
}

TEST(Getruninfo0, BlankNamesAndVersionsShowAsOneBlank) {
  TestSession ts;
  fill(ts.s.runinfo3com, 2, 3);
  ts.s.runinfo3com.ROUTNAME[1] = "";
  ts.s.runinfo3com.ROUTVERS[0] = "";
  ts.s.runinfo3com.CPUTEXT = "";
  Text<50> sysinfo;
  Text<55> proginfo;
  getruninfo0(ts.s, sysinfo.span(), proginfo.span());
  EXPECT_EQ(sysinfo.sv(), Text<50>("MacOS_10.15.7  ").sv());
  // The blank version is trimmed away again when the next level is chained.
  EXPECT_EQ(proginfo, "quellatorix_ ->  _5.3");
}

}  // namespace
}  // namespace qx
