#pragma once
// One run of the program: its units, host services and shared blocks.

#include <string_view>

#include "platform/line.hpp"
#include "platform/services.hpp"
#include "platform/units.hpp"
#include "support/blocks.hpp"

namespace qx {

struct Session {
  Session(platform::Units& u, platform::Services& s) : units(u), services(s) {}

  platform::Units& units;
  platform::Services& services;
  IoCom iocom;
  RunInfo3Com runinfo3com;
  AngleBlocks angles;

  // error for a unit that takes no writes; see Units::write_line.
  platform::IoStatus put(int unit, std::string_view line) { return units.write_line(unit, line); }
  // The common case: one line on the standard output unit.
  void out(std::string_view line) { units.write_line(iocom.IUSTDOUT, line); }
};

// A routine's identity as it names itself in frames.
struct RoutineId {
  std::string_view name;
  std::string_view vers;
  std::string_view date;
};

}  // namespace qx
