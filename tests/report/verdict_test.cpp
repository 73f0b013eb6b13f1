// The exit status of an open-shell run and its line on standard error, for the states its
// search can end in: the documented statuses (README, Exit statuses).
#include <gtest/gtest.h>

#include "report/verdict.h"

TEST(Verdict, AnOpenShellIsASuccessOnlyWhenConvergedAndNotFoundUnstable) {
    struct Case {
        bool converged, checked, stable;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {true, true, true, 0, ""},
        {true, false, true, 0, ""},  // one alpha electron in H's one function: nothing to check
        {false, false, true, 6,
         "velko: the UHF SCF did not converge in 100 iterations; the energy reported is not reliable; try a larger "
         "--max-iterations"},
        {true, true, false, 7,
         "velko: the UHF solution is unstable (lowest orbital Hessian eigenvalue -0.0534 Hartree) after following "
         "its unstable modes 1 time; a lower solution may exist"},
    };
    for (const Case& c : cases) {
        Calculation calc;
        calc.diis = true;
        calc.result.channels.resize(2);  // alpha and beta
        calc.iteration_limit = 100;
        calc.result.converged = c.converged;
        calc.stability_checked = c.checked;
        calc.stable = c.stable;
        calc.lowest.eigenvalue = -0.0534;
        calc.instabilities_followed = 1;
        const Verdict v = verdict(calc);
        EXPECT_EQ(v.status, c.status);
        EXPECT_EQ(v.message, c.message);
    }
}
