#pragma once
// Keeps the results written so far when the process is interrupted.
//
// An output file registers the bytes it has buffered that form complete
// lines, a private folder its path and the file in it; on a signal from
// outside whose default action ends the process (SIGINT, SIGTERM, SIGHUP,
// SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGXCPU) the
// handler writes the lines out, removes the file and the folder, and the
// process then ends by the same signal, with the conventional status.

#include <atomic>
#include <csignal>
#include <cstddef>

namespace qx::platform::interrupt {

struct Pending {
  int fd = -1;
  const char* data = nullptr;
  std::atomic<std::size_t> committed{0};  // bytes of complete lines in data
};

void track(Pending* p);
void untrack(Pending* p);

inline constexpr std::size_t kMaxPath = 4096;

// Paths the handler removes, as NUL-terminated texts it can use as they are.
struct TempFolder {
  char folder[kMaxPath] = {};
  char file[kMaxPath] = {};
};

void track(TempFolder* t);
void untrack(TempFolder* t);

// Installs the handlers (process-wide).
void install_handlers();

// The signals the handlers catch, blocked in the calling thread for its
// lifetime: a flush must not be interrupted half-way and then written again.
class Block {
 public:
  Block();
  ~Block();
  Block(const Block&) = delete;
  Block& operator=(const Block&) = delete;

 private:
  sigset_t old_;
};

// Blocks or unblocks the handled signals in the calling thread.
void block_in_this_thread();
void unblock_in_this_thread();

}  // namespace qx::platform::interrupt
