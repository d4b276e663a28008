#include "support/probes.hpp"

#include <string>

#include "platform/line.hpp"
#include "platform/services.hpp"
#include "support/frames.hpp"
#include "support/text_utils.hpp"

namespace qx {

namespace {

// The unit that the could-not-open box names.
constexpr int kUnit = 99;

// What differs between the processor and the system-version probe.
struct Probe {
  std::string_view name;      // as shown in the box head
  std::string_view command;   // writes one line into file
  std::string_view removal;
  std::string_view file;
  std::string_view what;      // "CPU INFO" or "SYSTEM VERSION"
  std::string_view fallback;
};

constexpr Probe kHardinfo{"hardinfo ", "sysctl -n machdep.cpu.brand_string > cpu_info_tmp_001.txt",
                          "rm cpu_info_tmp_001.txt", "cpu_info_tmp_001.txt", "CPU INFO", "Macintosh"};
constexpr Probe kOsversion{"osversion", "sw_vers -productVersion > sys_version_tmp_001.txt",
                           "rm sys_version_tmp_001.txt", "sys_version_tmp_001.txt", "SYSTEM VERSION", "MacOSX"};

// The probe's command variables. The removal runs through the same ones, so
// its box shows what the removal left in them: the service sets the message
// only when a command could not run, and it keeps what it held otherwise.
struct Run {
  explicit Run(std::string_view c) : command(c) {}
  std::string_view command;  // the whole command text, trailing blanks included
  int exitstat = 0;
  int cmdstat = 0;
  Text<120> cmdmsg;
};

void run(Session& s, platform::PrivateFolder& folder, Run& r) {
  // What the command itself says on the terminal comes after what was written.
  s.units.flush_console();
  folder.execute_command_line(trimmed(r.command), true, r.exitstat, r.cmdstat, r.cmdmsg.span());
}

void text_line(Session& s, std::string_view label, std::string_view value) {
  s.put(s.iocom.IUERROUT, Line(" ").t(label).x(1).t(value));
}

void int_line(Session& s, std::string_view label, int value) {
  s.put(s.iocom.IUERROUT, Line(" ").t(label).x(1).i(value, 6));
}

// A warning box: the head of a warning frame, the lines, a closing rule; no
// pause, since the probes only inform.
void box(Session& s, const Probe& p, std::string_view title, std::string_view filename, bool open_lines,
         const Run& r, std::string_view setting) {
  const int u = s.iocom.IUERROUT;
  warninghead(s, p.name, "", "");
  s.put(u, Line(" ").t(title));
  text_line(s, "filename =", filename);
  if (open_lines) {
    text_line(s, "status   =", "unknown");
    int_line(s, "unit     =", kUnit);
  }
  text_line(s, "command  =", r.command);
  int_line(s, "wait     =", 1);
  int_line(s, "exitstat =", r.exitstat);
  int_line(s, "cmdstat  =", r.cmdstat);
  Text<120> cmdmsg = r.cmdmsg;  // the shell's words, shown cleaned
  clean_text(cmdmsg.span());
  text_line(s, "cmdmsg   =", cmdmsg.sv());
  if (!setting.empty()) s.put(u, Line(" ").t(setting));
  s.put(u, Line(" ").rep('/', 50));
}

// Runs the probe command in a private folder, reads its one line back into
// line and removes the file. False, after its box, when no line could be had.
// Without a private folder the command has nowhere to write its file: that
// is a file that can't be opened.
template <std::size_t CmdLen>
bool probe(Session& s, const Probe& p, MutText line) {
  Text<CmdLen> command(p.command);
  const Text<25> filename(p.file);
  const std::string setting = "=> SETTING " + std::string(p.what) + " = " + std::string(p.fallback);
  const std::string cant_open = "COULD NOT OPEN " + std::string(p.what) + " FILE";
  Run r(command.sv());
  std::string why;
  const auto folder = s.services.private_folder(p.file, why);
  if (!folder) {
    box(s, p, cant_open, filename.sv(), true, r, setting);
    return false;
  }
  run(s, *folder, r);
  if (r.cmdstat != 0) {
    box(s, p, "COULD NOT DETERMINE " + std::string(p.what), filename.sv(), false, r, setting);
    return false;
  }
  // The line and its line end are all that is ever read.
  auto file = folder->open_input(p.file, line.size() + 2, why);
  if (!file) {
    box(s, p, cant_open, filename.sv(), true, r, setting);
    return false;
  }
  // A command that wrote nothing leaves an empty file: an all-blank line.
  assign(line, "");
  std::string_view got;
  if (file->next_line(got) == platform::IoStatus::ok) assign(line, got);
  file.reset();

  command = p.removal;
  r.command = command.sv();
  run(s, *folder, r);
  if (r.cmdstat != 0) box(s, p, "COULD NOT REMOVE " + std::string(p.what) + " FILE", filename.sv(), false, r, "");
  return true;
}

}  // namespace

void date10_time8(Session& s, MutText date10, MutText time8) {
  const platform::LocalDateTime now = s.services.local_date_time();
  const Text<8> d(now.date);
  const Text<6> t(now.time);
  std::string date{d.sv().substr(0, 4)};
  date.append("-").append(d.sv().substr(4, 2)).append("-").append(d.sv().substr(6, 2));
  std::string time{t.sv().substr(0, 2)};
  time.append(":").append(t.sv().substr(2, 2)).append(":").append(t.sv().substr(4, 2));
  assign(date10, date);
  assign(time8, time);
}

// What the host says about itself goes to the terminal and into the results'
// header: each text is cleaned in its field.
void hostname(Session& s, MutText name) {
  if (s.services.host_name(name) != 0) assign(name, "Macintosh");
  clean_text(name);
}

void username(Session& s, MutText name) {
  s.services.login_name(name);
  clean_text(name);
}

void hardinfo(Session& s, MutText cpuinfo) {
  Text<50> line;
  if (!probe<65>(s, kHardinfo, line.span())) {
    assign(cpuinfo, kHardinfo.fallback);
    return;
  }
  std::int32_t ib = 0;
  std::int32_t ie = 0;
  textlen(ib, ie, line.sv());
  // Intel's brand strings begin alike; the model is what tells them apart.
  constexpr std::string_view kIntelCore = "Intel(R) Core(TM) ";
  if (line.sv().substr(0, kIntelCore.size()) == kIntelCore) {
    std::string core = "Core ";
    if (ie >= 19) core.append(line.sv().substr(18, static_cast<std::size_t>(ie - 18)));
    assign(cpuinfo, core);
  } else {
    assign(cpuinfo, line.sv().substr(static_cast<std::size_t>(ib - 1), static_cast<std::size_t>(ie - ib + 1)));
  }
  clean_text(cpuinfo);
}

void osversion(Session& s, MutText osvers) {
  Text<8> line;
  if (!probe<60>(s, kOsversion, line.span())) {
    assign(osvers, kOsversion.fallback);
    return;
  }
  std::string os = "MacOS_";
  os.append(trimmed(line.sv()));
  assign(osvers, os);
  clean_text(osvers);
}

}  // namespace qx
