#pragma once

#include <string>

#include "input/molecule.h"

// Refuses, with a message naming the input file, two atoms at one place (status 3).
void check_atom_positions(const Molecule& mol, const std::string& path);

// Electrons and basis functions of the molecule.
unsigned electron_count(const Molecule& mol);
unsigned function_count(const Molecule& mol);
