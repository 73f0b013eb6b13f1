#pragma once

// Primitive Cartesian Gaussian about the centre of its function
//   g(r) = (x-X)^l (y-Y)^m (z-Z)^n exp(-alpha |r-R|^2)
// with contraction coefficient c and normalisation constant norm.
struct GTO {
    double c;
    unsigned l, m, n;
    double alpha;
    double norm;

    GTO(double c, double alpha, unsigned l, unsigned m, unsigned n);

    // N = sqrt(2^(2L+3/2) alpha^(L+3/2) / ((2l-1)!! (2m-1)!! (2n-1)!! pi^(3/2))), L = l+m+n
    double calcnorm() const;
};
