#pragma once

#include <vector>

#include "integrals/md/shell.h"
#include "linalg/matrix.h"
#include "molecule/atom.h"

// Derivatives of the integrals with respect to the nuclear positions, contracted at
// once with the densities that weight them: never stored. A Cartesian Gaussian factor
// differentiates into two of the same kind,
//   d/dA_x x_A^i exp(-a x_A^2) = 2a x_A^(i+1) exp(-a x_A^2) - i x_A^(i-1) exp(-a x_A^2),
// each expanded in Hermite Gaussians as the integrals themselves are (integrals/md).

// A shell of the basis for the derivative integrals: its Gaussians, its atom and the
// index of its first function.
struct GradientShell {
    GaussianShell gaussian;
    unsigned atom = 0;
    unsigned first = 0;
};

// dE/dR flattened per atom: [3 a + k] for atom a, axis k (x, y, z); Hartree/bohr.
using AtomGradient = std::vector<double>;

// The matrices of functions over the Cartesian components of a shell block: T^T B T
// with T each shell's shell_transform, so that sum_(functions) B X = sum_(components)
// B' X' for any X built from the components. `rank` shells, row-major.
std::vector<double> cartesian_weights(const std::vector<double>& block, const GaussianShell* const* shells, int rank);

// sum_uv P_uv dH_uv/dR - sum_uv W_uv dS_uv/dR, H = T + V the core Hamiltonian of the
// atoms' nuclei (a ghost has none), P the total density, W the energy-weighted one.
// The nuclear attraction is differentiated at the functions' centres and at the nucleus
// (the Hellmann-Feynman term), this one by translational invariance: dV/dC = -dV/dA - dV/dB.
AtomGradient one_electron_gradient(const std::vector<GradientShell>& shells, const Matrix<double>& P,
                                   const Matrix<double>& W, const std::vector<Atom>& atoms);

// The densities weighting the two-electron integrals' derivatives: E_2 = 1/2 sum Gamma (uv|ls),
//   Gamma_uvls = P_uv P_ls - x sum_s (P^s_ul P^s_vs + P^s_us P^s_vl),
// P the total density, P^s the channels' densities and x = 1/4 for the one channel of a
// closed shell (P^s = P, doubly occupied), 1/2 for alpha and beta.
struct PairDensities {
    Matrix<double> total;
    std::vector<Matrix<double>> channels;
    double exchange = 0.5;
};

// Shell quartets whose Schwarz bound times their largest density weight stays below this
// add nothing to the gradient that its printed digits (1e-6) could show.
constexpr double gradient_screening_threshold = 1e-12;

// 1/2 sum_uvls Gamma_uvls d(uv|ls)/dR over every shell quartet, each ordered bra pair
// differentiated at its own two centres (the ket's centres are a bra's in another
// quartet). Bra pairs run on `threads` threads, each pair's sum in a fixed order and the
// pairs summed in their order afterwards: the same bits for any thread count.
// Quartets of s, sp and p blocks by kernels fixed at compile time for their pairs' shapes
// (fixed), or every quartet by the general loops (general, the reference they are tested
// against): the same additions in the same order, the same bits.
enum class RepulsionKernels { fixed, general };
AtomGradient repulsion_gradient(const std::vector<GradientShell>& shells, const PairDensities& densities,
                                unsigned atoms, unsigned threads, RepulsionKernels kernels = RepulsionKernels::fixed);
