#pragma once
// Host services with values a test sets, and a log of what was asked.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/services.hpp"

namespace qx::testkit {

class FakeServices final : public platform::Services {
 public:
  std::string date = "20250304";
  std::string time = "090503.250";
  std::string host = "testhost";
  int host_status = 0;
  std::string login = "tester";
  std::vector<float> cpu_times{0.0f};  // one per request, the last repeated
  int clock_count = 1000;
  int clock_rate = 1000000;
  int clock_max = 2147483647;
  // Called for each command, after cmdstat is set to 0; exitstat and cmdmsg
  // are left as the caller holds them, as a service leaves them for a
  // command that could not run. Without it a command runs and exits 0.
  std::function<void(std::string_view cmd, int& exitstat, int& cmdstat, MutText cmdmsg)> on_command;

  // The folder that private_folder() hands out (it stays when the probe lets
  // go of it): on_command writes the commands' files there, and they are
  // read back from there. Empty: no private folder can be made.
  std::string probe_folder;

  // Answers the two probe commands as their tools would, writing the
  // temporary files into folder, and carries out their removal; folder
  // becomes the probe folder.
  void emulate_probes(const std::string& folder, const std::string& cpu_brand, const std::string& os_version);

  std::vector<std::string> calls;  // "date", "host", "login", "cmd:<text>", "cpu", "clock"

  platform::LocalDateTime local_date_time() override;
  int host_name(MutText name) override;
  void login_name(MutText name) override;
  void execute_command_line(std::string_view command, bool wait, int& exitstat, int& cmdstat,
                            MutText cmdmsg) override;
  std::unique_ptr<platform::PrivateFolder> private_folder(std::string_view file, std::string& why) override;
  float cpu_time() override;
  void system_clock(int& count, int& rate, int& count_max) override;

 private:
  std::size_t cpu_index_ = 0;
};

}  // namespace qx::testkit
