#include "support/text_utils.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace qx {

void textlen(std::int32_t& ib, std::int32_t& ie, std::string_view text) {
  const auto n = static_cast<std::int32_t>(text.size());
  ib = 1;
  ie = n;
  while (ib < ie && text[static_cast<std::size_t>(ib - 1)] == ' ') ++ib;
  while (ib < ie && text[static_cast<std::size_t>(ie - 1)] == ' ') --ie;
  if (ib > ie) {
    ib = 1;
    ie = 1;
  }
}

namespace {

// Blanks are skipped eight at a time: trimming runs on every result line.
constexpr char kEightBlanks[] = "        ";

std::size_t first_nonblank(std::string_view t) {
  std::size_t i = 0;
  while (i + 8 <= t.size() && std::memcmp(t.data() + i, kEightBlanks, 8) == 0) i += 8;
  while (i < t.size() && t[i] == ' ') ++i;
  return i;
}

std::size_t end_of_nonblank(std::string_view t, std::size_t from) {
  std::size_t e = t.size();
  while (e >= from + 8 && std::memcmp(t.data() + e - 8, kEightBlanks, 8) == 0) e -= 8;
  while (e > from && t[e - 1] == ' ') --e;
  return e;
}

}  // namespace

std::string_view trimmed(std::string_view text) {
  const std::size_t first = first_nonblank(text);
  if (first == text.size()) return text.empty() ? text : text.substr(text.size() - 1);
  return text.substr(first, end_of_nonblank(text, first) - first);
}

void integlen(std::int32_t& ilen, std::int32_t iv) {
  if (iv == 0) {
    ilen = 1;
    return;
  }
  // The magnitude of -2^31 needs 64 bits before it becomes a float.
  const std::int64_t mag = iv < 0 ? -static_cast<std::int64_t>(iv) : iv;
  const float x = static_cast<float>(mag);
  const float l = std::log(x);
  const float r = 0.4342945f * l;
  ilen = static_cast<std::int32_t>(r) + (iv < 0 ? 2 : 1);
}

void path2basename(std::int32_t& nchar, MutText basename, std::string_view path) {
  if (path.empty()) {
    assign(basename, "");
    nchar = 0;
    return;
  }
  std::int32_t ib = 0;
  std::int32_t ie = 0;
  textlen(ib, ie, path);
  if (ib == ie) {
    assign(basename, path.substr(static_cast<std::size_t>(ib - 1), 1));
    nchar = 1;
    return;
  }
  // The last non-blank character is never the separator.
  for (std::int32_t k = ie - 1; k >= ib; --k) {
    if (path[static_cast<std::size_t>(k - 1)] == '/') {
      assign(basename, path.substr(static_cast<std::size_t>(k), static_cast<std::size_t>(ie - k)));
      nchar = ie - k;
      return;
    }
  }
  assign(basename, path.substr(static_cast<std::size_t>(ib - 1), static_cast<std::size_t>(ie - ib + 1)));
  nchar = ie - ib + 1;
}

namespace {

// The length of the well-formed UTF-8 letter of two bytes or more that t
// starts with, or 0. Overlong forms are none: a lax decoder takes C0 9B
// for ESC.
std::size_t utf8_letter(std::string_view t) {
  const auto b = [t](std::size_t i) { return static_cast<unsigned char>(t[i]); };
  const unsigned char c = b(0);
  const std::size_t n = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
  if (n == 0 || t.size() < n) return 0;
  // The second byte's range narrows after E0 and F0 (overlong), ED
  // (surrogates) and F4 (beyond U+10FFFF).
  const unsigned char lo = c == 0xE0 ? 0xA0 : c == 0xF0 ? 0x90 : 0x80;
  const unsigned char hi = c == 0xED ? 0x9F : c == 0xF4 ? 0x8F : 0xBF;
  if (b(1) < lo || b(1) > hi) return 0;
  for (std::size_t i = 2; i < n; ++i) {
    if ((b(i) & 0xC0) != 0x80) return 0;
  }
  return n;
}

// C1 controls, U+0080 to U+009F (C2 80 to C2 9F), become one blank each,
// the text closed up behind them; so does a byte 0x80 to 0x9F that is no
// part of a letter, which an 8-bit terminal takes for one (9B is CSI).
void blank_c1_controls(MutText text) {
  const std::string_view t(text.data(), text.size());
  std::size_t to = 0;
  for (std::size_t i = 0; i < t.size();) {
    const auto c = static_cast<unsigned char>(t[i]);
    const std::size_t n = c < 0x80 ? 1 : utf8_letter(t.substr(i));
    const bool c1 = n == 0 ? c < 0xA0 : n == 2 && c == 0xC2 && static_cast<unsigned char>(t[i + 1]) < 0xA0;
    const std::size_t len = n == 0 ? 1 : n;  // a byte of no letter stands alone
    if (c1) {
      text[to++] = ' ';
      i += len;
    } else {
      for (const std::size_t e = i + len; i < e;) text[to++] = text[i++];
    }
  }
  std::fill(text.begin() + static_cast<std::ptrdiff_t>(to), text.end(), ' ');
}

// The last UTF-8 sequence before the trailing blanks, if it lacks bytes:
// a letter cut short by the text's length.
void drop_cut_letter(MutText text) {
  std::size_t end = text.size();
  while (end > 0 && text[end - 1] == ' ') --end;
  std::size_t lead = end;
  while (lead > 0 && end - lead < 4 && (static_cast<unsigned char>(text[lead - 1]) & 0xC0) == 0x80) --lead;
  if (lead == 0) return;
  const auto c = static_cast<unsigned char>(text[lead - 1]);
  const std::size_t need = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
  if (c >= 0x80 && end - (lead - 1) < need) {
    std::fill(text.begin() + static_cast<std::ptrdiff_t>(lead - 1), text.begin() + static_cast<std::ptrdiff_t>(end),
              ' ');
  }
}

}  // namespace

void clean_text(MutText text) {
  for (char& ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x20 || c == 0x7F) ch = ' ';
  }
  // A letter cut short may end in bytes of the C1 range: it goes first.
  drop_cut_letter(text);
  blank_c1_controls(text);
}

}  // namespace qx
