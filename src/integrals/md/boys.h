#pragma once

// Boys function of any order the engine needs,
//   F_m(t) = int_0^1 u^(2m) exp(-t u^2) du,   m = 0 ... boys_any_max_order,
// to a relative accuracy of 1e-14 for every t >= 0 (no floor on t).
//  t < 36: Taylor series of F_(m_max) about the nearest point t0 of a grid of
//      step 0.05, F_m(t0 + d) = sum_k F_(m+k)(t0) (-d)^k / k! with 8 terms
//      (remainder below 0.025^8 / 8! ~ 4e-18 of F_m), then the stable downward
//      recursion F_m = (2t F_(m+1) + exp(-t)) / (2m + 1).
//  t >= 36: F_0 = sqrt(pi / t) / 2 (the neglected erfc(sqrt t) is below 1e-17
//      relative) and the upward recursion F_(m+1) = ((2m + 1) F_m - exp(-t)) / (2t),
//      stable while 2m + 1 < 2t.
// The grid is summed once in extended precision from
//   F_m(t) = exp(-t) sum_k (2t)^k / ((2m+1)(2m+3)...(2m+2k+1)).
// (T. Helgaker, P. Jorgensen, J. Olsen, Molecular Electronic-Structure Theory, Wiley 2000, 9.8.)

// Four times the largest shell L (h, 5) plus one: the nuclear derivatives of the
// electron repulsion over four h shells.
constexpr int boys_any_max_order = 21;

// Fills F[0 .. m_max] with F_m(t), 0 <= m_max <= boys_any_max_order, t >= 0.
void boys_any(int m_max, double t, double* F);

// The same with each division a product with a rounded reciprocal: faster, within a few
// units in the last place of boys_any (the same accuracy), for the nuclear derivatives.
void boys_any_by_products(int m_max, double t, double* F);
