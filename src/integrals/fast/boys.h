#pragma once

#include <cmath>

#include "integrals/reference/gamma.h"

// Fast Boys function
//   F_m(t) = int_0^1 u^(2m) exp(-t u^2) du,   m = 0 ... boys_max_order,
// evaluated at t' = max(|t|, boys_floor) like Fgamma, to full double precision.
constexpr int boys_max_order = 4;
constexpr double boys_table_end = 36.0;

// Fills F[0 .. m_max] with F_m(t'), m_max <= boys_max_order.
//  t' < boys_table_end: Taylor series of F_(m_max) about the nearest grid point t0,
//      F_m(t0 + d) = sum_k F_(m+k)(t0) (-d)^k / k!, then the downward recursion
//      F_m = (2 t' F_(m+1) + exp(-t')) / (2m + 1), which is stable, with
//      exp(-t') = exp(-t0) exp(t0 - t'), the second factor by its Taylor series.
//  t' >= boys_table_end: asymptotic F_0 = sqrt(pi / t') / 2 (the neglected
//      erfc term is below 1e-17 relative) and the upward recursion
//      F_(m+1) = ((2m + 1) F_m - exp(-t')) / (2 t').
// The grid values come from the series F_m(t) = exp(-t) sum_k (2t)^k / ((2m+1)(2m+3)...(2m+2k+1))
// summed in extended precision once, before main runs.
void boys(int m_max, double t, double* F);

// The grid: row k holds F_m(k * boys_grid_step) for m = 0 ... boys_grid_orders-1,
// then exp(-k * boys_grid_step). Grid spacing and Taylor length: |d| <= 0.025 and
// 8 terms leave a remainder below 0.025^8 / 8! ~ 4e-18 of F_m, and 8 terms of the
// exponential series of d leave 0.025^8 / 8! relative as well.
constexpr double boys_grid_step = 0.05;
constexpr int boys_taylor_terms = 8;
constexpr int boys_grid_orders = boys_max_order + boys_taylor_terms;
constexpr int boys_grid_row = boys_grid_orders + 1;
extern const double* const boys_grid;

// boys() for a fixed highest order M, inline for the integral kernels.
template <int M>
inline void boys_orders(double t, double* F) {
    static_assert(M >= 0 && M <= boys_max_order, "Boys order out of range");
    constexpr double sqrt_pi = 1.7724538509055160273;
    constexpr double inverse_factorial[boys_taylor_terms] = {1.0,       1.0,        1.0 / 2,    1.0 / 6,
                                                             1.0 / 24, 1.0 / 120, 1.0 / 720, 1.0 / 5040};
    double x = std::fabs(t);
    if (x < boys_floor) x = boys_floor;
    if (x >= boys_table_end) {
        F[0] = 0.5 * sqrt_pi / std::sqrt(x);
        if (M == 0) return;
        // Beyond t' = 60, exp(-t') changes no F_m (m <= 4) by 1e-18 of its value.
        const double e = x < 60.0 ? std::exp(-x) : 0.0;
        const double inv_2x = 0.5 / x;
        for (int m = 0; m < M; ++m) F[m + 1] = ((2 * m + 1) * F[m] - e) * inv_2x;
        return;
    }
    const int k = static_cast<int>(x * (1.0 / boys_grid_step) + 0.5);
    const double d = k * boys_grid_step - x;  // t0 - t'
    const double* row = boys_grid + k * boys_grid_row;
    // Horner in d of sum_i F_(M+i)(t0) d^i / i!
    double s = row[M + boys_taylor_terms - 1] * inverse_factorial[boys_taylor_terms - 1];
    for (int i = boys_taylor_terms - 2; i >= 0; --i) s = s * d + row[M + i] * inverse_factorial[i];
    F[M] = s;
    if (M == 0) return;  // the exponential is needed only by the recursion
    double ed = inverse_factorial[boys_taylor_terms - 1];
    for (int i = boys_taylor_terms - 2; i >= 0; --i) ed = ed * d + inverse_factorial[i];
    const double e = row[boys_grid_orders] * ed;
    const double two_x = 2.0 * x;
    constexpr double inverse_odd[boys_max_order] = {1.0, 1.0 / 3, 1.0 / 5, 1.0 / 7};
    for (int m = M - 1; m >= 0; --m) F[m] = (two_x * F[m + 1] + e) * inverse_odd[m];
}
