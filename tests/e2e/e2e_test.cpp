// Every transcript case, run twice: through the library on an in-memory
// console with fake host services, and as the real program on its standard
// input and output in a folder of its own.

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "case_runner.hpp"
#include "platform/memory_console.hpp"
#include "platform/posix_file_system.hpp"
#include "platform/units.hpp"
#include "quellatorix/main_program.hpp"
#include "testkit/fake_services.hpp"
#include "testkit/test_session.hpp"

namespace qx::e2e {
namespace {

namespace fs = std::filesystem;

void copy_files(const fs::path& case_dir, const fs::path& to) {
  if (fs::exists(case_dir / "files"))
    fs::copy(case_dir / "files", to, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

CaseResult run_library(const fs::path& case_dir, const fs::path& folder) {
  platform::MemoryConsole console(slurp(case_dir / "stdin"));
  platform::PosixFileSystem files(folder.string());
  testkit::FakeServices services;
  services.emulate_probes(folder, "Intel(R) Core(TM) i5", "12.6");
  platform::Units units(console, files);
  Session s(units, services);
  CaseResult r;
  r.status = program::run_quellatorix(s);
  r.console = mask(console.output());
  r.folder = folder;
  return r;
}

CaseResult run_binary(const fs::path& case_dir, const fs::path& folder, const fs::path& out_path) {
  const fs::path in_path = case_dir / "stdin";
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(folder.c_str()) != 0) _exit(120);
    const int in = open(fs::exists(in_path) ? in_path.c_str() : "/dev/null", O_RDONLY);
    const int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0) _exit(121);
    dup2(in, 0);
    dup2(out, 1);
    dup2(out, 2);
    execl(QX_BINARY, QX_BINARY, static_cast<char*>(nullptr));
    _exit(122);
  }
  CaseResult r;
  r.folder = folder;
  int wstatus = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (waitpid(pid, &wstatus, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &wstatus, 0);
      ADD_FAILURE() << "the program did not end within 60 seconds";
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  r.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
  r.console = mask(slurp(out_path));
  return r;
}

void check(const fs::path& case_dir, const CaseResult& r) {
  const std::string expected = expected_console(case_dir);
  EXPECT_EQ(expected, r.console) << first_difference(expected, r.console);
  const std::string status = slurp(case_dir / "status");
  EXPECT_EQ(status.empty() ? 0 : std::stoi(status), r.status);
  if (fs::exists(case_dir / "expected")) {
    for (const auto& e : fs::recursive_directory_iterator(case_dir / "expected")) {
      if (!e.is_regular_file()) continue;
      const fs::path rel = fs::relative(e.path(), case_dir / "expected");
      ASSERT_TRUE(fs::exists(r.folder / rel)) << rel << " was not written";
      const std::string want = slurp(e.path());
      const std::string got = mask(slurp(r.folder / rel));
      EXPECT_EQ(want, got) << rel << ": " << first_difference(want, got);
    }
  }
  for (const std::string& name : testkit::lines_of(slurp(case_dir / "absent")))
    EXPECT_FALSE(fs::exists(r.folder / name)) << name << " should not exist";
}

class Transcript : public ::testing::TestWithParam<fs::path> {};

TEST_P(Transcript, ThroughTheLibrary) {
  testkit::ScratchDir dir;
  copy_files(GetParam(), dir.path());
  check(GetParam(), run_library(GetParam(), dir.path()));
}

TEST_P(Transcript, ThroughTheProgram) {
  testkit::ScratchDir dir;
  testkit::ScratchDir outside;
  copy_files(GetParam(), dir.path());
  check(GetParam(), run_binary(GetParam(), dir.path(), outside.path() / "console.txt"));
}

INSTANTIATE_TEST_SUITE_P(Cases, Transcript, ::testing::ValuesIn(case_dirs()),
                         [](const ::testing::TestParamInfo<fs::path>& info) {
                           std::string n = info.param.filename().string();
                           for (char& c : n)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return n;
                         });

}  // namespace
}  // namespace qx::e2e
