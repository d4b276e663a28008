#include "platform/interrupt.hpp"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <pthread.h>
#include <unistd.h>

namespace qx::platform::interrupt {

namespace {

std::array<std::atomic<Pending*>, 8> g_tracked{};
std::array<std::atomic<TempFolder*>, 4> g_folders{};

// Every signal from outside whose default action ends the process.
constexpr int kSignals[] = {SIGINT,  SIGTERM,   SIGHUP,  SIGQUIT, SIGUSR1,
                            SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGXCPU};

sigset_t handled_set() {
  sigset_t s;
  sigemptyset(&s);
  for (int sig : kSignals) sigaddset(&s, sig);
  return s;
}

void write_all(int fd, const char* p, std::size_t n) {
  while (n > 0) {
    const ssize_t k = ::write(fd, p, n);
    if (k < 0 && errno == EINTR) continue;
    if (k <= 0) return;
    p += k;
    n -= static_cast<std::size_t>(k);
  }
}

void remove_temp(const TempFolder& t) {
  // A shell still running may create the file between the two calls: a
  // second round takes it, and once the folder is gone nothing is created.
  for (int round = 0; round < 2; ++round) {
    ::unlink(t.file);
    if (::rmdir(t.folder) == 0 || errno == ENOENT) return;
  }
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

extern "C" void on_signal(int sig) {
  const int saved = errno;
  for (auto& slot : g_tracked) {
    Pending* p = slot.load();
    if (p != nullptr) write_all(p->fd, p->data, p->committed.load());
  }
  for (auto& slot : g_folders) {
    const TempFolder* t = slot.load();
    if (t != nullptr) remove_temp(*t);
  }
  errno = saved;
  // SA_RESETHAND restored the default action; SA_NODEFER lets it act now.
  ::raise(sig);
}

}  // namespace

void track(Pending* p) { track_in(g_tracked, p); }
void untrack(Pending* p) { untrack_in(g_tracked, p); }
void track(TempFolder* t) { track_in(g_folders, t); }
void untrack(TempFolder* t) { untrack_in(g_folders, t); }

void install_handlers() {
  struct sigaction sa;
  std::memset(&sa, 0, sizeof sa);
  sa.sa_handler = on_signal;
  sa.sa_flags = SA_RESETHAND | SA_NODEFER;
  sigemptyset(&sa.sa_mask);
  for (int sig : kSignals) {
    struct sigaction old;
    // A signal ignored by whoever started us stays ignored.
    if (sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
    sigaction(sig, &sa, nullptr);
  }
}

Block::Block() {
  const sigset_t s = handled_set();
  pthread_sigmask(SIG_BLOCK, &s, &old_);
}

Block::~Block() { pthread_sigmask(SIG_SETMASK, &old_, nullptr); }

void block_in_this_thread() {
  const sigset_t s = handled_set();
  pthread_sigmask(SIG_BLOCK, &s, nullptr);
}

void unblock_in_this_thread() {
  const sigset_t s = handled_set();
  pthread_sigmask(SIG_UNBLOCK, &s, nullptr);
}

}  // namespace qx::platform::interrupt
