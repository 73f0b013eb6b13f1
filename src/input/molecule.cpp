#include "input/molecule.h"

#include <cmath>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/constants.h"
#include "common/failure.h"
#include "input/fieldparse.h"
#include "input/input_lines.h"
#include "input/strfunc.h"

namespace {

// The input file is positional: four header lines "label = value", then one
// line "symbol x y z" per atom.
const int header_lines = 4;
const char* const header_meaning[header_lines] = {"the basis-set name", "an integer", "the number of atoms",
                                                  "the unit of length"};

// The value of a header line is what follows its first "=" (the whole line
// when there is none), without surrounding blanks, tabs or carriage return.
std::string header_value(std::string line) {
    strtrim(line);
    const int eq = strpos(line, "=");
    std::string value = substr(line, eq < 0 ? 0 : eq + 1);
    strtrim(value);
    return trim_right(value);
}

}  // namespace

void Molecule::read(std::string path) {
    const std::vector<std::string> lines = read_input_lines(path);
    const std::size_t available = lines.size();
    if (available < static_cast<std::size_t>(header_lines)) {
        const std::size_t missing = available + 1;
        refuse_input_line(path, missing,
               "header line " + std::to_string(missing) + " (" + header_meaning[missing - 1] + ")",
               "end of file");
    }

    // --- header ---
    basis_name = header_value(lines[0]);
    basis.setType(basis_name);

    aux_value = std::atoi(header_value(lines[1]).c_str());

    // The count is the first word of its value; like atoi, a note after it is
    // ignored ("atoms = 3 water"), but the word itself must be a whole number.
    const std::string count_value = header_value(lines[2]);
    const std::string count_text = count_value.substr(0, count_value.find_first_of(" \t"));
    const std::optional<int> count = parse_whole(count_text);
    if (!count) refuse_input_line(path, 3, "the number of atoms as a whole number", quoted(count_text));
    if (*count < 0) refuse_input_line(path, 3, "a number of atoms of zero or more", quoted(count_text));

    const std::string unit = header_value(lines[3]);
    double scale = 1.0;
    if (to_lower(unit) == "angstrom")
        scale = bohr_per_angstrom;
    else if (to_lower(unit) != "bohr")
        std::cerr << "velko: unit \"" << unit << "\" in " << path
                  << " line 4 is not angstrom or bohr; coordinates taken as bohr" << std::endl;

    // --- atoms ---
    // The count is not trusted for allocation: lines are taken one by one and
    // the first missing one is reported.
    for (int i = 0; i < *count; ++i) {
        const std::size_t index = static_cast<std::size_t>(header_lines) + static_cast<std::size_t>(i);
        const std::size_t line_no = index + 1;
        if (index >= available)
            refuse_input_line(path, line_no,
                   "atom " + std::to_string(i + 1) + " of " + std::to_string(*count) + " (symbol x y z)",
                   "end of file");

        const std::string raw = trim_right(lines[index]);
        std::string line = raw;
        strtrim(line);
        std::vector<std::string> fields = explode(" ", line);
        if (fields.size() < 4) refuse_input_line(path, line_no, "an element symbol and three coordinates", quoted(raw));

        std::string symbol = fields[0];
        strtrim(symbol);
        if (element_number(symbol) == 0)
            refuse_input_line(path, line_no, "an element symbol H, He, Li, Be, B, C, N, O, F or Ne", quoted(symbol));

        double r[3];
        for (int k = 0; k < 3; ++k) r[k] = coordinate_bohr(path, line_no, k, fields[1 + k], scale);
        addAtom(symbol, r[0], r[1], r[2]);
    }
}

void Molecule::addAtom(std::string symbol, double x, double y, double z) {
    atoms.emplace_back(std::move(symbol), x, y, z, basis);
    ++atom_count;
}
