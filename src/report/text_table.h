#pragma once

#include <cstddef>
#include <sstream>
#include <string>
#include <vector>

// The pieces of the report's blocks.

// The rule of the boxes round the block titles and above the closing line.
inline constexpr const char* box_stars = "***********************";

// Five centred-looking lines (23 characters right-aligned in 33) and an empty line;
// `title` is a line of the box such as "*     PROPERTIES      *".
void box_header(std::ostringstream& os, const char* title);

// "|" and the given number of ten-character cells of dashes.
void table_rule(std::ostringstream& os, std::size_t cells);

// Cells right-aligned in 10 characters, each followed by "|".
void table_row(std::ostringstream& os, const std::vector<std::string>& cells);

// %.<decimals>f; a value that rounds to zero prints as an unsigned zero.
std::string fixed_text(double value, int decimals);
