#include "platform/fields.hpp"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <system_error>

namespace qx::field {

namespace {

void justify(std::string& out, std::string_view s, int w) {
  if (w <= 0) return;
  if (static_cast<int>(s.size()) > w) {
    out.append(static_cast<std::size_t>(w), '*');
    return;
  }
  out.append(static_cast<std::size_t>(w) - s.size(), ' ');
  out.append(s);
}

bool put_special(std::string& out, float v, int w) {
  if (std::isnan(v)) {
    justify(out, "NaN", w);
    return true;
  }
  if (std::isinf(v)) {
    justify(out, v < 0.0f ? "-Inf" : "Inf", w);
    return true;
  }
  return false;
}

constexpr double kPow10[] = {1.0, 10.0, 100.0, 1000.0, 10000.0, 100000.0, 1000000.0};

}  // namespace

void put_int(std::string& out, long long v, int w) {
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  justify(out, std::string_view(buf, static_cast<std::size_t>(r.ptr - buf)), w);
}

void put_count(std::string& out, long long v, int w) {
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  const std::string_view s(buf, static_cast<std::size_t>(r.ptr - buf));
  if (static_cast<int>(s.size()) < w) out.append(static_cast<std::size_t>(w) - s.size(), ' ');
  out.append(s);
}

char* fixed_into(char* dst, float v, int w, int d) {
  if (w <= 0) return dst;
  const auto uw = static_cast<std::size_t>(w);
  char buf[40];
  char* p = buf + sizeof buf;
  if (std::isnan(v) || std::isinf(v)) {
    const std::string_view s = std::isnan(v) ? "NaN" : v < 0.0f ? "-Inf" : "Inf";
    p -= s.size();
    std::memcpy(p, s.data(), s.size());
  } else {
    if (d < 0) d = 0;
    if (d > 6) d = 6;
    // A float times a power of ten up to 10^6 is exact in double, so the
    // rounding below sees the exact value and a tie is a true tie; adding
    // one half to it is exact too, and truncation then rounds half up.
    const double x = std::fabs(static_cast<double>(v)) * kPow10[d];
    if (x >= 1e18) {  // far wider than any field
      std::memset(dst, '*', uw);
      return dst + uw;
    }
    auto n = static_cast<std::uint64_t>(x + 0.5);
    for (int i = 0; i < d; ++i) {
      *--p = static_cast<char>('0' + n % 10);
      n /= 10;
    }
    *--p = '.';
    do {
      *--p = static_cast<char>('0' + n % 10);
      n /= 10;
    } while (n != 0);
    // A value below zero keeps its sign even where it rounds to 0.0 (a
    // rejected -0.00001 must not pass for a zero); a negative zero has none.
    if (v < 0.0f) *--p = '-';
  }
  const auto len = static_cast<std::size_t>(buf + sizeof buf - p);
  if (len > uw) {
    std::memset(dst, '*', uw);
  } else {
    std::memset(dst, ' ', uw - len);
    std::memcpy(dst + uw - len, p, len);
  }
  return dst + uw;
}

void put_fixed(std::string& out, float v, int w, int d) {
  if (w <= 0) return;
  const std::size_t at = out.size();
  out.resize(at + static_cast<std::size_t>(w));
  fixed_into(&out[at], v, w, d);
}

void put_sci(std::string& out, float v, int w, int d) {
  if (put_special(out, v, w)) return;
  if (d < 0) d = 0;
  std::string digits;
  int exp10 = 0;
  if (v != 0.0f) {
    // Every float has a finite decimal expansion of at most 112 significant
    // digits: take it whole, then round it by hand, ties away from zero.
    char buf[160];
    auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(static_cast<double>(v)),
                             std::chars_format::scientific, 120);
    const std::string_view s(buf, static_cast<std::size_t>(res.ptr - buf));
    const auto e = s.find('e');
    for (std::size_t i = 0; i < e; ++i)
      if (s[i] != '.') digits.push_back(s[i]);
    std::from_chars(s.data() + e + 1 + (s[e + 1] == '+' ? 1 : 0), s.data() + s.size(), exp10);
    const auto keep = static_cast<std::size_t>(d) + 1;
    const bool up = digits.size() > keep && digits[keep] >= '5';
    digits.resize(keep, '0');
    if (up) {
      std::size_t i = keep;
      while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
      if (i == 0) {
        digits.insert(digits.begin(), '1');
        digits.pop_back();
        ++exp10;
      } else {
        ++digits[i - 1];
      }
    }
  } else {
    digits.assign(static_cast<std::size_t>(d) + 1, '0');
  }
  std::string s;
  if (std::signbit(v) && v != 0.0f) s.push_back('-');
  s.push_back(digits[0]);
  s.push_back('.');
  s.append(digits, 1, std::string::npos);
  s.push_back('E');
  s.push_back(exp10 < 0 ? '-' : '+');
  const int a = exp10 < 0 ? -exp10 : exp10;
  if (a >= 100) s.push_back(static_cast<char>('0' + a / 100));
  s.push_back(static_cast<char>('0' + a / 10 % 10));
  s.push_back(static_cast<char>('0' + a % 10));
  justify(out, s, w);
}

void put_bool(std::string& out, bool v, int w) {
  if (w <= 0) return;
  out.append(static_cast<std::size_t>(w) - 1, ' ');
  out.push_back(v ? 'T' : 'F');
}

void put_text(std::string& out, std::string_view s, int w) {
  if (w <= 0) return;
  const auto uw = static_cast<std::size_t>(w);
  if (s.size() >= uw) {
    out.append(s.substr(0, uw));
  } else {
    out.append(uw - s.size(), ' ');
    out.append(s);
  }
}

void put_blanks(std::string& out, int n) {
  if (n > 0) out.append(static_cast<std::size_t>(n), ' ');
}

void put_rep(std::string& out, char c, int n) {
  if (n > 0) out.append(static_cast<std::size_t>(n), c);
}

std::string fixed_field(float v, int w, int d) {
  std::string s;
  put_fixed(s, v, w, d);
  return s;
}

std::string sci_field(float v, int w, int d) {
  std::string s;
  put_sci(s, v, w, d);
  return s;
}

}  // namespace qx::field
