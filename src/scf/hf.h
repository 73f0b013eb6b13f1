#pragma once

#include <vector>

#include "common/clock.h"
#include "linalg/matrix.h"
#include "scf/spin_scf.h"
#include "scf/two_electron.h"

// Told of each SCF step as it is taken, for a listing of the run.
struct ScfListener {
    virtual ~ScfListener() = default;
    virtual void step(unsigned number, double energy, double ms) = 0;
};

// Restricted closed-shell Hartree-Fock (Roothaan-Hall) on a basis whose integrals are
// computed: C. C. J. Roothaan, Rev. Mod. Phys. 23, 69 (1951); Szabo and Ostlund,
// Modern Quantum Chemistry, section 3.4.6 (the SCF procedure).
struct HF {
    Matrix<double> H;         // core Hamiltonian T + sum_A V_A
    Matrix<double> S;         // overlap
    Matrix<double> X, X_t;    // orthogonaliser (X^T S X = 1) and its transpose
    const TwoElectronOperator* two_electron_operator = nullptr;
    // When the operator offers it (the fast path), the DIIS loop builds G from the
    // density change from its second step on and in full every full_build_interval steps.
    bool incremental_fock = true;
    unsigned full_build_interval = 8;
    // Matrix products in any order of summation (the BLAS when there is one): the fast
    // path. False keeps the exact path's products and digits.
    bool free_order_products = false;
    double nuclear_repulsion = 0.0;
    unsigned occupied = 0;  // doubly occupied orbitals: electrons / 2

    // Plain loop: the new density is mixed with the old one, P <- alpha P_old + (1 - alpha) P_new;
    // `alpha` is the weight of the old density.
    double alpha = 0.5;
    unsigned max_iterations = 101;       // the step that ends the plain loop with a warning
    unsigned diis_max_iterations = 100;  // likewise for iterate_diis
    ScfListener* listener = nullptr;

    // The plain loop from the core-Hamiltonian guess (P = 0), stopping when the energy
    // changes by at most 1e-9 Hartree or at max_iterations. The run's one channel holds the
    // orbitals of the Fock matrix of the last step, built from its (mixed) density.
    SpinRun iterate() const;
    // The DIIS loop of spin_scf.h in one channel from the occupied orbitals of the Fock
    // matrix of `start` (the superposed atomic densities), stopping at diis_max_iterations
    // at the latest.
    SpinRun iterate_diis(const Matrix<double>& start) const;
    // The closed shell as one spin channel.
    SpinSystem spin_system() const;

    // G(D) = J[D] - 1/2 K[D] by the operator.
    Matrix<double> two_electron(const Matrix<double>& D) const;
    // E = 1/2 sum_ij P_ji (H_ij + F_ij) + E_nuc.
    double calcen(const Matrix<double>& P, const Matrix<double>& F) const;

private:
    SpinRun stop_not_finite(SpinRun& r, Clock& clock) const;
};

// The closed-shell engine of a one-channel system, with the loops' default settings.
HF closed_shell_engine(const SpinSystem& system);

// E_nuc = sum_{A<B} Z_A Z_B / R_AB over the nuclei (positions in bohr).
struct Atom;
double calcnuclrepul(const std::vector<Atom>& atoms);
