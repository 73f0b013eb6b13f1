#pragma once

// Fast Boys function
//   F_m(t) = int_0^1 u^(2m) exp(-t u^2) du,   m = 0 ... boys_max_order,
// evaluated at t' = max(|t|, boys_floor) like Fgamma, to full double precision.
constexpr int boys_max_order = 4;
constexpr double boys_floor = 1e-08;

// Fills F[0 .. m_max] with F_m(t'), m_max <= boys_max_order.
//  t' < boys_table_end: Taylor series of F_(m_max) about the nearest grid point,
//      F_m(t0 + d) = sum_k F_(m+k)(t0) (-d)^k / k!, then the downward recursion
//      F_m = (2 t' F_(m+1) + exp(-t')) / (2m + 1), which is stable.
//  t' >= boys_table_end: asymptotic F_0 = sqrt(pi / t') / 2 (the neglected
//      erfc term is below 1e-17 relative) and the upward recursion
//      F_(m+1) = ((2m + 1) F_m - exp(-t')) / (2 t').
// The grid values come from the series F_m(t) = exp(-t) sum_k (2t)^k / ((2m+1)(2m+3)...(2m+2k+1))
// summed in extended precision once, on first use.
void boys(int m_max, double t, double* F);

constexpr double boys_table_end = 36.0;
