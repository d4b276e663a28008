// The record checks, the result lines and the output header.

#include <gtest/gtest.h>

#include <string>

#include "quellatorix/records.hpp"
#include "support/angles.hpp"
#include "testkit/test_session.hpp"

namespace qx::program {
namespace {

using testkit::TestSession;

const std::string kErrorHead =
    " **************************************************\n"
    " **************************************************\n"
    " ***                                            ***\n"
    " ***          subroutine   quellatorix          ***\n"
    " ***                   ERROR                    ***\n"
    " ***                                            ***\n"
    " **************************************************\n"
    " **************************************************\n";

std::string right_trimmed(std::string_view t) {
  const auto last = t.find_last_not_of(' ');
  return std::string(last == std::string_view::npos ? std::string_view() : t.substr(0, last + 1));
}

Record alpha(float d1, char l1, float d2, char l2) {
  Record r;
  r.dipa1 = d1;
  r.DDIR[0] = std::string_view(&l1, 1);
  r.dipa2 = d2;
  r.DDIR[1] = std::string_view(&l2, 1);
  return r;
}

Record numeric(float d1, float dd1, float d2, float dd2) {
  Record r;
  r.dipa1 = d1;
  r.DIPDA = {dd1, dd2};
  r.dipa2 = d2;
  return r;
}

struct CheckCase {
  const char* name;
  Record rec;
  std::int32_t format;
  const char* comment;  // "" when every check passes
  const char* lines;    // the check's own lines after the record line
};

void PrintTo(const CheckCase& c, std::ostream* os) { *os << c.name; }

class Checks : public ::testing::TestWithParam<CheckCase> {};

TEST_P(Checks, ReportTheFirstFailureOnly) {
  const CheckCase& c = GetParam();
  TestSession ts;
  trigoset(ts.s);
  ts.take();
  RunState st;
  st.IFORMAT = c.format;
  st.NREAD = 7;
  Record rec = c.rec;
  const bool passed = check_record(ts.s, st, rec);
  EXPECT_EQ(std::string(c.comment).empty(), passed);
  EXPECT_EQ(std::string(c.comment), right_trimmed(rec.comment.sv()));
  if (!passed) EXPECT_EQ(kErrorHead + " while reading data nb     7\n" + c.lines, ts.take());
  else EXPECT_EQ("", ts.take());
}

INSTANTIATE_TEST_SUITE_P(
    Alphanumerical, Checks,
    ::testing::Values(
        CheckCase{"passes", alpha(16, 'E', 50, 'N'), 1, "", ""},
        CheckCase{"strike_any_value", alpha(16, 'W', 200, 'A'), 1, "", ""},
        CheckCase{"vertical_passes", alpha(90, 'E', 0, 'N'), 1, "", ""},
        CheckCase{"lower_case", alpha(16, 'e', 50, 'N'), 1, "error: 1st direction should be E,W,N,S",
                  " 1st dip direction = e\n => 1st dip direction should be E,W,N,S\n"},
        CheckCase{"a_first", alpha(16, 'A', 50, 'N'), 1, "error: 1st direction should be E,W,N,S",
                  " 1st dip direction = A\n => 1st dip direction should be E,W,N,S\n"},
        CheckCase{"second_letter", alpha(16, 'E', 50, 'X'), 1, "error: 2nd direction should be E,W,N,S,A",
                  " 2nd dip direction = X\n => 2nd dip direction should be E,W,N,S,A\n"},
        CheckCase{"same_axis_ew", alpha(16, 'E', 50, 'W'), 1,
                  "error: same dip direction [modulo 180], early detection",
                  " 1st dip direction = E\n 2nd dip direction = W\n => Same directions modulo 180 deg\n"},
        CheckCase{"same_axis_ww", alpha(16, 'W', 50, 'W'), 1,
                  "error: same dip direction [modulo 180], early detection",
                  " 1st dip direction = W\n 2nd dip direction = W\n => Same directions modulo 180 deg\n"},
        CheckCase{"same_axis_ns", alpha(16, 'N', 50, 'S'), 1,
                  "error: same dip direction [modulo 180], early detection",
                  " 1st dip direction = N\n 2nd dip direction = S\n => Same directions modulo 180 deg\n"},
        CheckCase{"second_dip_range", alpha(16, 'W', 200, 'N'), 1, "error: 2nd app dip out of [0,90]",
                  " 2nd dip out of [0,90]\n 2nd dip =   200.0\n"},
        CheckCase{"first_dip_range", alpha(90.0001f, 'E', 50, 'N'), 1, "error: 1st app dip out of [0,90]",
                  " 1st dip out of [0,90]\n 1st dip =    90.0\n"},
        CheckCase{"first_of_several", alpha(120, 'e', 50, 'N'), 1, "error: 1st direction should be E,W,N,S",
                  " 1st dip direction = e\n => 1st dip direction should be E,W,N,S\n"},
        CheckCase{"negative_zero_passes", alpha(-0.0f, 'E', 50, 'N'), 1, "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Numerical, Checks,
    ::testing::Values(
        CheckCase{"passes", numeric(16, 90, 50, 0), 2, "", ""},
        CheckCase{"no_direction_range", numeric(16, 400, 50, 0), 2, "", ""},
        CheckCase{"dip_and_strike", numeric(16, 10, 0, 100), 2, "", ""},
        CheckCase{"second_dip_below_zero", numeric(16, 90, -0.00001f, 0), 2, "error: 2nd app dip out of [0,90]",
                  " 2nd dip out of [0,90]\n 2nd dip =     0.0\n"},
        CheckCase{"same_strike_180", numeric(16, 10, 50, 190), 2,
                  "error: same dip direction [modulo 180], early detection",
                  " The two data have same strike\n 1st dip dir = dd1 =    10.0\n 2nd dip dir = dd2 =   190.0\n"
                  " dd2 - dd1 =  0.000E+00 [modulo 180]\n"},
        CheckCase{"same_strike_0", numeric(16, 10, 50, 10), 2,
                  "error: same dip direction [modulo 180], early detection",
                  " The two data have same strike\n 1st dip dir = dd1 =    10.0\n 2nd dip dir = dd2 =    10.0\n"
                  " dd2 - dd1 =  0.000E+00 [modulo 180]\n"},
        CheckCase{"same_strike_negative", numeric(16, 0, 50, -180), 2,
                  "error: same dip direction [modulo 180], early detection",
                  " The two data have same strike\n 1st dip dir = dd1 =     0.0\n 2nd dip dir = dd2 =  -180.0\n"
                  " dd2 - dd1 =  0.000E+00 [modulo 180]\n"},
        CheckCase{"same_strike_370", numeric(16, 10, 50, 370), 2,
                  "error: same dip direction [modulo 180], early detection",
                  " The two data have same strike\n 1st dip dir = dd1 =    10.0\n 2nd dip dir = dd2 =   370.0\n"
                  " dd2 - dd1 =  0.000E+00 [modulo 180]\n"},
        CheckCase{"strike_along_dip", numeric(16, 10, 0, 190), 2,
                  "error: same dip direction [modulo 180], early detection",
                  " The two data have same strike\n 1st dip dir = dd1 =    10.0\n 2nd dip dir = dd2 =   190.0\n"
                  " dd2 - dd1 =  0.000E+00 [modulo 180]\n"},
        CheckCase{"first_dip_range", numeric(95, 90, 50, 0), 2, "error: 1st app dip out of [0,90]",
                  " 1st dip out of [0,90]\n 1st dip =    95.0\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ResultLine, FieldsTabsAndComment) {
  RunState st;
  st.IFORMAT = 1;
  Record rec = alpha(16, 'E', 50, 'N');
  rec.strike = 283.529f;
  rec.dip = 50.792f;
  std::string line;
  build_result_line(line, st, rec, true);
  EXPECT_EQ("  16.0\t'E'\t  50.0\t'N'\t 283.5\t  50.8\t ", line);

  rec.comment = "error: same dip direction [modulo 180], early detection";
  build_result_line(line, st, rec, false);
  EXPECT_EQ("  16.0\t'E'\t  50.0\t'N'\t      \t      \terror: same dip direction [modulo 180], early detection",
            line);

  st.IFORMAT = 2;
  Record num = numeric(16, 180, 0, 20);
  num.strike = 20;
  num.dip = 39.976f;
  num.comment = "output strike = input strike + 180";
  build_result_line(line, st, num, true);
  EXPECT_EQ("  16.0\t 180.0\t   0.0\t  20.0\t  20.0\t  40.0\toutput strike = input strike + 180", line);

  Record wide = numeric(16.25f, 10000, -0.04f, -999.95f);
  wide.strike = 359.96f;
  wide.dip = 0.05f;
  build_result_line(line, st, wide, true);
  EXPECT_EQ("  16.3\t******\t   0.0\t******\t 360.0\t   0.1\t ", line);
}

TEST(OutputHeader, InteractiveWritesOnlyTheReadingBanner) {
  TestSession ts;
  RunState st;
  Record rec;
  st.LINTERACT = true;
  st.IUOUT = 6;
  output_header_step(ts.s, st, rec);
  EXPECT_EQ(
      " -------------------------------------------\n"
      " READING INPUT DATA\n"
      " -------------------------------------------\n",
      ts.take());
}

}  // namespace
}  // namespace qx::program
