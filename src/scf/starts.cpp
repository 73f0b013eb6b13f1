#include "scf/starts.h"

#include "scf/guess.h"

namespace {

// The Wolfsberg-Helmholz constant of Hoffmann's extended Hueckel theory: the coupling of two
// functions relative to their mean diagonal element and overlap.
constexpr double wolfsberg_helmholz_k = 1.75;

}  // namespace

Matrix<double> wolfsberg_helmholz(const Matrix<double>& H, const Matrix<double>& S) {
    const int n = H.rows();
    Matrix<double> F(n, n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            F[i][j] = i == j ? H[i][i] : 0.5 * wolfsberg_helmholz_k * (H[i][i] + H[j][j]) * S[i][j];
    return F;
}

std::vector<OccupationSwap> frontier_swaps(unsigned occupied, unsigned functions) {
    std::vector<OccupationSwap> swaps;
    if (occupied == 0) return swaps;
    const unsigned homo = occupied - 1, lumo = occupied;
    if (lumo < functions) swaps.push_back({homo, lumo});
    if (lumo < functions && homo >= 1) swaps.push_back({homo - 1, lumo});
    if (lumo + 1 < functions) swaps.push_back({homo, lumo + 1});
    return swaps;
}

Matrix<double> swapped_density(const Matrix<double>& C, unsigned occupied, OccupationSwap swap, double weight) {
    std::vector<double> n(static_cast<std::size_t>(C.cols()), 0.0);
    for (unsigned k = 0; k < occupied; ++k) n[k] = weight;
    n[swap.from] = 0.0;
    n[swap.to] = weight;
    return occupied_density(C, n);
}
