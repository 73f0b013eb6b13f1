#pragma once

#include <vector>

#include "basis/gto.h"
#include "common/vec3.h"

// Contracted Gaussian: phi(r) = sum_i c_i N_i g_i(r - position), not renormalised
// as a whole. Every primitive has the same Cartesian powers.
struct CGF {
    Vec3 position;
    std::vector<GTO> gtos;
};
