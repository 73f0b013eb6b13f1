#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "common/quote.h"

// Pieces shared by the readers of velko's own format and of XYZ files.

// The lines of an input file, without the empty entry the line reader adds
// after a final newline (it is not a line of the file). Throws the bad-input
// Failure "cannot read input file" when the file cannot be opened or read.
std::vector<std::string> read_input_lines(const std::string& path);

// Throws the bad-input Failure for one line of an input file:
//   Error in input file "<path>", line <n>: expected <expected>, found <found>
[[noreturn]] void refuse_input_line(const std::string& path, std::size_t line, const std::string& expected,
                                    const std::string& found);

// Coordinate `axis` (0, 1, 2 for x, y, z) of an atom line, read strictly from
// `field` and multiplied by `scale` (bohr per input unit). Refuses a field that
// is not a number as a whole, and a position beyond 1e6 bohr, where the squared
// distances of the integrals overflow and the incomplete gamma function no
// longer converges (no molecule is 53 micrometres across).
double coordinate_bohr(const std::string& path, std::size_t line, int axis, const std::string& field, double scale);
