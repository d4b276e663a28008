// The real program in a working folder where somebody else has left things
// under the probes' file names: the probes touch nothing there, runs at once
// don't disturb each other, and nothing is left in the temporary folder.

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sched.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sched.h>

#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "case_runner.hpp"
#include "program_runner.hpp"
#include "testkit/test_session.hpp"

namespace qx::e2e {
namespace {

namespace fs = std::filesystem;

const char* const kProbeFiles[] = {"cpu_info_tmp_001.txt", "sys_version_tmp_001.txt"};

// RETURN for the header, keyboard input, the default title, numerical,
// screen output; then "y" ends the input. Nothing is written to a file.
const std::string kTyped = "\n2\n\n2\n2\ny\n";

// Each entry of a folder: its type, mode, and content or link target.
std::map<std::string, std::string> contents(const fs::path& dir) {
  std::map<std::string, std::string> out;
  for (const auto& e : fs::directory_iterator(dir)) {
    const fs::file_status st = e.symlink_status();
    std::string what = std::to_string(static_cast<int>(st.type())) + " " +
                       std::to_string(static_cast<int>(st.permissions())) + " ";
    if (fs::is_symlink(st)) what += fs::read_symlink(e.path()).string();
    if (fs::is_regular_file(st)) what += slurp(e.path());
    out[e.path().filename().string()] = what;
  }
  return out;
}

std::size_t entries_under(const fs::path& dir) {
  std::error_code ec;
  std::size_t n = 0;
  for (fs::recursive_directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) ++n;
  return n;
}

// The system and processor lines of the run header.
std::string system_lines(const std::string& console) {
  std::string out;
  for (const std::string& l : testkit::lines_of(console))
    if (l.starts_with(" @    System:") || l.starts_with(" @       CPU:")) out += l + "\n";
  return out;
}

// A working folder and a temporary folder of the test's own.
struct Place {
  testkit::ScratchDir work;
  testkit::ScratchDir tmp;
  RunOptions options() const {
    RunOptions o;
    o.typed = kTyped;
    o.env = {"TMPDIR=" + tmp.path().string()};
    return o;
  }
};

const std::string& plain_system_lines() {
  static const std::string lines = [] {
    Place p;
    return system_lines(run_program(p.work.path(), p.options()).console);
  }();
  return lines;
}

// What every run must leave: the working folder as it was, the header of a
// plain run, nothing in the temporary folder.
void expect_untouched(const Place& place, const std::map<std::string, std::string>& before, const ProgramRun& run) {
  EXPECT_EQ(0, run.status);
  EXPECT_EQ(contents(place.work.path()), before);
  EXPECT_EQ(system_lines(run.console), plain_system_lines());
  EXPECT_EQ(0u, entries_under(place.tmp.path()));
}

TEST(ProbePlants, NothingPlantedUnderAProbesFileNameIsTouched) {
  const std::string notes = "strike 120 dip 30\n";
  const struct {
    const char* what;
    void (*plant)(const fs::path& at, const fs::path& victim);
  } plants[] = {
      {"a link to a file of the user", [](const fs::path& at, const fs::path& v) { fs::create_symlink(v, at); }},
      {"a named pipe", [](const fs::path& at, const fs::path&) { ASSERT_EQ(0, mkfifo(at.c_str(), 0644)); }},
      {"a link to /dev/zero", [](const fs::path& at, const fs::path&) { fs::create_symlink("/dev/zero", at); }},
      {"the user's own file", [](const fs::path& at, const fs::path& v) { fs::copy_file(v, at); }},
      {"a write-protected file",
       [](const fs::path& at, const fs::path& v) {
         fs::copy_file(v, at);
         fs::permissions(at, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
       }},
  };
  for (const char* name : kProbeFiles) {
    for (const auto& p : plants) {
      SCOPED_TRACE(std::string(p.what) + " at " + name);
      Place place;
      testkit::ScratchDir elsewhere;
      const fs::path victim = elsewhere.path() / "field_notes.txt";
      elsewhere.write("field_notes.txt", notes);
      p.plant(place.work.path() / name, victim);
      const auto before = contents(place.work.path());
      expect_untouched(place, before, run_program(place.work.path(), place.options()));
      EXPECT_EQ(notes, slurp(victim));
    }
  }
}

// A file the user may read but not write, linked under both names by
// someone who wants its first line in the header and the results.
TEST(ProbePlants, ALinkToAFileTheUserCannotWriteLeaksNothing) {
  const passwd* nobody = getpwnam("nobody");
  if (geteuid() != 0 || nobody == nullptr) GTEST_SKIP() << "needs the superuser and a user nobody";
  Place place;
  testkit::ScratchDir elsewhere;
  elsewhere.write("secret.txt", "the planter wants this line\n");
  fs::permissions(elsewhere.path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                        fs::perms::others_read | fs::perms::others_exec);
  // Both folders open to the run: a probe that wrote there would show.
  fs::permissions(place.work.path(), fs::perms::all);
  fs::permissions(place.tmp.path(), fs::perms::all);
  if (!testkit::reachable_as(nobody->pw_uid, nobody->pw_gid, place.tmp.path()))
    GTEST_SKIP() << "nobody can't reach the scratch folders (a private TMPDIR)";
  for (const char* name : kProbeFiles) fs::create_symlink(elsewhere.path() / "secret.txt", place.work.path() / name);
  const auto before = contents(place.work.path());
  RunOptions options = place.options();
  options.as_user = true;
  options.uid = nobody->pw_uid;
  options.gid = nobody->pw_gid;
  const ProgramRun run = run_program(place.work.path(), options);
  if (run.status == 122 || run.status == 123) GTEST_SKIP() << "the program can't be run as nobody here";
  expect_untouched(place, before, run);
  EXPECT_EQ(std::string::npos, run.console.find("the plan"));
}

TEST(ProbePlants, TenRunsAtOnceInOneFolder) {
  plain_system_lines();
  Place place;
  std::vector<ProgramRun> runs(10);
  {
    std::vector<std::thread> threads;
    for (ProgramRun& r : runs) threads.emplace_back([&] { r = run_program(place.work.path(), place.options()); });
    for (std::thread& t : threads) t.join();
  }
  for (const ProgramRun& r : runs) expect_untouched(place, {}, r);
}

// The tools that the stand-ins call, planted where a PATH naming the working
// folder would find them first.
TEST(ProbePlants, ToolsInTheWorkingFolderNeverRun) {
  for (const bool relative : {true, false}) {
    Place place;
    testkit::ScratchDir elsewhere;
    const fs::path ran = elsewhere.path() / "planted_tool_ran";
    for (const char* tool : {"sed", "tr", "rm", "sysctl", "sw_vers"}) {
      place.work.write(tool, "#!/bin/sh\ntouch " + ran.string() + "\necho planted\n");
      fs::permissions(place.work.path() / tool, fs::perms::owner_all);
    }
    const auto before = contents(place.work.path());
    RunOptions options = place.options();
    const char* path = std::getenv("PATH");
    options.env.push_back("PATH=" + (relative ? std::string(".") : place.work.path().string()) + ":" +
                          (path != nullptr ? path : "/usr/bin:/bin"));
    expect_untouched(place, before, run_program(place.work.path(), options));
    EXPECT_FALSE(fs::exists(ran)) << (relative ? "." : "the folder's full name") << " in PATH";
  }
}

// Each signal is sent once a probe's folder exists, once its file exists
// too (in the working folder, where a probe must not write it, or in the
// temporary one), and at the header's wait, whichever comes first.
TEST(ProbePlants, AnInterruptDuringStartUpLeavesNothing) {
  for (const int sig : {SIGINT, SIGTERM, SIGHUP, SIGPWR, SIGRTMIN}) {
    for (const std::size_t entries : {1u, 2u, 100u}) {
      for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE("signal " + std::to_string(sig) + " at " + std::to_string(entries) + " entries");
        Place place;
        RunOptions options = place.options();
        options.typed = "";
        options.keep_typing = true;
        options.interrupt_signal = sig;
        options.interrupt_at = "HIT RETURN TO CONTINUE";
        options.interrupt_when = [&place, entries] {
          return entries_under(place.work.path()) + entries_under(place.tmp.path()) >= entries;
        };
        const ProgramRun run = run_program(place.work.path(), options);
        EXPECT_EQ(128 + sig, run.status);
        EXPECT_TRUE(fs::is_empty(place.work.path()));
        EXPECT_EQ(0u, entries_under(place.tmp.path()));
      }
    }
  }
}

// SIGTERM to the program alone, at any moment of start-up: the probe's shell
// ends with it, and nothing writes on the terminal once it has ended.
TEST(ProbePlants, ASignalAtAnyMomentOfStartUpEndsTheProbesShellToo) {
  std::mt19937 gen(15);
  for (int round = 0; round < 24; ++round) {
    Place place;
    RunOptions options = place.options();
    options.typed = "";
    options.keep_typing = true;
    options.interrupt_signal = SIGTERM;
    options.interrupt_when = [] { return true; };
    options.interrupt_delay_ms = std::uniform_int_distribution<int>(0, 20)(gen);
    options.settle_ms = 100;
    const ProgramRun run = run_program(place.work.path(), options);
    SCOPED_TRACE("after " + std::to_string(options.interrupt_delay_ms) + " ms");
    EXPECT_EQ(128 + SIGTERM, run.status);
    EXPECT_EQ("", run.late_console);
    for (const char* shell_said : {"cannot", "rm:", "getcwd", "nonexistent"})
      EXPECT_EQ(std::string::npos, run.console.find(shell_said)) << run.console;
    EXPECT_EQ(0u, entries_under(place.tmp.path()));
  }
}

// Where the program may hold few descriptors, a probe's folder can't be
// opened, or its command not started: each probe falls back, and no folder
// is left behind.
TEST(ProbePlants, FewDescriptorsLeaveNoFolderBehind) {
  if (testkit::kSanitized) GTEST_SKIP() << "the sanitizers' runtime needs descriptors of its own";
  for (const long limit : {4L, 5L, 6L}) {
    SCOPED_TRACE(std::to_string(limit) + " descriptors");
    Place place;
    RunOptions options = place.options();
    options.open_files_limit = limit;
    const ProgramRun run = run_program(place.work.path(), options);
    EXPECT_EQ(0, run.status);
    EXPECT_EQ(0u, entries_under(place.tmp.path()));
    EXPECT_TRUE(fs::is_empty(place.work.path()));
  }
}

// Where the system shell is bash (as on macOS), a shell function exported
// under a tool's name would stand in for the tool: the probes' shell takes
// nothing from the user's environment.
TEST(ProbePlants, ExportedShellFunctionsNeverStandInForTheTools) {
  if (geteuid() != 0 || access("/usr/bin/unshare", X_OK) != 0 || access("/bin/bash", X_OK) != 0)
    GTEST_SKIP() << "needs the superuser, unshare and bash";
  plain_system_lines();
  Place place;
  RunOptions options = place.options();
  // bash passes the functions on, where dash would drop their odd names.
  options.launcher = {"/usr/bin/unshare", "--mount", "--", "/bin/bash", "-c",
                      "mount --bind /bin/bash /bin/sh || exit 97; exec \"$0\""};
  for (const char* tool : {"sed", "tr", "rm", "sysctl", "sw_vers"})
    options.env.push_back(std::string("BASH_FUNC_") + tool + "%%=() { echo Pwned; }");
  const ProgramRun run = run_program(place.work.path(), options);
  if (run.status == 97) GTEST_SKIP() << "no bind mount here: " << run.console;
  expect_untouched(place, {}, run);
  EXPECT_EQ(std::string::npos, run.console.find("Pwned"));
}

// Another user who watches a temporary folder that everybody may write (a
// shared scratch folder without the sticky bit) and meets each new probe
// folder at once: renames it away and puts a folder of links under the
// probes' file names, or a link to the victim, in its place; or exchanges it
// with the victim, a folder of the user's own there.
enum class Swap { folder_of_links, link, exchange };

class Swapper {
 public:
  Swapper(const fs::path& tmp, const fs::path& victim, Swap swap, uid_t uid) {
    const int watch = inotify_init1(IN_CLOEXEC);
    if (watch < 0 || inotify_add_watch(watch, tmp.c_str(), IN_CREATE) < 0) return;
    const std::string target = victim.string();
    pid_ = fork();
    if (pid_ != 0) {
      close(watch);
      return;
    }
    if (setgroups(0, nullptr) != 0 || setgid(uid) != 0 || setuid(uid) != 0 || chdir(tmp.c_str()) != 0) _exit(1);
    alignas(inotify_event) char buf[4096];
    for (ssize_t n; (n = read(watch, buf, sizeof buf)) > 0;) {
      for (char* p = buf; p < buf + n;) {
        const auto* e = reinterpret_cast<const inotify_event*>(p);
        p += sizeof *e + e->len;
        if (e->len == 0 || std::strncmp(e->name, "quellatorix-", 12) != 0 || std::strchr(e->name, '.') != nullptr)
          continue;
        if (swap == Swap::exchange) {
          renameat2(AT_FDCWD, e->name, AT_FDCWD, target.c_str(), RENAME_EXCHANGE);
          continue;
        }
        char away[NAME_MAX + 8];
        std::snprintf(away, sizeof away, "%s.away", e->name);
        if (rename(e->name, away) != 0) continue;
        if (swap == Swap::link) {
          [[maybe_unused]] const int r = symlink(target.c_str(), e->name);
          continue;
        }
        mkdir(e->name, 0777);
        for (const char* file : kProbeFiles) {
          char link[2 * NAME_MAX];
          std::snprintf(link, sizeof link, "%s/%s", e->name, file);
          [[maybe_unused]] const int r = symlink(target.c_str(), link);
        }
      }
    }
    _exit(0);
  }
  ~Swapper() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  Swapper(const Swapper&) = delete;
  Swapper& operator=(const Swapper&) = delete;
  bool started() const { return pid_ > 0; }

 private:
  pid_t pid_ = -1;
};

// What a victim is: its mode, and its content or, for a folder, its entries.
std::string state_of(const fs::path& p) {
  std::string s = std::to_string(static_cast<int>(fs::symlink_status(p).permissions())) + "\n";
  if (!fs::is_directory(p)) return s + slurp(p);
  for (const auto& [name, what] : contents(p)) s += name + ": " + what + "\n";
  return s;
}

// The probes then work in /tmp: the header is that of a plain run.
TEST(ProbePlants, AnotherUserWhoSwapsTheFolderReachesNothingOutsideIt) {
  if (geteuid() != 0) GTEST_SKIP() << "needs the superuser to be another user";
  constexpr uid_t kOther = 54321;
  const struct {
    const char* what;
    Swap swap;
  } cases[] = {{"a folder of links in its place", Swap::folder_of_links},
               {"a link in its place", Swap::link},
               {"exchanged with a folder of the user's, the program slower on one processor", Swap::exchange}};
  plain_system_lines();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Place place;
    fs::permissions(place.tmp.path(), fs::perms::all);  // 0777, no sticky bit
    if (!testkit::reachable_as(kOther, kOther, place.tmp.path()))
      GTEST_SKIP() << "another user can't reach the scratch folders (a private TMPDIR)";
    testkit::ScratchDir elsewhere;
    const bool exchange = c.swap == Swap::exchange;
    const fs::path victim = exchange ? place.tmp.path() / "mydata" : elsewhere.path() / "field_notes.txt";
    if (exchange) fs::create_directory(victim);
    std::ofstream(exchange ? victim / "important.txt" : victim) << "strike 120 dip 30\n";
    const std::string before = state_of(victim);
    RunOptions options = place.options();
    cpu_set_t all;
    sched_getaffinity(0, sizeof all, &all);
    if (exchange) {
      // The swapper, and the program at the lowest priority, on the first
      // processor this test may use: the swapper wins every race.
      cpu_set_t one;
      CPU_ZERO(&one);
      for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
        if (!CPU_ISSET(cpu, &all)) continue;
        CPU_SET(cpu, &one);
        break;
      }
      sched_setaffinity(0, sizeof one, &one);
      options.launcher = {"/usr/bin/nice", "-n", "19"};
    }
    {
      const Swapper swapper(place.tmp.path(), victim, c.swap, kOther);
      ASSERT_TRUE(swapper.started());
      for (int run = 0; run < 6; ++run) {
        const ProgramRun r = run_program(place.work.path(), options);
        EXPECT_EQ(0, r.status);
        EXPECT_EQ(before, state_of(victim));
        EXPECT_EQ(plain_system_lines(), system_lines(r.console));
        EXPECT_EQ(std::string::npos, r.console.find("strike 120"));
        EXPECT_TRUE(fs::is_empty(place.work.path()));
      }
    }
    sched_setaffinity(0, sizeof all, &all);
  }
}

}  // namespace
}  // namespace qx::e2e
