#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "basis/basis_set.h"
#include "basis/cgf.h"
#include "common/vec3.h"
#include "molecule/molecule.h"
#include "linalg/matrix.h"

// What a chemist reads after an SCF run, computed from its values: the energy
// split, the frontier orbitals, atomic charges and the dipole moment.

// One atom as the properties see it: element, nuclear charge, position (bohr)
// and its basis functions, indices first .. first + count - 1.
struct AtomSite {
    std::string symbol;
    unsigned charge = 0;
    Vec3 position;
    unsigned first = 0;
    unsigned count = 0;
};
// The sites of a molecule with the atoms' ranges of its basis.
std::vector<AtomSite> atom_sites(const Molecule& mol, const BasisSet& basis);

// Energy of a closed-shell density split into its parts:
//   one-electron  E1 = sum_ij P_ij H_ij
//   two-electron  E2 = 1/2 sum_ij P_ij (F_ij - H_ij)
// so that E1 + E2 + E_nuc = 1/2 sum_ij P_ij (H_ij + F_ij) + E_nuc, the total
// energy of the SCF step whose density P built the Fock matrix F.
struct EnergyParts {
    double one_electron;
    double two_electron;
};
EnergyParts energy_parts(const Matrix<double>& P, const Matrix<double>& H, const Matrix<double>& F);

// Highest occupied and lowest unoccupied orbital, counted from 0 in ascending
// energy; either is absent when no orbital of its kind exists.
struct OrbitalLevel {
    unsigned index;
    double energy;  // Hartree
};
struct Frontier {
    std::optional<OrbitalLevel> homo, lumo;
    // LUMO - HOMO energy; present when both are.
    std::optional<double> gap() const;
};
Frontier frontier_orbitals(const std::vector<double>& orbital_energies, unsigned occupied);

double hartree_to_ev(double hartree);

// Electrons on each atom (gross populations) of a density D in the basis of overlap S.
//   Mulliken: N_A = sum_{mu on A} (D S)_mu,mu
//   Loewdin:  N_A = sum_{mu on A} (S^1/2 D S^1/2)_mu,mu, with S^1/2 = U s^1/2 U^T from
//             the eigenpairs of S. Loewdin's populations depend on the scale of the basis
//             functions: they are taken over the functions normalised to 1, that is with
//             S_mu,nu / sqrt(S_mu,mu S_nu,nu) and D_mu,nu sqrt(S_mu,mu S_nu,nu).
// (Szabo and Ostlund, Modern Quantum Chemistry, section 3.4.6.) With the total density
// these are electron counts; with a spin density P_alpha - P_beta, spin populations.
std::vector<double> mulliken_populations(const Matrix<double>& D, const Matrix<double>& S,
                                         const std::vector<AtomSite>& atoms);
std::vector<double> loewdin_populations(const Matrix<double>& D, const Matrix<double>& S,
                                        const std::vector<AtomSite>& atoms);
// q_A = Z_A - N_A.
std::vector<double> atomic_charges(const std::vector<AtomSite>& atoms, const std::vector<double>& populations);

// mu = sum_A Z_A (R_A - O) - sum_mu,nu P_mu,nu <mu| r - O |nu>, in e a0, with the
// first-moment matrices taken about the same point O. Independent of O only for a neutral molecule.
std::array<double, 3> dipole_moment(const Matrix<double>& P, const std::array<Matrix<double>, 3>& moments,
                                    const std::vector<AtomSite>& atoms, const Vec3& origin);
double vector_length(const std::array<double, 3>& v);
// The dipole moment about the origin of total density P: the first moments from `moments`
// when given (a basis the properties do not compute), else dipole_matrices of `basis`.
std::array<double, 3> dipole_about_origin(const std::vector<CGF>& basis, const std::vector<AtomSite>& atoms,
                                          const Matrix<double>& P,
                                          const std::function<std::array<Matrix<double>, 3>(const Vec3&)>& moments);

// The values of a finished SCF run the properties are computed from.
struct ScfValues {
    const std::vector<CGF>& basis;
    const std::vector<AtomSite>& atoms;
    const Matrix<double>& S;
    const Matrix<double>& H;
    const Matrix<double>& F;
    const Matrix<double>& P;  // total density, the one that built F
    const std::vector<double>& orbital_energies;
    double nuclear_repulsion;  // the engine's, carried into the report
    unsigned occupied;     // doubly occupied orbitals (the alpha ones for an open shell)
    unsigned electrons;
    const Matrix<double>* spin_density = nullptr;  // P_alpha - P_beta of an open shell
    // The first-moment matrices about a point, for a basis `basis` does not hold (the
    // shell engine's); empty: dipole_matrices of `basis`.
    std::function<std::array<Matrix<double>, 3>(const Vec3& origin)> moments = nullptr;
};

struct Properties {
    std::vector<std::string> symbols;
    int molecular_charge = 0;  // sum of Z minus the electrons
    double nuclear_repulsion = 0.0;
    EnergyParts energies{0.0, 0.0};
    Frontier frontier;
    std::vector<double> mulliken_charges, loewdin_charges;
    std::vector<double> mulliken_spin, loewdin_spin;  // empty for a closed shell
    std::array<double, 3> dipole{0.0, 0.0, 0.0};  // e a0, about the coordinate origin
    bool converged = false;
    std::optional<bool> stable;  // from a stability analysis of the solution, when one was run
};

// Everything but converged and stable, which the caller knows from its run.
Properties molecular_properties(const ScfValues& scf);
