#include "basis/basis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "common/failure.h"

namespace {

const ElementShell& shell_of(const std::string& type, unsigned Z, unsigned k) {
    return builtin_basis(type).at(Z).at(k);
}

// <phi|phi> of a one-centre contraction of normalised s or p primitives:
//   S_ij = (2 sqrt(a_i a_j) / (a_i + a_j))^(3/2)        (s)
//   S_ij = (2 sqrt(a_i a_j) / (a_i + a_j))^(5/2)        (p, same axis)
// times c_i c_j. STO-nG contractions are fitted to be normalised,
// so this is 1 to the precision of the published coefficients.
double self_overlap(const ElementShell& s) {
    double sum = 0.0;
    for (std::size_t i = 0; i < s.exponents.size(); ++i)
        for (std::size_t j = 0; j < s.exponents.size(); ++j) {
            const double a = s.exponents[i], b = s.exponents[j];
            sum += s.coefficients[i] * s.coefficients[j] * std::pow(2.0 * std::sqrt(a * b) / (a + b), 1.5 + s.L);
        }
    return sum;
}

TEST(Basis, HydrogenSto3gRowExactly) {
    const ElementShell& h = shell_of("sto-3g", 1, 0);
    ASSERT_EQ(h.exponents.size(), 3u);
    const double alpha[3] = {3.42525091, 0.62391373, 0.1688554};
    const double c[3] = {0.15432897, 0.53532814, 0.44463454};
    EXPECT_EQ(h.L, 0u);
    EXPECT_FALSE(h.pure);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(h.exponents[k], alpha[k]);
        EXPECT_EQ(h.coefficients[k], c[k]);
    }
}

TEST(Basis, OxygenRowsSpotValues) {
    // 2s and 2p share exponents and differ in coefficients.
    const ElementShell& s3 = shell_of("sto-3g", 8, 1);
    const ElementShell& p3 = shell_of("sto-3g", 8, 2);
    ASSERT_EQ(s3.exponents.size(), 3u);
    ASSERT_EQ(p3.exponents.size(), 3u);
    EXPECT_EQ(s3.L, 0u);
    EXPECT_EQ(p3.L, 1u);
    EXPECT_EQ(s3.exponents[2], 0.380389);
    EXPECT_EQ(p3.exponents[2], 0.380389);
    EXPECT_EQ(s3.coefficients[0], -0.09996723);
    EXPECT_EQ(p3.coefficients[0], 0.15591627);

    const ElementShell& s6 = shell_of("sto-6g", 8, 0);
    const ElementShell& p6 = shell_of("sto-6g", 8, 2);
    ASSERT_EQ(s6.exponents.size(), 6u);
    ASSERT_EQ(p6.exponents.size(), 6u);
    EXPECT_EQ(s6.exponents[0], 1355.584234);
    EXPECT_EQ(s6.coefficients[5], 0.1303340841);
    EXPECT_EQ(p6.exponents[5], 0.245880606);
    EXPECT_EQ(p6.coefficients[0], 0.0037596966);
    // Beryllium's 2p shell takes the shared 2sp exponents and the p contraction.
    EXPECT_EQ(shell_of("sto-6g", 4, 2).exponents[0], 13.63324744);
    EXPECT_EQ(shell_of("sto-6g", 6, 0).exponents[0], 742.7370491);
    EXPECT_EQ(shell_of("sto-6g", 6, 1).coefficients[0], -0.01325278809);
}

// H and He: one s shell; Li ... Ne: s, s, p; nothing outside H ... Ne.
TEST(Basis, ShellsPerElement) {
    for (const char* type : {"sto-3g", "sto-6g"}) {
        const std::size_t n = std::string(type) == "sto-3g" ? 3 : 6;
        const BasisLibrary& library = builtin_basis(type);
        EXPECT_EQ(library.size(), 10u);
        for (unsigned Z = 1; Z <= 10; ++Z) {
            const ElementBasis& shells = library.at(Z);
            ASSERT_EQ(shells.size(), Z <= 2 ? 1u : 3u) << type << " Z=" << Z;
            for (std::size_t k = 0; k < shells.size(); ++k) {
                EXPECT_EQ(shells[k].L, k == 2 ? 1u : 0u);
                EXPECT_FALSE(shells[k].pure);
                EXPECT_EQ(shells[k].exponents.size(), n);
                EXPECT_EQ(shells[k].coefficients.size(), n);
            }
        }
        for (unsigned Z : {0u, 11u, 100u}) EXPECT_EQ(library.count(Z), 0u) << Z;
    }
}

TEST(Basis, ExponentsDescendAndContractionsNormalised) {
    for (const char* type : {"sto-3g", "sto-6g"})
        for (const auto& [Z, shells] : builtin_basis(type))
            for (const ElementShell& s : shells) {
                for (std::size_t k = 1; k < s.exponents.size(); ++k)
                    EXPECT_GT(s.exponents[k - 1], s.exponents[k]) << type << " Z=" << Z;
                EXPECT_NEAR(self_overlap(s), 1.0, 2e-5) << type << " Z=" << Z << " L=" << s.L;
            }
}

TEST(Basis, HydrogenSelfOverlapSlightlyBelowOne) {
    const double s = self_overlap(shell_of("sto-3g", 1, 0));
    EXPECT_LT(s, 1.0);
    EXPECT_NEAR(s, 1.0, 2e-8);
}

TEST(Basis, UnknownTypeFails) {
    for (const char* type : {"STO-3G", "Sto-6g", "sto-3g ", "undefined", ""}) {
        try {
            builtin_basis(type);
            ADD_FAILURE() << "no Failure for type \"" << type << "\"";
        } catch (const Failure& f) {
            EXPECT_EQ(f.message, "Unrecognized basis set");
            EXPECT_EQ(f.status, 1);
        }
    }
}

}  // namespace
