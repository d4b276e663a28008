#include "quellatorix/state.hpp"

#include <algorithm>

namespace qx::program {

void clean_letter(Text<1>& letter) {
  const auto c = static_cast<unsigned char>(letter.c[0]);
  if (c < 0x20 || c > 0x7E) letter.c[0] = '?';
}

void clean_title(MutText title) {
  for (char& ch : title) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x20 || c == 0x7F) ch = ' ';
  }
  // The last UTF-8 sequence before the trailing blanks, if it lacks bytes.
  std::size_t end = title.size();
  while (end > 0 && title[end - 1] == ' ') --end;
  std::size_t lead = end;
  while (lead > 0 && end - lead < 4 && (static_cast<unsigned char>(title[lead - 1]) & 0xC0) == 0x80) --lead;
  if (lead == 0) return;
  const auto c = static_cast<unsigned char>(title[lead - 1]);
  const std::size_t need = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
  if (c >= 0x80 && end - (lead - 1) < need) std::fill(title.begin() + static_cast<std::ptrdiff_t>(lead - 1), title.begin() + static_cast<std::ptrdiff_t>(end), ' ');
}

void write_value_line(Session& s, std::string_view label, float v) {
  s.out(Line(" ").t(label).x(1).f(v, 7, 1));
}

void write_record_line(Session& s, std::int64_t nread) {
  s.out(Line(" while reading data nb ").n(nread, 5));
}

}  // namespace qx::program
