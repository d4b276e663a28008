#pragma once
// A line under construction, built field by field.

#include <string>
#include <string_view>

#include "platform/fields.hpp"

namespace qx {

class Line {
 public:
  Line();
  explicit Line(std::string_view s);
  ~Line();
  Line(const Line& o);
  Line& operator=(const Line& o);

  Line& t(std::string_view s);                                                         // text as it is
  Line& a(std::string_view s, int w) { field::put_text(s_, s, w); return *this; }      // text in w columns
  Line& i(long long v, int w) { field::put_int(s_, v, w); return *this; }               // integer
  Line& n(long long v, int w) { field::put_count(s_, v, w); return *this; }             // count, never cut
  Line& f(float v, int w, int d) { field::put_fixed(s_, v, w, d); return *this; }       // fixed point
  Line& e(float v, int w, int d) { field::put_sci(s_, v, w, d); return *this; }         // scientific
  Line& l(bool v, int w) { field::put_bool(s_, v, w); return *this; }                   // boolean
  Line& x(int n) { field::put_blanks(s_, n); return *this; }                            // blanks
  Line& rep(char c, int n) { field::put_rep(s_, c, n); return *this; }                  // a rule

  const std::string& str() const { return s_; }
  operator std::string_view() const { return s_; }  // NOLINT
  std::size_t size() const { return s_.size(); }

 private:
  // Lines are built by the million (a frame for each turned strike): their
  // buffers are kept for the next line instead of going back to the heap.
  static std::string take_buffer();
  static void give_back(std::string&& s);

  std::string s_;
};

}  // namespace qx
