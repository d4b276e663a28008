#include "quellatorix/dip.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <random>
#include <string>
#include <string_view>

#include "platform/fields.hpp"
#include "support/angles.hpp"
#include "testkit/test_session.hpp"

namespace qx::program {
namespace {

// ---------------------------------------------------------------- frames

std::string rule(char c) { return std::string(" ").append(50, c).append("\n"); }
std::string blanks(int n) { return std::string(static_cast<std::size_t>(n), ' '); }

std::string lines(std::initializer_list<std::string_view> ls) {
  std::string out;
  for (const auto l : ls) out.append(l).append("\n");
  return out;
}

const std::string kWarningHead = rule('/') + " ///" + blanks(10) + "subroutine   quellatorix" + blanks(10) +
                                 "///\n" + " ///" + blanks(18) + "WARNING " + blanks(18) + "///\n" + rule('/');
const std::string kPause = " ===> HIT RETURN TO CONTINUE\n";
const std::string kWarningTail = rule('/') + " ///" + blanks(16) + "WARNING END " + blanks(16) + "///\n" + rule('/');
const std::string kErrorHead = rule('*') + rule('*') + " ***" + blanks(44) + "***\n" + " ***" + blanks(10) +
                               "subroutine   quellatorix" + blanks(10) + "***\n" + " ***" + blanks(19) + "ERROR " +
                               blanks(19) + "***\n" + " ***" + blanks(44) + "***\n" + rule('*') + rule('*');

// Fields are given as printed: the record number in 5 columns, values in 7.
std::string turn_frame(std::string_view nb, std::string_view before, std::string_view after) {
  return kWarningHead +
         lines({std::string(" while reading data nb ").append(nb), " input  strike with dip to the LEFT",
                " output strike with dip to the RIGHT", std::string(" strike = ").append(before),
                std::string(" ==> strike reset to : ").append(after)}) +
         kPause + kWarningTail;
}

std::string horizontal_frame(std::string_view nb, std::string_view dip1, std::string_view dip2) {
  return kWarningHead +
         lines({std::string(" while reading data nb ").append(nb), " horizontal plane",
                std::string(" 1st dip = ").append(dip1), std::string(" 2nd dip = ").append(dip2)}) +
         kPause + kWarningTail;
}

std::string late_frame(std::string_view nb, std::string_view dir1, std::string_view dir2) {
  return kErrorHead + lines({std::string(" while reading data nb ").append(nb), " The two data have same strike",
                             std::string(" 1st dip dir = ").append(dir1),
                             std::string(" 2nd dip dir = ").append(dir2)});
}

constexpr std::string_view kTurned = "output strike = input strike + 180";
constexpr std::string_view kLate = "error: same dip direction [modulo 180], late detection";

// ---------------------------------------------------------------- running

constexpr float kUntouched = -999.0f;

Record alpha(float d1, std::string_view l1, float d2, std::string_view l2) {
  Record r;
  r.dipa1 = d1;
  r.DDIR[0] = l1;
  r.dipa2 = d2;
  r.DDIR[1] = l2;
  return r;
}

Record numeric(float d1, float dd1, float d2, float dd2) {
  Record r;
  r.dipa1 = d1;
  r.DIPDA = {dd1, dd2};
  r.dipa2 = d2;
  return r;
}

struct Converted {
  Outcome outcome;
  Record rec;
  std::string console;
  std::size_t returns_read;  // lines the pauses took
};

constexpr std::size_t kTyped = 4;

Converted convert(int format, Record rec, std::int32_t nread = 1) {
  testkit::TestSession ts("\n\n\n\n");
  trigoset(ts.s);
  ts.take();
  RunState st;
  st.IFORMAT = format;
  st.NREAD = nread;
  rec.strike = kUntouched;
  rec.dip = kUntouched;
  const Outcome o = dip_computation(ts.s, st, rec);
  return {o, rec, ts.take(), kTyped - ts.console.lines_left()};
}

std::string shown(float v) { return field::fixed_field(v, 6, 1); }

// ---------------------------------------------------------------- references

// The plane through two lines, in double precision: each apparent dip (or
// the strike, a horizontal line) as a unit vector east, north, up; their
// cross product is the normal, turned upwards; the strike is the dip
// direction less 90 degrees (the plane dips to the right of its strike).
struct Plane {
  double strike;
  double dip;
};

struct Vec {
  double e, n, u;
};

Vec line(double plunge_deg, double azimuth_deg) {
  const double k = std::acos(-1.0) / 180.0;
  const double p = plunge_deg * k;
  const double a = azimuth_deg * k;
  return {std::cos(p) * std::sin(a), std::cos(p) * std::cos(a), -std::sin(p)};
}

Plane plane_through(Vec v, Vec w) {
  Vec n{v.n * w.u - v.u * w.n, v.u * w.e - v.e * w.u, v.e * w.n - v.n * w.e};
  if (n.u < 0) n = {-n.e, -n.n, -n.u};
  const double k = 180.0 / std::acos(-1.0);
  const double dip_direction = std::atan2(n.e, n.n) * k;
  return {std::fmod(dip_direction - 90.0 + 720.0, 360.0), std::atan2(std::hypot(n.e, n.n), n.u) * k};
}

double angle_between(double a, double b) {
  const double d = std::fmod(std::fabs(a - b), 360.0);
  return std::min(d, 360.0 - d);
}

// The two-dips dip exactly as the single-precision steps give it, apart
// from the mend. Inputs pass through memory so that no step is folded at
// compile time with other rounding than the library's.
float two_dips_formula_dip(float d1, float dd1, float d2, float dd2) {
  volatile float in[4] = {d1, dd1, d2, dd2};
  constexpr float kRad = std::bit_cast<float>(0x3C8EFA35u);
  constexpr float kDeg = std::bit_cast<float>(0x42652EE0u);
  const float r = (in[1] - in[3]) * kRad;
  const float sr = std::sin(r);
  const float cr = std::cos(r);
  const float t2 = std::tan(in[2] * kRad);
  const float t1 = std::tan(in[0] * kRad);
  const float q = t2 / t1;
  const float a = std::atan((cr - q) / sr);
  return std::atan(t1 / std::cos(a)) * kDeg;
}

// ---------------------------------------------------------------- examples

struct Example {
  const char* name;
  int format;
  Record rec;
  std::string_view strike;  // as the result line shows them
  std::string_view dip;
  double strike_more;  // more digits where known, else NaN
  double dip_more;
  std::string_view comment;
};

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

TEST(DipComputation, ConvertsTheWorkedExamplesWithoutAFrame) {
  const Example examples[] = {
      {"16 E 50 N", 1, alpha(16, "E", 50, "N"), " 283.5", "  50.8", 283.529, 50.792, ""},
      {"16 90 50 0", 2, numeric(16, 90, 50, 0), " 283.5", "  50.8", 283.529, 50.792, ""},
      {"50 N 16 E", 1, alpha(50, "N", 16, "E"), " 283.5", "  50.8", kNone, kNone, ""},
      {"16 W 200 A", 1, alpha(16, "W", 200, "A"), " 200.0", "  17.0", kNone, 16.969, ""},
      {"16 W -160 A", 1, alpha(16, "W", -160, "A"), " 200.0", "  17.0", kNone, 16.969, ""},
      {"16 W 560 A", 1, alpha(16, "W", 560, "A"), " 200.0", "  17.0", kNone, 16.969, ""},
      {"45 E 45 N", 1, alpha(45, "E", 45, "N"), " 315.0", "  54.7", kNone, 54.736, ""},
      {"45 N 45 E", 1, alpha(45, "N", 45, "E"), " 315.0", "  54.7", kNone, 54.736, ""},
      {"45 45 45 315", 2, numeric(45, 45, 45, 315), " 270.0", "  54.7", kNone, 54.736, ""},
      {"30 90 40 0", 2, numeric(30, 90, 40, 0), " 304.5", "  45.5", kNone, kNone, ""},
      {"30 0 40 90", 2, numeric(30, 0, 40, 90), " 325.5", "  45.5", kNone, kNone, ""},
      {"30 -90 40 0", 2, numeric(30, -90, 40, 0), " 235.5", "  45.5", kNone, kNone, ""},
      {"30 10 20 100", 2, numeric(30, 10, 20, 100), " 312.2", "  34.3", kNone, kNone, ""},
      {"90 W 200 A", 1, alpha(90, "W", 200, "A"), " 200.0", "  90.0", kNone, kNone, "vertical plane"},
      {"30 E 270 A", 1, alpha(30, "E", 270, "A"), " 270.0", "  90.0", kNone, 89.99998, ""},
      // numerical: a second dip below 0.0001 makes the fourth value a strike
      {"16 90 0.00009 0", 2, numeric(16, 90, 0.00009f, 0), "   0.0", "  16.0", kNone, kNone, ""},
  };
  for (const Example& ex : examples) {
    SCOPED_TRACE(ex.name);
    const Converted run = convert(ex.format, ex.rec);
    EXPECT_EQ(run.outcome, Outcome::converted);
    EXPECT_EQ(shown(run.rec.strike), ex.strike);
    EXPECT_EQ(shown(run.rec.dip), ex.dip);
    if (!std::isnan(ex.strike_more)) {
      EXPECT_NEAR(run.rec.strike, ex.strike_more, 0.0005);
    }
    if (!std::isnan(ex.dip_more)) {
      EXPECT_NEAR(run.rec.dip, ex.dip_more, 0.0005);
    }
    EXPECT_EQ(run.rec.comment, ex.comment);
    EXPECT_EQ(run.console, "");
    EXPECT_EQ(run.returns_read, 0u);
  }
}

TEST(DipComputation, LettersBecomeAzimuths) {
  const Converted two = convert(1, alpha(16, "S", 50, "W"));
  EXPECT_EQ(two.rec.DIPDA[0], 180.0f);
  EXPECT_EQ(two.rec.DIPDA[1], 270.0f);
  const Converted one = convert(1, alpha(16, "E", 10.5f, "A"));
  EXPECT_EQ(one.rec.DIPDA[0], 90.0f);
  EXPECT_EQ(one.rec.DIPDA[1], 10.5f);
  // and in the numerical format the azimuths are used as read
  const Converted num = convert(2, numeric(16, 400, 50, -30));
  EXPECT_EQ(num.rec.DIPDA[0], 400.0f);
  EXPECT_EQ(num.rec.DIPDA[1], -30.0f);
}

TEST(DipComputation, TurnsAStrikeGivenWithTheDipToItsLeft) {
  // The numerical help screen's example: the line shows the turned strike.
  Converted run = convert(2, numeric(16, 180, 0, 200));
  EXPECT_EQ(run.console, turn_frame("    1", "  200.0", "   20.0"));
  EXPECT_EQ(run.outcome, Outcome::converted);
  EXPECT_EQ(shown(run.rec.strike), "  20.0");
  EXPECT_EQ(shown(run.rec.dip), "  40.0");
  EXPECT_NEAR(run.rec.dip, 39.976, 0.0005);
  EXPECT_EQ(run.rec.comment, kTurned);
  EXPECT_EQ(run.rec.DIPDA[1], 20.0f);
  EXPECT_EQ(run.returns_read, 1u);

  // Alphanumerical: the strike as read stays in dipa2.
  run = convert(1, alpha(16, "W", 20, "A"), 7);
  EXPECT_EQ(run.console, turn_frame("    7", "   20.0", "  200.0"));
  EXPECT_EQ(shown(run.rec.strike), " 200.0");
  EXPECT_EQ(shown(run.rec.dip), "  17.0");
  EXPECT_EQ(run.rec.comment, kTurned);
  EXPECT_EQ(run.rec.dipa2, 20.0f);

  // A vertical plane replaces the comment of the turn.
  run = convert(2, numeric(90, 90, 0, 200));
  EXPECT_EQ(run.console, turn_frame("    1", "  200.0", "   20.0"));
  EXPECT_EQ(shown(run.rec.strike), "  20.0");
  EXPECT_EQ(run.rec.dip, 90.0f);
  EXPECT_EQ(run.rec.comment, "vertical plane");

  // Two turns: -180.00002 + 180 rounds to a hair below 0, reduced to 360.
  run = convert(1, alpha(16, "N", -180.00002f, "A"));
  EXPECT_EQ(run.console, turn_frame("    1", " -180.0", "  360.0") + turn_frame("    1", "  360.0", "  180.0"));
  EXPECT_EQ(run.outcome, Outcome::converted);
  EXPECT_EQ(shown(run.rec.strike), " 180.0");
  EXPECT_EQ(shown(run.rec.dip), "  90.0");
  EXPECT_EQ(run.rec.comment, kTurned);
  EXPECT_EQ(run.returns_read, 2u);
}

TEST(DipComputation, ConvertsHorizontalPlanesWithAWarning) {
  const struct {
    const char* name;
    int format;
    Record rec;
    std::int32_t nread;
    std::string_view nb, dip1, dip2;
  } cases[] = {
      {"0 W 20 A (no turn)", 1, alpha(0, "W", 20, "A"), 1, "    1", "    0.0", "   20.0"},
      {"0 E 200 A", 1, alpha(0, "E", 200, "A"), 12, "   12", "    0.0", "  200.0"},
      {"0 E 90 A (sine zero)", 1, alpha(0, "E", 90, "A"), 3, "    3", "    0.0", "   90.0"},
      {"0 90 0 200", 2, numeric(0, 90, 0, 200), 1, "    1", "    0.0", "    0.0"},
      {"0.00005 90 0 200", 2, numeric(0.00005f, 90, 0, 200), 1, "    1", "    0.0", "    0.0"},
      {"0 E 0 N", 1, alpha(0, "E", 0, "N"), 123456, "123456", "    0.0", "    0.0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Converted run = convert(c.format, c.rec, c.nread);
    EXPECT_EQ(run.console, horizontal_frame(c.nb, c.dip1, c.dip2));
    EXPECT_EQ(run.outcome, Outcome::converted);
    EXPECT_EQ(run.rec.strike, 0.0f);
    EXPECT_EQ(run.rec.dip, 0.0f);
    EXPECT_EQ(run.rec.comment, "horizontal plane");
    EXPECT_EQ(run.returns_read, 1u);
  }
}

TEST(DipComputation, FailsWithAnErrorFrameLeftOpen) {
  const std::string first_zero = kErrorHead + lines({" while reading data nb     1",
                                                     " 1st data should be in 2nd position", " 1st dip =     0.0"});
  auto vertical = [](std::string_view text, std::string_view d1, std::string_view d2) {
    return kErrorHead + lines({" while reading data nb     1", std::string(" ").append(text),
                               std::string(" 1st dip = ").append(d1), std::string(" 2nd dip = ").append(d2)});
  };
  const struct {
    const char* name;
    int format;
    Record rec;
    std::string console;
    std::string_view comment;
  } cases[] = {
      {"0 E 30 N", 1, alpha(0, "E", 30, "N"), first_zero, "error: 1st dip = 0 => should be in 2nd position"},
      {"0 E 90 N", 1, alpha(0, "E", 90, "N"), first_zero, "error: 1st dip = 0 => should be in 2nd position"},
      {"90 E 90 N", 1, alpha(90, "E", 90, "N"), vertical("vertical plane without strike", "   90.0", "   90.0"),
       "error: vertical plane without strike"},
      {"90 E 30 N", 1, alpha(90, "E", 30, "N"),
       vertical("inconsistent dips for vertical plane", "   90.0", "   30.0"),
       "error: inconsistent dips for vertical plane"},
      {"30 E 90 N", 1, alpha(30, "E", 90, "N"),
       vertical("inconsistent dips for vertical plane", "   30.0", "   90.0"),
       "error: inconsistent dips for vertical plane"},
      {"90 E 0 N", 1, alpha(90, "E", 0, "N"), vertical("inconsistent dips for vertical plane", "   90.0", "    0.0"),
       "error: inconsistent dips for vertical plane"},
      {"90 E 90 A (sine before vertical)", 1, alpha(90, "E", 90, "A"), late_frame("    1", "   90.0", "   90.0"),
       kLate},
      {"30 E 90 A", 1, alpha(30, "E", 90, "A"), late_frame("    1", "   90.0", "   90.0"), kLate},
      {"30 10 40 10 (two dips)", 2, numeric(30, 10, 40, 10), late_frame("    1", "   10.0", "   10.0"), kLate},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Converted run = convert(c.format, c.rec);
    EXPECT_EQ(run.outcome, Outcome::failed);
    EXPECT_EQ(run.console, c.console);
    EXPECT_EQ(run.rec.comment, c.comment);
    EXPECT_EQ(run.rec.strike, kUntouched);
    EXPECT_EQ(run.rec.dip, kUntouched);
    EXPECT_EQ(run.returns_read, 0u);
  }
}

TEST(DipComputation, DetectsCoincidenceLateAfterATurn) {
  // The single-precision sine of 180 degrees is a small negative number.
  const Converted run = convert(1, alpha(30, "W", 90, "A"));
  EXPECT_EQ(run.console, turn_frame("    1", "   90.0", "  270.0") + late_frame("    1", "  270.0", "  270.0"));
  EXPECT_EQ(run.outcome, Outcome::failed);
  EXPECT_EQ(run.rec.comment, kLate);
  EXPECT_EQ(run.rec.DIPDA[1], 270.0f);
  EXPECT_EQ(run.rec.strike, kUntouched);
  EXPECT_EQ(run.returns_read, 1u);
}

TEST(DipComputation, GivesUpBeforeAThirdTurn) {
  // At tens of millions of degrees the difference keeps no fraction of a
  // degree: the sine is negative for 290 and for 110 alike.
  const Converted run = convert(2, numeric(16, 34029112, 0, 290), 5);
  EXPECT_EQ(run.console, turn_frame("    5", "  290.0", "  110.0") + turn_frame("    5", "  110.0", "  290.0") +
                             late_frame("    5", "*******", "  290.0"));
  EXPECT_EQ(run.outcome, Outcome::failed);
  EXPECT_EQ(run.rec.comment, kLate);
  EXPECT_EQ(run.rec.DIPDA[1], 290.0f);
  EXPECT_EQ(run.rec.dip, kUntouched);
  EXPECT_EQ(run.returns_read, 2u);
}

// ---------------------------------------------------------------- geometry

TEST(DipComputation, AgreesWithAVectorComputation) {
  testkit::TestSession ts;
  trigoset(ts.s);
  std::mt19937 gen(4242);
  std::uniform_real_distribution<float> u(0.0f, 1.0f);
  const char* letters[] = {"N", "E", "S", "W"};
  int checked = 0;
  for (int i = 0; i < 600; ++i) {
    const bool strike_case = i % 2 == 1;
    const float dip1 = 1.0f + 88.0f * u(gen);
    Record rec;
    int format = 2;
    Plane want{};
    if (!strike_case && i % 4 == 0) {
      // letters on different axes
      const int k1 = static_cast<int>(gen() % 4);
      const int k2 = (k1 + 1 + 2 * static_cast<int>(gen() % 2)) % 4;
      rec = alpha(dip1, letters[k1], 1.0f + 88.0f * u(gen), letters[k2]);
      format = 1;
      want = plane_through(line(rec.dipa1, 90.0 * k1), line(rec.dipa2, 90.0 * k2));
    } else {
      // directions at least 10 degrees off one axis, within the help range
      const float dd1 = std::round(7200.0f * u(gen) - 3600.0f) / 10.0f;
      const float off = (10.0f + std::round(1600.0f * u(gen)) / 10.0f) * ((gen() & 1) ? 1.0f : -1.0f);
      const float dd2 = dd1 + off + ((gen() & 1) ? 180.0f : 0.0f);
      if (std::fabs(dd2) > 360.0f) continue;
      if (strike_case) {
        rec = numeric(dip1, dd1, 0.0f, dd2);
        want = plane_through(line(dip1, dd1), line(0.0, dd2));
      } else {
        rec = numeric(dip1, dd1, 1.0f + 88.0f * u(gen), dd2);
        want = plane_through(line(rec.dipa1, dd1), line(rec.dipa2, dd2));
      }
    }
    RunState st;
    st.IFORMAT = format;
    st.NREAD = i + 1;
    const Record drawn = rec;
    ASSERT_EQ(dip_computation(ts.s, st, rec), Outcome::converted);
    EXPECT_LT(angle_between(rec.strike, want.strike), 0.01)
        << drawn.dipa1 << " " << drawn.DIPDA[0] << " " << drawn.dipa2 << " " << drawn.DIPDA[1];
    EXPECT_NEAR(rec.dip, want.dip, 0.01)
        << drawn.dipa1 << " " << drawn.DIPDA[0] << " " << drawn.dipa2 << " " << drawn.DIPDA[1];
    EXPECT_TRUE(rec.strike >= 0.0f && rec.strike < 360.0f) << rec.strike;
    ++checked;
  }
  EXPECT_GT(checked, 500);
}

// ---------------------------------------------------------------- the mend

// Where the first direction runs within a hair of the strike, the angle a
// rounds next to or past pi/2 and the two-dips formula loses the dip.
TEST(DipComputation, KeepsTheDipWhereTheFirstDirectionHugsTheStrike) {
  const struct {
    const char* name;
    Record rec;
    std::string_view strike;
    std::string_view dip;
  } cases[] = {
      {"1 E 89.99999 N (a past pi/2)", alpha(1, "E", 89.99999f, "N"), " 270.0", "  90.0"},
      {"0.00001 W 83 S (a past pi/2)", alpha(0.00001f, "W", 83, "S"), "  90.0", "  83.0"},
      {"0.000002 W 45 S (a next to pi/2)", alpha(0.000002f, "W", 45, "S"), "  90.0", "  45.0"},
      {"0.0002 W 45 S", alpha(0.0002f, "W", 45, "S"), "  90.0", "  45.0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Converted run = convert(1, c.rec);
    ASSERT_EQ(run.outcome, Outcome::converted);
    EXPECT_EQ(shown(run.rec.strike), c.strike);
    EXPECT_EQ(shown(run.rec.dip), c.dip);
    const Plane want = plane_through(line(c.rec.dipa1, run.rec.DIPDA[0]), line(c.rec.dipa2, run.rec.DIPDA[1]));
    EXPECT_NEAR(run.rec.dip, want.dip, 0.01);
    EXPECT_LT(angle_between(run.rec.strike, want.strike), 0.01);
    EXPECT_EQ(run.console, "");
  }
}

TEST(DipComputation, KeepsTheDipAcrossNearlyDegenerateRecords) {
  testkit::TestSession ts;
  trigoset(ts.s);
  std::mt19937 gen(90);
  std::uniform_real_distribution<float> u(0.0f, 1.0f);
  for (int i = 0; i < 400; ++i) {
    float d1 = 0.5f + 89.0f * u(gen);
    float d2 = 0.5f + 89.0f * u(gen);
    if (i % 2 == 0) {
      d1 = std::pow(10.0f, -10.0f * u(gen));  // tiny beside the second
    } else {
      d2 = 90.0f - std::pow(10.0f, -6.5f * u(gen));  // a hair below 90
      if (d2 == 90.0f) continue;
    }
    const float dd1 = std::round(7200.0f * u(gen) - 3600.0f) / 10.0f;
    const float dd2 = dd1 + (10.0f + std::round(1600.0f * u(gen)) / 10.0f) * ((gen() & 1) ? 1.0f : -1.0f);
    Record rec = numeric(d1, dd1, d2, dd2);
    RunState st;
    st.IFORMAT = 2;
    ASSERT_EQ(dip_computation(ts.s, st, rec), Outcome::converted);
    const Plane want = plane_through(line(d1, dd1), line(d2, dd2));
    EXPECT_GE(rec.dip, 0.0f);
    EXPECT_NEAR(rec.dip, want.dip, 0.01) << d1 << " " << dd1 << " " << d2 << " " << dd2;
    EXPECT_LT(angle_between(rec.strike, want.strike), 0.01) << d1 << " " << dd1 << " " << d2 << " " << dd2;
  }
}

TEST(DipComputation, LeavesEverySoundRecordBitForBit) {
  testkit::TestSession ts;
  trigoset(ts.s);
  auto dip_of = [&](int format, Record rec) {
    RunState st;
    st.IFORMAT = format;
    EXPECT_EQ(dip_computation(ts.s, st, rec), Outcome::converted);
    return rec.dip;
  };
  // Next to pi/2, yet within 0.01 degree: the formula stands.
  EXPECT_EQ(std::bit_cast<std::uint32_t>(dip_of(1, alpha(1, "E", 89.9999f, "N"))),
            std::bit_cast<std::uint32_t>(two_dips_formula_dip(1, 90, 89.9999f, 0)));
  EXPECT_EQ(std::bit_cast<std::uint32_t>(dip_of(2, numeric(0.003f, 90, 30, 0))),
            std::bit_cast<std::uint32_t>(two_dips_formula_dip(0.003f, 90, 30, 0)));
  // And far from it, everywhere.
  std::mt19937 gen(7);
  std::uniform_real_distribution<float> u(0.0f, 1.0f);
  for (int i = 0; i < 400; ++i) {
    const float d1 = 1.0f + 88.0f * u(gen);
    const float d2 = 1.0f + 88.0f * u(gen);
    const float dd1 = 720.0f * u(gen) - 360.0f;
    const float dd2 = dd1 + (1.0f + 178.0f * u(gen)) * ((gen() & 1) ? 1.0f : -1.0f);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(dip_of(2, numeric(d1, dd1, d2, dd2))),
              std::bit_cast<std::uint32_t>(two_dips_formula_dip(d1, dd1, d2, dd2)))
        << d1 << " " << dd1 << " " << d2 << " " << dd2;
  }
}

}  // namespace
}  // namespace qx::program
