#pragma once

#include <optional>
#include <string>

#include "molecule/molecule.h"

class LineReader;

// Reads a file in velko's own format; throws Failure naming the file and line when it is malformed.
void read_velko_file(Molecule& mol, const std::string& path);

// Reads velko's own format from a reader positioned at the first line of the file;
// returns the bohr per unit of its coordinates (1 for bohr).
double read_velko_format(Molecule& mol, LineReader& reader);

// The number of bohr per input unit of a unit word (header line 4), or nothing
// for a word that is not a unit: angstrom, angstroms, ang, angs, å in any letter
// case mean angstrom; bohr, bohrs, au, a.u. and the empty word mean bohr.
std::optional<double> unit_scale(const std::string& word);
