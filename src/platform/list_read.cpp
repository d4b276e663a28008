#include "platform/list_read.hpp"

#include <cctype>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <system_error>

namespace qx::platform {

namespace {

bool is_space(char c) { return c == ' ' || c == '\t'; }
bool ends_bare(char c) { return c == ' ' || c == '\t' || c == ',' || c == '/'; }

// One pass over the lines of a read.
class Scanner {
 public:
  explicit Scanner(LineSource& src) : src_(src) {}

  // Moves to the first character of the next value. ok, or eof, or error
  // for a null value or a slash where a value is due.
  IoStatus seek_value() {
    for (;;) {
      if (!have_line_) {
        const IoStatus st = src_.next_line(line_);
        if (st != IoStatus::ok) return st;
        pos_ = 0;
        have_line_ = true;
      }
      while (pos_ < line_.size() && is_space(line_[pos_])) ++pos_;
      if (pos_ == line_.size()) {
        have_line_ = false;
        continue;
      }
      const char c = line_[pos_];
      if (c == ',') {
        if (!after_value_) return IoStatus::error;  // null value
        after_value_ = false;
        ++pos_;
        continue;
      }
      if (c == '/') return IoStatus::error;  // the read would end early
      return IoStatus::ok;
    }
  }

  std::string_view bare() {
    const std::size_t b = pos_;
    while (pos_ < line_.size() && !ends_bare(line_[pos_])) ++pos_;
    after_value_ = true;
    return line_.substr(b, pos_ - b);
  }

  // A quoted text; false when a character other than a separator follows
  // the closing quote.
  bool quoted(std::string& out) {
    const char q = line_[pos_++];
    out.clear();
    while (pos_ < line_.size()) {
      const char c = line_[pos_++];
      if (c != q) {
        out.push_back(c);
      } else if (pos_ < line_.size() && line_[pos_] == q) {
        out.push_back(q);
        ++pos_;
      } else {
        after_value_ = true;
        return pos_ == line_.size() || ends_bare(line_[pos_]);
      }
    }
    after_value_ = true;  // an unclosed quote ends with its line
    return true;
  }

  bool at_quote() const { return line_[pos_] == '\'' || line_[pos_] == '"'; }

 private:
  LineSource& src_;
  std::string_view line_;
  std::size_t pos_ = 0;
  bool have_line_ = false;
  bool after_value_ = false;
};

class OneLine final : public LineSource {
 public:
  explicit OneLine(std::string_view text) : text_(text) {}
  IoStatus next_line(std::string_view& line) override {
    if (used_) return IoStatus::eof;
    used_ = true;
    line = text_;
    return IoStatus::ok;
  }

 private:
  std::string_view text_;
  bool used_ = false;
};

// Whether a real too far out even for double precision (which leaves its
// result untouched then) lies beyond 1 rather than below it: the order of
// its first significant digit plus its exponent.
bool beyond_one(std::string_view t) {
  constexpr long long kFar = 1LL << 40;  // no line holds that many digits
  long long order = 0;
  bool point = false;
  bool seen = false;
  std::size_t i = 0;
  for (; i < t.size() && t[i] != 'e' && t[i] != 'E'; ++i) {
    if (t[i] == '.') {
      point = true;
    } else if (!seen && t[i] == '0') {
      if (point) --order;
    } else if (!seen) {
      seen = true;
      if (point) --order;
    } else if (!point) {
      ++order;
    }
  }
  long long exp = 0;
  if (i + 1 < t.size()) {
    std::string_view x = t.substr(i + 1);
    if (x.front() == '+') x.remove_prefix(1);
    const bool ok = std::from_chars(x.data(), x.data() + x.size(), exp).ec == std::errc();
    if (!ok || exp > kFar || exp < -kFar) return x.front() != '-';
  }
  return order + exp > 0;
}

}  // namespace

bool parse_int(std::string_view t, int& v) {
  // from_chars takes a minus but no plus: after a plus a digit must follow.
  if (!t.empty() && t.front() == '+') {
    t.remove_prefix(1);
    if (t.empty() || !std::isdigit(static_cast<unsigned char>(t.front()))) return false;
  }
  int x = 0;
  const auto r = std::from_chars(t.data(), t.data() + t.size(), x);
  if (r.ec != std::errc() || r.ptr != t.data() + t.size()) return false;
  v = x;
  return true;
}

namespace {

constexpr float kPow10f[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f};

// The usual datum: up to seven digits with or without a point. Its digits
// and its power of ten are exact floats, so one division rounds it
// correctly, as the general conversion would.
bool plain_decimal(std::string_view t, float& v) {
  std::uint32_t m = 0;
  int digits = 0;
  int decimals = -1;
  for (const char c : t) {
    if (c >= '0' && c <= '9') {
      if (++digits > 7) return false;
      m = m * 10 + static_cast<std::uint32_t>(c - '0');
      if (decimals >= 0) ++decimals;
    } else if (c == '.' && decimals < 0) {
      decimals = 0;
    } else {
      return false;
    }
  }
  if (digits == 0) return false;
  v = static_cast<float>(m);
  if (decimals > 0) v /= kPow10f[decimals];
  return true;
}

}  // namespace

bool parse_real(std::string_view t, float& v) {
  bool neg = false;
  if (!t.empty() && (t.front() == '+' || t.front() == '-')) {
    neg = t.front() == '-';
    t.remove_prefix(1);
  }
  // Digits or a point must lead: this keeps out "inf", "nan" and a sign alone.
  if (t.empty() || !(std::isdigit(static_cast<unsigned char>(t.front())) || t.front() == '.')) return false;
  if (plain_decimal(t, v)) {
    if (neg) v = -v;
    return true;
  }
  std::string buf;  // only for the rare exponent letter D
  if (t.find_first_of("dD") != std::string_view::npos) {
    buf.assign(t);
    for (char& c : buf)
      if (c == 'd' || c == 'D') c = 'e';
    t = buf;
  }
  const char* b = t.data();
  const char* e = t.data() + t.size();
  float x = 0.0f;
  auto r = std::from_chars(b, e, x, std::chars_format::general);
  if (r.ptr != e) return false;
  if (r.ec == std::errc::result_out_of_range) {
    // Too small for single precision is zero; too large is an error.
    double d = 0.0;
    const auto rd = std::from_chars(b, e, d, std::chars_format::general);
    if (rd.ptr != e) return false;
    const bool tiny = rd.ec == std::errc() ? std::fabs(d) < static_cast<double>(FLT_MIN) : !beyond_one(t);
    if (!tiny) return false;
    x = 0.0f;
  } else if (r.ec != std::errc() || !std::isfinite(x)) {
    return false;
  }
  v = neg ? -x : x;
  return true;
}

IoStatus read_list(LineSource& source, std::span<const ListItem> items) {
  Scanner sc(source);
  std::string text;
  for (const ListItem& item : items) {
    const IoStatus st = sc.seek_value();
    if (st != IoStatus::ok) return st;
    if (const auto* t = std::get_if<MutText>(&item)) {
      if (sc.at_quote()) {
        if (!sc.quoted(text)) return IoStatus::error;
        assign(*t, text);
      } else {
        assign(*t, sc.bare());
      }
      continue;
    }
    const std::string_view token = sc.bare();
    if (auto* const* pi = std::get_if<int*>(&item)) {
      if (!parse_int(token, **pi)) return IoStatus::error;
    } else if (!parse_real(token, *std::get<float*>(item))) {
      return IoStatus::error;
    }
  }
  return IoStatus::ok;
}

IoStatus read_list_text(std::string_view text, std::span<const ListItem> items) {
  OneLine src(text);
  const IoStatus st = read_list(src, items);
  return st == IoStatus::eof ? IoStatus::error : st;
}

}  // namespace qx::platform
