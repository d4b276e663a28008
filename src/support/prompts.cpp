#include "support/prompts.hpp"

#include "platform/list_read.hpp"
#include "platform/stop.hpp"
#include "support/frames.hpp"
#include "support/text_utils.hpp"

namespace qx {

namespace {

constexpr RoutineId kInchardef{"inchardef  ", " 1.5", "2024-02-05"};
constexpr RoutineId kInintegvindef{"inintegvindef", " 1.4", "2024-02-05"};
constexpr RoutineId kInlogicdef{"inlogicdef ", " 1.4", "2024-02-05"};

// The explanatory lines follow the more-output switch as it is now, so a
// switch changed between passes takes effect at once.
bool verbose(const Session& s) { return s.iocom.LWITO[1]; }

void dotted_rule(Session& s) { s.out(Line(" ").rep('.', 42)); }

// A line feed, carriage return or blank in first place takes the default.
bool takes_default(char c) { return c == '\n' || c == '\r' || c == ' '; }

// The console has ended for good: asking again could never be answered.
bool input_ended(const Session& s, platform::IoStatus st) {
  return st == platform::IoStatus::eof || s.units.console_ended();
}

void could_not_read(Session& s, const RoutineId& id, std::string_view first, std::string_view last) {
  errorhead(s, id);
  s.out(first);
  s.out(last);
  errortail00(s);
}

std::string_view yes_no(bool v) { return v ? "Yes" : "No "; }

void help_table(Session& s) {
  submenuhead(s, kInlogicdef);
  s.out("    To         type           ");
  s.out(" -----------------------------");
  s.out(" get help      h or H         ");
  s.out(" answer Yes    y or Y or 1    ");
  s.out(" answer No     n or N or 0    ");
  s.out(" use default   Carriage Return");
  menutail(s);
}

}  // namespace

Answer inchardef(Session& s, MutText value, std::string_view text, std::string_view default_, std::int32_t& ierr,
                 bool* longer) {
  ierr = 0;
  const std::string_view prompt = trimmed(text);
  const std::string_view shown_default = trimmed(default_);
  for (;;) {
    if (verbose(s)) dotted_rule(s);
    s.out(Line(" Enter ").t(prompt));
    if (verbose(s)) {
      s.out(" or return for default value");
      s.out(Line(" Default = ").t(shown_default));
    }
    Text<80> answer;
    const platform::IoStatus st = s.units.read_line(s.iocom.IUSTDIN, answer.span(), longer);
    if (st != platform::IoStatus::ok) {
      could_not_read(s, kInchardef, Line(" could not read ").t(prompt), " ==> RETRYING");
      if (input_ended(s, st)) return Answer::ended;
      continue;
    }
    if (takes_default(answer[0])) {
      s.out(Line(" ichar = ").i(static_cast<unsigned char>(answer[0]), 3).t(" => use default value"));
      // The default may be the value itself: assign moves, never copies forward.
      assign(value, default_);
      if (longer != nullptr) *longer = false;  // the answer is not taken
    } else {
      assign(value, answer.sv());
    }
    s.out(Line(" New value = ").t(std::string_view(value.data(), value.size())));
    if (verbose(s)) dotted_rule(s);
    return Answer::ok;
  }
}

Answer inintegvindef(Session& s, std::int32_t& iv, std::string_view text, const std::int32_t& ivdef,
                     std::int32_t ivmin, std::int32_t ivmax, std::int32_t& ierr) {
  ierr = 0;
  const std::string_view prompt = trimmed(text);
  std::int32_t w1 = 0;
  std::int32_t w2 = 0;
  integlen(w1, ivmin);
  integlen(w2, ivmax);
  const Line range = Line("[").i(ivmin, w1).t(",").i(ivmax, w2).t("]");
  for (;;) {
    if (verbose(s)) dotted_rule(s);
    s.out(Line(" Enter ").t(prompt));
    s.out(Line(" inside  ").t(range));
    if (verbose(s)) {
      s.out(" or return for default value");
      // ivdef is read afresh: when it is iv itself it shows a rejected value.
      s.out(Line(" Default = ").i(ivdef, 12));
    }
    Text<20> answer;
    const platform::IoStatus st = s.units.read_line(s.iocom.IUSTDIN, answer.span());
    bool usable = st == platform::IoStatus::ok;
    if (usable) {
      if (takes_default(answer[0])) {
        iv = ivdef;
      } else {
        int got = iv;
        const platform::ListItem item{&got};
        usable = platform::read_list_text(answer.sv(), {&item, 1}) == platform::IoStatus::ok;
        if (usable) iv = got;
      }
    }
    if (!usable) {
      could_not_read(s, kInintegvindef, Line(" could not read ").t(prompt), " ==> RETRYING");
      if (input_ended(s, st)) return Answer::ended;
      continue;
    }
    if (iv < ivmin || iv > ivmax) {
      errorhead(s, kInintegvindef);
      s.out(Line(" ").t(prompt).t(" = ").i(iv, 12));
      s.out(Line(" outside ").t(range));
      errortail00(s);
      continue;
    }
    s.out(Line(" New value =  ").i(iv, 12));
    if (verbose(s)) dotted_rule(s);
    return Answer::ok;
  }
}

Answer inlogicdef(Session& s, bool& value, std::string_view text, const bool& default_, std::int32_t& ierr) {
  ierr = 0;
  // Fixed on entry: the value written below may be the default itself.
  const bool fallback = default_;
  const std::string_view default_text = yes_no(fallback);
  const std::string_view prompt = trimmed(text);
  for (;;) {
    if (verbose(s)) dotted_rule(s);
    s.out(Line(" ").t(prompt).t(" ?"));
    if (verbose(s)) {
      s.out(" Enter (0/1)(n/y)(N/Y) to answer");
      s.out(" or return for default value or h for help");
      s.out(Line(" Default = ").t(default_text));
    }
    Text<1> answer;
    const platform::IoStatus st = s.units.read_line(s.iocom.IUSTDIN, answer.span());
    if (st != platform::IoStatus::ok) {
      could_not_read(s, kInlogicdef, Line(" could not read answer to ").t(text), " ==> ASKING AGAIN");
      if (input_ended(s, st)) return Answer::ended;
      continue;
    }
    const char c = answer[0];
    if (c == 'y' || c == 'Y' || c == '1') {
      value = true;
    } else if (c == 'n' || c == 'N' || c == '0') {
      value = false;
    } else if (takes_default(c)) {
      value = fallback;
    } else if (c == 'h' || c == 'H') {
      help_table(s);
      continue;
    } else {
      errorhead(s, kInlogicdef);
      s.out(Line(" incorrect answer: ").t(std::string_view(&c, 1)));
      s.out(" ==> ASKING AGAIN");
      errortail00(s);
      help_table(s);
      continue;
    }
    s.out(Line(" New value =  ").t(yes_no(value)));
    if (verbose(s)) dotted_rule(s);
    return Answer::ok;
  }
}

void stop_at_console_end(Session& s) {
  s.out(" ===> END OF CONSOLE INPUT: STOPPING EXECUTION");
  platform::stop_program(1);
}

}  // namespace qx
