#pragma once
// A whole session on an in-memory console, fake services and a scratch folder.

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

#include "platform/memory_console.hpp"
#include "platform/posix_file_system.hpp"
#include "platform/posix_services.hpp"
#include "platform/units.hpp"
#include "support/session.hpp"
#include "testkit/fake_services.hpp"

namespace qx::testkit {

// Whether this build runs under the address sanitizer, whose runtime
// reports faults its own way and needs descriptors of its own.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kSanitized = true;
#else
inline constexpr bool kSanitized = false;
#endif
#else
inline constexpr bool kSanitized = false;
#endif

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

// Asks a TestSession for the host's own services.
struct RealServices {};

struct TestSession {
  // typed: what the user types, lines ended by line feeds. The console is
  // set up as initsio2 sets it, without its announcement; dir is the fake
  // services' probe folder.
  explicit TestSession(std::string_view typed = "");
  // The same with the host's own services (commands run in dir); the fake
  // services are then unused.
  TestSession(std::string_view typed, RealServices);

  ScratchDir dir;
  platform::MemoryConsole console;
  platform::PosixFileSystem files;
  FakeServices services;
  std::unique_ptr<platform::PosixServices> real_services;
  platform::Units units;
  Session s;

  // Everything written on the console since the last call.
  std::string take() { return console.take_output(); }
};

// Whether the user uid (group gid, no others) can enter path: a folder on
// the way may be private to whoever runs the tests.
bool reachable_as(uid_t uid, gid_t gid, const std::filesystem::path& path);

// The lines of a text, split at line feeds (the last, empty piece dropped).
std::vector<std::string> lines_of(std::string_view text);

// Joins lines, each followed by a line feed.
std::string joined(const std::vector<std::string>& lines);

}  // namespace qx::testkit
