#pragma once
// List-directed reading: free-form values spread over one or more lines.
//
// Values are separated by blanks, tabs, or a comma with blanks or tabs
// around it; leading blanks and tabs are passed over. A text stands bare
// (ending at a blank, tab, comma or slash) or between apostrophes or double
// quotes, a doubled quote standing for one. A read that runs out of values
// goes on to the next line, passing over empty lines; every read starts at
// a new line and passes over the rest of the line after its last value.
// A line may come in pieces; only what the items keep is kept: a text's
// first characters (the rest passed over), and a number whole, up to
// kMaxNumberLength characters (a longer one is a read error).
//
// Choices of this reader: a null value (two commas with nothing between, or
// a comma first), a slash before the last value and a repeat count are read
// errors, never values left unchanged, except in a read whose values may be
// left out, which takes a null value and a slash (see Omitted). Integers
// are decimal with an optional sign and must fit in 32 bits. Reals are
// integer or decimal with an optional sign and an exponent: E, D or Q and
// an integer, or a signed integer alone (4.5-1 is 0.45); the infinities,
// NaN and any value beyond single precision are read errors; a value too
// small for single precision becomes zero.

#include <cstddef>
#include <span>
#include <string_view>
#include <variant>

#include "platform/io.hpp"
#include "platform/text.hpp"

namespace qx::platform {

using ListItem = std::variant<int*, float*, MutText>;

// What a null value or a slash where a value is due makes of a read: a read
// error, or, where the values may be left out, what list-directed input has
// always made of them: a null value leaves its item as it was, and a slash
// ends the read, leaving every item from there as it was.
enum class Omitted { error, kept };

inline constexpr std::size_t kMaxNumberLength = std::size_t{1} << 20;

// Reads one value into each item, in order. An item is written only when
// its value converts; on an error or the end of the input the items already
// read keep their new values.
IoStatus read_list(LineSource& source, std::span<const ListItem> items, Omitted omitted = Omitted::error);

// The same read on one line of text (an internal read): running out of text
// before the last item is a read error.
IoStatus read_list_text(std::string_view text, std::span<const ListItem> items);

// Conversions of one bare value, whole: false when it can't be converted.
bool parse_int(std::string_view token, int& v);
bool parse_real(std::string_view token, float& v);

}  // namespace qx::platform
