#pragma once

#include <cstddef>
#include <cstdio>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "common/quote.h"

// Pieces shared by the readers of velko's own format and of XYZ files.

// Longest line accepted: no line of either format comes near it, and a file
// without line breaks (/dev/zero, a binary) is refused after reading this much.
constexpr std::size_t max_line_bytes = std::size_t{1} << 20;

// Reads an input file one line at a time, only as far as the caller asks, so
// that what follows the lines a format needs is never read. Lines come without
// their line feed (a carriage return before it stays); a UTF-8 byte-order mark
// at the very start of the file is dropped. Refuses, as bad input naming the
// file and line, a NUL byte (the file is not text) and a line longer than
// max_line_bytes.
class LineReader {
public:
    // Throws the bad-input Failure "cannot read input file" when the file cannot be opened.
    explicit LineReader(const std::string& path);
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // The next line, or nothing at the end of the file. Throws "cannot read
    // input file" on a read error (e.g. the path names a directory).
    std::optional<std::string> next();
    // The line next() will return (k = 0) or the k-th after it, without consuming them.
    const std::optional<std::string>& peek(std::size_t k = 0);
    // Number (from 1) of the line the last next() returned.
    std::size_t line_number() const { return number; }
    const std::string& path() const { return file_path; }

private:
    std::optional<std::string> read_line();

    std::string file_path;
    std::FILE* file = nullptr;
    std::size_t number = 0;
    std::deque<std::optional<std::string>> ahead;  // lines read by peek, not yet by next
};

// Throws the bad-input Failure for one line of an input file:
//   Error in input file "<path>", line <n>: expected <expected>, found <found>
[[noreturn]] void refuse_input_line(const std::string& path, std::size_t line, const std::string& expected,
                                    const std::string& found);

// Fields of a line separated by runs of blanks and tabs; a trailing carriage
// return (a file written on Windows) is not part of the last field.
std::vector<std::string> fields_of(const std::string& line);

// The canonical symbol ("H" ... "Kr") of an element field of an atom line: a
// symbol in any letter case ("he", "NE") or an atomic number 1 to 36 in digits.
// Refuses anything else, naming the field.
std::string element_field(const std::string& path, std::size_t line, const std::string& field);

// Coordinate `axis` (0, 1, 2 for x, y, z) of an atom line, read strictly from
// `field` and multiplied by `scale` (bohr per input unit). Refuses a field that
// is not a number as a whole, and a position beyond 1e6 bohr, where the squared
// distances of the integrals overflow and the incomplete gamma function no
// longer converges (no molecule is 53 micrometres across).
double coordinate_bohr(const std::string& path, std::size_t line, int axis, const std::string& field, double scale);
