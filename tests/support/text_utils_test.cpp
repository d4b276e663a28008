// textlen, integlen and path2basename, row by row.

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

}  // namespace
}  // namespace qx
