#pragma once
// System probes: date and time, host, user, operating system, processor.

#include "platform/text.hpp"
#include "support/session.hpp"

namespace qx {

// "YYYY-MM-DD" and "hh:mm:ss" from one reading of the local date and time.
void date10_time8(Session& s, MutText date10, MutText time8);
void hostname(Session& s, MutText name);
void username(Session& s, MutText name);
// Processor brand and operating-system version, each through a shell
// command and a temporary file in a private folder; warning boxes and
// fallbacks on failure.
void hardinfo(Session& s, MutText cpuinfo);
void osversion(Session& s, MutText osvers);

}  // namespace qx
