#pragma once

#include <string>
#include <vector>

#include "basis/gto.h"
#include "basis/vec3.h"

// Contracted Gaussian: phi(r) = sum_i c_i N_i g_i(r), not renormalised as a whole.
struct CGF {
    std::vector<GTO> gtos;
    Vec3 position;
    std::string type;  // "1s", "2s", "2px", "2py" or "2pz"

    // The atomic number is accepted for the caller's convenience and not stored.
    CGF(std::string type, unsigned atomic_number, const Vec3& position, std::vector<GTO> gtos);

    std::string orb() const { return type; }
};
