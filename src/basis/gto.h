#pragma once

#include "basis/vec3.h"

// Primitive Cartesian Gaussian
//   g(r) = (x-X)^l (y-Y)^m (z-Z)^n exp(-alpha |r-R|^2)
// with contraction coefficient c and normalisation constant norm.
struct GTO {
    double c;
    unsigned l, m, n;
    double alpha;
    Vec3 position;
    double norm;

    GTO(double c, Vec3 position, double alpha, unsigned l, unsigned m, unsigned n);

    // N = sqrt(2^(2L+3/2) alpha^(L+3/2) / ((2l-1)!! (2m-1)!! (2n-1)!! pi^(3/2))), L = l+m+n
    double calcnorm() const;
};
