#pragma once

// Incomplete gamma function and the Boys function
//   F_m(t) = int_0^1 u^(2m) exp(-t u^2) du = 1/2 t^(-m-1/2) gamma(m+1/2, t).
double gammln(double x);
double gser(double a, double x);
// The series of gser and the continued fraction of gcf without their common
// prefactor e^-x x^a / Gamma(a), for callers that have its pieces at hand.
double gser_sum(double a, double x);
double gcf_fraction(double a, double x);
double gcf(double a, double x);
double gammpapprox(double a, double x, int lower);
double gammp(double a, double x);
double gamm_inc(double a, double x);
// Fgamma raises arguments below boys_floor to it: its series and continued fraction
// are not taken to t = 0, and every integral path reproduces this value.
constexpr double boys_floor = 1e-08;
double Fgamma(double m, double t);
