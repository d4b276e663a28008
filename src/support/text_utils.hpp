#pragma once
// Text helpers: trimmed extent, width of an integer, base name of a path,
// texts from outside made safe to show.

#include <cstdint>
#include <string_view>

#include "platform/text.hpp"

namespace qx {

// First and last non-blank positions (from 1). An all-blank text of length
// n gives n, n; an empty text gives 1, 1. Only the blank is blank.
void textlen(std::int32_t& ib, std::int32_t& ie, std::string_view text);

// The characters from ib to ie as textlen gives them: an all-blank text
// yields one blank, an empty one nothing.
std::string_view trimmed(std::string_view text);

// Width of iv written in a field just wide enough, from a single-precision
// logarithm (one too many just below some powers of ten).
void integlen(std::int32_t& ilen, std::int32_t iv);

// A text from outside (a file name, a title, what the host says about
// itself) made safe for the terminal and the results' tab-separated lines:
// every control character becomes a blank (a C1 control, two bytes in
// UTF-8, one blank; a byte 0x80 to 0x9F of no UTF-8 letter, a C1 control
// to an 8-bit terminal, too), and a UTF-8 letter cut short by the text's
// length is dropped. Other bytes are kept.
void clean_text(MutText text);

// The part of path after its last "/" (a final "/" stays with the name),
// cut or padded into basename; nchar is its length.
void path2basename(std::int32_t& nchar, MutText basename, std::string_view path);

}  // namespace qx
