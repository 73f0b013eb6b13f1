#pragma once

#include <string>

struct Molecule;

// Reads an XYZ file into an empty molecule: line 1 the number of atoms, line 2
// a free comment, then one line "symbol x y z" per atom with coordinates in
// angstrom, fields separated by any blanks or tabs. Element symbols are read in
// any letter case ("h", "HE", "cl" -> "Cl" is then refused as unknown); columns
// after z and lines after the last atom are ignored. The atoms are built in the
// basis set basis_name. Throws Failure (bad_input) naming the file and line for
// a malformed file, in the same form as Molecule::read.
void read_xyz(Molecule& mol, const std::string& path, const std::string& basis_name);

// Whether a path names an XYZ file: it ends in ".xyz" (lower case, as the
// extension is written by the programs that produce these files).
bool is_xyz_path(const std::string& path);
