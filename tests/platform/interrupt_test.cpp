// The interrupt handlers in a process of their own: a fault sent from
// outside keeps the buffered lines; the program's own fault ends it as the
// fault would have, writing nothing.

#include "platform/interrupt.hpp"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "testkit/test_session.hpp"

namespace qx::platform {
namespace {

enum class How { sent, fault, abort_call };

struct Case {
  const char* name;
  int sig;
  How how;
  bool lines_kept;
};

volatile int* volatile g_nowhere = nullptr;
volatile int g_zero = 0;
volatile int g_seven = 7;

[[noreturn]] void child(const char* path, const Case& c, int ready_fd) {
  interrupt::install_handlers();
  static interrupt::Pending pending;
  static const char kLines[] = "  16.0\t'E'\t  50.0\t'N'\t 283.5\t  50.8\t \n";
  pending.fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pending.data = kLines;
  pending.committed.store(sizeof kLines - 1);
  interrupt::track(&pending);
  [[maybe_unused]] const ssize_t n = ::write(ready_fd, "r", 1);
  switch (c.how) {
    case How::sent:
      for (;;) ::pause();
    case How::fault:
      if (c.sig == SIGSEGV) *g_nowhere = 1;
      if (c.sig == SIGFPE) g_zero = g_seven / g_zero;
      break;
    case How::abort_call:
      std::abort();
  }
  ::_exit(0);
}

TEST(Interrupt, FaultsSentKeepTheLinesOwnFaultsWriteNothing) {
  const Case cases[] = {
      {"SIGSEGV sent", SIGSEGV, How::sent, true},       {"SIGBUS sent", SIGBUS, How::sent, true},
      {"SIGABRT sent", SIGABRT, How::sent, true},       {"SIGTERM sent", SIGTERM, How::sent, true},
      {"a null pointer written", SIGSEGV, How::fault, false},
      {"a division by zero", SIGFPE, How::fault, false}, {"abort()", SIGABRT, How::abort_call, false},
  };
  testkit::ScratchDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = (dir.path() / "results").string();
    dir.write("results", "");
    int ready[2];
    ASSERT_EQ(0, ::pipe(ready));
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      ::close(ready[0]);
      child(path.c_str(), c, ready[1]);
    }
    ::close(ready[1]);
    char r = 0;
    ASSERT_EQ(1, ::read(ready[0], &r, 1));
    ::close(ready[0]);
    if (c.how == How::sent) ::kill(pid, c.sig);
    int status = 0;
    ASSERT_EQ(pid, ::waitpid(pid, &status, 0));
    EXPECT_EQ(c.lines_kept ? std::string("  16.0\t'E'\t  50.0\t'N'\t 283.5\t  50.8\t \n") : std::string(),
              dir.read("results"));
    // A sanitizer reports a fault of its own kind and exits.
    if (c.how == How::fault && testkit::kSanitized) {
      EXPECT_FALSE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    } else {
      ASSERT_TRUE(WIFSIGNALED(status)) << status;
      EXPECT_EQ(c.sig, WTERMSIG(status));
    }
  }
}

}  // namespace
}  // namespace qx::platform
