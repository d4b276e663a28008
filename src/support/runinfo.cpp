#include "support/runinfo.hpp"

#include <string>

#include "platform/line.hpp"
#include "support/frames.hpp"
#include "support/probes.hpp"
#include "support/prompts.hpp"
#include "support/text_utils.hpp"

namespace qx {

namespace {

constexpr RoutineId kSwpinfo{"swpinfo    ", " 1.1", "2021-02-27"};
constexpr RoutineId kGetruninfo0{"getruninfo0", "1.0", "2025-04-11"};
constexpr int kLevels = 3;

// A label and a number right-justified in w columns; a wider number is
// written in full rather than as asterisks.
void number_line(Session& s, std::string_view label, long long v, int w) {
  s.out(Line(" ").t(label).x(1).n(v, w));
}

std::string_view sv(MutText t) { return {t.data(), t.size()}; }

void program_too_short(Session& s, MutText proginfo, std::size_t needed) {
  warninghead(s, kGetruninfo0);
  s.out(" Program information string too short");
  number_line(s, "String length =", static_cast<long long>(proginfo.size()), 4);
  number_line(s, "Needed length =", static_cast<long long>(needed), 4);
  s.out(" String = ");
  s.out(Line(" ").t(sv(proginfo)));
  s.out(" => Truncated output");
  warningtail00(s);
}

// proginfo := joined; false, after the warning, when it did not fit.
bool set_program(Session& s, MutText proginfo, const std::string& joined) {
  assign(proginfo, joined);
  if (proginfo.size() >= joined.size()) return true;
  program_too_short(s, proginfo, joined.size());
  return false;
}

// trimmed proginfo, " -> ", trimmed name, "_", trimmed version.
std::string chained(MutText proginfo, const RunInfo3Com& ri, int level) {
  const auto i = static_cast<std::size_t>(level - 1);
  std::string joined(trimmed(sv(proginfo)));
  joined.append(" -> ").append(trimmed(ri.ROUTNAME[i].sv())).append("_").append(trimmed(ri.ROUTVERS[i].sv()));
  return joined;
}

}  // namespace

void smaininfo2(Session& s, std::string_view routname, std::string_view routvers, std::string_view routdate) {
  RunInfo3Com& ri = s.runinfo3com;
  ri.ROUTLEVEL = 1;
  ri.ROUTNAME[0] = routname;
  ri.ROUTVERS[0] = routvers;
  ri.ROUTDATE[0] = routdate;
  ri.CMDNUMBER = 0;
  std::int32_t code = 0;
  swpinfo(s, code, 5);
  username(s, ri.USERTEXT.span());
  hostname(s, ri.HOSTTEXT.span());
  osversion(s, ri.OSTEXT.span());
  hardinfo(s, ri.CPUTEXT.span());
  date10_time8(s, ri.STARTDATE.span(), ri.STARTTIME.span());
  // The clocks last, so that the probes' commands don't count in the run's times.
  ri.CPUSTART = s.services.cpu_time();
  int rate = 0;
  int count_max = 0;
  s.services.system_clock(ri.CLOCKSTART, rate, count_max);
}

void swpinfo(Session& s, std::int32_t& code, std::int32_t inter) {
  switch (inter) {
    case 0:
    case 1:
      if (code < 0 || code > 3) {
        warninghead(s, kSwpinfo);
        s.out(" RUN INFO CODE OUT OF RANGE:");
        number_line(s, " run info code =", code, 5);
        number_line(s, " min =", 0, 5);
        number_line(s, " max =", 3, 5);
        code = 0;
        number_line(s, "==> RESET run info code =", code, 5);
        warningtail00(s);
      }
      break;
    case 2:
    case 3:
      code = s.runinfo3com.RUNINFOCODE;
      break;
    case 4:
    case 5:
      code = 0;
      if (inter == 5) {
        submenuhead(s, kSwpinfo);
        s.out(" INITIALISING RUN INFO");
      }
      break;
    default:
      break;
  }

  if (inter == 0 || inter == 2 || inter == 4) {
    submenuhead(s, kSwpinfo);
    s.out(Line(" ").rep('-', 43));
    s.out("    RUN INFORMATION TO WRITE AND PLOT");
    s.out(Line(" ").rep('-', 43));
    number_line(s, "run info code current value =", code, 5);
    s.out(" date+user+host+os+hardw+main+subr+cmnd...0");
    s.out(" date+user+host+os+hardw+main+subr     ...1");
    s.out(" date          +os+hardw+main+subr+cmnd...2");
    s.out(" date          +os+hardw+main+subr     ...3");
    menutail(s);
    std::int32_t ierr = 0;
    const Text<35> prompt("run info code");
    if (inintegvindef(s, code, prompt.sv(), code, 0, 3, ierr) == Answer::ended) stop_at_console_end(s);
  }

  if (inter >= 0 && inter <= 5) {
    s.runinfo3com.RUNINFOCODE = code;
  } else {
    warninghead(s, kSwpinfo);
    number_line(s, "inter =", inter, 5);
    s.out(" ===> NO ACTION");
    warningtail00(s);
  }
}

void getruninfo0(Session& s, MutText sysinfo, MutText proginfo) {
  const RunInfo3Com& ri = s.runinfo3com;

  std::string sys(trimmed(ri.OSTEXT.sv()));
  sys.append(" ").append(trimmed(ri.CPUTEXT.sv()));
  assign(sysinfo, sys);
  if (sysinfo.size() < sys.size()) {
    warninghead(s, kGetruninfo0);
    s.out(" System information string too short");
    number_line(s, "String length =", static_cast<long long>(sysinfo.size()), 4);
    number_line(s, "Needed length =", static_cast<long long>(sys.size()), 4);
    s.out(" => Truncated outpout");
    s.out(" String =");
    s.out(Line(" ").t(sv(sysinfo)));
    warningtail00(s);
  }

  if (ri.ROUTLEVEL < 1) {
    errorhead(s, kGetruninfo0);
    number_line(s, "Current routine level =", ri.ROUTLEVEL, 4);
    number_line(s, "Can store up to level =", kLevels, 4);
    s.out(" => No program information");
    errortail00(s);
    assign(proginfo, "*** ERROR in program info: routine level < 1 ***");
    return;
  }

  std::string prog(trimmed(ri.ROUTNAME[0].sv()));
  prog.append("_").append(trimmed(ri.ROUTVERS[0].sv()));
  if (!set_program(s, proginfo, prog)) return;

  const int last = ri.ROUTLEVEL <= kLevels ? ri.ROUTLEVEL : kLevels - 1;
  for (int level = 2; level <= last; ++level) {
    if (!set_program(s, proginfo, chained(proginfo, ri, level))) return;
  }

  if (ri.ROUTLEVEL > kLevels) {
    warninghead(s, kGetruninfo0);
    number_line(s, "Current subroutine level     =", ri.ROUTLEVEL, 4);
    number_line(s, "Information only up to level =", kLevels, 4);
    warningtail00(s);
    if (!set_program(s, proginfo, chained(proginfo, ri, kLevels) + " -> x")) return;
  }

  if (ri.RUNINFOCODE == 0 || ri.RUNINFOCODE == 2) {
    std::string with_command(trimmed(sv(proginfo)));
    with_command.append(" Command = ").append(std::to_string(ri.CMDNUMBER));
    set_program(s, proginfo, with_command);
  }
}

}  // namespace qx
