#include "basis/basis_file.h"

#include <gtest/gtest.h>

#include <string>

#include "common/failure.h"

namespace {

enum Format { g94, nw };

BasisFile parse(Format format, const std::string& text) {
    return format == g94 ? parse_gaussian94(text, "t.bas") : parse_nwchem(text, "t.bas");
}

// Each malformed file is refused as bad input naming the file, the line and what was expected.
struct Refusal {
    Format format;
    std::string text;
    int line;
    const char* expected;  // part of the message after "expected "
};

const char nul_text[] = "H 0\nS 1 1.00\n 1.0\0 1.0\n****\n";

const Refusal refusals[] = {
    {g94, "H 0\nS 1 1.00\n 1.0 1.0\n", 3, "a shell line or \"****\" closing the block of H, found the end"},
    {g94, "Xx 0\nS 1 1.00\n 1.0 1.0\n****\n", 1, "an element line: symbol and 0"},
    {g94, "H 1\nS 1 1.00\n 1.0 1.0\n****\n", 1, "an element line: symbol and 0 (such as \"C 0\"), found \"H 1\""},
    {g94, "H 0\nQ 1 1.00\n 1.0 1.0\n****\n", 2, "a shell type S, P, D, F, G, H, SP or L, found \"Q\""},
    {g94, "H 0\nI 1 1.00\n 1.0 1.0\n****\n", 2, "a shell of angular momentum up to H (L = 5)"},
    {g94, "H 0\nS 0 1.00\n****\n", 2, "the number of primitives as a whole number of one or more"},
    {g94, "H 0\nS 1 -1.0\n 1.0 1.0\n****\n", 2, "a positive scale factor"},
    {g94, "H 0\nS 2 1.00\n 1.0 1.0\n****\n", 4, "a primitive line: exponent and coefficient, found \"****\""},
    {g94, "H 0\nS 1 1.00\n -1.0 1.0\n****\n", 3, "a positive number for the exponent"},
    {g94, "H 0\nS 1 1.00\n 1.0D+999 1.0\n****\n", 3, "a positive number for the exponent"},
    {g94, "H 0\nS 1 1.00\n 1.0 x\n****\n", 3, "a number for the contraction coefficient"},
    {g94, "H 0\nS 1 1.00\n 1.0 1.0 2.0\n****\n", 3, "a primitive line: exponent and coefficient"},
    {g94, "H 0\nSP 1 1.00\n 1.0 1.0\n****\n", 3, "a primitive line: exponent, s and p coefficient"},
    {g94, "H 0\nS 1 1.00\n 1.0 1.0\n****\nh 0\nS 1 1.00\n 2.0 1.0\n****\n", 5, "each element once"},
    {g94, "! nothing but a comment\n", 1, "at least one element block"},
    {g94, "H 0\n****\n", 2, "a shell line (such as \"S 3 1.00\") for H"},
    {g94, std::string(nul_text, sizeof nul_text - 1), 3, "text, found a NUL byte"},
    {nw, "basis\nH S\n 1.0 1.0\n", 3, "a shell line (such as \"C S\") or END closing the BASIS block of line 1, found the end"},
    {nw, "ECP\nH nelec 0\nend\n", 1, "a BASIS block (effective core potentials are not supported)"},
    {nw, "basis \"ao basis\" spherical fancy\nH S\n 1.0 1.0\nend\n", 1, "SPHERICAL, CARTESIAN, PRINT or NOPRINT"},
    {nw, "basis \"ao\nH S\n 1.0 1.0\nend\n", 1, "a closing quote after the block name"},
    {nw, "basis\nH S\nend\n", 3, "primitive lines \"exponent coefficient\" for the shell of line 2, found \"end\""},
    {nw, "basis\nH SP\n 1.0 1.0\nend\n", 3, "an exponent, an s and a p coefficient"},
    {nw, "basis\nH S\n 1.0 1.0 0.5\n 2.0 1.0\nend\n", 4, "an exponent and 2 coefficients, as above"},
    {nw, "basis spherical\nH S\n 1.0 1.0\nend\nbasis\nC S\n 1.0 1.0\nend\n", 5,
     "the function kind of the block at line 1 (SPHERICAL)"},
    {nw, "basis\nXx S\n 1.0 1.0\nend\n", 2, "an element symbol starting a shell"},
    {nw, "basis\nH K\n 1.0 1.0\nend\n", 2, "a shell of angular momentum up to H"},
    {nw, "title \"water\"\n", 1, "a BASIS block (BASIS ... END)"},
    {nw, "basis\nend\n", 2, "a BASIS block with at least one shell"},
};

TEST(BasisFile, RefusalsNameFileLineAndExpectation) {
    for (const Refusal& r : refusals) {
        try {
            parse(r.format, r.text);
            ADD_FAILURE() << "accepted:\n" << r.text;
        } catch (const Failure& f) {
            EXPECT_EQ(f.status, exit_status::bad_input);
            const std::string head =
                "Error in basis-set file \"t.bas\", line " + std::to_string(r.line) + ": expected " + r.expected;
            EXPECT_EQ(f.message.compare(0, head.size(), head), 0) << f.message << "\n  wanted: " << head;
        }
    }
}

// One carbon set written in both formats: an S of two primitives with a Fortran
// exponent, an SP, and a D whose scale factor 2 multiplies its exponent by 4.
const char* const carbon_g94 =
    "cartesian\n! test set\n****\nC 0\nS 2 1.00\n 71.6168370D+00 0.15432897\n 13.0450960 0.53532814\n"
    "SP 1 1.00\n 2.9412494 -0.09996723 0.15591627\nD 1 2.00\n 0.8 1.0\n****\n";
const char* const carbon_nwchem =
    "# test set\nBASIS \"ao basis\" CARTESIAN PRINT\nC S\n 71.6168370 0.15432897\n 13.0450960 0.53532814\n"
    "C SP\n 2.9412494 -0.09996723 0.15591627\nc d\n 3.2 1.0\nEND\n";

TEST(BasisFile, SameShellsFromBothFormats) {
    for (const char* text : {carbon_g94, carbon_nwchem}) {
        const BasisFile b = parse(text == carbon_g94 ? g94 : nw, text);
        EXPECT_EQ(b.kind, FunctionKind::cartesian);
        ASSERT_EQ(b.elements.size(), 1u);
        const ElementBasis& c = b.elements.at(6);
        ASSERT_EQ(c.size(), 4u);
        const int l[4] = {0, 0, 1, 2};
        const double first_exponent[4] = {71.6168370, 2.9412494, 2.9412494, 3.2};
        const double first_coefficient[4] = {0.15432897, -0.09996723, 0.15591627, 1.0};
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(c[k].L, static_cast<unsigned>(l[k]));
            EXPECT_FALSE(c[k].pure);
            EXPECT_DOUBLE_EQ(c[k].exponents[0], first_exponent[k]);
            EXPECT_EQ(c[k].coefficients[0], first_coefficient[k]);
        }
        EXPECT_EQ(c[0].exponents.size(), 2u);
        EXPECT_EQ(c[0].coefficients[1], 0.53532814);
    }
}

// A generally contracted NWChem shell is one shell per coefficient column; a
// block that names no kind is Cartesian, as NWChem reads it.
TEST(BasisFile, NwchemGeneralContractionIsOneShellPerColumn) {
    const BasisFile b = parse(nw, "basis\nO S\n 10.0 0.5 0.0\n 1.0 0.5 1.0\nend\n");
    EXPECT_EQ(b.kind, FunctionKind::cartesian);
    const ElementBasis& o = b.elements.at(8);
    ASSERT_EQ(o.size(), 2u);
    EXPECT_EQ(o[0].coefficients, (std::vector<double>{0.5, 0.5}));
    EXPECT_EQ(o[1].coefficients, (std::vector<double>{0.0, 1.0}));
    EXPECT_EQ(o[1].exponents, (std::vector<double>{10.0, 1.0}));
}

}  // namespace
