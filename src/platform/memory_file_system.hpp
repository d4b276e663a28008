#pragma once
// Files held in memory: for tests and fuzzing, and to make writes fail on demand.

#include <cstddef>
#include <limits>
#include <map>
#include <memory>
#include <string>

#include "platform/file_system.hpp"

namespace qx::platform {

class MemoryFileSystem final : public FileSystem {
 public:
  // The files by name; an output file appears when it is created and grows
  // as it is flushed.
  std::map<std::string, std::string> files;
  // Bytes that outputs may write in all before a write fails ("no space").
  std::size_t space = std::numeric_limits<std::size_t>::max();

  std::unique_ptr<InputFile> open_input(const std::string& name, bool create_if_missing,
                                        std::string& why) override;
  std::unique_ptr<OutputFile> create_output(const std::string& name, std::string& why) override;
  std::unique_ptr<UpdateFile> open_update(const std::string& name, std::string& why) override;
};

}  // namespace qx::platform
