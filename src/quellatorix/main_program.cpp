#include "quellatorix/main_program.hpp"

#include <exception>

#include "platform/stop.hpp"
#include "quellatorix/records.hpp"
#include "quellatorix/state.hpp"
#include "support/angles.hpp"
#include "support/frames.hpp"
#include "support/headtail.hpp"
#include "support/opef2.hpp"
#include "support/prompts.hpp"
#include "support/runinfo.hpp"
#include "support/text_utils.hpp"

namespace qx::program {

namespace {

void rule(Session& s) { s.out(Line(" ").rep('-', 43)); }

// A menu of two choices; the choice variable is answer and default at once.
void menu(Session& s, RunState& st, std::string_view heading, std::string_view one, std::string_view two,
          std::int32_t& choice) {
  mainmenuhead(s, kProgram);
  s.out(heading);
  s.out(one);
  s.out(two);
  menutail(s);
  std::int32_t ierr = 0;
  st.PROMPT = "your choice";
  if (inintegvindef(s, choice, st.PROMPT.sv(), choice, 1, 2, ierr) == Answer::ended) stop_at_console_end(s);
}

// The two header lines of a data file: false when they can't be read. A
// value left out (a line that starts with a slash or a comma) leaves the
// title blank, and a second line that starts so is dropped like any other:
// refusing the file for it would protect no value.
bool read_input_header(Session& s, RunState& st) {
  rule(s);
  s.out(" READING INPUT HEADER");
  rule(s);
  constexpr auto kLeftOut = platform::Omitted::kept;
  if (s.units.read_list(st.IUIN, {st.TITLE.span()}, kLeftOut) != platform::IoStatus::ok) return false;
  clean_text(st.TITLE.span());
  Text<1> dropped;
  return s.units.read_list(st.IUIN, {dropped.span()}, kLeftOut) == platform::IoStatus::ok;
}

void count_line(Session& s, std::string_view word, std::int64_t n) {
  s.out(Line(" ").t(word).x(1).i(n, 5).x(1).t("DATA"));
}

}  // namespace

void summary(Session& s, RunState& st) {
  submenuhead(s, kProgram);
  rule(s);
  count_line(s, "Read     ", st.NREAD);
  count_line(s, "Converted", st.NCONV);
  if (st.IINPUT == 1) {
    s.units.close(st.IUIN);
    s.out(Line(" input  file ").t(trimmed(st.INFILE.sv())).t(" closed"));
  }
  if (st.output_opened) {
    s.units.close(st.IUOUT);
    s.out(Line(" output file ").t(trimmed(st.OUTFILE.sv())).t(" closed"));
  }
  rule(s);
}

void quellatorix(Session& s) {
  initsio2(s, 5);
  smaininfo2(s, kProgram.name, kProgram.vers, kProgram.date);
  progheadwz2(s);
  std::int32_t code = 3;
  swpinfo(s, code, 1);
  trigoset(s);

  RunState st;
  Record rec;
  std::int32_t ierr = 0;

  menu(s, st, " INPUT IS FROM:", " File ...................................1",
       " Keyboard ...............................2", st.IINPUT);
  bool header_ok = true;
  if (st.IINPUT == 1) {
    st.IUIN = kInputFileUnit;
    st.PROMPT = "fracture data input";
    opef2(s, st.INFILE.span(), st.PROMPT.sv(), kInputFileUnit, "old", 0);
    // Shown in the header and the summary only, never opened again.
    clean_text(st.INFILE.span());
    header_ok = read_input_header(s, st);
  } else {
    st.IUIN = kKeyboardUnit;
    st.INFILE = "keyboard";
    st.TITLE = "keyboard input";
    st.PROMPT = "data title";
    if (inchardef(s, st.TITLE.span(), st.PROMPT.sv(), st.TITLE.sv(), ierr) == Answer::ended) stop_at_console_end(s);
    clean_text(st.TITLE.span());
  }

  if (header_ok) {
    menu(s, st, " DATA FORMAT:", " Alphanumerical : 30  'E'  60  'S' ......1",
         " Numerical :      30   90  60  180 ......2", st.IFORMAT);
    menu(s, st, " OUTPUT IS TO:", " File ...................................1",
         " Screen .................................2", st.IOUTPUT);
    if (st.IOUTPUT == 1) {
      st.IUOUT = kOutputFileUnit;
      st.PROMPT = "fracture data output";
      opef2(s, st.OUTFILE.span(), st.PROMPT.sv(), kOutputFileUnit, "new", 0);
      clean_text(st.OUTFILE.span());
      st.output_opened = true;
    } else {
      st.IUOUT = kScreenUnit;
    }
    st.LINTERACT = st.IINPUT == 2 && st.IOUTPUT == 2;
    output_header_step(s, st, rec);
    record_loop(s, st, rec);
  } else {
    errorhead(s, kProgram);
    s.out(" when trying to read header");
    errortail00(s);
  }

  summary(s, st);
  progtail2(s);
}

int run_quellatorix(Session& s) {
  int status = 0;
  try {
    quellatorix(s);
  } catch (const platform::Stop& stop) {
    status = stop.status;
  } catch (const std::exception& e) {
    // Whatever went wrong, the results written so far are closed and kept.
    s.units.write_line(6, std::string(" ===> INTERNAL ERROR: ") + e.what());
    status = 1;
  }
  if (!s.units.close_all() && status == 0) status = 1;
  return status;
}

}  // namespace qx::program
