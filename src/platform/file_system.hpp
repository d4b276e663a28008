#pragma once
// Opening named files: the one place the program meets the file system.

#include <memory>
#include <string>

#include "platform/io.hpp"

namespace qx::platform {

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // An existing file to read; with create_if_missing a missing file is
  // created empty. A directory does not open. nullptr on failure, with
  // the reason in why.
  virtual std::unique_ptr<InputFile> open_input(const std::string& name, bool create_if_missing,
                                                std::string& why) = 0;
  // A new file to write; an existing file is never opened, let alone truncated.
  virtual std::unique_ptr<OutputFile> create_output(const std::string& name, std::string& why) = 0;
  // A file to read and write, used if it exists and created if not; one that
  // can't be written is opened for reading only (see UpdateFile). A
  // directory does not open.
  virtual std::unique_ptr<UpdateFile> open_update(const std::string& name, std::string& why) = 0;
};

}  // namespace qx::platform
