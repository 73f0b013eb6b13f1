#pragma once

#include <vector>

#include "linalg/matrix.h"
#include "scf/spin_scf.h"

// A second-order step of the UHF energy: Newton's step in the occupied-virtual rotations,
// solved by conjugate gradients within a trust radius (T. Steihaug, SIAM J. Numer. Anal.
// 20, 626 (1983)). From the orbitals of the densities P (semicanonical: F diagonal within
// the occupied and within the virtual block) the energy of the rotated orbitals is to
// second order E + 2 g.x + x^T (A + B) x, g_ai = F_ai (stability.h); the step minimises
// that model over |x| <= radius and follows a direction of negative curvature to the
// boundary. Where DIIS crawls along a flat valley or circles, this converges in a few steps.
//
// The densities {alpha, beta} of the rotated orbitals; `boundary` tells whether the step
// reached the trust radius.
std::vector<Matrix<double>> newton_densities(const SpinSystem& system, const std::vector<Matrix<double>>& P,
                                             const std::vector<Matrix<double>>& F, double radius, bool& boundary);

// The second-order steps of a run as converge_diis asks for them (spin_scf.h: SecondOrderStep):
// a step that raised the energy is taken back and tried again from its start with a quarter
// of the radius; an accepted step that reached the boundary doubles it, up to max_radius.
class TrustRegion {
public:
    explicit TrustRegion(const SpinSystem& system) : system_(system) {}
    std::vector<Matrix<double>> next(const std::vector<Matrix<double>>& P, const std::vector<Matrix<double>>& F,
                                     double energy);

    static constexpr double start_radius = 0.2;  // rotation angles, radians
    static constexpr double max_radius = 0.5;
    static constexpr double min_radius = 1e-4;

private:
    const SpinSystem& system_;
    double radius_ = start_radius;
    bool boundary_ = false;
    bool have_last_ = false;
    std::vector<Matrix<double>> last_P_, last_F_;
    double last_energy_ = 0.0;
};
