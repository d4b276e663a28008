// textlen, integlen, path2basename and clean_text, row by row.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "support/text_utils.hpp"

namespace qx {
namespace {

TEST(Textlen, FirstAndLastNonBlank) {
  struct Case {
    std::string_view text;
    std::int32_t ib, ie;
    std::string_view trimmed;
  };
  const Case cases[] = {
      {"  abc  ", 3, 5, "abc"}, {"       ", 7, 7, " "},  // all blank: its last position
      {"x", 1, 1, "x"},         {" ", 1, 1, " "},       {"", 1, 1, ""},
      {"ab\t", 1, 3, "ab\t"},   {"a   b ", 1, 5, "a   b"},  // only the blank counts as blank
      {"      b", 7, 7, "b"},                              // the same as all blank: only the character tells
  };
  for (const auto& c : cases) {
    std::int32_t ib = -1, ie = -1;
    textlen(ib, ie, c.text);
    EXPECT_EQ(ib, c.ib) << "'" << c.text << "'";
    EXPECT_EQ(ie, c.ie) << "'" << c.text << "'";
    EXPECT_EQ(trimmed(c.text), c.trimmed) << "'" << c.text << "'";
  }
}

TEST(Integlen, DigitsAndTheFourStretchesOneTooMany) {
  struct Case {
    std::int32_t iv, ilen;
  };
  // Each stretch just below a power of ten with its neighbours, and the negatives.
  const Case cases[] = {
      {0, 1},           {9, 1},           {10, 2},          {-1, 2},          {-10, 3},         {100000, 6},
      {999998, 6},      {999999, 7},      {1000000, 7},     {-999998, 7},     {-999999, 8},     {-1000000, 8},
      {9999987, 7},     {9999988, 8},     {9999999, 8},     {10000000, 8},    {-9999987, 8},    {-9999988, 9},
      {99999931, 8},    {99999932, 9},    {99999999, 9},    {100000000, 9},   {-99999931, 9},   {-99999932, 10},
      {999997919, 9},   {999997920, 10},  {999999999, 10},  {1000000000, 10}, {-999997919, 10}, {-999997920, 11},
      {-1000000000, 11}, {2147483647, 10}, {-2147483647 - 1, 11},
  };
  for (const auto& c : cases) {
    std::int32_t ilen = -1;
    integlen(ilen, c.iv);
    EXPECT_EQ(ilen, c.ilen) << c.iv;
  }
}

TEST(Path2basename, ThePartAfterTheLastSlash) {
  struct Case {
    std::string_view path;
    std::size_t room;      // the length of basename
    std::string_view base;  // all of basename
    std::int32_t nchar;
  };
  const Case cases[] = {
      {"data/run1.txt", 10, "run1.txt  ", 8}, {"/abc", 4, "abc ", 3},       {"abc", 4, "abc ", 3},
      {"a/b/", 4, "b/  ", 2},                 {"dir/", 4, "dir/", 4},       {"/", 2, "/ ", 1},
      {"//", 2, "/ ", 1},                     {"  x/y  ", 2, "y ", 1},      {"my dir/a b", 4, "a b ", 3},
      {"    ", 2, "  ", 1},                   {"  abc ", 4, "abc ", 3},
      {"dir/longname", 3, "lon", 8},  // cut to basename, the full length given
  };
  for (const auto& c : cases) {
    std::string base(c.room, '?');
    std::int32_t nchar = -1;
    path2basename(nchar, MutText(base.data(), base.size()), c.path);
    EXPECT_EQ(base, c.base) << "'" << c.path << "'";
    EXPECT_EQ(nchar, c.nchar) << "'" << c.path << "'";
  }
}

// A text from outside, assigned into a field of its length, then cleaned.
TEST(CleanText, ControlBytesBlankAndALetterCutByTheFieldDropped) {
  struct Case {
    std::string_view from_outside;
    std::size_t field;
    std::string_view shown;
  };
  const Case cases[] = {
      {"a\tb.txt", 10, "a b.txt   "},
      {std::string_view("\0\x01\x1f\x7f~ ", 6), 6, "    ~ "},  // NUL, SOH, US, DEL; the tilde stays
      {"\x1b[31mRed\x1b[0m", 20, " [31mRed [0m        "},        // colour: ESC blank, the rest plain text
      {"\x1b]0;pwned\x07x", 12, " ]0;pwned x "},                 // window title, ended by BEL
      {"a\r\nb", 4, "a  b"},
      {"S\xC3\xA9rac", 8, "S\xC3\xA9rac  "},                  // UTF-8 letters whole are kept
      {"ab\xC3\xA9", 4, "ab\xC3\xA9"},                        // a whole letter at the field's end
      {"ab\xC3\xA9", 3, "ab "},                                 // cut after its first byte
      {"x\xE2\x82\xAC", 3, "x  "},                             // a euro sign cut after two of three
      {"x\xE2\x82\xAC", 2, "x "},
      {"\xF0\x9F\x98\x80", 4, "\xF0\x9F\x98\x80"},         // four bytes, whole
      {"\xF0\x9F\x98\x80", 3, "   "},
      {"S\xC3\xA9r", 3, "S\xC3\xA9"},                         // the cut fell after the letter
      {"ab\xA9", 3, "ab\xA9"},                                  // a stray byte is no cut letter
      {"T\xC2\x9B" "2Jitle", 10, "T 2Jitle  "},                  // C1 controls: CSI, one blank for the letter
      {"a\xC2\x85" "b", 4, "a b "},                             // NEL
      {"a\x9B[2J\x85" "b", 7, "a [2J b"},                       // as lone bytes, which 8-bit terminals obey
      {"\xC0\x9B\xED\x9F\xBF\xED\xA0\x80", 8, "\xC0 \xED\x9F\xBF\xED\xA0 "},  // no letters: overlong, surrogate
      {"\xC3\x9B\xE2\x82\xAC\xF0\x90\x80\x80", 9, "\xC3\x9B\xE2\x82\xAC\xF0\x90\x80\x80"},  // letters whole are kept
      {"ab\xC2\x9B", 3, "ab "},
      {"\x85\x9B", 2, "  "},
      {"     ", 5, "     "},
      {"", 0, ""},
  };
  for (const auto& c : cases) {
    std::string text(c.field, '?');
    assign(MutText(text.data(), text.size()), c.from_outside);
    clean_text(MutText(text.data(), text.size()));
    EXPECT_EQ(text, c.shown) << testing::PrintToString(std::string(c.from_outside)) << " in " << c.field;
  }
}

}  // namespace
}  // namespace qx
