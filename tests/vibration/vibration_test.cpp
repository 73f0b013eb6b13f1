// The vibrational analysis on its own inputs: masses against qcelemental, the point
// groups of a table of shapes, the projection of translations and rotations, and the
// closed forms of a diatomic's wavenumber and IR intensity.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>

#include "linalg/eigsym.h"
#include "molecule/element.h"
#include "vibration/masses.h"
#include "vibration/normal_modes.h"
#include "vibration/point_group.h"

namespace {

struct Shape {
    std::string expected;
    std::vector<std::pair<std::string, Vec3>> atoms;  // bohr
};

// n atoms of `symbol` on a circle of radius r at height z, the first at angle `start` (degrees),
// 360 / of apart (of = 0: n).
std::vector<std::pair<std::string, Vec3>> ring(const std::string& symbol, unsigned n, double r, double z,
                                               double start = 0.0, unsigned of = 0) {
    std::vector<std::pair<std::string, Vec3>> out;
    for (unsigned k = 0; k < n; ++k) {
        const double a = (start + 360.0 * k / (of != 0 ? of : n)) * M_PI / 180.0;
        out.push_back({symbol, Vec3(r * std::cos(a), r * std::sin(a), z)});
    }
    return out;
}

Shape joined(const std::string& expected, std::vector<std::vector<std::pair<std::string, Vec3>>> parts) {
    Shape s{expected, {}};
    for (auto& p : parts) s.atoms.insert(s.atoms.end(), p.begin(), p.end());
    return s;
}

std::vector<std::pair<std::string, Vec3>> dodecahedron() {
    const double phi = (1.0 + std::sqrt(5.0)) / 2.0, s = 2.0;
    std::vector<std::pair<std::string, Vec3>> out;
    for (int i : {-1, 1})
        for (int j : {-1, 1}) {
            for (int k : {-1, 1}) out.push_back({"C", Vec3(s * i, s * j, s * k)});
            out.push_back({"C", Vec3(0.0, s * i / phi, s * j * phi)});
            out.push_back({"C", Vec3(s * i / phi, s * j * phi, 0.0)});
            out.push_back({"C", Vec3(s * i * phi, 0.0, s * j / phi)});
        }
    return out;
}

PointGroup group_of(const Shape& shape) {
    std::vector<Vec3> r;
    std::vector<unsigned> z;
    std::vector<double> m;
    for (const auto& a : shape.atoms) {
        r.push_back(a.second);
        z.push_back(element_number(a.first));
        m.push_back(isotope_mass(z.back()));
    }
    return detect_point_group(r, z, m);
}

TEST(Masses, AgreeWithQcelemental) {
    std::ifstream in(VELKO_SOURCE_DIR "/tests/reference/qcelemental/isotope_masses.txt");
    unsigned z = 0, count = 0;
    double mass = 0.0;
    while (in >> z >> mass) {
        EXPECT_NEAR(isotope_mass(z), mass, 1e-9) << element_symbol(z);
        ++count;
    }
    EXPECT_EQ(count, 36u);
    EXPECT_EQ(isotope_mass(37), 0.0);
}

// Geometries by construction (bohr); the distorted ones move one atom by 0.003-0.004 bohr,
// within the tolerance of 0.01.
TEST(PointGroups, OfShapes) {
    const double t = 0.003;
    const std::vector<Shape> shapes = {
        {"C2v", {{"O", {0, 0, 0.22}}, {"H", {0, 1.43, -0.88}}, {"H", {0, -1.43, -0.88}}}},
        {"C2v", {{"O", {0, 0, 0.22}}, {"H", {0, 1.43 + t, -0.88}}, {"H", {0, -1.43, -0.88 - t}}}},
        joined("C3v", {{{"N", {0, 0, 0.2}}}, ring("H", 3, 1.77, -0.5)}),
        {"Td", {{"C", {0, 0, 0}}, {"H", {1.2, 1.2, 1.2}}, {"H", {-1.2, -1.2, 1.2}}, {"H", {-1.2, 1.2, -1.2}},
                {"H", {1.2, -1.2 + 0.004, -1.2}}}},
        joined("D6h", {ring("C", 6, 2.64, 0), ring("H", 6, 4.68, 0)}),
        joined("D6h", {{{"C", {2.64 + t, 0, 0}}}, ring("C", 5, 2.64, 0, 60, 6), ring("H", 6, 4.68, 0)}),
        joined("D3d", {ring("C", 1, 0, 1.45), ring("C", 1, 0, -1.45), ring("H", 3, 1.93, 2.1), ring("H", 3, 1.93, -2.1, 60)}),
        joined("D2d", {ring("C", 1, 0, 0), ring("C", 1, 0, 2.45), ring("C", 1, 0, -2.45), ring("H", 2, 1.75, 3.5),
                       ring("H", 2, 1.75, -3.5, 90)}),
        joined("D3h", {{{"B", {0, 0, 0}}}, ring("F", 3, 2.46, 0)}),
        {"D2h", {{"C", {0, 0, 1.26}}, {"C", {0, 0, -1.26}}, {"H", {0, 1.74, 2.33}}, {"H", {0, -1.74, 2.33}},
                 {"H", {0, 1.74, -2.33}}, {"H", {0, -1.74, -2.33}}}},
        {"Oh", {{"S", {0, 0, 0}}, {"F", {2.95, 0, 0}}, {"F", {-2.95, 0, 0}}, {"F", {0, 2.95, 0}},
                {"F", {0, -2.95, 0}}, {"F", {0, 0, 2.95}}, {"F", {0, 0, -2.95}}}},
        joined("Ih", {dodecahedron()}),
        {"D∞h", {{"C", {0, 0, 0}}, {"O", {0, 0, 2.2}}, {"O", {0, 0, -2.2}}}},
        {"C∞v", {{"H", {0, 0, -3.0}}, {"C", {0, 0, -1.0}}, {"N", {0, 0, 1.2}}}},
        {"C2", {{"O", {1.37, 0, 0}}, {"O", {-1.37, 0, 0}}, {"H", {1.6, 1.7, 0.6}}, {"H", {-1.6, -1.7, 0.6}}}},
        {"C2h", {{"N", {1.15, 0.2, 0}}, {"N", {-1.15, -0.2, 0}}, {"H", {1.9, 1.8, 0}}, {"H", {-1.9, -1.8, 0}}}},
        {"S4", {{"C", {0, 0, 0}}, {"H", {2, 0.6, 1}}, {"H", {-0.6, 2, -1}}, {"H", {-2, -0.6, 1}}, {"H", {0.6, -2, -1}},
                {"F", {3, -0.4, 0.5}}, {"F", {0.4, 3, -0.5}}, {"F", {-3, 0.4, 0.5}}, {"F", {-0.4, -3, -0.5}}}},
        {"Ci", {{"H", {1, 0.3, 0.2}}, {"H", {-1, -0.3, -0.2}}, {"F", {0.2, 1.9, 0.5}}, {"F", {-0.2, -1.9, -0.5}},
                {"Cl", {0.7, -0.4, 1.6}}, {"Cl", {-0.7, 0.4, -1.6}}}},
        {"Cs", {{"O", {0, 0, 0}}, {"H", {1.8, 0, 0}}, {"Cl", {-0.9, 2.9, 0}}}},
        {"C1", {{"C", {0, 0, 0}}, {"H", {1.2, 1.2, 1.2}}, {"F", {-1.3, -1.3, 1.3}}, {"Cl", {-1.6, 1.6, -1.6}},
                {"Br", {2.0, -2.0, -2.0}}}},
    };
    const std::map<std::string, unsigned> sigma = {{"C2v", 2}, {"C3v", 3}, {"Td", 12}, {"D6h", 12}, {"D3d", 6},
                                                   {"D2d", 4}, {"D3h", 6}, {"D2h", 4}, {"Oh", 24}, {"Ih", 60},
                                                   {"D∞h", 2}, {"C∞v", 1}, {"C2", 2}, {"C2h", 2}, {"S4", 2},
                                                   {"Ci", 1}, {"Cs", 1}, {"C1", 1}};
    for (std::size_t k = 0; k < shapes.size(); ++k) {
        const PointGroup g = group_of(shapes[k]);
        EXPECT_EQ(g.name, shapes[k].expected) << "shape " << k;
        EXPECT_EQ(g.symmetry_number, sigma.at(shapes[k].expected)) << "shape " << k;
    }
}

// A Hessian that is not invariant under translations and rotations (seeded pseudo-random):
// projected, it keeps exactly 6 zero eigenvalues (5 for a linear molecule).
TEST(NormalModes, TranslationsAndRotationsProjectedOut) {
    struct Case {
        std::vector<Vec3> positions;
        std::vector<double> masses;
        unsigned zeros;
    };
    const std::vector<Case> cases = {
        {{{0, 0, 0.22}, {0, 1.43, -0.88}, {0, -1.43, -0.88}}, {15.995, 1.008, 1.008}, 6},
        {{{0, 0, 0}, {0, 0, 2.2}, {0, 0, -2.2}}, {12.0, 15.995, 15.995}, 5},
        {{{0.1, 0.2, 0.3}, {2.0, 0.1, -0.4}, {-0.5, 1.9, 0.2}, {0.3, -0.8, 2.1}}, {14.0, 1.0, 2.0, 35.0}, 6},
    };
    unsigned seed = 12345;
    auto next = [&seed]() { return (seed = seed * 1103515245u + 12345u) / 4294967296.0 - 0.5; };
    for (const Case& c : cases) {
        const int dim = 3 * static_cast<int>(c.positions.size());
        Matrix<double> h(dim, dim);
        for (int i = 0; i < dim; ++i)
            for (int j = 0; j <= i; ++j) h[i][j] = h[j][i] = next() + (i == j ? 2.0 : 0.0);
        Matrix<double> U;
        std::vector<double> w;
        Eigsym(projected_hessian(c.positions, c.masses, h), U, w);
        unsigned zeros = 0;
        for (double x : w) zeros += std::fabs(x) < 1e-12;
        EXPECT_EQ(zeros, c.zeros);
        EXPECT_EQ(normal_modes(c.positions, c.masses, h).count(), static_cast<unsigned>(dim) - c.zeros);
    }
}

// A diatomic spring of force constant k between 1H and 35Cl: wavenumber
// sqrt(k / mu) * 5140.48714 cm^-1, reduced mass 1 / |x|^2 of the Cartesian displacement x of unit
// mass-weighted norm, m1 m2 (m1 + m2) / (m1^2 + m2^2) (sqrt(E_h / (a_0^2 u)) / (2 pi c), CODATA 2018, worked out
// by hand) and, with charges +-q moving with the atoms, intensity 974.880112 q^2 / mu km/mol.
TEST(NormalModes, DiatomicClosedForms) {
    const double k = 0.32, q = 0.41, m1 = 1.00782503223, m2 = 34.968852682, mu = m1 * m2 / (m1 + m2);
    Matrix<double> h(6, 6);
    h[2][2] = h[5][5] = k;
    h[2][5] = h[5][2] = -k;
    const NormalModes modes = normal_modes({{0, 0, 0}, {0, 0, 2.4}}, {m1, m2}, h);
    ASSERT_EQ(modes.count(), 1u);
    EXPECT_TRUE(modes.linear);
    EXPECT_NEAR(modes.wavenumbers[0], std::sqrt(k / mu) * 5140.48714, 1e-4);
    EXPECT_NEAR(modes.reduced_masses[0], mu * (m1 + m2) * (m1 + m2) / (m1 * m1 + m2 * m2), 1e-12);
    std::array<std::vector<double>, 3> dmu{std::vector<double>(6, 0.0), std::vector<double>(6, 0.0),
                                           std::vector<double>(6, 0.0)};
    dmu[2][2] = q;
    dmu[2][5] = -q;
    EXPECT_NEAR(ir_intensities(modes, {m1, m2}, dmu)[0], 974.880112 * q * q / mu, 1e-5);
    h[2][2] = h[5][5] = -k;  // a maximum: imaginary, shown negative
    h[2][5] = h[5][2] = k;
    EXPECT_NEAR(normal_modes({{0, 0, 0}, {0, 0, 2.4}}, {m1, m2}, h).wavenumbers[0], -std::sqrt(k / mu) * 5140.48714, 1e-4);
}

}  // namespace
