#include "integrals/md/pure.h"

#include <cmath>
#include <cstdlib>

#include "common/factorial.h"

namespace {

double binom(int n, int k) {
    if (k < 0 || k > n) return 0.0;
    double b = 1.0;
    for (int i = 1; i <= k; ++i) b = b * (n - k + i) / i;
    return b;
}

// Column of x^a y^b z^c among cartesian_components(l).
int column_of(int l, int a, int b, int c) {
    const std::vector<CartesianPowers>& comps = cartesian_components(l);
    for (std::size_t k = 0; k < comps.size(); ++k)
        if (comps[k].x == a && comps[k].y == b && comps[k].z == c) return static_cast<int>(k);
    std::abort();  // every monomial of degree l is a component
}

// <x^a y^b z^c | x^a' y^b' z^c'> on one centre relative to <x^l | x^l>: a product of
// (n-1)!! over the summed powers, zero when one is odd.
double component_overlap(const CartesianPowers& p, const CartesianPowers& q) {
    const int s[3] = {p.x + q.x, p.y + q.y, p.z + q.z};
    double v = 1.0;
    for (int n : s) {
        if (n % 2 != 0) return 0.0;
        v *= dfact(n - 1);
    }
    return v / dfact(2 * (p.x + p.y + p.z) - 1);
}

std::vector<double> make_solid_harmonics(int l) {
    const int n = cartesian_count(l);
    std::vector<double> rows(static_cast<std::size_t>((2 * l + 1) * n), 0.0);
    for (int r = 0; r < 2 * l + 1; ++r) {
        const int m = r == 0 ? 0 : (r % 2 == 1 ? (r + 1) / 2 : -(r / 2));
        const int am = std::abs(m);
        double* row = &rows[static_cast<std::size_t>(r * n)];
        const int vm2 = m < 0 ? 1 : 0;  // 2 v_m
        for (int t = 0; t <= (l - am) / 2; ++t)
            for (int u = 0; u <= t; ++u)
                for (int v2 = vm2; v2 <= am; v2 += 2) {  // 2v
                    const double sign = ((t + (v2 - vm2) / 2) % 2 == 0) ? 1.0 : -1.0;
                    const double c =
                        sign * std::pow(0.25, t) * binom(l, t) * binom(l - t, am + t) * binom(t, u) * binom(am, v2);
                    const int b = 2 * u + v2;
                    row[column_of(l, 2 * t + am - b, b, l - 2 * t - am)] += c;
                }
        const std::vector<CartesianPowers>& comps = cartesian_components(l);
        double norm = 0.0;
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) norm += row[i] * row[j] * component_overlap(comps[i], comps[j]);
        for (int i = 0; i < n; ++i) row[i] /= std::sqrt(norm);
    }
    return rows;
}

std::vector<double> make_cartesian_scale(int l) {
    const int n = cartesian_count(l);
    std::vector<double> diag(static_cast<std::size_t>(n * n), 0.0);
    for (int i = 0; i < n; ++i) diag[static_cast<std::size_t>(i * n + i)] = component_scale(cartesian_components(l)[i]);
    return diag;
}

std::vector<std::vector<double>> for_every_l(std::vector<double> (*make)(int)) {
    std::vector<std::vector<double>> v;
    for (int k = 0; k <= max_engine_l; ++k) v.push_back(make(k));
    return v;
}

}  // namespace

const std::vector<double>& solid_harmonics(int l) {
    static const std::vector<std::vector<double>> all = for_every_l(make_solid_harmonics);
    return all[static_cast<std::size_t>(l)];
}

const std::vector<double>& shell_transform(int l, bool pure) {
    static const std::vector<std::vector<double>> scales = for_every_l(make_cartesian_scale);
    // Pure s and p are the Cartesian functions, p in the order x, y, z as Molden writes them.
    return pure && l > 1 ? solid_harmonics(l) : scales[static_cast<std::size_t>(l)];
}

std::vector<double> transform_block(const std::vector<double>& cartesian, const GaussianShell* const* shells,
                                    int rank) {
    std::vector<int> extent(static_cast<std::size_t>(rank));
    for (int k = 0; k < rank; ++k) extent[k] = cartesian_count(shells[k]->l);
    std::vector<double> in = cartesian;
    for (int k = 0; k < rank; ++k) {
        const int l = shells[k]->l;
        if (l <= 1) continue;  // s and p are their own functions, at unit norm
        const std::vector<double>& T = shell_transform(l, shells[k]->pure);
        const int nc = extent[k];
        const int nf = function_count(*shells[k]);
        std::size_t before = 1, after = 1;
        for (int j = 0; j < k; ++j) before *= extent[j];
        for (int j = k + 1; j < rank; ++j) after *= extent[j];
        if (!shells[k]->pure) {  // a diagonal: scale in place
            for (std::size_t a = 0; a < before; ++a)
                for (int c = 0; c < nc; ++c) {
                    const double t = T[static_cast<std::size_t>(c * nc + c)];
                    double* x = &in[(a * nc + c) * after];
                    for (std::size_t b = 0; b < after; ++b) x[b] *= t;
                }
            continue;
        }
        std::vector<double> out(before * nf * after, 0.0);
        for (std::size_t a = 0; a < before; ++a)
            for (int f = 0; f < nf; ++f)
                for (int c = 0; c < nc; ++c) {
                    const double t = T[static_cast<std::size_t>(f * nc + c)];
                    if (t == 0.0) continue;
                    const double* src = &in[(a * nc + c) * after];
                    double* dst = &out[(a * nf + f) * after];
                    for (std::size_t b = 0; b < after; ++b) dst[b] += t * src[b];
                }
        extent[k] = nf;
        in.swap(out);
    }
    return in;
}
