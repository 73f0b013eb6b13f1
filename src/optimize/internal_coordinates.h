#pragma once

#include <array>
#include <vector>

#include "linalg/matrix.h"

// Redundant internal coordinates of a molecule (P. Pulay and G. Fogarasi, J. Chem. Phys.
// 96, 2856 (1992); C. Peng, P. Y. Ayala, H. B. Schlegel and M. J. Frisch, J. Comput. Chem.
// 17, 49 (1996)): every bond, every angle between two bonds at an atom, every dihedral
// about a bond, with the Wilson B matrix B_ki = dq_k/dx_i. Cartesians are one array of
// 3N values in bohr, atom by atom; angles are in radians.

enum class CoordinateKind {
    bond,         // r = |a - b|
    angle,        // theta = acos(u . w), u and w the unit vectors from b to a and to c
    linear_bend,  // e . (u + w) for a fixed direction e normal to a nearly straight a-b-c
    dihedral,     // the angle between the planes abc and bcd, in (-pi, pi]
};

struct InternalCoordinate {
    CoordinateKind kind = CoordinateKind::bond;
    std::array<unsigned, 4> atoms{};        // a, b (the apex of an angle), c, d: as many as the kind uses
    std::array<double, 3> direction{};      // linear bend: e
};

// Beyond 175 degrees (cos 175 = -0.99619...) a bend is near linear: it becomes two linear
// bends, and no dihedral uses it (its plane is undefined).
constexpr double linear_angle_cosine = -0.9961946980917455;

// Two atoms are bonded within this factor of the sum of their covalent radii, the usual
// choice of internal-coordinate optimisers (1.3).
constexpr double bond_radius_factor = 1.3;

// The coordinates of the geometry x (bohr) of atoms of atomic numbers z: bonds between atoms
// within bond_radius_factor of their covalent bond length, then, while the molecule falls
// apart in fragments, the shortest bond between two of them; angles and linear bends at each
// atom; dihedrals about each bond whose angles are not near linear; and at an atom with
// three bonds, the dihedral of its neighbours and itself, which holds its pyramid (a planar
// centre has no other coordinate for that motion).
std::vector<InternalCoordinate> redundant_internals(const std::vector<double>& x, const std::vector<unsigned>& z);

// The value of a coordinate at x.
double coordinate_value(const InternalCoordinate& q, const std::vector<double>& x);
std::vector<double> coordinate_values(const std::vector<InternalCoordinate>& q, const std::vector<double>& x);

// q1 - q0 coordinate by coordinate, a dihedral's taken into (-pi, pi].
std::vector<double> coordinate_differences(const std::vector<InternalCoordinate>& q, const std::vector<double>& q1,
                                           const std::vector<double>& q0);

// The Wilson B matrix at x: one row per coordinate, one column per Cartesian.
Matrix<double> wilson_b(const std::vector<InternalCoordinate>& q, const std::vector<double>& x);
