#include "support/pictures.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testkit/test_session.hpp"

namespace qx {
namespace {

using testkit::TestSession;

std::vector<std::string> drawn(void (*picture)(Session&)) {
  TestSession ts;
  picture(ts.s);
  return testkit::lines_of(ts.take());
}

TEST(Pictures, Tetrakis) {
  TestSession ts;
  tetrakis(ts.s);
  EXPECT_EQ(ts.take(),
            "  \n"
            "                         O      \n"
            "                       O   O    \n"
            "                     O   O   O  \n"
            "                   O   O   O   O\n"
            "  \n");
}

TEST(Pictures, Sator) {
  TestSession ts;
  sator(ts.s);
  EXPECT_EQ(ts.take(),
            "  \n"
            "                     S A T O R\n"
            "                     A R E P O\n"
            "                     T E N E T\n"
            "                     O P E R A\n"
            "                     R O T A S\n"
            "  \n");
}

TEST(Pictures, Carmag33) {
  TestSession ts;
  carmag33(ts.s);
  EXPECT_EQ(ts.take(),
            "  \n"
            "                   -------------\n"
            "                   | 8 | 1 | 6 |\n"
            "                   |---|---|---|\n"
            "                   | 3 | 5 | 7 |\n"
            "                   |---|---|---|\n"
            "                   | 4 | 9 | 2 |\n"
            "                   -------------\n"
            "  \n");
}

TEST(Pictures, Tetratemple2) {
  TestSession ts;
  tetratemple2(ts.s);
  EXPECT_EQ(ts.take(),
            "  \n"
            "                            O          \n"
            "                         O /   O       \n"
            "                      O   /       O    \n"
            "                   O     /           O \n"
            "                  /     O           / /\n"
            "                 /   O     O       / / \n"
            "                / O     O     O   / /  \n"
            "               O     O     O     O /   \n"
            "               ===================/    \n"
            "                 | |   | |   | | ||    \n"
            "                 | |   | |   | | ||===/\n"
            "                 | |   | |   | |     / \n"
            "                /| |   | |   | |    /  \n"
            "               / | |   | |   | |   /   \n"
            "              /===================/    \n"
            "             =====================     \n"
            "  \n");
}

TEST(Pictures, EndfunBackslashesAreSingleCharacters) {
  const auto lines = drawn(endfun1);
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[1], "                    \\|/ ____ \\|/    -     -     ");
  EXPECT_EQ(lines[2], "           \\|/       @~/ ,. \\~@   o' \\,=./ `o   ");
  EXPECT_EQ(lines[6], "    |            THAT'S ALL FOLKS !            |");
}

TEST(Pictures, GrabenAndHorstShareTheirBottomLine) {
  const auto g = drawn(graben);
  const auto h = drawn(horst);
  EXPECT_EQ(g[2], "      @@\\-----+                      +-----/@@");
  EXPECT_EQ(h[1], "                 +----------------+           ");
  EXPECT_EQ(g[8], "      ########\\#####\\###\\##/###/#####/########");
  EXPECT_EQ(h[8], g[8]);
}

TEST(Pictures, FacesDifferOnlyInTheMouth) {
  const auto happy = drawn(happyface);
  const auto sorry = drawn(sorryface);
  ASSERT_EQ(happy.size(), 20u);
  ASSERT_EQ(sorry.size(), 20u);
  for (std::size_t i = 0; i < happy.size(); ++i) {
    if (i == 12 || i == 14) continue;  // picture lines 12 and 14
    EXPECT_EQ(happy[i], sorry[i]) << i;
  }
  EXPECT_EQ(happy[12], "         &     &&                  &&     & ");
  EXPECT_EQ(sorry[12], "         &          &&&&&&&&&&&&          & ");
  EXPECT_EQ(happy[14], "          &&        &&&&&&&&&&&&        &&  ");
  EXPECT_EQ(sorry[14], "          &&   &&                  &&   &&  ");
  // Lines 15 to 18 repeat lines 4 to 1; lines 9 to 11 are one line.
  for (std::size_t j = 0; j < 4; ++j) EXPECT_EQ(happy[15 + j], happy[4 - j]) << j;
  EXPECT_EQ(happy[9], "        &&                                &&");
  EXPECT_EQ(happy[10], happy[9]);
  EXPECT_EQ(happy[11], happy[9]);
}

TEST(Pictures, Tetratemple1) {
  const auto lines = drawn(tetratemple1);
  ASSERT_EQ(lines.size(), 14u);
  EXPECT_EQ(lines[1], "                         O          ");
  EXPECT_EQ(lines[5], "                =================== ");
  EXPECT_EQ(lines[6], "                  | |   | |   | |   ");
  EXPECT_EQ(lines[12], "               =====================");
}

TEST(Pictures, EveryPictureIsCentredBetweenTwoBlankLines) {
  struct Case {
    const char* name;
    void (*draw)(Session&);
    std::size_t n;
    std::size_t w;
    std::size_t k;
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
      EXPECT_EQ(lines[i].substr(0, c.k), std::string(c.k, ' ')) << "line " << i;
    }
    // The drawing reaches both edges of its width somewhere.
    bool touches_left = false;
    bool touches_right = false;
    for (std::size_t i = 1; i <= c.n; ++i) {
      touches_left = touches_left || lines[i][c.k] != ' ';
      touches_right = touches_right || lines[i].back() != ' ';
    }
    EXPECT_TRUE(touches_left);
    EXPECT_TRUE(touches_right);
  }
}

TEST(Pictures, GoToTheStandardOutputUnit) {
  TestSession ts;
  ts.s.iocom.IUSTDOUT = 26;
  ASSERT_TRUE(ts.units.open(26, "picture.txt", "new"));
  sator(ts.s);
  ts.units.close(26);
  EXPECT_EQ(ts.take(), "");
  EXPECT_EQ(ts.dir.read("picture.txt"),
            "  \n"
            "                     S A T O R\n"
            "                     A R E P O\n"
            "                     T E N E T\n"
            "                     O P E R A\n"
            "                     R O T A S\n"
            "  \n");
}

}  // namespace
}  // namespace qx
