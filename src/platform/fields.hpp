#pragma once
// Fixed-width fields of written lines, appended to a line being built.
//
// Numbers are right-justified and fill a field that is too narrow with
// asterisks; reals round to nearest with an exact tie away from zero.
// Nothing here depends on the locale.

#include <string>
#include <string_view>

namespace qx::field {

// Integer right-justified in w columns; w asterisks when it does not fit.
void put_int(std::string& out, long long v, int w);

// Integer right-justified in w columns, written in full when it is wider:
// for numbers a user must be able to find again (record numbers).
void put_count(std::string& out, long long v, int w);

// Real with d decimals (0 <= d <= 6) right-justified in w columns, always
// with a digit before the point. A value below zero carries a minus sign,
// also where it rounds to zero; a negative zero carries none. Infinities
// and NaN show as "Inf", "-Inf" and "NaN".
void put_fixed(std::string& out, float v, int w, int d);

// Real in scientific form with one digit before the point and d after it,
// a two-digit exponent and a sign place: 180 in (10, 3) is " 1.800E+02".
void put_sci(std::string& out, float v, int w, int d);

// The same field written at dst, which has room for w characters; returns
// the end of the field. For lines built by the million.
char* fixed_into(char* dst, float v, int w, int d);

// Boolean: w-1 blanks and "T" or "F".
void put_bool(std::string& out, bool v, int w);

// Text in w columns: blanks before it when shorter, its first w characters
// when longer (its own trailing blanks count as characters).
void put_text(std::string& out, std::string_view s, int w);

// n blanks; n copies of c.
void put_blanks(std::string& out, int n);
void put_rep(std::string& out, char c, int n);

// Whole-string forms, for messages and tests.
std::string fixed_field(float v, int w, int d);
std::string sci_field(float v, int w, int d);

}  // namespace qx::field
