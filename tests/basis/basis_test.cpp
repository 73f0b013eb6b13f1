#include "basis/basis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "common/failure.h"

namespace {

const char* const p_orbitals[3] = {"2px", "2py", "2pz"};

std::vector<GTO> primitives(const std::string& type, const std::string& orbital, unsigned Z,
                            Vec3 centre = Vec3()) {
    Basis basis;
    basis.setType(type);
    basis.set(orbital, Z, centre);
    return basis.getGTOs();
}

// <phi|phi> of a one-centre contraction of normalised s or p primitives:
//   S_ij = (pi/(a_i+a_j))^(3/2)           (s)
//   S_ij = (pi/(a_i+a_j))^(3/2) / (2(a_i+a_j))  (p, same axis)
// times c_i c_j N_i N_j. STO-nG contractions are fitted to be normalised,
// so this is 1 to the precision of the published coefficients.
double self_overlap(const std::vector<GTO>& g) {
    double sum = 0.0;
    for (const GTO& a : g)
        for (const GTO& b : g) {
            const double p = a.alpha + b.alpha;
            double s = std::pow(M_PI / p, 1.5);
            if (a.l + a.m + a.n == 1) s /= 2.0 * p;
            sum += a.c * b.c * a.norm * b.norm * s;
        }
    return sum;
}

TEST(Basis, HydrogenSto3gRowExactly) {
    const Vec3 r(0.1, -0.2, 1.4);
    const std::vector<GTO> g = primitives("sto-3g", "1s", 1, r);
    ASSERT_EQ(g.size(), 3u);
    const double alpha[3] = {3.42525091, 0.62391373, 0.1688554};
    const double c[3] = {0.15432897, 0.53532814, 0.44463454};
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(g[k].alpha, alpha[k]);
        EXPECT_EQ(g[k].c, c[k]);
        EXPECT_EQ(g[k].l + g[k].m + g[k].n, 0u);
        EXPECT_EQ(g[k].position.x, 0.1);
        EXPECT_EQ(g[k].position.y, -0.2);
        EXPECT_EQ(g[k].position.z, 1.4);
    }
}

TEST(Basis, OxygenRowsSpotValues) {
    // 2s and 2p share exponents and differ in coefficients.
    const std::vector<GTO> s3 = primitives("sto-3g", "2s", 8);
    const std::vector<GTO> p3 = primitives("sto-3g", "2pz", 8);
    ASSERT_EQ(s3.size(), 3u);
    ASSERT_EQ(p3.size(), 3u);
    EXPECT_EQ(s3[2].alpha, 0.380389);
    EXPECT_EQ(p3[2].alpha, 0.380389);
    EXPECT_EQ(s3[0].c, -0.09996723);
    EXPECT_EQ(p3[0].c, 0.15591627);

    const std::vector<GTO> s6 = primitives("sto-6g", "1s", 8);
    const std::vector<GTO> p6 = primitives("sto-6g", "2px", 8);
    ASSERT_EQ(s6.size(), 6u);
    ASSERT_EQ(p6.size(), 6u);
    EXPECT_EQ(s6[0].alpha, 1355.584234);
    EXPECT_EQ(s6[5].c, 0.1303340841);
    EXPECT_EQ(p6[5].alpha, 0.245880606);
    EXPECT_EQ(p6[0].c, 0.0037596966);
}

TEST(Basis, RowSizesPerElement) {
    for (const char* type : {"sto-3g", "sto-6g"}) {
        const size_t n = std::string(type) == "sto-3g" ? 3 : 6;
        for (unsigned Z = 1; Z <= 2; ++Z) {
            EXPECT_EQ(primitives(type, "1s", Z).size(), n) << type << " Z=" << Z;
            EXPECT_TRUE(primitives(type, "2s", Z).empty()) << type << " Z=" << Z;
            EXPECT_TRUE(primitives(type, "2px", Z).empty()) << type << " Z=" << Z;
        }
        for (unsigned Z = 3; Z <= 8; ++Z)
            for (const char* orb : {"1s", "2s", "2px", "2py", "2pz"})
                EXPECT_EQ(primitives(type, orb, Z).size(), n) << type << " " << orb << " Z=" << Z;
        for (unsigned Z : {0u, 11u, 100u}) EXPECT_TRUE(primitives(type, "1s", Z).empty()) << Z;
        for (const char* orb : {"3s", "2p", "1S", ""}) EXPECT_TRUE(primitives(type, orb, 6).empty()) << orb;
    }
}

TEST(Basis, POrientationForEveryElementAndSet) {
    for (const char* type : {"sto-3g", "sto-6g"})
        for (unsigned Z = 3; Z <= 10; ++Z)
            for (int axis = 0; axis < 3; ++axis)
                for (const GTO& g : primitives(type, p_orbitals[axis], Z)) {
                    EXPECT_EQ(g.l, axis == 0 ? 1u : 0u) << type << " Z=" << Z << " " << p_orbitals[axis];
                    EXPECT_EQ(g.m, axis == 1 ? 1u : 0u) << type << " Z=" << Z << " " << p_orbitals[axis];
                    EXPECT_EQ(g.n, axis == 2 ? 1u : 0u) << type << " Z=" << Z << " " << p_orbitals[axis];
                }
}

TEST(Basis, ExponentsDescendAndContractionsNormalised) {
    for (const char* type : {"sto-3g", "sto-6g"})
        for (unsigned Z = 1; Z <= 10; ++Z)
            for (const char* orb : {"1s", "2s", "2py"}) {
                const std::vector<GTO> g = primitives(type, orb, Z);
                if (g.empty()) continue;
                for (size_t k = 1; k < g.size(); ++k)
                    EXPECT_GT(g[k - 1].alpha, g[k].alpha) << type << " Z=" << Z << " " << orb;
                EXPECT_NEAR(self_overlap(g), 1.0, 2e-5) << type << " Z=" << Z << " " << orb;
            }
}

TEST(Basis, HydrogenSelfOverlapSlightlyBelowOne) {
    const double s = self_overlap(primitives("sto-3g", "1s", 1));
    EXPECT_LT(s, 1.0);
    EXPECT_NEAR(s, 1.0, 2e-8);
}

TEST(Basis, ConsecutiveSetsDoNotAccumulate) {
    Basis basis;
    basis.setType("sto-6g");
    basis.set("1s", 6, Vec3());
    const std::vector<GTO> first = basis.getGTOs();
    basis.set("2py", 6, Vec3(0, 0, 1));
    const std::vector<GTO> second = basis.getGTOs();
    ASSERT_EQ(second.size(), 6u);
    for (const GTO& g : second) EXPECT_EQ(g.m, 1u);
    EXPECT_EQ(second[0].alpha, 30.4972395);
    ASSERT_EQ(first.size(), 6u);  // the earlier copy is unaffected
    EXPECT_EQ(first[0].alpha, 742.7370491);
    basis.set("2s", 1, Vec3());
    EXPECT_TRUE(basis.getGTOs().empty());
}

TEST(Basis, UnknownTypeFails) {
    for (const char* type : {"STO-3G", "Sto-6g", "sto-3g ", "undefined", ""}) {
        Basis basis;
        basis.setType(type);
        try {
            basis.set("1s", 1, Vec3());
            ADD_FAILURE() << "no Failure for type \"" << type << "\"";
        } catch (const Failure& f) {
            EXPECT_EQ(f.message, "Unrecognized basis set");
            EXPECT_EQ(f.status, 1);
        }
    }
    Basis fresh;
    EXPECT_EQ(fresh.type, "undefined");
    EXPECT_THROW(fresh.set("1s", 1, Vec3()), Failure);
}

TEST(Basis, AddersTakeExponentFirst) {
    Basis basis;
    basis.addGTO_pz(2.5, 0.75, Vec3(1, 2, 3));
    ASSERT_EQ(basis.gtos.size(), 1u);
    EXPECT_EQ(basis.gtos[0].alpha, 2.5);
    EXPECT_EQ(basis.gtos[0].c, 0.75);
    EXPECT_EQ(basis.gtos[0].n, 1u);
}

}  // namespace
