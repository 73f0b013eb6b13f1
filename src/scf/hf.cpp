#include "scf/hf.h"

#include <cmath>
#include <cstdint>
#include <iostream>
#include <limits>
#include <new>
#include <sstream>

#include "driver/failure.h"
#include "integrals/func.h"
#include "integrals/kinetic.h"
#include "integrals/nuclear.h"
#include "integrals/overlap.h"
#include "integrals/repulsion.h"
#include "linalg/canorg.h"
#include "linalg/eigsym.h"
#include "linalg/matfunc.h"
#include "scf/fock.h"
#include "scf/memory.h"

namespace {

const char* const rule31 = "-------------------------------";
constexpr double convergence_threshold = 1e-9;  // Hartree, on the change of the total energy
constexpr double first_previous_energy = 1000.0;
// n x n matrices of the engine besides the per-atom attraction matrices:
// H, S, T, P, P_new, G, F, F_prime, X, X_t, C, C_prime.
constexpr std::uint64_t engine_matrix_count = 12;
// Below this smallest overlap eigenvalue the basis is numerically linearly
// dependent: X = S^(-1/2) would amplify rounding beyond the printed digits.
constexpr double singular_overlap_threshold = 1e-7;

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

// Number of distinct two-electron integrals of n functions: teindex(n-1, n-1, n-1, n-1) + 1.
std::uint64_t distinct_integral_count(unsigned n) {
    if (n == 0) return 0;
    return teindex(n - 1, n - 1, n - 1, n - 1) + 1;
}

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

void check_closed_shell(const Molecule& mol, const std::string& path) {
    unsigned electrons = 0;
    for (unsigned a = 0; a < mol.nratoms(); ++a) electrons += mol[a].nrelecs();
    if (electrons % 2 != 0) {
        std::ostringstream msg;
        msg << "Error in input file " << quoted(path) << ": the molecule has " << electrons
            << (electrons == 1 ? " electron" : " electrons") << ", an odd number; velko computes closed-shell molecules only (every electron paired)";
        throw Failure{msg.str(), exit_status::unsupported};
    }
    for (unsigned a = 0; a < mol.nratoms(); ++a) {
        for (unsigned b = a + 1; b < mol.nratoms(); ++b) {
            if (dist2(mol[a].gr(), mol[b].gr()) == 0.0) {
                std::ostringstream msg;
                msg << "Error in input file " << quoted(path) << ": atoms " << a + 1 << " (" << mol[a].ps()
                    << ") and " << b + 1 << " (" << mol[b].ps()
                    << ") are at the same position; expected distinct positions for all atoms";
                throw Failure{msg.str(), exit_status::unsupported};
            }
        }
    }
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
    const std::uint64_t matrices = matrix_bytes(nr_orbitals, engine_matrix_count + std::uint64_t{nr_atoms});
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
    for (unsigned i = 0; i < n; ++i)
        for (unsigned j = 0; j < n; ++j) S[i][j] = cgf_overlap(cgfs[i], cgfs[j]);

    if (verbose) {
        clock.toc();
        print_phase_done(clock);
        clock.tic();
        std::cout << "Constructing T matrix...";
    }
    for (unsigned i = 0; i < n; ++i) {
        for (unsigned j = 0; j < n; ++j) {
            T[i][j] = cgf_kinetic(cgfs[i], cgfs[j]);
            H[i][j] = T[i][j];
        }
    }

    if (verbose) {
        clock.toc();
        print_phase_done(clock);
        clock.tic();
        std::cout << "Constructing V matrices...";
    }
    for (unsigned i = 0; i < n; ++i) {
        for (unsigned j = 0; j < n; ++j) {
            for (unsigned k = 0; k < nr_atoms; ++k) {
                V[k][i][j] = cgf_nuclear(cgfs[i], cgfs[j], mol[k]);
                H[i][j] = H[i][j] + V[k][i][j];
            }
        }
    }

    if (verbose) {
        clock.toc();
        print_phase_done(clock);
        clock.tic();
        std::cout << "Constructing TE matrix... (" << distinct_integral_count(n) << ") " << "\n";
    }
    double c = 0.0;
    for (unsigned i = 0; i < n; ++i) {
        for (unsigned j = 0; j <= i; ++j) {
            const unsigned ij = i * (i + 1) / 2 + j;
            for (unsigned k = 0; k < n; ++k) {
                for (unsigned l = 0; l <= k; ++l) {
                    const unsigned kl = k * (k + 1) / 2 + l;
                    if (kl < ij) continue;
                    c = c + 1.0;
                    te_table[teindex(i, j, k, l)] = cgf_repulsion(cgfs[i], cgfs[j], cgfs[k], cgfs[l]);
                }
            }
        }
    }

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
    const unsigned steps = iterate();
    output.print_orbitals(orbital_energies, orbital_labels, C, nr_electrons);
    output.print_summary(steps, energy, nr_atoms, static_cast<unsigned>(orbital_labels.size()), nr_gtos);
}

unsigned HF::iterate() {
    if (verbose) {
        std::cout << "\n" << rule31 << "\n" << "Start electronic convergence..." << "\n" << rule31 << "\n";
    }
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
        if (verbose) {
            std::cout << "Energy after iteration " << steps << ":\t " << energy << " Hartree\t" << " [ " << t
                      << " ms ] " << "\n";
        }
        if (!std::isfinite(energy)) {
            std::ostringstream msg;
            msg << "Error in input file " << quoted(input_path) << ": the SCF energy became " << energy
                << " at step " << steps << "; no result can be reported";
            throw Failure{msg.str(), exit_status::numerical};
        }
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
    if (verbose) {
        std::cout << rule31 << "\n" << "End electronic convergence...  " << "\n" << rule31 << "\n";
        molorbs();
    }
    return steps;
}

void HF::step() {
    const unsigned nocc = nr_electrons / 2;
    G = two_electron_reference(P, te_table);
    F = matsum(H, G);
    F_prime = trimatprod(X_t, F, X);
    Eigsym(F_prime, C_prime, orbital_energies);
    energy = calcen();
    C = matprod(X, C_prime);
    P_new = closed_shell_density(C, nocc);
    const int n = P.rows();
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) P[i][j] = alpha * P[i][j] + (1.0 - alpha) * P_new[i][j];
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
