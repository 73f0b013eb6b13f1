#include "basis/atom.h"

#include <gtest/gtest.h>

#include <string>

#include "common/failure.h"

namespace {

Basis basis_of(const char* type) {
    Basis b;
    b.setType(type);
    return b;
}

TEST(Atom, ElementTable) {
    const char* symbols[10] = {"H", "He", "Li", "Be", "B", "C", "N", "O", "F", "Ne"};
    Basis basis = basis_of("sto-3g");
    for (unsigned z = 1; z <= 10; ++z) {
        EXPECT_EQ(element_number(symbols[z - 1]), z);
        const Atom a(symbols[z - 1], 0, 0, 0, basis);
        EXPECT_EQ(a.nucl_chg(), z);
        EXPECT_EQ(a.nrelecs(), z);
        EXPECT_EQ(a.ps(), symbols[z - 1]);
        EXPECT_EQ(a.nrorbs(), z <= 2 ? 1u : 5u) << symbols[z - 1];
        EXPECT_EQ(a.cgfs.size(), a.nrorbs());
    }
    const Atom o("O", 0, 0, 0, basis);
    for (const char* other : {"o", "he", "HE", "Na", "", " H", "H "}) EXPECT_EQ(o.e2z(other), 0u) << other;
}

TEST(Atom, HydrogenAt14) {
    for (const char* type : {"sto-3g", "sto-6g"}) {
        Basis basis = basis_of(type);
        const Atom h("H", 0.0, 0.0, 1.4, basis);
        ASSERT_EQ(h.nrorbs(), 1u);
        EXPECT_EQ(h[0].orb(), "1s");
        EXPECT_EQ(h[0].gtos.size(), std::string(type) == "sto-3g" ? 3u : 6u);
        EXPECT_EQ(h[0].position.z, 1.4);
        for (const GTO& g : h[0].gtos) EXPECT_EQ(g.position.z, 1.4);
        EXPECT_EQ(h.gr().z, 1.4);
    }
}

TEST(Atom, OrbitalOrder) {
    Basis basis = basis_of("sto-6g");
    // Beryllium's 2p functions share the 2s exponents (one 2sp shell) and take the
    // p contraction of the table: 2pz of STO-6G starts with 13.63324744 and 0.0037596966.
    const Atom be("Be", 0, 0, 0, basis);
    ASSERT_EQ(be.nrorbs(), 5u);
    EXPECT_EQ(be[0].orb(), "1s");
    EXPECT_EQ(be[1].orb(), "2s");
    EXPECT_EQ(be[4].orb(), "2pz");
    EXPECT_EQ(be[4].gtos[0].alpha, 13.63324744);
    EXPECT_EQ(be[4].gtos[0].c, 0.0037596966);
    EXPECT_EQ(be[4].gtos[0].n, 1u);
    EXPECT_EQ(be.nrelecs(), 4u);

    const Atom c("C", 1, 2, 3, basis);
    const char* order[5] = {"1s", "2s", "2px", "2py", "2pz"};
    ASSERT_EQ(c.nrorbs(), 5u);
    for (unsigned i = 0; i < 5; ++i) EXPECT_EQ(c[i].orb(), order[i]);
    EXPECT_EQ(c.nrelecs(), 6u);
    for (const GTO& g : c[3].gtos) {
        EXPECT_EQ(g.l, 0u);
        EXPECT_EQ(g.m, 1u);
        EXPECT_EQ(g.n, 0u);
    }
    // Each function holds its own orbital's primitives, not the last one asked for.
    EXPECT_EQ(c[0].gtos[0].alpha, 742.7370491);
    EXPECT_EQ(c[1].gtos[0].c, -0.01325278809);
    EXPECT_EQ(c[4].gtos[0].c, 0.0037596966);
}

TEST(Atom, UnknownSymbolBuildsNothing) {
    Basis basis = basis_of("sto-3g");
    const Atom x("Xx", 0, 0, 0, basis);
    EXPECT_EQ(x.nucl_chg(), 0u);
    EXPECT_EQ(x.nrelecs(), 0u);
    EXPECT_EQ(x.nrorbs(), 0u);
    EXPECT_TRUE(x.cgfs.empty());
    EXPECT_EQ(x.symbol, "Xx");
}

TEST(Atom, UnknownBasisTypeFailsOnConstruction) {
    Basis basis = basis_of("STO-3G");
    try {
        Atom h("H", 0, 0, 0, basis);
        ADD_FAILURE() << "no Failure";
    } catch (const Failure& f) {
        EXPECT_EQ(f.message, "Unrecognized basis set");
        EXPECT_EQ(f.status, 1);
    }
}

TEST(Atom, CopyIsIndependent) {
    Basis basis = basis_of("sto-3g");
    const Atom source("N", 0.5, 0, 0, basis);
    const double alpha = source[2].gtos[1].alpha;
    {
        Atom copy = source;
        ASSERT_EQ(copy.nrorbs(), 5u);
        EXPECT_EQ(copy[2].gtos[1].alpha, alpha);
        copy.cgfs[2].gtos.clear();
        copy.cgfs.pop_back();
    }
    ASSERT_EQ(source.cgfs.size(), 5u);
    ASSERT_EQ(source[2].gtos.size(), 3u);
    EXPECT_EQ(source[2].gtos[1].alpha, alpha);
}

}  // namespace
