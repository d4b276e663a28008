#include "platform/units.hpp"

#include <algorithm>

#include "platform/stop.hpp"

namespace qx::platform {

namespace {

std::string trimmed_name(std::string_view name) {
  const auto last = name.find_last_not_of(' ');
  return std::string(last == std::string_view::npos ? std::string_view() : name.substr(0, last + 1));
}

}  // namespace

// The console as a line source whose end, once met, is final. Whatever
// was written goes out before each line is asked for, whatever the console,
// and so do the complete result lines: a user may leave the program waiting
// and never come back. Once the input has ended nobody waits for an answer,
// and the output stays buffered (a long run meets a pause at every warning).
class Units::ConsoleSource final : public LineSource {
 public:
  explicit ConsoleSource(Units& u) : u_(u) {}
  IoStatus next_line(std::string_view& line) override {
    if (u_.console_ended_) return IoStatus::eof;
    u_.flush_files();
    u_.console_.flush();
    const IoStatus st = u_.console_.next_line(line);
    goes_on_ = u_.console_.line_goes_on();
    if (st == IoStatus::eof || (st == IoStatus::error && u_.console_.input_ended())) u_.console_ended_ = true;
    return st;
  }

 private:
  Units& u_;
};

Units::~Units() {
  for (auto& [unit, out] : outputs_) out.file->close();
}

bool Units::open(int unit, std::string_view name, std::string_view status) {
  if (is_open(unit)) close(unit);
  const std::string path = trimmed_name(name);
  open_error_.clear();
  if (text_eq(status, "new")) {
    auto f = files_.create_output(path, open_error_);
    if (!f) return false;
    outputs_[unit] = Output{path, std::move(f)};
    return true;
  }
  const bool create = text_eq(status, "unknown");
  if (!create && !text_eq(status, "old")) {
    open_error_ = "unknown open status";
    return false;
  }
  auto f = files_.open_input(path, create, open_error_);
  if (!f) return false;
  inputs_[unit] = std::move(f);
  return true;
}

void Units::close(int unit) {
  inputs_.erase(unit);
  auto it = outputs_.find(unit);
  if (it == outputs_.end()) return;
  Output out = std::move(it->second);
  outputs_.erase(it);
  if (!out.file->close()) write_failed(out.name, out.file->error_text());
}

bool Units::close_all() {
  inputs_.clear();
  bool ok = true;
  while (!outputs_.empty()) {
    Output out = std::move(outputs_.begin()->second);
    outputs_.erase(outputs_.begin());
    if (!out.file->close()) {
      ok = false;
      console_.write(" ===> COULD NOT WRITE FILE " + out.name + ": " + out.file->error_text() + "\n");
    }
  }
  console_.flush();
  return ok;
}

LineSource* Units::source(int unit) {
  if (unit == kConsoleIn) return nullptr;
  auto it = inputs_.find(unit);
  return it == inputs_.end() ? nullptr : it->second.get();
}

IoStatus Units::read_line(int unit, MutText into) {
  ConsoleSource console(*this);
  LineSource* src = unit == kConsoleIn ? &console : source(unit);
  if (src == nullptr) return IoStatus::error;
  std::string_view line;
  IoStatus st = src->next_line(line);
  if (st != IoStatus::ok) return st;
  if (!src->line_goes_on()) {
    assign(into, line);
    return st;
  }
  // A long line, piece by piece: what does not fit is passed over.
  std::size_t filled = 0;
  for (;;) {
    const std::size_t n = std::min(line.size(), into.size() - filled);
    std::copy_n(line.data(), n, into.data() + filled);
    filled += n;
    if (!src->line_goes_on()) break;
    if (src->next_line(line) != IoStatus::ok) return IoStatus::error;
  }
  std::fill(into.begin() + static_cast<std::ptrdiff_t>(filled), into.end(), ' ');
  return IoStatus::ok;
}

IoStatus Units::read_list(int unit, std::span<const ListItem> items) {
  if (unit == kConsoleIn) {
    ConsoleSource console(*this);
    return platform::read_list(console, items);
  }
  LineSource* src = source(unit);
  return src != nullptr ? platform::read_list(*src, items) : IoStatus::error;
}

void Units::flush_files() {
  for (auto it = outputs_.begin(); it != outputs_.end(); ++it) {
    if (!it->second.file->flush()) output_failed(it);
  }
}

void Units::write_line(int unit, std::string_view line) {
  if (unit == kConsoleOut) {
    console_line_.assign(line);
    console_line_.push_back('\n');
    console_.write(console_line_);
    return;
  }
  auto it = outputs_.find(unit);
  if (it == outputs_.end()) return;  // nothing is connected: the line goes nowhere
  if (!it->second.file->write_line(line)) output_failed(it);
}

void Units::output_failed(std::map<int, Output>::iterator it) {
  Output out = std::move(it->second);
  outputs_.erase(it);
  out.file->close();
  write_failed(out.name, out.file->error_text());
}

void Units::write_failed(const std::string& name, const std::string& why) {
  console_.write(" ===> COULD NOT WRITE FILE " + name + ": " + why + "\n");
  console_.write(" ===> STOPPING EXECUTION\n");
  stop_program(1);
}

}  // namespace qx::platform
