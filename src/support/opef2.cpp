#include "support/opef2.hpp"

#include "platform/stop.hpp"
#include "support/frames.hpp"
#include "support/pictures.hpp"
#include "support/prompts.hpp"
#include "support/text_utils.hpp"

namespace qx {

namespace {

constexpr RoutineId kOpef2{"opef2", "5.3 ", "2024-10-22"};

// The longest name the prompt takes.
constexpr std::int32_t kAnswerLength = 80;

// The mode that opens without announcing itself.
constexpr std::int32_t kSilent = 7;

// The three lines that tell which open failed, inside a warning or error
// frame. The name is shown cleaned; the one offered again stays as typed.
void failed_open(Session& s, std::string_view label, const Text<250>& name, std::int32_t iunit) {
  Text<250> shown = name;
  clean_text(shown.span());
  s.out(Line(" COULD NOT OPEN ").t(label).t(" FILE"));
  s.out(Line(" File name = ").t(shown.sv()));
  s.out(Line(" for unit = ").i(iunit, 4));
}

}  // namespace

void opef2(Session& s, MutText fname, std::string_view label, std::int32_t iunit, std::string_view stat,
           std::int32_t inter) {
  Text<250> name(std::string_view(fname.data(), fname.size()));
  const std::string_view shown_label = trimmed(label);
  const Text<40> prompt(Line().t(shown_label).t(" file name"));
  for (;;) {
    if (inter != kSilent) {
      submenuhead(s, kOpef2);
      s.out(Line(" OPENING ").t(shown_label).t(" FILE"));
      menutail(s);
    }
    if (inter == 0) {
      std::int32_t ierr = 0;
      const Text<250> asked = name;
      bool longer = false;
      // The name is its own default: an empty answer tries it again.
      if (inchardef(s, name.span(), prompt, name, ierr, &longer) == Answer::ended) stop_at_console_end(s);
      if (longer) {
        // Its cut would name another file: no file is opened, let alone
        // created, under it, and it is not offered again.
        name = asked;
        warninghead(s, kOpef2);
        s.out(Line(" COULD NOT OPEN ").t(shown_label).t(" FILE"));
        s.out(Line(" File name longer than ").i(kAnswerLength, 2).t(" characters"));
        s.out(Line(" for unit = ").i(iunit, 4));
        s.out(" ===> RETRYING");
        warningtail00(s);
        continue;
      }
    }
    if (s.units.open(iunit, name, stat)) break;
    if (inter != 0) {
      errorhead(s, kOpef2);
      failed_open(s, shown_label, name, iunit);
      s.out(" ===> STOPPING EXECUTION");
      errortail00(s);
      sorryface(s);
      platform::stop_program(0);
    }
    warninghead(s, kOpef2);
    failed_open(s, shown_label, name, iunit);
    s.out(" ===> RETRYING");
    warningtail00(s);
  }
  std::int32_t nchar = 0;
  path2basename(nchar, fname, name);
}

}  // namespace qx
