#include "scf/uhf.h"

#include <cmath>
#include <limits>
#include <memory>
#include <utility>

#include "linalg/matfunc.h"
#include "scf/follow.h"
#include "scf/newton.h"
#include "scf/stability.h"

namespace {

// Rotation angle along a unit unstable mode: pi/4 mixes the occupied and virtual orbitals
// of the mode equally, far enough to leave the saddle point behind.
constexpr double follow_angle = 0.25 * 3.14159265358979323846;
// Leaving a stalled DIIS needs only a rough direction: the Davidson residual of the escape.
constexpr double escape_residual_tolerance = 1e-2;
// The share of the step limit left to Newton steps (newton.h) when DIIS has not converged
// by then, whichever run of the search or follow-up is going: DIIS converges well-behaved
// molecules in 2 to 40 steps, and its wandering (with the escape from stalls) reaches lower
// states than a local method; a run still unconverged at step 70 of 100 crawls along a
// flat valley of the energy or circles, and Newton steps converge it in about ten. Handing
// over at step 30 instead reached higher states on 3 of 200 random radicals.
constexpr unsigned second_order_percent = 30;

std::vector<Matrix<double>> rotated_densities(const SpinSystem& system, const SpinRun& run, const FlatVector& mode,
                                              double angle) {
    std::vector<Matrix<double>> P;
    std::size_t offset = 0;
    for (unsigned s = 0; s < 2; ++s) {
        const Matrix<double>& C = run.channels[s].C;
        const unsigned occupied = system.occupied[s];
        P.push_back(orbital_density(rotate_orbitals(C, occupied, mode.data() + offset, angle), occupied, 1.0));
        offset += std::size_t{occupied} * (static_cast<unsigned>(C.cols()) - occupied);
    }
    return P;
}

LowestRotation lowest_mode(const SpinSystem& system, const SpinRun& run, const DavidsonOptions& options) {
    return lowest_rotation({{run.channels[0].C, run.channels[0].energies, system.occupied[0]},
                            {run.channels[1].C, run.channels[1].energies, system.occupied[1]}},
                           unrestricted_response(*system.two_electron), options);
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
        // It rotates along any negative mode, however small: the iteration runs to its
        // tolerance rather than stopping once the sign against instability_threshold is settled.
        DavidsonOptions rough = stability_options(static_cast<unsigned>(system.H.rows()), 2);
        rough.residual_tolerance = escape_residual_tolerance;
        rough.stop_when_settled = false;
        const LowestRotation mode = lowest_mode(system, last, rough);
        P = rotated_densities(system, last, mode.vector, mode.eigenvalue < 0.0 ? follow_angle : 0.0);
        return true;
    };
    // An unstable solution is rotated by follow_angle along its lowest mode and converged
    // again, within the step limit of the whole run; the new solution is kept when lower.
    InstabilityFollowing how;
    how.converge = [&](std::vector<Matrix<double>> P, SpinRun& run) {
        // Each run (the first and every follow-up) has a trust region of its own.
        auto region = std::make_shared<TrustRegion>(system);
        converge_diis(system, std::move(P), loop, report, escape, run,
                      [region](const std::vector<Matrix<double>>& D, const std::vector<Matrix<double>>& F,
                               double energy) { return region->next(D, F, energy); });
    };
    how.usable = [&settings](const SpinRun& run) { return settings.check_stability && run.converged; };
    how.check = [&](const SpinRun& run) {
        return lowest_mode(system, run, stability_options(static_cast<unsigned>(system.H.rows()), 2));
    };
    how.leave = [&](const SpinRun& run, const LowestRotation& lowest, double& energy) {
        energy = std::numeric_limits<double>::quiet_NaN();
        return rotated_densities(system, run, lowest.vector, follow_angle);
    };
    how.keep_lower_only = true;
    const FollowedRun f = follow_instabilities(std::move(P_start), how);

    UhfResult r = as_result(f.run, UhfResult{});
    r.stability_checked = f.checked;
    if (r.stability_checked) r.lowest = f.lowest;
    r.stable = !r.stability_checked || f.stable;
    r.instabilities_followed = static_cast<unsigned>(f.followed.size());
    r.s_squared = s_squared(r.channels[0].C, r.channels[1].C, system.S, system.occupied[0], system.occupied[1]);
    return r;
}
