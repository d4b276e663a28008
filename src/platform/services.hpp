#pragma once
// Host services: clocks, date and time, host and user names, shell commands.

#include <string>
#include <string_view>

#include "platform/text.hpp"

namespace qx::platform {

struct LocalDateTime {
  std::string date;  // "YYYYMMDD"
  std::string time;  // "hhmmss.sss", 24-hour clock
};

class Services {
 public:
  virtual ~Services() = default;

  virtual LocalDateTime local_date_time() = 0;

  // The host's node name, cut and blank-padded; 0, or an error number with
  // the text left blank.
  virtual int host_name(MutText name) = 0;

  // The user's login name (the effective user's name where the process has
  // no login), cut and blank-padded; blank when there is none.
  virtual void login_name(MutText name) = 0;

  // Runs a command line through the system shell. cmdstat is 0 when the
  // command could be run; cmdmsg is set only when it could not.
  virtual void execute_command_line(std::string_view command, bool wait, int& exitstat, int& cmdstat,
                                    MutText cmdmsg) = 0;

  // Processor time of the process, seconds.
  virtual float cpu_time() = 0;

  // 32-bit wall-clock count with its rate per second and its maximum.
  virtual void system_clock(int& count, int& rate, int& count_max) = 0;
};

}  // namespace qx::platform
