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

extern "C" void on_signal(int sig) {
  const int saved = errno;
  for (auto& slot : g_tracked) {
    Pending* p = slot.load();
    if (p != nullptr) write_all(p->fd, p->data, p->committed.load());
  }
  errno = saved;
  // SA_RESETHAND restored the default action; SA_NODEFER lets it act now.
  ::raise(sig);
}

}  // namespace

void track(Pending* p) {
  for (auto& slot : g_tracked) {
    Pending* expected = nullptr;
    if (slot.compare_exchange_strong(expected, p)) return;
  }
}

void untrack(Pending* p) {
  for (auto& slot : g_tracked) {
    Pending* expected = p;
    slot.compare_exchange_strong(expected, nullptr);
  }
}

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
