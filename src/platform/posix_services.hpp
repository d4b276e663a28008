#pragma once
// The host services of a POSIX system: clocks, names and shell commands.

#include <chrono>
#include <optional>
#include <string>

#include "platform/services.hpp"

namespace qx::platform {

class PosixServices final : public Services {
 public:
  // Commands run in folder; an empty folder means the current one.
  explicit PosixServices(std::string folder = "");

  LocalDateTime local_date_time() override;
  int host_name(MutText name) override;
  void login_name(MutText name) override;
  // Runs command through /bin/sh -c. cmdstat is 1 when no shell could be
  // started (or the folder not entered), with the reason in cmdmsg. A shell
  // killed by a signal reports 128 plus the signal number as its exit status.
  // Without wait the command runs in the background and exitstat is left as
  // it is. The shell's input is /dev/null, and it finds its tools in the
  // system's own folders only.
  void execute_command_line(std::string_view command, bool wait, int& exitstat, int& cmdstat,
                            MutText cmdmsg) override;
  // A folder of mode 0700 under $TMPDIR; under /tmp where TMPDIR is unset
  // or empty, or where others may rename what is in it (writable by others
  // without the sticky bit, or neither the user's nor the superuser's) and
  // /tmp is safe.
  std::unique_ptr<PrivateFolder> private_folder(std::string_view file, std::string& why) override;
  float cpu_time() override;
  // Microseconds since the first request, wrapping past 2147483647.
  void system_clock(int& count, int& rate, int& count_max) override;

 private:
  std::string folder_;
  std::optional<std::chrono::steady_clock::time_point> clock_origin_;
};

}  // namespace qx::platform
