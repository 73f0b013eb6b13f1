#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "basis/cgf.h"
#include "common/clock.h"
#include "driver/output.h"
#include "input/molecule.h"
#include "linalg/matrix.h"

// How the integral matrices are computed. `exact` repeats the operations of the
// reference formulas bit for bit, so that even the noise-level digits of a report
// (the sign of a coefficient that is zero by symmetry, the orientation of
// degenerate orbitals) are reproducible; `fast` agrees with them to 1e-12 and is
// many times quicker. `automatic` takes the exact path while it is cheap.
enum class IntegralPath { automatic, exact, fast };

// Primitive quartets of the distinct two-electron integrals of a basis, the
// measure of the cost of the exact path.
std::uint64_t primitive_quartet_count(const std::vector<CGF>& cgfs);
// Up to this many primitive quartets (about a second) the automatic choice is exact.
constexpr std::uint64_t exact_quartet_limit = 20000000;
bool choose_exact_integrals(IntegralPath path, const std::vector<CGF>& cgfs);

// Restricted closed-shell Hartree-Fock engine (Roothaan-Hall with density mixing).
struct HF {
    Molecule mol;
    unsigned nr_orbitals = 0;
    unsigned nr_atoms = 0;
    unsigned nr_electrons = 0;
    unsigned nr_gtos = 0;
    Clock clock;
    std::vector<std::string> orbital_labels;
    std::vector<CGF> cgfs;
    Matrix<double> H, S, T, P, P_new, G, F, F_prime, X, X_t, C, C_prime;
    std::vector<Matrix<double>> V;  // nuclear attraction, one matrix per atom
    std::vector<double> te_table;   // (ij|kl) at teindex(i, j, k, l)
    std::vector<double> orbital_energies;
    double energy = 0.0;
    double nuclear_repulsion = 0.0;
    double alpha = 0.5;  // weight of the old density in the mixing
    Output output;
    bool verbose = false;

    std::string input_path;        // named in the messages of a failed run
    unsigned max_iterations = 101;  // the step that ends the loop with a warning
    bool converged = false;
    unsigned iterations = 0;   // SCF steps of the finished run
    Matrix<double> P_energy;   // the density that built F and gave `energy` (P before mixing)

    // Convergence mode --diis (iterate_diis): Pulay DIIS on the commutator error, started
    // from a superposition of atomic densities, instead of the density mixing of iterate.
    bool diis = false;
    unsigned diis_max_iterations = 100;

    IntegralPath integral_path = IntegralPath::automatic;
    bool exact_integrals = true;  // the path setup took

    void molecule(const Molecule& m);
    void setup();
    double calcnuclrepul() const;
    void run();
    unsigned iterate();
    unsigned iterate_diis();
    void step();
    double calcen() const;
    // Two-electron part of the Fock matrix of density D, by the path of the integrals:
    // the all-quadruples sum for exact integrals, the distinct-integral scatter otherwise.
    Matrix<double> two_electron(const Matrix<double>& D) const;
    // The verbose energy line of a step; stops the run when the energy is not finite.
    void report_step(unsigned steps, double ms) const;
    // Verbose frames around the SCF steps; the closing one lists the orbitals.
    void print_convergence_start() const;
    void print_convergence_end() const;

    void listorbs() const;
    void printS() const;
    void printX() const;
    void molorbs() const;
};

// The line for standard error after a run that reached its iteration limit unconverged.
std::string nonconvergence_message(const HF& hf);
