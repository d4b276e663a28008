#pragma once
// An in-memory console: scripted input lines, every byte written kept.

#include <deque>
#include <string>
#include <string_view>
#include <utility>

#include "platform/io.hpp"

namespace qx::platform {

class MemoryConsole final : public Console {
 public:
  MemoryConsole() = default;
  // Input given as the bytes a user would type: lines ended by line ends.
  explicit MemoryConsole(std::string_view typed) { type(typed); }

  void type(std::string_view typed);        // appends lines
  void fail_next_read() { script_.emplace_back(IoStatus::error, std::string()); }
  // A last read that fails, and ends the console with it (a terminal gone bad).
  void end_with_error() {
    fail_next_read();
    ends_with_error_ = true;
  }
  bool input_ended() const override { return ends_with_error_ && script_.empty(); }

  IoStatus next_line(std::string_view& line) override;
  void write(std::string_view bytes) override { out_.append(bytes); }
  void flush() override { ++flushes_; }

  const std::string& output() const { return out_; }
  std::string take_output() { return std::exchange(out_, std::string()); }
  int reads() const { return reads_; }
  int flushes() const { return flushes_; }
  std::size_t lines_left() const { return script_.size(); }

 private:
  std::deque<std::pair<IoStatus, std::string>> script_;
  std::string current_;
  std::string out_;
  int reads_ = 0;
  int flushes_ = 0;
  bool ends_with_error_ = false;
};

}  // namespace qx::platform
