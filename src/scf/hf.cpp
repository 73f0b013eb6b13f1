#include "scf/hf.h"

#include <cmath>

#include "molecule/atom.h"
#include "common/clock.h"
#include "integrals/reference/func.h"
#include "linalg/matfunc.h"
#include "scf/diis.h"
#include "scf/fock.h"
#include "scf/roothaan.h"

namespace {

constexpr double convergence_threshold = 1e-9;  // Hartree, on the change of the total energy
// The plain loop compares step 1 with this; step 1's energy is the nuclear repulsion.
constexpr double first_previous_energy = 1000.0;

// DIIS mode. It stops when the energy change and the largest element of the
// commutator error are both below these. The energy error is second order in the
// density error, itself of the order of the commutator error over the HOMO-LUMO gap,
// so the energy is then within about 1e-12 Hartree of the converged one; the energy
// test stays at the plain loop's 1e-9, above the rounding noise of a large molecule.
constexpr double diis_energy_threshold = 1e-9;  // Hartree
constexpr double diis_error_threshold = 1e-7;   // Hartree, max_ij |X^T (FDS - SDF) X|_ij
constexpr unsigned diis_history = 8;            // Fock matrices kept for the extrapolation

}  // namespace

double calcnuclrepul(const std::vector<Atom>& atoms) {
    double e = 0.0;
    for (std::size_t i = 0; i < atoms.size(); ++i) {
        for (std::size_t j = i + 1; j < atoms.size(); ++j) {
            const unsigned zz = atoms[i].nucl_chg() * atoms[j].nucl_chg();
            e = e + static_cast<double>(zz) / std::sqrt(dist2(atoms[i].gr(), atoms[j].gr()));
        }
    }
    return e;
}

Matrix<double> HF::two_electron(const Matrix<double>& D) const {
    return two_electron_operator->G(D);
}

// A step whose energy is not finite (a Fock element is NaN or infinite, since every
// element enters E) ends the run before the eigensolver sees the matrix.
ScfResult HF::stop_not_finite(ScfResult& r, Clock& clock) const {
    clock.toc();
    if (listener) listener->step(r.iterations, r.energy, clock.passed());
    r.finite = false;
    return r;
}

double HF::calcen(const Matrix<double>& P, const Matrix<double>& F) const {
    return total_energy(P, H, F, nuclear_repulsion);
}

ScfResult HF::iterate() const {
    ScfResult r;
    Matrix<double> P(H.rows(), H.cols());
    double prev = first_previous_energy;
    Clock clock;
    for (;;) {
        clock.tic();
        ++r.iterations;
        r.fock = matsum(H, two_electron(P));
        r.energy = calcen(P, r.fock);
        r.density = P;
        if (!std::isfinite(r.energy)) return stop_not_finite(r, clock);
        RoothaanStep next = roothaan_step(r.fock, X, X_t, occupied, free_order_products);
        r.orbital_energies = std::move(next.orbitals.energies);
        r.C = std::move(next.orbitals.C);
        const int n = P.rows();
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) P[i][j] = alpha * P[i][j] + (1.0 - alpha) * next.density[i][j];
        const double d = std::fabs(r.energy - prev);
        clock.toc();
        if (listener) listener->step(r.iterations, r.energy, clock.passed());
        if (r.iterations == max_iterations) {
            r.reached_limit = true;
            r.converged = d <= convergence_threshold;
            return r;
        }
        prev = r.energy;
        if (!(d > convergence_threshold)) {
            r.converged = true;
            return r;
        }
    }
}

ScfResult HF::iterate_diis(const Matrix<double>& start) const {
    // Start from the occupied orbitals of the Fock matrix of the superposed atomic densities.
    // That Fock build is part of the guess; step 1 is the first from an idempotent density.
    const bool fo = free_order_products;
    Matrix<double> P = roothaan_step(matsum(H, two_electron(start)), X, X_t, occupied, fo).density;

    // Incremental build: G(D_n) = G(D_(n-1)) + G(D_n - D_(n-1)) (G is linear in D); the
    // change shrinks as the SCF converges, so density screening skips more and more
    // quartets. A full build every full_build_interval steps keeps rounding from piling up.
    const bool incremental = incremental_fock && two_electron_operator->incremental();
    Matrix<double> G_last, P_last;
    unsigned since_full = 0;
    auto build_g = [&](const Matrix<double>& D) {
        if (!incremental) return two_electron(D);
        if (G_last.rows() == 0 || ++since_full >= full_build_interval) {
            since_full = 0;
            G_last = two_electron(D);
        } else {
            Matrix<double> change(D.rows(), D.cols());
            for (int i = 0; i < D.rows(); ++i)
                for (int j = 0; j < D.cols(); ++j) change[i][j] = D[i][j] - P_last[i][j];
            G_last = matsum(G_last, two_electron_operator->G_change(change));
        }
        P_last = D;
        return G_last;
    };

    ScfResult r;
    Diis history;
    history.max_vectors = diis_history;
    double prev = first_previous_energy;
    Clock clock;
    for (;;) {
        clock.tic();
        ++r.iterations;
        r.fock = matsum(H, build_g(P));
        r.energy = calcen(P, r.fock);
        r.density = P;
        if (!std::isfinite(r.energy)) return stop_not_finite(r, clock);
        const Matrix<double> error = diis_error(r.fock, P, S, X, fo);
        const double max_error = max_abs_element(error);
        const double d = std::fabs(r.energy - prev);
        // The orbitals of F itself: the report is of the density P, its energy and its Fock matrix.
        Orbitals o = roothaan_orbitals(r.fock, X, X_t, fo);
        r.orbital_energies = std::move(o.energies);
        r.C = std::move(o.C);
        clock.toc();
        if (listener) listener->step(r.iterations, r.energy, clock.passed());
        const bool done = d <= diis_energy_threshold && max_error <= diis_error_threshold;
        if (r.iterations == diis_max_iterations) {
            r.reached_limit = true;
            r.converged = done;
            return r;
        }
        if (done) {
            r.converged = true;
            return r;
        }
        prev = r.energy;

        history.add(r.fock, error);
        P = roothaan_step(history.extrapolate(), X, X_t, occupied, fo).density;
    }
}
