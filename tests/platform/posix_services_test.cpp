#include "platform/posix_services.hpp"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <tuple>

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

TEST(PosixServices, ShellRunsInTheFolderAndReportsTheExitStatus) {
  testkit::ScratchDir dir;
  PosixServices sv(dir.path().string());
  const struct {
    const char* cmd;
    int exitstat;
  } cases[] = {
      {"echo made here > made.txt", 0},
      {"exit 3", 3},
      {"no_such_command_of_quellatorix 2>/dev/null", 127},
      {"kill -9 $$", 128 + 9},
  };
  for (const auto& c : cases) {
    const Result r = run(sv, c.cmd);
    EXPECT_EQ(r.exitstat, c.exitstat) << c.cmd;
    EXPECT_EQ(r.cmdstat, 0) << c.cmd;
    EXPECT_EQ(r.cmdmsg, "untouched") << c.cmd;  // set only on a failure to run
  }
  EXPECT_EQ(dir.read("made.txt"), "made here\n");

  PosixServices elsewhere((dir.path() / "missing").string());
  const Result r = run(elsewhere, "true");
  EXPECT_EQ(r.cmdstat, 1);
  EXPECT_EQ(r.exitstat, -99);
  EXPECT_TRUE(r.cmdmsg.sv().starts_with("could not enter the folder ")) << r.cmdmsg.sv();
}

TEST(PosixServices, WithoutWaitTheCommandRunsOnItsOwn) {
  testkit::ScratchDir dir;
  PosixServices sv(dir.path().string());
  const Result r = run(sv, "sleep 0.2; echo later > bg.tmp && mv bg.tmp bg.txt", false);
  EXPECT_EQ(r.cmdstat, 0);
  EXPECT_EQ(r.exitstat, -99);
  EXPECT_FALSE(dir.exists("bg.txt"));
  for (int i = 0; i < 500 && !dir.exists("bg.txt"); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(dir.read("bg.txt"), "later\n");
}

#ifdef __linux__
// The value after "key" and the separator in the first line of file that has it.
std::string value_of(const char* file, std::string_view key, const char* sep) {
  std::ifstream f(file);
  for (std::string line; std::getline(f, line);) {
    if (!line.starts_with(key)) continue;
    const auto at = line.find_first_not_of(sep, key.size());
    std::string v = at == std::string::npos ? "" : line.substr(at);
    std::erase(v, '"');
    std::erase(v, '\'');
    return v;
  }
  return "";
}

// The macOS tool queries of the probes are answered on Linux too; others go to the real tools.
TEST(PosixServices, StandInsAnswerTheProbeQueriesOnLinux) {
  testkit::ScratchDir dir;
  PosixServices sv(dir.path().string());
  ASSERT_EQ(run(sv, "sw_vers -productVersion > v.txt").cmdstat, 0);
  ASSERT_EQ(run(sv, "sysctl -n machdep.cpu.brand_string > c.txt").cmdstat, 0);
  const std::string version = value_of("/etc/os-release", "VERSION_ID=", "");
  EXPECT_EQ(dir.read("v.txt"), version.empty() ? "" : version + "\n");
  const std::string model = value_of("/proc/cpuinfo", "model name", " \t:");
  EXPECT_EQ(dir.read("c.txt"), model.empty() ? "" : model + "\n");

  EXPECT_EQ(run(sv, "sw_vers -buildVersion 2>/dev/null").exitstat, 127);
  EXPECT_NE(run(sv, "sysctl -n machdep.no_such_key >/dev/null 2>&1").exitstat, 0);
}
#endif

namespace fs = std::filesystem;

// TMPDIR set, or unset, while the guard lives.
struct TmpdirSet {
  explicit TmpdirSet(const char* value) {
    if (const char* o = std::getenv("TMPDIR")) old = o;
    value != nullptr ? setenv("TMPDIR", value, 1) : unsetenv("TMPDIR");
  }
  ~TmpdirSet() { old ? setenv("TMPDIR", old->c_str(), 1) : unsetenv("TMPDIR"); }
  std::optional<std::string> old;
};

// The standard input holds a typed answer while the guard lives.
struct TypedAnswer {
  explicit TypedAnswer(std::string_view answer) : console(dup(0)) {
    int typed[2];
    if (pipe(typed) != 0) return;
    [[maybe_unused]] const ssize_t n = write(typed[1], answer.data(), answer.size());
    close(typed[1]);
    dup2(typed[0], 0);
    close(typed[0]);
  }
  ~TypedAnswer() {
    dup2(console, 0);
    close(console);
  }
  int console;
};

// The first line of a file of the folder: nullopt when it does not open,
// "<none>" when it holds no line.
std::optional<std::string> first_line(PrivateFolder& folder, std::string_view name, std::size_t max_bytes) {
  std::string why;
  const auto f = folder.open_input(name, max_bytes, why);
  if (!f) return std::nullopt;
  std::string_view line;
  return f->next_line(line) == IoStatus::ok ? std::string(line) : "<none>";
}

Result run_in(PrivateFolder& folder, std::string_view cmd) {
  Result r;
  folder.execute_command_line(cmd, true, r.exitstat, r.cmdstat, r.cmdmsg.span());
  return r;
}

// Under TMPDIR, or /tmp where TMPDIR is unset, empty, or a folder where
// others may rename what is in it; the file and the folder go afterwards,
// and nothing else the command left there.
TEST(PrivateFolder, UnderTmpdirOrElseTmpPrivateAndGoneAfterwards) {
  testkit::ScratchDir tmp;
  const std::string owned = tmp.path().string();
  const std::string missing = owned + "/missing";
  const std::string shared = owned + "/shared";
  const std::string sticky = owned + "/sticky";
  fs::create_directory(shared);
  fs::permissions(shared, fs::perms::all);
  fs::create_directory(sticky);
  fs::permissions(sticky, fs::perms::all | fs::perms::sticky_bit);
  const struct {
    const char* tmpdir;  // nullptr: unset
    std::string under;   // empty: no folder
  } cases[] = {{owned.c_str(), owned},  {nullptr, "/tmp"},          {"", "/tmp"},
               {shared.c_str(), "/tmp"}, {sticky.c_str(), sticky}, {missing.c_str(), ""}};
  const TypedAnswer typed("yes\n");  // an answer for the dialogue, not for the commands
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tmpdir != nullptr ? c.tmpdir : "unset");
    const TmpdirSet env(c.tmpdir);
    PosixServices sv;
    std::string why;
    auto folder = sv.private_folder("f.txt", why);
    if (c.under.empty()) {
      EXPECT_EQ(folder, nullptr);
      EXPECT_EQ(why, "No such file or directory");
      continue;
    }
    ASSERT_NE(folder, nullptr) << why;
    ASSERT_EQ(run_in(*folder, "pwd > f.txt; cat >> f.txt").cmdstat, 0);
    const fs::path made = first_line(*folder, "f.txt", 4096).value_or("");
    EXPECT_EQ(made.parent_path(), c.under) << made;
    EXPECT_TRUE(made.filename().string().starts_with("quellatorix-")) << made;
    EXPECT_EQ(fs::status(made).permissions(), fs::perms::owner_all);
    ASSERT_EQ(run_in(*folder, "echo left > other.txt").cmdstat, 0);
    folder.reset();
    EXPECT_FALSE(fs::exists(made / "f.txt"));
    EXPECT_TRUE(fs::exists(made / "other.txt")) << "only the command's file is removed";
    fs::remove_all(made);
  }
  std::string rest(8, '\0');
  EXPECT_EQ(read(0, rest.data(), rest.size()), 4) << "the answer is still there";
}

TEST(PrivateFolder, OnlyARegularFileIsReadAndNoFurtherThanAsked) {
  const struct {
    const char* plant;
    std::optional<std::string> line;
  } cases[] = {
      {"printf 'first\\r\\nsecond\\n' > f", "first"},
      {"head -c 1000000 /dev/zero | tr '\\0' x > f", "xxxxxxxxxx"},
      {":", "<none>"},  // nothing there: created empty
      {"echo secret > s; ln -s s f", std::nullopt},
      {"ln -s /dev/zero f", std::nullopt},
      {"mkfifo f", std::nullopt},
      {"mkdir f", std::nullopt},
  };
  testkit::ScratchDir tmp;  // what a plant leaves besides the file stays
  const TmpdirSet env(tmp.path().c_str());
  for (const auto& c : cases) {
    PosixServices sv;
    std::string why;
    const auto folder = sv.private_folder("f", why);
    ASSERT_NE(folder, nullptr) << why;
    ASSERT_EQ(run_in(*folder, c.plant).exitstat, 0) << c.plant;
    EXPECT_EQ(first_line(*folder, "f", 10), c.line) << c.plant;
  }
}

TEST(PosixServices, ClocksCountFromTheFirstRequestAndGrow) {
  PosixServices sv;
  int c1 = -1, c2 = -1, rate = 0, max = 0;
  sv.system_clock(c1, rate, max);
  EXPECT_EQ(std::tie(rate, max), std::make_tuple(1000000, 2147483647));  // microseconds
  EXPECT_GE(c1, 0);
  EXPECT_LT(c1, 1000);
  const float t0 = sv.cpu_time();
  volatile unsigned sink = 0;  // busy for 20 ms: processor time too
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(20);
  while (std::chrono::steady_clock::now() < until) sink = sink + 1;
  EXPECT_GE(t0, 0.0f);
  EXPECT_GT(sv.cpu_time(), t0);
  sv.system_clock(c2, rate, max);
  EXPECT_GE(c2 - c1, 20000);
  EXPECT_LT(c2 - c1, 20000000);
}

// The local date and time of a second, as the program's clock gives it.
std::string local_text(std::time_t t) {
  std::tm local{};
  localtime_r(&t, &local);
  char buf[16];
  std::strftime(buf, sizeof buf, "%Y%m%d%H%M%S", &local);
  return buf;
}

TEST(PosixServices, LocalDateTimeAndNames) {
  PosixServices sv;
  // The program's own clock: time() lags it by a few milliseconds after each
  // second boundary. A second or more may pass between the readings, and the
  // clock may be set back.
  timespec before{}, after{};
  clock_gettime(CLOCK_REALTIME, &before);
  const LocalDateTime dt = sv.local_date_time();
  clock_gettime(CLOCK_REALTIME, &after);
  ASSERT_EQ(dt.date.size(), 8u);
  ASSERT_EQ(dt.time.size(), 10u);
  const std::string got = dt.date + dt.time.substr(0, 6);
  bool within = false;
  const auto [first, last] = std::minmax(before.tv_sec, after.tv_sec);
  for (std::time_t t = first; t <= last && !within; ++t) within = got == local_text(t);
  EXPECT_TRUE(within) << got << " between " << local_text(before.tv_sec) << " and " << local_text(after.tv_sec);
  EXPECT_EQ(dt.time[6], '.');
  EXPECT_EQ(dt.time.find_first_not_of("0123456789", 7), std::string::npos) << dt.time;

  char host[256] = {};
  ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
  Text<300> name;
  Text<4> cut;
  EXPECT_EQ(sv.host_name(name.span()), 0);
  EXPECT_EQ(sv.host_name(cut.span()), 0);
  EXPECT_EQ(name, host);
  EXPECT_EQ(cut.sv(), Text<4>(host).sv());

  // The login name, else the effective user's name, else blank (a uid that
  // the password database doesn't know, as in a container).
  const char* login = getlogin();
  const passwd* pw = getpwuid(geteuid());
  const std::string want = login != nullptr && *login != '\0' ? login : pw != nullptr ? pw->pw_name : "";
  Text<64> user;
  sv.login_name(user.span());
  EXPECT_EQ(user, std::string_view(want));
}

}  // namespace
}  // namespace qx::platform
