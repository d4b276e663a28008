#include "platform/posix_services.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "testkit/test_session.hpp"

namespace qx::platform {
namespace {

struct Result {
  int exitstat = -99;
  int cmdstat = -99;
  Text<40> cmdmsg{"untouched"};
};

Result run(PosixServices& sv, std::string_view cmd, bool wait = true) {
  Result r;
  sv.execute_command_line(cmd, wait, r.exitstat, r.cmdstat, r.cmdmsg.span());
  return r;
}

std::string first_line(const std::filesystem::path& p) {
  std::ifstream f(p);
  std::string line;
  std::getline(f, line);
  return line;
}

TEST(PosixServices, ShellReportsExitStatusAndLeavesTheMessageAlone) {
  testkit::ScratchDir dir;
  PosixServices sv(dir.path().string());
  const struct {
    const char* cmd;
    int exitstat;
  } cases[] = {
      {"true", 0},
      {"exit 3", 3},
      {"false", 1},
      {"no_such_command_of_quellatorix 2>/dev/null", 127},
      {"kill -9 $$", 128 + 9},
  };
  for (const auto& c : cases) {
    const Result r = run(sv, c.cmd);
    EXPECT_EQ(r.exitstat, c.exitstat) << c.cmd;
    EXPECT_EQ(r.cmdstat, 0) << c.cmd;
    EXPECT_EQ(r.cmdmsg, "untouched") << c.cmd;
  }
}

TEST(PosixServices, CommandsRunInTheGivenFolder) {
  testkit::ScratchDir dir;
  PosixServices sv(dir.path().string());
  const Result r = run(sv, "echo made here > made.txt");
  EXPECT_EQ(r.cmdstat, 0);
  EXPECT_EQ(dir.read("made.txt"), "made here\n");
}

TEST(PosixServices, AFolderThatCannotBeEnteredIsAFailureToRun) {
  testkit::ScratchDir dir;
  PosixServices sv((dir.path() / "missing").string());
  const Result r = run(sv, "true");
  EXPECT_EQ(r.cmdstat, 1);
  EXPECT_EQ(r.exitstat, -99);
  EXPECT_TRUE(r.cmdmsg.sv().starts_with("could not enter the folder ")) << r.cmdmsg.sv();
}

TEST(PosixServices, WithoutWaitTheCommandRunsOnItsOwn) {
  testkit::ScratchDir dir;
  PosixServices sv(dir.path().string());
  const Result r = run(sv, "echo later > bg.tmp && mv bg.tmp bg.txt", false);
  EXPECT_EQ(r.cmdstat, 0);
  EXPECT_EQ(r.exitstat, -99);
  for (int i = 0; i < 500 && !dir.exists("bg.txt"); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(dir.read("bg.txt"), "later\n");
}

#ifdef __linux__
// The macOS tool queries the probes make are answered on Linux too.
TEST(PosixServices, StandInsAnswerTheProbeQueriesOnLinux) {
  testkit::ScratchDir dir;
  PosixServices sv(dir.path().string());
  ASSERT_EQ(run(sv, "sw_vers -productVersion > v.txt").cmdstat, 0);
  ASSERT_EQ(run(sv, "sysctl -n machdep.cpu.brand_string > c.txt").cmdstat, 0);

  std::string version;
  {
    std::ifstream f("/etc/os-release");
    for (std::string line; std::getline(f, line);) {
      if (!line.starts_with("VERSION_ID=")) continue;
      version = line.substr(11);
      std::erase(version, '"');
      std::erase(version, '\'');
      break;
    }
  }
  if (version.empty()) {
    EXPECT_EQ(dir.read("v.txt"), "");
  } else {
    EXPECT_EQ(dir.read("v.txt"), version + "\n");
  }

  std::string model;
  {
    std::ifstream f("/proc/cpuinfo");
    for (std::string line; std::getline(f, line);) {
      if (!line.starts_with("model name")) continue;
      const auto colon = line.find(':');
      model = line.substr(line.find_first_not_of(" \t", colon + 1));
      break;
    }
  }
  if (model.empty()) {
    EXPECT_EQ(dir.read("c.txt"), "");
  } else {
    EXPECT_EQ(first_line(dir.path() / "c.txt"), model);
  }
}

TEST(PosixServices, OtherQueriesGoToTheRealTools) {
  testkit::ScratchDir dir;
  PosixServices sv(dir.path().string());
  // There is no sw_vers on Linux: the stand-in passes the query on, and the
  // shell can't find the tool.
  EXPECT_EQ(run(sv, "sw_vers -buildVersion 2>/dev/null").exitstat, 127);
  EXPECT_NE(run(sv, "sysctl -n machdep.no_such_key >/dev/null 2>&1").exitstat, 0);
}
#endif

TEST(PosixServices, ClockCountsMicrosecondsFromTheFirstRequest) {
  PosixServices sv;
  int c1 = -1, c2 = -1, rate = 0, max = 0;
  sv.system_clock(c1, rate, max);
  EXPECT_EQ(rate, 1000000);
  EXPECT_EQ(max, 2147483647);
  EXPECT_GE(c1, 0);
  EXPECT_LT(c1, 1000);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  sv.system_clock(c2, rate, max);
  EXPECT_GE(c2 - c1, 20000);
  EXPECT_LT(c2 - c1, 20000000);
}

TEST(PosixServices, DateAndTimeAreDigitsOfTheLocalClock) {
  PosixServices sv;
  const LocalDateTime dt = sv.local_date_time();
  ASSERT_EQ(dt.date.size(), 8u);
  ASSERT_EQ(dt.time.size(), 10u);
  EXPECT_EQ(dt.date.find_first_not_of("0123456789"), std::string::npos) << dt.date;
  EXPECT_EQ(dt.time[6], '.');
  EXPECT_EQ((dt.time.substr(0, 6) + dt.time.substr(7)).find_first_not_of("0123456789"), std::string::npos)
      << dt.time;
  EXPECT_LE(std::stoi(dt.time.substr(0, 2)), 23);
  EXPECT_LE(std::stoi(dt.time.substr(2, 2)), 59);
  const int month = std::stoi(dt.date.substr(4, 2));
  EXPECT_GE(month, 1);
  EXPECT_LE(month, 12);
  EXPECT_GE(std::stoi(dt.date.substr(0, 4)), 2025);
}

TEST(PosixServices, HostAndUserNames) {
  PosixServices sv;
  char host[256] = {};
  ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
  Text<300> name;
  EXPECT_EQ(sv.host_name(name.span()), 0);
  EXPECT_EQ(name, host);
  Text<4> cut;
  EXPECT_EQ(sv.host_name(cut.span()), 0);
  EXPECT_EQ(cut.sv(), Text<4>(host).sv());

  Text<64> user;
  sv.login_name(user.span());
  EXPECT_NE(user, "");
}

TEST(PosixServices, ProcessorTimeGrowsWithWork) {
  PosixServices sv;
  const float t0 = sv.cpu_time();
  volatile unsigned sink = 0;
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(50);
  while (std::chrono::steady_clock::now() < until) sink = sink + 1;
  const float t1 = sv.cpu_time();
  EXPECT_GE(t0, 0.0f);
  EXPECT_GT(t1, t0);
}

}  // namespace
}  // namespace qx::platform
