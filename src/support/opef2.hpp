#pragma once
// Opening a named file on a unit, with a retry dialogue or a stop.

#include <cstdint>
#include <string_view>

#include "platform/text.hpp"
#include "support/session.hpp"

namespace qx {

// inter 0: asks for the name (fname is the default) and asks again after a
// failed open. Any other inter: opens fname as it is, and stops the run
// (status 0, after an error frame and the sad face) when that fails. On
// return fname holds the base name of the file opened.
void opef2(Session& s, MutText fname, std::string_view label, std::int32_t iunit, std::string_view stat,
           std::int32_t inter);

}  // namespace qx
