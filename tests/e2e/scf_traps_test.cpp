// SCF traps: random small molecules and ions (bench/random_molecules.py) on which the
// search from the atomic densities alone, or with the core Hamiltonian, reported a state
// above the lowest known one as a success, reported an unstable open shell as a success,
// or let the integral path decide the state, or where no start converged within the step
// limit (until Newton steps took over from DIIS). Each must now end, on both integral paths,
// with status 0 on its lowest known state. The energies are Psi4 1.3.2's
// (tests/scf/reference/traps/psi4_traps.txt, inputs beside it): from Psi4's own guesses, or
// where none reaches the state, from velko's orbitals; stable under Psi4's UHF stability
// analysis, or for RHF by the lowest eigenvalue of A + B from Psi4's MO integrals. velko's
// integrals sit up to 1e-8 relative from Psi4's.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include <nlohmann/json.hpp>

#include "run_velko.h"

TEST(ScfTraps, EachMoleculeReachesItsLowestKnownStateOnBothIntegralPaths) {
    struct Case {
        const char* name;     // tests/scf/reference/traps/<name>.xyz
        const char* options;  // open shells: UHF, always DIIS
        double energy;        // Psi4, lowest stable
        const char* before;   // what the earlier search reported with status 0
        bool fast = true;     // checked on the fast integral path too
    };
    const Case cases[] = {
        {"heo_dication_triplet", "", -75.075796946518, "-75.02654 from the atomic densities, 49 mEh above"},
        {"nh_stretched_triplet", "", -54.186785704456, "fast path: -54.10707, 80 mEh above"},
        {"bhe_doublet", "", -26.906710025058, "an unstable state, -26.90667"},
        {"bli_anion_doublet", "", -31.408751413716, "fast path: -31.39458, 14 mEh above"},
        {"bn_triplet", "", -77.936224253484, "-77.90963, 27 mEh above; Psi4's guesses stop unstable"},
        {"h2no_cation", "--diis", -127.796801781178, "-127.79610, 0.7 mEh above"},
        {"hn2_anion", "--diis", -107.249545503878, "-107.24335, 6.2 mEh above"},
        {"h2no_radical", "", -128.501430363845, "-128.42104, 80 mEh above (Psi4's GWH start is lower)"},
        {"no_stretched_doublet", "", -127.518735332487, "-127.41292, 106 mEh above"},
        {"h2bli_anion_doublet", "", -32.351376526342, "no start converged in 100 steps (status 6)"},
        // Not tabled: the H2O2 dication (--diis, lowest known -147.432081349783). Which of its two
        // states the starts reach depends on rounding: the fast path and the 32-bit x86 build end
        // 1.8 mEh above, at -147.43031, a known miss.
    };
    for (const Case& c : cases) {
        for (const char* integrals : {"exact", "fast"}) {
            if (!c.fast && std::string(integrals) == "fast") continue;
            SCOPED_TRACE(std::string(c.name) + " --integrals " + integrals + " (before: " + c.before + ")");
            const std::string json = write_temp(std::string(c.name) + "_" + integrals + ".json", "");
            const RunResult r = run_velko(std::string(c.options) + " --integrals " + integrals + " --json \"" + json +
                                          "\" \"" + source_path(std::string("tests/scf/reference/traps/") + c.name + ".xyz") +
                                          "\"");
            EXPECT_EQ(r.status, 0) << r.err;
            const nlohmann::json doc = nlohmann::json::parse(read_text(json));
            EXPECT_EQ(doc["success"], true);
            EXPECT_NEAR(doc["return_result"].get<double>(), c.energy, 1e-8 * std::fabs(c.energy));
        }
    }
}
