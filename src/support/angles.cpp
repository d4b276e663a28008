#include "support/angles.hpp"

#include <cmath>

#include "support/frames.hpp"

namespace qx {

namespace {

constexpr RoutineId kTrigoset{"trigoset   ", " 8.0", "2017-03-10"};

// The integer part of q toward zero. Every float of magnitude 2^23 or more
// is already whole; infinities and NaN pass through unchanged.
float whole_part(float q) {
  if (std::fabs(q) < 8388608.0f) return static_cast<float>(static_cast<std::int64_t>(q));
  return q;
}

}  // namespace

void trigoset(Session& s) {
  submenuhead(s, kTrigoset);
  s.out(" Initializing /anglerad/ block");

  // Every element derives from the one stored angle, pi/2, in this order;
  // each step rounds to single precision. 180/pi comes out one unit in the
  // last place below the nearest float to the true value, and must.
  auto& r = s.angles.anglerad;
  r[2] = 0x1.921fb6p+0f;  // pi/2, 0x3FC90FDB
  r[4] = 2.0f * r[2];
  r[1] = r[4] / 3.0f;
  r[0] = 0.25f * r[4];
  const float three_pi = 3.0f * r[4];  // rounded before the scaling
  r[3] = 0.25f * three_pi;
  r[5] = 0.5f * three_pi;
  r[6] = 2.0f * r[4];
  for (const int k : {4, 2, 1, 0, 3, 5, 6}) s.angles.angleradi[k] = -0.00001f + r[k];
  for (const int k : {4, 2, 1, 0, 3, 5, 6}) s.angles.anglerads[k] = 0.00001f + r[k];
  r[7] = r[4] / 180.0f;
  r[8] = 180.0f / r[4];
}

float rad(const Session& s, float x) { return x * s.angles.anglerad[7]; }

float deg(const Session& s, float x) { return x * s.angles.anglerad[8]; }

void modulr(float* y, const float* x, float p, std::int32_t n) {
  for (std::int32_t i = 0; i < n; ++i) {
    const float xi = x[i];
    // Ordered comparisons: a NaN takes the last branch.
    if (xi >= p) {
      const float m = whole_part(xi / p) * p;
      y[i] = xi - m;
    } else if (xi >= 0.0f) {
      y[i] = xi;  // a negative zero stays negative
    } else {
      const float m = whole_part(xi / p) * p;
      float r = xi - m;
      if (r != 0.0f) r = r + p;  // NaN counts as not zero
      y[i] = r;
    }
  }
}

}  // namespace qx
