#include "scf/two_electron.h"

#include "scf/fock.h"
#include "scf/scatter.h"

Matrix<double> TableOperator::G(const Matrix<double>& D) const {
    return all_quadruples_ ? two_electron_reference(D, table_) : two_electron_from_distinct(D, table_);
}

std::vector<TwoElectronOperator::JK> TableOperator::jk(const std::vector<Matrix<double>>& densities) const {
    const int n = static_cast<int>(table_.functions());
    std::vector<HalfJK> half(densities.size(), HalfJK(n));
    std::size_t index = 0;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j <= i; ++j)
            for (int k = 0; k <= i; ++k) {
                const int l_end = (k == i) ? j : k;
                for (int l = 0; l <= l_end; ++l, ++index) {
                    const double v = degeneracy(i, j, k, l) * table_[index];
                    for (std::size_t d = 0; d < densities.size(); ++d) scatter_jk(i, j, k, l, v, densities[d], half[d]);
                }
            }
    std::vector<JK> out;
    for (const HalfJK& h : half) out.push_back(JK{symmetrised(h.J), symmetrised(h.K)});
    return out;
}

std::vector<double> TableOperator::block(const std::vector<unsigned>& f) const {
    const std::size_t m = f.size();
    std::vector<double> out(m * m * m * m);
    std::size_t at = 0;
    for (std::size_t a = 0; a < m; ++a)
        for (std::size_t b = 0; b < m; ++b)
            for (std::size_t c = 0; c < m; ++c)
                for (std::size_t d = 0; d < m; ++d) out[at++] = table_(f[a], f[b], f[c], f[d]);
    return out;
}
