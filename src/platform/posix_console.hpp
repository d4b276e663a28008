#pragma once
// The process's own console: standard input and standard output.

#include <string>

#include "platform/interrupt.hpp"
#include "platform/io.hpp"
#include "platform/line_reader.hpp"

namespace qx::platform {

class PosixConsole final : public Console {
 public:
  PosixConsole(int in_fd = 0, int out_fd = 1);
  ~PosixConsole() override;
  PosixConsole(const PosixConsole&) = delete;
  PosixConsole& operator=(const PosixConsole&) = delete;

  // A read error (an OS error, a line beyond the reader's bound: a stream
  // that long is no one typing) is the reader's, once: then the console
  // has ended, as at the end of its input.
  IoStatus next_line(std::string_view& line) override;
  void write(std::string_view bytes) override;
  void flush() override;
  bool input_ended() const override { return ended_; }

 private:
  void write_out(std::size_t n);

  static constexpr std::size_t kFlushAt = 1 << 16;
  FdLineReader in_;
  // What is buffered, known to the signal handler: it writes out the
  // complete lines that are not out yet.
  interrupt::Pending out_;
  char buf_[kFlushAt];
  std::size_t used_ = 0;
  bool ended_ = false;
};

}  // namespace qx::platform
