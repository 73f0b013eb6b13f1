#include "scf/trust.h"

#include <cmath>

#include "linalg/matfunc.h"
#include "scf/follow.h"

namespace {

// Passes the steps of successive runs on to the listing, numbered on.
struct ContinuedNumbering : ScfListener {
    ScfListener* target = nullptr;
    unsigned offset = 0;
    void step(unsigned number, double energy, double ms) override {
        if (target) target->step(offset + number, energy, ms);
    }
};

}  // namespace

ConvergenceCheck check_convergence(const HF& hf, const ScfResult& r) {
    ConvergenceCheck c;
    c.first_step = r.converged && r.iterations <= 1;
    // A run stopped at a step whose energy was not finite has no orbitals to check.
    if (!r.finite || r.C.cols() == 0) return c;
    c.consistency = check_self_consistency(r.C, r.orbital_energies, hf.occupied, r.density, r.fock, hf.S, hf.X);
    c.converged = r.converged && r.finite && !c.first_step && c.consistency.ok();
    return c;
}

LowestRotation check_stability(const HF& hf, const ScfResult& r) {
    const bool thorough = static_cast<unsigned>(hf.H.rows()) <= thorough_search_functions;
    return lowest_rhf_rotation(r.C, r.fock, hf.occupied, [&hf](const Matrix<double>& D) { return hf.two_electron(D); },
                               !thorough);
}

StableSearch diis_with_following(const HF& hf, const Matrix<double>& start) {
    ContinuedNumbering numbering;
    numbering.target = hf.listener;
    HF engine = hf;
    engine.listener = &numbering;

    StableSearch s;
    unsigned steps = 0;
    Matrix<double> next_start = start;
    for (unsigned round = 0;; ++round) {
        numbering.offset = steps;
        s.scf = engine.iterate_diis(next_start);
        steps += s.scf.iterations;
        s.scf.iterations = steps;
        s.check = check_convergence(engine, s.scf);
        s.stable = false;
        if (!s.scf.finite || !s.check.converged) return s;
        s.lowest = check_stability(engine, s.scf);
        s.stable = !(s.lowest.eigenvalue < instability_threshold);
        if (s.stable || round == max_followed_instabilities) return s;

        const RotatedOrbitals rotated =
            follow_rotation(s.scf.C, engine.occupied, s.lowest.kappa, s.scf.energy, [&engine](const Matrix<double>& P) {
                return engine.calcen(P, matsum(engine.H, engine.two_electron(P)));
            });
        s.followed.push_back({steps, s.scf.energy, s.lowest.eigenvalue, rotated.energy});
        next_start = rotated.P;
    }
}

double distinct_state_tolerance(double energy) {
    return std::fmax(1e-8 * std::fabs(energy), 2 * printed_energy_tolerance);
}
