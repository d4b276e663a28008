#include "support/headtail.hpp"

#include <array>
#include <cstdint>
#include <string>

#include "platform/line.hpp"
#include "support/pictures.hpp"
#include "support/probes.hpp"
#include "support/text_utils.hpp"

namespace qx {

namespace {

constexpr std::array<std::string_view, 2> kAuthor{"Written by", "the quellatorix developers"};
constexpr std::array<std::string_view, 5> kHome{"The quellatorix project", "Structural geology tools",
                                                 "Strike and true dip", "of fracture planes",
                                                 "from apparent dips"};

void at_rule(Session& s) { s.out(Line(" ").rep('@', 50)); }
void blank_line(Session& s) { s.out(Line(" @").x(48).t("@")); }
void hyphen_line(Session& s) { s.out(Line(" @").rep('-', 48).t("@")); }

// A text centred between the frames; an odd blank goes to the left.
void centred(Session& s, std::string_view text) {
  const int spare = 48 - static_cast<int>(text.size());
  const int left = (spare + 1) / 2;
  s.out(Line(" @").x(left).t(text).x(spare - left).t("@"));
}

// Seconds, or minutes beyond 120 seconds, or hours beyond 120 minutes.
float ladder(float t, std::string_view& unit) {
  unit = "seconds";
  if (t <= 120.0f) return t;
  t = t / 60.0f;
  unit = "minutes";
  if (t <= 120.0f) return t;
  unit = "hours  ";
  return t / 60.0f;
}

void time_line(Session& s, std::string_view label, float value, std::string_view unit) {
  s.out(Line(" @ ").a(label, 14).x(1).f(value, 9, 3).x(1).a(unit, 7).x(15).t("@"));
}

void picture(Session& s, char last) {
  switch (last) {
    case '0': happyface(s); break;
    case '1': sator(s); break;
    case '2': carmag33(s); break;
    case '3': endfun1(s); break;
    case '4': tetrakis(s); break;
    case '5': tetratemple1(s); break;
    case '6': tetratemple2(s); break;
    case '7': graben(s); break;
    case '8': horst(s); break;
    default: tetrakis(s); break;
  }
}

}  // namespace

void progheadwz2(Session& s) {
  const RunInfo3Com& ri = s.runinfo3com;
  const Text<4> vers(trimmed(ri.ROUTVERS[0].sv()));
  at_rule(s);
  blank_line(s);
  s.out(Line(" @").a("MAIN PROGRAM:", 23).x(1).a(ri.ROUTNAME[0].sv(), 20).x(4).t("@"));
  s.out(Line(" @").a("Version:", 23).x(1).t(vers.sv()).x(20).t("@"));
  s.out(Line(" @").a("Date:", 23).x(1).a(ri.ROUTDATE[0].sv(), 10).x(14).t("@"));
  blank_line(s);
  hyphen_line(s);
  blank_line(s);
  s.out(Line(" @").x(7).t("Starting on ").t(ri.STARTDATE.sv()).t(" at ").t(ri.STARTTIME.sv()).x(7).t("@"));
  if (ri.RUNINFOCODE == 0 || ri.RUNINFOCODE == 1) {
    s.out(Line(" @").a("User:", 11).x(1).a(ri.USERTEXT.sv(), 10).x(26).t("@"));
    s.out(Line(" @").a("Host:", 11).x(1).a(ri.HOSTTEXT.sv(), 35).x(1).t("@"));
  }
  s.out(Line(" @").a("System:", 11).x(1).a(ri.OSTEXT.sv(), 13).x(23).t("@"));
  s.out(Line(" @").a("CPU:", 11).x(1).a(ri.CPUTEXT.sv(), 30).x(6).t("@"));
  blank_line(s);
  hyphen_line(s);
  blank_line(s);
  for (std::string_view line : kAuthor) centred(s, line);
  blank_line(s);
  for (std::string_view line : kHome) centred(s, line);
  blank_line(s);
  s.out(" @      Report of any problem is appreciated      @");
  blank_line(s);
  hyphen_line(s);
  s.out(" @             HIT RETURN TO CONTINUE             @");
  at_rule(s);
  // One line, whatever it holds; the end of the input or a failed read ends
  // the wait too, since asking again could wait for ever.
  Text<1> answer;
  (void)s.units.read_line(s.iocom.IUSTDIN, answer.span());
}

void progtail2(Session& s) {
  const RunInfo3Com& ri = s.runinfo3com;
  std::string vers = "Version: ";
  vers.append(trimmed(ri.ROUTVERS[0].sv()));
  at_rule(s);
  s.out(Line(" @ MAIN PROGRAM ").a(ri.ROUTNAME[0].sv(), 20).a(vers, 13).x(1).t("@"));
  s.out(Line(" @ STARTED    ON ").t(ri.STARTDATE.sv()).t(" AT ").t(ri.STARTTIME.sv()).x(11).t("@"));
  Text<10> end_date;
  Text<8> end_time;
  date10_time8(s, end_date.span(), end_time.span());
  s.out(Line(" @ TERMINATED ON ").t(end_date.sv()).t(" AT ").t(end_time.sv()).x(11).t("@"));

  int count = 0;
  int rate = 0;
  int count_max = 0;
  s.services.system_clock(count, rate, count_max);
  std::string_view unit;
  if (rate == 0) {
    s.out(" @ Could not compute elapsed system clock time    @");
  } else {
    // A count at or below the start has wrapped once; 64 bits hold the sum.
    std::int64_t end = count;
    if (count <= ri.CLOCKSTART) end += count_max;
    const std::int64_t ticks = end - ri.CLOCKSTART;
    const float t = static_cast<float>(ticks) / static_cast<float>(rate);
    const float elapsed = ladder(t, unit);
    time_line(s, "ELAPSED TIME =", elapsed, unit);
    float w = static_cast<float>(count_max) / static_cast<float>(rate);
    unit = "seconds";
    if (!(w <= 120.0f)) {
      w = w / 60.0f;
      unit = "minutes";
    }
    time_line(s, "        modulo", w, unit);
  }
  const float p = s.services.cpu_time() - ri.CPUSTART;
  const float cpu = ladder(p, unit);
  time_line(s, "CPU TIME     =", cpu, unit);
  hyphen_line(s);
  picture(s, end_time[7]);
  at_rule(s);
}

}  // namespace qx
