// Shell sizes, letters and the Cartesian order of the functions of a shell.
#include "basis/shell.h"

#include <gtest/gtest.h>

// Function counts: 2L+1 spherical harmonics; (L+1)(L+2)/2 monomials x^l y^m z^n with l+m+n = L.
TEST(Shell, SizeAndLetter) {
    struct Case { unsigned L; bool pure; unsigned size; char letter; };
    const Case cases[] = {{0, false, 1, 's'}, {0, true, 1, 's'}, {1, false, 3, 'p'},  {1, true, 3, 'p'},
                          {2, false, 6, 'd'}, {2, true, 5, 'd'}, {3, false, 10, 'f'}, {3, true, 7, 'f'},
                          {7, false, 36, 'k'}};  // j is not a shell letter
    for (const Case& c : cases) {
        EXPECT_EQ(shell_size(c.L, c.pure), c.size) << c.L << " " << c.pure;
        EXPECT_EQ(shell_letter(c.L), c.letter) << c.L;
        ElementShell shell;
        shell.L = c.L;
        shell.pure = c.pure;
        EXPECT_EQ(shell.size(), c.size);
    }
}

// The Cartesian order x before y before z (the QCSchema "cartesian" order): for each
// x power from L down, the y powers from what is left down.
TEST(Shell, CartesianOrder) {
    struct Case { unsigned L, k; const char* name; };
    const Case cases[] = {{0, 0, ""},   {1, 0, "x"},   {1, 1, "y"},   {1, 2, "z"},   {2, 0, "xx"},
                          {2, 1, "xy"}, {2, 2, "xz"},  {2, 3, "yy"},  {2, 4, "yz"},  {2, 5, "zz"},
                          {3, 0, "xxx"}, {3, 3, "xyy"}, {3, 6, "yyy"}, {3, 9, "zzz"}};
    for (const Case& c : cases) EXPECT_EQ(cartesian_name(c.L, c.k), c.name) << c.L << " " << c.k;
    // Every function of a shell has powers summing to L, and no two are alike.
    for (unsigned L = 0; L <= 4; ++L)
        for (unsigned k = 0; k < shell_size(L, false); ++k) {
            const auto p = cartesian_powers(L, k);
            EXPECT_EQ(p[0] + p[1] + p[2], L);
            for (unsigned j = 0; j < k; ++j) EXPECT_NE(cartesian_powers(L, j), p);
        }
}
