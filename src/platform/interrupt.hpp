#pragma once
// Keeps the results written so far when the process is interrupted.
//
// An output file or the console registers the bytes it has buffered that
// form complete lines, a private folder its descriptors and name, a command
// its process group. On a signal from outside whose default action ends the
// process the handler ends the command, writes the lines out once (a file
// that takes only part of them is cut back to its last complete line),
// removes the folder, and the process then ends by that first signal, with
// the conventional status. A fault of the program's own ends it as the fault
// would have, writing nothing.

#include <sys/types.h>

#include <atomic>
#include <csignal>
#include <cstddef>

namespace qx::platform::interrupt {

struct Pending {
  int fd = -1;
  const char* data = nullptr;
  std::atomic<std::size_t> committed{0};  // bytes of complete lines in data
  std::atomic<std::size_t> written{0};    // of those, what is out already
  // A pipe, socket or terminal: its reader may take its time, or never read.
  // The handler waits for it only so long, and gives it whole lines.
  bool waits = false;
};

// The bytes a pipe takes whole or not at all, cut back to the last line end
// in them where there is one.
std::size_t whole_lines_piece(const char* data, std::size_t n);

// Under a Block: a handler on another thread may be reading the list.
void track(Pending* p);
void untrack(Pending* p);

inline constexpr std::size_t kMaxName = 256;

// A folder the handler removes: the file a command writes there, through the
// folder's descriptor, then the folder itself, through its parent's, while
// its name there still names it. The parent is one where nobody else may
// rename or remove what the run makes.
struct TempFolder {
  int parent_fd = -1;
  int dir_fd = -1;
  char name[kMaxName] = {};  // in the parent
  char file[kMaxName] = {};  // the file a command writes there
  dev_t dev = 0;
  ino_t ino = 0;
};

void track(TempFolder* t);
void untrack(TempFolder* t);

// Removes file from the folder, then the folder if its name still names it
// and it is empty. Safe in a signal handler.
void remove_temp(const TempFolder& t);

// The process group of a command running for the program: ended with it.
void track_child(pid_t pgid);
void untrack_child();

// Installs the handlers (process-wide).
void install_handlers();

// Blocks or unblocks the handled signals in the calling thread.
void block_in_this_thread();
void unblock_in_this_thread();

// While a Block lives, the handled signals wait in this thread, and a handler
// that runs on another thread waits for it: what the handler writes or
// removes is never changed under it. Once a handler has begun, the process
// is ending: a new Block never returns. Blocks nest.
class Block {
 public:
  Block();
  ~Block();
  Block(const Block&) = delete;
  Block& operator=(const Block&) = delete;

 private:
  sigset_t old_;
};

}  // namespace qx::platform::interrupt
