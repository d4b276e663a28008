#pragma once
// Transcript cases: a folder holds what the user types, the files the run
// starts with, and the console transcript and files it must leave.
//
//   stdin          what the user types (may be absent: nothing typed)
//   files/         copied into the run's folder before the run
//   console        the expected console transcript, after masking; a line
//                  "#include NAME" stands for the lines of common/NAME
//   expected/      files that must exist after the run, byte for byte
//                  after masking
//   absent         names (one a line) that must not exist after the run
//   status         the expected exit status (0 when absent)

#include <filesystem>
#include <string>
#include <vector>

namespace qx::e2e {

struct CaseResult {
  std::string console;  // masked
  int status = -1;
  std::filesystem::path folder;  // the run's folder
};

// Masks what varies from run to run: dates and times, user, host, system
// and processor lines of the header, elapsed and processor times, the
// closing picture, and the system text of a results header.
std::string mask(const std::string& text);

// The expected console transcript of a case, its includes expanded.
std::string expected_console(const std::filesystem::path& case_dir);

// A transcript written as a case's console file is, its includes expanded.
std::string expand_includes(const std::string& transcript);

// Every case folder under the cases folder, sorted by name.
std::vector<std::filesystem::path> case_dirs();

// Reads a whole file; empty when missing.
std::string slurp(const std::filesystem::path& p);

// The first line where two texts differ, for a readable failure message.
std::string first_difference(const std::string& expected, const std::string& actual);

}  // namespace qx::e2e
