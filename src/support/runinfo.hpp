#pragma once
// The run information record: identity, start snapshot, run information code.

#include <cstdint>
#include <string_view>

#include "platform/text.hpp"
#include "support/session.hpp"

namespace qx {

// Registers the main program as level 1 and takes the start snapshot.
void smaininfo2(Session& s, std::string_view routname, std::string_view routvers, std::string_view routdate);
// Sets, resets, takes over or asks for the run information code (modes 0-5).
void swpinfo(Session& s, std::int32_t& code, std::int32_t inter);
// The system and program information texts for the head of a results file.
void getruninfo0(Session& s, MutText sysinfo, MutText proginfo);

}  // namespace qx
