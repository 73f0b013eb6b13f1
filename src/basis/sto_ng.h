#pragma once

#include "basis/shell.h"

// The shells of one element of an STO-nG table with n primitives per shell: 1s,
// and for Z >= 3 the 2s and 2p shells on the shared 2sp exponents.
ElementBasis sto_ng_element(unsigned Z, int n, const double* e1s, const double* c1s, const double* e2sp,
                            const double* c2s, const double* c2p);
