#include "support/pictures.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testkit/frame_texts.hpp"
#include "testkit/test_session.hpp"

namespace qx {
namespace {

using testkit::TestSession;

std::vector<std::string> drawn(void (*picture)(Session&)) {
  TestSession ts;
  picture(ts.s);
  return testkit::lines_of(ts.take());
}

// n lines of w characters, each after k blanks, between two lines of two blanks.
TEST(Pictures, EveryPictureIsCentredBetweenTwoBlankLines) {
  struct Case {
    const char* name;
    void (*draw)(Session&);
    std::size_t n, w, k;
  };
  const Case cases[] = {
      {"carmag33", carmag33, 7, 13, 19},          {"endfun1", endfun1, 8, 44, 4},
      {"graben", graben, 8, 40, 6},               {"happyface", happyface, 18, 36, 8},
      {"horst", horst, 8, 40, 6},                 {"sator", sator, 5, 9, 21},
      {"sorryface", sorryface, 18, 36, 8},        {"tetrakis", tetrakis, 4, 13, 19},
      {"tetratemple1", tetratemple1, 12, 21, 15}, {"tetratemple2", tetratemple2, 16, 26, 13},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto lines = drawn(c.draw);
    ASSERT_EQ(lines.size(), c.n + 2);
    EXPECT_EQ(lines.front(), "  ");
    EXPECT_EQ(lines.back(), "  ");
    for (std::size_t i = 1; i <= c.n; ++i) {
      EXPECT_EQ(lines[i].size(), c.k + c.w) << "line " << i;
      EXPECT_GE(lines[i].find_first_not_of(' '), c.k) << "line " << i;
    }
  }
}

TEST(Pictures, LinesAsDrawn) {
  struct Case {
    void (*draw)(Session&);
    std::size_t line;  // 1 is the picture's first
    const char* text;  // after the indent
  };
  const Case cases[] = {
      {carmag33, 1, "-------------"},            {carmag33, 6, "| 4 | 9 | 2 |"},
      {endfun1, 1, R"(                \|/ ____ \|/    -     -     )"},
      {endfun1, 2, R"(       \|/       @~/ ,. \~@   o' \,=./ `o   )"},
      {endfun1, 6, "|            THAT'S ALL FOLKS !            |"},
      {graben, 2, R"(@@\-----+                      +-----/@@)"},
      {graben, 8, R"(########\#####\###\##/###/#####/########)"},
      {horst, 1, "           +----------------+           "},
      {horst, 5, R"(@@@@@\@@@@@\===\########/===/@@@@@/@@@@@)"},
      {happyface, 12, " &     &&                  &&     & "},
      {happyface, 14, "  &&        &&&&&&&&&&&&        &&  "},
      {sator, 3, "T E N E T"},                   {tetratemple1, 6, "   | |   | |   | |   "},
      {tetratemple1, 12, "====================="},
      {tetratemple2, 5, "     /     O           / /"},
      {tetratemple2, 11, "    | |   | |   | | ||===/"},
      {tetratemple2, 16, "=====================     "},
  };
  for (const Case& c : cases) {
    const std::string line = drawn(c.draw).at(c.line);
    EXPECT_EQ(line.substr(line.size() - std::string(c.text).size()), c.text) << c.text;
  }
}

// The faces differ only in their mouths, lines 12 and 14 (the happy one's above).
TEST(Pictures, Faces) {
  TestSession ts;
  sorryface(ts.s);
  EXPECT_EQ(ts.take(), testkit::kSorryFace);
  const auto happy = drawn(happyface);
  const auto sorry = testkit::lines_of(testkit::kSorryFace);
  ASSERT_EQ(happy.size(), sorry.size());
  for (std::size_t i = 0; i < happy.size(); ++i) {
    if (i != 12 && i != 14) {
      EXPECT_EQ(happy[i], sorry[i]) << i;
    }
  }
}

TEST(Pictures, GoToTheStandardOutputUnit) {
  TestSession ts;
  ts.s.iocom.IUSTDOUT = 26;
  ASSERT_TRUE(ts.units.open(26, "picture.txt", "new"));
  tetrakis(ts.s);
  ts.units.close(26);
  EXPECT_EQ(ts.take(), "");
  EXPECT_EQ(ts.dir.read("picture.txt"),
            "  \n"
            "                         O      \n"
            "                       O   O    \n"
            "                     O   O   O  \n"
            "                   O   O   O   O\n"
            "  \n");
}

}  // namespace
}  // namespace qx
