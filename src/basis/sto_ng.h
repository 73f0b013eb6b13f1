#pragma once

#include "basis/shell.h"

// The shells of one element of an STO-nG table with n primitives per shell: 1s,
// and for Z >= 3 the 2s and 2p shells on the shared 2sp exponents.
ElementBasis sto_ng_element(unsigned Z, int n, const double* e1s, const double* c1s, const double* e2sp,
                            const double* c2s, const double* c2p);

// One row of an STO-nG table: the exponents of an element, in descending order.
template <int N>
struct StoNgRow {
    double e1s[N];
    double e2sp[N];  // shared by 2s and 2p; unused for H and He
};

// The library of an STO-nG table of H ... Ne (rows[Z - 1]) with its contraction
// coefficients, which depend only on the shell.
template <int N>
BasisLibrary sto_ng_library(const StoNgRow<N> (&rows)[10], const double (&c1s)[N], const double (&c2s)[N],
                            const double (&c2p)[N]) {
    BasisLibrary library;
    for (unsigned Z = 1; Z <= 10; ++Z) {
        const StoNgRow<N>& row = rows[Z - 1];
        library[Z] = sto_ng_element(Z, N, row.e1s, c1s, row.e2sp, c2s, c2p);
    }
    return library;
}
