#pragma once
// Fixed-length, blank-padded texts: the one string type of the program.

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

namespace qx {

// A text of any length that a routine writes in place.
using MutText = std::span<char>;

// Assignment of a text: cut to the destination's length or padded with blanks.
void assign(MutText dst, std::string_view src);

// Comparison of two texts: the shorter one is padded with blanks first.
bool text_eq(std::string_view a, std::string_view b);

template <std::size_t N>
struct Text {
  std::array<char, N> c;

  Text() { c.fill(' '); }
  Text(std::string_view s) { assign(c, s); }  // NOLINT: texts convert like the language's own
  Text& operator=(std::string_view s) {
    assign(c, s);
    return *this;
  }

  static constexpr std::size_t size() { return N; }
  std::string_view sv() const { return {c.data(), N}; }
  operator std::string_view() const { return sv(); }  // NOLINT
  MutText span() { return {c.data(), N}; }
  char operator[](std::size_t i) const { return c[i]; }
  bool operator==(std::string_view s) const { return s.size() == N ? sv() == s : text_eq(sv(), s); }
};

}  // namespace qx
