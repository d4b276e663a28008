#include "program_runner.hpp"

#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "case_runner.hpp"
#include "testkit/test_session.hpp"

namespace qx::e2e {

namespace fs = std::filesystem;

namespace {

// The test's environment with options.env in place of the same names; built
// before the fork, since runs may be started from several threads at once.
std::vector<std::string> environment(const RunOptions& options) {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string_view entry(*e);
    const bool replaced = std::any_of(options.env.begin(), options.env.end(), [&](const std::string& o) {
      return entry.substr(0, entry.find('=') + 1) == o.substr(0, o.find('=') + 1);
    });
    if (!replaced) env.emplace_back(entry);
  }
  env.insert(env.end(), options.env.begin(), options.env.end());
  return env;
}

}  // namespace

ProgramRun run_program(const fs::path& folder, const RunOptions& options) {
  testkit::ScratchDir outside;
  const fs::path out_path = outside.path() / "console.txt";
  std::vector<std::string> env = environment(options);
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  char* const argv[] = {const_cast<char*>(QX_BINARY), nullptr};
  int in[2];
  // Close-on-exec: a run started from another thread must not hold this
  // run's input open.
  if (pipe2(in, O_CLOEXEC) != 0) return {};
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
    if (options.as_user && (setgroups(0, nullptr) != 0 || setgid(options.gid) != 0 || setuid(options.uid) != 0))
      _exit(123);
    execve(QX_BINARY, argv, envp.data());
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
  bool sent = options.interrupt_at.empty() && !options.interrupt_when;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (waitpid(pid, &wstatus, WNOHANG) == 0) {
    if (!sent && ((options.interrupt_when && options.interrupt_when()) ||
                  (!options.interrupt_at.empty() && slurp(out_path).find(options.interrupt_at) != std::string::npos))) {
      kill(pid, options.interrupt_signal);
      sent = true;
    }
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &wstatus, 0);
      ADD_FAILURE() << "the program did not end within 60 seconds";
      break;
    }
    std::this_thread::sleep_for(sent || !options.interrupt_when ? std::chrono::microseconds(5000)
                                                                 : std::chrono::microseconds(50));
  }
  if (options.keep_typing) close(in[1]);
  r.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
  r.console = slurp(out_path);
  return r;
}

}  // namespace qx::e2e
