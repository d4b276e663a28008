#pragma once
// A whole session on an in-memory console, fake services and a scratch folder.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/memory_console.hpp"
#include "platform/posix_file_system.hpp"
#include "platform/units.hpp"
#include "support/session.hpp"
#include "testkit/fake_services.hpp"

namespace qx::testkit {

// A folder of its own, removed with everything in it at the end.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  void write(const std::string& name, std::string_view bytes) const;
  std::string read(const std::string& name) const;
  bool exists(const std::string& name) const;

 private:
  std::filesystem::path path_;
};

struct TestSession {
  // typed: what the user types, lines ended by line feeds. The console is
  // set up as initsio2 sets it, without its announcement.
  explicit TestSession(std::string_view typed = "");

  ScratchDir dir;
  platform::MemoryConsole console;
  platform::PosixFileSystem files;
  FakeServices services;
  platform::Units units;
  Session s;

  // Everything written on the console since the last call.
  std::string take() { return console.take_output(); }
};

// The lines of a text, split at line feeds (the last, empty piece dropped).
std::vector<std::string> lines_of(std::string_view text);

// Joins lines, each followed by a line feed.
std::string joined(const std::vector<std::string>& lines);

}  // namespace qx::testkit
