#include "support/angles.hpp"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include "testkit/test_session.hpp"

namespace qx {
namespace {

std::uint32_t bits(float v) { return std::bit_cast<std::uint32_t>(v); }
float from_bits(std::uint32_t b) { return std::bit_cast<float>(b); }

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

TEST(Trigoset, FillsTheConstantsWithTheirExactBits) {
  testkit::TestSession ts;
  trigoset(ts.s);
  const std::array<std::uint32_t, 9> anglerad{0x3F490FDB, 0x3F860A92, 0x3FC90FDB, 0x4016CBE4, 0x40490FDB,
                                              0x4096CBE4, 0x40C90FDB, 0x3C8EFA35, 0x42652EE0};
  for (std::size_t k = 0; k < anglerad.size(); ++k) {
    EXPECT_EQ(bits(ts.s.angles.anglerad[k]), anglerad[k]) << "element " << k + 1;
  }
  // pi -/+ 0.00001, pi/2 -/+ 0.00001, 2 pi -/+ 0.00001, pi/4 - 0.00001.
  EXPECT_EQ(bits(ts.s.angles.angleradi[4]), 0x40490FB1u);
  EXPECT_EQ(bits(ts.s.angles.anglerads[4]), 0x40491005u);
  EXPECT_EQ(bits(ts.s.angles.angleradi[2]), 0x3FC90F87u);
  EXPECT_EQ(bits(ts.s.angles.anglerads[2]), 0x3FC9102Fu);
  EXPECT_EQ(bits(ts.s.angles.angleradi[6]), 0x40C90FC6u);
  EXPECT_EQ(bits(ts.s.angles.anglerads[6]), 0x40C90FF0u);
  EXPECT_EQ(bits(ts.s.angles.angleradi[0]), 0x3F490F33u);
  EXPECT_EQ(bits(ts.s.angles.anglerads[5]), 0x4096CBF9u);
}

TEST(Trigoset, AnnouncesItselfWithoutClosingTheFrame) {
  testkit::TestSession ts;
  trigoset(ts.s);
  const std::string announcement = " " + std::string(50, '@') + "\n" +
                                   " @ subroutine trigoset" + std::string(14, ' ') + "v8.0 2017-03-10\n" +
                                   " @" + std::string(49, '=') + "\n" +
                                   " Initializing /anglerad/ block\n";
  EXPECT_EQ(ts.take(), announcement);

  // A second call says it again and stores the same values.
  const AngleBlocks first = ts.s.angles;
  trigoset(ts.s);
  EXPECT_EQ(ts.take(), announcement);
  EXPECT_EQ(ts.s.angles.anglerad, first.anglerad);
  EXPECT_EQ(ts.s.angles.angleradi, first.angleradi);
  EXPECT_EQ(ts.s.angles.anglerads, first.anglerads);
}

TEST(RadDeg, ConvertByOneMultiplication) {
  testkit::TestSession ts;
  trigoset(ts.s);
  const auto& r = ts.s.angles.anglerad;
  EXPECT_EQ(bits(rad(ts.s, 180.0f)), bits(r[4]));
  EXPECT_EQ(bits(rad(ts.s, 90.0f)), bits(r[2]));
  EXPECT_EQ(bits(rad(ts.s, 360.0f)), bits(r[6]));
  EXPECT_EQ(deg(ts.s, r[4]), 180.0f);
  EXPECT_EQ(deg(ts.s, r[2]), 90.0f);
  // The round trip is not exact in general.
  EXPECT_EQ(deg(ts.s, rad(ts.s, 1.0f)), 0.99999994f);
  EXPECT_EQ(deg(ts.s, rad(ts.s, 2.0f)), 1.9999999f);
  EXPECT_EQ(deg(ts.s, rad(ts.s, 30.0f)), 30.0f);
  EXPECT_EQ(deg(ts.s, rad(ts.s, 45.0f)), 45.0f);
}

TEST(RadDeg, GiveZeroBeforeTheConstantsAreSet) {
  testkit::TestSession ts;
  EXPECT_EQ(rad(ts.s, 180.0f), 0.0f);
  EXPECT_EQ(deg(ts.s, 3.0f), 0.0f);
  EXPECT_EQ(ts.take(), "");
}

struct ModCase {
  float x;
  float p;
  float y;  // compared bit for bit (NaN as NaN)
};

float reduce(float x, float p) {
  float y = -123.0f;
  modulr(&y, &x, p, 1);
  return y;
}

void expect_same(float got, float want, float x, float p) {
  if (std::isnan(want)) {
    EXPECT_TRUE(std::isnan(got)) << "x=" << x << " p=" << p << " gave " << got;
  } else {
    EXPECT_EQ(bits(got), bits(want)) << "x=" << x << " p=" << p << " gave " << got << ", want " << want;
  }
}

TEST(Modulr, ReducesIntoThePeriod) {
  const ModCase cases[] = {
      // whole multiples give +0, whatever the sign
      {360.0f, 360.0f, 0.0f},
      {720.0f, 360.0f, 0.0f},
      {-360.0f, 360.0f, 0.0f},
      {-1080.0f, 360.0f, 0.0f},
      {180.0f, 360.0f, 180.0f},
      {-180.0f, 360.0f, 180.0f},
      {180.0f, 180.0f, 0.0f},
      {-180.0f, 180.0f, 0.0f},
      {10.0f, 360.0f, 10.0f},
      {370.0f, 360.0f, 10.0f},
      {-10.0f, 360.0f, 350.0f},
      {-190.0f, 180.0f, 170.0f},
      // next to the period
      {from_bits(0x43B3FFFF), 360.0f, from_bits(0x43B3FFFF)},
      {from_bits(0x43B40001), 360.0f, from_bits(0x38000000)},
      // signed zeros are copied
      {-0.0f, 360.0f, -0.0f},
      {0.0f, 360.0f, 0.0f},
      // tiny negatives round up to the period itself; -2^-16 is a tie to even
      {-0x1p-16f, 360.0f, 360.0f},
      {-std::numeric_limits<float>::denorm_min(), 360.0f, 360.0f},
      {-0x1p-15f, 360.0f, from_bits(0x43B3FFFF)},
      {-0x1p-17f, 180.0f, 180.0f},
      // beyond 2^27 the rounded quotient and product may miss
      {214677712.0f, 360.0f, -16.0f},
      {-214677712.0f, 360.0f, 376.0f},
      // |x/p| >= 2^23: the quotient is used as it is
      {7769999872.0f, 360.0f, 512.0f},
      {-7769999872.0f, 360.0f, -152.0f},
      // not numbers
      {kInf, 360.0f, kNaN},
      {-kInf, 360.0f, kNaN},
      {kNaN, 360.0f, kNaN},
      {5.0f, 0.0f, kNaN},
      {0.0f, 0.0f, kNaN},
      {-5.0f, 0.0f, kNaN},
      {5.0f, kNaN, 5.0f},
      {-0.0f, kNaN, -0.0f},
      {-5.0f, kNaN, kNaN},
      // negative periods: the remainder toward zero, plus p below p
      {10.0f, -360.0f, 10.0f},
      {400.0f, -360.0f, 40.0f},
      {-10.0f, -360.0f, -10.0f},
      {-370.0f, -360.0f, -370.0f},
      {-400.0f, -360.0f, -400.0f},
      {-720.0f, -360.0f, 0.0f},
      {730.0f, -360.0f, 10.0f},
      {-730.0f, -360.0f, -370.0f},
  };
  for (const ModCase& c : cases) expect_same(reduce(c.x, c.p), c.y, c.x, c.p);
}

TEST(Modulr, StaysInsideThePeriodBelowTheStatedMagnitudes) {
  std::mt19937 gen(20170310);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  const struct {
    float p;
    float limit;
  } periods[] = {{360.0f, 134217728.0f}, {180.0f, 67108864.0f}};
  for (const auto& per : periods) {
    for (int i = 0; i < 200000; ++i) {
      // Magnitudes spread over the whole range, and values next to multiples.
      float x = std::ldexp(unit(gen), static_cast<int>(gen() % 28)) * ((gen() & 1) ? 1.0f : -1.0f);
      if (i % 2 == 0) {
        const float k = std::floor(unit(gen) * (per.limit / per.p));
        x = std::nextafter(k * per.p, (gen() & 1) ? kInf : -kInf) * ((gen() & 1) ? 1.0f : -1.0f);
      }
      if (!(std::fabs(x) < per.limit)) continue;
      const float y = reduce(x, per.p);
      if (y == per.p) {
        // only a negative x too small to move the period
        EXPECT_EQ(x + per.p, per.p) << x;
        EXPECT_LT(x, 0.0f);
      } else {
        EXPECT_TRUE(y >= 0.0f && y < per.p) << "x=" << x << " gave " << y;
      }
    }
  }
}

TEST(Modulr, WorksInPlaceOverAnArray) {
  std::array<float, 5> v{725.0f, -90.0f, 0.0f, -0.0f, 1e-3f};
  modulr(v.data(), v.data(), 360.0f, 5);
  EXPECT_EQ(v[0], 5.0f);
  EXPECT_EQ(v[1], 270.0f);
  EXPECT_EQ(bits(v[2]), bits(0.0f));
  EXPECT_EQ(bits(v[3]), bits(-0.0f));
  EXPECT_EQ(v[4], 1e-3f);

  // Into another array, the source left alone; only the first n elements.
  const std::array<float, 3> x{400.0f, 500.0f, 600.0f};
  std::array<float, 3> y{-1.0f, -1.0f, -1.0f};
  modulr(y.data(), x.data(), 360.0f, 2);
  EXPECT_EQ(y, (std::array<float, 3>{40.0f, 140.0f, -1.0f}));
  EXPECT_EQ(x, (std::array<float, 3>{400.0f, 500.0f, 600.0f}));
}

TEST(Modulr, DoesNothingForCountsBelowOne) {
  for (const std::int32_t n : {0, -1, -2147483647 - 1}) {
    float x = 725.0f;
    float y = -7.0f;
    modulr(&y, &x, 360.0f, n);
    EXPECT_EQ(y, -7.0f) << n;
    EXPECT_EQ(x, 725.0f) << n;
  }
}

}  // namespace
}  // namespace qx
