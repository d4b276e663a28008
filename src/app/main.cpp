// The host: runs the main program on a worker thread with the stack size of
// the window preferences, and ends the process with its exit status.

#include <pthread.h>

#include <csignal>
#include <cstdio>

#include "platform/interrupt.hpp"
#include "platform/posix_console.hpp"
#include "platform/posix_file_system.hpp"
#include "platform/posix_services.hpp"
#include "platform/units.hpp"
#include "quellatorix/main_program.hpp"
#include "support/nux_preferences.hpp"
#include "support/session.hpp"

namespace {

struct Run {
  qx::Session* session;
  int status;
};

extern "C" void* worker(void* arg) {
  // Signals sent to the process are handled on this thread only, one after
  // the other in the order the system gives them: the first one ends the run.
  qx::platform::interrupt::unblock_in_this_thread();
  auto* run = static_cast<Run*>(arg);
  run->status = qx::program::run_quellatorix(*run->session);
  return nullptr;
}

}  // namespace

int main() {
  namespace platform = qx::platform;
  platform::interrupt::install_handlers();
  // A console that went away (a closed pipe) must not take the results with
  // it, and a file size limit is a write error to report, not a death.
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
  platform::interrupt::block_in_this_thread();  // the worker inherits this; it unblocks itself

  platform::PosixConsole console;
  platform::PosixFileSystem files;
  platform::PosixServices services;
  platform::Units units(console, files);
  qx::Session session(units, services);
  Run run{&session, 1};

  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, static_cast<std::size_t>(NUX_getStackSize()));
  pthread_t thread;
  if (pthread_create(&thread, &attr, worker, &run) != 0) {
    // No thread of that size: run on this one rather than not at all.
    platform::interrupt::unblock_in_this_thread();
    run.status = qx::program::run_quellatorix(session);
  } else {
    pthread_join(thread, nullptr);
    // One sent to this thread alone has waited until now.
    platform::interrupt::unblock_in_this_thread();
  }
  pthread_attr_destroy(&attr);
  console.flush();
  return run.status;
}
