#include "report/verdict.h"

#include <cctype>
#include <iomanip>
#include <sstream>

#include "common/failure.h"

namespace {

std::string energy_text(double e) {
    std::ostringstream os;
    os << std::fixed << std::setprecision(8) << e;
    return os.str();
}

std::string number_text(double x) {
    std::ostringstream os;
    os << std::setprecision(3) << x;
    return os.str();
}

std::string eigenvalue_text(double x) {
    std::ostringstream os;
    os << std::fixed << std::setprecision(6) << x;
    return os.str();
}

// Where a solution came from, as the messages name it.
std::string start_name(ReportedStart start) {
    switch (start) {
    case ReportedStart::atomic_density: return "the atomic-density start";
    case ReportedStart::core_hamiltonian: return "the core-Hamiltonian start";
    case ReportedStart::wolfsberg_helmholz: return "the Wolfsberg-Helmholz start";
    case ReportedStart::occupation_swap: return "a frontier occupation swap";
    case ReportedStart::density_mixing: return "the density-mixing loop continued by DIIS";
    }
    return "";
}

}  // namespace

Verdict verdict(const Calculation& calc) {
    if (!calc.result.converged) return {exit_status::not_converged, nonconvergence_message(calc)};
    // An open shell is checked inside its own (UHF) run: its stability only.
    if (calc.channels() == 2) {
        if (calc.stability_checked && !calc.stable) return {exit_status::unstable, instability_message(calc)};
        return {};
    }
    const char* const scf = calc.diis ? "the DIIS SCF" : "the SCF";
    const ConvergenceCheck& c = calc.convergence;
    if (c.first_step)
        return {exit_status::not_converged, std::string("velko: ") + scf +
                                                " met its energy test at step 1, against the starting value; the "
                                                "energy reported is not a converged one"};
    if (!c.consistency.density_ok())
        return {exit_status::not_converged,
                std::string("velko: ") + scf + " did not reach a self-consistent state: the density of the reported " +
                    "orbitals differs from the density of the reported energy by " +
                    number_text(c.consistency.density_difference) + " (at most " +
                    number_text(c.consistency.density_tolerance) + " allowed); the energy reported is not reliable" +
                    (calc.diis ? "" : "; try --diis")};
    if (!c.consistency.commutator_ok())
        return {exit_status::not_converged,
                std::string("velko: ") + scf + " did not reach a self-consistent state: the Fock and density " +
                    "matrices do not commute (|X^T (FPS - SPF) X| = " + number_text(c.consistency.commutator) +
                    ", at most " + number_text(c.consistency.commutator_tolerance) +
                    " allowed); the energy reported is not reliable" + (calc.diis ? "" : "; try --diis")};
    if (!calc.stable) {
        std::string m = "velko: the SCF solution is unstable: the lowest eigenvalue of its RHF->RHF orbital Hessian is " +
                        eigenvalue_text(calc.lowest.eigenvalue) + " Hartree, so a lower closed-shell state exists";
        if (calc.diis)
            m += "; following " + std::to_string(calc.instabilities_followed) + " instabilities did not reach a stable one";
        else
            m += "; try --diis";
        return {exit_status::unstable, m};
    }
    if (calc.lower_found)
        return {exit_status::unstable, "velko: a lower SCF solution exists, at " + energy_text(calc.lower_energy) +
                                           " Hartree from " + start_name(calc.lower_start) + "; try --diis"};
    return {};
}

std::vector<std::string> search_notes(const Calculation& calc) {
    std::vector<std::string> notes;
    const bool other_start = calc.start != ReportedStart::atomic_density;
    if (other_start) {
        std::string from = start_name(calc.start);
        from[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(from[0])));
        // Another start is reported only for a stable solution, or, of an open shell, when
        // no start reached one, for a converged solution where the first start reached none.
        std::string note = from + " reached a lower " + (calc.stable ? "stable" : "converged") +
                           " solution than the atomic-density start (";
        note += calc.first_start_stable ? energy_text(calc.first_start_energy) + " Hartree"
                                        : std::string("which reached no stable solution");
        notes.push_back(note + "); it is reported, after " + std::to_string(calc.result.iterations) +
                        " iterations of its own");
    }
    for (const FollowedInstability& f : calc.followed)
        notes.push_back(std::string(other_start ? "On that start, unstable" : "Unstable") + " solution after iteration " +
                        std::to_string(f.step) + " (" + energy_text(f.energy) +
                        " Hartree, lowest RHF->RHF Hessian eigenvalue " + eigenvalue_text(f.eigenvalue) +
                        "): orbitals rotated along it to " + energy_text(f.rotated_energy) +
                        " Hartree, converging again");
    return notes;
}

std::string nonconvergence_message(const Calculation& calc) {
    std::ostringstream msg;
    if (calc.channels() == 2) {
        msg << "velko: the UHF SCF did not converge in " << calc.iteration_limit
            << " iterations; the energy reported is not reliable; try a larger --max-iterations";
    } else if (calc.diis) {
        msg << "velko: the DIIS SCF did not converge in " << calc.iteration_limit
            << " iterations; the energy reported is not reliable; try a larger --max-iterations";
    } else {
        msg << "velko: the SCF did not converge in " << calc.iteration_limit
            << " iterations; the energy reported is not reliable; try --diis";
    }
    return msg.str();
}

std::string instability_message(const Calculation& calc) {
    if (calc.channels() == 1) {
        if (!calc.triplet || !(calc.triplet->eigenvalue < instability_threshold)) return "";
        return "velko: the closed-shell (RHF) solution is unstable towards an unrestricted one: the lowest eigenvalue "
               "of its RHF->UHF (triplet) orbital Hessian is " +
               eigenvalue_text(calc.triplet->eigenvalue) +
               " Hartree, so a triplet or broken-symmetry state lies lower; try --multiplicity 3 (unrestricted)";
    }
    if (!calc.stability_checked || calc.stable) return "";
    std::ostringstream msg;
    msg << "velko: the UHF solution is unstable (lowest orbital Hessian eigenvalue " << std::setprecision(6)
        << calc.lowest.eigenvalue << " Hartree) after following its unstable modes " << calc.instabilities_followed
        << (calc.instabilities_followed == 1 ? " time" : " times")
        << "; a lower solution may exist";
    return msg.str();
}
