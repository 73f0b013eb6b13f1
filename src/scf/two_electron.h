#pragma once

#include <vector>

#include "integrals/eri_table.h"
#include "linalg/matrix.h"

// The closed-shell G = J[P] - 1/2 K[P] from the distinct integrals, each read once in table
// order and scattered to every element it contributes to (scatter.h). P must be symmetric.
Matrix<double> two_electron_from_distinct(const Matrix<double>& P, const TwoElectronTable& te_table);

// The two-electron operator of the SCF: everything the SCF code needs from the
// integrals (ij|kl), whichever way they are held. All densities are symmetric.
//   J[D]_ij = sum_kl (ij|kl) D_kl        (Coulomb)
//   K[D]_ij = sum_kl (ik|jl) D_kl        (exchange)
//   G[D]    = J[D] - 1/2 K[D]            (closed shell, D the total density)
class TwoElectronOperator {
public:
    virtual ~TwoElectronOperator() = default;

    virtual unsigned functions() const = 0;
    virtual Matrix<double> G(const Matrix<double>& D) const = 0;
    // G of a density change dD from one step to the next; may leave out quartets
    // whose contribution is negligible for a change this small (see incremental()).
    virtual Matrix<double> G_change(const Matrix<double>& dD) const { return G(dD); }
    // True when G_change (jk_change) is cheaper than G (jk), so that
    // G(D_n) = G(D_(n-1)) + G_change(D_n - D_(n-1)) pays.
    virtual bool incremental() const { return false; }

    // J of the sum of one or two densities (the spin channels) and K of each, in one pass
    // over the integrals: for Pa and Pb, F_s = H + J[Pa + Pb] - K[P_s] (unrestricted).
    struct JK {
        Matrix<double> J;               // J[sum_s D_s]
        std::vector<Matrix<double>> K;  // K[D_s]
    };
    virtual JK jk(const std::vector<Matrix<double>>& densities) const = 0;
    // J and K of density changes, like G_change.
    virtual JK jk_change(const std::vector<Matrix<double>>& changes) const { return jk(changes); }
    // K[D] alone (the triplet response): the same numbers as jk({D}).K[0].
    virtual Matrix<double> K(const Matrix<double>& D) const { return jk({D}).K.front(); }
    // G and K of several densities, each the same numbers as G(D), K(D) alone; an operator
    // over stored integrals reads them once for all.
    virtual std::vector<Matrix<double>> G_each(const std::vector<Matrix<double>>& D) const;
    virtual std::vector<Matrix<double>> K_each(const std::vector<Matrix<double>>& D) const;

    // The integrals among a few functions (one atom's): with m = f.size(),
    //   out[((a m + b) m + c) m + d] = (f[a] f[b] | f[c] f[d]).
    virtual std::vector<double> block(const std::vector<unsigned>& f) const = 0;
};

// The operator over the dense table of every distinct integral (the exact path and
// small molecules). G is the all-quadruples sum when `all_quadruples` (its order of
// operations is what the exact reports are pinned to), else the distinct-integral scatter.
class TableOperator : public TwoElectronOperator {
public:
    TableOperator(const TwoElectronTable& table, bool all_quadruples) : table_(table), all_quadruples_(all_quadruples) {}
    unsigned functions() const override { return table_.functions(); }
    Matrix<double> G(const Matrix<double>& D) const override;
    JK jk(const std::vector<Matrix<double>>& densities) const override;
    Matrix<double> K(const Matrix<double>& D) const override;
    std::vector<double> block(const std::vector<unsigned>& f) const override;

private:
    const TwoElectronTable& table_;
    bool all_quadruples_;
};
