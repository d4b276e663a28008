#include "platform/list_read.hpp"

#include <cctype>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <system_error>

namespace qx::platform {

namespace {

bool is_space(char c) { return c == ' ' || c == '\t'; }
bool ends_bare(char c) { return c == ' ' || c == '\t' || c == ',' || c == '/'; }

// Where a bare value ends in s, looking from from: the first blank, tab,
// comma or slash, or the end of s. For the long pieces of a long value.
std::size_t bare_end(std::string_view s, std::size_t from) {
  std::size_t end = s.size();
  for (const char c : {' ', '\t', ',', '/'}) {
    const void* p = std::memchr(s.data() + from, c, end - from);
    if (p != nullptr) end = static_cast<std::size_t>(static_cast<const char*>(p) - s.data());
  }
  return end;
}

// What a read finds where it seeks a value.
enum class Found { value, null, slash, eof, error };

// One pass over the lines of a read. A line may come in pieces (see
// LineSource); a value that runs over pieces is copied into spill, and only
// as much of it as its item keeps.
class Scanner {
 public:
  Scanner(LineSource& src, std::string& spill) : src_(src), spill_(spill) {}

  // Moves to the first character of the next value, or past a null value
  // (its comma), or to a slash.
  Found seek_value() {
    for (;;) {
      if (!have_line_) {
        const IoStatus st = src_.next_line(line_);
        if (st != IoStatus::ok) return st == IoStatus::eof ? Found::eof : Found::error;
        goes_on_ = src_.line_goes_on();
        pos_ = 0;
        have_line_ = true;
      }
      while (pos_ < line_.size() && is_space(line_[pos_])) ++pos_;
      if (pos_ == line_.size()) {
        if (more()) continue;
        if (fault_ != IoStatus::ok) return Found::error;
        have_line_ = false;
        continue;
      }
      const char c = line_[pos_];
      if (c == ',') {
        ++pos_;
        if (!after_value_) return Found::null;
        after_value_ = false;
        continue;
      }
      if (c == '/') return Found::slash;
      return Found::value;
    }
  }

  // A bare value, or its first keep characters: false when it is longer,
  // or when the rest of its line can't be read.
  bool bare(std::size_t keep, std::string_view& value) {
    after_value_ = true;
    const std::size_t b = pos_;
    while (pos_ < line_.size() && !ends_bare(line_[pos_])) ++pos_;
    const std::size_t len = pos_ - b;
    if (pos_ == line_.size() && goes_on_) return bare_over_pieces(b, keep, value);
    value = std::string_view(line_.data() + b, len <= keep ? len : keep);
    return len <= keep;
  }

  // A quoted text, its first keep characters in out; false when a character
  // other than a separator follows the closing quote, or when the rest of
  // its line can't be read.
  bool quoted(std::string& out, std::size_t keep) {
    const char q = line_[pos_++];
    out.clear();
    after_value_ = true;
    while (more()) {
      const char c = line_[pos_++];
      if (c != q) {
        if (out.size() < keep) {
          out.push_back(c);
        } else {  // the rest is passed over, up to a quote
          const void* p = std::memchr(line_.data() + pos_, q, line_.size() - pos_);
          pos_ = p != nullptr ? static_cast<std::size_t>(static_cast<const char*>(p) - line_.data()) : line_.size();
        }
      } else if (!more()) {
        return fault_ == IoStatus::ok;
      } else if (line_[pos_] == q) {  // a doubled quote stands for one
        if (out.size() < keep) out.push_back(q);
        ++pos_;
      } else {
        return ends_bare(line_[pos_]);
      }
    }
    return fault_ == IoStatus::ok;  // an unclosed quote ends with its line
  }

  bool at_quote() const { return line_[pos_] == '\'' || line_[pos_] == '"'; }

  // The source could not give the rest of a line (a line beyond its bound).
  bool failed() const { return fault_ != IoStatus::ok; }

  // Passes over what is left of the line, so that the next read starts at
  // a new one; st, or the source's read error.
  IoStatus finish(IoStatus st) {
    if (!have_line_ || !goes_on_) return st;
    while (goes_on_) {
      pos_ = line_.size();
      more();
    }
    return fault_ != IoStatus::ok ? fault_ : st;
  }

 private:
  // The rest of bare(), for a value that runs on into the next piece: it is
  // copied, as far as it is kept.
  [[gnu::noinline]] bool bare_over_pieces(std::size_t b, std::size_t keep, std::string_view& value) {
    std::size_t len = pos_ - b;
    spill_.assign(line_.substr(b, std::min(len, keep)));
    while (more()) {
      pos_ = bare_end(line_, 0);
      len += pos_;
      spill_.append(line_.substr(0, std::min(pos_, keep - spill_.size())));
      if (pos_ < line_.size()) break;
    }
    value = spill_;
    return len <= keep && fault_ == IoStatus::ok;
  }

  // Whether a character stands at pos_, taking the next piece when this one
  // is used up: false at the end of the line or on a read error.
  bool more() {
    while (pos_ == line_.size()) {
      if (!goes_on_) return false;
      pos_ = 0;
      if (src_.next_line(line_) != IoStatus::ok) {
        fault_ = IoStatus::error;
        goes_on_ = false;
        line_ = {};
        return false;
      }
      goes_on_ = src_.line_goes_on();
    }
    return true;
  }

  LineSource& src_;
  std::string_view line_;
  std::size_t pos_ = 0;
  bool have_line_ = false;
  bool goes_on_ = false;  // the line goes on after this piece
  bool after_value_ = false;
  IoStatus fault_ = IoStatus::ok;
  std::string& spill_;
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
  // An exponent letter D or Q, or an exponent given by its sign alone
  // (4.5-1), is written out as E for the conversion.
  std::string buf;
  const std::size_t at = t.find_first_not_of("0123456789.");
  if (at != std::string_view::npos) {
    const char c = t[at];
    if (c == 'd' || c == 'D' || c == 'q' || c == 'Q') {
      buf.assign(t);
      buf[at] = 'e';
      t = buf;
    } else if (c == '+' || c == '-') {
      buf.assign(t.substr(0, at));
      buf.push_back('e');
      buf.append(t.substr(at));
      t = buf;
    }
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

namespace {

// A quoted text is gathered in text, which is also the scanner's spill.
IoStatus read_items(Scanner& sc, std::span<const ListItem> items, std::string& text, Omitted omitted) {
  std::string_view token;
  for (const ListItem& item : items) {
    const Found found = sc.seek_value();
    if (found != Found::value) {
      if (omitted == Omitted::kept && found == Found::null) continue;
      if (omitted == Omitted::kept && found == Found::slash) return IoStatus::ok;
      return found == Found::eof ? IoStatus::eof : IoStatus::error;
    }
    if (const auto* t = std::get_if<MutText>(&item)) {
      if (sc.at_quote()) {
        if (!sc.quoted(text, t->size())) return IoStatus::error;
        assign(*t, text);
      } else {
        if (!sc.bare(t->size(), token) && sc.failed()) return IoStatus::error;
        assign(*t, token);
      }
      continue;
    }
    // A number must be kept whole to be converted: past a bound it is an error.
    if (!sc.bare(kMaxNumberLength, token)) return IoStatus::error;
    if (auto* const* pi = std::get_if<int*>(&item)) {
      if (!parse_int(token, **pi)) return IoStatus::error;
    } else if (!parse_real(token, *std::get<float*>(item))) {
      return IoStatus::error;
    }
  }
  return IoStatus::ok;
}

}  // namespace

IoStatus read_list(LineSource& source, std::span<const ListItem> items, Omitted omitted) {
  std::string text;
  Scanner sc(source, text);
  return sc.finish(read_items(sc, items, text, omitted));
}

IoStatus read_list_text(std::string_view text, std::span<const ListItem> items) {
  OneLine src(text);
  const IoStatus st = read_list(src, items);
  return st == IoStatus::eof ? IoStatus::error : st;
}

}  // namespace qx::platform
