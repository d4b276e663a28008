#pragma once
// Host services: clocks, date and time, host and user names, shell commands.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "platform/io.hpp"
#include "platform/text.hpp"

namespace qx::platform {

struct LocalDateTime {
  std::string date;  // "YYYYMMDD"
  std::string time;  // "hhmmss.sss", 24-hour clock
};

// A folder of the run's own, made fresh for a command and the one file that
// it writes: nobody else can read it or place anything in it. The file and
// then the folder go when this object goes or a signal ends the run.
class PrivateFolder {
 public:
  virtual ~PrivateFolder() = default;

  // As Services::execute_command_line, in this folder.
  virtual void execute_command_line(std::string_view command, bool wait, int& exitstat, int& cmdstat,
                                    MutText cmdmsg) = 0;

  // The named file of this folder, used if it exists and created if not. A
  // link is not followed and nothing but a regular file is read, never more
  // than its first max_bytes. nullptr on failure, with the reason in why.
  virtual std::unique_ptr<InputFile> open_input(std::string_view name, std::size_t max_bytes,
                                                std::string& why) = 0;
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

  // A new private folder for a command that writes the file named; nullptr,
  // with the reason in why, when none can be made.
  virtual std::unique_ptr<PrivateFolder> private_folder(std::string_view file, std::string& why) = 0;

  // Processor time of the process, seconds.
  virtual float cpu_time() = 0;

  // 32-bit wall-clock count with its rate per second and its maximum.
  virtual void system_clock(int& count, int& rate, int& count_max) = 0;
};

}  // namespace qx::platform
