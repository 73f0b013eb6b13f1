#include "scf/hf.h"

#include <cmath>
#include <cstdint>
#include <iostream>
#include <limits>
#include <new>
#include <sstream>

#include "common/failure.h"
#include "driver/progress.h"
#include "common/quote.h"
#include "integrals/exact.h"
#include "integrals/fast_eri.h"
#include "integrals/fast_one.h"
#include "integrals/func.h"
#include "integrals/repulsion.h"
#include "integrals/shells.h"
#include "linalg/canorg.h"
#include "linalg/eigsym.h"
#include "linalg/matfunc.h"
#include "scf/diis.h"
#include "scf/fock.h"
#include "scf/guess.h"
#include "scf/memory.h"

namespace {

const char* const rule31 = "-------------------------------";
constexpr double convergence_threshold = 1e-9;  // Hartree, on the change of the total energy
constexpr double first_previous_energy = 1000.0;
// Below this smallest overlap eigenvalue the basis is numerically linearly
// dependent: X = S^(-1/2) would amplify rounding beyond the printed digits.
constexpr double singular_overlap_threshold = 1e-7;

// DIIS mode. It stops when the energy change and the largest element of the
// commutator error are both below these. The energy error is second order in the
// density error, itself of the order of the commutator error over the HOMO-LUMO gap,
// so the energy is then within about 1e-12 Hartree of the converged one; the energy
// test stays at the plain loop's 1e-9, above the rounding noise of a large molecule.
constexpr double diis_energy_threshold = 1e-9;   // Hartree
constexpr double diis_error_threshold = 1e-7;    // Hartree, max_ij |X^T (FDS - SDF) X|_ij
constexpr unsigned diis_history = 8;             // Fock matrices kept for the extrapolation

void print_phase_done(const Clock& clock) { std::cout << " done [ " << clock.passed() << " ms ]" << "\n"; }

void print_matrix(const char* title, const Matrix<double>& M) {
    std::cout << "\t" << title << "\n";
    for (int i = 0; i < M.rows(); ++i) {
        std::cout.width(10);
        std::cout.precision(5);
        std::cout.setf(std::ios::right);
        std::cout.setf(std::ios::fixed);
        for (int j = 0; j < M.cols(); ++j) std::cout << M[i][j] << "\t";
        std::cout << "\n";
    }
}

}  // namespace

std::uint64_t primitive_quartet_count(const std::vector<CGF>& cgfs) {
    // Over the distinct integrals, sum of w_ij w_kl with w_ij = m_i m_j (m: primitives
    // per function) and ij >= kl: ((sum w)^2 + sum w^2) / 2.
    std::uint64_t sum = 0, sum_squares = 0;
    for (std::size_t i = 0; i < cgfs.size(); ++i) {
        for (std::size_t j = 0; j <= i; ++j) {
            const std::uint64_t w = static_cast<std::uint64_t>(cgfs[i].gtos.size()) * cgfs[j].gtos.size();
            sum += w;
            sum_squares += w * w;
        }
    }
    return (sum * sum + sum_squares) / 2;
}

bool choose_exact_integrals(IntegralPath path, const std::vector<CGF>& cgfs) {
    if (path != IntegralPath::automatic) return path == IntegralPath::exact;
    return primitive_quartet_count(cgfs) <= exact_quartet_limit;
}

void HF::print_convergence_start() const {
    if (verbose) std::cout << "\n" << rule31 << "\n" << "Start electronic convergence..." << "\n" << rule31 << "\n";
}

void HF::print_convergence_end() const {
    if (!verbose) return;
    std::cout << rule31 << "\n" << "End electronic convergence...  " << "\n" << rule31 << "\n";
    molorbs();
}

void HF::report_step(unsigned steps, double ms) const {
    if (verbose) {
        std::cout << "Energy after iteration " << steps << ":\t " << energy << " Hartree\t" << " [ " << ms
                  << " ms ] " << "\n";
    }
    if (!std::isfinite(energy)) {
        std::ostringstream msg;
        msg << "Error in input file " << quoted(input_path) << ": the SCF energy became " << energy << " at step "
            << steps << "; no result can be reported";
        throw Failure{msg.str(), exit_status::numerical};
    }
}

Matrix<double> HF::two_electron(const Matrix<double>& D) const {
    return exact_integrals ? two_electron_reference(D, te_table) : two_electron_from_distinct(D, te_table);
}

void HF::molecule(const Molecule& m) {
    mol = m;
    nr_electrons = 0;
    energy = 0.0;
    unsigned r = 0;
    for (unsigned a = 0; a < mol.nratoms(); ++a) {
        const Atom& atom = mol[a];
        nr_electrons += atom.nrelecs();
        for (unsigned j = 0; j < atom.nrorbs(); ++j) {
            ++r;
            nr_gtos += static_cast<unsigned>(atom[j].gtos.size());
            std::ostringstream label;
            label << "[" << r << "] " << atom.ps() << a + 1 << "\t (" << atom[j].orb() << ")";
            orbital_labels.push_back(label.str());
            cgfs.push_back(atom[j]);
        }
    }
    nr_orbitals = r;
    nr_atoms = mol.nratoms();

    // The table is sized first, counting every n x n matrix of the run (the
    // fixed and SCF matrices and one attraction matrix per atom): a molecule
    // that cannot fit is refused before any of them is allocated.
    const std::uint64_t matrices = engine_matrix_bytes(nr_orbitals, nr_atoms);
    te_table = allocate_integral_table(distinct_integral_count(nr_orbitals), input_path, matrices);

    const int n = static_cast<int>(nr_orbitals);
    for (Matrix<double>* M : {&S, &H, &T, &P, &C_prime, &C, &X, &X_t, &G}) M->resize(n, n);
    V.resize(nr_atoms);
    for (Matrix<double>& Vk : V) Vk.resize(n, n);

    if (verbose) {
        std::cout << "\n" << rule31 << "\n" << "          LIST INPUT           " << "\n" << rule31 << "\n\n";
        listorbs();
    }
}

void HF::setup() {
    const unsigned n = nr_orbitals;
    if (verbose) {
        std::cout << "\n" << rule31 << "\n" << "             OUTPUT            " << "\n" << rule31 << "\n\n";
        clock.tic();
        std::cout << "Constructing S matrix...";
    }
    exact_integrals = choose_exact_integrals(integral_path, cgfs);
    std::vector<ShellPair> pairs;
    if (exact_integrals) {
        S = exact_overlap_matrix(cgfs);
    } else {
        const std::vector<Shell> shells = build_shells(cgfs);
        pairs = build_shell_pairs(shells);
        S = overlap_matrix(shells);
    }

    if (verbose) {
        clock.toc();
        print_phase_done(clock);
        clock.tic();
        std::cout << "Constructing T matrix...";
    }
    T = exact_integrals ? exact_kinetic_matrix(cgfs) : kinetic_matrix(build_shells(cgfs));
    H = T;

    if (verbose) {
        clock.toc();
        print_phase_done(clock);
        clock.tic();
        std::cout << "Constructing V matrices...";
    }
    if (exact_integrals) {
        V = exact_nuclear_matrices(cgfs, mol.atoms);
    } else {
        std::vector<Nucleus> nuclei;
        for (unsigned k = 0; k < nr_atoms; ++k) nuclei.push_back(Nucleus{mol[k].gr(), mol[k].nucl_chg()});
        V = nuclear_matrices(pairs, n, nuclei);
    }
    // H = ((T + V_0) + V_1) + ..., in atom order.
    for (unsigned i = 0; i < n; ++i)
        for (unsigned j = 0; j < n; ++j)
            for (unsigned k = 0; k < nr_atoms; ++k) H[i][j] = H[i][j] + V[k][i][j];

    if (verbose) {
        clock.toc();
        print_phase_done(clock);
        clock.tic();
        std::cout << "Constructing TE matrix... (" << distinct_integral_count(n) << ") " << "\n";
    }
    // Every distinct (i,j|k,l) is computed once; c counts them.
    if (exact_integrals) {
        exact_repulsion_table(cgfs, te_table);
    } else {
        Progress progress("Two-electron integrals", 1);
        repulsion_table(pairs, te_table, [&progress](std::uint64_t done, std::uint64_t total) {
            progress.total = total;
            progress.update(done);
        });
    }
    const double c = static_cast<double>(distinct_integral_count(n));

    if (verbose) {
        clock.toc();
        std::cout << " done [ " << clock.passed() << " ms ] " << c << " (i,j|k,l) iterations" << "\n";
        printS();
    }

    const Orthogonaliser orth = canorg_checked(S);
    if (n > 0 && !(orth.smallest_eigenvalue >= singular_overlap_threshold)) {
        std::ostringstream msg;
        msg << "Error in input file " << quoted(input_path)
            << ": the overlap matrix is singular (smallest eigenvalue " << orth.smallest_eigenvalue
            << "); atoms are so close together that their basis functions are linearly dependent";
        throw Failure{msg.str(), exit_status::unsupported};
    }
    X = orth.X;
    X_t = transpose(X);

    if (verbose) printX();

    nuclear_repulsion = calcnuclrepul();
}

double HF::calcnuclrepul() const {
    double e = 0.0;
    for (unsigned i = 0; i < nr_atoms; ++i) {
        for (unsigned j = i + 1; j < nr_atoms; ++j) {
            const unsigned zz = mol[i].nucl_chg() * mol[j].nucl_chg();
            e = e + static_cast<double>(zz) / std::sqrt(dist2(mol[i].gr(), mol[j].gr()));
        }
    }
    return e;
}

void HF::run() {
    setup();
    const unsigned steps = diis ? iterate_diis() : iterate();
    iterations = steps;
    output.print_orbitals(orbital_energies, orbital_labels, C, nr_electrons);
    output.print_summary(steps, energy, nr_atoms, static_cast<unsigned>(orbital_labels.size()), nr_gtos);
}

unsigned HF::iterate() {
    print_convergence_start();
    double prev = first_previous_energy;
    unsigned steps = 0;
    converged = false;
    for (;;) {
        clock.tic();
        ++steps;
        step();
        const double d = std::fabs(energy - prev);
        std::cout.precision(10);
        clock.toc();
        const double t = clock.passed();
        report_step(steps, t);
        if (steps == max_iterations) {
            std::cout << "Too may iteration steps.. terminating and outputting results." << "\n";
            converged = d <= convergence_threshold;
            break;
        }
        prev = energy;
        if (!(d > convergence_threshold)) {
            converged = true;
            break;
        }
    }
    print_convergence_end();
    return steps;
}

void HF::step() {
    const unsigned nocc = nr_electrons / 2;
    G = two_electron(P);
    F = matsum(H, G);
    F_prime = trimatprod(X_t, F, X);
    Eigsym(F_prime, C_prime, orbital_energies);
    energy = calcen();
    P_energy = P;
    C = matprod(X, C_prime);
    P_new = closed_shell_density(C, nocc);
    const int n = P.rows();
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) P[i][j] = alpha * P[i][j] + (1.0 - alpha) * P_new[i][j];
}

namespace {

// Eigenvectors, as columns, of a Fock matrix in the orthogonal basis.
Matrix<double> eigenvectors(const Matrix<double>& F_prime) {
    Matrix<double> U;
    std::vector<double> w;
    Eigsym(F_prime, U, w);
    return U;
}

}  // namespace

unsigned HF::iterate_diis() {
    print_convergence_start();
    const unsigned nocc = nr_electrons / 2;
    // Start from the occupied orbitals of the Fock matrix of the superposed atomic densities.
    // That Fock build is part of the guess; step 1 is the first from an idempotent density.
    std::vector<unsigned> first{0}, electrons;
    for (unsigned a = 0; a < nr_atoms; ++a) {
        first.push_back(first.back() + mol[a].nrorbs());
        electrons.push_back(mol[a].nrelecs());
    }
    P = superposition_density(S, T, V, te_table, first, electrons);
    G = two_electron(P);
    P = closed_shell_density(matprod(X, eigenvectors(trimatprod(X_t, matsum(H, G), X))), nocc);

    Diis history;
    history.max_vectors = diis_history;
    double prev = first_previous_energy;
    unsigned steps = 0;
    converged = false;
    for (;;) {
        clock.tic();
        ++steps;
        G = two_electron(P);
        F = matsum(H, G);
        energy = calcen();
        P_energy = P;
        const Matrix<double> error = diis_error(F, P, S, X);
        const double max_error = max_abs_element(error);
        const double d = std::fabs(energy - prev);
        // The orbitals of F itself: the report is of the density P, its energy and its Fock matrix.
        F_prime = trimatprod(X_t, F, X);
        Eigsym(F_prime, C_prime, orbital_energies);
        C = matprod(X, C_prime);
        std::cout.precision(10);
        clock.toc();
        const double t = clock.passed();
        report_step(steps, t);
        const bool done = d <= diis_energy_threshold && max_error <= diis_error_threshold;
        if (steps == diis_max_iterations) {
            std::cout << "Too may iteration steps.. terminating and outputting results." << "\n";
            converged = done;
            break;
        }
        if (done) {
            converged = true;
            break;
        }
        prev = energy;

        history.add(F, error);
        P = closed_shell_density(matprod(X, eigenvectors(trimatprod(X_t, history.extrapolate(), X))), nocc);
    }
    print_convergence_end();
    return steps;
}

std::string nonconvergence_message(const HF& hf) {
    std::ostringstream msg;
    if (hf.diis) {
        msg << "velko: the DIIS SCF did not converge in " << hf.diis_max_iterations
            << " iterations; the energy reported is not reliable; try a larger --max-iterations";
    } else {
        msg << "velko: the SCF did not converge in " << hf.max_iterations
            << " iterations; the energy reported is not reliable; try --diis";
    }
    return msg.str();
}

double HF::calcen() const { return total_energy(P, H, F, nuclear_repulsion); }

void HF::listorbs() const {
    std::cout << "--- List of orbitals ---" << "\n";
    for (const std::string& label : orbital_labels) std::cout << label << "\n";
}

void HF::printS() const { print_matrix("--- Smatrix ---", S); }

void HF::printX() const { print_matrix("--- Xmatrix ---", X); }

void HF::molorbs() const {
    const unsigned nocc = nr_electrons / 2;
    std::cout << rule31 << "\n" << "      Molecular orbitals       " << "\n" << rule31 << "\n" << "\n";
    for (unsigned i = 0; i < nr_orbitals; ++i) {
        std::cout << "*** " << i + 1 << "\t" << orbital_energies[i] << " HT" << " --- ("
                  << (i < nocc ? " Occupied ) ***" : " Virtual ) ***") << "\n";
        for (unsigned j = 0; j < nr_orbitals; ++j) {
            std::cout.setf(std::ios::fixed);
            std::cout << orbital_labels[j] << "\t\t";
            std::cout.precision(4);
            std::cout << C[j][i] << "\n";
        }
        std::cout << "--------------------" << "\t" << "------" << "\n" << "\n";
    }
}
