#pragma once
// Records built in one line, and the frame heads the program reports them in.

#include <string>
#include <string_view>

#include "quellatorix/state.hpp"

namespace qx::testkit {

inline program::Record alpha(float dipa1, std::string_view dir1, float dipa2, std::string_view dir2) {
  program::Record r;
  r.dipa1 = dipa1;
  r.DDIR = {dir1, dir2};
  r.dipa2 = dipa2;
  return r;
}

inline program::Record numeric(float dipa1, float dd1, float dipa2, float dd2) {
  program::Record r;
  r.dipa1 = dipa1;
  r.DIPDA = {dd1, dd2};
  r.dipa2 = dipa2;
  return r;
}

inline const std::string kProgramErrorHead =
    " **************************************************\n"
    " **************************************************\n"
    " ***                                            ***\n"
    " ***          subroutine   quellatorix          ***\n"
    " ***                   ERROR                    ***\n"
    " ***                                            ***\n"
    " **************************************************\n"
    " **************************************************\n";

inline const std::string kProgramWarningHead =
    " //////////////////////////////////////////////////\n"
    " ///          subroutine   quellatorix          ///\n"
    " ///                  WARNING                   ///\n"
    " //////////////////////////////////////////////////\n";

// With the pause's prompt first.
inline const std::string kWarningTail =
    " ===> HIT RETURN TO CONTINUE\n"
    " //////////////////////////////////////////////////\n"
    " ///                WARNING END                 ///\n"
    " //////////////////////////////////////////////////\n";

}  // namespace qx::testkit
