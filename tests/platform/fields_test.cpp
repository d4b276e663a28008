// Fixed-width fields: each rule as a table of value -> exact text.

#include <gtest/gtest.h>

#include <climits>
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

TEST(FixedField, Rules) {
  const RealCase cases[] = {
      // exact ties in binary round away from zero
      {16.25f, 6, 1, "  16.3"}, {-16.25f, 6, 1, " -16.3"}, {0.25f, 6, 1, "   0.3"}, {-0.125f, 6, 2, " -0.13"},
      // not ties: the float lies above or below the decimal it was typed as
      {0.05f, 6, 1, "   0.1"},  {0.35f, 6, 1, "   0.3"},   {1.005f, 6, 2, "  1.00"}, {2.675f, 6, 2, "  2.67"},
      {99.95f, 6, 1, "  99.9"}, {0.0001f, 9, 6, " 0.000100"},
      // right-justified, a digit before the point
      {200.0f, 6, 1, " 200.0"}, {0.0f, 6, 1, "   0.0"},   {-0.5f, 6, 1, "  -0.5"},  {-120.0f, 7, 1, " -120.0"},
      {35.791f, 9, 3, "   35.791"}, {123456.0f, 10, 1, "  123456.0"}, {7.0f, 3, 1, "7.0"},
      // below zero keeps its minus sign, also rounded to zero; a negative zero has none
      {-0.0f, 6, 1, "   0.0"},  {-0.04f, 6, 1, "  -0.0"},  {-0.004f, 6, 2, " -0.00"}, {-1e-30f, 6, 1, "  -0.0"},
      {-0.05f, 6, 1, "  -0.1"}, {-0.04f, 3, 1, "***"},    {-0.04f, 4, 1, "-0.0"},
      // too wide: asterisks
      {9999.94f, 6, 1, "9999.9"}, {9999.95f, 6, 1, "******"}, {999.95f, 6, 1, "1000.0"}, {-999.94f, 6, 1, "-999.9"},
      {-999.95f, 6, 1, "******"}, {-99.95f, 6, 1, " -99.9"}, {3.4028235e38f, 6, 1, "******"},
      {-3.4028235e38f, 12, 2, "************"},
      // no decimals: the point stays
      {16.25f, 5, 0, "  16."},  {2.5f, 5, 0, "   3."},    {-2.5f, 5, 0, "  -3."},   {-0.4f, 5, 0, "  -0."},
      {0.4f, 2, 0, "0."},
      {kNaN, 6, 1, "   NaN"},   {kInf, 6, 1, "   Inf"},   {-kInf, 6, 1, "  -Inf"},  {kNaN, 2, 1, "**"},
      {-kInf, 3, 1, "***"},
  };
  for (const auto& c : cases) EXPECT_EQ(fixed_field(c.v, c.w, c.d), c.text) << c.v << " in " << c.w << "." << c.d;
}

TEST(SciField, Rules) {
  const RealCase cases[] = {
      {180.0f, 10, 3, " 1.800E+02"}, {-180.0f, 10, 3, "-1.800E+02"}, {0.0f, 10, 3, " 0.000E+00"},
      {-0.0f, 10, 3, " 0.000E+00"},  {0.5f, 10, 3, " 5.000E-01"},   {12345.678f, 10, 3, " 1.235E+04"},
      {3.4028235e38f, 10, 3, " 3.403E+38"}, {1.4e-45f, 10, 3, " 1.401E-45"},  // the smallest subnormal
      {180.0f, 8, 1, " 1.8E+02"},    {180.0f, 12, 3, "   1.800E+02"},
      // rounding carries into the exponent
      {9.9996f, 10, 3, " 1.000E+01"}, {-9.9996f, 10, 3, "-1.000E+01"}, {9.9994f, 10, 3, " 9.999E+00"},
      {0.0001f, 10, 3, " 1.000E-04"}, {999.96f, 10, 3, " 1.000E+03"},
      // an exact tie away from zero; 1.2355f lies below its tie
      {1.0625f, 10, 3, " 1.063E+00"}, {-1.0625f, 10, 3, "-1.063E+00"}, {1.2355f, 10, 3, " 1.235E+00"},
      // too narrow, and the special values
      {180.0f, 8, 3, "********"},    {-180.0f, 9, 3, "*********"},   {180.0f, 9, 3, "1.800E+02"},
      {kNaN, 10, 3, "       NaN"},   {-kInf, 10, 3, "      -Inf"},
  };
  for (const auto& c : cases) EXPECT_EQ(sci_field(c.v, c.w, c.d), c.text) << c.v << " in " << c.w << "." << c.d;
}

TEST(Line, IntegerCountBooleanAndTextFields) {
  const struct {
    std::string got;
    const char* text;
  } cases[] = {
      {Line().i(5, 2).str(), " 5"},
      {Line().i(-5, 2).str(), "-5"},
      {Line().i(100, 2).str(), "**"},
      {Line().i(-10, 2).str(), "**"},
      {Line().i(INT_MIN, 11).str(), "-2147483648"},
      {Line().i(INT_MIN, 10).str(), "**********"},
      {Line().i(7, 0).str(), ""},
      {Line().n(12345, 3).str(), "12345"},  // a count is never cut
      {Line().n(12, 5).str(), "   12"},
      {Line().n(-7, 1).str(), "-7"},
      {Line().l(true, 2).str(), " T"},
      {Line().l(false, 1).str(), "F"},
      {Line().l(false, 4).str(), "   F"},
      {Line().a("abc", 5).str(), "  abc"},
      {Line().a("abcdef", 3).str(), "abc"},
      {Line().a("ab  ", 6).str(), "  ab  "},  // its own trailing blanks count
      {Line().a("", 3).str(), "   "},
      {Line().a("abc", 0).str(), ""},
      {Line(" ").t("ab").a("x", 3).i(5, 2).f(16.25f, 6, 1).e(180.0f, 10, 3).l(true, 2).x(2).rep('-', 3).n(123, 2).str(),
       " ab  x 5  16.3 1.800E+02 T  ---123"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.text);
}

}  // namespace
}  // namespace qx::field
