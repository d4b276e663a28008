#include "support/frames.hpp"

#include "support/text_utils.hpp"

namespace qx {

namespace {

constexpr RoutineId kInitsio2{"initsio2", "4.1 ", "2024-10-25"};
constexpr RoutineId kWritesio{"writesio", "2.1 ", "2024-10-25"};

void rule(Session& s, int unit, char c) { s.put(unit, Line(" ").rep(c, 50)); }

// "***" or "///", blanks, text, blanks and the closing mark: 51 columns.
void framed(Session& s, std::string_view mark, int left, std::string_view text, int right) {
  s.put(s.iocom.IUERROUT, Line(" ").t(mark).x(left).t(text).x(right).t(mark));
}

void named(Session& s, std::string_view mark, std::string_view routname) {
  s.put(s.iocom.IUERROUT, Line(" ").t(mark).x(10).t("subroutine ").a(routname, 13).x(10).t(mark));
}

// Waits for RETURN on the error input unit. The end of the console input
// ends the pause as RETURN would, and so does a failed read that ended it;
// only a failed read that can be followed by another asks again.
void pause(Session& s) {
  if (!s.iocom.LPAUSE) return;
  for (;;) {
    s.put(s.iocom.IUERROUT,
          s.iocom.LCMDF ? " ===> HIT RETURN TO RESUME COMMANDS" : " ===> HIT RETURN TO CONTINUE");
    Text<1> answer;
    if (s.units.read_line(s.iocom.IUERRIN, answer.span()) != platform::IoStatus::error) return;
    if (s.units.console_ended()) return;
  }
}

void menuhead(Session& s, std::string_view title, std::string_view routname, std::string_view routvers,
              std::string_view routdate) {
  Text<33> head;
  std::string joined(title);
  joined.append(routname);
  head = joined;
  // The version is shown trimmed behind a "v", at most 6 characters, in 5 columns.
  std::string vers("v");
  vers.append(routvers.empty() ? std::string_view() : trimmed(routvers));
  if (vers.size() > 6) vers.resize(6);
  while (!vers.empty() && vers.back() == ' ') vers.pop_back();
  const int out = s.iocom.IUSTDOUT;
  rule(s, out, '@');
  s.put(out, Line(" ").t(head).x(1).a(vers, 5).x(1).a(routdate, 10));
  s.put(out, Line(" @").rep('=', 49));
}

}  // namespace

void initsio2(Session& s, std::int32_t iflag) {
  IoCom& io = s.iocom;
  io.IUSTDIN = 5;
  io.IUSTDOUT = 6;
  io.IUERRIN = 5;
  io.IUERROUT = 6;
  io.LPLOTF = false;
  io.LCMDF = false;
  io.LWITO = {true, true, false};
  io.LPAUSE = true;
  submenuhead(s, kInitsio2);
  s.out(" INITIALIZING INPUT/OUTPUT");
  if (iflag == 0) writesio(s, io.IUSTDOUT);
}

void writesio(Session& s, std::int32_t iunit) {
  const IoCom& io = s.iocom;
  submenuhead(s, kWritesio);
  s.put(iunit, " INPUT/OUTPUT SET UP:");
  auto num = [&](std::string_view label, std::int32_t v) { s.put(iunit, Line(" ").t(label).x(1).i(v, 2)); };
  auto flag = [&](std::string_view label, bool v) { s.put(iunit, Line(" ").t(label).x(1).l(v, 2)); };
  num("standard  input unit        =", io.IUSTDIN);
  num("standard output unit        =", io.IUSTDOUT);
  num("error     input unit        =", io.IUERRIN);
  num("error    output unit        =", io.IUERROUT);
  flag("minimum output enabled      :", io.LWITO[0]);
  flag("more    output enabled      :", io.LWITO[1]);
  flag("maximum output enabled      :", io.LWITO[2]);
  flag("command file open status    :", io.LCMDF);
  if (io.LCMDF) {
    num("command file input unit     =", io.IUCMDF);
    num("command file input index    =", io.ICMDFIDX);
  }
  flag("plot    file open status    :", io.LPLOTF);
  flag("pause after warning or error:", io.LPAUSE);
  menutail(s);
}

void errorhead(Session& s, std::string_view routname, std::string_view, std::string_view) {
  const int u = s.iocom.IUERROUT;
  rule(s, u, '*');
  rule(s, u, '*');
  framed(s, "***", 44, "", 0);
  named(s, "***", routname);
  framed(s, "***", 19, "ERROR ", 19);
  framed(s, "***", 44, "", 0);
  rule(s, u, '*');
  rule(s, u, '*');
}

void errortail00(Session& s) {
  pause(s);
  const int u = s.iocom.IUERROUT;
  rule(s, u, '*');
  framed(s, "***", 17, "ERROR END ", 17);
  rule(s, u, '*');
}

void warninghead(Session& s, std::string_view routname, std::string_view, std::string_view) {
  const int u = s.iocom.IUERROUT;
  rule(s, u, '/');
  named(s, "///", routname);
  framed(s, "///", 18, "WARNING ", 18);
  rule(s, u, '/');
}

void warningtail00(Session& s) {
  pause(s);
  const int u = s.iocom.IUERROUT;
  rule(s, u, '/');
  framed(s, "///", 16, "WARNING END ", 16);
  rule(s, u, '/');
}

void mainmenuhead(Session& s, std::string_view routname, std::string_view routvers, std::string_view routdate) {
  menuhead(s, "@ main program ", routname, routvers, routdate);
}

void submenuhead(Session& s, std::string_view routname, std::string_view routvers, std::string_view routdate) {
  menuhead(s, "@ subroutine ", routname, routvers, routdate);
}

void menutail(Session& s) { rule(s, s.iocom.IUSTDOUT, '@'); }

}  // namespace qx
