#include "platform/interrupt.hpp"

#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <pthread.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <ctime>

namespace qx::platform::interrupt {

namespace {

std::array<std::atomic<Pending*>, 8> g_tracked{};
std::array<std::atomic<TempFolder*>, 4> g_folders{};
std::atomic<pid_t> g_child{0};

// Who may change what the handler reads: nobody, the thread under a Block,
// or, for good, the handler that is ending the process.
enum : int { kFree, kHeld, kEnding };
std::atomic<int> g_state{kFree};
thread_local int t_depth = 0;

// Raised by the processor for the program's own errors, or sent.
constexpr int kFaults[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGTRAP, SIGSYS};

// Every other signal that another process can send and whose default action
// ends the process, but for SIGPIPE and SIGXFSZ, which the host ignores: a
// write that fails is reported.
constexpr int kOthers[] = {
    SIGHUP, SIGINT, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGTERM, SIGXCPU, SIGVTALRM, SIGPROF,
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
#ifdef __linux__
    SIGIO, SIGPWR,  // elsewhere their default is to ignore them
#endif
#ifdef SIGEMT
    SIGEMT,
#endif
};

template <typename F>
void for_each_handled(F f) {
  for (const int sig : kOthers) f(sig);
  for (const int sig : kFaults) f(sig);
#ifdef SIGRTMIN
  for (int sig = SIGRTMIN; sig <= SIGRTMAX; ++sig) f(sig);
#endif
}

const sigset_t& handled_set() {
  static const sigset_t set = [] {
    sigset_t s;
    sigemptyset(&s);
    for_each_handled([&s](int sig) { sigaddset(&s, sig); });
    return s;
  }();
  return set;
}

std::array<struct sigaction, NSIG> g_previous{};

bool is_fault(int sig) {
  for (const int f : kFaults)
    if (f == sig) return true;
  return false;
}

// Sent by another process, not raised by a fault or by the program itself.
bool from_outside(const siginfo_t* info) {
  if (info == nullptr) return false;
  const int c = info->si_code;
  bool sent = c == SI_USER || c == SI_QUEUE;
#ifdef SI_TKILL
  sent = sent || c == SI_TKILL;
#endif
  return sent && info->si_pid != ::getpid();
}

void unblock(int sig) {
  sigset_t one;
  sigemptyset(&one);
  sigaddset(&one, sig);
  pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
}

void rest() {
  const timespec t{0, 50000};
  ::nanosleep(&t, nullptr);
}

// Takes what the handler reads, as a Block (kHeld) or as the handler
// (kEnding): waits while another thread holds it, and for ever once a
// handler has it, since the process is ending by that handler's signal.
void take(int as) {
  for (;;) {
    int expected = kFree;
    if (g_state.compare_exchange_strong(expected, as)) return;
    if (expected == kEnding) {
      for (;;) ::pause();
    }
    rest();
  }
}

// Writes what it can; the number of bytes written.
std::size_t write_all(int fd, const char* p, std::size_t n) {
  std::size_t done = 0;
  while (done < n) {
    const ssize_t k = ::write(fd, p + done, n - done);
    if (k < 0 && errno == EINTR) continue;
    if (k <= 0) break;
    done += static_cast<std::size_t>(k);
  }
  return done;
}

// The bytes of data up to and with its last line end; 0 where it has none.
std::size_t through_last_line_end(const char* data, std::size_t n) {
  for (std::size_t i = n; i > 0; --i)
    if (data[i - 1] == '\n') return i;
  return 0;
}

// How long a reader that takes nothing may hold up the end of the run.
constexpr long kWaitMs = 1000;

long ms_since(const timespec& start) {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return (now.tv_sec - start.tv_sec) * 1000 + (now.tv_nsec - start.tv_nsec) / 1000000;
}

// The complete lines not yet out. A file that takes only part of them (a
// full disk, a size limit) is cut back to its last complete line; a reader
// that may wait is given whole lines as long as it takes them within
// kWaitMs.
void write_out(const Pending& p, const timespec& start) {
  std::size_t from = p.written.load(std::memory_order_acquire);
  const std::size_t to = p.committed.load(std::memory_order_acquire);
  if (from >= to) return;
  if (!p.waits) {
    const std::size_t done = write_all(p.fd, p.data + from, to - from);
    const std::size_t keep = through_last_line_end(p.data + from, done);
    const off_t end = done < to - from && keep < done ? ::lseek(p.fd, 0, SEEK_CUR) : -1;
    if (end >= 0) ::ftruncate(p.fd, end - static_cast<off_t>(done - keep));
    return;
  }
  while (from < to) {
    const long left = kWaitMs - ms_since(start);
    pollfd ready{p.fd, POLLOUT, 0};
    if (left <= 0) return;
    const int r = ::poll(&ready, 1, static_cast<int>(left));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return;
    const ssize_t k = ::write(p.fd, p.data + from, whole_lines_piece(p.data + from, to - from));
    if (k < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) continue;
    if (k <= 0) return;
    from += static_cast<std::size_t>(k);
  }
}

// A command's shell and whatever it started: nothing of it runs on, or
// writes on the terminal, after the program has ended.
void end_child() {
  const pid_t group = g_child.exchange(0);
  if (group <= 0) return;
  ::kill(-group, SIGKILL);
  while (::waitpid(group, nullptr, 0) < 0 && errno == EINTR) {
  }
}

[[noreturn]] void end_by(int sig) {
  struct sigaction dfl {};
  dfl.sa_handler = SIG_DFL;
  sigemptyset(&dfl.sa_mask);
  ::sigaction(sig, &dfl, nullptr);
  unblock(sig);
  ::raise(sig);
  ::_exit(128 + sig);  // not reached: every handled signal ends the process
}

extern "C" void on_signal(int sig, siginfo_t* info, void*) {
  const int saved = errno;
  if (is_fault(sig) && !from_outside(info)) {
    // The program's own fault: it ends as if nothing were handled, and
    // writes nothing that the fault may have spoilt.
    ::sigaction(sig, &g_previous[static_cast<std::size_t>(sig)], nullptr);
    const bool refaults = info != nullptr && info->si_code > 0 && sig != SIGTRAP && sig != SIGSYS && sig != SIGABRT;
    if (!refaults) {  // a faulting instruction meets it again on return
      unblock(sig);
      ::raise(sig);
    }
    errno = saved;
    return;
  }
  // Every other handled signal waits in this thread (the action's mask); a
  // thread under a Block finishes first; a second handler waits for ever.
  take(kEnding);
  timespec start{};
  ::clock_gettime(CLOCK_MONOTONIC, &start);
  end_child();
  auto write_tracked = [&start](bool waits) {
    for (auto& slot : g_tracked) {
      const Pending* p = slot.load();
      if (p != nullptr && p->waits == waits) write_out(*p, start);
    }
  };
  // A reader that may wait comes last.
  write_tracked(false);
  for (auto& slot : g_folders) {
    const TempFolder* t = slot.load();
    if (t != nullptr) remove_temp(*t);
  }
  write_tracked(true);
  end_by(sig);
}

template <typename T, std::size_t N>
void track_in(std::array<std::atomic<T*>, N>& slots, T* p) {
  for (auto& slot : slots) {
    T* expected = nullptr;
    if (slot.compare_exchange_strong(expected, p)) return;
  }
}

template <typename T, std::size_t N>
void untrack_in(std::array<std::atomic<T*>, N>& slots, T* p) {
  for (auto& slot : slots) {
    T* expected = p;
    slot.compare_exchange_strong(expected, nullptr);
  }
}

}  // namespace

std::size_t whole_lines_piece(const char* data, std::size_t n) {
  if (n <= PIPE_BUF) return n;
  const std::size_t lines = through_last_line_end(data, PIPE_BUF);
  return lines > 0 ? lines : PIPE_BUF;
}

void track(Pending* p) { track_in(g_tracked, p); }
void untrack(Pending* p) { untrack_in(g_tracked, p); }
void track(TempFolder* t) { track_in(g_folders, t); }
void untrack(TempFolder* t) { untrack_in(g_folders, t); }

void track_child(pid_t pgid) { g_child.store(pgid); }
void untrack_child() { g_child.store(0); }

void remove_temp(const TempFolder& t) {
  if (t.dir_fd >= 0 && t.file[0] != '\0') ::unlinkat(t.dir_fd, t.file, 0);
  struct stat st;
  if (t.parent_fd >= 0 && t.name[0] != '\0' && ::fstatat(t.parent_fd, t.name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
      S_ISDIR(st.st_mode) && st.st_dev == t.dev && st.st_ino == t.ino) {
    ::unlinkat(t.parent_fd, t.name, AT_REMOVEDIR);
  }
}

void install_handlers() {
  struct sigaction sa {};
  sa.sa_sigaction = on_signal;
  sa.sa_flags = SA_SIGINFO | SA_RESTART;
  sa.sa_mask = handled_set();
  for_each_handled([&sa](int sig) {
    struct sigaction old {};
    if (::sigaction(sig, nullptr, &old) != 0) return;
    // A signal ignored by whoever started us stays ignored.
    if ((old.sa_flags & SA_SIGINFO) == 0 && old.sa_handler == SIG_IGN) return;
    g_previous[static_cast<std::size_t>(sig)] = old;
    ::sigaction(sig, &sa, nullptr);
  });
}

void block_in_this_thread() { pthread_sigmask(SIG_BLOCK, &handled_set(), nullptr); }
void unblock_in_this_thread() { pthread_sigmask(SIG_UNBLOCK, &handled_set(), nullptr); }

Block::Block() {
  pthread_sigmask(SIG_BLOCK, &handled_set(), &old_);
  if (t_depth++ == 0) take(kHeld);
}

Block::~Block() {
  if (--t_depth == 0) g_state.store(kFree);
  pthread_sigmask(SIG_SETMASK, &old_, nullptr);
}

}  // namespace qx::platform::interrupt
