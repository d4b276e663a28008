// The conversion of one checked record: more digits than a result line
// shows, the branches no file record can reach, the geometry against a
// vector computation, and the bound on the turns.

#include "quellatorix/dip.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fields.hpp"
#include "support/angles.hpp"
#include "testkit/records.hpp"
#include "testkit/test_session.hpp"

namespace qx::program {
namespace {

using testkit::alpha;
using testkit::kProgramErrorHead;
using testkit::kProgramWarningHead;
using testkit::kWarningTail;
using testkit::numeric;

// The record number and the values as the frames print them.
std::string turn_frame(std::string_view nb, std::string_view before, std::string_view after) {
  return kProgramWarningHead + " while reading data nb " + std::string(nb) +
         "\n input  strike with dip to the LEFT\n output strike with dip to the RIGHT\n strike = " +
         std::string(before) + "\n ==> strike reset to : " + std::string(after) + "\n" + kWarningTail;
}

std::string late_frame(std::string_view nb, std::string_view dir1, std::string_view dir2) {
  return kProgramErrorHead + " while reading data nb " + std::string(nb) +
         "\n The two data have same strike\n 1st dip dir = " + std::string(dir1) + "\n 2nd dip dir = " +
         std::string(dir2) + "\n";
}

std::string horizontal_frame(std::string_view dip2) {
  return kProgramWarningHead + " while reading data nb    12\n horizontal plane\n 1st dip =     0.0\n 2nd dip = " +
         std::string(dip2) + "\n" + kWarningTail;
}

const std::string kTooLargeFrame = kProgramErrorHead +
                                   " while reading data nb     3\n The directions are too large to compute with\n"
                                   " 1st dip dir = *******\n 2nd dip dir = *******\n";

constexpr std::string_view kTurned = "output strike = input strike + 180";
constexpr std::string_view kLate = "error: same dip direction [modulo 180], late detection";
constexpr std::string_view kTooLarge = "error: directions too large to compute with";
constexpr float kUntouched = -999.0f;

struct Result {
  Outcome outcome;
  Record rec;
  std::string console;
  std::size_t pauses;  // RETURNs taken
};

Result convert(int format, Record rec, int nread) {
  testkit::TestSession ts("\n\n\n\n\n\n\n\n");
  trigoset(ts.s);
  ts.take();
  RunState st;
  st.IFORMAT = format;
  st.NREAD = nread;
  rec.strike = kUntouched;
  rec.dip = kUntouched;
  const Outcome o = dip_computation(ts.s, st, rec);
  return {o, rec, ts.take(), 8 - ts.console.lines_left()};
}

TEST(DipComputation, Converts) {
  const struct {
    const char* name;
    int format;
    Record rec;
    double strike, dip;
    std::string console;
    std::string_view comment;
    double tol = 0.0005;
  } cases[] = {
      {"16 E 50 N", 1, alpha(16, "E", 50, "N"), 283.529, 50.792, "", ""},
      {"16 90 50 0", 2, numeric(16, 90, 50, 0), 283.529, 50.792, "", ""},
      {"16 W 200 A", 1, alpha(16, "W", 200, "A"), 200.0, 16.969, "", ""},
      {"16 W -160 A (no turn)", 1, alpha(16, "W", -160, "A"), 200.0, 16.969, "", ""},
      {"16 W 560 A (no turn)", 1, alpha(16, "W", 560, "A"), 200.0, 16.969, "", ""},
      {"45 N 45 E", 1, alpha(45, "N", 45, "E"), 315.0, 54.736, "", ""},
      {"45 45 45 315", 2, numeric(45, 45, 45, 315), 270.0, 54.736, "", ""},
      // The single-precision sine of -180 degrees is a hair above zero.
      {"30 E 270 A", 1, alpha(30, "E", 270, "A"), 270.0, 89.99998, "", "", 0.000005},
      // A second dip below 0.0001 makes the fourth value a strike.
      {"16 90 0.00009 0", 2, numeric(16, 90, 0.00009f, 0), 0.0, 16.0, "", ""},
      {"16 180 0 200", 2, numeric(16, 180, 0, 200), 20.0, 39.976, turn_frame("   12", "  200.0", "   20.0"),
       kTurned},
      // Horizontal before the sine's sign: no turn.
      {"0 W 20 A", 1, alpha(0, "W", 20, "A"), 0.0, 0.0, horizontal_frame("   20.0"), "horizontal plane"},
      // Dips whose tangents vanish in single precision: not 0/0.
      {"1e-44 E 1e-44 N", 1, alpha(1e-44f, "E", 1e-44f, "N"), 0.0, 0.0, horizontal_frame("    0.0"),
       "horizontal plane"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Result run = convert(c.format, c.rec, 12);
    EXPECT_EQ(run.outcome, Outcome::converted);
    EXPECT_NEAR(run.rec.strike, c.strike, c.tol);
    EXPECT_NEAR(run.rec.dip, c.dip, c.tol);
    EXPECT_EQ(run.rec.comment, c.comment);
    EXPECT_EQ(run.console, c.console);
  }
}

// Records the checks keep away, and the order of the two-dips tests.
TEST(DipComputation, FailsWithItsErrorFrameLeftOpen) {
  const struct {
    const char* name;
    int format;
    Record rec;
    std::string console;
    std::string_view comment;
  } cases[] = {
      {"0 E 90 N: first dip zero before vertical", 1, alpha(0, "E", 90, "N"),
       kProgramErrorHead + " while reading data nb     3\n 1st data should be in 2nd position\n 1st dip =     0.0\n",
       "error: 1st dip = 0 => should be in 2nd position"},
      {"90 E 90 A: the sine before vertical", 1, alpha(90, "E", 90, "A"), late_frame("    3", "   90.0", "   90.0"),
       kLate},
      {"0 10 90 10: two dips in one direction, the sine first", 2, numeric(0, 10, 90, 10),
       late_frame("    3", "   10.0", "   10.0"), kLate},
      // Directions whose difference overflows, before any other test on every road.
      {"90 3e38 0 -3e38: before vertical", 2, numeric(90, 3e38f, 0, -3e38f), kTooLargeFrame, kTooLarge},
      {"0 3e38 0 -3e38: before horizontal", 2, numeric(0, 3e38f, 0, -3e38f), kTooLargeFrame, kTooLarge},
      {"90 3e38 50 -3e38: before inconsistent vertical", 2, numeric(90, 3e38f, 50, -3e38f), kTooLargeFrame,
       kTooLarge},
      {"0 -3e38 50 3e38: before first dip zero", 2, numeric(0, -3e38f, 50, 3e38f), kTooLargeFrame, kTooLarge},
      {"16 3e38 0 -3e38", 2, numeric(16, 3e38f, 0, -3e38f), kTooLargeFrame, kTooLarge},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Result run = convert(c.format, c.rec, 3);
    EXPECT_EQ(run.outcome, Outcome::failed);
    EXPECT_EQ(run.console, c.console);
    EXPECT_EQ(run.rec.comment, c.comment);
    EXPECT_EQ(run.rec.strike, kUntouched);
    EXPECT_EQ(run.rec.dip, kUntouched);
    EXPECT_EQ(run.pauses, 0u);
  }
}

// A turn depends only on the strike it starts from: the turning goes on
// until the sine is positive, and ends in the late-detection error once the
// strike comes back to a value it held.
TEST(DipComputation, TurnsUntilTheStrikeComesBack) {
  const struct {
    const char* name;
    int format;
    Record rec;
    std::size_t turns;
    Outcome outcome;
    float strike, dip;
  } cases[] = {
      {"16 N -180.00002 A", 1, alpha(16, "N", -180.00002f, "A"), 2, Outcome::converted, 180.0f, 90.0f},
      {"16 W -8.76394018e33 A", 1, alpha(16, "W", -8.76394018e33f, "A"), 3, Outcome::converted, 180.0f, 16.0f},
      {"16 97209528 0 191489216", 2, numeric(16, 97209528, 0, 191489216), 3, Outcome::converted, 344.0f, 89.2f},
      {"16 34029112 0 290: 290, 110, 290", 2, numeric(16, 34029112, 0, 290), 2, Outcome::failed, kUntouched,
       kUntouched},
      {"16 -748.027771 0 511.972137: 332, 152, 332", 2, numeric(16, -748.027771f, 0, 511.972137f), 3,
       Outcome::failed, kUntouched, kUntouched},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Result run = convert(c.format, c.rec, 5);
    EXPECT_EQ(run.outcome, c.outcome);
    // Each turn frame pauses; the error frame is closed by the failed-record step.
    EXPECT_EQ(run.pauses, c.turns);
    EXPECT_EQ(run.console.find(kProgramErrorHead) != std::string::npos, c.outcome == Outcome::failed);
    EXPECT_EQ(run.rec.comment, c.outcome == Outcome::failed ? kLate : kTurned);
    EXPECT_NEAR(run.rec.strike, c.strike, 0.05f);
    EXPECT_NEAR(run.rec.dip, c.dip, 0.05f);
  }
}

// Directions whose difference overflows single precision leave nothing to
// compute with: a failed record, never a NaN or an infinity.
TEST(DipComputation, NoNaNOrInfinityFromAnyDirections) {
  testkit::TestSession ts;
  trigoset(ts.s);
  std::mt19937 gen(77);
  std::uniform_real_distribution<float> u(0.0f, 1.0f);
  auto far = [&] {
    const float v = std::min(std::pow(10.0f, 38.6f * u(gen)), 3.4e38f);
    return (gen() & 1) ? v : -v;
  };
  int too_large = 0;
  for (int i = 0; i < 20000; ++i) {
    const float d1 = 90.0f * u(gen);
    const float d2 = i % 2 == 0 ? 0.0f : 90.0f * u(gen);
    const bool letters = i % 3 == 0;
    Record rec = letters ? alpha(d1, "W", far(), "A") : numeric(d1, far(), d2, far());
    rec.strike = kUntouched;
    rec.dip = kUntouched;
    RunState st;
    st.IFORMAT = letters ? 1 : 2;
    const Outcome o = dip_computation(ts.s, st, rec);
    const std::string console = ts.take();
    SCOPED_TRACE(testing::Message() << rec.dipa1 << " " << rec.DIPDA[0] << " " << rec.dipa2 << " " << rec.DIPDA[1]);
    ASSERT_TRUE(std::isfinite(rec.strike) && std::isfinite(rec.dip)) << rec.strike << " " << rec.dip;
    ASSERT_EQ(console.find("NaN"), std::string::npos) << console;
    ASSERT_EQ(console.find("Inf"), std::string::npos) << console;
    if (o == Outcome::failed && rec.comment == "error: directions too large to compute with") ++too_large;
  }
  EXPECT_GT(too_large, 0);
}

// The plane through two lines (plunge, azimuth; degrees) in double
// precision: the normal is the cross product of their unit vectors (east,
// north, up), turned upwards; the strike is the dip direction less 90.
struct Plane {
  double strike, dip;
};

// The azimuth of the letter N, E, S or W by its index.
float azimuth(int k) { return 90.0f * static_cast<float>(k); }

Plane plane_through(float p1, float a1, float p2, float a2) {
  const double k = std::acos(-1.0) / 180.0;
  auto unit = [k](float pf, float af) {
    const auto p = static_cast<double>(pf);
    const auto a = static_cast<double>(af);
    return std::array<double, 3>{std::cos(p * k) * std::sin(a * k), std::cos(p * k) * std::cos(a * k),
                                 -std::sin(p * k)};
  };
  const auto v = unit(p1, a1);
  const auto w = unit(p2, a2);
  std::array<double, 3> n{v[1] * w[2] - v[2] * w[1], v[2] * w[0] - v[0] * w[2], v[0] * w[1] - v[1] * w[0]};
  if (n[2] < 0) n = {-n[0], -n[1], -n[2]};
  return {std::fmod(std::atan2(n[0], n[1]) / k + 630.0, 360.0), std::atan2(std::hypot(n[0], n[1]), n[2]) / k};
}

// Also where the first direction hugs the strike (a tiny first dip, or a
// second one a hair below 90): there the plain formula loses the dip, and
// past pi/2 turns it negative.
TEST(DipComputation, AgreesWithAVectorComputation) {
  struct Drawn {
    int format;
    Record rec;
    Plane want;
  };
  std::vector<Drawn> drawn;
  auto add_alpha = [&](float d1, int k1, float d2, int k2) {
    const char* letters[] = {"N", "E", "S", "W"};
    drawn.push_back({1, alpha(d1, letters[k1], d2, letters[k2]), plane_through(d1, azimuth(k1), d2, azimuth(k2))});
  };
  add_alpha(1, 1, 89.99999f, 0);
  add_alpha(0.00001f, 3, 83, 2);
  add_alpha(0.000002f, 3, 45, 2);
  add_alpha(0.0002f, 3, 45, 2);
  std::mt19937 gen(4242);
  std::uniform_real_distribution<float> u(0.0f, 1.0f);
  for (int i = 0; i < 1500; ++i) {
    float d1 = 1.0f + 88.0f * u(gen);
    float d2 = 1.0f + 88.0f * u(gen);
    if (i % 5 == 1) d1 = std::pow(10.0f, -10.0f * u(gen));
    if (i % 5 == 2) d2 = std::min(90.0f - std::pow(10.0f, -6.5f * u(gen)), std::nextafter(90.0f, 0.0f));
    if (i % 5 == 3) d2 = 0.0f;  // one dip and the strike
    if (i % 5 == 4) {
      const int k1 = static_cast<int>(gen() % 4);
      add_alpha(d1, k1, d2, (k1 + 1 + 2 * static_cast<int>(gen() % 2)) % 4);
      continue;
    }
    // Directions within the help screen's range, at least 10 degrees off one axis.
    const float dd1 = std::round(7200.0f * u(gen) - 3600.0f) / 10.0f;
    const float off = (10.0f + std::round(1600.0f * u(gen)) / 10.0f) * ((gen() & 1) ? 1.0f : -1.0f);
    const float dd2 = dd1 + off + ((gen() & 1) ? 180.0f : 0.0f);
    if (std::fabs(dd2) <= 360.0f) drawn.push_back({2, numeric(d1, dd1, d2, dd2), plane_through(d1, dd1, d2, dd2)});
  }
  ASSERT_GT(drawn.size(), 1200u);
  testkit::TestSession ts;
  trigoset(ts.s);
  for (Drawn& d : drawn) {
    const Record in = d.rec;
    SCOPED_TRACE(testing::Message() << in.dipa1 << " " << in.DDIR[0].sv() << in.DIPDA[0] << " " << in.dipa2 << " "
                                    << in.DDIR[1].sv() << in.DIPDA[1]);
    RunState st;
    st.IFORMAT = d.format;
    ASSERT_EQ(dip_computation(ts.s, st, d.rec), Outcome::converted);
    EXPECT_TRUE(d.rec.strike >= 0.0f && d.rec.strike < 360.0f) << d.rec.strike;
    const double off = std::fabs(std::remainder(static_cast<double>(d.rec.strike) - d.want.strike, 360.0));
    EXPECT_LT(off, 0.01) << d.rec.strike << " vs " << d.want.strike;
    EXPECT_NEAR(d.rec.dip, d.want.dip, 0.01);
  }
}

// A tiny first dip puts the first direction next to the strike, where the
// plain formula's dip is held against the second dip's relation. Printed
// with one decimal, a dip may then stand off by half a decimal and what the
// arithmetic costs, no more.
TEST(DipComputation, PrintedDipsNearTheStrikeAreRight) {
  testkit::TestSession ts;
  trigoset(ts.s);
  std::mt19937 gen(2024);
  std::uniform_real_distribution<float> u(0.0f, 1.0f);
  const char* letters[] = {"N", "E", "S", "W"};
  int checked = 0;
  for (int i = 0; i < 120000; ++i) {
    const float d1 = std::pow(10.0f, -6.0f + 4.0f * u(gen));
    const float d2 = 1.0f + 88.0f * u(gen);
    Record rec;
    Plane want;
    RunState st;
    if (i % 2 == 0) {
      const int k1 = static_cast<int>(gen() % 4);
      const int k2 = (k1 + 1 + 2 * static_cast<int>(gen() % 2)) % 4;
      rec = alpha(d1, letters[k1], d2, letters[k2]);
      want = plane_through(d1, azimuth(k1), d2, azimuth(k2));
      st.IFORMAT = 1;
    } else {
      const float dd1 = std::round(7200.0f * u(gen) - 3600.0f) / 10.0f;
      const float dd2 = dd1 + (10.0f + std::round(1600.0f * u(gen)) / 10.0f) * ((gen() & 1) ? 1.0f : -1.0f);
      rec = numeric(d1, dd1, d2, dd2);
      want = plane_through(d1, dd1, d2, dd2);
      st.IFORMAT = 2;
    }
    const Record in = rec;
    ASSERT_EQ(dip_computation(ts.s, st, rec), Outcome::converted);
    const double printed = std::stod(field::fixed_field(rec.dip, 6, 1));
    if (std::fabs(printed - want.dip) > 0.0525) {
      ADD_FAILURE() << std::hexfloat << in.dipa1 << " " << in.DDIR[0].sv() << in.DIPDA[0] << " " << in.dipa2 << " "
                    << in.DDIR[1].sv() << in.DIPDA[1] << std::defaultfloat << ": printed " << printed << " for "
                    << want.dip;
    }
    ++checked;
  }
  EXPECT_EQ(checked, 120000);
}

// The two-dips formula alone, without the mend near the strike.
float formula_dip(const Session& s, const Record& rec) {
  const float r = rad(s, rec.DIPDA[0] - rec.DIPDA[1]);
  const float sr = std::sin(r);
  const float cr = std::cos(r);
  const float t2 = std::tan(rad(s, rec.dipa2));
  const float t1 = std::tan(rad(s, rec.dipa1));
  const float a = std::atan((cr - t2 / t1) / sr);
  return deg(s, std::atan(t1 / std::cos(a)));
}

// Nearly parallel directions put the first one next to the strike too, and
// there the single-precision difference of the directions has lost most of
// its digits: the mend must not make a dip worse than the formula's own.
// So has the difference of directions far beyond a turn, where the plane is
// that of each direction reduced on its own (fmod is exact).
TEST(DipComputation, NearlyParallelDirectionsNeverMendADipWorse) {
  testkit::TestSession ts;
  trigoset(ts.s);
  const std::array<float, 4> far[] = {{5e-05f, 252.692939f, 1.89568697f, -2.88815663e+38f},
                                      {5e-05f, -297.92545358259474f, 18.0327957f, -1.67906879e+28f}};
  for (const auto& [d1, dd1, d2, dd2] : far) {
    Record rec = numeric(d1, dd1, d2, dd2);
    RunState st;
    st.IFORMAT = 2;
    ASSERT_EQ(dip_computation(ts.s, st, rec), Outcome::converted);
    EXPECT_NEAR(rec.dip, plane_through(d1, std::fmod(dd1, 360.0f), d2, std::fmod(dd2, 360.0f)).dip, 0.002) << dd2;
  }
  std::mt19937 gen(1607);
  std::uniform_real_distribution<float> u(0.0f, 1.0f);
  auto printed = [](float dip) { return std::stod(field::fixed_field(dip, 6, 1)); };
  int checked = 0;
  int mended = 0;
  while (checked < 100000) {
    const float d1 = std::pow(10.0f, -7.0f + 5.0f * u(gen));
    const float d2 = std::min(std::pow(10.0f, -5.0f + 6.91f * u(gen)), 80.0f);
    const float dd1 = 7200.0f * u(gen) - 3600.0f;
    const float off = std::pow(10.0f, -4.0f + 3.0f * u(gen)) * ((gen() & 1) ? 1.0f : -1.0f);
    const float dd2 = dd1 + (180.0f * static_cast<float>(static_cast<int>(gen() % 41) - 20) + off);
    const double apart = std::fabs(std::remainder(static_cast<double>(dd2) - static_cast<double>(dd1), 180.0));
    // A second dip below 0.0001 makes the fourth value a strike.
    if (d2 < 0.0001f || std::fabs(dd2) > 3600.0f || apart < 1e-4 || apart > 0.1) continue;
    Record rec = numeric(d1, dd1, d2, dd2);
    const Record in = rec;
    RunState st;
    st.IFORMAT = 2;
    ASSERT_EQ(dip_computation(ts.s, st, rec), Outcome::converted);
    ++checked;
    const float plain = formula_dip(ts.s, in);
    if (rec.dip != plain) ++mended;
    const double want = plane_through(d1, dd1, d2, dd2).dip;
    const double off_printed = std::fabs(printed(rec.dip) - want);
    // Where the formula's own dip stands (and is no nearer), the mend had no part in it.
    if (off_printed > 0.0525 && std::fabs(printed(plain) - want) < off_printed) {
      ADD_FAILURE() << std::hexfloat << in.dipa1 << " " << in.DIPDA[0] << " " << in.dipa2 << " " << in.DIPDA[1]
                    << std::defaultfloat << ": printed " << printed(rec.dip) << ", formula " << plain << ", for "
                    << want;
    }
  }
  EXPECT_GT(mended, checked / 10);
}

}  // namespace
}  // namespace qx::program
