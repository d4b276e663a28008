// Fixed-length texts: assignment pads or cuts; comparison pads the shorter.

#include <gtest/gtest.h>

#include <string>

#include "platform/text.hpp"

namespace qx {
namespace {

TEST(Text, AssignmentPadsOrCuts) {
  EXPECT_EQ(Text<5>("ab").sv(), "ab   ");
  EXPECT_EQ(Text<2>("abcd").sv(), "ab");
  EXPECT_EQ(Text<3>("").sv(), "   ");
  EXPECT_EQ(Text<3>().sv(), "   ");
  Text<4> t("wxyz");
  t = "q";
  EXPECT_EQ(t.sv(), "q   ");
  // A tab is kept like any other character.
  EXPECT_EQ(Text<3>("a\t").sv(), "a\t ");
}

TEST(Text, AssignmentOfATextToAPartOfItself) {
  std::string buf = "  abc";
  assign(MutText(buf.data(), buf.size()), std::string_view(buf).substr(2));
  EXPECT_EQ(buf, "abc  ");
  buf = "abc  ";
  assign(MutText(buf.data() + 2, 3), std::string_view(buf).substr(0, 3));
  EXPECT_EQ(buf, "ababc");
}

TEST(Text, ComparisonPadsTheShorterWithBlanks) {
  struct Case {
    std::string_view a;
    std::string_view b;
    bool equal;
  };
  const Case cases[] = {
      {"abc", "abc   ", true}, {"abc   ", "abc", true}, {"", "   ", true},  {"", "", true},
      {"abc", "abd", false},    {"abc", "abc\t", false},  // only the blank is blank
      {"abc", " abc", false},   {"abc", "abc  x", false}, {"a", "", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(text_eq(c.a, c.b), c.equal) << "'" << c.a << "' vs '" << c.b << "'";
  }
  EXPECT_TRUE(Text<6>("new") == "new");
  EXPECT_FALSE(Text<6>("new") == "news");
}

}  // namespace
}  // namespace qx
