#pragma once

#include <string>
#include <vector>

#include "molecule/molecule.h"
#include "input/xyz.h"

enum class InputFormat { velko, xyz };

// Reads the molecule of an input file in either format and says which it was.
// The content decides: a file whose first line is one whole number is XYZ
// (velko's own format starts with "label = basis"), and so is any file whose
// name ends in .xyz in any letter case, so that a malformed XYZ file gets the
// XYZ reader's messages. Everything else is velko's own format, which names
// its basis set and charge itself: `xyz` applies to XYZ files only.
// A file in another molecule format (input/foreign_format.h) is refused with the Open
// Babel command that converts it. `notes` receives the lines for standard error: the
// frames of a trajectory that were left, and a geometry that looks like the wrong
// unit (input/geometry_units.h).
InputFormat read_molecule(Molecule& mol, const std::string& path, const XyzRequest& xyz,
                          std::vector<std::string>* notes = nullptr);
