#include "quellatorix/dip.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>
#include <numbers>
#include <string_view>

#include "support/angles.hpp"
#include "support/frames.hpp"

namespace qx::program {

namespace {

constexpr float kTolerance = 0.0001f;  // 0x38D1B717
// A turn depends on nothing but the strike it starts from, so the turning
// ends unless the strike comes back to a value it held. No record that
// finishes needs more than three turns; the cap only guards the loop.
constexpr int kTurnCap = 16;
// cos(a) below which the two-dips dip is checked, and how far (degrees) it
// may stand from the dip of the second relation: the error that the
// rounding of a costs at the zone's edge.
constexpr float kSteepA = 0x1p-10f;
constexpr double kDipAgreement = 0.002;

constexpr std::string_view kHorizontal = "horizontal plane";
constexpr std::string_view kTurned = "output strike = input strike + 180";
constexpr std::string_view kVertical = "vertical plane";
constexpr std::string_view kLate = "error: same dip direction [modulo 180], late detection";
constexpr std::string_view kFirstZero = "error: 1st dip = 0 => should be in 2nd position";
constexpr std::string_view kVerticalNoStrike = "error: vertical plane without strike";
constexpr std::string_view kVerticalInconsistent = "error: inconsistent dips for vertical plane";
constexpr std::string_view kTooLarge = "error: directions too large to compute with";

// Compass letter to azimuth; anything else leaves the azimuth as it was.
void letter_to_azimuth(const Text<1>& letter, float& azimuth) {
  if (letter == "N") {
    azimuth = 0.0f;
  } else if (letter == "E") {
    azimuth = 90.0f;
  } else if (letter == "S") {
    azimuth = 180.0f;
  } else if (letter == "W") {
    azimuth = 270.0f;
  }
}

float reduced360(float v) {
  modulr(&v, &v, 360.0f, 1);
  return v;
}

Outcome horizontal(Session& s, const RunState& st, Record& rec) {
  rec.comment = kHorizontal;
  warninghead(s, kProgram);
  write_record_line(s, st.NREAD);
  s.out(" horizontal plane");
  write_value_line(s, "1st dip =", rec.dipa1);
  write_value_line(s, "2nd dip =", rec.dipa2);
  warningtail00(s);
  rec.strike = 0.0f;
  rec.dip = 0.0f;
  return Outcome::converted;
}

// A value line of an error frame.
struct Shown {
  std::string_view label;
  float value;
};

// Opens an error frame: the record line, one text line and the values shown;
// the failed-record step closes it.
Outcome error_frame(Session& s, const RunState& st, Record& rec, std::string_view text, std::string_view comment,
                    std::initializer_list<Shown> values) {
  errorhead(s, kProgram);
  write_record_line(s, st.NREAD);
  s.out(Line(" ").t(text));
  for (const Shown& v : values) write_value_line(s, v.label, v.value);
  rec.comment = comment;
  return Outcome::failed;
}

// An error frame that shows the two directions.
Outcome directions_error(Session& s, const RunState& st, Record& rec, std::string_view text,
                         std::string_view comment) {
  return error_frame(s, st, rec, text, comment, {{"1st dip dir =", rec.DIPDA[0]}, {"2nd dip dir =", rec.DIPDA[1]}});
}

Outcome late_detection(Session& s, const RunState& st, Record& rec) {
  return directions_error(s, st, rec, "The two data have same strike", kLate);
}

// Directions so far apart that their difference overflows leave nothing
// to compute with: no result is better than a NaN.
Outcome too_large(Session& s, const RunState& st, Record& rec) {
  return directions_error(s, st, rec, "The directions are too large to compute with", kTooLarge);
}

// The strike was given with the plane dipping to its left.
void turn_strike(Session& s, const RunState& st, Record& rec) {
  rec.comment = kTurned;
  warninghead(s, kProgram);
  write_record_line(s, st.NREAD);
  s.out(" input  strike with dip to the LEFT");
  s.out(" output strike with dip to the RIGHT");
  write_value_line(s, "strike =", rec.DIPDA[1]);
  rec.DIPDA[1] = reduced360(rec.DIPDA[1] + 180.0f);
  write_value_line(s, "==> strike reset to :", rec.DIPDA[1]);
  warningtail00(s);
}

// tan(apparent dip) = tan(true dip) * sin(apparent-dip direction - strike).
Outcome one_dip_and_strike(Session& s, const RunState& st, Record& rec) {
  std::array<float, kTurnCap + 1> held{rec.DIPDA[1]};
  for (int turns = 0;; ++turns) {
    const float d = rec.DIPDA[0] - rec.DIPDA[1];
    const float sn = std::sin(rad(s, d));
    if (std::fabs(rec.dipa1) < kTolerance) return horizontal(s, st, rec);
    if (sn < 0.0f) {
      turn_strike(s, st, rec);
      // Where the directions keep no fraction of a degree between them, the
      // strike can come back to one it held: from there it would turn for ever.
      const auto tried = held.begin() + turns + 1;
      if (turns == kTurnCap || std::find(held.begin(), tried, rec.DIPDA[1]) != tried) {
        return late_detection(s, st, rec);
      }
      *tried = rec.DIPDA[1];
      continue;
    }
    if (sn == 0.0f) return late_detection(s, st, rec);
    rec.strike = reduced360(rec.DIPDA[1]);
    if (rec.dipa1 == 90.0f) {
      rec.dip = 90.0f;
      rec.comment = kVertical;
      return Outcome::converted;
    }
    rec.dip = deg(s, std::atan(std::tan(rad(s, rec.dipa1)) / sn));
    return Outcome::converted;
  }
}

// An error frame that shows the two apparent dips.
Outcome vertical_error(Session& s, const RunState& st, Record& rec, std::string_view text,
                       std::string_view comment) {
  return error_frame(s, st, rec, text, comment, {{"1st dip =", rec.dipa1}, {"2nd dip =", rec.dipa2}});
}

// The dip from the second dip's relation, which needs no angle a:
// tan(dip) cos(a) = t1, tan(dip) sin(a) = (t1 cos(r) - t2) / sin(r). Near
// the strike the two directions may be nearly parallel, and then their
// single-precision difference has lost most of its digits (more beyond
// +-360). In double their difference is off by 2^-26 degree at most while
// both lie within 2^27 degrees; a direction beyond is first reduced on its
// own, exactly, for beside it the difference would keep nothing of the other.
double steady_dip(const Record& rec) {
  constexpr double k = std::numbers::pi / 180.0;
  auto within_reach = [](float d) {
    return std::fabs(d) <= 0x1p27f ? static_cast<double>(d) : std::fmod(static_cast<double>(d), 360.0);
  };
  const double r = std::remainder(within_reach(rec.DIPDA[0]) - within_reach(rec.DIPDA[1]), 360.0) * k;
  const double t1 = std::tan(static_cast<double>(rec.dipa1) * k);
  const double t2 = std::tan(static_cast<double>(rec.dipa2) * k);
  const double w = (t1 * std::cos(r) - t2) / std::sin(r);
  return std::atan(std::hypot(t1, w)) / k;
}

// tan(apparent dip) = tan(true dip) * cos(apparent-dip direction - dip
// direction), for both apparent dips.
Outcome two_dips(Session& s, const RunState& st, Record& rec) {
  const float r = rad(s, rec.DIPDA[0] - rec.DIPDA[1]);
  const float sr = std::sin(r);
  const float cr = std::cos(r);
  if (sr == 0.0f) return late_detection(s, st, rec);
  if (rec.dipa1 == 0.0f && rec.dipa2 == 0.0f) return horizontal(s, st, rec);
  if (rec.dipa1 == 0.0f) {
    return error_frame(s, st, rec, "1st data should be in 2nd position", kFirstZero, {{"1st dip =", rec.dipa1}});
  }
  if (rec.dipa1 == 90.0f && rec.dipa2 == 90.0f) {
    return vertical_error(s, st, rec, "vertical plane without strike", kVerticalNoStrike);
  }
  if (rec.dipa1 == 90.0f || rec.dipa2 == 90.0f) {
    return vertical_error(s, st, rec, "inconsistent dips for vertical plane", kVerticalInconsistent);
  }
  const float t2 = std::tan(rad(s, rec.dipa2));
  const float t1 = std::tan(rad(s, rec.dipa1));
  // Dips below some 4e-44 degrees vanish on the way to radians: the plane
  // is horizontal as far as the arithmetic can tell, not a 0/0.
  if (t1 == 0.0f && t2 == 0.0f) return horizontal(s, st, rec);
  const float q = t2 / t1;
  const float x = (cr - q) / sr;
  // a: from the first apparent-dip direction clockwise to the dip direction.
  const float a = std::atan(x);
  const float c = std::cos(a);
  rec.dip = deg(s, std::atan(t1 / c));
  // Where the first direction runs within a hair of the strike, a lies next
  // to +-pi/2 and its rounding (up to 2^-24) becomes a relative error of
  // 2^-24/c in c: the dip goes wrong, and negative once a rounds past pi/2.
  // While c >= 2^-10 that costs less than 0.002 degree. Below, the dip is
  // held against the second dip's relation, which needs no a.
  if (c < kSteepA) {
    const double steady = steady_dip(rec);
    if (std::signbit(rec.dip) || std::fabs(static_cast<double>(rec.dip) - steady) > kDipAgreement) {
      rec.dip = static_cast<float>(steady);
    }
  }
  rec.strike = reduced360((deg(s, a) + rec.DIPDA[0]) + -90.0f);
  return Outcome::converted;
}

Outcome convert(Session& s, const RunState& st, Record& rec) {
  const bool alphanumerical = st.IFORMAT == 1;
  const bool one_dip = alphanumerical ? rec.DDIR[1] == "A" : std::fabs(rec.dipa2) < kTolerance;
  if (one_dip) {
    if (alphanumerical) {
      letter_to_azimuth(rec.DDIR[0], rec.DIPDA[0]);
      rec.DIPDA[1] = rec.dipa2;
    }
  } else if (alphanumerical) {
    letter_to_azimuth(rec.DDIR[0], rec.DIPDA[0]);
    letter_to_azimuth(rec.DDIR[1], rec.DIPDA[1]);
  }
  // Before any other test, on both roads: a NaN sine passes them all. A
  // turned strike lies in [0, 360), so only the directions as given overflow.
  if (!std::isfinite(rec.DIPDA[0] - rec.DIPDA[1])) return too_large(s, st, rec);
  return one_dip ? one_dip_and_strike(s, st, rec) : two_dips(s, st, rec);
}

}  // namespace

Outcome dip_computation(Session& s, const RunState& st, Record& rec) {
  const float strike = rec.strike;
  const float dip = rec.dip;
  const Outcome o = convert(s, st, rec);
  // The last guard: whatever else overflowed, no NaN or infinity is written.
  if (o == Outcome::converted && !(std::isfinite(rec.strike) && std::isfinite(rec.dip))) {
    rec.strike = strike;  // a failed record leaves the last results as they were
    rec.dip = dip;
    return too_large(s, st, rec);
  }
  return o;
}

}  // namespace qx::program
