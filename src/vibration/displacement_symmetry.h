#pragma once

#include <array>
#include <vector>

#include "common/vec3.h"

// Displaced geometries of a finite-difference Hessian that a symmetry operation of the
// molecule maps onto one another need one SCF and gradient between them: the gradient at
// the image geometry R(x - c) + c is the image of the gradient, g'_(image[b]) = R g_b, and
// the dipole moment about the origin mu' = R mu + Q (c - R c), Q the molecular charge.
// Only operations that map the Cartesian axes onto themselves qualify (the 47 signed
// permutations of x, y, z other than the identity: a displacement along an axis goes to
// one along an axis), about the centroid c of the nuclei, which every operation fixes.

// Positions within this distance (bohr) of an image count as the image. An image gradient
// at a geometry off by d errs by about |H| d, so 1e-8 bohr keeps the Hessian's error from
// it below 1e-6 Eh/bohr^2 over the difference of 2 h = 0.01 bohr.
constexpr double displacement_symmetry_tolerance = 1e-8;

// (R v)_c = sign[c] v_(axis[c]); atom a goes to atom image[a].
struct AxisOperation {
    std::array<unsigned, 3> axis{0, 1, 2};
    std::array<double, 3> sign{1.0, 1.0, 1.0};
    std::vector<unsigned> image;
    std::array<double, 3> centre{0.0, 0.0, 0.0};
};

// The operations of the molecule among the signed axis permutations: each atom goes to an
// atom of its own element within `tolerance`.
std::vector<AxisOperation> axis_operations(const std::vector<Vec3>& positions, const std::vector<unsigned>& elements,
                                           double tolerance = displacement_symmetry_tolerance);

// One displaced geometry: Cartesian coordinate 3 a + c moved by sign * h.
struct Displacement {
    unsigned coordinate = 0;
    int sign = 1;
};

// How a displaced geometry's gradient is had: computed (operation < 0), or the image under
// operations[operation] of run `from`, which is computed.
struct DisplacementSource {
    int operation = -1;
    unsigned from = 0;
};

// For each of `runs` in order: computed unless an operation maps a run computed before onto it.
std::vector<DisplacementSource> plan_displacements(const std::vector<Displacement>& runs,
                                                   const std::vector<AxisOperation>& operations);

// The image of a gradient (3N, atom-major) and of a dipole moment (about the origin, of a
// molecule of charge `charge`) under an operation.
std::vector<double> image_gradient(const AxisOperation& op, const std::vector<double>& gradient);
std::array<double, 3> image_dipole(const AxisOperation& op, const std::array<double, 3>& dipole, double charge);

// An image is only the image of the state followed when that state has the operation's
// symmetry (a broken-symmetry solution's image is another, degenerate one): at the reference,
// the gradient, each per-atom population (charges, spin populations) and the dipole moment
// must map onto themselves to this much (the SCF converges them to about 1e-7).
constexpr double symmetric_state_tolerance = 1e-6;

// Whether the reference state, of molecular charge `charge`, keeps the operation.
bool state_keeps(const AxisOperation& op, const std::vector<double>& gradient,
                 const std::vector<std::vector<double>>& populations, const std::array<double, 3>& dipole,
                 double charge);
