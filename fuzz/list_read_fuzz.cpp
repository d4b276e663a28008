// Fuzzes list-directed reading: any bytes as lines, read as every item type,
// whole lines from memory and the same lines in small pieces from a file,
// which must read alike.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/line_reader.hpp"
#include "platform/list_read.hpp"
#include "platform/memory_file_system.hpp"

namespace {

using qx::platform::IoStatus;
using qx::platform::ListItem;

// A file read through a buffer of a few bytes: every long line in pieces.
class Pieces final : public qx::platform::LineSource {
 public:
  Pieces(int fd, std::size_t piece, std::size_t max_line) : reader_(fd, piece, max_line) {}
  IoStatus next_line(std::string_view& line) override {
    const IoStatus st = reader_.next_line(line);
    goes_on_ = reader_.line_goes_on();
    return st;
  }

 private:
  qx::platform::FdLineReader reader_;
};

// What one read gave: its status and every item after it.
struct Outcome {
  IoStatus st = IoStatus::ok;
  int i = 0;
  float f1 = 0.0f;
  float f2 = 0.0f;
  char text[3] = {};
  char letter[1] = {};
  bool operator==(const Outcome& o) const {
    return st == o.st && i == o.i && std::memcmp(&f1, &o.f1, sizeof f1) == 0 &&
           std::memcmp(&f2, &o.f2, sizeof f2) == 0 && std::memcmp(text, o.text, sizeof text) == 0 &&
           letter[0] == o.letter[0];
  }
};

Outcome read(qx::platform::LineSource& src, int round) {
  Outcome o;
  // Records of the shapes the program reads.
  const ListItem items[] = {&o.f1, qx::MutText(o.letter), &o.f2, qx::MutText(o.text), &o.i};
  const std::size_t n = 1 + static_cast<std::size_t>(round) % 5;
  o.st = qx::platform::read_list(src, std::span<const ListItem>(items, n));
  return o;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  qx::platform::MemoryFileSystem fs;
  fs.files["in"] = std::string(bytes);
  std::string why;
  auto whole = fs.open_input("in", false, why);

  std::FILE* file = std::tmpfile();
  if (file == nullptr) return 0;
  if (size > 0) std::fwrite(data, 1, size, file);
  std::fflush(file);
  std::rewind(file);
  const std::size_t piece = size > 0 ? 1 + data[0] % 7 : 1;
  Pieces pieces(fileno(file), piece, size + piece);

  // Until the input ends; a read error drops the line, so the whole input
  // is visited.
  for (int round = 0; round < 10000; ++round) {
    const Outcome a = read(*whole, round);
    const Outcome b = read(pieces, round);
    if (!(a == b)) __builtin_trap();
    if (a.st == IoStatus::eof) break;
  }
  std::fclose(file);

  int i = 0;
  const ListItem one[] = {&i};
  (void)qx::platform::read_list_text(bytes.substr(0, 20), one);
  float v = 0.0f;
  if (qx::platform::parse_real(bytes.substr(0, 40), v) && !(v == v)) __builtin_trap();  // never a NaN
  return 0;
}
