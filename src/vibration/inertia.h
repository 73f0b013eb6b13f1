#pragma once

#include <array>
#include <vector>

#include "common/vec3.h"

// The centre of mass and the principal moments of inertia of point masses.
struct Inertia {
    std::array<double, 3> centre{0.0, 0.0, 0.0};             // bohr
    std::array<double, 3> moments{0.0, 0.0, 0.0};            // dalton bohr^2, ascending
    std::array<std::array<double, 3>, 3> axes{};             // unit vector of each moment

    // The smallest moment vanishes against the largest: every mass on one line.
    // A single atom is not linear.
    bool linear() const;
};

// Positions in bohr, masses in dalton.
Inertia principal_inertia(const std::vector<Vec3>& positions, const std::vector<double>& masses);

// p - centre as an array.
std::array<double, 3> relative_to(const Vec3& p, const std::array<double, 3>& centre);
