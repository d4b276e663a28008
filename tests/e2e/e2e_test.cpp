// Every transcript case, run twice: through the library on an in-memory
// console with fake host services, and as the real program on its standard
// input and output in a folder of its own.

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "case_runner.hpp"
#include "program_runner.hpp"
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

CaseResult run_binary(const fs::path& case_dir, const fs::path& folder) {
  RunOptions options;
  options.typed = slurp(case_dir / "stdin");
  const ProgramRun run = run_program(folder, options);
  return CaseResult{mask(run.console), run.status, folder};
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
  copy_files(GetParam(), dir.path());
  check(GetParam(), run_binary(GetParam(), dir.path()));
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
