#pragma once
// The run header (with its wait for RETURN) and the run tail.

#include "support/session.hpp"

namespace qx {

void progheadwz2(Session& s);
void progtail2(Session& s);

}  // namespace qx
