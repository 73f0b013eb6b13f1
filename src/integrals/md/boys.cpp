#include "integrals/md/boys.h"

#include <cmath>
#include <vector>

namespace {

constexpr double grid_step = 0.05;
constexpr double grid_end = 36.0;
constexpr int taylor_terms = 8;
constexpr int grid_orders = boys_any_max_order + taylor_terms;
constexpr int grid_points = static_cast<int>(grid_end / grid_step) + 2;
constexpr double sqrt_pi = 1.7724538509055160273;

// Row k: F_m(k * grid_step) for m = 0 ... grid_orders-1.
std::vector<double> make_grid() {
    std::vector<double> grid(static_cast<std::size_t>(grid_points) * grid_orders);
    for (int k = 0; k < grid_points; ++k) {
        const long double t = static_cast<long double>(k) * grid_step;
        const long double e = std::exp(-t);
        const int top = grid_orders - 1;
        long double term = 1.0L / (2 * top + 1);
        long double sum = term;
        for (int i = 1; i < 4000 && term >= sum * 1e-22L; ++i) {
            term *= (2.0L * t) / (2 * top + 2 * i + 1);
            sum += term;
        }
        long double f = e * sum;
        double* row = &grid[static_cast<std::size_t>(k) * grid_orders];
        row[top] = static_cast<double>(f);
        for (int m = top - 1; m >= 0; --m) {
            f = (2.0L * t * f + e) / (2 * m + 1);
            row[m] = static_cast<double>(f);
        }
    }
    return grid;
}

// i!, exact in double.
constexpr double factorial[taylor_terms] = {1.0, 1.0, 2.0, 6.0, 24.0, 120.0, 720.0, 5040.0};

// Row k, order m: the Taylor coefficients F_(m+i)(k * grid_step) / i!, i = 0 ... taylor_terms-1,
// each the quotient the series has always divided out (not a product with a rounded
// inverse), made once.
std::vector<double> make_series(const std::vector<double>& grid) {
    std::vector<double> series(static_cast<std::size_t>(grid_points) * (boys_any_max_order + 1) * taylor_terms);
    for (int k = 0; k < grid_points; ++k)
        for (int m = 0; m <= boys_any_max_order; ++m)
            for (int i = 0; i < taylor_terms; ++i)
                series[(static_cast<std::size_t>(k) * (boys_any_max_order + 1) + m) * taylor_terms + i] =
                    grid[static_cast<std::size_t>(k) * grid_orders + m + i] / factorial[i];
    return series;
}

const std::vector<double>& series() {
    static const std::vector<double> values = make_series(make_grid());
    return values;
}

// 1/(2m + 1), m = 0 ... boys_any_max_order - 1.
struct OddReciprocals {
    double value[boys_any_max_order];
    constexpr OddReciprocals() : value() {
        for (int m = 0; m < boys_any_max_order; ++m) value[m] = 1.0 / (2 * m + 1);
    }
};
constexpr OddReciprocals odd_reciprocals;

// Products: each division by 2m + 1 or 2t a product with the rounded reciprocal.
template <bool Products>
void boys(int m_max, double t, double* F) {
    if (t >= grid_end) {
        const double e = std::exp(-t);
        F[0] = 0.5 * sqrt_pi / std::sqrt(t);
        if constexpr (Products) {
            const double half_inverse = 0.5 / t;
            for (int m = 0; m < m_max; ++m) F[m + 1] = ((2 * m + 1) * F[m] - e) * half_inverse;
        } else {
            for (int m = 0; m < m_max; ++m) F[m + 1] = ((2 * m + 1) * F[m] - e) / (2.0 * t);
        }
        return;
    }
    const int k = static_cast<int>(t / grid_step + 0.5);
    const double d = k * grid_step - t;  // t0 - t
    const double* c = &series()[(static_cast<std::size_t>(k) * (boys_any_max_order + 1) + m_max) * taylor_terms];
    double s = 0.0;
    // Horner in d of sum_i F_(m_max+i)(t0) d^i / i!
    for (int i = taylor_terms - 1; i >= 0; --i) s = s * d + c[i];
    F[m_max] = s;
    if (m_max == 0) return;
    const double e = std::exp(-t);
    if constexpr (Products) {
        for (int m = m_max - 1; m >= 0; --m) F[m] = (2.0 * t * F[m + 1] + e) * odd_reciprocals.value[m];
    } else {
        for (int m = m_max - 1; m >= 0; --m) F[m] = (2.0 * t * F[m + 1] + e) / (2 * m + 1);
    }
}

}  // namespace

void boys_any(int m_max, double t, double* F) { boys<false>(m_max, t, F); }

void boys_any_by_products(int m_max, double t, double* F) { boys<true>(m_max, t, F); }
