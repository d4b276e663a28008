#include "platform/units.hpp"

#include <algorithm>
#include <cctype>

#include "platform/stop.hpp"

namespace qx::platform {

namespace {

// An open status as the runtime takes it: in any case, trailing blanks dropped.
bool status_is(std::string_view status, std::string_view word) {
  const auto last = status.find_last_not_of(' ');
  status = status.substr(0, last == std::string_view::npos ? 0 : last + 1);
  return std::equal(status.begin(), status.end(), word.begin(), word.end(),
                    [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

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
  for (auto& [unit, c] : files_by_unit_) close_file(c);
}

bool Units::open(int unit, std::string_view name, std::string_view status) {
  if (is_open(unit)) close(unit);
  Connected c{trimmed_name(name), nullptr, nullptr, nullptr};
  open_error_.clear();
  if (status_is(status, "new")) {
    c.output = files_.create_output(c.name, open_error_);
  } else if (status_is(status, "old")) {
    c.input = files_.open_input(c.name, false, open_error_);
  } else if (status_is(status, "unknown")) {
    c.update = files_.open_update(c.name, open_error_);
  } else {
    open_error_ = "unknown open status";
    return false;
  }
  if (!c.output && !c.input && !c.update) return false;
  files_by_unit_[unit] = std::move(c);
  return true;
}

bool Units::close_file(Connected& c) {
  OutputFile* out = c.writes();
  return out == nullptr || out->close();
}

void Units::close(int unit) {
  auto it = files_by_unit_.find(unit);
  if (it == files_by_unit_.end()) return;
  Connected c = std::move(it->second);
  files_by_unit_.erase(it);
  if (!close_file(c)) write_failed(c.name, c.writes()->error_text());
}

bool Units::close_all() {
  bool ok = true;
  while (!files_by_unit_.empty()) {
    Connected c = std::move(files_by_unit_.begin()->second);
    files_by_unit_.erase(files_by_unit_.begin());
    if (!close_file(c)) {
      ok = false;
      console_.write(" ===> COULD NOT WRITE FILE " + c.name + ": " + c.writes()->error_text() + "\n");
    }
  }
  console_.flush();
  return ok;
}

// Where a unit's lines come from; nullptr for a unit not connected and for
// a file that takes no reads (written from its end).
LineSource* Units::source(int unit) {
  auto it = files_by_unit_.find(unit);
  return it == files_by_unit_.end() ? nullptr : it->second.reads();
}

IoStatus Units::read_line(int unit, MutText into, bool* longer) {
  ConsoleSource console(*this);
  LineSource* src = unit == kConsoleIn ? &console : source(unit);
  if (src == nullptr) return is_open(unit) ? IoStatus::eof : IoStatus::error;
  if (longer != nullptr) *longer = false;
  auto beyond = [longer](std::string_view rest) {
    if (longer != nullptr && rest.find_first_not_of(' ') != std::string_view::npos) *longer = true;
  };
  std::string_view line;
  IoStatus st = src->next_line(line);
  if (st != IoStatus::ok) return st;
  if (!src->line_goes_on()) {
    assign(into, line);
    if (line.size() > into.size()) beyond(line.substr(into.size()));
    return st;
  }
  // A long line, piece by piece: what does not fit is passed over.
  std::size_t filled = 0;
  for (;;) {
    const std::size_t n = std::min(line.size(), into.size() - filled);
    std::copy_n(line.data(), n, into.data() + filled);
    filled += n;
    beyond(line.substr(n));
    if (!src->line_goes_on()) break;
    if (src->next_line(line) != IoStatus::ok) return IoStatus::error;
  }
  std::fill(into.begin() + static_cast<std::ptrdiff_t>(filled), into.end(), ' ');
  return IoStatus::ok;
}

IoStatus Units::read_list(int unit, std::span<const ListItem> items, Omitted omitted) {
  if (unit == kConsoleIn) {
    ConsoleSource console(*this);
    return platform::read_list(console, items, omitted);
  }
  LineSource* src = source(unit);
  if (src == nullptr) return is_open(unit) ? IoStatus::eof : IoStatus::error;
  return platform::read_list(*src, items, omitted);
}

void Units::flush_files() {
  for (auto it = files_by_unit_.begin(); it != files_by_unit_.end(); ++it) {
    OutputFile* out = it->second.writes();
    if (out != nullptr && !out->flush()) output_failed(it);
  }
}

IoStatus Units::write_line(int unit, std::string_view line) {
  if (unit == kConsoleOut) {
    console_line_.assign(line);
    console_line_.push_back('\n');
    console_.write(console_line_);
    return IoStatus::ok;
  }
  auto it = files_by_unit_.find(unit);
  OutputFile* out = it == files_by_unit_.end() ? nullptr : it->second.writes();
  if (out == nullptr) return IoStatus::error;
  if (!out->write_line(line)) output_failed(it);
  return IoStatus::ok;
}

void Units::output_failed(Connection it) {
  Connected c = std::move(it->second);
  files_by_unit_.erase(it);
  close_file(c);
  write_failed(c.name, c.writes()->error_text());
}

void Units::write_failed(const std::string& name, const std::string& why) {
  console_.write(" ===> COULD NOT WRITE FILE " + name + ": " + why + "\n");
  console_.write(" ===> STOPPING EXECUTION\n");
  stop_program(1);
}

}  // namespace qx::platform
