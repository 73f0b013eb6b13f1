#include "scf/hf.h"

#include <cmath>

#include "molecule/atom.h"
#include "common/clock.h"
#include "integrals/reference/func.h"
#include "linalg/matfunc.h"
#include "scf/fock.h"
#include "scf/roothaan.h"

namespace {

constexpr double convergence_threshold = 1e-9;  // Hartree, on the change of the total energy


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
SpinRun HF::stop_not_finite(SpinRun& r, Clock& clock) const {
    clock.toc();
    if (listener) listener->step(r.iterations, r.energy, clock.passed());
    r.finite = false;
    return r;
}

double HF::calcen(const Matrix<double>& P, const Matrix<double>& F) const {
    return total_energy(P, H, F, nuclear_repulsion);
}

SpinRun HF::iterate() const {
    SpinRun r;
    r.channels.resize(1);
    ChannelState& c = r.channels[0];
    c.occupied = occupied;
    Matrix<double> P(H.rows(), H.cols());
    double prev = first_previous_energy;
    Clock clock;
    for (;;) {
        clock.tic();
        ++r.iterations;
        c.fock = matsum(H, two_electron(P));
        r.energy = calcen(P, c.fock);
        c.density = P;
        if (!std::isfinite(r.energy)) return stop_not_finite(r, clock);
        RoothaanStep next = roothaan_step(c.fock, X, X_t, occupied, free_order_products);
        c.energies = std::move(next.orbitals.energies);
        c.C = std::move(next.orbitals.C);
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

SpinSystem HF::spin_system() const {
    SpinSystem s;
    s.H = H;
    s.S = S;
    s.X = X;
    s.X_t = X_t;
    s.two_electron = two_electron_operator;
    s.nuclear_repulsion = nuclear_repulsion;
    s.occupied = {occupied};
    s.free_order_products = free_order_products;
    s.incremental_fock = incremental_fock;
    s.full_build_interval = full_build_interval;
    return s;
}

HF closed_shell_engine(const SpinSystem& system) {
    HF hf;
    hf.H = system.H;
    hf.S = system.S;
    hf.X = system.X;
    hf.X_t = system.X_t;
    hf.two_electron_operator = system.two_electron;
    hf.incremental_fock = system.incremental_fock;
    hf.full_build_interval = system.full_build_interval;
    hf.free_order_products = system.free_order_products;
    hf.nuclear_repulsion = system.nuclear_repulsion;
    hf.occupied = system.occupied[0];
    return hf;
}

SpinRun HF::iterate_diis(const Matrix<double>& start) const {
    // Start from the occupied orbitals of the Fock matrix of the superposed atomic densities.
    // That Fock build is part of the guess; step 1 is the first from an idempotent density.
    const SpinSystem system = spin_system();
    SpinLoopSettings settings;
    settings.last_step = diis_max_iterations;
    StepListener step;
    if (listener) step = [this](unsigned number, double energy, double ms) { listener->step(number, energy, ms); };
    SpinRun run;
    converge_diis(system, start_densities(system, start), settings, step, nullptr, run);
    return run;
}
