#include "input/input_lines.h"

#include <cmath>
#include <optional>

#include "common/failure.h"
#include "common/quote.h"
#include "input/fieldparse.h"
#include "input/readfile.h"

namespace {
constexpr double max_coordinate_bohr = 1e6;
}

std::vector<std::string> read_input_lines(const std::string& path) {
    std::vector<std::string> lines;
    InputFile file(path);
    file.readFile(lines);
    if (!file.is_open() || file.read_error())
        throw Failure{"Error: cannot read input file \"" + path + "\"", exit_status::bad_input};
    if (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
}

void refuse_input_line(const std::string& path, std::size_t line, const std::string& expected,
                       const std::string& found) {
    throw Failure{"Error in input file \"" + path + "\", line " + std::to_string(line) + ": expected " + expected +
                      ", found " + found,
                  exit_status::bad_input};
}

double coordinate_bohr(const std::string& path, std::size_t line, int axis, const std::string& field, double scale) {
    static const char* const names[3] = {"x", "y", "z"};
    const std::optional<double> value = parse_real(field);
    if (!value) refuse_input_line(path, line, std::string("a number for the ") + names[axis] + " coordinate", quoted(field));
    const double r = *value * scale;
    if (!(std::fabs(r) <= max_coordinate_bohr))
        refuse_input_line(path, line,
                          std::string("a number for the ") + names[axis] + " coordinate of at most 1e6 bohr in magnitude",
                          quoted(field));
    return r;
}
