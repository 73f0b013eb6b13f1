#pragma once

#include <string>

#include "app/run.h"

class Listing;

// The calculation of a single run on a molecule that has been read: the checks
// of memory, positions and electron count, the spin state (the molecule's
// multiplicity, else 1 or 2 by the electron count), then restricted
// Hartree-Fock for a singlet and unrestricted otherwise. `path` names the
// input in messages; throws Failure as those steps do.
Calculation compute_molecule(const Molecule& mol, const Settings& settings, const std::string& path,
                             Listing& listing);
