#pragma once

#include <cstdint>

#include "integrals/fast/boys.h"

// Hermite Coulomb integrals of McMurchie and Davidson (J. Comput. Phys. 26 (1978) 218):
//   R^n_000 = (-2 alpha)^n F_n(alpha |PC|^2)
//   R^n_(t+1,u,v) = t R^(n+1)_(t-1,u,v) + X_PC R^(n+1)_(t,u,v), likewise for u with Y, v with Z.
// Writes scale * R^0_tuv for every t+u+v <= L (L <= 4) at R[25 t + 5 u + v]; other
// entries of R are left untouched. The Boys function carries the 1e-08 floor.
void hermite_coulomb(int L, double alpha, double X, double Y, double Z, double scale, double* R);

// Number of Hermite functions Lambda_tuv with t+u+v <= L.
constexpr int hermite_count(int L) { return (L + 1) * (L + 2) * (L + 3) / 6; }

// The recursion above as a list of steps for a fixed L, so that the kernels run it
// without branches: R^n[dst] = xyz[axis] R^(n+1)[src1] + mult R^(n+1)[src2]
// (flat indices 25 t + 5 u + v; mult = 0 where the second term is absent).
struct HermiteStep {
    std::uint8_t dst = 0, src1 = 0, src2 = 0, axis = 0;
    double mult = 0.0;
};

constexpr int hermite_step_count(int L) { return L == 0 ? 1 : hermite_count(L) - 1 + hermite_step_count(L - 1); }

template <int L>
struct HermiteSteps {
    HermiteStep step[hermite_step_count(L)];
    int begin[L + 1] = {}, end[L + 1] = {};  // steps of level n: [begin[n], end[n])
    constexpr HermiteSteps() : step{} {
        int count = 0;
        for (int n = L - 1; n >= 0; --n) {
            begin[n] = count;
            const int room = L - n;
            for (int t = 0; t <= room; ++t)
                for (int u = 0; t + u <= room; ++u)
                    for (int v = 0; t + u + v <= room; ++v) {
                        if (t + u + v == 0) continue;
                        const int k = 25 * t + 5 * u + v;
                        const int c = t > 0 ? t : (u > 0 ? u : v);
                        const int stride = t > 0 ? 25 : (u > 0 ? 5 : 1);
                        HermiteStep& s = step[count++];
                        s.dst = static_cast<std::uint8_t>(k);
                        s.axis = static_cast<std::uint8_t>(t > 0 ? 0 : (u > 0 ? 1 : 2));
                        s.src1 = static_cast<std::uint8_t>(k - stride);
                        s.src2 = static_cast<std::uint8_t>(c > 1 ? k - 2 * stride : 0);
                        s.mult = c - 1;
                    }
            end[n] = count;
        }
    }
};

template <int L>
inline constexpr HermiteSteps<L> hermite_steps{};

// hermite_coulomb for a fixed L, from Boys values F[0 .. L] already at alpha |PC|^2.
template <int L>
inline void hermite_coulomb_fixed(const double* F, double alpha, double X, double Y, double Z, double scale,
                                  double* R) {
    double work[L > 0 ? L : 1][125];  // R^n for n = 1 ... L
    const double xyz[3] = {X, Y, Z};
    const double m2a = -2.0 * alpha;
    double power = scale;
    for (int n = 0; n <= L; ++n) {
        (n == 0 ? R : work[n - 1])[0] = power * F[n];
        power *= m2a;
    }
    constexpr const HermiteSteps<L>& steps = hermite_steps<L>;
    // Fully unrolled, the table folds away into straight-line code.
#pragma GCC unroll 8
    for (int n = L - 1; n >= 0; --n) {
        double* cur = (n == 0) ? R : work[n - 1];
        const double* up = work[n];
#pragma GCC unroll 40
        for (int i = steps.begin[n]; i < steps.end[n]; ++i) {
            const HermiteStep& s = steps.step[i];
            cur[s.dst] = xyz[s.axis] * up[s.src1] + s.mult * up[s.src2];
        }
    }
}
