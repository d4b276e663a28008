#pragma once
// Prompted input with defaults: a text, an integer in a range, a yes or no.
//
// Each routine asks until it has a usable answer, reporting a bad one in an
// error frame. An answer whose first character is a blank (an empty line
// among them) takes the default. Callers pass one variable as both value
// and default: the default is read before the value is written, so a value
// written during the dialogue is the default of the next pass.

#include <cstdint>
#include <string_view>

#include "platform/text.hpp"
#include "support/session.hpp"

namespace qx {

// How a prompt ended: with a usable answer in the value, or at the end of
// the console input (after its could-not-read frame, the value unchanged).
enum class Answer { ok, ended };

// A text. The answer is read into 80 characters, then cut or padded to
// value. With longer, tells whether the answer went on beyond its 80
// characters (value then holds their cut).
[[nodiscard]] Answer inchardef(Session& s, MutText value, std::string_view text, std::string_view default_,
                               std::int32_t& ierr, bool* longer = nullptr);

// An integer inside [ivmin, ivmax], both included.
[[nodiscard]] Answer inintegvindef(Session& s, std::int32_t& iv, std::string_view text, const std::int32_t& ivdef,
                                   std::int32_t ivmin, std::int32_t ivmax, std::int32_t& ierr);

// A yes or no, with a help table on h.
[[nodiscard]] Answer inlogicdef(Session& s, bool& value, std::string_view text, const bool& default_,
                                std::int32_t& ierr);

// Ends the run after a prompt met the end of the console input: one line
// tells the user, then the run stops with status 1 (files written so far
// are closed and kept).
[[noreturn]] void stop_at_console_end(Session& s);

}  // namespace qx
