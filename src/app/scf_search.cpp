#include "app/scf_search.h"

#include <cmath>
#include <optional>
#include <utility>

#include "common/failure.h"
#include "linalg/canorg.h"
#include "scf/roothaan.h"
#include "scf/starts.h"
#include "scf/stability.h"
#include "scf/trust.h"

namespace {

// Up to thorough_search_functions basis functions (scf/stability.h) every start runs: the core
// Hamiltonian, the Wolfsberg-Helmholz guess and the frontier occupation swaps besides the
// atomic densities. There competing solutions are common (stretched bonds, ions and open
// shells of small molecules) and a start costs milliseconds. Beyond, only the
// core-Hamiltonian start runs, and only when the atomic-density start reached no stable
// state: every start would double the SCF time of caffeine (0.5 s) for a check of
// well-behaved closed shells.

// Rounds of frontier swaps: from the lowest solution of the other starts, and once more
// from a lower one that a swap reached.
constexpr unsigned swap_rounds = 2;

bool all_starts(const Matrix<double>& H) { return static_cast<unsigned>(H.rows()) <= thorough_search_functions; }

// Two solutions are distinct states, e below `than`.
bool lower_state(double e, double than) { return e < than - distinct_state_tolerance(than); }

// The closed-shell search after its first (atomic-density) start: `best` holds the lowest
// stable solution of every start tried, or the first start's when none is stable.
struct ClosedShellSearch {
    const HF& hf;  // quiet: the further starts are not listed
    StableSearch best;
    ReportedStart start = ReportedStart::atomic_density;

    void consider(StableSearch other, ReportedStart from) {
        if (!other.scf.finite || !other.stable) return;
        if (best.stable && !lower_state(other.scf.energy, best.scf.energy)) return;
        best = std::move(other);
        start = from;
    }

    void run_starts() {
        const bool all = all_starts(hf.H);
        const int n = hf.H.rows();
        if (!best.stable || all) consider(diis_with_following(hf, Matrix<double>(n, n)), ReportedStart::core_hamiltonian);
        if (all) {
            const Matrix<double> gwh =
                roothaan_step(wolfsberg_helmholz(hf.H, hf.S), hf.X, hf.X_t, hf.occupied, hf.free_order_products).density;
            consider(diis_with_following(hf, gwh), ReportedStart::wolfsberg_helmholz);
            for (unsigned round = 0; round < swap_rounds && best.stable; ++round) {
                const double before = best.scf.energy;
                const Matrix<double> C = best.scf.channels[0].C;
                for (OccupationSwap swap : frontier_swaps(hf.occupied, static_cast<unsigned>(n)))
                    consider(diis_with_following(hf, swapped_density(C, hf.occupied, swap, 2.0)),
                             ReportedStart::occupation_swap);
                if (!lower_state(best.scf.energy, before)) break;
            }
        }
        if (!best.stable) {
            // The density-mixing loop of the default mode, continued by DIIS.
            const SpinRun mixed = hf.iterate();
            if (mixed.finite && check_convergence(hf, mixed).converged)
                consider(diis_with_following(hf, mixed.channels[0].density), ReportedStart::density_mixing);
        }
    }
};

// The open-shell counterpart: converged and stable beats converged, which beats a run
// stopped at its limit; within a rank the distinctly lower energy wins.
int rank(const UhfResult& r) { return !r.converged ? 0 : r.stable ? 2 : 1; }

bool better(const UhfResult& other, const UhfResult& best) {
    if (rank(other) != rank(best)) return rank(other) > rank(best);
    return rank(other) > 0 && lower_state(other.energy, best.energy);
}

// A DIIS continuation that changes the energy by more than this has left the plain loop's
// state instead of refining it (a converged plain loop is within 1e-8 Hartree of its state).
constexpr double tightening_energy_tolerance = 1e-6;

// DIIS from the plain loop's converged density, to the commutator threshold of --diis;
// nothing when it does not converge there or lands elsewhere.
std::optional<SpinRun> tighten(const HF& quiet, const SpinRun& plain) {
    SpinRun tight = quiet.iterate_diis(plain.channels[0].density);
    if (!tight.finite || !tight.converged || !(std::fabs(tight.energy - plain.energy) <= tightening_energy_tolerance))
        return std::nullopt;
    return tight;
}

}  // namespace

void search_scf(Calculation& calc, const HF& hf, const Matrix<double>& atomic_start, const Settings& settings,
                const std::string& path) {
    HF quiet = hf;  // the independent starts are not listed
    quiet.listener = nullptr;
    // A limit set on the command line holds for every loop of the --diis search.
    if (calc.diis && settings.max_iterations != 0) quiet.max_iterations = settings.max_iterations;
    SpinRun scf;
    if (settings.checks == ScfChecks::displacement) {
        // DIIS from the checked state's density; its stability is that state's.
        calc.diis = true;
        scf = hf.iterate_diis(atomic_start);
        if (!scf.finite) throw nonfinite_energy_failure(path, scf.iterations, scf.energy);
        calc.convergence = check_convergence(hf, scf);
        calc.stable = true;
        calc.result = std::move(scf);
        return;
    }
    if (calc.diis) {
        ClosedShellSearch search{quiet, diis_with_following(hf, atomic_start)};
        if (!search.best.scf.finite)
            throw nonfinite_energy_failure(path, search.best.scf.iterations, search.best.scf.energy);
        const double first_energy = search.best.scf.energy;
        const bool first_stable = search.best.stable;
        if (settings.checks == ScfChecks::single_point || !first_stable) search.run_starts();
        calc.start = search.start;
        if (calc.start != ReportedStart::atomic_density) {
            calc.first_start_stable = first_stable;
            calc.first_start_energy = first_energy;
        }
        StableSearch& best = search.best;
        scf = std::move(best.scf);
        calc.convergence = best.check;
        calc.stability_checked = best.check.converged;
        calc.lowest = std::move(best.lowest);
        calc.stable = best.stable;
        calc.followed = std::move(best.followed);
        calc.instabilities_followed = static_cast<unsigned>(calc.followed.size());
    } else {
        scf = hf.iterate();
        if (!scf.finite) throw nonfinite_energy_failure(path, scf.iterations, scf.energy);
        calc.convergence = check_convergence(hf, scf);
        if (calc.convergence.converged) {
            calc.tightened = tighten(quiet, scf);
            calc.stability_checked = true;
            calc.lowest = check_stability(hf, scf);
            calc.stable = !(calc.lowest.eigenvalue < instability_threshold);
        }
        if (calc.stable && settings.checks == ScfChecks::single_point) {
            // The search of --diis, as an independent check.
            ClosedShellSearch search{quiet, diis_with_following(quiet, atomic_start)};
            search.run_starts();
            const StableSearch& other = search.best;
            if (other.scf.finite && other.stable && lower_state(other.scf.energy, scf.energy)) {
                calc.lower_found = true;
                calc.lower_energy = other.scf.energy;
                calc.lower_start = search.start;
            }
        }
    }
    // A closed-shell solution may lie above a UHF one (a triplet, or a broken-symmetry
    // singlet): reported, the RHF answer stands.
    if (calc.stability_checked && settings.checks == ScfChecks::single_point)
        calc.triplet = lowest_triplet_rotation(scf.channels[0].C, scf.channels[0].energies, hf.occupied,
                                               *hf.two_electron_operator);
    calc.result = std::move(scf);
}

void search_uhf(Calculation& calc, const SpinSystem& system, std::vector<Matrix<double>> first_start,
                const UhfSettings& settings, ScfChecks checks, const StepListener& report) {
    const unsigned alpha = system.occupied[0], beta = system.occupied[1];
    UhfSettings first_settings = settings;
    if (checks == ScfChecks::displacement) first_settings.check_stability = false;  // the checked state's
    UhfResult best = run_uhf_from(system, std::move(first_start), first_settings, report);
    const UhfResult first = best;
    // Only a single point, or a step that reached no stable state, searches the other starts.
    const bool search = checks == ScfChecks::single_point || (checks == ScfChecks::geometry_step && rank(best) < 2);
    auto consider = [&](UhfResult other, ReportedStart from) {
        if (!better(other, best)) return;
        best = std::move(other);
        calc.start = from;
    };

    const int n = system.H.rows();
    const bool all = search && all_starts(system.H);
    if (all || (search && rank(best) < 2))
        consider(run_uhf(system, Matrix<double>(n, n), settings, nullptr), ReportedStart::core_hamiltonian);
    if (all) {
        const Orbitals gwh = roothaan_orbitals(wolfsberg_helmholz(system.H, system.S), system.X, system.X_t);
        consider(run_uhf_from(system, {orbital_density(gwh.C, alpha, 1.0), orbital_density(gwh.C, beta, 1.0)}, settings,
                              nullptr),
                 ReportedStart::wolfsberg_helmholz);
        for (unsigned round = 0; round < swap_rounds && best.converged; ++round) {
            const UhfResult base = best;
            for (unsigned s = 0; s < 2; ++s)  // the swaps of each spin, the other spin's density kept
                for (OccupationSwap swap : frontier_swaps(system.occupied[s], static_cast<unsigned>(n))) {
                    std::vector<Matrix<double>> P = {base.channels[0].density, base.channels[1].density};
                    P[s] = swapped_density(base.channels[s].C, system.occupied[s], swap, 1.0);
                    consider(run_uhf_from(system, std::move(P), settings, nullptr), ReportedStart::occupation_swap);
                }
            if (!better(best, base)) break;
        }
    }
    if (calc.start != ReportedStart::atomic_density) {
        calc.first_start_stable = rank(first) == 2;
        calc.first_start_energy = first.energy;
    }
    calc.result = best;
    // The open-shell report names the step limit only when the run stopped there unconverged.
    calc.result.reached_limit = !best.converged && best.iterations >= calc.iteration_limit;
    calc.stability_checked = best.stability_checked;
    calc.lowest = best.lowest;
    calc.stable = best.stable;
    calc.instabilities_followed = best.instabilities_followed;
}
