#pragma once

#include <cstddef>
#include <vector>

// The function pairs of one shell pair a >= b: (first[f], second[f]), first >= second,
// every pair of the two shells' functions, only i >= j when a == b.
struct PairFunctions {
    unsigned a = 0, b = 0;
    std::vector<unsigned> first, second;
};

// The shell quartets of a basis, for the screened two-electron operator: the shell pairs
// a >= b in the order (0,0), (1,0), (1,1), (2,0), ..., and the integrals of any two.
class QuartetSource {
public:
    virtual ~QuartetSource() = default;
    virtual const std::vector<PairFunctions>& pairs() const = 0;
    // out[f * pairs()[ket].first.size() + g] = (ij|kl), (i, j) function pair f of bra, (k, l) g of ket.
    virtual void quartet(std::size_t bra, std::size_t ket, double* out) const = 0;
    // A bound on sqrt|(ij|ij)| over the function pairs of pair x, what the kernel leaves
    // out included, so that |(ij|kl)| <= bound(x) bound(y) (Cauchy-Schwarz).
    virtual double bound(std::size_t x) const = 0;
};
