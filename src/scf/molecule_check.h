#pragma once

#include <string>

#include "input/molecule.h"

// Refuses, with a message naming the input file, a molecule that closed-shell
// Hartree-Fock cannot describe: no electrons, an odd number of electrons, more
// electrons than the basis functions hold, a multiplicity other than 1, or two
// atoms at one place.
void check_closed_shell(const Molecule& mol, const std::string& path);
