#include "platform/line.hpp"

#include <vector>

namespace qx {

namespace {

thread_local std::vector<std::string> t_spare;

}  // namespace

Line::Line() : s_(take_buffer()) {}
Line::Line(std::string_view s) : s_(take_buffer()) { s_.append(s); }
Line::~Line() { give_back(std::move(s_)); }
Line::Line(const Line& o) : s_(take_buffer()) { s_.append(o.s_); }
Line& Line::operator=(const Line& o) {
  if (this != &o) {
    s_.clear();
    s_.append(o.s_);
  }
  return *this;
}

Line& Line::t(std::string_view s) {
  s_.append(s);
  return *this;
}

std::string Line::take_buffer() {
  if (t_spare.empty()) {
    std::string s;
    s.reserve(96);
    return s;
  }
  std::string s = std::move(t_spare.back());
  t_spare.pop_back();
  s.clear();
  return s;
}

void Line::give_back(std::string&& s) {
  if (t_spare.size() < 16 && s.capacity() <= 4096) t_spare.push_back(std::move(s));
}

}  // namespace qx
