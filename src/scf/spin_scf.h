#pragma once

#include <functional>
#include <vector>

#include "linalg/matrix.h"
#include "scf/two_electron.h"

// The DIIS SCF of one or two spin channels, written once.
//   One channel (restricted closed shell): the orbitals are doubly occupied, D is the
//     total density and F = H + J[D] - 1/2 K[D] (C. C. J. Roothaan, Rev. Mod. Phys. 23, 69 (1951)).
//   Two channels (unrestricted: J. A. Pople and R. K. Nesbet, J. Chem. Phys. 22, 571 (1954)):
//     alpha and beta orbitals singly occupied, F_s = H + J[Pa + Pb] - K[P_s].
// In both E = 1/2 sum_s sum_ij P_s,ij (H + F_s)_ij + E_nuc, with H counted once per
// electron pair in the closed shell.

// The commutator threshold of the DIIS loop, max_ij |X^T (F D S - S D F) X|_ij (Hartree).
// The energy is second order in the density error, itself of the order of the commutator
// over the HOMO-LUMO gap, so 1e-7 leaves the energy within about 1e-12 of the converged
// one. Open shells need 1e-8: <S^2> is first order in the density error, and at 1e-7 a
// small-gap radical (NO in STO-6G) kept 1e-6 of it in the 32-bit build.
double diis_error_threshold(unsigned channels);
// The energy test: |dE| of two steps, above the rounding noise of a large molecule.
constexpr double diis_energy_threshold = 1e-9;  // Hartree
constexpr unsigned diis_history = 8;            // Fock matrices kept for the extrapolation
// The previous energy of step 1; its energy test cannot pass.
constexpr double first_previous_energy = 1000.0;

// What the SCF of one molecule needs, whichever the channels.
struct SpinSystem {
    Matrix<double> H;       // core Hamiltonian
    Matrix<double> S;       // overlap
    Matrix<double> X, X_t;  // orthogonaliser (X^T S X = 1) and its transpose
    const TwoElectronOperator* two_electron = nullptr;
    double nuclear_repulsion = 0.0;
    std::vector<unsigned> occupied;  // {doubly occupied} or {alpha, beta}
    // Matrix products in any order of summation (the BLAS when there is one): the fast
    // path. False keeps the exact path's products and digits.
    bool free_order_products = false;
    // When the operator offers it (the fast path): G, or J and K, from the density change
    // from the second step on, in full every full_build_interval steps.
    bool incremental_fock = true;
    unsigned full_build_interval = 8;

    unsigned channels() const { return static_cast<unsigned>(occupied.size()); }
    // Electrons per occupied orbital: 2 for one channel, 1 for two.
    double occupation() const { return channels() == 1 ? 2.0 : 1.0; }
};

// Density D_ij = w sum_{k < occupied} C_ik C_jk of orbitals (columns of C), w electrons each.
Matrix<double> orbital_density(const Matrix<double>& C, unsigned occupied, double w);

// The Fock matrices of the channels' densities: one channel H + G[P], two H + J - K_s.
// `G` and `jk` build the two-electron parts (by default the system's operator).
using GBuild = std::function<Matrix<double>(const Matrix<double>&)>;
using JKBuild = std::function<TwoElectronOperator::JK(const std::vector<Matrix<double>>&)>;
std::vector<Matrix<double>> fock_matrices(const SpinSystem& system, const std::vector<Matrix<double>>& P,
                                          const GBuild& G = nullptr, const JKBuild& jk = nullptr);
// E = 1/2 sum_s sum_ij P_s,ij (H + F_s)_ij + E_nuc.
double scf_energy(const SpinSystem& system, const std::vector<Matrix<double>>& P,
                  const std::vector<Matrix<double>>& F);

// One channel's orbitals and the density, Fock matrix and energies of the last step.
struct ChannelState {
    unsigned occupied = 0;     // how many of the lowest orbitals hold the channel's electrons
    double occupation = 2.0;   // electrons in each: 2 in the one channel of a closed shell, 1 in each of two
    std::vector<double> energies;  // ascending
    Matrix<double> C;              // orbitals of F, one per column
    Matrix<double> density;        // the density that built F, occupation included
    Matrix<double> fock;
};

// An SCF run of one or two spin channels, and the result a finished calculation reports.
struct SpinRun {
    bool converged = false;
    bool reached_limit = false;  // stopped at the step limit (converged or not)
    bool finite = true;          // false: the energy of the last step was not finite; the run stopped there
    unsigned iterations = 0;     // the number of the last step
    double energy = 0.0;
    std::vector<ChannelState> channels;
    // <S^2> of the determinant (uhf.h: s_squared), set when the run is finished; 0 for one
    // channel, whose doubly occupied orbitals make a singlet.
    double s_squared = 0.0;

    // Sum of the channels' densities: the total electron density.
    Matrix<double> total_density() const;
    std::vector<Matrix<double>> densities() const;  // each channel's, alpha first
};

// Told of every step: its number, energy and the milliseconds it took. May throw.
using StepListener = std::function<void(unsigned step, double energy, double ms)>;
// Asked when the commutator error has not reached a new minimum for stagnation_steps
// steps (DIIS stalls so near a saddle point): returns true with the densities to start a
// fresh history from, or false to go on.
using StallEscape = std::function<bool(const SpinRun& last, std::vector<Matrix<double>>& densities)>;

// Asked for the next densities in place of the DIIS extrapolation from the densities P of
// a step, their Fock matrices F and energy.
using SecondOrderStep = std::function<std::vector<Matrix<double>>(const std::vector<Matrix<double>>& P,
                                                                  const std::vector<Matrix<double>>& F, double energy)>;

struct SpinLoopSettings {
    unsigned last_step = 100;       // the step (numbered on from run.iterations) that ends the run at the latest
    unsigned stagnation_steps = 8;  // see StallEscape
    unsigned second_order_from = 0;  // the step after which a SecondOrderStep, if given, takes over
};

// The starting densities of the channels from a closed-shell density P_start (the
// superposed atomic densities, or zero for the core Hamiltonian): each channel takes its
// share of P_start, whose Fock matrices' lowest orbitals the electrons occupy.
std::vector<Matrix<double>> start_densities(const SpinSystem& system, const Matrix<double>& P_start);
// The same from the density of each channel (a converged run at a nearby geometry: alpha and
// beta apart keep an open shell's spin polarisation).
std::vector<Matrix<double>> start_densities(const SpinSystem& system, const std::vector<Matrix<double>>& P_channels);

// Pulay DIIS (diis.h) from the channels' densities P (step 1 uses them as they are), one
// history for all channels with one error vector holding every channel's commutator. The
// run stops when |dE| <= diis_energy_threshold and no commutator element exceeds
// diis_error_threshold, at settings.last_step, or at a step whose energy is not finite.
// Steps are numbered on from run.iterations; `run` holds the last step on return. With
// `second_order`, the steps after settings.second_order_from take its densities instead
// (and a stall no longer asks the escape).
void converge_diis(const SpinSystem& system, std::vector<Matrix<double>> P, const SpinLoopSettings& settings,
                   const StepListener& listener, const StallEscape& escape, SpinRun& run,
                   const SecondOrderStep& second_order = nullptr);
