#pragma once

#include <optional>
#include <string>

// Strict readers for the values and fields of input lines: a field counts only
// when it is a number as a whole, so "1,5" or "O.5" are refused rather than
// read as 1 or 0.

// s without its trailing blanks, tabs and carriage returns.
std::string trim_right(const std::string& s);

// s with the letters A-Z turned to a-z; other bytes unchanged.
std::string to_lower(const std::string& s);

// A decimal whole number with optional sign and nothing else ("3", "+3", "-1");
// empty when the text is anything else or does not fit into an int.
std::optional<int> parse_whole(const std::string& text);

// A finite decimal real number with optional sign, fraction and exponent and
// nothing else ("1.0e-1", "-2", ".5", "+1.5"), the exponent also written with
// Fortran's D or d ("1.0D-01"); empty for anything else,
// including hexadecimal, inf, nan and values that overflow a double.
std::optional<double> parse_real(const std::string& text);
