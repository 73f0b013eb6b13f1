#pragma once

#include <string>

#include "input/molecule.h"

// Refuses, with a message naming the input file, a molecule that closed-shell
// Hartree-Fock cannot describe: an odd number of electrons or two atoms at one place.
void check_closed_shell(const Molecule& mol, const std::string& path);

// Refuses, with a message naming the input file, two atoms at one place (status 3).
void check_atom_positions(const Molecule& mol, const std::string& path);

// Electrons and basis functions of the molecule.
unsigned electron_count(const Molecule& mol);
unsigned function_count(const Molecule& mol);
