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

// Function names in Molden's order: Cartesian d xx, yy, zz, xy, xz, yz and f as Molden
// lists them (its [GTO] section), beyond g x power descending; pure m 0, +1, -1, +2, -2.
TEST(Shell, FunctionOrder) {
    struct Case { unsigned L; bool pure; unsigned k; const char* name; };
    const Case cases[] = {{0, false, 0, ""},     {1, false, 0, "x"},     {1, false, 2, "z"},    {2, false, 0, "xx"},
                          {2, false, 1, "yy"},   {2, false, 2, "zz"},    {2, false, 3, "xy"},   {2, false, 4, "xz"},
                          {2, false, 5, "yz"},   {3, false, 0, "xxx"},   {3, false, 3, "xyy"},  {3, false, 9, "xyz"},
                          {4, false, 5, "xyyy"}, {5, false, 1, "xxxxy"}, {5, false, 20, "zzzzz"}, {1, true, 1, "y"},
                          {2, true, 0, "0"},     {2, true, 1, "+1"},     {2, true, 4, "-2"},    {3, true, 6, "-3"}};
    for (const Case& c : cases) EXPECT_EQ(function_name(c.L, c.pure, c.k), c.name) << c.L << " " << c.k;
    // Every function of a shell has powers summing to L, and no two are alike.
    for (unsigned L = 0; L <= 5; ++L)
        for (unsigned k = 0; k < shell_size(L, false); ++k) {
            const auto p = cartesian_powers(L, k);
            EXPECT_EQ(p[0] + p[1] + p[2], L);
            for (unsigned j = 0; j < k; ++j) EXPECT_NE(cartesian_powers(L, j), p);
        }
}
