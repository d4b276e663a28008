#include "support/angles.hpp"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <utility>

#include "testkit/test_session.hpp"

namespace qx {
namespace {

std::uint32_t bits(float v) { return std::bit_cast<std::uint32_t>(v); }
float from_bits(std::uint32_t b) { return std::bit_cast<float>(b); }

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

TEST(Trigoset, AnnouncesItselfAndFillsTheExactBitsOnEveryCall) {
  testkit::TestSession ts;
  EXPECT_EQ(rad(ts.s, 180.0f), 0.0f);  // nothing set yet
  EXPECT_EQ(deg(ts.s, 3.0f), 0.0f);
  const std::string announcement =
      " @@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@\n"
      " @ subroutine trigoset              v8.0 2017-03-10\n"
      " @=================================================\n"
      " Initializing /anglerad/ block\n";
  trigoset(ts.s);
  trigoset(ts.s);
  EXPECT_EQ(ts.take(), announcement + announcement);
  const auto& a = ts.s.angles;
  EXPECT_EQ((std::bit_cast<std::array<std::uint32_t, 9>>(a.anglerad)),
            (std::array<std::uint32_t, 9>{0x3F490FDB, 0x3F860A92, 0x3FC90FDB, 0x4016CBE4, 0x40490FDB, 0x4096CBE4,
                                          0x40C90FDB, 0x3C8EFA35, 0x42652EE0}));
  // pi, pi/2, 2 pi and pi/4 less and more 0.00001; 3 pi/2 more.
  const std::pair<float, std::uint32_t> sums[] = {
      {a.angleradi[4], 0x40490FB1}, {a.anglerads[4], 0x40491005}, {a.angleradi[2], 0x3FC90F87},
      {a.anglerads[2], 0x3FC9102F}, {a.angleradi[6], 0x40C90FC6}, {a.anglerads[6], 0x40C90FF0},
      {a.angleradi[0], 0x3F490F33}, {a.anglerads[5], 0x4096CBF9}};
  for (const auto& [v, b] : sums) EXPECT_EQ(bits(v), b) << v;
}

TEST(RadDeg, ConvertByOneMultiplication) {
  testkit::TestSession ts;
  trigoset(ts.s);
  const auto round_trip = [](const Session& s, float x) { return deg(s, rad(s, x)); };
  const struct {
    float (*fn)(const Session&, float);
    float x, want;
  } cases[] = {
      {rad, 180.0f, from_bits(0x40490FDB)}, {rad, 90.0f, from_bits(0x3FC90FDB)}, {rad, 360.0f, from_bits(0x40C90FDB)},
      {deg, from_bits(0x40490FDB), 180.0f}, {deg, from_bits(0x3FC90FDB), 90.0f},
      // not exact in general
      {round_trip, 1.0f, 0.99999994f}, {round_trip, 2.0f, 1.9999999f}, {round_trip, 30.0f, 30.0f},
      {round_trip, 45.0f, 45.0f},
  };
  for (const auto& c : cases) EXPECT_EQ(bits(c.fn(ts.s, c.x)), bits(c.want)) << c.x;
}

float reduce(float x, float p) {
  float y = -123.0f;
  modulr(&y, &x, p, 1);
  return y;
}

TEST(Modulr, ReducesIntoThePeriod) {
  const struct {
    float x, p, y;  // y compared bit for bit, NaN as NaN
  } cases[] = {
      // whole multiples give +0, whatever the sign
      {360.0f, 360.0f, 0.0f}, {720.0f, 360.0f, 0.0f}, {-360.0f, 360.0f, 0.0f}, {-1080.0f, 360.0f, 0.0f},
      {180.0f, 360.0f, 180.0f}, {-180.0f, 360.0f, 180.0f}, {180.0f, 180.0f, 0.0f}, {-180.0f, 180.0f, 0.0f},
      // the quotient is truncated, not rounded
      {370.0f, 360.0f, 10.0f}, {700.0f, 360.0f, 340.0f}, {-10.0f, 360.0f, 350.0f}, {-350.0f, 360.0f, 10.0f},
      {-190.0f, 180.0f, 170.0f}, {-340.0f, 180.0f, 20.0f},
      // next to the period; signed zeros copied
      {from_bits(0x43B3FFFF), 360.0f, from_bits(0x43B3FFFF)}, {from_bits(0x43B40001), 360.0f, from_bits(0x38000000)},
      {-0.0f, 360.0f, -0.0f}, {0.0f, 360.0f, 0.0f},
      // tiny negatives round up to the period itself; -2^-16 is a tie to even
      {-0x1p-16f, 360.0f, 360.0f}, {-std::numeric_limits<float>::denorm_min(), 360.0f, 360.0f},
      {-0x1p-15f, 360.0f, from_bits(0x43B3FFFF)}, {-0x1p-17f, 180.0f, 180.0f},
      // beyond 2^27 the rounded quotient and product may miss; from 2^23 the quotient is used as it is
      {214677712.0f, 360.0f, -16.0f}, {-214677712.0f, 360.0f, 376.0f},
      {7769999872.0f, 360.0f, 512.0f}, {-7769999872.0f, 360.0f, -152.0f},
      // not numbers
      {kInf, 360.0f, kNaN}, {-kInf, 360.0f, kNaN}, {kNaN, 360.0f, kNaN},
      {5.0f, 0.0f, kNaN}, {0.0f, 0.0f, kNaN}, {-5.0f, 0.0f, kNaN},
      {5.0f, kNaN, 5.0f}, {-0.0f, kNaN, -0.0f}, {-5.0f, kNaN, kNaN},
      // negative periods: the remainder toward zero, plus p below p
      {10.0f, -360.0f, 10.0f}, {400.0f, -360.0f, 40.0f}, {-10.0f, -360.0f, -10.0f}, {-370.0f, -360.0f, -370.0f},
      {-400.0f, -360.0f, -400.0f}, {-720.0f, -360.0f, 0.0f}, {730.0f, -360.0f, 10.0f}, {-730.0f, -360.0f, -370.0f},
  };
  for (const auto& c : cases) {
    const float y = reduce(c.x, c.p);
    if (std::isnan(c.y)) {
      EXPECT_TRUE(std::isnan(y)) << "x=" << c.x << " p=" << c.p << " gave " << y;
    } else {
      EXPECT_EQ(bits(y), bits(c.y)) << "x=" << c.x << " p=" << c.p << " gave " << y;
    }
  }
}

TEST(Modulr, StaysInsideThePeriodBelowTheStatedMagnitudes) {
  std::mt19937 gen(20170310);
  for (const float p : {360.0f, 180.0f}) {
    // Values next to the multiples of p, the hardest, of either sign, up to 2^27 (360) or 2^26 (180).
    std::uniform_int_distribution<int> multiple(0, static_cast<int>(0x1p26f / 180.0f) - 1);
    for (int i = 0; i < 200000; ++i) {
      const float x = std::nextafter(static_cast<float>(multiple(gen)) * p, (i & 1) ? kInf : -kInf) *
                      ((i & 2) ? 1.0f : -1.0f);
      const float y = reduce(x, p);
      // p itself only for a negative x too small to move it
      EXPECT_TRUE((y >= 0.0f && y < p) || (y == p && x < 0.0f && x + p == p)) << "x=" << x << " gave " << y;
    }
  }
}

TEST(Modulr, FirstNElementsInPlaceOrIntoAnotherArray) {
  using Bits = std::array<std::uint32_t, 5>;
  std::array<float, 5> v{725.0f, -90.0f, -0.0f, 1e-3f, 725.0f};
  modulr(v.data(), v.data(), 360.0f, 4);
  EXPECT_EQ(std::bit_cast<Bits>(v), std::bit_cast<Bits>(std::array<float, 5>{5.0f, 270.0f, -0.0f, 1e-3f, 725.0f}));
  const std::array<float, 2> x{400.0f, 500.0f};
  for (const std::int32_t n : {2, 0, -1, -2147483647 - 1}) {  // nothing done below 1
    std::array<float, 2> y{-1.0f, -1.0f};
    modulr(y.data(), x.data(), 360.0f, n);
    EXPECT_EQ(y, (n == 2 ? std::array<float, 2>{40.0f, 140.0f} : std::array<float, 2>{-1.0f, -1.0f})) << n;
    EXPECT_EQ(x, (std::array<float, 2>{400.0f, 500.0f}));
  }
}

}  // namespace
}  // namespace qx
