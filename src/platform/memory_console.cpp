#include "platform/memory_console.hpp"

#include "platform/line_reader.hpp"

namespace qx::platform {

void MemoryConsole::type(std::string_view typed) {
  while (!typed.empty()) script_.emplace_back(IoStatus::ok, std::string(take_line(typed)));
}

IoStatus MemoryConsole::next_line(std::string_view& line) {
  ++reads_;
  if (script_.empty()) return IoStatus::eof;
  auto [status, text] = std::move(script_.front());
  script_.pop_front();
  current_ = std::move(text);
  line = current_;
  return status;
}

}  // namespace qx::platform
