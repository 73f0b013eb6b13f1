#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The distinct two-electron integrals (ij|kl) of n real basis functions, chemists'
// notation. With the eightfold symmetry (ij|kl) = (ji|kl) = (ij|lk) = (kl|ij) = ...,
// one value stands for every permutation. It is stored at
//   index(i, j, k, l) = pair(ij, kl),   ij = pair(i, j),   kl = pair(k, l),
//   pair(a, b) = max(a,b) (max(a,b) + 1) / 2 + min(a,b),
// so the entries with i >= j, k >= l, ij >= kl fill 0 .. entries(n) - 1 densely,
// ordered by ij with kl running fastest. 64-bit indices: n beyond 430 would wrap 32.
class TwoElectronTable {
public:
    TwoElectronTable() = default;
    // The table of n functions, every entry -1.0 until computed.
    explicit TwoElectronTable(unsigned n);
    // Takes storage already sized to entries(n) (by the memory check).
    TwoElectronTable(unsigned n, std::vector<double> storage);

    static std::uint64_t pair(std::uint64_t a, std::uint64_t b) {
        return a >= b ? a * (a + 1) / 2 + b : b * (b + 1) / 2 + a;
    }
    static std::uint64_t index(std::uint64_t i, std::uint64_t j, std::uint64_t k, std::uint64_t l) {
        return pair(pair(i, j), pair(k, l));
    }
    // Number of distinct integrals of n functions: index(n-1, n-1, n-1, n-1) + 1.
    static std::uint64_t entries(std::uint64_t n) { return n == 0 ? 0 : index(n - 1, n - 1, n - 1, n - 1) + 1; }

    unsigned functions() const { return n_; }
    std::size_t size() const { return values_.size(); }
    double operator()(std::uint64_t i, std::uint64_t j, std::uint64_t k, std::uint64_t l) const {
        return values_[index(i, j, k, l)];
    }
    double& operator[](std::uint64_t at) { return values_[at]; }
    double operator[](std::uint64_t at) const { return values_[at]; }
    double* data() { return values_.data(); }
    const double* data() const { return values_.data(); }
    const std::vector<double>& values() const { return values_; }

private:
    unsigned n_ = 0;
    std::vector<double> values_;
};
