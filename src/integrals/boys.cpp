#include "integrals/boys.h"

#include <cmath>
#include <vector>

namespace {

// Grid spacing and Taylor length: |d| <= 0.05 and 10 terms leave a remainder
// below 0.05^10 / 10! ~ 3e-20 of F_m.
constexpr double grid_step = 0.1;
constexpr int taylor_terms = 10;
constexpr int table_orders = boys_max_order + taylor_terms;
constexpr int grid_points = static_cast<int>(boys_table_end / grid_step) + 2;

// F_m(t) for m = 0 ... table_orders-1 at t = k * grid_step, row k.
struct BoysTable {
    std::vector<double> values;

    BoysTable() : values(static_cast<std::size_t>(grid_points) * table_orders) {
        for (int k = 0; k < grid_points; ++k) {
            // The grid point exactly as boys() forms it.
            const long double t = static_cast<long double>(k * grid_step);
            const long double e = std::exp(-t);
            // Series for the highest order, all terms positive.
            const int top = table_orders - 1;
            long double term = 1.0L / (2 * top + 1);
            long double sum = term;
            for (int i = 1; i < 2000; ++i) {
                term *= (2.0L * t) / (2 * top + 2 * i + 1);
                sum += term;
                if (term < sum * 1e-22L) break;
            }
            long double f = e * sum;
            double* row = &values[static_cast<std::size_t>(k) * table_orders];
            row[top] = static_cast<double>(f);
            for (int m = top - 1; m >= 0; --m) {
                f = (2.0L * t * f + e) / (2 * m + 1);
                row[m] = static_cast<double>(f);
            }
        }
    }
};

const BoysTable& table() {
    static const BoysTable t;
    return t;
}

// 1/k! for the Taylor terms.
constexpr double inverse_factorial[taylor_terms] = {1.0,
                                                    1.0,
                                                    1.0 / 2,
                                                    1.0 / 6,
                                                    1.0 / 24,
                                                    1.0 / 120,
                                                    1.0 / 720,
                                                    1.0 / 5040,
                                                    1.0 / 40320,
                                                    1.0 / 362880};

constexpr double sqrt_pi = 1.7724538509055160273;

}  // namespace

void boys(int m_max, double t, double* F) {
    double x = std::fabs(t);
    if (x < boys_floor) x = boys_floor;
    if (x >= boys_table_end) {
        F[0] = 0.5 * sqrt_pi / std::sqrt(x);
        if (m_max == 0) return;
        const double e = std::exp(-x);
        const double inv_2x = 0.5 / x;
        for (int m = 0; m < m_max; ++m) F[m + 1] = ((2 * m + 1) * F[m] - e) * inv_2x;
        return;
    }
    const int k = static_cast<int>(x / grid_step + 0.5);
    const double d = k * grid_step - x;  // t0 - t'
    const double* row = &table().values[static_cast<std::size_t>(k) * table_orders + m_max];
    // Horner in d of sum_i row[i] d^i / i!
    double s = row[taylor_terms - 1] * inverse_factorial[taylor_terms - 1];
    for (int i = taylor_terms - 2; i >= 0; --i) s = s * d + row[i] * inverse_factorial[i];
    F[m_max] = s;
    if (m_max == 0) return;  // the exponential is needed only by the recursion
    const double e = std::exp(-x);
    for (int m = m_max - 1; m >= 0; --m) F[m] = (2.0 * x * F[m + 1] + e) / (2 * m + 1);
}
