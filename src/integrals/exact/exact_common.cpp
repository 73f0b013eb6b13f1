#include <algorithm>
#include <cmath>
#include <cstring>

#include "integrals/exact/exact_detail.h"
#include "integrals/reference/func.h"
#include "integrals/reference/gamma.h"

namespace exact {

double library_pow(double x, double y) {
    volatile double exponent = y;
    return std::pow(x, exponent);
}

namespace {

// ln Gamma(m + 1/2) and Gamma(m + 1/2) = exp(ln Gamma(m + 1/2)), from the reference
// gammln itself: gser, gcf and gamm_inc each recompute them on every call.
struct GammaTable {
    double ln_gamma[max_boys + 1];
    double gamma[max_boys + 1];
    GammaTable() {
        for (int m = 0; m <= max_boys; ++m) {
            ln_gamma[m] = gammln(static_cast<double>(m) + 0.5);
            gamma[m] = std::exp(ln_gamma[m]);
        }
    }
};

const GammaTable& gamma_table() {
    static const GammaTable table;
    return table;
}

}  // namespace

// F_m(t) = (t'^(-m-1/2) / 2) Gamma(m+1/2) P(m+1/2, t'), t' = max(|t|, 1e-8), with P by
// the series for t' < m + 3/2 and by one minus the Lentz continued fraction otherwise,
// as Fgamma, gamm_inc, gammp, gser and gcf compute it. Only ln t' (the same call for
// every order) and the gamma-function values are computed once.
void boys_orders(int m_max, double t, double* F) {
    const GammaTable& tab = gamma_table();
    const double x = std::max(std::fabs(t), boys_floor);
    const double log_x = std::log(x);
    for (int mi = 0; mi <= m_max; ++mi) {
        const double m = static_cast<double>(mi);
        const double a = m + 0.5;
        const double head = library_pow(x, -m - 0.5) * 0.5;
        const double g = tab.ln_gamma[mi];
        double p;
        if (x < a + 1.0)
            p = std::exp(log_x * a - x - g) * gser_sum(a, x);
        else
            p = 1.0 - std::exp(log_x * a - x - g) * gcf_fraction(a, x);
        F[mi] = head * (tab.gamma[mi] * p);
    }
}

namespace {

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool same_primitives(const CGF& f, const Vec3& centre, const Group& g) {
    if (static_cast<int>(f.gtos.size()) != g.nprim()) return false;
    if (!same_bits(centre.x, g.centre.x) || !same_bits(centre.y, g.centre.y) || !same_bits(centre.z, g.centre.z))
        return false;
    for (int p = 0; p < g.nprim(); ++p)
        if (!same_bits(f.gtos[static_cast<std::size_t>(p)].alpha, g.alpha[p])) return false;
    return true;
}

// One set of powers for all primitives, none above the limit.
bool regular(const CGF& f, int limit) {
    if (f.gtos.empty()) return false;
    const GTO& g0 = f.gtos.front();
    for (const GTO& g : f.gtos) {
        if (g.l != g0.l || g.m != g0.m || g.n != g0.n) return false;
        if (static_cast<int>(g.l) > limit || static_cast<int>(g.m) > limit || static_cast<int>(g.n) > limit)
            return false;
    }
    return true;
}

}  // namespace

GroupedBasis group_functions(const std::vector<CGF>& cgfs, const std::vector<Atom>& atoms, int limit) {
    GroupedBasis basis;
    basis.functions.resize(cgfs.size());
    for (std::size_t i = 0; i < cgfs.size(); ++i) {
        const CGF& f = cgfs[i];
        if (!regular(f, limit)) continue;
        const Vec3 centre = centre_of(f, atoms);
        Function& fn = basis.functions[i];
        fn.l = static_cast<int>(f.gtos.front().l);
        fn.m = static_cast<int>(f.gtos.front().m);
        fn.n = static_cast<int>(f.gtos.front().n);
        for (const GTO& g : f.gtos) {
            fn.c.push_back(g.c);
            fn.norm.push_back(g.norm);
        }
        for (std::size_t k = 0; k < basis.groups.size() && fn.group < 0; ++k)
            if (same_primitives(f, centre, basis.groups[k])) fn.group = static_cast<int>(k);
        if (fn.group < 0) {
            Group g;
            g.centre = centre;
            for (const GTO& q : f.gtos) g.alpha.push_back(q.alpha);
            fn.group = static_cast<int>(basis.groups.size());
            basis.groups.push_back(g);
        }
        basis.groups[static_cast<std::size_t>(fn.group)].members.push_back(static_cast<int>(i));
    }
    return basis;
}

Pair make_pair(double alpha_a, const Vec3& A, double alpha_b, const Vec3& B) {
    Pair p;
    p.alpha_a = alpha_a;
    p.alpha_b = alpha_b;
    p.gamma = alpha_a + alpha_b;
    p.P = gaussian_product_center(alpha_a, A, alpha_b, B);
    const double rab2 = dist2(A, B);
    p.e = std::exp(((-alpha_a) * alpha_b * rab2) / p.gamma);
    p.pa[0] = p.P.x - A.x;
    p.pa[1] = p.P.y - A.y;
    p.pa[2] = p.P.z - A.z;
    p.pb[0] = p.P.x - B.x;
    p.pb[1] = p.P.y - B.y;
    p.pb[2] = p.P.z - B.z;
    return p;
}

}  // namespace exact
