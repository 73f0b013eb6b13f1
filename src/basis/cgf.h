#pragma once

#include <vector>

#include "basis/gto.h"
#include "common/vec3.h"
#include "molecule/atom.h"

// Contracted Gaussian: phi(r) = sum_i c_i N_i g_i(r - R), not renormalised as a
// whole, centred on the nucleus R of atom `atom`: the atom holds the one copy of the
// position. Every primitive has the same Cartesian powers.
struct CGF {
    unsigned atom = 0;  // index into the molecule's atoms
    std::vector<GTO> gtos;
};

// The centre of f among the molecule's atoms.
inline Vec3 centre_of(const CGF& f, const std::vector<Atom>& atoms) { return atoms[f.atom].position; }
