#pragma once
// Files of the real file system, relative names resolved in one folder.

#include <string>

#include "platform/file_system.hpp"

namespace qx::platform {

class PosixFileSystem final : public FileSystem {
 public:
  // Relative names are resolved in folder (the working directory by default).
  explicit PosixFileSystem(const std::string& folder = ".");
  ~PosixFileSystem() override;
  PosixFileSystem(const PosixFileSystem&) = delete;
  PosixFileSystem& operator=(const PosixFileSystem&) = delete;

  std::unique_ptr<InputFile> open_input(const std::string& name, bool create_if_missing,
                                        std::string& why) override;
  std::unique_ptr<OutputFile> create_output(const std::string& name, std::string& why) override;
  std::unique_ptr<UpdateFile> open_update(const std::string& name, std::string& why) override;

 private:
  int dir_fd_;
};

}  // namespace qx::platform
