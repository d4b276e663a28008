#include "support/opef2.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/stop.hpp"
#include "testkit/frame_texts.hpp"
#include "testkit/test_session.hpp"

namespace qx {
namespace {

using namespace testkit;

const std::string kIn = "fracture data input";
const std::string kOut = "fracture data output";
const std::string kInAsk = "fracture data input file name";

std::string padded(std::string text, std::size_t size) {
  text.resize(size, ' ');
  return text;
}

std::string announce(const std::string& label) {
  return menu_head(" @ subroutine opef2                 v5.3 2024-10-22\n") + " OPENING " + label + " FILE\n" + kAtRule;
}

// The name prompt without its explanations: a name typed, or RETURN for the default.
std::string asked(const std::string& prompt, const std::string& name, bool by_default = false) {
  return " Enter " + prompt + "\n" + (by_default ? " ichar =  32 => use default value\n" : "") +
         " New value = " + padded(name, 250) + "\n";
}

std::string failed(const std::string& label, const std::string& name, const std::string& unit) {
  return " COULD NOT OPEN " + label + " FILE\n File name = " + padded(name, 250) + "\n for unit = " + unit + "\n";
}

std::string warning(const std::string& label, const std::string& name, const std::string& unit) {
  return warning_head("        opef2") + failed(label, name, unit) + " ===> RETRYING\n" + kHitReturn + kWarningEnd;
}

// Runs opef2 expecting it to end the run; gives the stop status.
int stop_status(Session& s, MutText fname, std::string_view label, int unit, std::string_view stat, int inter) {
  try {
    opef2(s, fname, label, unit, stat, inter);
  } catch (const platform::Stop& stop) {
    return stop.status;
  }
  ADD_FAILURE() << "opef2 returned";
  return -1;
}

// The scratch folder holds in.txt ("Set A") and data/in.txt ("Set B"); the
// answers go without the explanations.
TEST(Opef2, DialogueAsksUntilAnOpenSucceeds) {
  const std::string nul("in.txt\0.bak", 11);
  const std::string long_label = "very long label for the fracture data input";  // 43 characters
  const std::string long_prompt = "very long label for the fracture data in";    // 40
  struct Case {
    const char* what;
    std::string typed, label;
    std::size_t room;  // the length of fname, which holds "quelta.txt" on entry
    std::string fname, first_line, out;
  };
  const Case cases[] = {
      {"base name cut to fname", "data/in.txt\n", kIn, 4, "in.t", "Set B",
       announce(kIn) + asked(kInAsk, "data/in.txt")},
      // A missing name, RETURN; the default (that name again), RETURN; a good name.
      {"missing, retried with its name as default", "missing.txt\n\n\n\nin.txt\n", kIn, 50, padded("in.txt", 50),
       "Set A",
       announce(kIn) + asked(kInAsk, "missing.txt") + warning(kIn, "missing.txt", "  25") + announce(kIn) +
           asked(kInAsk, "missing.txt", true) + warning(kIn, "missing.txt", "  25") + announce(kIn) +
           asked(kInAsk, "in.txt")},
      {"a NUL byte opens nothing", nul + "\n\nin.txt\n", kIn, 50, padded("in.txt", 50), "Set A",
       announce(kIn) + asked(kInAsk, nul) + warning(kIn, "in.txt .bak", "  25") + announce(kIn) +
           asked(kInAsk, "in.txt")},
      // The frame shows the name cleaned; the name offered again, and opened, is the one typed ("in  .txt" exists).
      {"control bytes shown as blanks", "in\t\x1b.txt\n\n\n\nin.txt\n", kIn, 50, padded("in.txt", 50), "Set A",
       announce(kIn) + asked(kInAsk, "in\t\x1b.txt") + warning(kIn, "in  .txt", "  25") + announce(kIn) +
           asked(kInAsk, "in\t\x1b.txt", true) + warning(kIn, "in  .txt", "  25") + announce(kIn) +
           asked(kInAsk, "in.txt")},
      {"long label cuts only the prompt", "nope.txt\n\nin.txt\n", "  " + long_label, 50, padded("in.txt", 50), "Set A",
       announce(long_label) + asked(long_prompt, "nope.txt") + warning(long_label, "nope.txt", "  25") +
           announce(long_label) + asked(long_prompt, "in.txt")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TestSession ts(c.typed);
    ts.s.iocom.LWITO[1] = false;
    ts.dir.write("in.txt", "Set A\n");
    ts.dir.write("in  .txt", "Set C\n");
    std::filesystem::create_directory(ts.dir.path() / "data");
    ts.dir.write("data/in.txt", "Set B\n");
    std::string fname = padded("quelta.txt", c.room);
    opef2(ts.s, MutText(fname.data(), fname.size()), c.label, 25, "old", 0);
    EXPECT_EQ(fname, c.fname);
    EXPECT_EQ(ts.take(), c.out);
    Text<5> line;
    EXPECT_EQ(ts.units.read_line(25, line.span()), platform::IoStatus::ok);
    EXPECT_EQ(line.sv(), c.first_line);
  }
}

TEST(Opef2, WithoutDialogueOpensTheNameGiven) {
  for (const int inter : {7, 1}) {
    TestSession ts("typed but never read\n");
    std::filesystem::create_directory(ts.dir.path() / "data");
    ts.dir.write("data/in.txt", "Set C\n");
    Text<50> fname("data/in.txt");
    opef2(ts.s, fname.span(), Text<50>(kIn), 25, "old", inter);
    EXPECT_EQ(fname.sv(), padded("in.txt", 50));
    EXPECT_EQ(ts.take(), inter == 7 ? "" : announce(kIn)) << inter;  // 7 alone opens without a word
    EXPECT_EQ(ts.console.lines_left(), 1u);
    EXPECT_TRUE(ts.units.is_open(25));
  }
}

// An error frame, its pause, the sad face, then a stop with status 0.
TEST(Opef2, FailedOpenWithoutDialogueStops) {
  struct Case {
    int inter;
    std::string label, name, stat;
    int unit;
    const char* unit_text;
    bool pause;
  };
  const Case cases[] = {{1, kIn, "missing.txt", "old", 25, "  25", true},
                        {7, kIn, "missing.txt", "old", 25, "  25", true},
                        {-3, kIn, "missing.txt", "old", 25, "  25", true},
                        {7, kOut, "quelta_out.txt", "new", 1234, "1234", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.inter);
    TestSession ts("\n");  // the RETURN of the pause
    ts.s.iocom.LPAUSE = c.pause;
    ts.dir.write("quelta_out.txt", "old results\n");
    Text<50> fname(c.name);
    EXPECT_EQ(stop_status(ts.s, fname.span(), Text<50>(c.label), c.unit, c.stat, c.inter), 0);
    EXPECT_EQ(fname.sv(), padded(c.name, 50));
    EXPECT_EQ(ts.take(), (c.inter == 7 ? "" : announce(c.label)) + error_head("        opef2") +
                             failed(c.label, c.name, c.unit_text) + " ===> STOPPING EXECUTION\n" +
                             (c.pause ? kHitReturn : "") + kErrorEnd + kSorryFace);
    EXPECT_EQ(ts.console.lines_left(), c.pause ? 0u : 1u);
    EXPECT_FALSE(ts.units.is_open(c.unit));
    EXPECT_EQ(ts.dir.read("quelta_out.txt"), "old results\n");
  }
}

// The pause of the warning meets the end; the next prompt then stops the run.
TEST(Opef2, EndOfInputAfterAFailedOpenStops) {
  TestSession ts("missing.txt\n");
  ts.s.iocom.LWITO[1] = false;
  Text<50> fname("quelta_in.txt");
  EXPECT_EQ(stop_status(ts.s, fname.span(), Text<50>(kIn), 25, "old", 0), 1);
  EXPECT_EQ(ts.take(), announce(kIn) + asked(kInAsk, "missing.txt") + warning(kIn, "missing.txt", "  25") +
                           announce(kIn) + " Enter " + kInAsk + "\n" +
                           error_frame("  inchardef  ", " could not read " + kInAsk + "\n ==> RETRYING\n") +
                           " ===> END OF CONSOLE INPUT: STOPPING EXECUTION\n");
  EXPECT_EQ(fname.sv(), padded("quelta_in.txt", 50));
}

}  // namespace
}  // namespace qx
