#pragma once
// Results of reads, and the line-oriented streams that units are built on.

#include <string>
#include <string_view>

namespace qx::platform {

// Every read tells success, a read error and the end of the input apart.
enum class IoStatus { ok, error, eof };

// A source of lines. A line is given without its line end: a line feed, a
// carriage return, or a carriage return and a line feed; a last line may
// lack its line end.
class LineSource {
 public:
  virtual ~LineSource() = default;
  // The next line. A source that reads through a fixed buffer gives a longer
  // line in pieces: while line_goes_on(), the next call gives the next piece
  // of the same line. The view stays valid until the next call.
  virtual IoStatus next_line(std::string_view& line) = 0;
  bool line_goes_on() const { return goes_on_; }

 protected:
  // Set by a source that gives pieces, with each one: asked once a line, it
  // is no virtual call.
  bool goes_on_ = false;
};

// The process's console: lines in, bytes out.
class Console : public LineSource {
 public:
  // Output is buffered; next_line flushes it before it waits for input.
  virtual void write(std::string_view bytes) = 0;
  virtual void flush() = 0;
  // Whether no line can come any more: after the end of the input, or after
  // a read error that does not clear.
  virtual bool input_ended() const { return false; }
};

// An input file: a source of lines.
class InputFile : public LineSource {};

// An output file of lines. Writes are buffered; a failure is kept and
// reported by the next call, and error_text() tells what went wrong.
class OutputFile {
 public:
  virtual ~OutputFile() = default;
  // One line and its line end, as one piece: a file is never left holding
  // part of a line by an interrupt.
  virtual bool write_line(std::string_view line) = 0;
  virtual bool flush() = 0;
  virtual bool close() = 0;
  virtual std::string error_text() const = 0;
};

// A file read and written through one position, as a sequential file is:
// reads take its lines from the position on; the first write cuts the file
// at the position and goes on from there, and reads then meet its end.
class UpdateFile : public InputFile, public OutputFile {
 public:
  // False for a file that could only be opened for reading.
  virtual bool writable() const = 0;
};

}  // namespace qx::platform
