#include "app/scf_search.h"

#include <cmath>
#include <optional>
#include <utility>

#include "common/failure.h"
#include "scf/triplet_stability.h"
#include "scf/trust.h"

namespace {

// --diis runs its second start always up to this many basis functions (see below).
constexpr unsigned second_start_functions = 30;

// A DIIS continuation that changes the energy by more than this has left the plain loop's
// state instead of refining it (a converged plain loop is within 1e-8 Hartree of its state).
constexpr double tightening_energy_tolerance = 1e-6;

// DIIS from the plain loop's converged density, to the commutator threshold of --diis;
// nothing when it does not converge there or lands elsewhere.
std::optional<ScfResult> tighten(const HF& quiet, const ScfResult& plain) {
    ScfResult tight = quiet.iterate_diis(plain.density);
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
    if (settings.diis && settings.max_iterations != 0) quiet.max_iterations = settings.max_iterations;
    if (settings.diis) {
        StableSearch search = diis_with_following(hf, atomic_start);
        if (!search.scf.finite) throw nonfinite_energy_failure(path, search.scf);
        // Second opinions, not listed: the core-Hamiltonian start, and when neither DIIS run
        // reaches a stable solution, the density-mixing loop of the default mode continued
        // by DIIS. The lowest stable solution is reported. The core start runs always for
        // up to second_start_functions basis functions, where competing states are common
        // (stretched bonds of small molecules) and a run costs milliseconds; beyond, only
        // when the atomic-density start reached no stable state: it would double the SCF
        // time of caffeine (0.5 s) for a check of well-behaved closed shells.
        const double first_energy = search.scf.energy;
        const bool first_stable = search.stable;
        auto consider = [&](StableSearch other, ReportedStart start) {
            if (!other.scf.finite || !other.stable) return;
            if (search.stable && !(other.scf.energy < search.scf.energy - distinct_state_tolerance(search.scf.energy)))
                return;
            search = std::move(other);
            calc.start = start;
        };
        if (!search.stable || static_cast<unsigned>(hf.H.rows()) <= second_start_functions)
            consider(diis_with_following(quiet, Matrix<double>(hf.H.rows(), hf.H.cols())),
                     ReportedStart::core_hamiltonian);
        if (!search.stable) {
            const ScfResult mixed = quiet.iterate();
            if (mixed.finite && check_convergence(quiet, mixed).converged)
                consider(diis_with_following(quiet, mixed.density), ReportedStart::density_mixing);
        }
        if (calc.start != ReportedStart::atomic_density) {
            calc.first_start_stable = first_stable;
            calc.first_start_energy = first_energy;
        }
        calc.scf = std::move(search.scf);
        calc.convergence = search.check;
        calc.stability_checked = search.check.converged;
        calc.lowest = std::move(search.lowest);
        calc.stable = search.stable;
        calc.followed = std::move(search.followed);
    } else {
        calc.scf = hf.iterate();
        if (!calc.scf.finite) throw nonfinite_energy_failure(path, calc.scf);
        calc.convergence = check_convergence(hf, calc.scf);
        if (calc.convergence.converged) {
            calc.tightened = tighten(quiet, calc.scf);
            calc.stability_checked = true;
            calc.lowest = check_stability(hf, calc.scf);
            calc.stable = !(calc.lowest.eigenvalue < instability_threshold);
        }
        if (calc.stable) {
            // The --diis path from the atomic densities, as an independent start.
            const StableSearch other = diis_with_following(quiet, atomic_start);
            if (other.scf.finite && other.stable &&
                other.scf.energy < calc.scf.energy - distinct_state_tolerance(calc.scf.energy)) {
                calc.lower_found = true;
                calc.lower_energy = other.scf.energy;
            }
        }
    }
    // A closed-shell solution may lie above a UHF one (a triplet, or a broken-symmetry
    // singlet): reported, the RHF answer stands.
    if (calc.stability_checked)
        calc.triplet = lowest_triplet_rotation(calc.scf.C, calc.scf.fock, hf.occupied, *hf.two_electron_operator);
}
