#include "support/runinfo.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/stop.hpp"
#include "testkit/test_session.hpp"

namespace qx {
namespace {

using testkit::TestSession;

std::string sp(int n) { return std::string(static_cast<std::size_t>(n), ' '); }

// A blank and n copies of c.
std::string rule(char c, std::size_t n) {
  std::string r(" ");
  r.append(n, c);
  return r;
}

const std::string kAts = rule('@', 50) + "\n";
const std::string kSlashes = rule('/', 50) + "\n";
const std::string kStars = rule('*', 50) + "\n";

const std::string kSwpinfoMenuHead = kAts + " @ subroutine swpinfo    " + sp(9) + "  v1.1 2021-02-27\n @" +
                                     std::string(49, '=') + "\n";

std::string warning_head(const std::string& name13) {
  return kSlashes + " ///" + sp(10) + "subroutine " + name13 + sp(10) + "///\n ///" + sp(18) + "WARNING " + sp(18) +
         "///\n" + kSlashes;
}
const std::string kWarningTail =
    " ===> HIT RETURN TO CONTINUE\n" + kSlashes + " ///" + sp(16) + "WARNING END " + sp(16) + "///\n" + kSlashes;

std::string error_head(const std::string& name13) {
  return kStars + kStars + " ***" + sp(44) + "***\n ***" + sp(10) + "subroutine " + name13 + sp(10) + "***\n ***" +
         sp(19) + "ERROR " + sp(19) + "***\n ***" + sp(44) + "***\n" + kStars + kStars;
}
const std::string kErrorTail =
    " ===> HIT RETURN TO CONTINUE\n" + kStars + " ***" + sp(17) + "ERROR END " + sp(17) + "***\n" + kStars;

const std::string kSwpinfoWarning = warning_head("  swpinfo    ");
const std::string kGetWarning = warning_head("  getruninfo0");

// The menu and its question, as far as the answer.
std::string menu(const std::string& current, const std::string& deflt) {
  const std::string hyphens = rule('-', 43) + "\n";
  std::string out = kSwpinfoMenuHead;
  out += hyphens;
  out += "    RUN INFORMATION TO WRITE AND PLOT\n";
  out += hyphens;
  out += " run info code current value = ";
  out += current;
  out +=
      "\n"
      " date+user+host+os+hardw+main+subr+cmnd...0\n"
      " date+user+host+os+hardw+main+subr     ...1\n"
      " date          +os+hardw+main+subr+cmnd...2\n"
      " date          +os+hardw+main+subr     ...3\n";
  out += kAts;
  out += rule('.', 42);
  out +=
      "\n"
      " Enter run info code\n"
      " inside  [0,3]\n"
      " or return for default value\n"
      " Default = ";
  out += sp(11) + deflt + "\n";
  return out;
}

std::string new_value(const std::string& v) { return " New value =  " + sp(11) + v + "\n " + std::string(42, '.') + "\n"; }

// ------------------------------------------------------------ smaininfo2

void fake_probe_commands(TestSession& ts, std::string cpu, std::string os) {
  ts.services.on_command = [&ts, cpu, os](std::string_view cmd, int&, int&, MutText) {
    if (cmd.starts_with("rm ")) {
      std::filesystem::remove(ts.dir.path() / std::string(cmd.substr(3)));
    } else if (cmd.starts_with("sysctl ")) {
      ts.dir.write("cpu_info_tmp_001.txt", cpu);
    } else {
      ts.dir.write("sys_version_tmp_001.txt", os);
    }
  };
}

TEST(Smaininfo2, SnapshotInOrderWithTheClocksLast) {
  TestSession ts;
  fake_probe_commands(ts, "Intel(R) Core(TM) i7-8700B CPU @ 3.20GHz\n", "10.15.7\n");
  ts.services.cpu_times = {1.5f};
  ts.services.clock_count = 4242;
  ts.s.runinfo3com.RUNINFOCODE = 3;
  ts.s.runinfo3com.CMDNUMBER = 9;
  smaininfo2(ts.s, "quellatorix", "5.1", "2025-04-11");

  EXPECT_EQ(ts.services.calls, (std::vector<std::string>{
                                   "login",
                                   "host",
                                   "cmd:sw_vers -productVersion > sys_version_tmp_001.txt",
                                   "cmd:rm sys_version_tmp_001.txt",
                                   "cmd:sysctl -n machdep.cpu.brand_string > cpu_info_tmp_001.txt",
                                   "cmd:rm cpu_info_tmp_001.txt",
                                   "date",
                                   "cpu",
                                   "clock",
                               }));
  EXPECT_EQ(ts.take(), kSwpinfoMenuHead + " INITIALISING RUN INFO\n");
  const RunInfo3Com& ri = ts.s.runinfo3com;
  EXPECT_EQ(ri.ROUTLEVEL, 1);
  EXPECT_EQ(ri.CMDNUMBER, 0);
  EXPECT_EQ(ri.RUNINFOCODE, 0);
  EXPECT_EQ(ri.ROUTNAME[0].sv(), "quellatorix         ");
  EXPECT_EQ(ri.ROUTVERS[0].sv(), "5.1 ");
  EXPECT_EQ(ri.ROUTDATE[0].sv(), "2025-04-11");
  EXPECT_EQ(ri.USERTEXT.sv(), "tester    ");
  EXPECT_EQ(ri.HOSTTEXT, "testhost");
  EXPECT_EQ(ri.OSTEXT.sv(), "MacOS_10.15.7");
  EXPECT_EQ(ri.CPUTEXT, "Core i7-8700B CPU @ 3.20GHz");
  EXPECT_EQ(ri.STARTDATE.sv(), "2025-03-04");
  EXPECT_EQ(ri.STARTTIME.sv(), "09:05:03");
  EXPECT_EQ(ri.CPUSTART, 1.5f);
  EXPECT_EQ(ri.CLOCKSTART, 4242);
  EXPECT_EQ(ri.ROUTNAME[1].sv(), std::string(20, '\0'));  // the other levels stay unfilled
}

TEST(Smaininfo2, FailingProbesWarnInTheirOrderAndFallBack) {
  TestSession ts;
  ts.services.host_status = 1;
  ts.services.on_command = [](std::string_view, int&, int& cmdstat, MutText) { cmdstat = 1; };
  smaininfo2(ts.s, "quellatorix", "5.1", "2025-04-11");
  const std::string out = ts.take();
  const auto os_box = out.find("COULD NOT DETERMINE SYSTEM VERSION");
  const auto cpu_box = out.find("COULD NOT DETERMINE CPU INFO");
  ASSERT_NE(os_box, std::string::npos);
  ASSERT_NE(cpu_box, std::string::npos);
  EXPECT_LT(os_box, cpu_box);
  EXPECT_EQ(ts.s.runinfo3com.HOSTTEXT, "Macintosh");
  EXPECT_EQ(ts.s.runinfo3com.OSTEXT, "MacOSX");
  EXPECT_EQ(ts.s.runinfo3com.CPUTEXT, "Macintosh");
}

// The host this runs on, through the real services.
TEST(Smaininfo2, RealHostSnapshot) {
  TestSession ts("", testkit::RealServices{});
  smaininfo2(ts.s, "quellatorix", "5.1", "2025-04-11");
  const RunInfo3Com& ri = ts.s.runinfo3com;
  EXPECT_EQ(ts.take(), kSwpinfoMenuHead + " INITIALISING RUN INFO\n");
  EXPECT_NE(ri.HOSTTEXT, "");
  EXPECT_NE(ri.HOSTTEXT, "Macintosh");
  EXPECT_NE(ri.USERTEXT, "");
  EXPECT_TRUE(std::filesystem::is_empty(ts.dir.path()));
  EXPECT_EQ(ri.STARTDATE[4], '-');
  EXPECT_EQ(ri.STARTTIME[5], ':');
#ifdef __linux__
  std::string version;
  std::ifstream rel("/etc/os-release");
  for (std::string line; std::getline(rel, line);) {
    if (line.starts_with("VERSION_ID=")) {
      version = line.substr(11);
      std::erase(version, '"');
    }
  }
  EXPECT_EQ(ri.OSTEXT, Text<13>("MacOS_" + version).sv());
  std::string model;
  std::ifstream info("/proc/cpuinfo");
  for (std::string line; model.empty() && std::getline(info, line);) {
    if (line.starts_with("model name")) model = line.substr(line.find_first_not_of(" \t", line.find(':') + 1));
  }
  if (model.starts_with("Intel(R) Core(TM) ")) model = "Core " + model.substr(18);
  EXPECT_EQ(ri.CPUTEXT, Text<30>(model).sv());
#endif
}

// ------------------------------------------------------------ swpinfo

TEST(Swpinfo, SetWithoutQuestion) {
  for (std::int32_t given : {0, 1, 2, 3}) {
    TestSession ts;
    std::int32_t code = given;
    swpinfo(ts.s, code, 1);
    EXPECT_EQ(code, given);
    EXPECT_EQ(ts.s.runinfo3com.RUNINFOCODE, given);
    EXPECT_EQ(ts.take(), "");
  }
}

TEST(Swpinfo, CodeOutOfRangeIsResetToZero) {
  const struct {
    std::int32_t code;
    const char* shown;
  } cases[] = {{7, "    7"}, {4, "    4"}, {-1, "   -1"}, {123456, "123456"}};
  for (const auto& c : cases) {
    TestSession ts("\n");
    ts.s.runinfo3com.RUNINFOCODE = 2;
    std::int32_t code = c.code;
    swpinfo(ts.s, code, 1);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(ts.s.runinfo3com.RUNINFOCODE, 0);
    EXPECT_EQ(ts.take(), kSwpinfoWarning + " RUN INFO CODE OUT OF RANGE:\n  run info code = " + c.shown +
                             "\n  min =     0\n  max =     3\n ==> RESET run info code =     0\n" + kWarningTail);
  }
}

TEST(Swpinfo, ModeZeroChecksThenAsksWithTheCodeAsDefault) {
  TestSession ts("1\n");
  std::int32_t code = 2;
  swpinfo(ts.s, code, 0);
  EXPECT_EQ(code, 1);
  EXPECT_EQ(ts.s.runinfo3com.RUNINFOCODE, 1);
  EXPECT_EQ(ts.take(), menu("    2", "2") + new_value("1"));

  TestSession bad("\n\n");  // RETURN for the warning, then the default 0
  code = 9;
  swpinfo(bad.s, code, 0);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(bad.s.runinfo3com.RUNINFOCODE, 0);
  const std::string out = bad.take();
  EXPECT_TRUE(out.starts_with(kSwpinfoWarning + " RUN INFO CODE OUT OF RANGE:\n")) << out;
  EXPECT_TRUE(out.ends_with(kWarningTail + menu("    0", "0") + new_value("0"))) << out;
}

TEST(Swpinfo, ModeTwoAsksWithTheStoredCode) {
  TestSession ts("\n");
  ts.s.runinfo3com.RUNINFOCODE = 3;
  std::int32_t code = 1;
  swpinfo(ts.s, code, 2);
  EXPECT_EQ(code, 3);
  EXPECT_EQ(ts.s.runinfo3com.RUNINFOCODE, 3);
  EXPECT_EQ(ts.take(), menu("    3", "3") + new_value("3"));
}

TEST(Swpinfo, ModeThreeTakesTheStoredCodeSilently) {
  TestSession ts;
  ts.s.runinfo3com.RUNINFOCODE = 2;
  std::int32_t code = 0;
  swpinfo(ts.s, code, 3);
  EXPECT_EQ(code, 2);
  EXPECT_EQ(ts.s.runinfo3com.RUNINFOCODE, 2);
  EXPECT_EQ(ts.take(), "");
}

TEST(Swpinfo, ModeFourAsksFromZero) {
  TestSession ts("5\n\n3\n");  // an answer out of range, RETURN, a good one
  ts.s.runinfo3com.RUNINFOCODE = 2;
  std::int32_t code = 1;
  swpinfo(ts.s, code, 4);
  EXPECT_EQ(code, 3);
  EXPECT_EQ(ts.s.runinfo3com.RUNINFOCODE, 3);
  const std::string out = ts.take();
  EXPECT_TRUE(out.starts_with(menu("    0", "0"))) << out;
  EXPECT_TRUE(out.ends_with(new_value("3"))) << out;
}

TEST(Swpinfo, ModeFiveAnnouncesAndStoresZero) {
  TestSession ts;
  ts.s.runinfo3com.RUNINFOCODE = 3;
  std::int32_t code = 2;
  swpinfo(ts.s, code, 5);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(ts.s.runinfo3com.RUNINFOCODE, 0);
  EXPECT_EQ(ts.take(), kSwpinfoMenuHead + " INITIALISING RUN INFO\n");
}

TEST(Swpinfo, UnknownModeDoesNothing) {
  const struct {
    std::int32_t inter;
    const char* shown;
  } cases[] = {{6, "    6"}, {-1, "   -1"}, {1000000, "1000000"}};
  for (const auto& c : cases) {
    TestSession ts("\n");
    ts.s.runinfo3com.RUNINFOCODE = 2;
    std::int32_t code = 7;
    swpinfo(ts.s, code, c.inter);
    EXPECT_EQ(code, 7);
    EXPECT_EQ(ts.s.runinfo3com.RUNINFOCODE, 2);
    EXPECT_EQ(ts.take(), kSwpinfoWarning + " inter = " + c.shown + "\n ===> NO ACTION\n" + kWarningTail);
  }
}

TEST(Swpinfo, EndOfConsoleInputAtTheQuestionStopsTheRun) {
  TestSession ts("");
  ts.s.runinfo3com.RUNINFOCODE = 1;
  std::int32_t code = 1;
  try {
    swpinfo(ts.s, code, 2);
    FAIL() << "the run went on";
  } catch (const platform::Stop& stop) {
    EXPECT_EQ(stop.status, 1);
  }
  EXPECT_EQ(ts.s.runinfo3com.RUNINFOCODE, 1);
}

// ------------------------------------------------------------ getruninfo0

void fill(RunInfo3Com& ri, int level, int code) {
  ri.ROUTLEVEL = level;
  ri.RUNINFOCODE = code;
  ri.CMDNUMBER = 0;
  ri.ROUTNAME = {Text<20>("quellatorix"), Text<20>("opef2"), Text<20>("inchardef")};
  ri.ROUTVERS = {Text<4>("5.1"), Text<4>(" 5.3"), Text<4>("1.5")};
  ri.OSTEXT = "MacOS_10.15.7";
  ri.CPUTEXT = "Core i7-8700B CPU @ 3.20GHz";
}

TEST(Getruninfo0, TextsForTheResultsHeader) {
  const struct {
    int level;
    int code;
    std::string proginfo;
  } cases[] = {
      {1, 3, "quellatorix_5.1"},
      {1, 1, "quellatorix_5.1"},
      {1, 0, "quellatorix_5.1 Command = 0"},
      {1, 2, "quellatorix_5.1 Command = 0"},
      {2, 3, "quellatorix_5.1 -> opef2_5.3"},
      {3, 3, "quellatorix_5.1 -> opef2_5.3 -> inchardef_1.5"},
      {3, 2, "quellatorix_5.1 -> opef2_5.3 -> inchardef_1.5 Command = 0"},
  };
  for (const auto& c : cases) {
    TestSession ts;
    fill(ts.s.runinfo3com, c.level, c.code);
    Text<50> sysinfo;
    Text<60> proginfo;
    getruninfo0(ts.s, sysinfo.span(), proginfo.span());
    EXPECT_EQ(sysinfo, "MacOS_10.15.7 Core i7-8700B CPU @ 3.20GHz");
    EXPECT_EQ(proginfo, c.proginfo);
    EXPECT_EQ(ts.take(), "");
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

TEST(Getruninfo0, SystemTextTooShort) {
  TestSession ts("\n");
  fill(ts.s.runinfo3com, 1, 3);
  Text<20> sysinfo;
  Text<55> proginfo;
  getruninfo0(ts.s, sysinfo.span(), proginfo.span());
  EXPECT_EQ(sysinfo.sv(), "MacOS_10.15.7 Core i");
  EXPECT_EQ(proginfo, "quellatorix_5.1");
  EXPECT_EQ(ts.take(), kGetWarning +
                           " System information string too short\n"
                           " String length =   20\n"
                           " Needed length =   41\n"
                           " => Truncated outpout\n"
                           " String =\n"
                           " MacOS_10.15.7 Core i\n" +
                           kWarningTail);
}

TEST(Getruninfo0, ProgramTextTooShort) {
  const struct {
    int level;
    int code;
    std::size_t len;
    const char* needed;
    std::string text;
  } cases[] = {
      {1, 3, 10, "  15", "quellatori"},
      {2, 3, 20, "  28", "quellatorix_5.1 -> o"},           // the chain stops here
      {3, 0, 20, "  28", "quellatorix_5.1 -> o"},           // nor is the command added
      {1, 0, 20, "  27", "quellatorix_5.1 Comm"},
      {3, 3, 40, "  45", "quellatorix_5.1 -> opef2_5.3 -> incharde"},
  };
  for (const auto& c : cases) {
    TestSession ts("\n");
    fill(ts.s.runinfo3com, c.level, c.code);
    Text<50> sysinfo;
    std::string proginfo(c.len, '?');
    getruninfo0(ts.s, sysinfo.span(), proginfo);
    EXPECT_EQ(proginfo, c.text);
    std::string shown_len = std::to_string(c.len);
    shown_len.insert(0, 4 - shown_len.size(), ' ');
    EXPECT_EQ(ts.take(), kGetWarning + " Program information string too short\n String length = " + shown_len +
                             "\n Needed length = " + c.needed + "\n String = \n " + c.text +
                             "\n => Truncated output\n" + kWarningTail)
        << c.text;
  }
}

TEST(Getruninfo0, LevelAboveThree) {
  TestSession ts("\n");
  fill(ts.s.runinfo3com, 4, 3);
  Text<50> sysinfo;
  Text<60> proginfo;
  getruninfo0(ts.s, sysinfo.span(), proginfo.span());
  EXPECT_EQ(proginfo, "quellatorix_5.1 -> opef2_5.3 -> inchardef_1.5 -> x");
  EXPECT_EQ(ts.take(), kGetWarning +
                           " Current subroutine level     =    4\n"
                           " Information only up to level =    3\n" +
                           kWarningTail);
}

TEST(Getruninfo0, LevelBelowOne) {
  for (std::size_t len : {55u, 20u}) {
    TestSession ts("\n");
    fill(ts.s.runinfo3com, 0, 3);
    Text<50> sysinfo;
    std::string proginfo(len, '?');
    getruninfo0(ts.s, sysinfo.span(), proginfo);
    EXPECT_EQ(sysinfo, "MacOS_10.15.7 Core i7-8700B CPU @ 3.20GHz");
    EXPECT_EQ(proginfo, std::string("*** ERROR in program info: routine level < 1 ***       ").substr(0, len));
    EXPECT_EQ(ts.take(), error_head("  getruninfo0") +
                             " Current routine level =    0\n"
                             " Can store up to level =    3\n"
                             " => No program information\n" +
                             kErrorTail);
  }
}

}  // namespace
}  // namespace qx
