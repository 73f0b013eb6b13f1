#include "integrals/fast/hermite.h"

#include "integrals/fast/boys.h"

void hermite_coulomb(int L, double alpha, double X, double Y, double Z, double scale, double* R) {
    double F[boys_max_order + 1];
    boys(L, alpha * ((X * X + Y * Y) + Z * Z), F);
    if (L == 0) {
        R[0] = scale * F[0];
        return;
    }
    // level[n] holds R^n for t+u+v <= L-n; level 0 is the output.
    double work[boys_max_order][125];
    double m2a = -2.0 * alpha;
    double power = scale;
    double top[boys_max_order + 1];
    for (int n = 0; n <= L; ++n) {
        top[n] = power * F[n];
        power *= m2a;
    }
    for (int n = L; n >= 0; --n) {
        double* cur = (n == 0) ? R : work[n - 1];
        const double* up = (n < L) ? work[n] : nullptr;
        cur[0] = top[n];
        const int room = L - n;
        for (int t = 0; t <= room; ++t) {
            for (int u = 0; t + u <= room; ++u) {
                for (int v = 0; t + u + v <= room; ++v) {
                    const int k = 25 * t + 5 * u + v;
                    if (t > 0) {
                        double r = X * up[k - 25];
                        if (t > 1) r += (t - 1) * up[k - 50];
                        cur[k] = r;
                    } else if (u > 0) {
                        double r = Y * up[k - 5];
                        if (u > 1) r += (u - 1) * up[k - 10];
                        cur[k] = r;
                    } else if (v > 0) {
                        double r = Z * up[k - 1];
                        if (v > 1) r += (v - 1) * up[k - 2];
                        cur[k] = r;
                    }
                }
            }
        }
    }
}
