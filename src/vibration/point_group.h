#pragma once

#include <string>
#include <vector>

#include "common/vec3.h"

// The point group of a molecule and its rotational symmetry number sigma, the order of
// its group of proper rotations (C1, Ci, Cs: 1; Cn, Cnv, Cnh: n; S2n: n; Dn, Dnh, Dnd:
// 2n; T, Td, Th: 12; O, Oh: 24; I, Ih: 60; C∞v: 1; D∞h: 2; an atom, Kh: 1).
struct PointGroup {
    std::string name;  // Schoenflies symbol: "C2v", "D6h", "Td", "C∞v", ...
    unsigned symmetry_number = 1;
};

// Positions within this distance (bohr) count as the same under an operation.
constexpr double symmetry_tolerance = 0.01;

// Atoms are alike when their elements and masses are equal. The search follows the usual
// flow chart (F. A. Cotton, Chemical Applications of Group Theory, 3rd ed., 1990, 3.14):
// linear?, several C3 axes?, highest Cn, perpendicular C2, mirror planes, S2n. Candidate
// axes and planes come from the principal axes of inertia, the atoms and the pairs of
// alike atoms at equal distance from the centre of mass.
PointGroup detect_point_group(const std::vector<Vec3>& positions, const std::vector<unsigned>& elements,
                              const std::vector<double>& masses, double tolerance = symmetry_tolerance);
