#include "support/prompts.hpp"

#include <gtest/gtest.h>

#include <string>

#include "platform/stop.hpp"
#include "testkit/test_session.hpp"

namespace qx {
namespace {

using testkit::TestSession;

const std::string kDots = " " + std::string(42, '.');
const std::string kStars = " " + std::string(50, '*');
const std::string kAts = " " + std::string(50, '@');

// An error head naming a routine whose name fills name13 (13 columns).
std::string error_head(const std::string& name13) {
  const std::string side = " ***";
  return kStars + "\n" + kStars + "\n" + side + std::string(44, ' ') + "***\n" + side + std::string(10, ' ') +
         "subroutine " + name13 + std::string(10, ' ') + "***\n" + side + std::string(19, ' ') + "ERROR " +
         std::string(19, ' ') + "***\n" + side + std::string(44, ' ') + "***\n" + kStars + "\n" + kStars + "\n";
}

const std::string kErrorTail = " ===> HIT RETURN TO CONTINUE\n" + kStars + "\n ***" + std::string(17, ' ') +
                               "ERROR END " + std::string(17, ' ') + "***\n" + kStars + "\n";

const std::string kCharHead = error_head("  inchardef  ");
const std::string kIntHead = error_head("inintegvindef");
const std::string kLogicHead = error_head("  inlogicdef ");

const std::string kHelpTable = kAts +
                               "\n"
                               " @ subroutine inlogicdef            v1.4 2024-02-05\n"
                               " @=================================================\n"
                               "    To         type           \n"
                               " -----------------------------\n"
                               " get help      h or H         \n"
                               " answer Yes    y or Y or 1    \n"
                               " answer No     n or N or 0    \n"
                               " use default   Carriage Return\n" +
                               kAts + "\n";

// ---------------------------------------------------------------- inchardef

TEST(Inchardef, EmptyLineTakesTheDefaultWithTheExplanations) {
  TestSession ts("\n");
  Text<40> title("keyboard input");
  const Text<50> prompt("data title");
  std::int32_t ierr = 7;
  EXPECT_EQ(inchardef(ts.s, title.span(), prompt, title, ierr), Answer::ok);
  EXPECT_EQ(ierr, 0);
  EXPECT_EQ(title.sv(), "keyboard input                          ");
  EXPECT_EQ(ts.take(), kDots +
                           "\n"
                           " Enter data title\n"
                           " or return for default value\n"
                           " Default = keyboard input\n"
                           " ichar =  32 => use default value\n"
                           " New value = keyboard input                          \n" +
                           kDots + "\n");
}

TEST(Inchardef, QuietLineBeginningWithABlankTakesTheDefault) {
  TestSession ts(" something else\n");
  ts.s.iocom.LWITO[1] = false;
  Text<40> title("keyboard input");
  std::int32_t ierr = 0;
  EXPECT_EQ(inchardef(ts.s, title.span(), Text<50>("data title"), title, ierr), Answer::ok);
  EXPECT_EQ(title.sv(), "keyboard input                          ");
  EXPECT_EQ(ts.take(),
            " Enter data title\n"
            " ichar =  32 => use default value\n"
            " New value = keyboard input                          \n");
}

TEST(Inchardef, QuietAnswerIsEchoedWithoutTheIcharLine) {
  TestSession ts("Fault set 3\n");
  ts.s.iocom.LWITO[1] = false;
  Text<20> title("keyboard input");
  std::int32_t ierr = 0;
  EXPECT_EQ(inchardef(ts.s, title.span(), "  data title  ", title, ierr), Answer::ok);
  EXPECT_EQ(title.sv(), "Fault set 3         ");
  EXPECT_EQ(ts.take(),
            " Enter data title\n"
            " New value = Fault set 3         \n");
}

TEST(Inchardef, LongAnswerIsCutToTheValue) {
  const std::string answer = std::string(40, 'a') + std::string(40, 'b') + "ccccc";
  TestSession ts(answer + "\n");
  ts.s.iocom.LWITO[1] = false;
  Text<40> title("keyboard input");
  std::int32_t ierr = 0;
  EXPECT_EQ(inchardef(ts.s, title.span(), "data title", title, ierr), Answer::ok);
  EXPECT_EQ(title.sv(), std::string(40, 'a'));
  EXPECT_EQ(ts.take(), " Enter data title\n New value = " + std::string(40, 'a') + "\n");
}

TEST(Inchardef, LongValueIsPaddedAndEchoedInFull) {
  TestSession ts("data/run1.txt\n");
  Text<250> name("quelta_in.txt");
  const Text<40> prompt("input file name");
  std::int32_t ierr = 0;
  EXPECT_EQ(inchardef(ts.s, name.span(), prompt, name, ierr), Answer::ok);
  EXPECT_EQ(name.sv(), "data/run1.txt" + std::string(237, ' '));
  EXPECT_EQ(ts.take(), kDots +
                           "\n"
                           " Enter input file name\n"
                           " or return for default value\n"
                           " Default = quelta_in.txt\n"
                           " New value = data/run1.txt" +
                           std::string(237, ' ') + "\n" + kDots + "\n");
}

TEST(Inchardef, AllBlankDefaultShowsOneBlank) {
  TestSession ts("\n");
  Text<4> value("    ");
  std::int32_t ierr = 0;
  EXPECT_EQ(inchardef(ts.s, value.span(), "name", value, ierr), Answer::ok);
  EXPECT_EQ(ts.take(), kDots +
                           "\n"
                           " Enter name\n"
                           " or return for default value\n"
                           " Default =  \n"
                           " ichar =  32 => use default value\n"
                           " New value =     \n" +
                           kDots + "\n");
}

TEST(Inchardef, ReadErrorIsReportedAndAskedAgain) {
  TestSession ts;
  ts.s.iocom.LWITO[1] = false;
  ts.console.fail_next_read();
  ts.console.type("\nabc\n");  // RETURN for the pause, then the answer
  Text<10> value("old");
  std::int32_t ierr = 0;
  EXPECT_EQ(inchardef(ts.s, value.span(), "data title", value, ierr), Answer::ok);
  EXPECT_EQ(value.sv(), "abc       ");
  EXPECT_EQ(ts.take(), " Enter data title\n" + kCharHead +
                           " could not read data title\n"
                           " ==> RETRYING\n" +
                           kErrorTail +
                           " Enter data title\n"
                           " New value = abc       \n");
}

TEST(Inchardef, EndOfInputReportsOnceAndLeavesTheValue) {
  TestSession ts;
  Text<10> value("old");
  std::int32_t ierr = 5;
  EXPECT_EQ(inchardef(ts.s, value.span(), "data title", value, ierr), Answer::ended);
  EXPECT_EQ(ierr, 0);
  EXPECT_EQ(value.sv(), "old       ");
  EXPECT_EQ(ts.take(), kDots +
                           "\n"
                           " Enter data title\n"
                           " or return for default value\n"
                           " Default = old\n" +
                           kCharHead +
                           " could not read data title\n"
                           " ==> RETRYING\n" +
                           kErrorTail);
  EXPECT_TRUE(ts.units.console_ended());
}

// The pause of the frame meets the end: that frame is the last, no prompt follows.
TEST(Inchardef, EndOfInputInThePauseAfterAReadError) {
  TestSession ts;
  ts.s.iocom.LWITO[1] = false;
  ts.console.fail_next_read();  // and nothing more
  Text<10> value("old");
  std::int32_t ierr = 0;
  EXPECT_EQ(inchardef(ts.s, value.span(), "data title", value, ierr), Answer::ended);
  EXPECT_EQ(value.sv(), "old       ");
  EXPECT_EQ(ts.take(), " Enter data title\n" + kCharHead + " could not read data title\n ==> RETRYING\n" + kErrorTail);
}

// ------------------------------------------------------------ inintegvindef

TEST(Inintegvindef, RangeLineIsSizedByTheBounds) {
  struct Case {
    int lo, hi;
    const char* range;
  };
  const Case cases[] = {
      {1, 2, "[1,2]"},           {0, 3, "[0,3]"},   {-5, 100, "[-5,100]"},
      {0, 999999, "[0, 999999]"}, {-999999, 9, "[ -999999,9]"},
      {-10, 10, "[-10,10]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.range);
    TestSession ts(std::to_string(c.lo) + "\n");
    ts.s.iocom.LWITO[1] = false;
    int v = c.hi;
    std::int32_t ierr = 0;
    EXPECT_EQ(inintegvindef(ts.s, v, "your choice", v, c.lo, c.hi, ierr), Answer::ok);
    EXPECT_EQ(v, c.lo);
    const auto lines = testkit::lines_of(ts.take());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], " Enter your choice");
    EXPECT_EQ(lines[1], std::string(" inside  ") + c.range);
  }
}

TEST(Inintegvindef, RejectedValueBecomesTheNextDefault) {
  TestSession ts("3\n\n\n\n2\n");  // 3, RETURN, empty answer, RETURN, 2
  int choice = 1;
  const Text<50> prompt("your choice");
  std::int32_t ierr = 0;
  EXPECT_EQ(inintegvindef(ts.s, choice, prompt, choice, 1, 2, ierr), Answer::ok);
  EXPECT_EQ(choice, 2);
  const std::string ask_default_1 = kDots +
                                    "\n"
                                    " Enter your choice\n"
                                    " inside  [1,2]\n"
                                    " or return for default value\n"
                                    " Default =            1\n";
  const std::string ask_default_3 = kDots +
                                    "\n"
                                    " Enter your choice\n"
                                    " inside  [1,2]\n"
                                    " or return for default value\n"
                                    " Default =            3\n";
  const std::string rejected = kIntHead +
                               " your choice =            3\n"
                               " outside [1,2]\n" +
                               kErrorTail;
  EXPECT_EQ(ts.take(), ask_default_1 + rejected + ask_default_3 + rejected + ask_default_3 +
                           " New value =             2\n" + kDots + "\n");
}

TEST(Inintegvindef, DefaultInsideTheRangeIsTaken) {
  TestSession ts("   7\n");  // a leading blank takes the default, whatever follows
  ts.s.iocom.LWITO[1] = false;
  int code = 3;
  std::int32_t ierr = 0;
  EXPECT_EQ(inintegvindef(ts.s, code, Text<35>("run info code"), code, 0, 3, ierr), Answer::ok);
  EXPECT_EQ(code, 3);
  EXPECT_EQ(ts.take(),
            " Enter run info code\n"
            " inside  [0,3]\n"
            " New value =             3\n");
}

TEST(Inintegvindef, NotANumberIsReportedAndAskedAgain) {
  TestSession ts("abc\n\n2\n");
  ts.s.iocom.LWITO[1] = false;
  int choice = 1;
  std::int32_t ierr = 0;
  EXPECT_EQ(inintegvindef(ts.s, choice, "your choice", choice, 1, 2, ierr), Answer::ok);
  EXPECT_EQ(choice, 2);
  EXPECT_EQ(ts.take(), " Enter your choice\n inside  [1,2]\n" + kIntHead +
                           " could not read your choice\n"
                           " ==> RETRYING\n" +
                           kErrorTail +
                           " Enter your choice\n"
                           " inside  [1,2]\n"
                           " New value =             2\n");
}

TEST(Inintegvindef, FreeFormAnswers) {
  struct Case {
    const char* answer;
    bool readable;
    int value;
  };
  const Case cases[] = {
      {"2", true, 2},           {"+2", true, 2},         {"-5", true, -5},
      {"2 abc", true, 2},       {"2,7", true, 2},        {"\t2", true, 2},
      {"0000000000000000002", true, 2},
      {"abc", false, 0},        {"2.5", false, 0},       {"2x", false, 0},
      {"99999999999", false, 0}, {",2", false, 0},       {"/", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    TestSession ts(std::string(c.answer) + "\n\n1\n");
    ts.s.iocom.LWITO[1] = false;
    int v = 1;
    std::int32_t ierr = 0;
    EXPECT_EQ(inintegvindef(ts.s, v, "n", v, -10, 10, ierr), Answer::ok);
    const std::string out = ts.take();
    EXPECT_EQ(out.find("could not read n") != std::string::npos, !c.readable);
    if (c.readable) {
      EXPECT_EQ(v, c.value);
    }
  }
}

TEST(Inintegvindef, OnlyTwentyCharactersAreRead) {
  // The 21st character would make the number too long; it is never seen.
  TestSession ts(std::string(19, '0') + "12\n");
  ts.s.iocom.LWITO[1] = false;
  int v = 5;
  std::int32_t ierr = 0;
  EXPECT_EQ(inintegvindef(ts.s, v, "n", v, 0, 9, ierr), Answer::ok);
  EXPECT_EQ(v, 1);
}

TEST(Inintegvindef, BoundsAreAccepted) {
  for (int answer : {-5, 100}) {
    TestSession ts(std::to_string(answer) + "\n");
    ts.s.iocom.LWITO[1] = false;
    int v = 0;
    std::int32_t ierr = 0;
    EXPECT_EQ(inintegvindef(ts.s, v, "n", v, -5, 100, ierr), Answer::ok);
    EXPECT_EQ(v, answer);
  }
  for (int answer : {-6, 101}) {
    TestSession ts(std::to_string(answer) + "\n\n0\n");
    ts.s.iocom.LWITO[1] = false;
    int v = 0;
    std::int32_t ierr = 0;
    EXPECT_EQ(inintegvindef(ts.s, v, "n", v, -5, 100, ierr), Answer::ok);
    EXPECT_NE(ts.take().find(" outside [-5,100]\n"), std::string::npos) << answer;
  }
}

TEST(Inintegvindef, SeparateDefaultIsShownAndTaken) {
  TestSession ts("\n");
  int v = 0;
  const int def = -2;
  std::int32_t ierr = 0;
  EXPECT_EQ(inintegvindef(ts.s, v, "n", def, -2, 2, ierr), Answer::ok);
  EXPECT_EQ(v, -2);
  EXPECT_EQ(ts.take(), kDots +
                           "\n"
                           " Enter n\n"
                           " inside  [-2,2]\n"
                           " or return for default value\n"
                           " Default =           -2\n"
                           " New value =            -2\n" +
                           kDots + "\n");
}

TEST(Inintegvindef, ReadErrorIsReportedAndAskedAgain) {
  TestSession ts;
  ts.s.iocom.LWITO[1] = false;
  ts.console.fail_next_read();
  ts.console.type("\n1\n");
  int v = 2;
  std::int32_t ierr = 0;
  EXPECT_EQ(inintegvindef(ts.s, v, "your choice", v, 1, 2, ierr), Answer::ok);
  EXPECT_EQ(v, 1);
  EXPECT_EQ(ts.take(), " Enter your choice\n inside  [1,2]\n" + kIntHead +
                           " could not read your choice\n"
                           " ==> RETRYING\n" +
                           kErrorTail +
                           " Enter your choice\n"
                           " inside  [1,2]\n"
                           " New value =             1\n");
}

TEST(Inintegvindef, EndOfInputReportsOnceAndLeavesTheValue) {
  TestSession ts;
  ts.s.iocom.LWITO[1] = false;
  int v = 2;
  std::int32_t ierr = 9;
  EXPECT_EQ(inintegvindef(ts.s, v, "your choice", v, 1, 2, ierr), Answer::ended);
  EXPECT_EQ(ierr, 0);
  EXPECT_EQ(v, 2);
  EXPECT_EQ(ts.take(), " Enter your choice\n inside  [1,2]\n" + kIntHead +
                           " could not read your choice\n"
                           " ==> RETRYING\n" +
                           kErrorTail);
}

TEST(Inintegvindef, EndOfInputAfterARejectedValueKeepsIt) {
  TestSession ts("7\n\n");  // 7, RETURN, then nothing more
  ts.s.iocom.LWITO[1] = false;
  int v = 1;
  std::int32_t ierr = 0;
  EXPECT_EQ(inintegvindef(ts.s, v, "your choice", v, 1, 2, ierr), Answer::ended);
  EXPECT_EQ(v, 7);
}

// An answer that is not a number ends with its own frame when the pause
// meets the end; a value out of range is asked again, and that ask ends.
TEST(Inintegvindef, EndOfInputInThePauseAfterABadAnswer) {
  const std::string ask = " Enter your choice\n inside  [1,2]\n";
  const std::string unreadable = kIntHead + " could not read your choice\n ==> RETRYING\n" + kErrorTail;
  struct Case {
    const char* typed;
    std::string transcript;
    int value;
  };
  const Case cases[] = {
      {"abc\n", ask + unreadable, 1},
      {"7\n", ask + kIntHead + " your choice =            7\n outside [1,2]\n" + kErrorTail + ask + unreadable, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    TestSession ts(c.typed);
    ts.s.iocom.LWITO[1] = false;
    int v = 1;
    std::int32_t ierr = 0;
    EXPECT_EQ(inintegvindef(ts.s, v, "your choice", v, 1, 2, ierr), Answer::ended);
    EXPECT_EQ(v, c.value);
    EXPECT_EQ(ts.take(), c.transcript);
  }
}

// --------------------------------------------------------------- inlogicdef

TEST(Inlogicdef, FirstCharacterDecides) {
  struct Case {
    const char* answer;
    bool def;
    bool value;
  };
  const Case cases[] = {
      {"Y", false, true},          {"y", false, true},         {"1", false, true},
      {"n", true, false},          {"N", true, false},         {"0", true, false},
      {"yes please", false, true}, {"no thanks", true, false}, {"", true, true},
      {"", false, false},          {" y", false, false},       {"\r", true, true},
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

TEST(Inlogicdef, HelpTableWithoutAnErrorFrame) {
  TestSession ts("h\ny\n");
  bool end = false;
  const Text<50> prompt("End input and exit");
  std::int32_t ierr = 0;
  EXPECT_EQ(inlogicdef(ts.s, end, prompt, end, ierr), Answer::ok);
  EXPECT_TRUE(end);
  const std::string ask = kDots +
                          "\n"
                          " End input and exit ?\n"
                          " Enter (0/1)(n/y)(N/Y) to answer\n"
                          " or return for default value or h for help\n"
                          " Default = No \n";
  EXPECT_EQ(ts.take(), ask + kHelpTable + ask + " New value =  Yes\n" + kDots + "\n");
}

TEST(Inlogicdef, IncorrectAnswerThenHelpTable) {
  TestSession ts("x\n\nH\nmaybe\n\n\n");
  ts.s.iocom.LWITO[1] = false;
  bool end = true;
  std::int32_t ierr = 0;
  EXPECT_EQ(inlogicdef(ts.s, end, "End input and exit", end, ierr), Answer::ok);
  EXPECT_TRUE(end);
  const std::string ask = " End input and exit ?\n";
  auto incorrect = [&](const std::string& c) {
    return kLogicHead + " incorrect answer: " + c + "\n ==> ASKING AGAIN\n" + kErrorTail + kHelpTable;
  };
  EXPECT_EQ(ts.take(), ask + incorrect("x") + ask + kHelpTable + ask + incorrect("m") + ask + " New value =  Yes\n");
}

TEST(Inlogicdef, ReadErrorNamesTheWholePrompt) {
  TestSession ts;
  ts.s.iocom.LWITO[1] = false;
  ts.console.fail_next_read();
  ts.console.type("\n0\n");
  bool end = true;
  const Text<25> prompt("End input and exit");
  std::int32_t ierr = 0;
  EXPECT_EQ(inlogicdef(ts.s, end, prompt, end, ierr), Answer::ok);
  EXPECT_FALSE(end);
  EXPECT_EQ(ts.take(), " End input and exit ?\n" + kLogicHead +
                           " could not read answer to End input and exit       \n"
                           " ==> ASKING AGAIN\n" +
                           kErrorTail +
                           " End input and exit ?\n"
                           " New value =  No \n");
}

TEST(Inlogicdef, EndOfInputReportsOnceAndLeavesTheValue) {
  TestSession ts;
  bool end = false;
  std::int32_t ierr = 0;
  EXPECT_EQ(inlogicdef(ts.s, end, "End input and exit", end, ierr), Answer::ended);
  EXPECT_FALSE(end);
  EXPECT_EQ(ts.take(), kDots +
                           "\n"
                           " End input and exit ?\n"
                           " Enter (0/1)(n/y)(N/Y) to answer\n"
                           " or return for default value or h for help\n"
                           " Default = No \n" +
                           kLogicHead +
                           " could not read answer to End input and exit\n"
                           " ==> ASKING AGAIN\n" +
                           kErrorTail);
}

TEST(Inlogicdef, EndOfInputInThePauseAfterAnIncorrectAnswer) {
  TestSession ts("x\n");
  ts.s.iocom.LWITO[1] = false;
  bool end = false;
  std::int32_t ierr = 0;
  EXPECT_EQ(inlogicdef(ts.s, end, "End input and exit", end, ierr), Answer::ended);
  EXPECT_FALSE(end);
  const std::string ask = " End input and exit ?\n";
  EXPECT_EQ(ts.take(), ask + kLogicHead + " incorrect answer: x\n ==> ASKING AGAIN\n" + kErrorTail + kHelpTable + ask +
                           kLogicHead + " could not read answer to End input and exit\n ==> ASKING AGAIN\n" +
                           kErrorTail);
}

TEST(Prompts, EndedConsoleStaysEndedForTheNextPrompt) {
  TestSession ts;
  ts.s.iocom.LPAUSE = false;
  ts.s.iocom.LWITO[1] = false;
  bool flag = false;
  int v = 1;
  std::int32_t ierr = 0;
  EXPECT_EQ(inlogicdef(ts.s, flag, "q", flag, ierr), Answer::ended);
  ts.take();
  EXPECT_EQ(inintegvindef(ts.s, v, "n", v, 1, 2, ierr), Answer::ended);
  EXPECT_EQ(v, 1);
  EXPECT_EQ(ts.take(), " Enter n\n inside  [1,2]\n" + kIntHead + " could not read n\n ==> RETRYING\n" +
                           kStars + "\n ***" + std::string(17, ' ') + "ERROR END " + std::string(17, ' ') +
                           "***\n" + kStars + "\n");
}

TEST(Prompts, StopAtConsoleEnd) {
  TestSession ts;
  try {
    stop_at_console_end(ts.s);
    FAIL() << "returned";
  } catch (const platform::Stop& stop) {
    EXPECT_EQ(stop.status, 1);
  }
  EXPECT_EQ(ts.take(), " ===> END OF CONSOLE INPUT: STOPPING EXECUTION\n");
}

}  // namespace
}  // namespace qx
