#pragma once
// The end of the program from anywhere inside it.

namespace qx::platform {

// Thrown to end the run; the host closes every unit and exits with status.
struct Stop {
  int status;
};

[[noreturn]] inline void stop_program(int status) { throw Stop{status}; }

}  // namespace qx::platform
