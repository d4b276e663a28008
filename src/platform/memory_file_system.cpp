#include "platform/memory_file_system.hpp"

#include "platform/line_reader.hpp"

#include <memory>

namespace qx::platform {

namespace {

class MemoryOutput final : public OutputFile {
 public:
  MemoryOutput(MemoryFileSystem& fs, std::string name) : fs_(fs), name_(std::move(name)) {}
  bool write_line(std::string_view line) override {
    if (failed_ || closed_) return false;
    pending_.append(line);
    pending_.push_back('\n');
    return pending_.size() < (1 << 16) || flush();
  }
  bool flush() override {
    if (failed_) return false;
    std::string& file = fs_.files[name_];
    std::size_t n = std::min(pending_.size(), fs_.space);
    // Like a real file that fills up: only complete lines stay.
    if (n < pending_.size()) {
      const auto nl = std::string_view(pending_).substr(0, n).rfind('\n');
      n = nl == std::string_view::npos ? 0 : nl + 1;
    }
    file.append(pending_, 0, n);
    fs_.space -= n;
    failed_ = n < pending_.size();
    pending_.clear();
    return !failed_;
  }
  bool close() override {
    if (closed_) return !failed_;
    closed_ = true;
    return flush();
  }
  std::string error_text() const override { return "No space left on device"; }

 private:
  MemoryFileSystem& fs_;
  std::string name_;
  std::string pending_;
  bool failed_ = false;
  bool closed_ = false;
};

class MemoryUpdate final : public UpdateFile {
 public:
  MemoryUpdate(MemoryFileSystem& fs, std::string name) : fs_(fs), name_(std::move(name)) {}
  IoStatus next_line(std::string_view& line) override {
    const std::string& file = fs_.files[name_];
    if (writer_ || pos_ >= file.size()) return IoStatus::eof;
    std::string_view rest = std::string_view(file).substr(pos_);
    line = take_line(rest);
    pos_ = file.size() - rest.size();
    return IoStatus::ok;
  }
  bool writable() const override { return true; }
  bool write_line(std::string_view line) override {
    if (!writer_) {
      fs_.files[name_].resize(pos_);
      writer_ = std::make_unique<MemoryOutput>(fs_, name_);
    }
    return writer_->write_line(line);
  }
  bool flush() override { return !writer_ || writer_->flush(); }
  bool close() override { return !writer_ || writer_->close(); }
  std::string error_text() const override { return writer_ ? writer_->error_text() : std::string(); }

 private:
  MemoryFileSystem& fs_;
  std::string name_;
  std::size_t pos_ = 0;
  std::unique_ptr<MemoryOutput> writer_;
};

}  // namespace

std::unique_ptr<UpdateFile> MemoryFileSystem::open_update(const std::string& name, std::string& why) {
  if (name.empty()) {
    why = "No such file or directory";
    return nullptr;
  }
  files[name];
  return std::make_unique<MemoryUpdate>(*this, name);
}

std::unique_ptr<InputFile> MemoryFileSystem::open_input(const std::string& name, bool create_if_missing,
                                                        std::string& why) {
  auto it = files.find(name);
  if (it == files.end()) {
    if (!create_if_missing || name.empty()) {
      why = "No such file or directory";
      return nullptr;
    }
    it = files.emplace(name, std::string()).first;
  }
  return std::make_unique<BytesInput>(it->second);
}

std::unique_ptr<OutputFile> MemoryFileSystem::create_output(const std::string& name, std::string& why) {
  if (name.empty() || files.count(name) != 0) {
    why = name.empty() ? "No such file or directory" : "File exists";
    return nullptr;
  }
  files[name];
  return std::make_unique<MemoryOutput>(*this, name);
}

}  // namespace qx::platform
