#pragma once

#include <vector>

#include "linalg/matrix.h"
#include "scf/two_electron.h"

// Superposition of atomic densities (SAD), the starting density of the DIIS mode:
// J. Almloef, K. Faegri and K. Korsell, J. Comput. Chem. 3, 385 (1982); J. H. Van Lenthe,
// R. Zwaans, H. J. J. Van Dam and M. F. Guest, J. Comput. Chem. 27, 926 (2006).
// Each atom gets the spherically averaged density of its own Hartree-Fock calculation in
// its own basis functions; the molecular density is their block-diagonal sum. Unlike the
// core Hamiltonian it already holds the right number of electrons near every nucleus, so
// the first Fock matrix orders the molecular orbitals as in the converged molecule.

// Fractional aufbau occupations of orbitals with ascending energies eps: each shell of
// orbitals whose energies lie within degeneracy_tolerance of the shell's lowest gets
// min(2 * size, electrons left), shared equally, so a partly filled shell stays
// spherical (carbon: 1s^2 2s^2 2p^(2/3) 2p^(2/3) 2p^(2/3)).
std::vector<double> averaged_occupations(const std::vector<double>& eps, double electrons,
                                         double degeneracy_tolerance = 1e-6);

// Density D = sum_k n_k C_ik C_jk of orbitals (columns of C) with occupations n_k.
Matrix<double> occupied_density(const Matrix<double>& C, const std::vector<double>& n);

// Self-consistent spherically averaged density of one atom in its m basis functions.
// S and h are the m x m overlap and one-electron (kinetic plus its own nucleus) blocks;
// functions[a] is the molecular index of local function a, by which the integrals are read.
Matrix<double> atomic_density(const Matrix<double>& S, const Matrix<double>& h, const TwoElectronOperator& two_electron,
                              const std::vector<unsigned>& functions, unsigned electrons);

// Block-diagonal sum of the atomic densities. Atom k owns the molecular functions
// first[k] .. first[k+1]-1 and has electrons[k] electrons; V[k] is its nuclear attraction.
Matrix<double> superposition_density(const Matrix<double>& S, const Matrix<double>& T,
                                     const std::vector<Matrix<double>>& V, const TwoElectronOperator& two_electron,
                                     const std::vector<unsigned>& first, const std::vector<unsigned>& electrons);
