#include "program_runner.hpp"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "case_runner.hpp"
#include "testkit/test_session.hpp"

namespace qx::e2e {

namespace fs = std::filesystem;

ProgramRun run_program(const fs::path& folder, const RunOptions& options) {
  testkit::ScratchDir outside;
  const fs::path out_path = outside.path() / "console.txt";
  int in[2];
  if (pipe(in) != 0) return {};
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(folder.c_str()) != 0) _exit(120);
    const int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0) _exit(121);
    if (options.file_size_limit >= 0) {
      const rlimit lim{static_cast<rlim_t>(options.file_size_limit), static_cast<rlim_t>(options.file_size_limit)};
      setrlimit(RLIMIT_FSIZE, &lim);
    }
    dup2(in[0], 0);
    dup2(out, 1);
    dup2(out, 2);
    close(in[0]);
    close(in[1]);
    execl(QX_BINARY, QX_BINARY, static_cast<char*>(nullptr));
    _exit(122);
  }
  close(in[0]);
  // The typed answers are short: the pipe takes them at once.
  if (!options.typed.empty()) {
    [[maybe_unused]] const ssize_t n = write(in[1], options.typed.data(), options.typed.size());
  }
  if (!options.keep_typing) close(in[1]);

  ProgramRun r;
  int wstatus = 0;
  bool sent = options.interrupt_at.empty();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (waitpid(pid, &wstatus, WNOHANG) == 0) {
    if (!sent && slurp(out_path).find(options.interrupt_at) != std::string::npos) {
      kill(pid, options.interrupt_signal);
      sent = true;
    }
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &wstatus, 0);
      ADD_FAILURE() << "the program did not end within 60 seconds";
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (options.keep_typing) close(in[1]);
  r.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
  r.console = slurp(out_path);
  return r;
}

}  // namespace qx::e2e
