#include "scf/diis.h"

#include <cmath>
#include <cstddef>
#include <utility>

#include "linalg/blas.h"
#include "linalg/canorg.h"
#include "linalg/matfunc.h"

Matrix<double> diis_error(const Matrix<double>& F, const Matrix<double>& D, const Matrix<double>& S,
                          const Matrix<double>& X, bool free_order) {
    auto product = [free_order](const Matrix<double>& A, const Matrix<double>& B) {
        return free_order ? gemm(A, B) : matprod(A, B);
    };
    const Matrix<double> FDS = product(product(F, D), S);
    const Matrix<double> SDF = product(product(S, D), F);
    const int n = F.rows();
    Matrix<double> commutator(n, n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) commutator[i][j] = FDS[i][j] - SDF[i][j];
    return free_order ? gemm3(transpose(X), commutator, X) : trimatprod(transpose(X), commutator, X);
}

double max_abs_element(const Matrix<double>& A) {
    double m = 0.0;
    for (int i = 0; i < A.rows(); ++i)
        for (int j = 0; j < A.cols(); ++j) m = std::fmax(m, std::fabs(A[i][j]));
    return m;
}

double frobenius_dot(const Matrix<double>& A, const Matrix<double>& B) {
    double s = 0.0;
    for (int i = 0; i < A.rows(); ++i)
        for (int j = 0; j < A.cols(); ++j) s += A[i][j] * B[i][j];
    return s;
}

bool solve_linear(std::vector<std::vector<double>> A, std::vector<double> b, std::vector<double>& x,
                  double relative_tolerance) {
    const std::size_t n = b.size();
    double scale = 0.0;
    for (const std::vector<double>& row : A)
        for (double a : row) scale = std::fmax(scale, std::fabs(a));
    if (!(scale > 0.0)) return false;
    const double tiny = relative_tolerance * scale;

    for (std::size_t k = 0; k < n; ++k) {
        std::size_t pivot = k;
        for (std::size_t i = k + 1; i < n; ++i)
            if (std::fabs(A[i][k]) > std::fabs(A[pivot][k])) pivot = i;
        if (!(std::fabs(A[pivot][k]) > tiny)) return false;
        std::swap(A[k], A[pivot]);
        std::swap(b[k], b[pivot]);
        for (std::size_t i = k + 1; i < n; ++i) {
            const double f = A[i][k] / A[k][k];
            for (std::size_t j = k; j < n; ++j) A[i][j] -= f * A[k][j];
            b[i] -= f * b[k];
        }
    }
    x.assign(n, 0.0);
    for (std::size_t k = n; k-- > 0;) {
        double s = b[k];
        for (std::size_t j = k + 1; j < n; ++j) s -= A[k][j] * x[j];
        x[k] = s / A[k][k];
    }
    return true;
}

bool diis_coefficients(const std::vector<std::vector<double>>& B, std::vector<double>& c) {
    const std::size_t m = B.size();
    double scale = 0.0;
    for (std::size_t i = 0; i < m; ++i) scale = std::fmax(scale, B[i][i]);
    if (!(scale > 0.0)) return false;

    std::vector<std::vector<double>> A(m + 1, std::vector<double>(m + 1, 0.0));
    std::vector<double> rhs(m + 1, 0.0);
    for (std::size_t i = 0; i < m; ++i) {
        for (std::size_t j = 0; j < m; ++j) A[i][j] = B[i][j] / scale;
        A[i][m] = -1.0;
        A[m][i] = -1.0;
    }
    rhs[m] = -1.0;
    std::vector<double> x;
    if (!solve_linear(A, rhs, x)) return false;
    c.assign(x.begin(), x.begin() + static_cast<std::ptrdiff_t>(m));
    return true;
}

void Diis::add(const Matrix<double>& F, const Matrix<double>& e) {
    focks.push_back(F);
    errors.push_back(e);
    while (focks.size() > max_vectors) {
        focks.pop_front();
        errors.pop_front();
    }
}

Matrix<double> Diis::extrapolate() {
    while (focks.size() > 1) {
        const std::size_t m = focks.size();
        std::vector<std::vector<double>> B(m, std::vector<double>(m));
        for (std::size_t i = 0; i < m; ++i)
            for (std::size_t j = 0; j <= i; ++j) B[i][j] = B[j][i] = frobenius_dot(errors[i], errors[j]);
        std::vector<double> c;
        if (diis_coefficients(B, c)) {
            const int rows = focks.back().rows(), cols = focks.back().cols();
            Matrix<double> F(rows, cols);
            for (std::size_t k = 0; k < m; ++k)
                for (int i = 0; i < rows; ++i)
                    for (int j = 0; j < cols; ++j) F[i][j] += c[k] * focks[k][i][j];
            return F;
        }
        focks.pop_front();
        errors.pop_front();
    }
    return focks.back();
}
