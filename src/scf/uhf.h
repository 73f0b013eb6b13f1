#pragma once

#include <functional>
#include <vector>

#include "integrals/eri_table.h"
#include "linalg/matrix.h"

// Unrestricted Hartree-Fock (J. A. Pople and R. K. Nesbet, J. Chem. Phys. 22, 571 (1954)):
// separate alpha and beta orbitals, densities Pa = C_a,occ C_a,occ^T and Pb likewise,
//   F_a = H + J[Pa + Pb] - K[Pa],   F_b = H + J[Pa + Pb] - K[Pb],
//   E = 1/2 sum_ij [ (Pa + Pb) H + Pa F_a + Pb F_b ]_ij + E_nuc.

struct UhfSettings {
    unsigned max_iterations = 100;  // SCF steps of the whole run, instability follow-ups included
    double energy_threshold = 1e-9;  // Hartree, |change of the energy|
    // Hartree, max element of both commutator errors. Tighter than the closed-shell 1e-7:
    // the energy is second order in the density error, but <S^2> is first order, and with
    // 1e-7 a small-gap radical (NO in STO-6G) kept an <S^2> error of 1e-6.
    double error_threshold = 1e-8;
    unsigned diis_history = 8;
    // Steps without a new smallest commutator error after which DIIS counts as stalled.
    unsigned stagnation_steps = 8;
    bool check_stability = true;
    unsigned max_follow = 5;  // restarts along an unstable mode
    double instability_threshold = -1e-5;  // Hartree; lower Hessian eigenvalues are followed
};

struct UhfResult {
    bool converged = false;
    unsigned iterations = 0;
    double energy = 0.0;
    std::vector<double> energies_alpha, energies_beta;  // ascending
    Matrix<double> C_alpha, C_beta;                     // orbitals as columns
    Matrix<double> P_alpha, P_beta;                     // the densities that built F_alpha, F_beta
    Matrix<double> F_alpha, F_beta;
    double s_squared = 0.0;
    // Stability of the final solution: the lowest eigenvalue of the orbital Hessian,
    // whether Davidson converged on it, and the number of restarts along unstable modes.
    bool stability_checked = false;
    double lowest_hessian_eigenvalue = 0.0;
    bool stable = true;
    unsigned instabilities_followed = 0;
};

// Called after every SCF step with its number (counted over the whole run), energy and
// the milliseconds it took; it may throw to stop the run.
using UhfStepReport = std::function<void(unsigned step, double energy, double ms)>;

// Density sum_{k < occupied} C_ik C_jk of one spin.
Matrix<double> spin_density(const Matrix<double>& C, unsigned occupied);

double uhf_energy(const Matrix<double>& Pa, const Matrix<double>& Pb, const Matrix<double>& H,
                  const Matrix<double>& Fa, const Matrix<double>& Fb, double nuclear_repulsion);

// <S^2> = S_z (S_z + 1) + N_b - sum_ij |(C_a,occ^T S C_b,occ)_ij|^2
// (A. Szabo and N. S. Ostlund, Modern Quantum Chemistry, eq. 3.272), S_z = (N_a - N_b) / 2.
double s_squared(const Matrix<double>& Ca, const Matrix<double>& Cb, const Matrix<double>& S, unsigned alpha,
                 unsigned beta);

// The UHF ground state from the closed-shell starting density P_start (a superposition
// of atomic densities, or zero for the core Hamiltonian): its halves build the first
// Fock matrix, whose lowest orbitals take alpha and beta electrons. DIIS extrapolates the
// alpha and beta Fock matrices together from one error vector holding both commutators
// X^T (F D S - S D F) X. The run stops when the energy changes by at most
// energy_threshold and no commutator element exceeds error_threshold; then the stability
// check runs and an unstable solution is rotated along its lowest mode and converged again
// (kept when its energy is lower). When the commutator error has not reached a new
// minimum for stagnation_steps steps, the orbitals are rotated along the lowest Hessian
// mode if it is negative and DIIS starts afresh.
UhfResult run_uhf(const Matrix<double>& H, const Matrix<double>& S, const Matrix<double>& X,
                  const TwoElectronTable& te_table, const Matrix<double>& P_start, unsigned alpha, unsigned beta,
                  double nuclear_repulsion, const UhfSettings& settings, const UhfStepReport& report);

// The same from the densities of each spin (alpha and beta orbitals occupied apart, as by
// another guess or an occupation swap), which step 1 uses as they are.
UhfResult run_uhf_from(const Matrix<double>& H, const Matrix<double>& S, const Matrix<double>& X,
                       const TwoElectronTable& te_table, const Matrix<double>& Pa_start,
                       const Matrix<double>& Pb_start, unsigned alpha, unsigned beta, double nuclear_repulsion,
                       const UhfSettings& settings, const UhfStepReport& report);
