#include "support/opef2.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/memory_console.hpp"
#include "platform/memory_file_system.hpp"
#include "platform/stop.hpp"
#include "support/text_utils.hpp"
#include "testkit/fake_services.hpp"
#include "testkit/test_session.hpp"

namespace qx {
namespace {

using testkit::TestSession;

const std::string kDots = " " + std::string(42, '.');
const std::string kAts = " " + std::string(50, '@');
const std::string kStars = " " + std::string(50, '*');
const std::string kSlashes = " " + std::string(50, '/');
const std::string kReturn = " ===> HIT RETURN TO CONTINUE\n";

const std::string kInLabel = "fracture data input";
const std::string kOutLabel = "fracture data output";

const std::string kAnnounceHead = kAts + "\n @ subroutine opef2" + std::string(15, ' ') + "  v5.3 2024-10-22\n @" +
                                  std::string(49, '=') + "\n";

std::string announce(const std::string& label) {
  return kAnnounceHead + " OPENING " + label + " FILE\n" + kAts + "\n";
}

// The name prompt, verbose, answered by typing a name.
std::string asked(const std::string& prompt, const std::string& shown_default, const std::string& typed) {
  return kDots + "\n Enter " + prompt + "\n or return for default value\n Default = " + shown_default +
         "\n New value = " + typed + std::string(250 - typed.size(), ' ') + "\n" + kDots + "\n";
}

// The same prompt answered with an empty line.
std::string asked_default(const std::string& prompt, const std::string& shown_default) {
  return kDots + "\n Enter " + prompt + "\n or return for default value\n Default = " + shown_default +
         "\n ichar =  32 => use default value\n New value = " + shown_default +
         std::string(250 - shown_default.size(), ' ') + "\n" + kDots + "\n";
}

std::string failure_lines(const std::string& label, const std::string& name, const std::string& unit) {
  return " COULD NOT OPEN " + label + " FILE\n File name = " + name + std::string(250 - name.size(), ' ') +
         "\n for unit = " + unit + "\n";
}

std::string warning(const std::string& label, const std::string& name, const std::string& unit) {
  return kSlashes + "\n ///" + std::string(10, ' ') + "subroutine         opef2" + std::string(10, ' ') + "///\n ///" +
         std::string(18, ' ') + "WARNING " + std::string(18, ' ') + "///\n" + kSlashes + "\n" +
         failure_lines(label, name, unit) + " ===> RETRYING\n" + kReturn + kSlashes + "\n ///" +
         std::string(16, ' ') + "WARNING END " + std::string(16, ' ') + "///\n" + kSlashes + "\n";
}

std::string error_head(const std::string& name13) {
  const std::string side = " ***";
  return kStars + "\n" + kStars + "\n" + side + std::string(44, ' ') + "***\n" + side + std::string(10, ' ') +
         "subroutine " + name13 + std::string(10, ' ') + "***\n" + side + std::string(19, ' ') + "ERROR " +
         std::string(19, ' ') + "***\n" + side + std::string(44, ' ') + "***\n" + kStars + "\n" + kStars + "\n";
}

const std::string kErrorTail = kReturn + kStars + "\n ***" + std::string(17, ' ') + "ERROR END " +
                               std::string(17, ' ') + "***\n" + kStars + "\n";

const std::string kSorryFace =
    "  \n"
    "                    &&&&&&&&&&&&            \n"
    "                &&                &&        \n"
    "             &&                      &&     \n"
    "           &&                          &&   \n"
    "          &&                            &&  \n"
    "         &&                              && \n"
    "         &        &&&          &&&        & \n"
    "        &&        &&&          &&&        &&\n"
    "        &&                                &&\n"
    "        &&                                &&\n"
    "        &&                                &&\n"
    "         &          &&&&&&&&&&&&          & \n"
    "         &&      &&&            &&&      && \n"
    "          &&   &&                  &&   &&  \n"
    "           &&                          &&   \n"
    "             &&                      &&     \n"
    "                &&                &&        \n"
    "                    &&&&&&&&&&&&            \n"
    "  \n";

const std::string kConsoleEnd = " ===> END OF CONSOLE INPUT: STOPPING EXECUTION\n";

std::string first_line(TestSession& ts, int unit) {
  Text<20> line;
  EXPECT_EQ(ts.units.read_line(unit, line.span()), platform::IoStatus::ok);
  return std::string(trimmed(line.sv()));
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

// ------------------------------------------------------------- the dialogue

TEST(Opef2, NameInASubFolderGivesTheBaseName) {
  TestSession ts("data/in.txt\n");
  std::filesystem::create_directory(ts.dir.path() / "data");
  ts.dir.write("data/in.txt", "Set A\nx\n");
  Text<50> infile("quelta_in.txt");
  opef2(ts.s, infile.span(), Text<50>(kInLabel), 25, "old", 0);
  EXPECT_EQ(infile.sv(), "in.txt" + std::string(44, ' '));
  EXPECT_EQ(first_line(ts, 25), "Set A");
  EXPECT_EQ(ts.take(), announce(kInLabel) + asked("fracture data input file name", "quelta_in.txt", "data/in.txt"));
}

TEST(Opef2, MissingFileIsRetriedWithTheFailedNameAsDefault) {
  // A missing name, RETURN; the default (that name again), RETURN; a good name.
  TestSession ts("missing.txt\n\n\n\nin.txt\n");
  ts.dir.write("in.txt", "Set B\n");
  Text<50> infile("quelta_in.txt");
  opef2(ts.s, infile.span(), Text<50>(kInLabel), 25, "old", 0);
  EXPECT_EQ(infile.sv(), "in.txt" + std::string(44, ' '));
  EXPECT_EQ(first_line(ts, 25), "Set B");
  const std::string prompt = "fracture data input file name";
  EXPECT_EQ(ts.take(), announce(kInLabel) + asked(prompt, "quelta_in.txt", "missing.txt") +
                           warning(kInLabel, "missing.txt", "  25") + announce(kInLabel) +
                           asked_default(prompt, "missing.txt") + warning(kInLabel, "missing.txt", "  25") +
                           announce(kInLabel) + asked(prompt, "missing.txt", "in.txt"));
}

TEST(Opef2, ExistingFileIsNeverOverwrittenAsNew) {
  TestSession ts("out.txt\n\nfresh.txt\n");
  ts.dir.write("out.txt", "keep me\n");
  Text<50> outfile("quelta_out.txt");
  opef2(ts.s, outfile.span(), Text<50>(kOutLabel), 26, "new", 0);
  EXPECT_EQ(outfile.sv(), "fresh.txt" + std::string(41, ' '));
  const std::string prompt = "fracture data output file name";
  EXPECT_EQ(ts.take(), announce(kOutLabel) + asked(prompt, "quelta_out.txt", "out.txt") +
                           warning(kOutLabel, "out.txt", "  26") + announce(kOutLabel) +
                           asked(prompt, "out.txt", "fresh.txt"));
  ts.units.write_line(26, "result");
  ts.units.close(26);
  EXPECT_EQ(ts.dir.read("out.txt"), "keep me\n");
  EXPECT_EQ(ts.dir.read("fresh.txt"), "result\n");
}

TEST(Opef2, FolderIsNotAnOldFile) {
  TestSession ts("data\n\ndata/\n\nin.txt\n");
  std::filesystem::create_directory(ts.dir.path() / "data");
  ts.dir.write("in.txt", "");
  Text<50> infile("quelta_in.txt");
  opef2(ts.s, infile.span(), Text<50>(kInLabel), 25, "old", 0);
  EXPECT_EQ(infile.sv(), "in.txt" + std::string(44, ' '));
  const std::string prompt = "fracture data input file name";
  EXPECT_EQ(ts.take(), announce(kInLabel) + asked(prompt, "quelta_in.txt", "data") +
                           warning(kInLabel, "data", "  25") + announce(kInLabel) + asked(prompt, "data", "data/") +
                           warning(kInLabel, "data/", "  25") + announce(kInLabel) +
                           asked(prompt, "data/", "in.txt"));
}

TEST(Opef2, NameWithANulByteOpensNothing) {
  const std::string bad("out.txt\0.bak", 12);
  TestSession ts(bad + "\n\nfresh.txt\n");
  Text<50> outfile("quelta_out.txt");
  opef2(ts.s, outfile.span(), Text<50>(kOutLabel), 26, "new", 0);
  EXPECT_EQ(outfile.sv(), "fresh.txt" + std::string(41, ' '));
  const std::string prompt = "fracture data output file name";
  EXPECT_EQ(ts.take(), announce(kOutLabel) + asked(prompt, "quelta_out.txt", bad) +
                           warning(kOutLabel, bad, "  26") + announce(kOutLabel) + asked(prompt, bad, "fresh.txt"));
  EXPECT_FALSE(ts.dir.exists("out.txt"));

  TestSession old(std::string("in.txt\0", 7) + "\n\nin.txt\n");
  old.s.iocom.LWITO[1] = false;
  old.dir.write("in.txt", "");
  Text<50> infile("quelta_in.txt");
  opef2(old.s, infile.span(), Text<50>(kInLabel), 25, "old", 0);
  EXPECT_NE(old.take().find(" ===> RETRYING\n"), std::string::npos);
}

TEST(Opef2, LongLabelCutsOnlyThePrompt) {
  const std::string label = "very long label for the fracture data input";  // 43 characters
  TestSession ts("nope.txt\n\nin.txt\n");
  ts.dir.write("in.txt", "");
  Text<50> infile("quelta_in.txt");
  opef2(ts.s, infile.span(), Text<60>("  " + label), 25, "old", 0);
  const std::string prompt = "very long label for the fracture data in";  // 40 characters
  EXPECT_EQ(ts.take(), announce(label) + asked(prompt, "quelta_in.txt", "nope.txt") +
                           warning(label, "nope.txt", "  25") + announce(label) + asked(prompt, "nope.txt", "in.txt"));
}

TEST(Opef2, QuietDialogue) {
  TestSession ts("in.txt\n");
  ts.s.iocom.LWITO[1] = false;
  ts.dir.write("in.txt", "");
  Text<50> infile("quelta_in.txt");
  opef2(ts.s, infile.span(), Text<50>(kInLabel), 25, "old", 0);
  EXPECT_EQ(ts.take(), announce(kInLabel) + " Enter fracture data input file name\n New value = in.txt" +
                           std::string(244, ' ') + "\n");
}

TEST(Opef2, BaseNameIsCutToFname) {
  TestSession ts("deep/a_rather_long_name.txt\n");
  ts.s.iocom.LWITO[1] = false;
  std::filesystem::create_directory(ts.dir.path() / "deep");
  ts.dir.write("deep/a_rather_long_name.txt", "");
  Text<6> fname("in");
  opef2(ts.s, fname.span(), kInLabel, 25, "old", 0);
  EXPECT_EQ(fname.sv(), "a_rath");
  EXPECT_TRUE(ts.units.is_open(25));
}

// ------------------------------------------------------ without the dialogue

TEST(Opef2, SilentModeOpensWithoutAWord) {
  TestSession ts;
  std::filesystem::create_directory(ts.dir.path() / "data");
  ts.dir.write("data/in.txt", "Set C\n");
  Text<50> infile("data/in.txt");
  opef2(ts.s, infile.span(), Text<50>(kInLabel), 25, "old", 7);
  EXPECT_EQ(infile.sv(), "in.txt" + std::string(44, ' '));
  EXPECT_EQ(first_line(ts, 25), "Set C");
  EXPECT_EQ(ts.take(), "");
}

TEST(Opef2, OtherModeAnnouncesButDoesNotAsk) {
  TestSession ts("typed but never read\n");
  ts.dir.write("in.txt", "Set D\n");
  Text<50> infile("in.txt");
  opef2(ts.s, infile.span(), Text<50>(kInLabel), 25, "old", 1);
  EXPECT_EQ(infile.sv(), "in.txt" + std::string(44, ' '));
  EXPECT_EQ(ts.take(), announce(kInLabel));
  EXPECT_EQ(ts.console.lines_left(), 1u);
}

TEST(Opef2, FailedOpenWithoutDialogueStops) {
  struct Case {
    int inter;
    bool announced;
  };
  for (const Case c : {Case{1, true}, Case{7, false}, Case{-3, true}}) {
    SCOPED_TRACE(c.inter);
    TestSession ts("\n");  // the RETURN of the pause
    Text<50> infile("missing.txt");
    EXPECT_EQ(stop_status(ts.s, infile.span(), Text<50>(kInLabel), 25, "old", c.inter), 0);
    EXPECT_EQ(infile.sv(), "missing.txt" + std::string(39, ' '));
    EXPECT_EQ(ts.take(), (c.announced ? announce(kInLabel) : "") + error_head("        opef2") +
                             failure_lines(kInLabel, "missing.txt", "  25") + " ===> STOPPING EXECUTION\n" +
                             kErrorTail + kSorryFace);
    EXPECT_EQ(ts.console.lines_left(), 0u);
    EXPECT_FALSE(ts.units.is_open(25));
  }
}

TEST(Opef2, ExistingFileAsNewStopsWithoutDialogue) {
  TestSession ts;
  ts.s.iocom.LPAUSE = false;
  ts.dir.write("quelta_out.txt", "old results\n");
  Text<50> outfile("quelta_out.txt");
  EXPECT_EQ(stop_status(ts.s, outfile.span(), Text<50>(kOutLabel), 1234, "new", 7), 0);
  EXPECT_EQ(ts.take(), error_head("        opef2") + failure_lines(kOutLabel, "quelta_out.txt", "1234") +
                           " ===> STOPPING EXECUTION\n" + kErrorTail.substr(kReturn.size()) + kSorryFace);
  EXPECT_EQ(ts.dir.read("quelta_out.txt"), "old results\n");
}

// ------------------------------------------------------------- the base name

TEST(Opef2, NameEndingInASlashKeepsIt) {
  // No real file system opens such a name as a file; one held in memory does.
  platform::MemoryConsole console;
  platform::MemoryFileSystem files;
  files.files["logs/run 1/"] = "x\n";
  platform::Units units(console, files);
  testkit::FakeServices services;
  Session s(units, services);
  s.iocom.IUSTDOUT = 6;
  Text<30> fname("logs/run 1/");
  opef2(s, fname.span(), kInLabel, 25, "old", 7);
  EXPECT_EQ(fname.sv(), "run 1/" + std::string(24, ' '));
}

// ---------------------------------------------------- end of console input

TEST(Opef2, EndOfInputAtTheNamePromptStops) {
  TestSession ts;
  Text<50> infile("quelta_in.txt");
  EXPECT_EQ(stop_status(ts.s, infile.span(), Text<50>(kInLabel), 25, "old", 0), 1);
  EXPECT_EQ(infile.sv(), "quelta_in.txt" + std::string(37, ' '));
  EXPECT_EQ(ts.take(), announce(kInLabel) + kDots +
                           "\n Enter fracture data input file name\n or return for default value\n"
                           " Default = quelta_in.txt\n" +
                           error_head("  inchardef  ") +
                           " could not read fracture data input file name\n ==> RETRYING\n" + kErrorTail +
                           kConsoleEnd);
  EXPECT_FALSE(ts.units.is_open(25));
}

TEST(Opef2, EndOfInputAfterAFailedOpenStops) {
  TestSession ts("missing.txt\n");  // the pause of the warning meets the end
  ts.s.iocom.LWITO[1] = false;
  Text<50> infile("quelta_in.txt");
  EXPECT_EQ(stop_status(ts.s, infile.span(), Text<50>(kInLabel), 25, "old", 0), 1);
  EXPECT_EQ(ts.take(), announce(kInLabel) + " Enter fracture data input file name\n New value = missing.txt" +
                           std::string(239, ' ') + "\n" + warning(kInLabel, "missing.txt", "  25") +
                           announce(kInLabel) + " Enter fracture data input file name\n" +
                           error_head("  inchardef  ") +
                           " could not read fracture data input file name\n ==> RETRYING\n" + kErrorTail +
                           kConsoleEnd);
}

}  // namespace
}  // namespace qx
