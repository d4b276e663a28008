// Fuzzes list-directed reading: any bytes as lines, read as every item type.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/list_read.hpp"
#include "platform/memory_file_system.hpp"

namespace {

using qx::platform::IoStatus;
using qx::platform::ListItem;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  qx::platform::MemoryFileSystem fs;
  fs.files["in"] = std::string(bytes);
  std::string why;
  auto in = fs.open_input("in", false, why);
  int i = 0;
  float f = 0.0f;
  char text[3];
  char letter[1];
  // Records of the shapes the program reads, until the input ends; a read
  // error drops the line, so the whole input is visited.
  for (int round = 0; round < 10000; ++round) {
    const ListItem items[] = {&f, qx::MutText(letter), &f, qx::MutText(text), &i};
    const std::size_t n = 1 + static_cast<std::size_t>(round) % 5;
    const IoStatus st = qx::platform::read_list(*in, std::span<const ListItem>(items, n));
    if (st == IoStatus::eof) break;
  }
  const ListItem one[] = {&i};
  (void)qx::platform::read_list_text(bytes.substr(0, 20), one);
  float v = 0.0f;
  if (qx::platform::parse_real(bytes.substr(0, 40), v) && !(v == v)) __builtin_trap();  // never a NaN
  return 0;
}
