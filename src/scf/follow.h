#pragma once

#include <functional>

#include "linalg/matrix.h"

// Leaving an unstable closed-shell solution along the rotation of its lowest Hessian
// eigenvector (lowest_rhf_rotation), to a lower closed-shell determinant from which the
// SCF is converged again.

// C exp(theta K), where K is the antisymmetric rotation of the molecular orbitals with
// K_ai = kappa_ia = -K_ia (i < nocc occupied, a virtual; kappa is nocc x nvir). To first
// order occupied orbital i gains theta kappa_ia of virtual a. exp is summed as a Taylor
// series after scaling theta K below 1/2 in the max-row-sum norm, then squared back
// (scaling and squaring); the result is orthogonal to rounding, so C stays S-orthonormal.
Matrix<double> rotate_orbitals(const Matrix<double>& C, unsigned nocc, const Matrix<double>& kappa, double theta);

struct RotatedOrbitals {
    Matrix<double> C;  // the rotated orbitals
    Matrix<double> P;  // their closed-shell density
    double energy;     // its energy
    double angle;      // theta of the lowest energy found
    unsigned energies; // energy evaluations (two-electron builds)
};

// Line search along theta for a unit kappa: since E(theta) = E0 + 2 lambda theta^2 + ...,
// with lambda < 0 the energy falls from theta = 0. The angles 0.1, 0.2, 0.4, 0.8, 1.6, 3.2
// (pi/2 is a full exchange of the rotated pair, pi its return) are tried until the energy rises; the
// lowest is refined by the vertex of the parabola through it and its neighbours when
// that is lower still. energy_of(P) is the total energy of a closed-shell density P.
RotatedOrbitals follow_rotation(const Matrix<double>& C, unsigned nocc, const Matrix<double>& kappa, double energy0,
                                const std::function<double(const Matrix<double>&)>& energy_of);
