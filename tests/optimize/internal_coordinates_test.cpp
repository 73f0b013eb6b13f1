#include "optimize/internal_coordinates.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

struct Geometry {
    std::string name;
    std::vector<unsigned> z;
    std::vector<double> x;  // bohr
    unsigned bonds, angles, linear_bends, dihedrals;  // counted by hand from the structure
};

// Water; HCN (linear: two bends per straight angle); a water dimer (two fragments joined by
// their closest pair O...H); hydrogen peroxide (a dihedral); ammonia (its pyramid).
const std::vector<Geometry> geometries = {
    {"water", {8, 1, 1}, {0, 0, 0.22, 0, 1.43, -0.89, 0, -1.43, -0.89}, 2, 1, 0, 0},
    {"HCN", {1, 6, 7}, {0, 0, -3.0, 0, 0, -1.0, 0.01, 0, 1.18}, 2, 0, 2, 0},
    {"water dimer", {8, 1, 1, 8, 1, 1},
     {0, 0, 0, 1.8, 0, 0.3, -0.4, 1.7, 0.2, 5.5, 0.1, 0.2, 6.1, -1.5, 0.6, 6.2, 1.2, -0.9}, 5, 5, 0, 4},
    {"H2O2", {8, 8, 1, 1}, {0, 1.4, 0, 0, -1.4, 0, 1.7, 1.7, 0.4, -1.5, -1.7, 0.9}, 3, 2, 0, 1},
    {"ammonia", {7, 1, 1, 1}, {0, 0, 0.2, 1.77, 0, -0.5, -0.885, 1.53, -0.5, -0.885, -1.53, -0.5}, 3, 3, 0, 1},
};

TEST(InternalCoordinates, SetsAndWilsonBAgainstCentralDifferences) {
    const double h = 1e-5;
    for (const Geometry& g : geometries) {
        SCOPED_TRACE(g.name);
        const std::vector<InternalCoordinate> q = redundant_internals(g.x, g.z);
        unsigned count[4] = {0, 0, 0, 0};
        for (const InternalCoordinate& c : q) ++count[static_cast<int>(c.kind)];
        EXPECT_EQ(count[0], g.bonds);
        EXPECT_EQ(count[1], g.angles);
        EXPECT_EQ(count[2], g.linear_bends);
        EXPECT_EQ(count[3], g.dihedrals);
        const Matrix<double> B = wilson_b(q, g.x);
        for (std::size_t i = 0; i < g.x.size(); ++i) {
            std::vector<double> plus = g.x, minus = g.x;
            plus[i] += h;
            minus[i] -= h;
            const std::vector<double> d = coordinate_differences(q, coordinate_values(q, plus), coordinate_values(q, minus));
            for (std::size_t k = 0; k < q.size(); ++k)
                EXPECT_NEAR(B[static_cast<int>(k)][static_cast<int>(i)], d[k] / (2 * h), 1e-7)
                    << "coordinate " << k << " Cartesian " << i;
        }
    }
}

// Values against closed forms: the water angle, a dihedral through the wrap at 180 degrees.
TEST(InternalCoordinates, ValuesAndDihedralWrap) {
    InternalCoordinate angle;
    angle.kind = CoordinateKind::angle;
    angle.atoms = {1, 0, 2, 0};
    EXPECT_NEAR(coordinate_value(angle, {0, 0, 0, 1, 0, 0, 0, 2, 0}), std::acos(0.0), 1e-15);
    InternalCoordinate torsion;
    torsion.kind = CoordinateKind::dihedral;
    torsion.atoms = {0, 1, 2, 3};
    // trans: |phi| = pi; a slight twist either way lands on either side of the wrap.
    const double pi = std::acos(-1.0);
    const double a = coordinate_value(torsion, {1, 1, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0.01});
    const double b = coordinate_value(torsion, {1, 1, 0, 0, 1, 0, 0, 0, 0, -1, 0, -0.01});
    EXPECT_NEAR(std::fabs(a), pi - 0.01, 1e-4);
    EXPECT_NEAR(coordinate_differences({torsion}, {a}, {b})[0], a > 0 ? -0.02 : 0.02, 1e-4);
}

}  // namespace
