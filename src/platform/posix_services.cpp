#include "platform/posix_services.hpp"

#include <array>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <pthread.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "platform/interrupt.hpp"
#include "platform/line_reader.hpp"

namespace qx::platform {

namespace {

// The shell's whole environment. The tools are the system's own, whatever
// the user's PATH holds: a program named sed in the working folder must never
// run in their place (sysctl lives in sbin). Nothing else of the user's
// reaches the shell: a shell function exported under a tool's name would
// stand in for the tool.
constexpr const char* kEnvironment[] = {"PATH=/usr/bin:/bin:/usr/sbin:/sbin", nullptr};

#ifdef __linux__
// The probes ask the macOS tools for the processor brand and the system
// version. Linux has no sw_vers, and its sysctl knows no machdep keys: these
// functions answer exactly those two queries from /proc/cpuinfo and
// os-release, write nothing when they can't, and hand anything else to the
// real tool.
constexpr std::string_view kStandIns = R"SH(sysctl() {
  if [ "$#" = 2 ] && [ "$1" = -n ] && [ "$2" = machdep.cpu.brand_string ]; then
    sed -n '/^model name[[:blank:]]*:/{s/^[^:]*:[[:blank:]]*//p;q;}' /proc/cpuinfo 2>/dev/null
  else
    command sysctl "$@"
  fi
}
sw_vers() {
  if [ "$#" = 1 ] && [ "$1" = -productVersion ]; then
    for qx_f in /etc/os-release /usr/lib/os-release; do
      if [ -r "$qx_f" ]; then
        sed -n '/^VERSION_ID=/{s///p;q;}' "$qx_f" | tr -d "\"'"
        return 0
      fi
    done
  else
    command sw_vers "$@"
  fi
}
)SH";
#else
constexpr std::string_view kStandIns;
#endif

void two_digits(std::string& out, int v) {
  out.push_back(static_cast<char>('0' + v / 10 % 10));
  out.push_back(static_cast<char>('0' + v % 10));
}

void failed_to_run(int& cmdstat, MutText cmdmsg, std::string_view what, int err) {
  cmdstat = 1;
  std::string msg(what);
  msg.append(": ");
  msg.append(std::strerror(err));
  assign(cmdmsg, msg);
}

// What the child could not do, as the parent reports it.
enum ChildStep : int { kEnterFolder, kOpenNull, kRunShell };

// Where a command runs: a folder by its descriptor, by its name, or the
// current one.
struct Place {
  int dir_fd = -1;
  const char* folder = "";
};

// Between fork and exec only async-signal-safe calls are allowed: the child
// takes a process group of its own (the parent's handlers end it with the
// run), puts every caught signal back to its default (the parent's handlers
// write out the parent's files), unblocks all signals, enters the folder,
// takes its input from /dev/null (an answer typed for the dialogue stays
// there) and runs the shell. A failure goes back to the parent as a step and
// an errno through the pipe.
[[noreturn]] void run_child(Place place, const char* script, int report_fd) {
  setpgid(0, 0);
  for (int sig = 1; sig < NSIG; ++sig) {
    struct sigaction old {};
    if (sigaction(sig, nullptr, &old) != 0) continue;
    if ((old.sa_flags & SA_SIGINFO) != 0 || (old.sa_handler != SIG_DFL && old.sa_handler != SIG_IGN)) {
      struct sigaction dfl {};
      dfl.sa_handler = SIG_DFL;
      sigemptyset(&dfl.sa_mask);
      sigaction(sig, &dfl, nullptr);
    }
  }
  // Ignored signals stay ignored across exec: the commands get the defaults.
  signal(SIGPIPE, SIG_DFL);
  signal(SIGXFSZ, SIG_DFL);
  // Out of the terminal's foreground group, a message of a command's must
  // not stop it where the terminal stops background writers.
  signal(SIGTTOU, SIG_IGN);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  int step = kEnterFolder;
  const bool entered =
      place.dir_fd >= 0 ? fchdir(place.dir_fd) == 0 : place.folder[0] == '\0' || chdir(place.folder) == 0;
  if (entered) {
    step = kOpenNull;
    const int null_fd = open("/dev/null", O_RDONLY);
    if (null_fd >= 0 && (null_fd == 0 || (dup2(null_fd, 0) == 0 && close(null_fd) == 0))) {
      step = kRunShell;
      char* const argv[] = {const_cast<char*>("sh"), const_cast<char*>("-c"), const_cast<char*>(script), nullptr};
      execve("/bin/sh", argv, const_cast<char* const*>(kEnvironment));
    }
  }
  const std::array<int, 2> report{step, errno};
  [[maybe_unused]] const ssize_t n = write(report_fd, report.data(), sizeof report);
  _exit(127);
}

// Runs command through /bin/sh -c at place.
void run_shell(Place place, std::string_view command, bool wait, int& exitstat, int& cmdstat, MutText cmdmsg) {
  std::string script(kStandIns);
  if (wait) {
    script.append(command);
  } else {
    // The shell returns at once and leaves the command to run on its own.
    script.append("(\n").append(command).append("\n) >/dev/null 2>&1 </dev/null &");
  }

  std::array<int, 2> fds{};
  if (pipe(fds.data()) != 0) {
    failed_to_run(cmdstat, cmdmsg, "could not start the shell", errno);
    return;
  }
  fcntl(fds[0], F_SETFD, FD_CLOEXEC);
  fcntl(fds[1], F_SETFD, FD_CLOEXEC);

  pid_t pid = 0;
  int fork_errno = 0;
  {
    // Known to the handlers from its first instant: a signal that ends the
    // run ends the command too.
    interrupt::Block block;
    // No signal handler may run in the child before it has reset them.
    sigset_t all;
    sigset_t old;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &old);
    pid = fork();
    if (pid == 0) run_child(place, script.c_str(), fds[1]);
    fork_errno = errno;
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    if (pid > 0) {
      setpgid(pid, pid);  // whichever of the two comes first makes the group
      interrupt::track_child(pid);
    }
  }
  close(fds[1]);
  if (pid < 0) {
    close(fds[0]);
    failed_to_run(cmdstat, cmdmsg, "could not start the shell", fork_errno);
    return;
  }

  std::array<int, 2> report{};
  ssize_t got = 0;
  do {
    got = read(fds[0], report.data(), sizeof report);
  } while (got < 0 && errno == EINTR);
  close(fds[0]);

  // The shell is waited for without being reaped, so that its number names
  // it, and nothing else, until the handlers have let go of it.
  siginfo_t info{};
  while (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT) != 0 && errno == EINTR) {
  }
  {
    interrupt::Block block;
    interrupt::untrack_child();
  }
  int status = 0;
  pid_t waited = 0;
  do {
    waited = waitpid(pid, &status, 0);
  } while (waited < 0 && errno == EINTR);

  if (got == static_cast<ssize_t>(sizeof report)) {
    std::string what = "could not run /bin/sh";
    if (report[0] == kEnterFolder) {
      what = "could not enter the folder";
      if (place.dir_fd < 0) what.append(" ").append(place.folder);
    } else if (report[0] == kOpenNull) {
      what = "could not open /dev/null";
    }
    failed_to_run(cmdstat, cmdmsg, what, report[1]);
    return;
  }
  cmdstat = 0;
  if (!wait || waited != pid) return;
  if (WIFEXITED(status)) {
    exitstat = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    exitstat = 128 + WTERMSIG(status);
  }
}

// A folder made fresh in a parent where nobody else may rename or remove
// entries, used through its own descriptor. The signal handler knows it from
// the start, so that an interrupt leaves neither the folder nor the file.
class PosixPrivateFolder final : public PrivateFolder {
 public:
  // Takes both descriptors; st: what the folder is.
  PosixPrivateFolder(int parent_fd, int dir_fd, std::string_view name, std::string_view file, const struct stat& st) {
    temp_.parent_fd = parent_fd;
    temp_.dir_fd = dir_fd;
    name.copy(temp_.name, name.size());
    file.copy(temp_.file, file.size());
    temp_.dev = st.st_dev;
    temp_.ino = st.st_ino;
    interrupt::track(&temp_);
  }

  // Only the command's file goes, by its name; a folder that holds anything
  // else stays.
  ~PosixPrivateFolder() override {
    interrupt::Block block;
    interrupt::remove_temp(temp_);
    interrupt::untrack(&temp_);
    ::close(temp_.dir_fd);
    ::close(temp_.parent_fd);
  }

  PosixPrivateFolder(const PosixPrivateFolder&) = delete;
  PosixPrivateFolder& operator=(const PosixPrivateFolder&) = delete;

  void execute_command_line(std::string_view command, bool wait, int& exitstat, int& cmdstat,
                            MutText cmdmsg) override {
    run_shell(Place{temp_.dir_fd, ""}, command, wait, exitstat, cmdstat, cmdmsg);
  }

  std::unique_ptr<InputFile> open_input(std::string_view name, std::size_t max_bytes, std::string& why) override {
    const std::string n(name);
    if (n.empty() || n.find_first_of(std::string_view("/\0", 2)) != std::string::npos) {
      why = std::strerror(EINVAL);
      return nullptr;
    }
    // Whatever stands at the name, the open neither follows it nor waits.
    const int fd = ::openat(temp_.dir_fd, n.c_str(),
                            O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
    if (fd < 0) {
      why = std::strerror(errno);
      return nullptr;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      why = "not a regular file";
      ::close(fd);
      return nullptr;
    }
    std::string bytes(max_bytes, '\0');
    std::size_t got = 0;
    while (got < max_bytes) {
      const ssize_t k = ::read(fd, bytes.data() + got, max_bytes - got);
      if (k < 0 && errno == EINTR) continue;
      if (k <= 0) break;
      got += static_cast<std::size_t>(k);
    }
    ::close(fd);
    bytes.resize(got);
    return std::make_unique<BytesInput>(std::move(bytes));
  }

 private:
  interrupt::TempFolder temp_;
};

// The folder at path, where it is one in which nobody but the user and the
// superuser may rename or remove entries: theirs, and not writable by others
// unless sticky. In any other folder another user may put anything under a
// name the run has just made, even a folder of the user's own. -1 otherwise.
int open_parent(const char* path) {
  const int fd = ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  struct stat st;
  if (fd < 0 || ::fstat(fd, &st) != 0) {
    if (fd >= 0) ::close(fd);
    return -1;
  }
  const bool owned = st.st_uid == ::geteuid() || st.st_uid == 0;
  const bool shared = (st.st_mode & (S_IWGRP | S_IWOTH)) != 0 && (st.st_mode & S_ISVTX) == 0;
  if (owned && !shared) return fd;
  ::close(fd);
  errno = EPERM;
  return -1;
}

// quellatorix- and six letters or digits nobody can guess.
std::string random_name() {
  constexpr std::string_view kChars = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::array<unsigned char, 6> bytes{};
  if (::getentropy(bytes.data(), bytes.size()) != 0) {
    // Without the system's randomness, something that differs per call.
    timespec t{};
    clock_gettime(CLOCK_REALTIME, &t);
    auto x = static_cast<unsigned long long>(t.tv_nsec) ^ static_cast<unsigned long long>(::getpid()) << 20;
    for (unsigned char& b : bytes) b = static_cast<unsigned char>(x >>= 5);
  }
  std::string name = "quellatorix-";
  for (const unsigned char b : bytes) name.push_back(kChars[b % kChars.size()]);
  return name;
}

}  // namespace

PosixServices::PosixServices(std::string folder) : folder_(std::move(folder)) {}

LocalDateTime PosixServices::local_date_time() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tm local{};
  localtime_r(&now.tv_sec, &local);
  LocalDateTime dt;
  const int year = local.tm_year + 1900;
  dt.date = std::to_string(year);
  if (dt.date.size() < 4) dt.date.insert(0, 4 - dt.date.size(), '0');
  two_digits(dt.date, local.tm_mon + 1);
  two_digits(dt.date, local.tm_mday);
  two_digits(dt.time, local.tm_hour);
  two_digits(dt.time, local.tm_min);
  two_digits(dt.time, local.tm_sec);
  const long ms = now.tv_nsec / 1000000;
  dt.time.push_back('.');
  dt.time.push_back(static_cast<char>('0' + ms / 100));
  two_digits(dt.time, static_cast<int>(ms % 100));
  return dt;
}

int PosixServices::host_name(MutText name) {
  std::array<char, 256> buf{};
  if (gethostname(buf.data(), buf.size() - 1) != 0) {
    const int err = errno != 0 ? errno : EINVAL;
    assign(name, "");
    return err;
  }
  assign(name, std::string_view(buf.data(), ::strnlen(buf.data(), buf.size())));
  return 0;
}

void PosixServices::login_name(MutText name) {
  std::array<char, 256> buf{};
  if (getlogin_r(buf.data(), buf.size()) == 0 && buf[0] != '\0') {
    assign(name, std::string_view(buf.data(), ::strnlen(buf.data(), buf.size())));
    return;
  }
  // No controlling terminal (a service, a CI job): the effective user's name.
  long size = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> pwbuf(static_cast<std::size_t>(size > 0 ? size : 16384));
  passwd pw{};
  passwd* found = nullptr;
  while (getpwuid_r(geteuid(), &pw, pwbuf.data(), pwbuf.size(), &found) == ERANGE && pwbuf.size() < (1u << 20))
    pwbuf.resize(pwbuf.size() * 2);
  assign(name, found != nullptr && found->pw_name != nullptr ? std::string_view(found->pw_name) : "");
}

void PosixServices::execute_command_line(std::string_view command, bool wait, int& exitstat, int& cmdstat,
                                         MutText cmdmsg) {
  run_shell(Place{-1, folder_.c_str()}, command, wait, exitstat, cmdstat, cmdmsg);
}

std::unique_ptr<PrivateFolder> PosixServices::private_folder(std::string_view file, std::string& why) {
  if (file.size() >= interrupt::kMaxName) {
    why = std::strerror(ENAMETOOLONG);
    return nullptr;
  }
  const char* tmpdir = std::getenv("TMPDIR");
  const char* place = tmpdir != nullptr && tmpdir[0] != '\0' ? tmpdir : "/tmp";
  int parent = open_parent(place);
  // A shared scratch folder as TMPDIR: the system's own, where it is safe.
  if (parent < 0 && errno == EPERM && place != std::string_view("/tmp")) parent = open_parent("/tmp");
  if (parent < 0) {
    why = std::strerror(errno);
    return nullptr;
  }
  // Made and known to the signal handler in one step.
  interrupt::Block block;
  std::string name;
  int made = -1;
  for (int attempt = 0; attempt < 100 && made != 0; ++attempt) {
    name = random_name();
    made = ::mkdirat(parent, name.c_str(), 0700);
    if (made != 0 && errno != EEXIST) break;
  }
  if (made != 0) {
    why = std::strerror(errno);
    ::close(parent);
    return nullptr;
  }
  const int fd = ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  struct stat st;
  if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) {
    why = std::strerror(fd < 0 ? errno : EPERM);
    if (fd >= 0) ::close(fd);
    ::unlinkat(parent, name.c_str(), AT_REMOVEDIR);  // empty as made; nothing but an empty folder goes
    ::close(parent);
    return nullptr;
  }
  // The umask may have taken what the commands need to write there.
  ::fchmod(fd, 0700);
  return std::make_unique<PosixPrivateFolder>(parent, fd, name, file, st);
}

float PosixServices::cpu_time() {
  timespec t{};
  if (clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t) != 0) return 0.0f;
  return static_cast<float>(static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9);
}

void PosixServices::system_clock(int& count, int& rate, int& count_max) {
  const auto now = std::chrono::steady_clock::now();
  if (!clock_origin_) clock_origin_ = now;
  const auto us = std::chrono::duration_cast<std::chrono::microseconds>(now - *clock_origin_).count();
  constexpr long long kMax = 2147483647;
  count = static_cast<int>(us % (kMax + 1));
  rate = 1000000;
  count_max = static_cast<int>(kMax);
}

}  // namespace qx::platform
