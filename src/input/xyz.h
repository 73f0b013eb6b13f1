#pragma once

#include <cstddef>
#include <optional>
#include <string>

class LineReader;
struct Molecule;

// What the caller (the command line) says about an XYZ molecule. A charge or
// multiplicity given here wins over the one of the comment line.
struct XyzRequest {
    std::string basis_name = "sto-3g";  // any spelling basis_set_name accepts
    std::optional<int> charge;
    std::optional<int> multiplicity;
};

// Reads an XYZ file into an empty molecule: line 1 the number of atoms, line 2
// a comment, then one line "symbol x y z" per atom with coordinates in
// angstrom, fields separated by any blanks or tabs. Element symbols are read in
// any letter case ("h", "HE"), or as atomic numbers 1 to 36; columns after z are
// not read. After the atoms may follow only blank lines or further frames of a
// trajectory (each a count line, a comment and that many atom lines, all checked):
// the first frame is the molecule, and the number of frames in the file is returned.
// Anything else is refused naming its line, so a count line that is too small
// never leaves atoms out unseen. The comment line may carry the
// extended-XYZ key-value pairs charge=N and multiplicity=M (keys in any letter
// case, values whole numbers, optionally in double quotes); every other word of
// it is free text. Throws Failure (bad_input) naming the file and line for a
// malformed file, in the same form as Molecule::read, and Failure
// (unknown_basis) for an unknown basis-set name.
std::size_t read_xyz(Molecule& mol, const std::string& path, const XyzRequest& request = {});
std::size_t read_xyz(Molecule& mol, LineReader& reader, const XyzRequest& request);

// The values of the keys charge and multiplicity of an extended-XYZ comment
// line; a key that is absent stays empty. Refuses, as bad input on line 2 of
// `path`, a value that is not a whole number or a multiplicity below 1.
struct CommentValues {
    std::optional<int> charge;
    std::optional<int> multiplicity;
};
CommentValues xyz_comment_values(const std::string& path, const std::string& comment);

// Whether a first line marks XYZ content: the line is one whole number and
// nothing else (velko's own format starts with "label = basis").
bool looks_like_xyz(const std::string& first_line);

// Whether a path names an XYZ file: it ends in ".xyz" in any letter case.
bool is_xyz_path(const std::string& path);
