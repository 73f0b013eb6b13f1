#include "scf/triplet_stability.h"

#include <vector>

LowestRotation lowest_triplet_rotation(const Matrix<double>& C, const Matrix<double>& F, unsigned nocc,
                                       const TwoElectronOperator& two_electron) {
    const TwoElectronBuilder minus_half_exchange = [&two_electron](const Matrix<double>& D) {
        Matrix<double> K = two_electron.jk({D}).K.front();
        for (int i = 0; i < K.rows(); ++i)
            for (int j = 0; j < K.cols(); ++j) K[i][j] *= -0.5;
        return K;
    };
    return lowest_rhf_rotation(C, F, nocc, minus_half_exchange, true, triplet_residual_tolerance);
}
