#pragma once
// Runs the real program in a folder of its own, as a user would.

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace qx::e2e {

struct RunOptions {
  std::string typed;                // what the user types
  bool keep_typing = false;         // leave the input open after it (a user who waits)
  long file_size_limit = -1;        // bytes a file may grow to (RLIMIT_FSIZE), or no limit
  std::string interrupt_at;         // send interrupt_signal once the console shows this
  std::function<bool()> interrupt_when;  // or once this holds (asked every 50 microseconds)
  std::filesystem::path interrupt_when_reading;  // or once the program waits in a read of this file
  bool console_stalls = false;      // the console a pipe nobody reads: the signal goes once it fills
  std::size_t console_reads = 0;    // with console_stalls, read so many bytes of it at each turn
  int interrupt_signal = SIGINT;
  int interrupt_delay_ms = 0;       // so long after that
  int second_signal = 0;            // sent too, so many microseconds after the first
  int second_signal_delay_us = 0;
  std::function<void()> before_interrupt;  // called just before the signal is sent
  std::string input_file;           // standard input read from this file, nothing typed
  bool nonblocking_input = false;   // the typed input's pipe set O_NONBLOCK
  std::vector<std::string> typed_late;  // typed after typed, a piece at a time, with pauses
  bool measure_memory = false;      // run under /usr/bin/time, when there is one, for peak_kib
  std::vector<std::string> env;     // "NAME=value": set in the run's environment
  long open_files_limit = -1;       // descriptors the program may hold (RLIMIT_NOFILE), or no limit
  int settle_ms = 0;                // how long to watch the console after the program has ended
  uid_t uid = 0;                    // run as this user and group, with no other groups,
  gid_t gid = 0;                    // when as_user
  bool as_user = false;
  std::vector<std::string> launcher;  // run through this command, the program's path its last argument
};

struct ProgramRun {
  int status = -1;  // exit status, or 128 + the signal that ended it
  std::string console;
  std::string late_console;  // written after the program had ended, within settle_ms
  // The program's peak resident memory. Without /usr/bin/time it is this
  // process's usage, which counts the copy of the runner made to start it.
  long peak_kib = 0;
};

ProgramRun run_program(const std::filesystem::path& folder, const RunOptions& options);

// Whether the file holds at least so many bytes: a look at its size alone,
// for a wait on a file the program is writing.
bool holds_bytes(const std::filesystem::path& path, std::uintmax_t bytes = 1);

}  // namespace qx::e2e
