#pragma once

#include <string>

#include "molecule/molecule.h"

// Refuses (status 3), with a message naming the input file, a molecule velko cannot
// describe: no electrons, more electrons than its `function_count` basis functions hold, two atoms
// at one place, or two nuclei closer than 1e-4 bohr. Its spin state is checked by spin_state
// (molecule/spin.h).
void check_molecule(const Molecule& mol, unsigned function_count, const std::string& path);
