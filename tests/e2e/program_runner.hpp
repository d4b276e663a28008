#pragma once
// Runs the real program in a folder of its own, as a user would.

#include <csignal>
#include <filesystem>
#include <string>

namespace qx::e2e {

struct RunOptions {
  std::string typed;                // what the user types
  bool keep_typing = false;         // leave the input open after it (a user who waits)
  long file_size_limit = -1;        // bytes a file may grow to (RLIMIT_FSIZE), or no limit
  std::string interrupt_at;         // send interrupt_signal once the console shows this
  int interrupt_signal = SIGINT;
};

struct ProgramRun {
  int status = -1;  // exit status, or 128 + the signal that ended it
  std::string console;
};

ProgramRun run_program(const std::filesystem::path& folder, const RunOptions& options);

}  // namespace qx::e2e
