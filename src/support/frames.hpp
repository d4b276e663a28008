#pragma once
// Console set-up and the frames every routine reports in.
//
// Every frame line is 51 columns: one blank and 50 characters. Error and
// warning frames go to the error output unit; menu frames to the standard
// output unit. The tails of error and warning frames pause for RETURN.

#include <cstdint>
#include <string_view>

#include "support/session.hpp"

namespace qx {

// Fills iocom and announces itself; with iflag 0 also lists the set-up.
void initsio2(Session& s, std::int32_t iflag);
// Lists iocom on iunit, inside a submenu frame on the standard output.
void writesio(Session& s, std::int32_t iunit);

void errorhead(Session& s, std::string_view routname, std::string_view routvers, std::string_view routdate);
void errortail00(Session& s);
void warninghead(Session& s, std::string_view routname, std::string_view routvers, std::string_view routdate);
void warningtail00(Session& s);
void mainmenuhead(Session& s, std::string_view routname, std::string_view routvers, std::string_view routdate);
void submenuhead(Session& s, std::string_view routname, std::string_view routvers, std::string_view routdate);
void menutail(Session& s);

inline void errorhead(Session& s, const RoutineId& id) { errorhead(s, id.name, id.vers, id.date); }
inline void warninghead(Session& s, const RoutineId& id) { warninghead(s, id.name, id.vers, id.date); }
inline void mainmenuhead(Session& s, const RoutineId& id) { mainmenuhead(s, id.name, id.vers, id.date); }
inline void submenuhead(Session& s, const RoutineId& id) { submenuhead(s, id.name, id.vers, id.date); }

}  // namespace qx
