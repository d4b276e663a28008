#include "program_runner.hpp"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <thread>

#include <gtest/gtest.h>

#include "case_runner.hpp"
#include "testkit/test_session.hpp"

namespace qx::e2e {

namespace fs = std::filesystem;

namespace {

// The test's environment with options.env in place of the same names; built
// before the fork, since runs may be started from several threads at once.
std::vector<std::string> environment(const RunOptions& options) {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string_view entry(*e);
    const bool replaced = std::any_of(options.env.begin(), options.env.end(), [&](const std::string& o) {
      return entry.substr(0, entry.find('=') + 1) == o.substr(0, o.find('=') + 1);
    });
    if (!replaced) env.emplace_back(entry);
  }
  env.insert(env.end(), options.env.begin(), options.env.end());
  return env;
}

constexpr const char* kTime = "/usr/bin/time";

// The last number in the report of /usr/bin/time -f %M, or -1.
long peak_from(const fs::path& report) {
  const std::string text = slurp(report);
  const auto end = text.find_last_of("0123456789");
  if (end == std::string::npos) return -1;
  const auto begin = text.find_last_not_of("0123456789", end);
  return std::stol(text.substr(begin == std::string::npos ? 0 : begin + 1, end + 1));
}

// The console file as the program writes it. Each look reads only the bytes
// new since the last: a look that read the file from its start would chase
// the program to the end of a long run.
class ConsoleWatch {
 public:
  explicit ConsoleWatch(const fs::path& path) : fd_(open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
  ~ConsoleWatch() {
    if (fd_ >= 0) close(fd_);
  }
  ConsoleWatch(const ConsoleWatch&) = delete;
  ConsoleWatch& operator=(const ConsoleWatch&) = delete;

  bool shows(std::string_view what) {
    char buf[1 << 16];
    for (ssize_t n; (n = pread(fd_, buf, sizeof buf, seen_)) > 0;) {
      seen_ += n;
      window_.append(buf, static_cast<std::size_t>(n));
      if (window_.find(what) != std::string::npos) return true;
      window_.erase(0, window_.size() - std::min(window_.size(), what.size()));  // a match across two looks
    }
    return false;
  }

 private:
  int fd_;
  off_t seen_ = 0;
  std::string window_;
};

// The child's side: the program as a shell starts it, whatever this test
// runner inherited, with the console, limits and user asked for.
[[noreturn]] void start(const fs::path& folder, const RunOptions& options, int in_fd, int out_fd,
                        char* const* argv, char* const* envp) {
  if (chdir(folder.c_str()) != 0) _exit(120);
  if (options.file_size_limit >= 0) {
    const rlimit lim{static_cast<rlim_t>(options.file_size_limit), static_cast<rlim_t>(options.file_size_limit)};
    setrlimit(RLIMIT_FSIZE, &lim);
  }
  const rlimit no_core{0, 0};  // a signal that dumps core leaves none behind
  setrlimit(RLIMIT_CORE, &no_core);
  for (int sig = 1; sig < NSIG; ++sig) signal(sig, SIG_DFL);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  const int stdin_fd = options.input_file.empty() ? in_fd : open(options.input_file.c_str(), O_RDONLY);
  if (stdin_fd < 0) _exit(123);
  dup2(stdin_fd, 0);
  dup2(out_fd, 1);
  dup2(out_fd, 2);
  if (options.as_user && (setgroups(0, nullptr) != 0 || setgid(options.gid) != 0 || setuid(options.uid) != 0))
    _exit(123);
  if (options.open_files_limit >= 0) {
    // What the test runner holds open would count against the limit.
    for (int fd = 3; fd < 1024; ++fd) close(fd);
    const rlimit lim{static_cast<rlim_t>(options.open_files_limit), static_cast<rlim_t>(options.open_files_limit)};
    setrlimit(RLIMIT_NOFILE, &lim);
  }
  execve(argv[0], argv, envp);
  _exit(122);
}

// Whether a thread of the process waits in a read of the file at path.
bool waits_in_read(pid_t pid, const fs::path& path) {
  const fs::path proc = "/proc/" + std::to_string(pid);
  std::error_code ec;
  for (const auto& task : fs::directory_iterator(proc / "task", ec)) {
    long call = -1;
    unsigned long fd = 0;
    std::ifstream f(task.path() / "syscall");
    if (!(f >> call >> std::hex >> fd) || call != SYS_read) continue;
    if (fs::read_symlink(proc / "fd" / std::to_string(fd), ec) == path) return true;
  }
  return false;
}

}  // namespace

bool holds_bytes(const fs::path& path, std::uintmax_t bytes) {
  std::error_code ec;
  const std::uintmax_t size = fs::file_size(path, ec);
  return !ec && size >= bytes;
}

ProgramRun run_program(const fs::path& folder, const RunOptions& options) {
  using Clock = std::chrono::steady_clock;
  testkit::ScratchDir outside;
  const fs::path out_path = outside.path() / "console.txt";
  std::vector<std::string> env = environment(options);
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  const fs::path peak_path = outside.path() / "peak.txt";
  // The runner's own copy, made to start the program, would count in the
  // program's peak: a small process of its own measures it.
  const bool timed = options.measure_memory && access(kTime, X_OK) == 0;
  std::vector<std::string> launched = timed ? std::vector<std::string>{kTime, "-f", "%M", "-o", peak_path.string()}
                                            : options.launcher;
  launched.emplace_back(QX_BINARY);
  std::vector<char*> argv;
  for (std::string& a : launched) argv.push_back(a.data());
  argv.push_back(nullptr);
  // Close-on-exec: a run started from another thread must not hold this
  // run's input or console open.
  int in[2];
  int console[2] = {-1, -1};
  if (pipe2(in, O_CLOEXEC) != 0) return {};
  if (!options.console_stalls) console[1] = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (options.console_stalls ? pipe2(console, O_CLOEXEC) != 0 : console[1] < 0) return {};
  if (options.nonblocking_input) fcntl(in[0], F_SETFL, O_NONBLOCK);
  if (options.console_reads > 0) fcntl(console[0], F_SETFL, O_NONBLOCK);
  const pid_t pid = fork();
  if (pid == 0) start(folder, options, in[0], console[1], argv.data(), envp.data());
  close(in[0]);
  close(console[1]);
  ConsoleWatch watch(out_path);
  auto console_full = [&] {
    int n = 0;
    return ioctl(console[0], FIONREAD, &n) == 0 && n >= 32768;  // half a pipe: a write of 64 KiB waits
  };
  // Whether the moment for the signal has come.
  auto due = [&] {
    if (options.console_stalls) return console_full();
    if (options.interrupt_when && options.interrupt_when()) return true;
    const fs::path& reading = options.interrupt_when_reading;
    if (!reading.empty() && waits_in_read(pid, reading)) return true;
    return !options.interrupt_at.empty() && watch.shows(options.interrupt_at);
  };
  // The typed answers are short: the pipe takes them at once.
  auto type = [&in](const std::string& s) {
    if (!s.empty()) [[maybe_unused]] const ssize_t n = write(in[1], s.data(), s.size());
  };
  type(options.typed);
  std::size_t late = 0;
  bool open = true;
  auto done_typing = [&] {
    if (open && late == options.typed_late.size() && !options.keep_typing) {
      close(in[1]);
      open = false;
    }
  };
  done_typing();

  ProgramRun r;
  int wstatus = 0;
  rusage usage{};
  bool sent = options.interrupt_at.empty() && !options.interrupt_when && options.interrupt_when_reading.empty() &&
              !options.console_stalls;
  Clock::time_point send_at = Clock::time_point::max();
  Clock::time_point type_at = Clock::now();
  const auto deadline = Clock::now() + std::chrono::seconds(60);
  while (wait4(pid, &wstatus, WNOHANG, &usage) == 0) {
    const auto now = Clock::now();
    if (late < options.typed_late.size() && now >= type_at) {
      type(options.typed_late[late++]);
      type_at = now + std::chrono::milliseconds(20);
      done_typing();
    }
    if (options.console_reads > 0) {
      const std::size_t at = r.console.size();
      r.console.resize(at + options.console_reads);
      const ssize_t n = read(console[0], r.console.data() + at, options.console_reads);
      r.console.resize(at + static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
    }
    if (!sent && send_at == Clock::time_point::max() && due()) {
      send_at = now + std::chrono::milliseconds(options.interrupt_delay_ms);
    }
    if (!sent && now >= send_at) {
      if (options.before_interrupt) options.before_interrupt();
      kill(pid, options.interrupt_signal);
      if (options.second_signal != 0) {
        const auto second_at = Clock::now() + std::chrono::microseconds(options.second_signal_delay_us);
        while (Clock::now() < second_at) {
        }
        kill(pid, options.second_signal);
      }
      sent = true;
    }
    if (now > deadline) {
      kill(pid, SIGKILL);
      wait4(pid, &wstatus, 0, &usage);
      ADD_FAILURE() << "the program did not end within 60 seconds";
      break;
    }
    std::this_thread::sleep_for(sent || !options.interrupt_when ? std::chrono::microseconds(5000)
                                                                 : std::chrono::microseconds(50));
  }
  if (open) close(in[1]);
  r.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
  if (options.console_stalls) {
    fcntl(console[0], F_SETFL, 0);
    char buf[4096];
    for (ssize_t n; (n = read(console[0], buf, sizeof buf)) > 0;) r.console.append(buf, static_cast<std::size_t>(n));
    close(console[0]);
  } else {
    r.console = slurp(out_path);
    if (options.settle_ms > 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(options.settle_ms));
      r.late_console = slurp(out_path).substr(r.console.size());
    }
  }
  r.peak_kib = timed ? peak_from(peak_path) : usage.ru_maxrss;
  return r;
}

}  // namespace qx::e2e
