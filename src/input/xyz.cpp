#include "input/xyz.h"

#include <cstddef>
#include <optional>
#include <vector>

#include "basis/atom.h"
#include "common/constants.h"
#include "common/failure.h"
#include "input/fieldparse.h"
#include "input/molecule.h"
#include "input/input_lines.h"

namespace {

// Fields of a line separated by runs of blanks and tabs; a trailing carriage
// return (a file written on Windows) is not part of the last field.
std::vector<std::string> fields_of(const std::string& line) {
    std::vector<std::string> fields;
    std::string current;
    for (char ch : trim_right(line)) {
        if (ch == ' ' || ch == '\t') {
            if (!current.empty()) fields.push_back(current);
            current.clear();
        } else {
            current += ch;
        }
    }
    if (!current.empty()) fields.push_back(current);
    return fields;
}

// The element symbol in its usual spelling, first letter upper case and the
// rest lower case, as programs writing XYZ files vary in this.
std::string canonical_symbol(const std::string& text) {
    std::string symbol = to_lower(text);
    if (!symbol.empty() && symbol[0] >= 'a' && symbol[0] <= 'z') symbol[0] = static_cast<char>(symbol[0] - 'a' + 'A');
    return symbol;
}

}  // namespace

bool is_xyz_path(const std::string& path) {
    const std::string ext = ".xyz";
    return path.size() > ext.size() && path.compare(path.size() - ext.size(), ext.size(), ext) == 0;
}

void read_xyz(Molecule& mol, const std::string& path, const std::string& basis_name) {
    const std::vector<std::string> lines = read_input_lines(path);
    const std::size_t available = lines.size();

    // --- line 1: the number of atoms ---
    if (available < 1) refuse_input_line(path, 1, "the number of atoms", "end of file");
    const std::vector<std::string> count_fields = fields_of(lines[0]);
    const std::string count_text = count_fields.empty() ? "" : count_fields[0];
    const std::optional<int> count = parse_whole(count_text);
    if (count_fields.size() != 1 || !count || *count < 1)
        refuse_input_line(path, 1, "the number of atoms as a positive whole number", quoted(trim_right(lines[0])));

    // --- line 2: comment, not read ---
    if (available < 2) refuse_input_line(path, 2, "a comment line", "end of file");

    mol.basis_name = basis_name;
    mol.basis.setType(basis_name);

    // --- atoms ---
    for (int i = 0; i < *count; ++i) {
        const std::size_t index = 2 + static_cast<std::size_t>(i);
        const std::size_t line_no = index + 1;
        if (index >= available)
            refuse_input_line(path, line_no, "atom " + std::to_string(i + 1) + " of " + std::to_string(*count) + " (symbol x y z)",
                   "end of file");
        const std::vector<std::string> fields = fields_of(lines[index]);
        if (fields.size() < 4)
            refuse_input_line(path, line_no, "an element symbol and three coordinates", quoted(trim_right(lines[index])));

        const std::string symbol = canonical_symbol(fields[0]);
        if (element_number(symbol) == 0)
            refuse_input_line(path, line_no, "an element symbol H, He, Li, Be, B, C, N, O, F or Ne", quoted(fields[0]));

        // The same product as the velko reader forms for angstrom input,
        // so both formats give the same positions to the last bit.
        double r[3];
        for (int k = 0; k < 3; ++k) r[k] = coordinate_bohr(path, line_no, k, fields[1 + k], bohr_per_angstrom);
        mol.addAtom(symbol, r[0], r[1], r[2]);
    }
}
