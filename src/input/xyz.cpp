#include "input/xyz.h"

#include <cstddef>
#include <optional>
#include <vector>

#include "basis/basis.h"
#include "basis/basis_library.h"
#include "common/constants.h"
#include "common/failure.h"
#include "common/quote.h"
#include "common/fieldparse.h"
#include "input/input_lines.h"
#include "molecule/molecule.h"

namespace {

bool blank(char ch) { return ch == ' ' || ch == '\t' || ch == '\r'; }

// One whole-number value of the comment line; refuses anything else.
int comment_number(const std::string& path, const std::string& key, const std::string& value, int minimum,
                   const char* what) {
    const std::optional<int> number = parse_whole(value);
    if (!number || *number < minimum)
        refuse_input_line(path, 2, key + "= followed by " + what, quoted(key + "=" + value));
    return *number;
}

struct XyzAtom {
    std::string symbol;
    double r[3];  // bohr
};

// One atom line: symbol x y z in angstrom, columns after z not read.
XyzAtom atom_line(const std::string& path, std::size_t line_no, const std::string& line) {
    const std::vector<std::string> fields = fields_of(line);
    if (fields.size() < 4)
        refuse_input_line(path, line_no, "an element symbol and three coordinates", quoted(trim_right(line)));
    XyzAtom atom;
    atom.symbol = element_field(path, line_no, fields[0]);
    // The same product as the velko reader forms for angstrom input,
    // so both formats give the same positions to the last bit.
    for (int k = 0; k < 3; ++k) atom.r[k] = coordinate_bohr(path, line_no, k, fields[1 + k], bohr_per_angstrom);
    return atom;
}

}  // namespace

bool is_xyz_path(const std::string& path) {
    const std::string ext = ".xyz";
    return path.size() > ext.size() && to_lower(path.substr(path.size() - ext.size())) == ext;
}

bool looks_like_xyz(const std::string& first_line) {
    const std::vector<std::string> fields = fields_of(first_line);
    return fields.size() == 1 && parse_whole(fields[0]).has_value();
}

CommentValues xyz_comment_values(const std::string& path, const std::string& comment) {
    // Extended XYZ: words key=value or key = value, a value in double quotes
    // may hold blanks; words without "=" are free text.
    CommentValues values;
    const std::size_t n = comment.size();
    std::size_t i = 0;
    while (i < n) {
        while (i < n && blank(comment[i])) ++i;
        const std::size_t key_start = i;
        while (i < n && !blank(comment[i]) && comment[i] != '=') ++i;
        const std::string key = to_lower(comment.substr(key_start, i - key_start));
        std::size_t j = i;
        while (j < n && blank(comment[j])) ++j;
        if (j >= n || comment[j] != '=') {
            if (i == key_start) ++i;  // a stray character that starts no key
            continue;
        }
        j += 1;
        while (j < n && blank(comment[j])) ++j;
        std::string value;
        if (j < n && comment[j] == '"') {
            const std::size_t close = comment.find('"', j + 1);
            const std::size_t end = close == std::string::npos ? n : close;
            value = comment.substr(j + 1, end - j - 1);
            j = close == std::string::npos ? n : close + 1;
        } else {
            const std::size_t start = j;
            while (j < n && !blank(comment[j])) ++j;
            value = comment.substr(start, j - start);
        }
        i = j;
        if (key == "charge")
            values.charge = comment_number(path, "charge", value, -2147483647, "a whole number");
        else if (key == "multiplicity")
            values.multiplicity = comment_number(path, "multiplicity", value, 1, "a whole number of 1 or more");
    }
    return values;
}

std::size_t read_xyz(Molecule& mol, const std::string& path, const XyzRequest& request) {
    LineReader reader(path);
    return read_xyz(mol, reader, request);
}

std::size_t read_xyz(Molecule& mol, LineReader& reader, const XyzRequest& request) {
    const std::string& path = reader.path();

    const std::optional<std::string> basis_name = basis_set_name(request.basis_name);
    if (!basis_name)
        throw Failure{"Unrecognized basis set\nError: basis set " + quoted(request.basis_name) + " for input file " +
                          quoted(path) + " is not known; expected one of " + library_names() + " (any letter case)",
                      exit_status::unknown_basis};

    // --- line 1: the number of atoms ---
    const std::optional<std::string> first = reader.next();
    if (!first) refuse_input_line(path, 1, "the number of atoms", "end of file");
    const std::vector<std::string> count_fields = fields_of(*first);
    const std::string count_text = count_fields.empty() ? "" : count_fields[0];
    const std::optional<int> count = parse_whole(count_text);
    if (count_fields.size() != 1 || !count || *count < 1)
        refuse_input_line(path, 1, "the number of atoms as a positive whole number", quoted(trim_right(*first)));

    // --- line 2: comment, with optional charge= and multiplicity= ---
    const std::optional<std::string> comment = reader.next();
    if (!comment) refuse_input_line(path, 2, "a comment line", "end of file");
    const CommentValues given = xyz_comment_values(path, *comment);

    mol.basis_name = *basis_name;
    mol.charge = request.charge ? request.charge : given.charge;
    mol.multiplicity = request.multiplicity ? request.multiplicity : given.multiplicity;

    // --- atoms ---
    for (int i = 0; i < *count; ++i) {
        const std::size_t line_no = 3 + static_cast<std::size_t>(i);
        const std::optional<std::string> line = reader.next();
        if (!line)
            refuse_input_line(path, line_no,
                              "atom " + std::to_string(i + 1) + " of " + std::to_string(*count) + " (symbol x y z)",
                              "end of file");
        const XyzAtom atom = atom_line(path, line_no, *line);
        mol.addAtom(atom.symbol, atom.r[0], atom.r[1], atom.r[2]);
    }

    // --- what follows: blank lines, or further frames of a trajectory ---
    std::size_t frames = 1;
    for (;;) {
        std::optional<std::string> line = reader.next();
        while (line && fields_of(*line).empty()) line = reader.next();
        if (!line) return frames;
        const std::size_t count_line = reader.line_number();
        const std::vector<std::string> fields = fields_of(*line);
        const std::optional<int> next_count = fields.size() == 1 ? parse_whole(fields[0]) : std::nullopt;
        if (!next_count || *next_count < 1)
            refuse_input_line(path, count_line,
                              "the end of the file after the " + std::to_string(*count) +
                                  " atoms line 1 announces, or the number of atoms of a next frame",
                              quoted(trim_right(*line)));
        if (!reader.next()) refuse_input_line(path, count_line + 1, "the comment line of a frame", "end of file");
        for (int i = 0; i < *next_count; ++i) {
            const std::size_t line_no = count_line + 2 + static_cast<std::size_t>(i);
            const std::optional<std::string> atom = reader.next();
            if (!atom)
                refuse_input_line(path, line_no,
                                  "atom " + std::to_string(i + 1) + " of " + std::to_string(*next_count) +
                                      " of frame " + std::to_string(frames + 1) + " (symbol x y z)",
                                  "end of file");
            atom_line(path, line_no, *atom);
        }
        ++frames;
    }
}
