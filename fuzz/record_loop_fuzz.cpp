// Fuzzes a whole run over an arbitrary data file: file in, file out, every
// prompt answered with its default, the format chosen by the first byte.

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/memory_console.hpp"
#include "platform/memory_file_system.hpp"
#include "platform/services.hpp"
#include "platform/units.hpp"
#include "quellatorix/main_program.hpp"

namespace {

// Host services that answer at once and run no command.
class QuietServices final : public qx::platform::Services {
 public:
  qx::platform::LocalDateTime local_date_time() override { return {"20250304", "090503.250"}; }
  int host_name(qx::MutText name) override {
    qx::assign(name, "fuzzhost");
    return 0;
  }
  void login_name(qx::MutText name) override { qx::assign(name, "fuzzer"); }
  void execute_command_line(std::string_view, bool, int& exitstat, int& cmdstat, qx::MutText cmdmsg) override {
    exitstat = 1;
    cmdstat = 1;
    qx::assign(cmdmsg, "no shell while fuzzing");
  }
  std::unique_ptr<qx::platform::PrivateFolder> private_folder(std::string_view, std::string& why) override {
    why = "no folders while fuzzing";
    return nullptr;
  }
  float cpu_time() override { return 0.0f; }
  void system_clock(int& count, int& rate, int& count_max) override {
    count = 0;
    rate = 1000000;
    count_max = 2147483647;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const char format = (data[0] & 1) != 0 ? '2' : '1';
  qx::platform::MemoryFileSystem fs;
  fs.files["quelta_in.txt"] = std::string(reinterpret_cast<const char*>(data) + 1, size - 1);
  // RETURN for the header, file input, its name, the format, file output,
  // its name; the pauses then meet the end of the console input.
  qx::platform::MemoryConsole console(std::string("\n1\n\n") + format + "\n1\n\n");
  QuietServices services;
  qx::platform::Units units(console, fs);
  qx::Session s(units, services);
  const int status = qx::program::run_quellatorix(s);
  if (status != 0) __builtin_trap();  // bad data never fails the run
  const auto out = fs.files.find("quelta_out.txt");
  // Every record read has its line: two header lines and no partial line.
  if (out != fs.files.end() && !out->second.empty() && out->second.back() != '\n') __builtin_trap();
  return 0;
}
