#include "testkit/fake_services.hpp"

#include <fstream>

#include "platform/posix_file_system.hpp"

namespace qx::testkit {

platform::LocalDateTime FakeServices::local_date_time() {
  calls.emplace_back("date");
  return {date, time};
}

int FakeServices::host_name(MutText name) {
  calls.emplace_back("host");
  assign(name, host_status == 0 ? std::string_view(host) : std::string_view());
  return host_status;
}

void FakeServices::login_name(MutText name) {
  calls.emplace_back("login");
  assign(name, login);
}

void FakeServices::execute_command_line(std::string_view command, bool, int& exitstat, int& cmdstat,
                                        MutText cmdmsg) {
  calls.push_back("cmd:" + std::string(command));
  cmdstat = 0;
  if (on_command) {
    on_command(command, exitstat, cmdstat, cmdmsg);
  } else {
    exitstat = 0;
  }
}

namespace {

// Commands go to the fake's own; files open in the probe folder.
class FakeFolder final : public platform::PrivateFolder {
 public:
  FakeFolder(FakeServices& services, const std::string& folder) : services_(services), files_(folder) {}
  void execute_command_line(std::string_view command, bool wait, int& exitstat, int& cmdstat,
                            MutText cmdmsg) override {
    services_.execute_command_line(command, wait, exitstat, cmdstat, cmdmsg);
  }
  std::unique_ptr<platform::InputFile> open_input(std::string_view name, std::size_t, std::string& why) override {
    return files_.open_input(std::string(name), true, why);
  }

 private:
  FakeServices& services_;
  platform::PosixFileSystem files_;
};

}  // namespace

std::unique_ptr<platform::PrivateFolder> FakeServices::private_folder(std::string_view, std::string& why) {
  if (probe_folder.empty()) {
    why = "no private folder";
    return nullptr;
  }
  return std::make_unique<FakeFolder>(*this, probe_folder);
}

void FakeServices::emulate_probes(const std::string& folder, const std::string& cpu_brand,
                                  const std::string& os_version) {
  probe_folder = folder;
  on_command = [folder, cpu_brand, os_version](std::string_view cmd, int&, int& cmdstat, MutText) {
    namespace fs = std::filesystem;
    const auto gt = cmd.find("> ");
    cmdstat = 0;
    if (cmd.rfind("rm ", 0) == 0) {
      std::error_code ec;
      fs::remove(fs::path(folder) / std::string(cmd.substr(3)), ec);
      return;
    }
    if (gt == std::string_view::npos) return;
    std::ofstream f(fs::path(folder) / std::string(cmd.substr(gt + 2)), std::ios::binary);
    if (cmd.rfind("sysctl ", 0) == 0) f << cpu_brand << '\n';
    if (cmd.rfind("sw_vers ", 0) == 0) f << os_version << '\n';
  };
}

float FakeServices::cpu_time() {
  calls.emplace_back("cpu");
  const float t = cpu_times[cpu_index_ < cpu_times.size() ? cpu_index_ : cpu_times.size() - 1];
  ++cpu_index_;
  return t;
}

void FakeServices::system_clock(int& count, int& rate, int& count_max) {
  calls.emplace_back("clock");
  count = clock_count;
  rate = clock_rate;
  count_max = clock_max;
}

}  // namespace qx::testkit
