#pragma once

#include <cstddef>
#include <string_view>

namespace kv {

// The program's lines for people on standard error, from any thread. Writing them never
// holds up the caller: a terminal scrolled back, a pipe nobody reads or a slow disk delays
// no poll. They pass one LogWriter, so they keep their order, and a line that finds its
// buffer full is dropped; what still waits as the program ends has LogWriter::kCloseGrace
// to go out.

// Standard error's buffer: thousands of lines, far more than a reader that is merely slow
// leaves waiting.
constexpr std::size_t kErrorOutputBytes = std::size_t{1} << 20;

// Whole lines, each with its line end.
void writeErrorLines(std::string_view lines);
// One line; its line end is added.
void writeErrorLine(std::string_view line);
// A line that says how far something is, for a terminal: it stands until the next one
// replaces it, and a line written after it first clears it. Only for a terminal, since it
// is kept on one line by a carriage return and an erase to the line's end.
void writeStatusLine(std::string_view line);

} // namespace kv
