// List-directed reading: separators, quotes, records over several lines,
// conversions, and read errors kept apart from the end of the input.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "platform/list_read.hpp"
#include "platform/memory_console.hpp"
#include "platform/units.hpp"
#include "testkit/test_session.hpp"

namespace qx::platform {
namespace {

IoStatus read(LineSource& src, std::initializer_list<ListItem> items) {
  return read_list(src, std::span<const ListItem>(items.begin(), items.size()));
}

IoStatus read_text(std::string_view text, std::initializer_list<ListItem> items) {
  return read_list_text(text, std::span<const ListItem>(items.begin(), items.size()));
}

TEST(ListRead, SeparatorsBetweenValues) {
  const char* lines[] = {
      "1 2 3",          "1,2,3",          "1 , 2 ,3",       "1\t2\t\t3",       "  \t 1\t,\t2 \t, 3",
      "1 2 3 4 5",      "1,2 3",          "1\t,  2,\t\t3   ",
  };
  for (const char* line : lines) {
    MemoryConsole src(line);
    int a = 0, b = 0, c = 0;
    EXPECT_EQ(read(src, {&a, &b, &c}), IoStatus::ok) << line;
    EXPECT_EQ(a * 100 + b * 10 + c, 123) << line;
  }
}

TEST(ListRead, TextsBareOrQuoted) {
  struct Case {
    const char* line;
    const char* first;   // into 8 characters
    const char* second;
  };
  const Case cases[] = {
      {"abc def", "abc     ", "def     "},
      {"abc,def", "abc     ", "def     "},
      {"abc\tdef", "abc     ", "def     "},
      {"'a b, c/' x", "a b, c/ ", "x       "},
      {"\"a b\" x", "a b     ", "x       "},
      {"'it''s' \"say \"\"hi\"\"\"", "it's    ", "say \"hi\""},
      {"\"it's\" 'a \"b\"'", "it's    ", "a \"b\"   "},
      {"'' x", "        ", "x       "},
      {"don't x", "don't   ", "x       "},          // a quote inside a bare text is a character
      {"'abc' , 'def'", "abc     ", "def     "},
      {"abcdefghijk 'lmnopqrstu'", "abcdefgh", "lmnopqrs"},  // cut to the item's length
  };
  for (const auto& c : cases) {
    MemoryConsole src(c.line);
    Text<8> a, b;
    EXPECT_EQ(read(src, {a.span(), b.span()}), IoStatus::ok) << c.line;
    EXPECT_EQ(a.sv(), c.first) << c.line;
    EXPECT_EQ(b.sv(), c.second) << c.line;
  }
}

TEST(ListRead, BareTextEndsAtASlash) {
  MemoryConsole src("abc/def\n");
  Text<8> a;
  EXPECT_EQ(read(src, {a.span()}), IoStatus::ok);
  EXPECT_EQ(a.sv(), "abc     ");
}

TEST(ListRead, ARecordOverSeveralLinesPassingOverEmptyOnes) {
  MemoryConsole src("1.5 E\n\n   \n\t\n30,\n  W\n");
  float d1 = 0, d2 = 0;
  Text<1> l1, l2;
  EXPECT_EQ(read(src, {&d1, l1.span(), &d2, l2.span()}), IoStatus::ok);
  EXPECT_EQ(d1, 1.5f);
  EXPECT_EQ(l1.sv(), "E");
  EXPECT_EQ(d2, 30.0f);
  EXPECT_EQ(l2.sv(), "W");
  EXPECT_EQ(src.lines_left(), 0u);
}

TEST(ListRead, EveryReadStartsAtANewLine) {
  MemoryConsole src("1 2 3\n4 5\n6\n");
  int a = 0, b = 0;
  EXPECT_EQ(read(src, {&a, &b}), IoStatus::ok);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 2);
  EXPECT_EQ(read(src, {&a}), IoStatus::ok);  // the 3 is gone, and so is the 5
  EXPECT_EQ(a, 4);
  EXPECT_EQ(read(src, {&a}), IoStatus::ok);
  EXPECT_EQ(a, 6);
  EXPECT_EQ(read(src, {&a}), IoStatus::eof);
}

TEST(ListRead, ErrorAndEndOfInputAreKeptApart) {
  struct Case {
    const char* input;
    IoStatus st;
  };
  const Case cases[] = {
      {"1 x 3\n", IoStatus::error},   // a letter where a number is due
      {"1 2\n", IoStatus::eof},       // the input ends inside the record
      {"1 2", IoStatus::eof},
      {"1\n\n\n", IoStatus::eof},
      {"", IoStatus::eof},
      {"1 2 'x'\n", IoStatus::error},  // a quoted text is no number
      {"1 2 3.5\n", IoStatus::error},  // nor is a real an integer
  };
  for (const auto& c : cases) {
    MemoryConsole src(c.input);
    int a = 0, b = 0, d = 0;
    EXPECT_EQ(read(src, {&a, &b, &d}), c.st) << c.input;
  }
}

TEST(ListRead, ItemsBeforeAFailureKeepTheirNewValuesAndLaterOnesStay) {
  MemoryConsole src("7 x 9\n");
  int a = 0, b = -1, c = -1;
  EXPECT_EQ(read(src, {&a, &b, &c}), IoStatus::error);
  EXPECT_EQ(a, 7);
  EXPECT_EQ(b, -1);
  EXPECT_EQ(c, -1);
}

TEST(ListRead, AFailedLineReadIsAReadError) {
  MemoryConsole src("1\n");
  src.fail_next_read();
  int a = 0, b = 0;
  EXPECT_EQ(read(src, {&a, &b}), IoStatus::error);
}

TEST(ListRead, TheReadersOwnChoicesAreReadErrors) {
  const char* inputs[] = {
      "1,,2\n",     // a null value
      ",1 2\n",     // a null value first
      "1 , , 2\n",  // a null value between blanks
      "1 /\n",      // a slash before the last value
      "1 2*5\n",    // a repeat count
      "1 2*\n",
      "'x'y 1\n",   // something glued to a closing quote
  };
  for (const char* in : inputs) {
    MemoryConsole src(in);
    int a = 0, b = 0;
    Text<3> t;
    const bool text_first = in[0] == '\'';
    const IoStatus st = text_first ? read(src, {t.span(), &b}) : read(src, {&a, &b});
    EXPECT_EQ(st, IoStatus::error) << in;
  }
}

TEST(ListRead, ASlashAfterTheLastValueIsHarmless) {
  MemoryConsole src("1 2 / 3\n");
  int a = 0, b = 0;
  EXPECT_EQ(read(src, {&a, &b}), IoStatus::ok);
  EXPECT_EQ(b, 2);
}

TEST(ListRead, Integers) {
  struct Case {
    const char* token;
    bool ok;
    int v;
  };
  const Case cases[] = {
      {"0", true, 0},
      {"42", true, 42},
      {"+42", true, 42},
      {"-42", true, -42},
      {"007", true, 7},
      {"2147483647", true, 2147483647},
      {"-2147483648", true, -2147483647 - 1},
      {"2147483648", false, 0},
      {"-2147483649", false, 0},
      {"99999999999999999999", false, 0},
      {"+-5", false, 0},
      {"-+5", false, 0},
      {"++5", false, 0},
      {"+", false, 0},
      {"-", false, 0},
      {"5.0", false, 0},
      {"1e3", false, 0},
      {"12a", false, 0},
      {"x", false, 0},
  };
  for (const auto& c : cases) {
    int v = -99;
    EXPECT_EQ(parse_int(c.token, v), c.ok) << c.token;
    EXPECT_EQ(v, c.ok ? c.v : -99) << c.token;
  }
}

TEST(ListRead, Reals) {
  struct Case {
    const char* token;
    bool ok;
    float v;
  };
  const Case cases[] = {
      {"16", true, 16.0f},
      {"16.5", true, 16.5f},
      {"-16.5", true, -16.5f},
      {"+16.5", true, 16.5f},
      {".5", true, 0.5f},
      {"5.", true, 5.0f},
      {"1.5e2", true, 150.0f},
      {"1.5E+2", true, 150.0f},
      {"-2.5e-1", true, -0.25f},
      {"1.5d2", true, 150.0f},
      {"1.5D-1", true, 0.15f},
      {"0.1", true, 0.1f},  // nearest float
      {"3.4028235e38", true, 3.4028235e38f},
      {"1e-50", true, 0.0f},     // underflow is zero
      {"-1e-50", true, 0.0f},
      {"1e-400", true, 0.0f},    // beyond double as well
      {"0.0000000000000000000000000000000000000000000000000001", true, 0.0f},
      {"1e39", false, 0},        // overflow
      {"-3.5e38", false, 0},
      {"3.4028236e38", false, 0},  // just past the largest float after rounding
      {"1e400", false, 0},       // beyond double too
      {"-1e400", false, 0},
      {"100000000000000000000000000000000000000000", false, 0},
      {"0.001e999999999999999999999", false, 0},
      {"inf", false, 0},
      {"-Infinity", false, 0},
      {"nan", false, 0},
      {"NaN", false, 0},
      {"1.5.2", false, 0},
      {"1e", false, 0},
      {"e5", false, 0},
      {".", false, 0},
      {"+", false, 0},
      {"--1", false, 0},
      {"+-1", false, 0},
      {"0x10", false, 0},
      {"1,5", false, 0},
      {"12a", false, 0},
  };
  for (const auto& c : cases) {
    float v = -99.0f;
    EXPECT_EQ(parse_real(c.token, v), c.ok) << c.token;
    EXPECT_EQ(v, c.ok ? c.v : -99.0f) << c.token;
  }
}

TEST(ListRead, RealsAndIntegersThroughARead) {
  MemoryConsole src("  16 16.5, -1.5e1\t7\n");
  float a = 0, b = 0, c = 0;
  int n = 0;
  EXPECT_EQ(read(src, {&a, &b, &c, &n}), IoStatus::ok);
  EXPECT_EQ(a, 16.0f);
  EXPECT_EQ(b, 16.5f);
  EXPECT_EQ(c, -15.0f);
  EXPECT_EQ(n, 7);
}

TEST(ListRead, CrLfLinesOfAFile) {
  testkit::TestSession ts;
  ts.dir.write("data.txt", "'title'\r\n1.5\r\n  E\r\n\r\n2,'x'\r\nlast\r");
  Units& u = ts.units;
  ASSERT_TRUE(u.open(25, "data.txt", "old"));
  Text<8> title, last;
  float v = 0;
  Text<1> l;
  int n = 0;
  Text<2> x;
  EXPECT_EQ(u.read_list(25, {title.span()}), IoStatus::ok);
  EXPECT_EQ(title.sv(), "title   ");
  EXPECT_EQ(u.read_list(25, {&v, l.span(), &n, x.span()}), IoStatus::ok);
  EXPECT_EQ(v, 1.5f);
  EXPECT_EQ(l.sv(), "E");
  EXPECT_EQ(n, 2);
  EXPECT_EQ(x.sv(), "x ");
  EXPECT_EQ(u.read_list(25, {last.span()}), IoStatus::ok);
  EXPECT_EQ(last.sv(), "last    ");
  EXPECT_EQ(u.read_list(25, {last.span()}), IoStatus::eof);
}

TEST(ListRead, InternalReadOfOneText) {
  int a = 0, b = 0;
  EXPECT_EQ(read_text("12 34 56", {&a, &b}), IoStatus::ok);
  EXPECT_EQ(a, 12);
  EXPECT_EQ(b, 34);
  EXPECT_EQ(read_text("12", {&a, &b}), IoStatus::error);  // running out is an error here
  EXPECT_EQ(read_text("", {&a}), IoStatus::error);
  EXPECT_EQ(read_text("  ", {&a}), IoStatus::error);
  EXPECT_EQ(read_text("x", {&a}), IoStatus::error);
  Text<4> t;
  EXPECT_EQ(read_text("  'ab cd' ", {t.span()}), IoStatus::ok);
  EXPECT_EQ(t.sv(), "ab c");
}

}  // namespace
}  // namespace qx::platform
