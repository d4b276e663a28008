#include "quellatorix/state.hpp"

namespace qx::program {

void clean_letter(Text<1>& letter) {
  const auto c = static_cast<unsigned char>(letter.c[0]);
  if (c < 0x20 || c > 0x7E) letter.c[0] = '?';
}

void write_value_line(Session& s, std::string_view label, float v) {
  s.out(Line(" ").t(label).x(1).f(v, 7, 1));
}

void write_record_line(Session& s, std::int64_t nread) {
  s.out(Line(" while reading data nb ").n(nread, 5));
}

}  // namespace qx::program
