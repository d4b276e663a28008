#pragma once
// Angle constants, degree-radian conversions and reduction into a period.

#include <cstdint>

#include "support/session.hpp"

namespace qx {

// Announces itself and fills the three angle blocks.
void trigoset(Session& s);
// Degrees to radians and back: one single-precision multiplication each.
float rad(const Session& s, float x);
float deg(const Session& s, float x);
// y(i) := x(i) reduced into [0, p) for i < n; y may be x itself.
void modulr(float* y, const float* x, float p, std::int32_t n);

}  // namespace qx
