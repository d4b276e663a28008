#include "quellatorix/records.hpp"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <string>

#include "platform/fields.hpp"
#include "quellatorix/dip.hpp"
#include "support/angles.hpp"
#include "support/frames.hpp"
#include "support/probes.hpp"
#include "support/prompts.hpp"
#include "support/runinfo.hpp"
#include "support/text_utils.hpp"

namespace qx::program {

namespace {

constexpr float kTolerance = 0.0001f;
constexpr std::string_view kColumnNames = "'dipa1'\t'dipdir1'\t'dipa2'\t'dipdir2'\t'strike'\t'dip'\t'comment'";

void banner(Session& s, int unit, std::string_view text) {
  const Line rule = Line(" ").rep('-', 43);
  s.put(unit, rule);
  s.put(unit, Line(" ").t(text));
  s.put(unit, rule);
}

void help_screen(Session& s, std::int32_t format) {
  static constexpr std::string_view kAlpha[] = {
      " Alphanumerical format :",
      " case 2 dips :",
      "  (1) 1st apparent dip  [0, 90]",
      "  (2) 1st dip direction ('E','W','N','S')",
      "  (3) 2nd apparent dip  [0, 90]",
      "  (4) 2nd dip direction ('E','W','N','S')",
      " case 1 dip and 1 strike :",
      "  (1) 1st apparent dip  [0, 90]",
      "  (2) 1st dip direction ('E','W','N','S')",
      "  (3) strike            [-360, +360]",
      "  (4) strike indicator  ('A')",
      " -----------------------------------------",
      " Examples :",
      "   2 dips:              16 'E'  50 'N' ",
      "   1 dip and 1 strike:  16 'W' 200 'A' ",
  };
  static constexpr std::string_view kNum[] = {
      " Numerical format :",
      "  (1) 1st apparent dip  [0, 90]",
      "  (2) 1st dip direction [-360, +360]",
      "  (3) 2nd apparent dip  [0, 90]",
      "  (4) 2nd dip direction [-360, +360]",
      " -----------------------------------------",
      " Examples :",
      "   2 dips :              16  90 50   0",
      "   1 dip and 1 strike :  16 180  0 200",
  };
  mainmenuhead(s, kProgram);
  if (format == 1) {
    for (auto l : kAlpha) s.out(l);
  } else {
    for (auto l : kNum) s.out(l);
  }
  menutail(s);
}

void dotted(Session& s) { s.out(Line(" ").rep('.', 42)); }

void letter_line(Session& s, std::string_view label, const Text<1>& letter) {
  s.out(Line(" ").t(label).x(1).t(letter.sv()));
}

// Opens the frame of a failed check: comment, head and record line.
void fail(Session& s, const RunState& st, Record& rec, std::string_view comment) {
  rec.comment = comment;
  errorhead(s, kProgram);
  write_record_line(s, st.NREAD);
}

bool out_of_dip_range(float v) { return v < 0.0f || v > 90.0f; }

bool is_one_of(const Text<1>& t, std::string_view letters) {
  return letters.find(t[0]) != std::string_view::npos;
}

// An apparent dip within [0, 90]; which is "1st" or "2nd".
bool check_dip(Session& s, const RunState& st, Record& rec, float dip, std::string_view which) {
  if (!out_of_dip_range(dip)) return true;
  fail(s, st, rec, Line("error: ").t(which).t(" app dip out of [0,90]"));
  s.out(Line(" ").t(which).t(" dip out of [0,90]"));
  write_value_line(s, Line(which).t(" dip ="), dip);
  return false;
}

bool check_alphanumerical(Session& s, const RunState& st, Record& rec) {
  const Text<1>& d1 = rec.DDIR[0];
  const Text<1>& d2 = rec.DDIR[1];
  if (!is_one_of(d1, "EWSN")) {
    fail(s, st, rec, "error: 1st direction should be E,W,N,S");
    letter_line(s, "1st dip direction =", d1);
    s.out(" => 1st dip direction should be E,W,N,S");
    return false;
  }
  if (!is_one_of(d2, "EWSNA")) {
    fail(s, st, rec, "error: 2nd direction should be E,W,N,S,A");
    letter_line(s, "2nd dip direction =", d2);
    s.out(" => 2nd dip direction should be E,W,N,S,A");
    return false;
  }
  if ((is_one_of(d2, "EW") && !is_one_of(d1, "SN")) || (is_one_of(d2, "SN") && !is_one_of(d1, "EW"))) {
    fail(s, st, rec, "error: same dip direction [modulo 180], early detection");
    letter_line(s, "1st dip direction =", d1);
    letter_line(s, "2nd dip direction =", d2);
    s.out(" => Same directions modulo 180 deg");
    return false;
  }
  if (d2[0] != 'A' && !check_dip(s, st, rec, rec.dipa2, "2nd")) return false;
  return check_dip(s, st, rec, rec.dipa1, "1st");
}

bool check_numerical(Session& s, const RunState& st, Record& rec) {
  if (!check_dip(s, st, rec, rec.dipa2, "2nd")) return false;
  float m = rec.DIPDA[1] - rec.DIPDA[0];
  modulr(&m, &m, 180.0f, 1);
  if (std::fabs(m) < kTolerance || std::fabs(180.0f - m) < kTolerance) {
    fail(s, st, rec, "error: same dip direction [modulo 180], early detection");
    s.out(" The two data have same strike");
    write_value_line(s, "1st dip dir = dd1 =", rec.DIPDA[0]);
    write_value_line(s, "2nd dip dir = dd2 =", rec.DIPDA[1]);
    s.out(Line(" dd2 - dd1 = ").e(m, 10, 3).t(" [modulo 180]"));
    return false;
  }
  return check_dip(s, st, rec, rec.dipa1, "1st");
}

void results_banner(Session& s, const RunState& st) {
  if (!st.LINTERACT) return;
  banner(s, st.IUOUT, "RESULTS");
  s.put(st.IUOUT, kColumnNames);
}

void write_result(Session& s, const RunState& st, const Record& rec, bool converted) {
  thread_local std::string line;
  build_result_line(line, st, rec, converted);
  s.put(st.IUOUT, line);
}

}  // namespace

void build_result_line(std::string& line, const RunState& st, const Record& rec, bool converted) {
  // Built in place: this runs once for every record of the file.
  const std::string_view comment = trimmed(rec.comment.sv());
  line.resize(7 * 7 + comment.size());
  char* p = line.data();
  const char tab = st.TAB;
  auto letter = [&p](const Text<1>& l) {
    *p++ = '\'';
    *p++ = l[0];
    *p++ = '\'';
  };
  p = field::fixed_into(p, rec.dipa1, 6, 1);
  *p++ = tab;
  if (st.IFORMAT == 1) {
    letter(rec.DDIR[0]);
  } else {
    p = field::fixed_into(p, rec.DIPDA[0], 6, 1);
  }
  *p++ = tab;
  p = field::fixed_into(p, rec.dipa2, 6, 1);
  *p++ = tab;
  if (st.IFORMAT == 1) {
    letter(rec.DDIR[1]);
  } else {
    p = field::fixed_into(p, rec.DIPDA[1], 6, 1);
  }
  *p++ = tab;
  if (converted) {
    p = field::fixed_into(p, rec.strike, 6, 1);
    *p++ = tab;
    p = field::fixed_into(p, rec.dip, 6, 1);
  } else {
    p = std::fill_n(p, 6, ' ');
    *p++ = tab;
    p = std::fill_n(p, 6, ' ');
  }
  *p++ = tab;
  p = std::copy(comment.begin(), comment.end(), p);
  line.resize(static_cast<std::size_t>(p - line.data()));
}

void output_header_step(Session& s, RunState& st, Record& rec) {
  if (!st.LINTERACT) {
    banner(s, s.iocom.IUSTDOUT, "WRITING OUTPUT HEADER");
    Text<10> date;
    Text<8> time;
    date10_time8(s, date.span(), time.span());
    getruninfo0(s, st.PROMPT.span(), rec.comment.span());
    std::string head("'");
    head.append(trimmed(st.TITLE.sv()));
    head.push_back('\'');
    head.push_back(st.TAB);
    head.append("input file = ");
    head.append(trimmed(st.INFILE.sv()));
    head.append("   ");
    head.append(trimmed(rec.comment.sv()));
    head.append("   ");
    head.append(trimmed(st.PROMPT.sv()));
    head.append("   Run on ");
    head.append(date.sv());
    head.append(" at ");
    head.append(time.sv());
    s.put(st.IUOUT, head);
    s.put(st.IUOUT, kColumnNames);
  }
  banner(s, s.iocom.IUSTDOUT, "READING INPUT DATA");
}

bool check_record(Session& s, const RunState& st, Record& rec) {
  return st.IFORMAT == 1 ? check_alphanumerical(s, st, rec) : check_numerical(s, st, rec);
}

void result_step(Session& s, RunState& st, Record& rec) {
  ++st.NCONV;
  results_banner(s, st);
  write_result(s, st, rec, true);
}

void failed_record_step(Session& s, RunState& st, Record& rec) {
  s.out(" ===> NO CONVERSION");
  errortail00(s);
  results_banner(s, st);
  write_result(s, st, rec, false);
}

void record_loop(Session& s, RunState& st, Record& rec) {
  const bool keyboard = st.IINPUT == 2;
  for (;;) {
    if (keyboard) {
      std::int32_t ierr = 0;
      st.PROMPT = "End input and exit";
      // The end of the console input ends the keyboard input like a yes.
      if (inlogicdef(s, st.LEND, st.PROMPT.sv(), st.LEND, ierr) == Answer::ended) st.LEND = true;
      if (st.LEND) return;
      help_screen(s, st.IFORMAT);
      dotted(s);
      s.out(" Enter data :");
    }
    platform::IoStatus read;
    if (st.IFORMAT == 1) {
      read = s.units.read_list(st.IUIN, {&rec.dipa1, rec.DDIR[0].span(), &rec.dipa2, rec.DDIR[1].span()});
    } else {
      read = s.units.read_list(st.IUIN, {&rec.dipa1, &rec.DIPDA[0], &rec.dipa2, &rec.DIPDA[1]});
    }
    if (read == platform::IoStatus::eof) return;
    if (read == platform::IoStatus::error) {
      errorhead(s, kProgram);
      s.out(Line(" when trying to read ").n(st.NREAD + 1, 5).t(" th data"));
      errortail00(s);
      return;
    }
    if (st.IFORMAT == 1) {
      clean_letter(rec.DDIR[0]);
      clean_letter(rec.DDIR[1]);
    }
    if (keyboard) dotted(s);
    ++st.NREAD;
    rec.comment = "";
    if (!check_record(s, st, rec)) {
      failed_record_step(s, st, rec);
      continue;
    }
    if (dip_computation(s, st, rec) == Outcome::converted) {
      result_step(s, st, rec);
    } else {
      failed_record_step(s, st, rec);
    }
  }
}

}  // namespace qx::program
