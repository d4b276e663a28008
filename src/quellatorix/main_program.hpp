#pragma once
// The dip conversion program from its first statement to its end.

#include "quellatorix/state.hpp"
#include "support/session.hpp"

namespace qx::program {

// The closing summary: records read and converted, the files closed.
void summary(Session& s, RunState& st);

// The main program: start-up, menus, input header, record loop, summary,
// run tail. It returns at its normal end.
void quellatorix(Session& s);

// Runs the main program and closes every unit: the exit status of the run
// (0 at its normal end, or the status a stop gave).
int run_quellatorix(Session& s);

}  // namespace qx::program
