#include "linalg/eispack.h"

#include <cmath>
#include <vector>

// Translations of the EISPACK routines RS, TRED2, TQL2 and PYTHAG
// (Argonne, 1970s; Smith et al., EISPACK Guide, Springer 1976, after the ALGOL
// procedures of Wilkinson and Reinsch, Handbook for Automatic Computation II).
// The operation order of the originals is kept: the signs and last bits of the
// eigenvectors printed by the program depend on it. Loops over a descending
// index ("for i = n step -1 until 2") are written as descending loops.

namespace {

// Element (r, c) of a column-major n x n array.
inline int at(int r, int c, int n) { return r + c * n; }

}  // namespace

int rs(int n, const double a[], double w[], double z[]) {
    if (n < 1) return 0;
    std::vector<double> fv1(n);
    tred2(n, a, w, fv1.data(), z);
    return tql2(n, w, fv1.data(), z);
}

// Householder: for i = n-1 down to 1 the row i left of the diagonal, u, is
// annihilated by P = 1 - u u^T / h, h = |u|^2 / 2 after scaling the row by the
// sum of its absolute values (so that no tolerance is needed). The products
// of the P are then accumulated backwards into z.
void tred2(int n, const double a[], double d[], double e[], double z[]) {
    for (int i = 0; i < n; ++i) {
        for (int j = i; j < n; ++j) z[at(j, i, n)] = a[at(j, i, n)];
        d[i] = a[at(n - 1, i, n)];
    }

    if (n > 1) {
        for (int i = n - 1; i >= 1; --i) {
            const int l = i - 1;
            double h = 0.0;
            double scale = 0.0;
            if (l >= 1)
                for (int k = 0; k <= l; ++k) scale = scale + r8_abs(d[k]);

            if (l < 1 || scale == 0.0) {
                // Nothing to annihilate: the row is already tridiagonal.
                e[i] = d[l];
                for (int j = 0; j <= l; ++j) {
                    d[j] = z[at(l, j, n)];
                    z[at(i, j, n)] = 0.0;
                    z[at(j, i, n)] = 0.0;
                }
            } else {
                for (int k = 0; k <= l; ++k) {
                    d[k] = d[k] / scale;
                    h = h + d[k] * d[k];
                }
                double f = d[l];
                double g = -(std::sqrt(h) * r8_sign(f));
                e[i] = scale * g;
                h = h - f * g;
                d[l] = f - g;

                // e = A u, using the lower triangle of the reduced matrix in z.
                for (int j = 0; j <= l; ++j) e[j] = 0.0;
                for (int j = 0; j <= l; ++j) {
                    f = d[j];
                    z[at(j, i, n)] = f;
                    g = e[j] + z[at(j, j, n)] * f;
                    for (int k = j + 1; k <= l; ++k) {
                        g = g + z[at(k, j, n)] * d[k];
                        e[k] = e[k] + z[at(k, j, n)] * f;
                    }
                    e[j] = g;
                }

                // p = A u / h, K = u^T p / 2h, q = p - K u.
                f = 0.0;
                for (int j = 0; j <= l; ++j) {
                    e[j] = e[j] / h;
                    f = f + e[j] * d[j];
                }
                const double hh = f / (h + h);
                for (int j = 0; j <= l; ++j) e[j] = e[j] - hh * d[j];

                // A := A - u q^T - q u^T on the lower triangle.
                for (int j = 0; j <= l; ++j) {
                    f = d[j];
                    g = e[j];
                    for (int k = j; k <= l; ++k) z[at(k, j, n)] = z[at(k, j, n)] - f * e[k] - g * d[k];
                    d[j] = z[at(l, j, n)];
                    z[at(i, j, n)] = 0.0;
                }
            }
            d[i] = h;
        }

        // Accumulate Q = P(n-1) ... P(1); the Householder vectors sit in the columns of z.
        for (int i = 1; i < n; ++i) {
            const int l = i - 1;
            z[at(n - 1, l, n)] = z[at(l, l, n)];
            z[at(l, l, n)] = 1.0;
            const double h = d[i];
            if (h != 0.0) {
                for (int k = 0; k <= l; ++k) d[k] = z[at(k, i, n)] / h;
                for (int j = 0; j <= l; ++j) {
                    double g = 0.0;
                    for (int k = 0; k <= l; ++k) g = g + z[at(k, i, n)] * z[at(k, j, n)];
                    for (int k = 0; k <= l; ++k) z[at(k, j, n)] = z[at(k, j, n)] - g * d[k];
                }
            }
            for (int k = 0; k <= l; ++k) z[at(k, i, n)] = 0.0;
        }
    }

    for (int i = 0; i < n; ++i) {
        d[i] = z[at(n - 1, i, n)];
        z[at(n - 1, i, n)] = 0.0;
    }
    z[at(n - 1, n - 1, n)] = 1.0;
    e[0] = 0.0;
}

// QL with implicit Wilkinson-type shift: for each l, find the first m >= l with
// negligible e[m] (tst1 + |e[m]| == tst1), shift by the eigenvalue of the
// leading 2x2 block, then chase the bulge from m-1 up to l with plane rotations
// (c, s), each applied to columns i, i+1 of z. Sorted by selection at the end.
int tql2(int n, double d[], double e[], double z[]) {
    if (n == 1) return 0;
    for (int i = 1; i < n; ++i) e[i - 1] = e[i];

    double f = 0.0;
    double tst1 = 0.0;
    e[n - 1] = 0.0;

    for (int l = 0; l < n; ++l) {
        int j = 0;
        double h = r8_abs(d[l]) + r8_abs(e[l]);
        if (tst1 < h) tst1 = h;

        // e[n-1] is zero, so the search ends inside the array unless a NaN got in.
        int m = l;
        while (m < n - 1 && tst1 + r8_abs(e[m]) != tst1) ++m;

        if (m > l) {
            do {
                if (j == 30) return l + 1;
                ++j;

                const int l1 = l + 1;
                const int l2 = l1 + 1;
                double g = d[l];
                double p = (d[l1] - g) / (2.0 * e[l]);
                double r = pythag(p, 1.0);
                d[l] = e[l] / (p + r8_sign(p) * r8_abs(r));
                d[l1] = e[l] * (p + r8_sign(p) * r8_abs(r));
                const double dl1 = d[l1];
                h = g - d[l];
                for (int i = l2; i < n; ++i) d[i] = d[i] - h;
                f = f + h;

                p = d[m];
                double c = 1.0;
                double c2 = c;
                double c3 = c;
                const double el1 = e[l1];
                double s = 0.0;
                double s2 = 0.0;
                for (int i = m - 1; i >= l; --i) {
                    c3 = c2;
                    c2 = c;
                    s2 = s;
                    g = c * e[i];
                    h = c * p;
                    r = pythag(p, e[i]);
                    e[i + 1] = s * r;
                    s = e[i] / r;
                    c = p / r;
                    p = c * d[i] - s * g;
                    d[i + 1] = h + s * (c * g + s * d[i]);
                    for (int k = 0; k < n; ++k) {
                        h = z[at(k, i + 1, n)];
                        z[at(k, i + 1, n)] = s * z[at(k, i, n)] + c * h;
                        z[at(k, i, n)] = c * z[at(k, i, n)] - s * h;
                    }
                }
                p = -s * s2 * c3 * el1 * e[l] / dl1;
                e[l] = s * p;
                d[l] = c * p;
            } while (tst1 + r8_abs(e[l]) > tst1);
        }
        d[l] = d[l] + f;
        e[l] = 0.0;
    }

    // Selection sort by exchange; the first of equal minima is taken.
    for (int i = 0; i < n - 1; ++i) {
        int k = i;
        double p = d[i];
        for (int jj = i + 1; jj < n; ++jj) {
            if (d[jj] < p) {
                k = jj;
                p = d[jj];
            }
        }
        if (k != i) {
            d[k] = d[i];
            d[i] = p;
            for (int jj = 0; jj < n; ++jj) {
                const double t = z[at(jj, i, n)];
                z[at(jj, i, n)] = z[at(jj, k, n)];
                z[at(jj, k, n)] = t;
            }
        }
    }
    return 0;
}

// Moler and Morrison, "Replacing square roots by Pythagorean sums", IBM J. Res.
// Dev. 27 (1983) 577: p converges cubically to sqrt(a^2 + b^2) while r = (q/p)^2 -> 0.
double pythag(double a, double b) {
    double p = r8_max(r8_abs(a), r8_abs(b));
    if (p == 0.0) return p;
    double q = r8_min(r8_abs(a), r8_abs(b)) / p;
    double r = q * q;
    // A NaN argument would never satisfy the stopping test below.
    if (r != r) return r;
    for (;;) {
        const double t = 4.0 + r;
        if (t == 4.0) break;
        const double s = r / t;
        const double u = 1.0 + 2.0 * s;
        p = u * p;
        q = s / u;
        r = q * q * r;
    }
    return p;
}

double r8_abs(double x) { return x >= 0.0 ? x : -x; }

double r8_max(double a, double b) { return a > b ? a : b; }

double r8_min(double a, double b) { return b < a ? b : a; }

double r8_sign(double x) { return x < 0.0 ? -1.0 : 1.0; }

