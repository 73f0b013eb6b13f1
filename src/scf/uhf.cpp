#include "scf/uhf.h"

#include <cmath>
#include <memory>
#include <utility>

#include "linalg/matfunc.h"
#include "scf/newton.h"
#include "scf/stability.h"
#include "scf/uhf_stability.h"

namespace {

// Rotation angle along a unit unstable mode: pi/4 mixes the occupied and virtual orbitals
// of the mode equally, far enough to leave the saddle point behind.
constexpr double follow_angle = 0.25 * 3.14159265358979323846;
// Davidson residual norms. The eigenvalue is accurate to about the residual squared over
// the gap to the next one, far below the instability threshold; leaving a stalled DIIS
// needs only a rough direction.
constexpr double stability_tolerance = 1e-4;
constexpr double escape_tolerance = 1e-2;
// The share of the step limit left to Newton steps (newton.h) when DIIS has not converged
// by then, whichever run of the search or follow-up is going: DIIS converges well-behaved
// molecules in 2 to 40 steps, and its wandering (with the escape from stalls) reaches lower
// states than a local method; a run still unconverged at step 70 of 100 crawls along a
// flat valley of the energy or circles, and Newton steps converge it in about ten. Handing
// over at step 30 instead reached higher states on 3 of 200 random radicals.
constexpr unsigned second_order_percent = 30;

std::vector<Matrix<double>> rotated_densities(const SpinSystem& system, const ChannelState& a, const ChannelState& b,
                                              const std::vector<double>& mode, double angle) {
    const unsigned alpha = system.occupied[0], beta = system.occupied[1];
    const std::size_t na = std::size_t{alpha} * (static_cast<unsigned>(a.C.cols()) - alpha);
    return {orbital_density(rotate_orbitals(a.C, alpha, mode.data(), angle), alpha, 1.0),
            orbital_density(rotate_orbitals(b.C, beta, mode.data() + na, angle), beta, 1.0)};
}

LowestMode lowest_mode(const SpinSystem& system, const SpinRun& run, double tolerance) {
    const SpinOrbitals a{run.channels[0].C, run.channels[0].energies, system.occupied[0]};
    const SpinOrbitals b{run.channels[1].C, run.channels[1].energies, system.occupied[1]};
    return lowest_hessian_mode(a, b, *system.two_electron, tolerance);
}

// The run's last step with the stability findings of `before`.
UhfResult as_result(const SpinRun& run, const UhfResult& before) {
    UhfResult r = before;
    static_cast<SpinRun&>(r) = run;
    return r;
}

}  // namespace

double s_squared(const Matrix<double>& Ca, const Matrix<double>& Cb, const Matrix<double>& S, unsigned alpha,
                 unsigned beta) {
    const Matrix<double> SCb = matprod(S, Cb);
    double overlap = 0.0;
    for (unsigned i = 0; i < alpha; ++i)
        for (unsigned j = 0; j < beta; ++j) {
            double o = 0.0;
            for (int mu = 0; mu < S.rows(); ++mu) o += Ca[mu][static_cast<int>(i)] * SCb[mu][static_cast<int>(j)];
            overlap += o * o;
        }
    const double sz = 0.5 * (static_cast<double>(alpha) - static_cast<double>(beta));
    return sz * (sz + 1.0) + static_cast<double>(beta) - overlap;
}

UhfResult run_uhf(const SpinSystem& system, const Matrix<double>& P_start, const UhfSettings& settings,
                  const StepListener& report) {
    return run_uhf_from(system, start_densities(system, P_start), settings, report);
}

UhfResult run_uhf_from(const SpinSystem& system, std::vector<Matrix<double>> P_start, const UhfSettings& settings,
                       const StepListener& report) {
    SpinLoopSettings loop;
    loop.last_step = settings.max_iterations;
    loop.second_order_from = settings.max_iterations - settings.max_iterations * second_order_percent / 100;
    // DIIS has stalled, as it does near a saddle point of the energy: leave along the
    // lowest orbital Hessian mode of the present orbitals when it is negative, and start a
    // fresh history (from the densities of the present orbitals otherwise).
    const StallEscape escape = [&system](const SpinRun& last, std::vector<Matrix<double>>& P) {
        const LowestMode mode = lowest_mode(system, last, escape_tolerance);
        P = rotated_densities(system, last.channels[0], last.channels[1], mode.vector,
                              mode.eigenvalue < 0.0 ? follow_angle : 0.0);
        return true;
    };
    // Each run (the first and every follow-up) has a trust region of its own.
    auto newton = [&system]() {
        auto region = std::make_shared<TrustRegion>(system);
        return SecondOrderStep([region](const std::vector<Matrix<double>>& P, const std::vector<Matrix<double>>& F,
                                        double energy) { return region->next(P, F, energy); });
    };
    SpinRun run;
    converge_diis(system, std::move(P_start), loop, report, escape, run, newton());
    UhfResult r = as_result(run, UhfResult{});

    while (settings.check_stability && r.converged) {
        const LowestMode mode = lowest_mode(system, run, stability_tolerance);
        r.stability_checked = true;
        r.lowest_hessian_eigenvalue = mode.eigenvalue;
        r.stable = !(mode.eigenvalue < instability_threshold);
        if (r.stable || r.instabilities_followed >= max_followed_instabilities) break;
        // Rotate the occupied orbitals along the unstable mode and converge again;
        // keep the new solution only if it is lower.
        SpinRun next_run = run;
        converge_diis(system, rotated_densities(system, run.channels[0], run.channels[1], mode.vector, follow_angle),
                      loop, report, escape, next_run, newton());
        UhfResult next = as_result(next_run, r);
        ++next.instabilities_followed;
        if (!next.converged || !(next.energy < r.energy - diis_energy_threshold)) {
            r.iterations = next.iterations;
            r.instabilities_followed = next.instabilities_followed;
            if (!next.converged) {
                r = next;  // the limit was reached: report the last step as it is
            }
            break;
        }
        r = next;
        run = std::move(next_run);
    }
    r.s_squared = s_squared(r.channels[0].C, r.channels[1].C, system.S, system.occupied[0], system.occupied[1]);
    return r;
}
