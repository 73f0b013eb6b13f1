// The overlap of two occupied spaces, one table (closed forms: 1 for one space, 0 when an
// occupied orbital is swapped for a virtual one, S-orthogonal to the whole occupied space).
#include <gtest/gtest.h>

#include <utility>

#include "../test_molecules.h"
#include "app/run.h"
#include "report/listing.h"
#include "scf/same_state.h"

namespace {

TEST(SameState, OccupiedSpaceOverlap) {
    Listing quiet(false);
    const Calculation ref = compute_rhf(water(), Settings{}, "water", quiet);
    Molecule moved = water();
    moved.atoms[1].position.x += 0.005;
    const StartDensities start = ref.result.densities();
    Settings displaced;
    displaced.checks = ScfChecks::displacement;
    const Calculation near = compute_scf(moved, ref.spin, displaced, "water", quiet, &start);
    SpinRun swapped = ref.result;  // the HOMO swapped for the LUMO
    Matrix<double>& C = swapped.channels[0].C;
    const int homo = static_cast<int>(swapped.channels[0].occupied) - 1;
    for (int mu = 0; mu < C.rows(); ++mu) std::swap(C[mu][homo], C[mu][homo + 1]);
    SpinRun two = ref.result;  // another number of channels
    two.channels.push_back(two.channels[0]);

    const struct {
        const char* what; const SpinRun& b; const Matrix<double>& S; double expected, tolerance;
    } cases[] = {
        {"itself", ref.result, ref.S, 1.0, 1e-12},
        {"displaced 0.005 bohr, DIIS from its density", near.result, near.S, 1.0, 1e-3},
        {"HOMO swapped for the LUMO", swapped, ref.S, 0.0, 1e-12},
        {"two channels against one", two, ref.S, 0.0, 0.0},
    };
    EXPECT_TRUE(near.result.converged);
    for (const auto& c : cases)
        EXPECT_NEAR(occupied_space_overlap(ref.result, c.b, c.S), c.expected, c.tolerance) << c.what;
}

}  // namespace
