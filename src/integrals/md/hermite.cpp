#include "integrals/md/hermite.h"

#include "integrals/md/boys.h"

void HermiteExpansion::compute(int imax, int jmax, double p, double PA, double PB) {
    nj = jmax + 1;
    nt = imax + jmax + 1;
    e.assign(static_cast<std::size_t>((imax + 1) * nj * nt), 0.0);
    const double half_p = 0.5 / p;
    const auto at = [this](int i, int j, int t) -> double& {
        return e[static_cast<std::size_t>((i * nj + j) * nt + t)];
    };
    const auto get = [this](int i, int j, int t) {
        return (t < 0 || t > i + j) ? 0.0 : e[static_cast<std::size_t>((i * nj + j) * nt + t)];
    };
    at(0, 0, 0) = 1.0;
    for (int i = 0; i < imax; ++i)
        for (int t = 0; t <= i + 1; ++t)
            at(i + 1, 0, t) = half_p * get(i, 0, t - 1) + PA * get(i, 0, t) + (t + 1) * get(i, 0, t + 1);
    for (int i = 0; i <= imax; ++i)
        for (int j = 0; j < jmax; ++j)
            for (int t = 0; t <= i + j + 1; ++t)
                at(i, j + 1, t) = half_p * get(i, j, t - 1) + PB * get(i, j, t) + (t + 1) * get(i, j, t + 1);
}

const double* hermite_coulomb(int L, double alpha, double X, double Y, double Z, std::vector<double>& scratch) {
    const int s = L + 1;
    const std::size_t cube = static_cast<std::size_t>(s) * s * s;
    // Every entry read below is written first, so the scratch needs no clearing.
    if (scratch.size() < cube * s) scratch.resize(cube * s);
    const auto at = [&](int n, int t, int u, int v) -> double& {
        return scratch[static_cast<std::size_t>(n) * cube + static_cast<std::size_t>((t * s + u) * s + v)];
    };
    double F[boys_any_max_order + 1];
    boys_any(L, alpha * (X * X + Y * Y + Z * Z), F);
    double power = 1.0;
    for (int n = 0; n <= L; ++n) {
        at(n, 0, 0, 0) = power * F[n];
        power *= -2.0 * alpha;
    }
    // Each total order from the one below, for every n it is still needed at.
    for (int total = 1; total <= L; ++total)
        for (int n = 0; n <= L - total; ++n)
            for (int t = total; t >= 0; --t)
                for (int u = total - t; u >= 0; --u) {
                    const int v = total - t - u;
                    double r;
                    if (t > 0)
                        r = (t > 1 ? (t - 1) * at(n + 1, t - 2, u, v) : 0.0) + X * at(n + 1, t - 1, u, v);
                    else if (u > 0)
                        r = (u > 1 ? (u - 1) * at(n + 1, t, u - 2, v) : 0.0) + Y * at(n + 1, t, u - 1, v);
                    else
                        r = (v > 1 ? (v - 1) * at(n + 1, t, u, v - 2) : 0.0) + Z * at(n + 1, t, u, v - 1);
                    at(n, t, u, v) = r;
                }
    return scratch.data();
}

const std::vector<HermiteIndex>& hermite_indices(int L) {
    static const std::vector<std::vector<HermiteIndex>> all = [] {
        std::vector<std::vector<HermiteIndex>> v;
        for (int top = 0; top <= boys_any_max_order; ++top) {
            std::vector<HermiteIndex> list;
            for (int total = 0; total <= top; ++total)
                for (int t = total; t >= 0; --t)
                    for (int u = total - t; u >= 0; --u) list.push_back({t, u, total - t - u});
            v.push_back(list);
        }
        return v;
    }();
    return all[static_cast<std::size_t>(L)];
}
