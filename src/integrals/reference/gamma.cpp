#include "integrals/reference/gamma.h"

#include <algorithm>
#include <cmath>

#include "common/failure.h"

// Regularised incomplete gamma P(a, x) by series, continued fraction or quadrature,
// after the classical Numerical Recipes scheme; ln Gamma by a 14-term Lanczos-type
// series. The Boys function follows from F_m(t) = 1/2 t^(-m-1/2) Gamma(m+1/2) P(m+1/2, t).

namespace {

constexpr double eps = 2.220446049250313e-16;          // 2^-52, machine epsilon
constexpr double tiny = 1.0020841800044864e-292;       // 2^-970, smallest normal / eps
constexpr double lanczos_shift = 5.2421875;            // 671/128
constexpr double sqrt_two_pi = 2.5066282746310007;

constexpr double lanczos[14] = {
    57.15623566586292,      -59.59796035547549,     14.136097974741746,    -0.4919138160976202,
    3.399464998481189e-05,  4.652362892704858e-05,  -9.837447530487956e-05, 0.0001580887032249125,
    -0.00021026444172410488, 0.00021743961811521265, -0.0001643181065367639, 8.441822398385275e-05,
    -2.6190838401581408e-05, 3.6899182659531625e-06};

// 18 Gauss-Legendre nodes and weights on (0, 1): the upper half of the 36-point rule
// shifted to [0, 2].
constexpr double gl_y[18] = {
    0.0021695375159141994, 0.011413521097787704, 0.027972308950302116, 0.05172701560049242,
    0.08250222548434094,   0.12007019910960293,  0.1641528330075247,   0.21442376986779355,
    0.27051082840644336,   0.33199876341447887,  0.39843234186401943,  0.46931971407375483,
    0.5441360555665797,    0.6223274528803108,   0.7033150046559717,   0.7864991076831345,
    0.8712638961906152,    0.9569818015262914};
constexpr double gl_w[18] = {
    0.005565719664244557, 0.01291594728406542, 0.020181515297735382, 0.027298621498568734,
    0.03421381077029954,  0.04087575092364326, 0.04723508349026558,  0.05324471397775969,
    0.0588601442453248,   0.06403979735501548, 0.06874532383573641,  0.07294188500565309,
    0.07659841064587064,  0.07968782891207167, 0.0821872667043397,   0.08407821897966195,
    0.08534668573933872,  0.08598327567039482};

}  // namespace

// ln Gamma(x) = ln( sqrt(2 pi) s(x) / x ) + (x + 1/2) ln(q) - q,  q = x + 671/128,
//   s(x) = c0 + sum_{j=1}^{14} k_j / (x + j)
double gammln(double x) {
    if (!(x > 0.0))
        throw Failure{"Bad argument in gammln", exit_status::numerical};
    const double q = x + lanczos_shift;
    double s = 0.9999999999999971;
    double z = x;
    for (int j = 0; j < 14; ++j) {
        z = z + 1.0;
        s = s + lanczos[j] / z;
    }
    return std::log((s * sqrt_two_pi) / x) + ((x + 0.5) * std::log(q) - q);
}

// sum_n x^n / (a (a+1) ... (a+n)), summed until a term no longer changes the sum.
double gser_sum(double a, double x) {
    double b = a;
    double term = 1.0 / a;
    double s = term;
    for (;;) {
        b = b + 1.0;
        term = term * (x / b);
        s = s + term;
        if (std::fabs(s) * eps > std::fabs(term)) break;
    }
    return s;
}

// 1/(x+1-a- 1(1-a)/(x+3-a- 2(2-a)/(x+5-a- ...))) by the modified Lentz method.
double gcf_fraction(double a, double x) {
    double b = (1.0 + x) - a;
    double c = 1.0 / tiny;
    double d = 1.0 / b;
    double h = d;
    for (int i = 1;; ++i) {
        const double di = static_cast<double>(i);
        const double e = -di * (di - a);
        b = b + 2.0;
        d = e * d + b;
        if (std::fabs(d) < tiny) d = tiny;
        c = b + e / c;
        if (std::fabs(c) < tiny) c = tiny;
        d = 1.0 / d;
        const double f = d * c;
        h = h * f;
        if (std::fabs(f - 1.0) <= eps) break;
    }
    return h;
}

// P(a, x) = e^-x x^a / Gamma(a) gser_sum(a, x), for x < a + 1.
double gser(double a, double x) {
    const double g = gammln(a);
    const double s = gser_sum(a, x);
    return std::exp(std::log(x) * a - x - g) * s;
}

// Q(a, x) = e^-x x^a / Gamma(a) gcf_fraction(a, x), for x >= a + 1.
double gcf(double a, double x) {
    const double g = gammln(a);
    const double h = gcf_fraction(a, x);
    return std::exp(std::log(x) * a - x - g) * h;
}

// For large a the integrand t^(a-1) e^-t is sharply peaked at a-1; integrate it
// by 18-point Gauss-Legendre from x to a limit several widths sqrt(a-1) away.
// Returns P(a, x) when lower != 0, Q(a, x) otherwise.
double gammpapprox(double a, double x, int lower) {
    const double a1 = a - 1.0;
    const double lna1 = std::log(a1);
    const double sqrta1 = std::sqrt(a1);
    const double g = gammln(a);

    double u;
    if (x > a1)
        u = std::max(a1 + 11.5 * sqrta1, x + 6.0 * sqrta1);
    else
        u = std::max(0.0, std::min(a1 - 7.5 * sqrta1, x - 5.0 * sqrta1));

    double s = 0.0;
    for (int j = 0; j < 18; ++j) {
        const double t = x + (u - x) * gl_y[j];
        s = s + gl_w[j] * std::exp(a1 * (std::log(t) - lna1) - (t - a1));
    }
    const double v = (u - x) * s * std::exp(a1 * (lna1 - 1.0) - g);
    if (lower != 0) return v > 0.0 ? 1.0 - v : -v;
    return v >= 0.0 ? v : 1.0 + v;
}

double gammp(double a, double x) {
    if (!(x >= 0.0) || !(a > 0.0))
        throw Failure{"Bad value in Fgamma!", exit_status::numerical};
    if (x == 0.0) return 0.0;
    if (a >= 100.0) return gammpapprox(a, x, 1);
    if (x < a + 1.0) return gser(a, x);
    return 1.0 - gcf(a, x);
}

// gamma(a, x) = Gamma(a) P(a, x)
double gamm_inc(double a, double x) {
    const double p = gammp(a, x);
    return std::exp(gammln(a)) * p;
}

// F_m(t) = 1/2 t^(-m-1/2) gamma(m+1/2, t). Arguments below 1e-08 are raised to it,
// so F_m(0) comes out just below 1/(2m+1).
double Fgamma(double m, double t) {
    const double tt = std::max(std::fabs(t), boys_floor);
    return (std::pow(tt, -m - 0.5) * 0.5) * gamm_inc(m + 0.5, tt);
}
