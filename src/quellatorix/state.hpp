#pragma once
// The dip conversion program's run state and its record.

#include <array>
#include <cstdint>
#include <string_view>

#include "platform/text.hpp"
#include "support/session.hpp"

namespace qx::program {

// The program's identity, in every frame it opens.
inline constexpr RoutineId kProgram{"quellatorix", "5.1", "2025-04-11"};

// Units the program holds its data on.
inline constexpr std::int32_t kInputFileUnit = 25;
inline constexpr std::int32_t kOutputFileUnit = 26;
inline constexpr std::int32_t kKeyboardUnit = 5;
inline constexpr std::int32_t kScreenUnit = 6;

// Variables of the main program that live for the whole run.
struct RunState {
  std::int32_t IINPUT = 1;   // 1 file, 2 keyboard
  std::int32_t IFORMAT = 1;  // 1 alphanumerical, 2 numerical
  std::int32_t IOUTPUT = 1;  // 1 file, 2 screen
  std::int32_t IUIN = 0;
  std::int32_t IUOUT = 0;
  Text<50> INFILE{"quelta_in.txt"};
  Text<50> OUTFILE{"quelta_out.txt"};
  Text<40> TITLE;
  char TAB = '\t';
  bool LEND = false;
  std::int64_t NREAD = 0;  // counts that never overflow, whatever the file
  std::int64_t NCONV = 0;
  bool LINTERACT = false;
  Text<50> PROMPT;
  bool output_opened = false;  // an output file was opened on IUOUT
};

// One fracture record as the loop holds it; the fields keep their values
// from one record to the next until read or set again. Index 0 is the
// first direction (DDIR(1), DIPDA(1)).
struct Record {
  float dipa1 = 0.0f;
  std::array<Text<1>, 2> DDIR;
  float dipa2 = 0.0f;
  std::array<float, 2> DIPDA{};
  Text<55> comment;
  float strike = 0.0f;  // results of the last converted record
  float dip = 0.0f;
};

// Whether a record was converted or failed its checks.
enum class Outcome { converted, failed };

// A direction letter from files of other machines that is no printable
// character becomes "?", which a terminal and a results file carry as it
// is (the record fails its check all the same).
void clean_letter(Text<1>& letter);

// A value line of a frame: one blank, the label, one blank and the value
// with one decimal in 7 columns.
void write_value_line(Session& s, std::string_view label, float v);

// The record line of a frame: " while reading data nb" and the record
// number in 5 columns, in full when it is wider.
void write_record_line(Session& s, std::int64_t nread);

}  // namespace qx::program
