#pragma once

#include "integrals/fast/shells.h"
#include "integrals/quartets.h"

// The s/p kernel of fast_eri.h as a source of shell quartets.
class FastQuartets : public QuartetSource {
public:
    explicit FastQuartets(const std::vector<ShellPair>& pairs);
    const std::vector<PairFunctions>& pairs() const override { return functions_; }
    void quartet(std::size_t bra, std::size_t ket, double* out) const override;
    double bound(std::size_t x) const override;

private:
    std::vector<ShellPair> pairs_;  // a copy: the operator outlives the integral engine
    std::vector<PairFunctions> functions_;
};
