#pragma once
// Closing pictures, each drawn on the standard output unit.

#include "support/session.hpp"

namespace qx {

void carmag33(Session& s);
void endfun1(Session& s);
void graben(Session& s);
void happyface(Session& s);
void horst(Session& s);
void sator(Session& s);
void sorryface(Session& s);
void tetrakis(Session& s);
void tetratemple1(Session& s);
void tetratemple2(Session& s);

}  // namespace qx
