#include "support/probes.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "testkit/test_session.hpp"

namespace qx {
namespace {

using testkit::TestSession;

std::string padded(std::string_view s, std::size_t n) {
  std::string out(s);
  out.resize(n, ' ');
  return out;
}

// A shell that runs "x > file" by writing output into file, and
// "rm file" by removing it, both in the session's folder.
void fake_shell(TestSession& ts, std::string output) {
  ts.services.on_command = [&ts, output](std::string_view cmd, int&, int&, MutText) {
    if (cmd.starts_with("rm ")) {
      std::filesystem::remove(ts.dir.path() / std::string(cmd.substr(3)));
      return;
    }
    ts.dir.write(std::string(cmd.substr(cmd.find(" > ") + 3)), output);
  };
}

constexpr const char* kCpuCmd = "sysctl -n machdep.cpu.brand_string > cpu_info_tmp_001.txt";
constexpr const char* kOsCmd = "sw_vers -productVersion > sys_version_tmp_001.txt";

TEST(Probes, DateAndTimeFromOneReading) {
  const struct {
    const char* date;
    const char* time;
    std::size_t dlen;
    const char* want_date;
    const char* want_time;
  } cases[] = {
      {"20250304", "090503.250", 10, "2025-03-04", "09:05:03"},
      {"20251231", "235959.999", 10, "2025-12-31", "23:59:59"},
      {"20250304", "090503.250", 12, "2025-03-04  ", "09:05:03"},
  };
  for (const auto& c : cases) {
    TestSession ts;
    ts.services.date = c.date;
    ts.services.time = c.time;
    std::string date(c.dlen, '?');
    Text<8> time;
    date10_time8(ts.s, date, time.span());
    EXPECT_EQ(date, c.want_date);
    EXPECT_EQ(time.sv(), c.want_time);
    EXPECT_EQ(ts.services.calls, std::vector<std::string>{"date"});
  }
}

TEST(Probes, HostNameFallsBackSilentlyAndUserNameIsTakenAsItIs) {
  TestSession ts;
  Text<35> host;
  ts.services.host = "a-very-long-host-name.example.quellatorix.org";
  hostname(ts.s, host.span());
  EXPECT_EQ(host.sv(), "a-very-long-host-name.example.quell");
  ts.services.host_status = 5;
  hostname(ts.s, host.span());
  EXPECT_EQ(host, "Macintosh");

  Text<10> user;
  ts.services.login = "geologist_of_the_year";
  username(ts.s, user.span());
  EXPECT_EQ(user.sv(), "geologist_");
  ts.services.login = "";
  username(ts.s, user.span());
  EXPECT_EQ(user.sv(), "          ");
  EXPECT_EQ(ts.take(), "");
}

TEST(Probes, ProcessorBrandRules) {
  const struct {
    const char* file;  // what the command wrote
    std::size_t width;
    std::string want;
  } cases[] = {
      {"Intel(R) Core(TM) i7-8700B CPU @ 3.20GHz\n", 30, "Core i7-8700B CPU @ 3.20GHz"},
      {"Intel(R) Core(TM) \n", 30, "Core "},
      {"Intel(R) Core(TM)\n", 30, "Core "},  // the padding supplies the 18th character
      {" Intel(R) Core(TM) i5\n", 30, "Intel(R) Core(TM) i5"},
      {"intel(r) core(tm) i5\n", 30, "intel(r) core(tm) i5"},
      {"Apple M1 Pro\n", 30, "Apple M1 Pro"},
      {"   AMD EPYC   \n", 30, "AMD EPYC"},
      {"AMD Ryzen 9 5950X 16-Core Processor\n", 30, "AMD Ryzen 9 5950X 16-Core Proc"},
      // The read keeps 50 characters, whatever the caller's text.
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123\n", 60,
       "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwx"},
      {"Intel(R) Core(TM) ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnop\n", 60,
       "Core ABCDEFGHIJKLMNOPQRSTUVWXYZabcdef"},
      {"Second line ignored\nIntel(R) Core(TM) i3\n", 30, "Second line ignored"},
      {"    \n", 30, ""},
      {"", 30, ""},  // the command wrote nothing
  };
  for (const auto& c : cases) {
    TestSession ts;
    fake_shell(ts, c.file);
    std::string cpu(c.width, '?');
    hardinfo(ts.s, cpu);
    EXPECT_EQ(cpu, padded(c.want, c.width)) << c.file;
    EXPECT_EQ(ts.take(), "") << c.file;
    EXPECT_FALSE(ts.dir.exists("cpu_info_tmp_001.txt"));
    EXPECT_EQ(ts.services.calls,
              (std::vector<std::string>{std::string("cmd:") + kCpuCmd, "cmd:rm cpu_info_tmp_001.txt"}));
  }
}

TEST(Probes, SystemVersionRules) {
  const struct {
    const char* file;
    std::size_t width;
    std::string want;
  } cases[] = {
      {"10.15.7\n", 13, "MacOS_10.15.7"},
      {"12\n", 13, "MacOS_12"},
      {"  14.2  \n", 13, "MacOS_14.2"},
      {"10.15.7.123\n", 13, "MacOS_10.15.7"},
      {"10.15.7.123\n", 20, "MacOS_10.15.7."},  // the read keeps 8 characters
      {"bookworm\n", 13, "MacOS_bookworm"},
      {"        \n", 13, "MacOS_"},
      {"", 13, "MacOS_"},
  };
  for (const auto& c : cases) {
    TestSession ts;
    fake_shell(ts, c.file);
    std::string os(c.width, '?');
    osversion(ts.s, os);
    EXPECT_EQ(os, padded(c.want, c.width).substr(0, c.width)) << c.file;
    EXPECT_EQ(ts.take(), "") << c.file;
    EXPECT_FALSE(ts.dir.exists("sys_version_tmp_001.txt"));
    EXPECT_EQ(ts.services.calls,
              (std::vector<std::string>{std::string("cmd:") + kOsCmd, "cmd:rm sys_version_tmp_001.txt"}));
  }
}

std::string head(std::string_view name_line) {
  return " //////////////////////////////////////////////////\n" + std::string(name_line) +
         "\n"
         " ///                  WARNING                   ///\n"
         " //////////////////////////////////////////////////\n";
}

const std::string kCpuHead = head(" ///          subroutine     hardinfo           ///");
const std::string kOsHead = head(" ///          subroutine     osversion          ///");
const std::string kRule = " //////////////////////////////////////////////////\n";

std::string cmd_lines(std::string_view cmd, std::size_t cmdlen, int exitstat, int cmdstat, std::string_view msg) {
  auto num = [](int v) {
    std::string s = std::to_string(v);
    return std::string(6 - s.size(), ' ') + s;
  };
  return " command  = " + padded(cmd, cmdlen) + "\n wait     =      1\n exitstat = " + num(exitstat) +
         "\n cmdstat  = " + num(cmdstat) + "\n cmdmsg   = " + padded(msg, 120) + "\n";
}

TEST(Probes, CouldNotDetermine) {
  for (bool cpu : {true, false}) {
    TestSession ts;
    ts.services.on_command = [](std::string_view, int& exitstat, int& cmdstat, MutText msg) {
      exitstat = 4;
      cmdstat = -2;
      assign(msg, "no shell today");
    };
    std::string text(13, '?');
    std::string want;
    if (cpu) {
      hardinfo(ts.s, text);
      want = kCpuHead + " COULD NOT DETERMINE CPU INFO\n filename = cpu_info_tmp_001.txt     \n" +
             cmd_lines(kCpuCmd, 65, 4, -2, "no shell today") + " => SETTING CPU INFO = Macintosh\n" + kRule;
      EXPECT_EQ(text, "Macintosh    ");
    } else {
      osversion(ts.s, text);
      want = kOsHead + " COULD NOT DETERMINE SYSTEM VERSION\n filename = sys_version_tmp_001.txt  \n" +
             cmd_lines(kOsCmd, 60, 4, -2, "no shell today") + " => SETTING SYSTEM VERSION = MacOSX\n" + kRule;
      EXPECT_EQ(text, "MacOSX       ");
    }
    EXPECT_EQ(ts.take(), want);
    EXPECT_EQ(ts.services.calls.size(), 1u);  // neither opened nor removed
  }
}

TEST(Probes, CouldNotOpen) {
  for (bool cpu : {true, false}) {
    TestSession ts;
    // The command leaves a folder where the file should be.
    ts.services.on_command = [&ts](std::string_view cmd, int& exitstat, int&, MutText) {
      std::filesystem::create_directory(ts.dir.path() / std::string(cmd.substr(cmd.find(" > ") + 3)));
      exitstat = 1;
    };
    std::string text(13, '?');
    std::string want;
    if (cpu) {
      hardinfo(ts.s, text);
      want = kCpuHead + " COULD NOT OPEN CPU INFO FILE\n filename = cpu_info_tmp_001.txt     \n" +
             " status   = unknown\n unit     =     99\n" + cmd_lines(kCpuCmd, 65, 1, 0, "") +
             " => SETTING CPU INFO = Macintosh\n" + kRule;
      EXPECT_EQ(text, "Macintosh    ");
      EXPECT_TRUE(ts.dir.exists("cpu_info_tmp_001.txt"));
    } else {
      osversion(ts.s, text);
      want = kOsHead + " COULD NOT OPEN SYSTEM VERSION FILE\n filename = sys_version_tmp_001.txt  \n" +
             " status   = unknown\n unit     =     99\n" + cmd_lines(kOsCmd, 60, 1, 0, "") +
             " => SETTING SYSTEM VERSION = MacOSX\n" + kRule;
      EXPECT_EQ(text, "MacOSX       ");
      EXPECT_TRUE(ts.dir.exists("sys_version_tmp_001.txt"));
    }
    EXPECT_EQ(ts.take(), want);
    EXPECT_EQ(ts.services.calls.size(), 1u);
    EXPECT_FALSE(ts.units.is_open(99));
  }
}

TEST(Probes, CouldNotRemoveKeepsTheValueRead) {
  for (bool cpu : {true, false}) {
    TestSession ts;
    ts.services.on_command = [&ts](std::string_view cmd, int& exitstat, int& cmdstat, MutText msg) {
      if (cmd.starts_with("rm ")) {
        exitstat = 0;
        cmdstat = 3;
        assign(msg, "out of processes");
        return;
      }
      ts.dir.write(std::string(cmd.substr(cmd.find(" > ") + 3)), "Intel(R) Core(TM) i9 10.15\n");
    };
    std::string text(13, '?');
    std::string want;
    if (cpu) {
      hardinfo(ts.s, text);
      want = kCpuHead + " COULD NOT REMOVE CPU INFO FILE\n filename = cpu_info_tmp_001.txt     \n" +
             cmd_lines("rm cpu_info_tmp_001.txt", 65, 0, 3, "out of processes") + kRule;
      EXPECT_EQ(text, "Core i9 10.15");
    } else {
      osversion(ts.s, text);
      want = kOsHead + " COULD NOT REMOVE SYSTEM VERSION FILE\n filename = sys_version_tmp_001.txt  \n" +
             cmd_lines("rm sys_version_tmp_001.txt", 60, 0, 3, "out of processes") + kRule;
      EXPECT_EQ(text, "MacOS_Intel(R");
    }
    EXPECT_EQ(ts.take(), want);
    EXPECT_EQ(ts.services.calls.size(), 2u);
    EXPECT_FALSE(ts.units.is_open(99));
  }
}

TEST(Probes, BoxesGoToTheErrorOutputUnit) {
  TestSession ts;
  ts.s.iocom.IUERROUT = 42;  // nothing connected: the lines go nowhere
  ts.services.on_command = [](std::string_view, int&, int& cmdstat, MutText) { cmdstat = 1; };
  Text<30> cpu;
  hardinfo(ts.s, cpu.span());
  EXPECT_EQ(ts.take(), "");
  EXPECT_EQ(cpu, "Macintosh");
}

// The real host, with the stand-ins where the macOS tools are missing.
TEST(Probes, RealHostAnswersWithoutBoxesAndLeavesNoFiles) {
  TestSession ts("", testkit::RealServices{});
  Text<30> cpu;
  Text<13> os;
  hardinfo(ts.s, cpu.span());
  osversion(ts.s, os.span());
  EXPECT_EQ(ts.take(), "");
  EXPECT_TRUE(std::filesystem::is_empty(ts.dir.path()));
#ifdef __linux__
  std::string version;
  std::ifstream rel("/etc/os-release");
  for (std::string line; std::getline(rel, line);) {
    if (line.starts_with("VERSION_ID=")) {
      version = line.substr(11);
      std::erase(version, '"');
    }
  }
  EXPECT_EQ(os, "MacOS_" + version);
  std::string model;
  std::ifstream info("/proc/cpuinfo");
  for (std::string line; model.empty() && std::getline(info, line);) {
    if (line.starts_with("model name")) model = line.substr(line.find_first_not_of(" \t", line.find(':') + 1));
  }
  if (model.starts_with("Intel(R) Core(TM) ")) model = "Core " + model.substr(18);
  EXPECT_EQ(cpu, Text<30>(model.substr(0, 50)).sv());
#endif
}

}  // namespace
}  // namespace qx
