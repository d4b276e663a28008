#include "support/probes.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "testkit/frame_texts.hpp"
#include "testkit/test_session.hpp"

namespace qx {
namespace {

using testkit::TestSession;

std::string padded(std::string_view s, std::size_t n) {
  std::string out(s);
  out.resize(n, ' ');
  return out;
}

TEST(Probes, DateAndTimeFromOneReading) {
  const struct {
    const char *date, *time, *want_date, *want_time;
  } cases[] = {
      {"20250304", "090503.250", "2025-03-04  ", "09:05:03"},
      {"20251231", "235959.999", "2025-12-31  ", "23:59:59"},
  };
  for (const auto& c : cases) {
    TestSession ts;
    ts.services.date = c.date;
    ts.services.time = c.time;
    std::string date(12, '?');  // longer than needed: padded
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
  Text<10> user("someone");
  ts.services.login = "geologist_of_the_year";
  username(ts.s, user.span());
  EXPECT_EQ(user.sv(), "geologist_");
  ts.services.login = "";
  username(ts.s, user.span());
  EXPECT_EQ(user.sv(), "          ");
  EXPECT_EQ(ts.take(), "");
}

// Control bytes become blanks and a letter cut by the field is dropped, in
// the field the text is shown from.
TEST(Probes, HostAndUserNamesAreCleanedInTheirFields) {
  const struct {
    std::string host, login, want_host, want_user;
  } cases[] = {
      {"h\x1b[1mo\tst\x07", "geo\tlo\x1b", "h [1mo st", "geo lo"},
      {std::string(34, 'h') + "\xC3\xA9", "geologist\xC3\xA9", std::string(34, 'h'), "geologist"},
      {std::string(33, 'h') + "\xC3\xA9", "geologi\xC3\xA9", std::string(33, 'h') + "\xC3\xA9", "geologi\xC3\xA9"},
  };
  for (const auto& c : cases) {
    TestSession ts;
    ts.services.host = c.host;
    ts.services.login = c.login;
    Text<35> host;
    Text<10> user;
    hostname(ts.s, host.span());
    username(ts.s, user.span());
    EXPECT_EQ(host.sv(), padded(c.want_host, 35));
    EXPECT_EQ(user.sv(), padded(c.want_user, 10));
  }
}

// What tells the two probes apart.
struct Kind {
  void (*probe)(Session&, MutText);
  std::string file, command, what, fallback, name_line;
  std::size_t cmdlen;
};
const Kind kCpu{hardinfo, "cpu_info_tmp_001.txt", "sysctl -n machdep.cpu.brand_string > cpu_info_tmp_001.txt",
                "CPU INFO", "Macintosh", " ///          subroutine     hardinfo           ///\n", 65};
const Kind kOs{osversion, "sys_version_tmp_001.txt", "sw_vers -productVersion > sys_version_tmp_001.txt",
               "SYSTEM VERSION", "MacOSX", " ///          subroutine     osversion          ///\n", 60};

// A shell that runs "x > file" by writing output into file, and "rm file"
// by removing it, both in the session's folder.
void fake_shell(TestSession& ts, std::string output) {
  ts.services.on_command = [&ts, output](std::string_view cmd, int&, int&, MutText) {
    if (cmd.starts_with("rm ")) {
      std::filesystem::remove(ts.dir.path() / std::string(cmd.substr(3)));
    } else {
      ts.dir.write(std::string(cmd.substr(cmd.find(" > ") + 3)), output);
    }
  };
}

TEST(Probes, LineReadBackAndItsRules) {
  const struct {
    const Kind& kind;
    const char* file;  // what the command wrote
    std::size_t width;
    std::string want;
  } cases[] = {
      {kCpu, "Intel(R) Core(TM) i7-8700B CPU @ 3.20GHz\n", 30, "Core i7-8700B CPU @ 3.20GHz"},
      {kCpu, "Intel(R) Core(TM) \n", 30, "Core "},
      {kCpu, "Intel(R) Core(TM)\n", 30, "Core "},  // the padding supplies the 18th character
      {kCpu, "Intel(R) Core(TM) 7\n", 30, "Core 7"},
      {kCpu, " Intel(R) Core(TM) i5\n", 30, "Intel(R) Core(TM) i5"},
      {kCpu, "intel(r) core(tm) i5\n", 30, "intel(r) core(tm) i5"},
      {kCpu, "   AMD EPYC   \n", 30, "AMD EPYC"},
      {kCpu, "AMD Ryzen 9 5950X 16-Core Processor\n", 30, "AMD Ryzen 9 5950X 16-Core Proc"},
      // The read keeps 50 characters, whatever the caller's text.
      {kCpu, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123\n", 60,
       "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwx"},
      {kCpu, "Intel(R) Core(TM) ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnop\n", 60,
       "Core ABCDEFGHIJKLMNOPQRSTUVWXYZabcdef"},
      {kCpu, "Second line ignored\nIntel(R) Core(TM) i3\n", 30, "Second line ignored"},
      {kCpu, "    \n", 30, ""},
      {kCpu, "", 30, ""},  // the command wrote nothing
      {kOs, "10.15.7\n", 13, "MacOS_10.15.7"},
      {kOs, "  14.2  \n", 13, "MacOS_14.2"},
      {kOs, "10.15.7.123\n", 13, "MacOS_10.15.7"},
      {kOs, "10.15.7.123\n", 20, "MacOS_10.15.7."},  // the read keeps 8 characters
      {kOs, "        \n", 13, "MacOS_"},
      // Control bytes become blanks; a letter cut by the field is dropped.
      {kCpu, "AMD\tEPYC\x1b[31m 7763\x07\n", 30, "AMD EPYC [31m 7763"},
      {kCpu, "ABCDEFGHIJKLMNOPQRSTUVWXYZabc\xC3\xA9xyz\n", 30, "ABCDEFGHIJKLMNOPQRSTUVWXYZabc"},
      {kOs, "1\x1b" "2\a3\t4\n", 13, "MacOS_1 2 3 4"},
      {kOs, "1234.\xE2\x82\xAC\n", 13, "MacOS_1234."},
      {kOs, "", 13, "MacOS_"},
  };
  for (const auto& c : cases) {
    TestSession ts;
    fake_shell(ts, c.file);
    std::string text(c.width, '?');
    c.kind.probe(ts.s, text);
    EXPECT_EQ(text, padded(c.want, c.width)) << c.file;
    EXPECT_EQ(ts.take(), "") << c.file;
    EXPECT_FALSE(ts.dir.exists(c.kind.file));
    EXPECT_EQ(ts.services.calls, (std::vector<std::string>{"cmd:" + c.kind.command, "cmd:rm " + c.kind.file}));
  }
}

TEST(Probes, FailuresDrawTheirBoxAndFallBack) {
  const std::string rule = " //////////////////////////////////////////////////\n";
  for (const Kind* k : {&kCpu, &kOs}) {
    const bool cpu = k == &kCpu;
    // The probe command does not run; it leaves a folder where the file should be; the removal does not run.
    for (const int step : {0, 1, 2}) {
      TestSession ts;
      const int sign = cpu ? 1 : -1;  // any status but 0 is a failure
      ts.services.on_command = [&ts, step, sign](std::string_view cmd, int& exitstat, int& cmdstat, MutText msg) {
        exitstat = 4;
        if (step == 0) {
          cmdstat = -2 * sign;
          assign(msg, "no shell today");
        } else if (step == 1) {
          std::filesystem::create_directory(ts.dir.path() / std::string(cmd.substr(cmd.find(" > ") + 3)));
        } else if (cmd.starts_with("rm ")) {
          cmdstat = 3 * sign;
          assign(msg, "out of processes");
        } else {
          ts.dir.write(std::string(cmd.substr(cmd.find(" > ") + 3)), "Intel(R) Core(TM) i9 10.15\n");
        }
      };
      std::string text(13, '?');
      k->probe(ts.s, text);
      const char* titles[] = {"COULD NOT DETERMINE ", "COULD NOT OPEN ", "COULD NOT REMOVE "};
      const char* stats[] = {cpu ? "    -2" : "     2", "     0", cpu ? "     3" : "    -3"};
      const char* msgs[] = {"no shell today", "", "out of processes"};
      EXPECT_EQ(ts.take(), rule + k->name_line + " ///                  WARNING                   ///\n" + rule + " " +
                               titles[step] + k->what + (step == 0 ? "" : " FILE") + "\n filename = " +
                               padded(k->file, 25) + "\n" +
                               (step == 1 ? " status   = unknown\n unit     =     99\n" : "") + " command  = " +
                               padded(step == 2 ? "rm " + k->file : k->command, k->cmdlen) +
                               "\n wait     =      1\n exitstat =      4\n cmdstat  = " + stats[step] +
                               "\n cmdmsg   = " + padded(msgs[step], 120) + "\n" +
                               (step == 2 ? "" : " => SETTING " + k->what + " = " + k->fallback + "\n") + rule)
          << k->what << step;
      EXPECT_EQ(text, step < 2 ? padded(k->fallback, 13) : cpu ? "Core i9 10.15" : "MacOS_Intel(R");
      EXPECT_EQ(ts.services.calls.size(), step == 2 ? 2u : 1u);  // nothing removed after a failure
      EXPECT_FALSE(ts.units.is_open(99));
    }
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

// A box after its head: the lines from "filename =" on, with the command
// variables as given.
std::string box_lines(const Kind& k, bool open_lines, const std::string& command, const char* exitstat,
                      const char* cmdstat, const std::string& cmdmsg) {
  return " filename = " + padded(k.file, 25) + "\n" +
         (open_lines ? " status   = unknown\n unit     =     99\n" : "") + " command  = " +
         padded(command, k.cmdlen) + "\n wait     =      1\n exitstat = " + exitstat + "\n cmdstat  = " + cmdstat +
         "\n cmdmsg   = " + padded(cmdmsg, 120) + "\n";
}

TEST(Probes, WithoutAPrivateFolderAProbeFailsAsAFileThatCannotBeOpened) {
  for (const Kind* k : {&kCpu, &kOs}) {
    TestSession ts;
    ts.services.probe_folder.clear();
    std::string text(13, '?');
    k->probe(ts.s, text);
    EXPECT_EQ(ts.take(), testkit::kSlashRule + k->name_line + " ///                  WARNING                   ///\n" +
                             testkit::kSlashRule + " COULD NOT OPEN " + k->what + " FILE\n" +
                             box_lines(*k, true, k->command, "     0", "     0", "") + " => SETTING " + k->what +
                             " = " + k->fallback + "\n" + testkit::kSlashRule);
    EXPECT_EQ(text, padded(k->fallback, 13));
    EXPECT_TRUE(ts.services.calls.empty()) << "no command runs";
  }
}

// The removal runs through the probe command's variables: its box shows what
// the removal set, and what it left alone as the probe command left it.
TEST(Probes, TheRemovalBoxShowsWhatTheRemovalLeftInTheVariables) {
  const struct {
    int probe_exit;        // the probe command runs and exits with this
    int rm_exit;           // the removal's exit status, or -1: none set
    int rm_cmdstat;
    const char* rm_msg;    // nullptr: none set
    const char *exitstat, *cmdstat, *cmdmsg;
  } cases[] = {
      {0, 127, 3, "Invalid command line", "   127", "     3", "Invalid command line"},  // ran and failed
      {5, -1, 1, "could not start the shell", "     5", "     1", "could not start the shell"},
      {2, -1, -1, nullptr, "     2", "    -1", ""},
      {0, 127, 3, "sh: \x1b]0;x\x07 not found\t", "   127", "     3", "sh:  ]0;x  not found"},  // shown cleaned
  };
  for (const Kind* k : {&kCpu, &kOs}) {
    for (const auto& c : cases) {
      TestSession ts;
      ts.services.on_command = [&ts, &c](std::string_view cmd, int& exitstat, int& cmdstat, MutText msg) {
        if (!cmd.starts_with("rm ")) {
          ts.dir.write(std::string(cmd.substr(cmd.find(" > ") + 3)), "7.1\n");
          exitstat = c.probe_exit;
          return;
        }
        if (c.rm_exit >= 0) exitstat = c.rm_exit;
        cmdstat = c.rm_cmdstat;
        if (c.rm_msg != nullptr) assign(msg, c.rm_msg);
      };
      std::string text(13, '?');
      k->probe(ts.s, text);
      EXPECT_EQ(ts.take(), testkit::kSlashRule + k->name_line +
                               " ///                  WARNING                   ///\n" + testkit::kSlashRule +
                               " COULD NOT REMOVE " + k->what + " FILE\n" +
                               box_lines(*k, false, "rm " + k->file, c.exitstat, c.cmdstat, c.cmdmsg) +
                               testkit::kSlashRule)
          << k->what << " " << c.exitstat;
      EXPECT_EQ(text, k == &kCpu ? padded("7.1", 13) : "MacOS_7.1    ") << "the value read stands";
    }
  }
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
  EXPECT_TRUE(os.sv().starts_with("MacOS_")) << os.sv();
}

}  // namespace
}  // namespace qx
