// The record checks: their order, and the cases the whole-run transcripts
// leave out.

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "quellatorix/main_program.hpp"
#include "quellatorix/records.hpp"
#include "support/angles.hpp"
#include "testkit/records.hpp"
#include "testkit/test_session.hpp"

namespace qx::program {
namespace {

using testkit::alpha;
using testkit::numeric;

constexpr const char* kEarly = "error: same dip direction [modulo 180], early detection";

TEST(CheckRecord, ReportsTheFirstFailureOnly) {
  const struct {
    const char* name;
    int format;
    Record rec;
    const char* comment;  // blank when every check passes
    const char* lines;    // the check's own lines after the record line
  } cases[] = {
      {"-0 E 50 N", 1, alpha(-0.0f, "E", 50, "N"), "", ""},
      {"90 E 0 N", 1, alpha(90, "E", 0, "N"), "", ""},
      {"16 W 50 W", 1, alpha(16, "W", 50, "W"), kEarly,
       " 1st dip direction = W\n 2nd dip direction = W\n => Same directions modulo 180 deg\n"},
      {"16 10 50 10", 2, numeric(16, 10, 50, 10), kEarly,
       " The two data have same strike\n 1st dip dir = dd1 =    10.0\n 2nd dip dir = dd2 =    10.0\n"
       " dd2 - dd1 =  0.000E+00 [modulo 180]\n"},
      {"95 10 50 190: the same strike is checked before the 1st dip's range", 2, numeric(95, 10, 50, 190),
       kEarly,
       " The two data have same strike\n 1st dip dir = dd1 =    10.0\n 2nd dip dir = dd2 =   190.0\n"
       " dd2 - dd1 =  0.000E+00 [modulo 180]\n"},
      {"16 10 95 190: the 2nd dip's range is checked before the same strike", 2, numeric(16, 10, 95, 190),
       "error: 2nd app dip out of [0,90]",
       " 2nd dip out of [0,90]\n 2nd dip =    95.0\n"},
      {"95 90 50 0", 2, numeric(95, 90, 50, 0), "error: 1st app dip out of [0,90]",
       " 1st dip out of [0,90]\n 1st dip =    95.0\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testkit::TestSession ts;
    trigoset(ts.s);
    ts.take();
    RunState st;
    st.IFORMAT = c.format;
    st.NREAD = 7;
    Record rec = c.rec;
    const bool passed = check_record(ts.s, st, rec);
    EXPECT_EQ(passed, *c.comment == '\0');
    EXPECT_EQ(rec.comment, c.comment);
    EXPECT_EQ(ts.take(), passed ? "" : testkit::kProgramErrorHead + " while reading data nb     7\n" + c.lines);
  }
}

// Counts past 2^31 records: the frames show the record number in full, the
// summary's five columns their asterisks.
TEST(RecordLoop, CountsPastTwoToTheThirtyOne) {
  testkit::TestSession ts;
  trigoset(ts.s);
  ts.dir.write("in.txt", "16 'E' 50 'N'\n16 'E' 50 'W'\nx 'E' 50 'N'\n");
  ASSERT_TRUE(ts.units.open(kInputFileUnit, "in.txt", "old"));
  RunState st;
  st.IUIN = kInputFileUnit;
  st.IUOUT = kOutputFileUnit;
  st.NREAD = INT32_MAX;
  st.NCONV = INT32_MAX;
  Record rec;
  ts.take();
  record_loop(ts.s, st, rec);
  EXPECT_EQ(st.NREAD, 2147483649);
  EXPECT_EQ(st.NCONV, 2147483648);
  const std::string frames = ts.take();
  EXPECT_NE(frames.find(" while reading data nb 2147483649\n"), std::string::npos);
  EXPECT_NE(frames.find(" when trying to read 2147483650 th data\n"), std::string::npos);
  summary(ts.s, st);
  EXPECT_NE(ts.take().find(" Read      ***** DATA\n Converted ***** DATA\n"), std::string::npos);
}

}  // namespace
}  // namespace qx::program
