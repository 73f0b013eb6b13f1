#include "input/velko_format.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "basis/basis.h"
#include "basis/basis_library.h"
#include "common/constants.h"
#include "common/failure.h"
#include "common/quote.h"
#include "common/fieldparse.h"
#include "input/input_lines.h"
#include "input/strfunc.h"

namespace {

// The input file is positional: four header lines "label = value", then one
// line "symbol x y z" per atom.
const int header_lines = 4;
const char* const header_meaning[header_lines] = {"the basis-set name", "the molecular charge", "the number of atoms",
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

// The value of header line `number` (1 to 4), refusing a file that ends before it.
std::string next_header_value(LineReader& reader, int number) {
    const std::optional<std::string> line = reader.next();
    if (!line)
        refuse_input_line(reader.path(), static_cast<std::size_t>(number),
                          "header line " + std::to_string(number) + " (" + header_meaning[number - 1] + ")",
                          "end of file");
    return header_value(*line);
}

// "å" and "Å" in UTF-8, and the angstrom sign U+212B.
const char* const angstrom_letters[] = {"\xc3\xa5", "\xc3\x85", "\xe2\x84\xab"};

}  // namespace

std::optional<double> unit_scale(const std::string& word) {
    const std::string w = to_lower(word);
    for (const char* a : {"angstrom", "angstroms", "ang", "angs"})
        if (w == a) return bohr_per_angstrom;
    for (const char* a : angstrom_letters)
        if (w == a) return bohr_per_angstrom;
    for (const char* b : {"bohr", "bohrs", "au", "a.u.", ""})
        if (w == b) return 1.0;
    return std::nullopt;
}

void read_velko_file(Molecule& mol, const std::string& path) {
    LineReader reader(path);
    read_velko_format(mol, reader);
}

double read_velko_format(Molecule& mol, LineReader& reader) {
    const std::string& path = reader.path();

    // --- header ---
    const std::string basis_value = next_header_value(reader, 1);
    const std::optional<std::string> basis_name = basis_set_name(basis_value);
    if (!basis_name)
        throw Failure{"Unrecognized basis set\nError in input file " + quoted(path) +
                          ", line 1: expected a basis-set name, one of " + library_names() +
                          " (any letter case), found " + quoted(basis_value),
                      exit_status::unknown_basis};
    mol.basis_name = *basis_name;

    const std::string charge_value = next_header_value(reader, 2);
    const std::optional<int> charge = parse_whole(charge_value);
    if (!charge)
        refuse_input_line(path, 2, "the molecular charge as a whole number (such as 0, +1 or -2)", quoted(charge_value));
    mol.charge = *charge;

    // The count is the first word of its value; like atoi, a note after it is
    // ignored ("atoms = 3 water"), but the word itself must be a whole number.
    const std::string count_value = next_header_value(reader, 3);
    const std::string count_text = count_value.substr(0, count_value.find_first_of(" \t"));
    const std::optional<int> count = parse_whole(count_text);
    if (!count) refuse_input_line(path, 3, "the number of atoms as a whole number", quoted(count_text));
    if (*count < 1) refuse_input_line(path, 3, "a number of atoms of one or more", quoted(count_text));

    const std::string unit = next_header_value(reader, 4);
    const std::optional<double> scale = unit_scale(unit);
    if (!scale)
        refuse_input_line(path, 4,
                          "the unit of length: angstrom (or angstroms, ang, angs, \xc3\xa5) or bohr (or bohrs, au, "
                          "a.u., or nothing), in any letter case",
                          quoted(unit));

    // --- atoms ---
    // The count is not trusted for allocation: lines are taken one by one and
    // the first missing one is reported; lines after the last atom are not read.
    for (int i = 0; i < *count; ++i) {
        const std::size_t line_no = static_cast<std::size_t>(header_lines) + static_cast<std::size_t>(i) + 1;
        const std::optional<std::string> line = reader.next();
        if (!line)
            refuse_input_line(path, line_no,
                              "atom " + std::to_string(i + 1) + " of " + std::to_string(*count) + " (symbol x y z)",
                              "end of file");

        const std::string raw = trim_right(*line);
        std::string trimmed = raw;
        strtrim(trimmed);
        const std::vector<std::string> fields = explode(" ", trimmed);
        if (fields.size() < 4) refuse_input_line(path, line_no, "an element symbol and three coordinates", quoted(raw));

        const std::string symbol = element_field(path, line_no, fields[0]);
        double r[3];
        for (int k = 0; k < 3; ++k) r[k] = coordinate_bohr(path, line_no, k, fields[1 + k], *scale);
        mol.addAtom(symbol, r[0], r[1], r[2]);
    }
    return *scale;
}

