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
    std::int32_t ib;
    std::int32_t ie;
  };
  const Case cases[] = {
      {"  abc  ", 3, 5},
      {"       ", 7, 7},   // all blank: its last position
      {"x", 1, 1},
      {" ", 1, 1},
      {"", 1, 1},
      {"ab\t", 1, 3},     // a tab is no blank
      {"\tab", 1, 3},
      {"a", 1, 1},
      {"a   b", 1, 5},
      {"      b", 7, 7},  // the same as all blank: only the character tells
      {"\r\n", 1, 2},
  };
  for (const auto& c : cases) {
    std::int32_t ib = -1, ie = -1;
    textlen(ib, ie, c.text);
    EXPECT_EQ(ib, c.ib) << "'" << c.text << "'";
    EXPECT_EQ(ie, c.ie) << "'" << c.text << "'";
  }
}

TEST(Textlen, Trimmed) {
  EXPECT_EQ(trimmed("  abc  "), "abc");
  EXPECT_EQ(trimmed("   "), " ");
  EXPECT_EQ(trimmed("a b "), "a b");
  EXPECT_EQ(trimmed(""), "");
}

struct WidthCase {
  std::int32_t iv;
  std::int32_t ilen;
};

void expect_widths(std::initializer_list<WidthCase> cases) {
  for (const auto& c : cases) {
    std::int32_t ilen = -1;
    integlen(ilen, c.iv);
    EXPECT_EQ(ilen, c.ilen) << c.iv;
  }
}

TEST(Integlen, TheListedValues) {
  expect_widths({{0, 1},        {9, 1},        {10, 2},       {-1, 2},       {-10, 3},
                 {100000, 6},   {999998, 6},   {999999, 7},   {1000000, 7},  {9999987, 7},
                 {9999988, 8},  {2147483647, 10}, {-2147483647 - 1, 11}, {-999999, 8},
                 {1, 1},        {-9, 2},       {99, 2},       {-99, 3}});
}

TEST(Integlen, EveryPowerOfTenGivesItsDigitCount) {
  std::int32_t p = 1;
  for (std::int32_t k = 1; k <= 9; ++k) {
    p *= 10;
    expect_widths({{p, k + 1}, {-p, k + 2}});
    if (k <= 5) expect_widths({{p - 1, k}, {-(p - 1), k + 1}});  // below the stretches
  }
}

TEST(Integlen, TheFourStretchesOneTooMany) {
  // Each stretch with its neighbours outside it, and its negatives.
  expect_widths({
      {999998, 6},      {999999, 7},      {1000000, 7},
      {-999998, 7},     {-999999, 8},     {-1000000, 8},
      {9999987, 7},     {9999988, 8},     {9999993, 8},     {9999999, 8},     {10000000, 8},
      {-9999987, 8},    {-9999988, 9},    {-9999999, 9},    {-10000000, 9},
      {99999931, 8},    {99999932, 9},    {99999960, 9},    {99999999, 9},    {100000000, 9},
      {-99999931, 9},   {-99999932, 10},  {-99999999, 10},  {-100000000, 10},
      {999997919, 9},   {999997920, 10},  {999998500, 10},  {999999999, 10},  {1000000000, 10},
      {-999997919, 10}, {-999997920, 11}, {-999999999, 11}, {-1000000000, 11},
  });
}

TEST(Path2basename, TheListedPaths) {
  struct Case {
    std::string_view path;
    std::string_view base;  // in 10 characters
    std::int32_t nchar;
  };
  const Case cases[] = {
      {"data/run1.txt", "run1.txt  ", 8},
      {"/abc", "abc       ", 3},
      {"abc", "abc       ", 3},
      {"a/b/", "b/        ", 2},
      {"dir/", "dir/      ", 4},
      {"/", "/         ", 1},
      {"//", "/         ", 1},
      {"  x/y  ", "y         ", 1},
      {"my dir/a b", "a b       ", 3},
      {"    ", "          ", 1},
      {"  abc ", "abc       ", 3},
      {"x", "x         ", 1},
      {"/a/bb/ccc/", "ccc/      ", 4},
  };
  for (const auto& c : cases) {
    Text<10> base("??????????");
    std::int32_t nchar = -1;
    path2basename(nchar, base.span(), c.path);
    EXPECT_EQ(base.sv(), c.base) << "'" << c.path << "'";
    EXPECT_EQ(nchar, c.nchar) << "'" << c.path << "'";
  }
}

TEST(Path2basename, CutToAShortBasenameWithTheFullLength) {
  Text<3> base;
  std::int32_t nchar = -1;
  path2basename(nchar, base.span(), "dir/longname");
  EXPECT_EQ(base.sv(), "lon");
  EXPECT_EQ(nchar, 8);
}

}  // namespace
}  // namespace qx
