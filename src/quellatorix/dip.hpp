#pragma once
// The conversion of one checked record into strike and true dip.

#include "quellatorix/state.hpp"

namespace qx::program {

// Converts rec (whose checks all passed) and leaves strike, dip, comment and
// DIPDA for its result line. On failure the error frame has been opened and
// written; the failed-record step closes it.
Outcome dip_computation(Session& s, const RunState& st, Record& rec);

}  // namespace qx::program
