// Fixed-width fields: each rule as a table of value -> exact text.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "platform/fields.hpp"
#include "platform/line.hpp"

namespace qx::field {
namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
const float kNaN = std::nanf("");

struct RealCase {
  float v;
  int w;
  int d;
  const char* text;
};

TEST(FixedField, RoundsToNearestWithExactTiesAwayFromZero) {
  const RealCase cases[] = {
      {16.25f, 6, 1, "  16.3"},   // 16.25 is exact in binary: a true tie
      {-16.25f, 6, 1, " -16.3"},
      {0.25f, 6, 1, "   0.3"},
      {-0.25f, 6, 1, "  -0.3"},
      {0.125f, 6, 2, "  0.13"},
      {-0.125f, 6, 2, " -0.13"},
      // Not ties: the float lies above or below the decimal it was typed as.
      {0.05f, 6, 1, "   0.1"},   // 0.0500000007...
      {0.35f, 6, 1, "   0.3"},   // 0.3499999940...
      {0.45f, 6, 1, "   0.4"},   // 0.4499999880...
      {1.005f, 6, 2, "  1.00"},   // 1.0049999952...
      {2.675f, 6, 2, "  2.67"},   // 2.6749999523...
      {99.95f, 6, 1, "  99.9"},   // 99.9499969...
      {0.0001f, 9, 6, " 0.000100"},
  };
  for (const auto& c : cases) EXPECT_EQ(fixed_field(c.v, c.w, c.d), c.text) << c.v << " in " << c.w << "." << c.d;
}

TEST(FixedField, RightJustifiesWithADigitBeforeThePoint) {
  const RealCase cases[] = {
      {16.0f, 6, 1, "  16.0"},   {200.0f, 6, 1, " 200.0"},   {0.0f, 6, 1, "   0.0"},
      {0.5f, 6, 1, "   0.5"},    {-0.5f, 6, 1, "  -0.5"},    {95.0f, 7, 1, "   95.0"},
      {-120.0f, 7, 1, " -120.0"}, {35.791f, 9, 3, "   35.791"}, {123456.0f, 10, 1, "  123456.0"},
      {7.0f, 3, 1, "7.0"},
  };
  for (const auto& c : cases) EXPECT_EQ(fixed_field(c.v, c.w, c.d), c.text) << c.v << " in " << c.w << "." << c.d;
}

TEST(FixedField, ValueRoundingToZeroHasNoMinusSign) {
  const RealCase cases[] = {
      {-0.0f, 6, 1, "   0.0"},  {-0.04f, 6, 1, "   0.0"},  {-0.049f, 6, 1, "   0.0"},
      {-0.05f, 6, 1, "  -0.1"},  // -0.0500000007...: away from zero, not to it
      {-0.004f, 6, 2, "  0.00"}, {-1e-30f, 6, 1, "   0.0"},
  };
  for (const auto& c : cases) EXPECT_EQ(fixed_field(c.v, c.w, c.d), c.text) << c.v;
}

TEST(FixedField, TooWideFillsTheFieldWithAsterisks) {
  const RealCase cases[] = {
      {9999.94f, 6, 1, "9999.9"},   // 9999.9404...
      {9999.95f, 6, 1, "******"},   // 9999.9501...: rounds to 10000.0
      {10000.0f, 6, 1, "******"},
      {999.95f, 6, 1, "1000.0"},    // 999.9500122...: rounds up, still fits
      {-999.94f, 6, 1, "-999.9"},
      {-999.95f, 6, 1, "******"},   // rounds to -1000.0
      {-1000.0f, 6, 1, "******"},
      {-99.95f, 6, 1, " -99.9"},    // -99.9499969...
      {1e10f, 6, 1, "******"},
      {3.4028235e38f, 6, 1, "******"},
      {-3.4028235e38f, 12, 2, "************"},
  };
  for (const auto& c : cases) EXPECT_EQ(fixed_field(c.v, c.w, c.d), c.text) << c.v;
}

TEST(FixedField, ZeroDecimalsKeepThePoint) {
  const RealCase cases[] = {
      {16.25f, 5, 0, "  16."}, {2.5f, 5, 0, "   3."}, {0.5f, 5, 0, "   1."},
      {-2.5f, 5, 0, "  -3."},  {-0.4f, 5, 0, "   0."}, {0.4f, 2, 0, "0."},
  };
  for (const auto& c : cases) EXPECT_EQ(fixed_field(c.v, c.w, c.d), c.text) << c.v;
}

TEST(FixedField, NaNAndInfinities) {
  EXPECT_EQ(fixed_field(kNaN, 6, 1), "   NaN");
  EXPECT_EQ(fixed_field(kInf, 6, 1), "   Inf");
  EXPECT_EQ(fixed_field(-kInf, 6, 1), "  -Inf");
  EXPECT_EQ(fixed_field(kNaN, 2, 1), "**");
  EXPECT_EQ(fixed_field(-kInf, 3, 1), "***");
}

TEST(SciField, OneDigitBeforeThePointAndASignPlace) {
  const RealCase cases[] = {
      {180.0f, 10, 3, " 1.800E+02"},
      {-180.0f, 10, 3, "-1.800E+02"},
      {0.0f, 10, 3, " 0.000E+00"},
      {-0.0f, 10, 3, " 0.000E+00"},
      {1.0f, 10, 3, " 1.000E+00"},
      {0.5f, 10, 3, " 5.000E-01"},
      {12345.678f, 10, 3, " 1.235E+04"},
      {1e10f, 10, 3, " 1.000E+10"},
      {3.4028235e38f, 10, 3, " 3.403E+38"},
      {1.4e-45f, 10, 3, " 1.401E-45"},   // the smallest subnormal
      {180.0f, 8, 1, " 1.8E+02"},
      {180.0f, 12, 3, "   1.800E+02"},
  };
  for (const auto& c : cases) EXPECT_EQ(sci_field(c.v, c.w, c.d), c.text) << c.v;
}

TEST(SciField, RoundingCarriesIntoTheExponent) {
  const RealCase cases[] = {
      {9.9996f, 10, 3, " 1.000E+01"},
      {-9.9996f, 10, 3, "-1.000E+01"},
      {9.9994f, 10, 3, " 9.999E+00"},
      {9.9995f, 10, 3, " 1.000E+01"},   // 9.99950027...: above the tie
      {0.0001f, 10, 3, " 1.000E-04"},   // 9.99999997e-05 carries from -05 to -04
      {999.96f, 10, 3, " 1.000E+03"},
  };
  for (const auto& c : cases) EXPECT_EQ(sci_field(c.v, c.w, c.d), c.text) << c.v;
}

TEST(SciField, ExactTiesAwayFromZero) {
  const RealCase cases[] = {
      {1.0625f, 10, 3, " 1.063E+00"},  // exact in binary
      {-1.0625f, 10, 3, "-1.063E+00"},
      {1.2345f, 10, 3, " 1.235E+00"},  // 1.23450005...
      {1.2355f, 10, 3, " 1.235E+00"},  // 1.23549997...: below, not a tie
  };
  for (const auto& c : cases) EXPECT_EQ(sci_field(c.v, c.w, c.d), c.text) << c.v;
}

TEST(SciField, TooNarrowAndSpecialValues) {
  EXPECT_EQ(sci_field(180.0f, 8, 3), "********");
  EXPECT_EQ(sci_field(-180.0f, 9, 3), "*********");
  EXPECT_EQ(sci_field(180.0f, 9, 3), "1.800E+02");
  EXPECT_EQ(sci_field(kNaN, 10, 3), "       NaN");
  EXPECT_EQ(sci_field(kInf, 10, 3), "       Inf");
  EXPECT_EQ(sci_field(-kInf, 10, 3), "      -Inf");
}

TEST(IntField, RightJustifiedOrAsterisks) {
  struct Case {
    long long v;
    int w;
    const char* text;
  };
  const Case cases[] = {
      {5, 2, " 5"},     {-5, 2, "-5"},     {10, 2, "10"},     {100, 2, "**"},
      {-10, 2, "**"},   {0, 1, "0"},       {123, 5, "  123"}, {-2147483648LL, 11, "-2147483648"},
      {-2147483648LL, 10, "**********"},   {7, 0, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(int_field(c.v, c.w), c.text) << c.v << " in " << c.w;
}

TEST(CountField, NeverCut) {
  auto count = [](long long v, int w) {
    std::string s;
    put_count(s, v, w);
    return s;
  };
  EXPECT_EQ(count(12345, 3), "12345");
  EXPECT_EQ(count(12, 5), "   12");
  EXPECT_EQ(count(-7, 1), "-7");
  EXPECT_EQ(count(0, 5), "    0");
}

TEST(BoolField, BlanksThenTOrF) {
  auto flag = [](bool v, int w) {
    std::string s;
    put_bool(s, v, w);
    return s;
  };
  EXPECT_EQ(flag(true, 2), " T");
  EXPECT_EQ(flag(false, 2), " F");
  EXPECT_EQ(flag(true, 1), "T");
  EXPECT_EQ(flag(false, 4), "   F");
}

TEST(TextField, RightJustifiedWhenShorterCutWhenLonger) {
  struct Case {
    std::string_view s;
    int w;
    const char* text;
  };
  const Case cases[] = {
      {"abc", 5, "  abc"}, {"abcdef", 3, "abc"}, {"ab  ", 6, "  ab  "},  // its trailing blanks count
      {"", 3, "   "},      {"abc", 3, "abc"},    {"abc", 0, ""},
  };
  for (const auto& c : cases) {
    std::string s;
    put_text(s, c.s, c.w);
    EXPECT_EQ(s, c.text) << "'" << c.s << "' in " << c.w;
  }
}

TEST(Line, AppendsFieldsInOrder) {
  const Line l =
      Line(" ").t("ab").a("x", 3).i(5, 2).f(16.25f, 6, 1).e(180.0f, 10, 3).l(true, 2).x(2).rep('-', 3).n(123, 2);
  EXPECT_EQ(l.str(), " ab  x 5  16.3 1.800E+02 T  ---123");
  EXPECT_EQ(l.size(), l.str().size());
}

}  // namespace
}  // namespace qx::field
