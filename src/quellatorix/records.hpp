#pragma once
// The record loop: output header, reading and checking records, result lines.

#include "quellatorix/state.hpp"

namespace qx::program {

// Writes the output header (not in interactive mode) and the banner that
// opens the reading of the data.
void output_header_step(Session& s, RunState& st, Record& rec);

// Reads, checks, converts and writes records until the user ends the
// keyboard input, the input ends, or a record can't be read.
void record_loop(Session& s, RunState& st, Record& rec);

// The checks of the record's format, in order; false after the first that
// fails, with its frame opened and written and its text in rec.comment.
bool check_record(Session& s, const RunState& st, Record& rec);

// The result line of a converted record, or of a failed one (blank strike
// and dip), after the "RESULTS" banner in interactive mode.
void result_step(Session& s, RunState& st, Record& rec);
void failed_record_step(Session& s, RunState& st, Record& rec);

// The result line itself, built into line (no line end).
void build_result_line(std::string& line, const RunState& st, const Record& rec, bool converted);

}  // namespace qx::program
