#include "support/prompts.hpp"

#include <gtest/gtest.h>

#include <string>

#include "testkit/frame_texts.hpp"
#include "testkit/test_session.hpp"

namespace qx {
namespace {

using testkit::error_frame;
using testkit::TestSession;

const std::string kDots = " ..........................................\n";

// The console as a row sets it: failed reads first, then the typed lines.
void set_up(TestSession& ts, int failed_reads, std::string_view typed, bool verbose) {
  for (int i = 0; i < failed_reads; ++i) ts.console.fail_next_read();
  ts.console.type(typed);
  ts.s.iocom.LWITO[1] = verbose;
}

std::string padded(std::string text, std::size_t size) {
  text.resize(size, ' ');
  return text;
}

// Every row asks with the prompt "  data title  "; the value is its own default.
TEST(Inchardef, AnswersAndDefaults) {
  const std::string ask = " Enter data title\n";
  const std::string unreadable = error_frame("  inchardef  ", " could not read data title\n ==> RETRYING\n");
  const std::string by_default = " ichar =  32 => use default value\n";
  const std::string a40(40, 'a');
  const std::string a80 = a40 + std::string(40, 'b');
  struct Case {
    const char* what;
    int failed_reads;
    std::string typed;
    bool verbose;
    std::string before, after;  // the value, its whole length
    Answer answer;
    std::string out;
    bool longer = false;  // the answer went on beyond its 80 characters
  };
  const Case cases[] = {
      {"all-blank default shows one blank", 0, "\n", true, "    ", "    ", Answer::ok,
       kDots + ask + " or return for default value\n Default =  \n" + by_default + " New value =     \n" + kDots},
      {"a leading blank takes the default", 0, " something else\n", false, "old       ", "old       ", Answer::ok,
       ask + by_default + " New value = old       \n"},
      {"answer padded to the value", 0, "Fault set 3\n", false, padded("old", 20), "Fault set 3         ", Answer::ok,
       ask + " New value = Fault set 3         \n"},
      {"answer cut to the value", 0, a80 + "ccccc\n", false, padded("old", 40), a40, Answer::ok,
       ask + " New value = " + a40 + "\n", true},
      {"answer cut to 80", 0, a80 + "ccccc\n", false, padded("old", 250), padded(a80, 250), Answer::ok,
       ask + " New value = " + padded(a80, 250) + "\n", true},
      {"80 and blanks are not longer", 0, a80 + "     \n", false, padded("old", 250), padded(a80, 250), Answer::ok,
       ask + " New value = " + padded(a80, 250) + "\n"},
      {"a letter after blanks beyond 80 is", 0, "abc" + std::string(90, ' ') + "x\n", false, padded("old", 250),
       padded("abc", 250), Answer::ok, ask + " New value = " + padded("abc", 250) + "\n", true},
      {"a long answer that takes the default is not", 0, " " + a80 + "ccccc\n", false, "old       ", "old       ",
       Answer::ok, ask + by_default + " New value = old       \n"},
      {"failed read", 1, "\nabc\n", false, "old       ", "abc       ", Answer::ok,
       ask + unreadable + ask + " New value = abc       \n"},
      {"end of input", 0, "", true, "old       ", "old       ", Answer::ended,
       kDots + ask + " or return for default value\n Default = old\n" + unreadable},
      {"end of input in the pause", 1, "", false, "old       ", "old       ", Answer::ended, ask + unreadable},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TestSession ts;
    set_up(ts, c.failed_reads, c.typed, c.verbose);
    std::string value = c.before;
    std::int32_t ierr = 7;
    bool longer = !c.longer;
    EXPECT_EQ(inchardef(ts.s, MutText(value.data(), value.size()), "  data title  ", value, ierr, &longer), c.answer);
    EXPECT_EQ(ierr, 0);
    if (c.answer == Answer::ok) {
      EXPECT_EQ(longer, c.longer);
    }
    EXPECT_EQ(value, c.after);
    EXPECT_EQ(ts.take(), c.out);
  }
}

TEST(Inintegvindef, RangeLineIsSizedByTheBounds) {
  struct Case {
    int lo, hi;
    const char* line;
  };
  const Case cases[] = {
      {-5, 100, " inside  [-5,100]"}, {0, 999999, " inside  [0, 999999]"}, {-999999, 9, " inside  [ -999999,9]"}};
  for (const Case& c : cases) {
    TestSession ts(std::to_string(c.lo) + "\n");
    int v = c.hi;
    std::int32_t ierr = 0;
    EXPECT_EQ(inintegvindef(ts.s, v, "n", v, c.lo, c.hi, ierr), Answer::ok);
    EXPECT_EQ(v, c.lo);
    EXPECT_EQ(testkit::lines_of(ts.take()).at(2), c.line);
  }
}

// Each answer is followed by RETURN for a pause and the answer 1.
TEST(Inintegvindef, FreeFormAnswersInsideTheBounds) {
  enum Outcome { taken, unreadable, outside };
  struct Case {
    std::string answer;
    int value;
    Outcome outcome;
  };
  const Case cases[] = {
      {"2", 2, taken},           {"+2", 2, taken},       {"-5", -5, taken},       {"2 abc", 2, taken},
      {"2,7", 2, taken},         {"\t2", 2, taken},      {"-10", -10, taken},     {"10", 10, taken},
      {"11", 1, outside},        {"-11", 1, outside},    {"abc", 1, unreadable},  {"2.5", 1, unreadable},
      {"2x", 1, unreadable},     {",2", 1, unreadable},  {"/", 1, unreadable},    {"99999999999", 1, unreadable},
      {std::string(19, '0') + "34", 3, taken},  // only 20 characters are read
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    TestSession ts(c.answer + "\n\n1\n");
    ts.s.iocom.LWITO[1] = false;
    int v = 0;
    std::int32_t ierr = 0;
    EXPECT_EQ(inintegvindef(ts.s, v, "n", v, -10, 10, ierr), Answer::ok);
    EXPECT_EQ(v, c.value);
    const std::string out = ts.take();
    EXPECT_EQ(out.find(" could not read n\n") != std::string::npos, c.outcome == unreadable);
    EXPECT_EQ(out.find(" outside [-10,10]\n") != std::string::npos, c.outcome == outside);
  }
}

// The value starts at 0, the default is 2.
TEST(Inintegvindef, Transcripts) {
  const std::string ask = " Enter your choice\n inside  [1,2]\n";
  const std::string unreadable = error_frame("inintegvindef", " could not read your choice\n ==> RETRYING\n");
  struct Case {
    const char* what;
    int failed_reads;
    std::string typed;
    bool verbose;
    int value;
    Answer answer;
    std::string out;
    bool longer = false;  // the answer went on beyond its 80 characters
  };
  const Case cases[] = {
      {"default, verbose", 0, "\n", true, 2, Answer::ok,
       kDots + ask + " or return for default value\n Default =            2\n New value =             2\n" + kDots},
      {"a leading blank takes the default", 0, "   7\n", false, 2, Answer::ok, ask + " New value =             2\n"},
      {"not a number", 0, "abc\n\n1\n", false, 1, Answer::ok, ask + unreadable + ask + " New value =             1\n"},
      {"failed read", 1, "\n1\n", false, 1, Answer::ok, ask + unreadable + ask + " New value =             1\n"},
      {"end of input", 0, "", false, 0, Answer::ended, ask + unreadable},
      {"end of input in the pause", 0, "abc\n", false, 0, Answer::ended, ask + unreadable},
      {"end after a rejected value, kept", 0, "7\n", false, 7, Answer::ended,
       ask + error_frame("inintegvindef", " your choice =            7\n outside [1,2]\n") + ask + unreadable},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TestSession ts;
    set_up(ts, c.failed_reads, c.typed, c.verbose);
    int v = 0;
    const int def = 2;
    std::int32_t ierr = 9;
    EXPECT_EQ(inintegvindef(ts.s, v, Text<50>("your choice"), def, 1, 2, ierr), c.answer);
    EXPECT_EQ(ierr, 0);
    EXPECT_EQ(v, c.value);
    EXPECT_EQ(ts.take(), c.out);
  }
}

TEST(Inlogicdef, FirstCharacterDecides) {
  struct Case {
    const char* answer;
    bool def, value;
  };
  const Case cases[] = {
      {"Y", false, true}, {"y", false, true}, {"1", false, true},          {"n", true, false},
      {"N", true, false}, {"0", true, false}, {"yes please", false, true}, {"no thanks", true, false},
      {"", true, true},   {"", false, false}, {" y", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("answer '") + c.answer + "' default " + (c.def ? "true" : "false"));
    TestSession ts(std::string(c.answer) + "\n");
    ts.s.iocom.LWITO[1] = false;
    bool v = c.def;
    std::int32_t ierr = 3;
    EXPECT_EQ(inlogicdef(ts.s, v, "End input and exit", v, ierr), Answer::ok);
    EXPECT_EQ(v, c.value);
    EXPECT_EQ(ierr, 0);
    EXPECT_EQ(ts.take(), std::string(" End input and exit ?\n New value =  ") + (c.value ? "Yes" : "No ") + "\n");
  }
}

// The prompt carries trailing blanks; the value starts false, the default is true.
TEST(Inlogicdef, Transcripts) {
  const std::string ask = " End input and exit ?\n";
  const std::string help = testkit::menu_head(" @ subroutine inlogicdef            v1.4 2024-02-05\n") +
                           "    To         type           \n"
                           " -----------------------------\n"
                           " get help      h or H         \n"
                           " answer Yes    y or Y or 1    \n"
                           " answer No     n or N or 0    \n"
                           " use default   Carriage Return\n" +
                           testkit::kAtRule;
  const std::string incorrect = error_frame("  inlogicdef ", " incorrect answer: x\n ==> ASKING AGAIN\n") + help;
  // The whole prompt, its trailing blanks included.
  const std::string unreadable =
      error_frame("  inlogicdef ", " could not read answer to End input and exit       \n ==> ASKING AGAIN\n");
  struct Case {
    const char* what;
    int failed_reads;
    std::string typed;
    bool value;
    Answer answer;
    std::string out;
    bool longer = false;  // the answer went on beyond its 80 characters
  };
  const Case cases[] = {
      {"incorrect, help, default", 0, "x\n\nH\n\n", true, Answer::ok,
       ask + incorrect + ask + help + ask + " New value =  Yes\n"},
      {"failed read", 1, "\n0\n", false, Answer::ok, ask + unreadable + ask + " New value =  No \n"},
      {"end of input", 0, "", false, Answer::ended, ask + unreadable},
      {"end of input in the pause", 0, "x\n", false, Answer::ended, ask + incorrect + ask + unreadable},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TestSession ts;
    set_up(ts, c.failed_reads, c.typed, false);
    bool v = false;
    const bool def = true;
    std::int32_t ierr = 0;
    EXPECT_EQ(inlogicdef(ts.s, v, Text<25>("End input and exit"), def, ierr), c.answer);
    EXPECT_EQ(v, c.value);
    EXPECT_EQ(ts.take(), c.out);
  }
}

}  // namespace
}  // namespace qx
