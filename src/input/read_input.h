#pragma once

#include <string>

#include "molecule/molecule.h"
#include "input/xyz.h"

enum class InputFormat { velko, xyz };

// Reads the molecule of an input file in either format and says which it was.
// The content decides: a file whose first line is one whole number is XYZ
// (velko's own format starts with "label = basis"), and so is any file whose
// name ends in .xyz in any letter case, so that a malformed XYZ file gets the
// XYZ reader's messages. Everything else is velko's own format, which names
// its basis set and charge itself: `xyz` applies to XYZ files only.
InputFormat read_molecule(Molecule& mol, const std::string& path, const XyzRequest& xyz);
