#pragma once
// The shared blocks: console set-up, run information and angle constants.

#include <array>
#include <cstdint>

#include "platform/text.hpp"

namespace qx {

// Console set-up, filled once by initsio2. LWITO[0..2] are the minimum,
// more and maximum output switches (LWITO(1) to LWITO(3)).
struct IoCom {
  std::int32_t IUSTDIN = 0;
  std::int32_t IUSTDOUT = 0;
  std::int32_t IUERRIN = 0;
  std::int32_t IUERROUT = 0;
  std::int32_t IUCMDF = 0;
  std::int32_t ICMDFIDX = 0;
  bool LPLOTF = false;
  bool LCMDF = false;
  bool LPAUSE = false;
  std::array<bool, 3> LWITO{};
};

// Run information: who runs what, where and since when. Index 0 of the
// level arrays is level 1, the main program.
struct RunInfo3Com {
  std::int32_t ROUTLEVEL = 0;
  std::int32_t CMDNUMBER = 0;
  std::int32_t RUNINFOCODE = 0;
  std::int32_t CLOCKSTART = 0;
  float CPUSTART = 0.0f;
  std::array<Text<20>, 3> ROUTNAME;
  std::array<Text<4>, 3> ROUTVERS;
  std::array<Text<10>, 3> ROUTDATE;
  Text<13> OSTEXT;
  Text<30> CPUTEXT;
  Text<35> HOSTTEXT;
  Text<10> USERTEXT;
  Text<10> STARTDATE;
  Text<8> STARTTIME;

  // The block starts as zeros: numbers 0, texts of zero bytes.
  RunInfo3Com() {
    for (auto& t : ROUTNAME) t.c.fill('\0');
    for (auto& t : ROUTVERS) t.c.fill('\0');
    for (auto& t : ROUTDATE) t.c.fill('\0');
    OSTEXT.c.fill('\0');
    CPUTEXT.c.fill('\0');
    HOSTTEXT.c.fill('\0');
    USERTEXT.c.fill('\0');
    STARTDATE.c.fill('\0');
    STARTTIME.c.fill('\0');
  }
};

// Angle constants, zero until trigoset fills them. Index k-1 holds element k.
struct AngleBlocks {
  std::array<float, 9> anglerad{};
  std::array<float, 7> angleradi{};
  std::array<float, 7> anglerads{};
};

}  // namespace qx
