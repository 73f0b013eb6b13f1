#pragma once

#include <string>
#include <vector>

#include "basis/basis_set.h"
#include "input/molecule.h"
#include "integrals/integrals.h"
#include "linalg/matrix.h"
#include "scf/hf.h"

class Listing;

// How to compute: chosen on the command line.
struct Settings {
    IntegralPath integrals = IntegralPath::automatic;
    bool diis = false;
    unsigned max_iterations = 0;  // 0: the mode's default
    unsigned threads = 0;         // fast path; 0: every core
    bool integral_direct = false; // fast path: recompute the integrals at every step even when they would fit
};

// A finished closed-shell calculation: what the report and the files for other
// programs are written from.
struct Calculation {
    Molecule molecule;
    BasisSet basis;
    unsigned electrons = 0;
    unsigned occupied = 0;  // doubly occupied orbitals
    bool diis = false;
    unsigned iteration_limit = 0;
    Matrix<double> S;  // overlap, for the atomic populations
    Matrix<double> H;  // core Hamiltonian, for the energy parts
    double nuclear_repulsion = 0.0;
    ScfResult scf;
};

// Restricted Hartree-Fock of a molecule, in the order of the algorithm:
// basis -> one-electron matrices and two-electron table -> orthogonaliser -> SCF.
// `path` names the input file in messages. Throws Failure when the molecule is too
// large for memory, its basis is linearly dependent, or the SCF energy becomes
// non-finite.
Calculation compute_rhf(const Molecule& molecule, const Settings& settings, const std::string& path,
                        Listing& listing);

// The Failure of a run whose SCF energy became non-finite (r.finite false).
struct Failure;
Failure nonfinite_energy_failure(const std::string& path, const ScfResult& r);

// The line for standard error after a run that reached its iteration limit unconverged.
std::string nonconvergence_message(const Calculation& calc);
