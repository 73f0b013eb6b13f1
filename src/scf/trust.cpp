#include "scf/trust.h"

#include <cmath>

#include <utility>


ConvergenceCheck check_convergence(const HF& hf, const SpinRun& r) {
    ConvergenceCheck c;
    c.first_step = r.converged && r.iterations <= 1;
    // A run stopped at a step whose energy was not finite has no orbitals to check.
    if (!r.finite || r.channels.empty() || r.channels[0].C.cols() == 0) return c;
    const ChannelState& s = r.channels[0];
    c.consistency = check_self_consistency(s.C, s.energies, hf.occupied, s.density, s.fock, hf.S, hf.X);
    c.converged = r.converged && r.finite && !c.first_step && c.consistency.ok();
    return c;
}

LowestRotation check_stability(const HF& hf, const SpinRun& r) {
    const ChannelState& s = r.channels[0];
    return lowest_rotation({{s.C, s.energies, hf.occupied}}, closed_shell_response(*hf.two_electron_operator),
                           stability_options(static_cast<unsigned>(hf.H.rows()), 1));
}

StableSearch diis_with_following(const HF& hf, const Matrix<double>& start) {
    const SpinSystem system = hf.spin_system();
    StepListener listener;
    if (hf.listener) listener = [&hf](unsigned number, double energy, double ms) { hf.listener->step(number, energy, ms); };
    StableSearch s;
    InstabilityFollowing how;
    how.converge = [&](std::vector<Matrix<double>> P, SpinRun& run) {
        SpinLoopSettings loop;
        loop.last_step = run.iterations + hf.diis_max_iterations;
        converge_diis(system, start_densities(system, P[0]), loop, listener, nullptr, run);
    };
    how.usable = [&](const SpinRun& run) {
        s.check = check_convergence(hf, run);
        return s.check.converged;
    };
    how.check = [&](const SpinRun& run) { return check_stability(hf, run); };
    how.leave = [&](const SpinRun& run, const LowestRotation& lowest, double& energy) {
        const RotatedOrbitals rotated =
            follow_rotation(run.channels[0].C, hf.occupied, lowest.vector, run.energy, [&](const Matrix<double>& P) {
                return scf_energy(system, {P}, fock_matrices(system, {P}));
            });
        energy = rotated.energy;
        return std::vector<Matrix<double>>{rotated.P};
    };
    FollowedRun f = follow_instabilities({start}, how);
    s.scf = std::move(f.run);
    s.lowest = std::move(f.lowest);
    s.stable = f.stable;
    s.followed = std::move(f.followed);
    return s;
}

double distinct_state_tolerance(double energy) {
    return std::fmax(1e-8 * std::fabs(energy), 2 * printed_energy_tolerance);
}
