#include "scf/two_electron.h"

#include "scf/fock.h"
#include "scf/scatter.h"

std::vector<Matrix<double>> TwoElectronOperator::G_each(const std::vector<Matrix<double>>& D) const {
    std::vector<Matrix<double>> out;
    for (const Matrix<double>& d : D) out.push_back(G(d));
    return out;
}

std::vector<Matrix<double>> TwoElectronOperator::K_each(const std::vector<Matrix<double>>& D) const {
    std::vector<Matrix<double>> out;
    for (const Matrix<double>& d : D) out.push_back(K(d));
    return out;
}

Matrix<double> two_electron_from_distinct(const Matrix<double>& P, const TwoElectronTable& te_table) {
    const int n = P.rows();
    Matrix<double> A(n, n);
    if (n == 0) return A;
    for_each_table_bra(te_table.data(), static_cast<std::size_t>(n), [&](std::size_t i, std::size_t j, auto&& kets) {
        scatter_g_bra(i, j, P[0], A[0], static_cast<std::size_t>(n), kets);
    });
    return symmetrised(A);
}

Matrix<double> TableOperator::G(const Matrix<double>& D) const {
    return all_quadruples_ ? two_electron_reference(D, table_) : two_electron_from_distinct(D, table_);
}

TwoElectronOperator::JK TableOperator::jk(const std::vector<Matrix<double>>& densities) const {
    const PackedDensities packed(densities);
    HalfJK half(packed.n, packed.m);
    if (packed.n > 0)
        for_each_table_bra(table_.data(), packed.n, [&](std::size_t i, std::size_t j, auto&& kets) {
            scatter_jk_bra(i, j, packed.T.data(), packed.P.data(), half.J.data(), half.K.data(), packed.n, packed.m,
                           kets);
        });
    JK out;
    half.finish(out.J, out.K);
    return out;
}

Matrix<double> TableOperator::K(const Matrix<double>& D) const {
    const int n = D.rows();
    Matrix<double> A(n, n);
    if (n == 0) return A;
    for_each_table_bra(table_.data(), static_cast<std::size_t>(n), [&](std::size_t i, std::size_t j, auto&& kets) {
        scatter_k_bra(i, j, D[0], A[0], static_cast<std::size_t>(n), kets);
    });
    return symmetrised(A);
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
