#include "platform/text.hpp"

#include <algorithm>
#include <string>

namespace qx {

void assign(MutText dst, std::string_view src) {
  // A routine may assign a text to itself, cut or padded: move, not copy.
  const std::size_t n = std::min(dst.size(), src.size());
  std::char_traits<char>::move(dst.data(), src.data(), n);
  std::fill(dst.begin() + static_cast<std::ptrdiff_t>(n), dst.end(), ' ');
}

bool text_eq(std::string_view a, std::string_view b) {
  if (a.size() == b.size()) return a == b;  // the common case: a letter against a letter
  if (a.size() < b.size()) std::swap(a, b);
  if (a.substr(0, b.size()) != b) return false;
  return a.find_first_not_of(' ', b.size()) == std::string_view::npos;
}

}  // namespace qx
