// Fixed-length texts: assignment pads or cuts; comparison pads the shorter.

#include <gtest/gtest.h>

#include <string>

#include "platform/text.hpp"

namespace qx {
namespace {

TEST(Text, AssignmentPadsOrCuts) {
  EXPECT_EQ(Text<5>("ab").sv(), "ab   ");
  EXPECT_EQ(Text<2>("abcd").sv(), "ab");
  EXPECT_EQ(Text<3>().sv(), "   ");
  Text<4> t("wxyz");
  t = "\t";  // a tab is a character like any other
  EXPECT_EQ(t.sv(), "\t   ");
  // A text assigned to a part of itself, either way.
  std::string buf = "  abc";
  assign(MutText(buf.data(), 5), std::string_view(buf).substr(2));
  EXPECT_EQ(buf, "abc  ");
  assign(MutText(buf.data() + 2, 3), std::string_view(buf).substr(0, 3));
  EXPECT_EQ(buf, "ababc");
}

TEST(Text, ComparisonPadsTheShorterWithBlanks) {
  const struct {
    std::string_view a, b;
    bool equal;
  } cases[] = {
      {"abc", "abc   ", true}, {"abc   ", "abc", true}, {"", "   ", true},       {"abc", "abd", false},
      {"abc", "abc\t", false},  // only the blank is blank
      {"abc", " abc", false},   {"abc", "abc  x", false}, {"a", "", false},
  };
  for (const auto& c : cases) EXPECT_EQ(text_eq(c.a, c.b), c.equal) << "'" << c.a << "' vs '" << c.b << "'";
  EXPECT_TRUE(Text<6>("new") == "new");
  EXPECT_FALSE(Text<6>("new") == "news");
}

}  // namespace
}  // namespace qx
