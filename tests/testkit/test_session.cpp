#include "testkit/test_session.hpp"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace qx::testkit {

ScratchDir::ScratchDir() {
  // As the program places its own: an empty TMPDIR is no folder, /tmp is.
  const char* tmpdir = std::getenv("TMPDIR");
  std::string tmpl = tmpdir != nullptr && tmpdir[0] != '\0' ? tmpdir : "/tmp";
  tmpl += "/qx-test-XXXXXX";
  if (mkdtemp(tmpl.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = tmpl;
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

void ScratchDir::write(const std::string& name, std::string_view bytes) const {
  std::ofstream f(path_ / name, std::ios::binary);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ScratchDir::read(const std::string& name) const {
  std::ifstream f(path_ / name, std::ios::binary);
  std::ostringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

bool ScratchDir::exists(const std::string& name) const { return std::filesystem::exists(path_ / name); }

namespace {

void set_console(IoCom& io) {
  io.IUSTDIN = 5;
  io.IUSTDOUT = 6;
  io.IUERRIN = 5;
  io.IUERROUT = 6;
  io.LWITO = {true, true, false};
  io.LPAUSE = true;
}

}  // namespace

TestSession::TestSession(std::string_view typed)
    : console(typed), files(dir.path().string()), units(console, files), s(units, services) {
  services.probe_folder = dir.path().string();
  set_console(s.iocom);
}

TestSession::TestSession(std::string_view typed, RealServices)
    : console(typed),
      files(dir.path().string()),
      real_services(std::make_unique<platform::PosixServices>(dir.path().string())),
      units(console, files),
      s(units, *real_services) {
  set_console(s.iocom);
}

std::vector<std::string> lines_of(std::string_view text) {
  std::vector<std::string> out;
  while (!text.empty()) {
    const auto nl = text.find('\n');
    out.emplace_back(text.substr(0, nl));
    if (nl == std::string_view::npos) break;
    text.remove_prefix(nl + 1);
  }
  return out;
}

bool reachable_as(uid_t uid, gid_t gid, const std::filesystem::path& path) {
  const std::string p = path.string();
  const pid_t pid = fork();
  if (pid == 0) {
    const bool can = setgroups(0, nullptr) == 0 && setgid(gid) == 0 && setuid(uid) == 0 && access(p.c_str(), X_OK) == 0;
    _exit(can ? 0 : 1);
  }
  int status = 0;
  return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string joined(const std::vector<std::string>& lines) {
  std::string s;
  for (const auto& l : lines) {
    s += l;
    s += '\n';
  }
  return s;
}

}  // namespace qx::testkit
