#pragma once
// Numbered units: the console (5 in, 6 out) and files connected by number.

#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/file_system.hpp"
#include "platform/io.hpp"
#include "platform/list_read.hpp"
#include "platform/text.hpp"

namespace qx::platform {

inline constexpr int kConsoleIn = 5;
inline constexpr int kConsoleOut = 6;

class Units {
 public:
  Units(Console& console, FileSystem& files) : console_(console), files_(files) {}
  ~Units();
  Units(const Units&) = delete;
  Units& operator=(const Units&) = delete;

  // Connects a named file (trailing blanks of the name dropped) to a unit
  // with the status "old" (must exist; read), "new" (must not exist; created,
  // written) or "unknown" (used if it exists, created if not; read and
  // written as a sequential file is, see UpdateFile), in any case. A unit
  // already connected is closed first. False on failure, with the reason in
  // last_open_error().
  bool open(int unit, std::string_view name, std::string_view status);
  const std::string& last_open_error() const { return open_error_; }

  // Closes a unit; the file stays on disk. A write that fails here is
  // reported on the console and stops the run with status 1.
  void close(int unit);
  // Closes every unit and flushes the console; false when a file could not
  // be written out, after reporting it.
  bool close_all();
  bool is_open(int unit) const { return files_by_unit_.count(unit) != 0; }

  // One line into a fixed-length text: its first characters, padded with
  // blanks; the rest of the line is passed over. A line that comes in pieces
  // may leave part of itself in the text when it fails. Reads of the console
  // flush what was written to it, and the complete lines of every output
  // file, first.
  // With longer, tells whether the line held a character other than a
  // blank beyond the text's length.
  IoStatus read_line(int unit, MutText into, bool* longer = nullptr);
  // One list-directed read (see list_read.hpp).
  IoStatus read_list(int unit, std::span<const ListItem> items, Omitted omitted = Omitted::error);
  IoStatus read_list(int unit, std::initializer_list<ListItem> items, Omitted omitted = Omitted::error) {
    return read_list(unit, std::span<const ListItem>(items.begin(), items.size()), omitted);
  }

  // Writes one line: ok, or error for a unit that takes no writes (not
  // connected, or connected for reading only). A file that fails to take it
  // is reported on the console with its name, and the run stops with
  // status 1.
  IoStatus write_line(int unit, std::string_view line);

  void flush_console() { console_.flush(); }
  // The console input has ended for good: every further read meets its end.
  bool console_ended() const { return console_ended_; }

 private:
  class ConsoleSource;
  LineSource* source(int unit);
  void flush_files();

  // A connected file: what it reads from and what it writes to, either of
  // which may be missing ("old" takes no writes; "new" is at its end).
  struct Connected {
    std::string name;
    std::unique_ptr<InputFile> input;
    std::unique_ptr<OutputFile> output;
    std::unique_ptr<UpdateFile> update;
    LineSource* reads() const { return input ? input.get() : update.get(); }
    OutputFile* writes() const {
      return output ? output.get() : update && update->writable() ? update.get() : nullptr;
    }
  };
  using Connection = std::map<int, Connected>::iterator;
  bool close_file(Connected& c);  // false when its last writes failed
  [[noreturn]] void output_failed(Connection it);
  [[noreturn]] void write_failed(const std::string& name, const std::string& why);

  Console& console_;
  FileSystem& files_;
  std::map<int, Connected> files_by_unit_;
  std::string open_error_;
  std::string console_line_;  // one write a line: the console sees whole lines
  bool console_ended_ = false;
};

}  // namespace qx::platform
