// The exit status and the line on standard error of a finished calculation, for the
// states an SCF search can end in: the documented statuses (README, Exit statuses).
#include <gtest/gtest.h>

#include "report/verdict.h"

namespace {

Calculation open_shell(bool converged, bool checked, bool stable, double eigenvalue) {
    Calculation c;
    c.unrestricted = true;
    c.diis = true;
    c.iteration_limit = 100;
    c.uhf.converged = converged;
    c.uhf.stability_checked = checked;
    c.uhf.stable = stable;
    c.uhf.lowest_hessian_eigenvalue = eigenvalue;
    c.uhf.instabilities_followed = 1;
    return c;
}

}  // namespace

TEST(Verdict, AnOpenShellIsASuccessOnlyWhenConvergedAndNotFoundUnstable) {
    struct Case {
        const char* what;
        Calculation calc;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {"converged and stable", open_shell(true, true, true, 0.02), 0, ""},
        // One alpha electron in the one function of H: no rotation to check.
        {"converged, nothing to check", open_shell(true, false, true, 0.0), 0, ""},
        {"stopped at the limit", open_shell(false, false, true, 0.0), 6,
         "velko: the UHF SCF did not converge in 100 iterations; the energy reported is not reliable; try a larger "
         "--max-iterations"},
        {"converged on a saddle point", open_shell(true, true, false, -0.0534), 7,
         "velko: the UHF solution is unstable (lowest orbital Hessian eigenvalue -0.0534 Hartree) after following "
         "its unstable modes 1 time; a lower solution may exist"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Verdict v = verdict(c.calc);
        EXPECT_EQ(v.status, c.status);
        EXPECT_EQ(v.message, c.message);
    }
}

TEST(Verdict, TheDefaultModeNamesTheStartThatFoundTheLowerState) {
    const std::pair<ReportedStart, const char*> starts[] = {
        {ReportedStart::atomic_density, "the atomic-density start"},
        {ReportedStart::core_hamiltonian, "the core-Hamiltonian start"},
        {ReportedStart::wolfsberg_helmholz, "the Wolfsberg-Helmholz start"},
        {ReportedStart::occupation_swap, "a frontier occupation swap"},
    };
    for (const auto& [start, name] : starts) {
        Calculation c;
        c.scf.converged = true;
        c.convergence.converged = true;
        c.stability_checked = true;
        c.stable = true;
        c.lower_found = true;
        c.lower_energy = -378.0145;
        c.lower_start = start;
        const Verdict v = verdict(c);
        EXPECT_EQ(v.status, 7);
        EXPECT_EQ(v.message,
                  std::string("velko: a lower SCF solution exists, at -378.01450000 Hartree from ") + name + "; try --diis");
    }
}
