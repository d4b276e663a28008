// List-directed reading: separators, quotes, records over several lines,
// conversions, and read errors kept apart from the end of the input.

#include <gtest/gtest.h>

#include <charconv>
#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "platform/list_read.hpp"
#include "platform/memory_console.hpp"

namespace qx::platform {
namespace {

// Reads into items of the kinds given ('i' integer, 'f' real, 't' text of
// 8, 'c' text of 1), which start as -1 or '#', and shows the status and
// every item after the read: "ok 1.5|E|30|W".
std::string shown_after(std::string_view kinds, const std::function<IoStatus(std::span<const ListItem>)>& read) {
  std::vector<int> ints(kinds.size(), -1);
  std::vector<float> reals(kinds.size(), -1.0f);
  std::vector<std::string> texts;
  for (const char k : kinds) texts.emplace_back(k == 't' ? 8 : 1, '#');
  std::vector<ListItem> items;
  for (std::size_t i = 0; i < kinds.size(); ++i) {
    if (kinds[i] == 'i') items.emplace_back(&ints[i]);
    if (kinds[i] == 'f') items.emplace_back(&reals[i]);
    if (kinds[i] == 't' || kinds[i] == 'c') items.emplace_back(MutText(texts[i]));
  }
  const IoStatus st = read(items);
  std::string out = st == IoStatus::ok ? "ok" : st == IoStatus::eof ? "eof" : "error";
  for (std::size_t i = 0; i < kinds.size(); ++i) {
    out += i == 0 ? ' ' : '|';
    char buf[32];
    if (kinds[i] == 'i') out += std::to_string(ints[i]);
    if (kinds[i] == 'f') out.append(buf, std::to_chars(buf, buf + sizeof buf, reals[i]).ptr);
    if (kinds[i] == 't' || kinds[i] == 'c') out += texts[i];
  }
  return out;
}

TEST(ListRead, OneRead) {
  const struct {
    const char* typed;
    const char* kinds;
    const char* shown;
  } cases[] = {
      // separators
      {"  \t 1\t,\t2 \t, 3", "iii", "ok 1|2|3"},
      {"1,2 3", "iii", "ok 1|2|3"},
      {"1\t2\t\t3   ", "iii", "ok 1|2|3"},
      {"1 2 3 4 5", "iii", "ok 1|2|3"},
      {"  16 16.5, -1.5e1\t7", "fffi", "ok 16|16.5|-15|7"},
      // texts, bare or quoted, cut to their item
      {"abc,def", "tt", "ok abc     |def     "},
      {"abc\tdef", "tt", "ok abc     |def     "},
      {"'a b, c/' x", "tt", "ok a b, c/ |x       "},
      {"\"a b\" x", "tt", "ok a b     |x       "},
      {"'it''s' \"say \"\"hi\"\"\"", "tt", "ok it's    |say \"hi\""},
      {"\"it's\" 'a \"b\"'", "tt", "ok it's    |a \"b\"   "},
      {"'' x", "tt", "ok         |x       "},
      {"don't x", "tt", "ok don't   |x       "},
      {"'abc' , 'def'", "tt", "ok abc     |def     "},
      {"abcdefghijk 'lmnopqrstu'", "tt", "ok abcdefgh|lmnopqrs"},
      {"abc/def", "t", "ok abc     "},
      // over several lines, passing over empty ones
      {"1.5 E\n\n   \n\t\n30,\n  W\n", "fcfc", "ok 1.5|E|30|W"},
      // errors and the end: items already read keep their new values
      {"1 x 3\n", "iii", "error 1|-1|-1"},
      {"1 2 'x'\n", "iii", "error 1|2|-1"},
      {"1 2 3.5\n", "iii", "error 1|2|-1"},
      {"1 2\n", "iii", "eof 1|2|-1"},
      {"1 2", "iii", "eof 1|2|-1"},
      {"1\n\n\n", "iii", "eof 1|-1|-1"},
      {"", "iii", "eof -1|-1|-1"},
      // this reader's choices: nulls, early slashes and repeat counts are errors
      {"1,,2", "ii", "error 1|-1"},
      {",1 2", "ii", "error -1|-1"},
      {"1 , , 2", "ii", "error 1|-1"},
      {"1 /", "ii", "error 1|-1"},
      {"1 2*5", "ii", "error 1|-1"},
      {"1 2*", "ii", "error 1|-1"},
      {"'x'y 1", "ti", "error ########|-1"},
      {"1 2 / 3", "ii", "ok 1|2"},
  };
  for (const auto& c : cases) {
    MemoryConsole src(c.typed);
    EXPECT_EQ(shown_after(c.kinds, [&](std::span<const ListItem> items) { return read_list(src, items); }), c.shown)
        << c.typed;
  }
}

// Where values may be left out: a null value leaves its item, a slash every
// item from there; what does not convert is an error all the same. The
// read after it (strict) starts at the next line.
TEST(ListRead, ValuesLeftOut) {
  const struct {
    const char* typed;
    const char* kinds;
    const char* shown;
    const char* next;
  } cases[] = {
      {",title 5\n7", "t", "ok ########", "ok 7"},
      {"  , title\n7", "t", "ok ########", "ok 7"},
      {",,,\n7", "c", "ok #", "ok 7"},
      {", dipdir1, dipa2\n7", "c", "ok #", "ok 7"},
      {"/title\n7", "t", "ok ########", "ok 7"},
      {"// 5\n7", "i", "ok -1", "ok 7"},
      {"\n\n /\n7", "c", "ok #", "ok 7"},
      {"1,,2\n7", "iii", "ok 1|-1|2", "ok 7"},
      {",\n2\n7", "ii", "ok -1|2", "ok 7"},
      {"1 , , 2", "iii", "ok 1|-1|2", "eof -1"},
      {"1 / 3\n7", "iii", "ok 1|-1|-1", "ok 7"},
      {"'a/b' c", "tt", "ok a/b     |c       ", "eof -1"},
      {"1 x\n7", "ii", "error 1|-1", "ok 7"},
      {",", "ii", "eof -1|-1", "eof -1"},
      {"", "t", "eof ########", "eof -1"},
  };
  for (const auto& c : cases) {
    MemoryConsole src(c.typed);
    auto read = [&](std::string_view kinds, Omitted omitted) {
      return shown_after(kinds, [&](std::span<const ListItem> items) { return read_list(src, items, omitted); });
    };
    EXPECT_EQ(read(c.kinds, Omitted::kept), c.shown) << c.typed;
    EXPECT_EQ(read("i", Omitted::error), c.next) << c.typed;
  }
}

TEST(ListRead, EveryReadStartsAtANewLine) {
  MemoryConsole src("1 2 3\n4 5\n6\n");
  src.fail_next_read();
  auto read = [&](std::string_view kinds) {
    return shown_after(kinds, [&](std::span<const ListItem> items) { return read_list(src, items); });
  };
  EXPECT_EQ(read("ii"), "ok 1|2");
  EXPECT_EQ(read("i"), "ok 4");  // the 3 is gone, and so is the 5
  EXPECT_EQ(read("ii"), "error 6|-1");  // a line that can't be read
  EXPECT_EQ(read("i"), "eof -1");
}

// Lines handed out in the pieces given, as a source with a fixed buffer
// hands out a long line; the piece numbered fail_at (from 0) is a read error.
class Pieces final : public LineSource {
 public:
  explicit Pieces(std::vector<std::vector<std::string>> lines, int fail_at = -1)
      : lines_(std::move(lines)), fail_at_(fail_at) {}
  IoStatus next_line(std::string_view& line) override {
    if (line_ == lines_.size()) return IoStatus::eof;
    if (given_++ == fail_at_) return IoStatus::error;
    line = lines_[line_][piece_];
    goes_on_ = ++piece_ < lines_[line_].size();
    if (!goes_on_) {
      piece_ = 0;
      ++line_;
    }
    return IoStatus::ok;
  }

 private:
  std::vector<std::vector<std::string>> lines_;
  std::size_t line_ = 0;
  std::size_t piece_ = 0;
  int given_ = 0;
  int fail_at_;
};

// The line cut into pieces at the given positions (a position may repeat:
// an empty piece).
std::vector<std::string> cut(std::string_view line, const std::vector<std::size_t>& at) {
  std::vector<std::string> pieces;
  std::size_t from = 0;
  for (const std::size_t k : at) {
    pieces.emplace_back(line.substr(from, k - from));
    from = k;
  }
  pieces.emplace_back(line.substr(from));
  return pieces;
}

// Every value kind, a doubled quote, commas and texts longer than their
// items, cut at every position, and cut into single characters: the same
// read, and the next read starts at the next line.
TEST(ListRead, ALineInPiecesReadsAsTheWholeLine) {
  const std::string line = "  16.5,'it''s' ,E 7, abcdefghijkl 'mn''opqrstuvw' , \"x\" rest of the line";
  const char* kinds = "ftcittc";
  const std::string whole = "ok 16.5|it's    |E|7|abcdefgh|mn'opqrs|x";
  auto read_cut = [&](const std::vector<std::size_t>& at) {
    Pieces src({cut(line, at), {"9"}});
    std::string shown = shown_after(kinds, [&](std::span<const ListItem> items) { return read_list(src, items); });
    return shown + " / " + shown_after("i", [&](std::span<const ListItem> items) { return read_list(src, items); });
  };
  EXPECT_EQ(read_cut({}), whole + " / ok 9");
  std::vector<std::size_t> every;
  for (std::size_t k = 0; k <= line.size(); ++k) {
    EXPECT_EQ(read_cut({k}), whole + " / ok 9") << "cut at " << k;
    every.push_back(k);
  }
  EXPECT_EQ(read_cut(every), whole + " / ok 9");
}

TEST(ListRead, PiecesBoundsAndReadErrors) {
  const std::string longest(kMaxNumberLength - 1, '0');
  const struct {
    const char* name;
    std::vector<std::vector<std::string>> lines;
    int fail_at;
    const char* kinds;
    const char* shown;
  } cases[] = {
      {"a number as long as the bound", {{longest.substr(0, 70000), longest.substr(70000) + "7 8"}}, -1, "ii",
       "ok 7|8"},
      {"one digit more", {{longest.substr(0, 70000), longest.substr(70000) + "07 8"}}, -1, "ii", "error -1|-1"},
      {"a text is cut, never refused", {{"'" + longest, longest + "' 8"}}, -1, "ti", "ok 00000000|8"},
      {"the rest of the line can't be read", {{"1 2", " 3", " 4"}}, 2, "ii", "error 1|2"},
      {"a value can't be read to its end", {{"1 2", "3 4"}}, 1, "ii", "error 1|-1"},
      {"a quoted one", {{"1 'ab", "cd' 4"}}, 1, "it", "error 1|########"},
      {"between values", {{"1 ", " 4"}}, 1, "ii", "error 1|-1"},
      {"an unclosed quote ends with its line", {{"'ab", "c"}, {"5"}}, -1, "ti", "ok abc     |5"},
  };
  for (const auto& c : cases) {
    Pieces src(c.lines, c.fail_at);
    EXPECT_EQ(shown_after(c.kinds, [&](std::span<const ListItem> items) { return read_list(src, items); }), c.shown)
        << c.name;
  }
}

TEST(ListRead, AnInternalReadRunsOutWithAnError) {
  const struct {
    const char* text;
    const char* kinds;
    const char* shown;
  } cases[] = {
      {"12 34 56", "ii", "ok 12|34"}, {"12", "ii", "error 12|-1"}, {"", "i", "error -1"},
      {"  ", "i", "error -1"},        {"x", "i", "error -1"},      {"  'ab cd e' ", "t", "ok ab cd e "},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(shown_after(c.kinds, [&](std::span<const ListItem> items) { return read_list_text(c.text, items); }),
              c.shown)
        << c.text;
  }
}

TEST(ListRead, Integers) {
  const std::pair<const char*, int> good[] = {{"0", 0},   {"+42", 42},  {"-42", -42},
                                              {"007", 7}, {"2147483647", INT_MAX}, {"-2147483648", INT_MIN}};
  for (const auto& [token, want] : good) {
    int v = -99;
    EXPECT_TRUE(parse_int(token, v)) << token;
    EXPECT_EQ(v, want) << token;
  }
  for (const char* token :
       {"2147483648", "-2147483649", "99999999999999999999", "+-5", "++5", "+", "-", "5.0", "1e3", "12a", "x"}) {
    int v = -99;
    EXPECT_FALSE(parse_int(token, v)) << token;
    EXPECT_EQ(v, -99) << token;
  }
}

TEST(ListRead, Reals) {
  const std::pair<const char*, float> good[] = {
      {"16", 16.0f},      {"-16.5", -16.5f}, {"+16.5", 16.5f},    {".5", 0.5f},     {"5.", 5.0f},
      {"1.5E+2", 150.0f}, {"-2.5e-1", -0.25f}, {"1.5d2", 150.0f}, {"1.5D-1", 0.15f}, {"0.1", 0.1f},
      {"3.4028235e38", 3.4028235e38f},
      // too small for single precision, or even for double: zero
      {"1e-50", 0.0f},    {"-1e-50", 0.0f},  {"1e-400", 0.0f},
      {"0.0000000000000000000000000000000000000000000000000001", 0.0f},
      // an exponent letter Q as D, and an exponent given by its sign alone
      {"4.5q1", 45.0f},   {"4.5Q-1", 0.45f}, {"1.5d+2", 150.0f},  {"4.5+1", 45.0f},  {"4.5-1", 0.45f},
      {"-4.5-1", -0.45f}, {"+1+1", 10.0f},   {".5+1", 5.0f},      {"5.-1", 0.5f},    {"16+0", 16.0f},
      {"3.4028235+38", 3.4028235e38f},       {"1-50", 0.0f},      {"1q-50", 0.0f},   {"1-400", 0.0f},
  };
  for (const auto& [token, want] : good) {
    float v = -99.0f;
    EXPECT_TRUE(parse_real(token, v)) << token;
    EXPECT_EQ(v, want) << token;
  }
  for (const char* token : {"1e39", "-3.5e38", "3.4028236e38", "1e400", "100000000000000000000000000000000000000000",
                            "0.001e999999999999999999999", "inf", "-Infinity", "nan", "NaN", "1.5.2", "1e", "e5",
                            ".", "+", "--1", "+-1", "0x10", "1,5", "12a", "1+39", "-1+39", "1q39", "1+400",
                            "1.5+", "1.5-", "1.5q", "1q+", "1+-1", "1++1", "1+1.5", "1+1+1", "1e1+1", "q5", "+q1",
                            ".+1", "1+ 1"}) {
    float v = -99.0f;
    EXPECT_FALSE(parse_real(token, v)) << token;
    EXPECT_EQ(v, -99.0f) << token;
  }
}

}  // namespace
}  // namespace qx::platform
