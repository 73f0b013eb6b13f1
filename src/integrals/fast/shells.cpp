#include "integrals/fast/shells.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "common/constants.h"
#include "common/failure.h"
#include "integrals/fast/hermite.h"

namespace {

double coord(const Vec3& v, int d) { return d == 0 ? v.x : (d == 1 ? v.y : v.z); }

// The function of a Cartesian shell with powers `power`: its weights c_i N_i.
ShellFunction member_of(const CGF& f, unsigned index) {
    ShellFunction m;
    m.index = index;
    const GTO& g0 = f.gtos.front();
    m.power[0] = static_cast<int>(g0.l);
    m.power[1] = static_cast<int>(g0.m);
    m.power[2] = static_cast<int>(g0.n);
    for (const GTO& g : f.gtos) m.weight.push_back(g.c * g.norm);
    return m;
}

// Shell s of the basis joins the block when it sits on the block's atom with the
// same exponents and adds new powers (the 2p shell to the 2s shell of one atom).
bool joins(const ShellBlock& block, unsigned atom, const Shell& s) {
    if (block.atom != atom || block.alpha != s.exponents) return false;
    for (const ShellFunction& other : block.functions)
        if (other.power[0] + other.power[1] + other.power[2] == static_cast<int>(s.L)) return false;
    return true;
}

// One-dimensional Hermite coefficients of x_A^i x_B^j, i, j <= 1, without K_ab:
//   E^00 = 1;  E^10 = (PA, 1/2p);  E^01 = (PB, 1/2p);
//   E^11 = (PA PB + 1/2p, (PA + PB)/2p, 1/4p^2).
// Returns the number of coefficients E_0 ... E_(i+j).
int hermite_1d(int i, int j, double PA, double PB, double p, double* E) {
    const double h = 0.5 / p;
    if (i == 0 && j == 0) {
        E[0] = 1.0;
        return 1;
    }
    if (i == 1 && j == 0) {
        E[0] = PA;
        E[1] = h;
        return 2;
    }
    if (i == 0 && j == 1) {
        E[0] = PB;
        E[1] = h;
        return 2;
    }
    E[0] = PA * PB + h;
    E[1] = (PA + PB) * h;
    E[2] = h * h;
    return 3;
}

// Schwarz bound of one primitive pair: max over function pairs f of sqrt((ff|ff)),
//   (ff|ff) = 2 pi^(5/2) / (p^2 sqrt(2p)) sum_tuv sum_t'u'v' E_tuv (-1)^(t'+u'+v') E_t'u'v' R_(t+t',u+u',v+v')(p/2, 0).
double schwarz_bound(const ShellPair& sp, const PrimitivePair& pp, std::size_t function_pairs) {
    double R[125];
    hermite_coulomb(2 * sp.L, 0.5 * pp.p, 0.0, 0.0, 0.0, two_pi_2_5 / ((pp.p * pp.p) * std::sqrt(2.0 * pp.p)), R);
    std::vector<double> self(function_pairs, 0.0);
    for (unsigned x = pp.first_term; x < pp.end_term; ++x)
        for (unsigned y = pp.first_term; y < pp.end_term; ++y)
            if (sp.terms[x].pair == sp.terms[y].pair)
                self[sp.terms[x].pair] += sp.terms[x].e * sp.terms[y].e_ket() * R[sp.terms[x].flat + sp.terms[y].flat];
    double largest = 0.0;
    for (double v : self) largest = std::max(largest, std::sqrt(std::fabs(v)));
    return largest;
}

void sort_for_repulsion(ShellPair& sp) {
    const std::size_t n = sp.prims.size();
    std::vector<double> bound(n);
    for (std::size_t k = 0; k < n; ++k) bound[k] = schwarz_bound(sp, sp.prims[k], sp.first.size());
    std::vector<std::size_t> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&bound](std::size_t x, std::size_t y) { return bound[x] > bound[y]; });
    PrimitiveList& e = sp.eri;
    for (std::vector<double>* v : {&e.p, &e.inv_p, &e.Px, &e.Py, &e.Pz, &e.bound}) v->reserve(n);
    e.first_term.reserve(n);
    e.end_term.reserve(n);
    for (std::size_t k : order) {
        const PrimitivePair& pp = sp.prims[k];
        e.p.push_back(pp.p);
        e.inv_p.push_back(1.0 / pp.p);
        e.Px.push_back(pp.P[0]);
        e.Py.push_back(pp.P[1]);
        e.Pz.push_back(pp.P[2]);
        e.bound.push_back(bound[k]);
        e.first_term.push_back(pp.first_term);
        e.end_term.push_back(pp.end_term);
    }
    e.tail.assign(n, 0.0);
    double sum = 0.0;
    for (std::size_t k = n; k-- > 0;) {
        sum += e.bound[k];
        e.tail[k] = sum;
    }
}

}  // namespace

std::vector<ShellBlock> build_shells(const BasisSet& basis, const std::vector<Atom>& atoms) {
    std::vector<ShellBlock> blocks;
    for (std::size_t s = 0; s < basis.shells.size(); ++s) {
        const Shell& shell = basis.shells[s];
        if (shell.L > 1) throw Failure{"Error: the fast integrals take s and p functions only", exit_status::unsupported};
        if (blocks.empty() || !joins(blocks.back(), shell.atom, shell)) {
            ShellBlock block;
            block.atom = shell.atom;
            block.centre = atoms[shell.atom].position;
            block.alpha = shell.exponents;
            blocks.push_back(block);
        }
        ShellBlock& block = blocks.back();
        if (static_cast<int>(shell.L) > block.max_l) block.max_l = static_cast<int>(shell.L);
        for (unsigned i = basis.shell_first[s]; i < basis.shell_first[s + 1]; ++i)
            block.functions.push_back(member_of(basis.functions[i], i));
    }
    return blocks;
}

ShellPair build_shell_pair(const std::vector<ShellBlock>& shells, unsigned a, unsigned b) {
    const ShellBlock& A = shells[a];
    const ShellBlock& B = shells[b];
    ShellPair sp;
    sp.a = a;
    sp.b = b;
    sp.L = A.max_l + B.max_l;
    for (int t = 0; t <= sp.L; ++t)
        for (int u = 0; t + u <= sp.L; ++u)
            for (int v = 0; t + u + v <= sp.L; ++v) sp.hermite.push_back(static_cast<std::uint8_t>(25 * t + 5 * u + v));
    std::vector<int> compact_of(125, -1);
    for (std::size_t k = 0; k < sp.hermite.size(); ++k) compact_of[sp.hermite[k]] = static_cast<int>(k);

    std::vector<const ShellFunction*> fa, fb;
    for (const ShellFunction& x : A.functions) {
        for (const ShellFunction& y : B.functions) {
            if (a == b && x.index < y.index) continue;
            fa.push_back(&x);
            fb.push_back(&y);
            sp.first.push_back(x.index);
            sp.second.push_back(y.index);
        }
    }

    double AB[3], r2 = 0.0;
    for (int d = 0; d < 3; ++d) {
        AB[d] = coord(A.centre, d) - coord(B.centre, d);
        r2 = r2 + AB[d] * AB[d];
    }
    for (std::size_t i = 0; i < A.alpha.size(); ++i) {
        for (std::size_t j = 0; j < B.alpha.size(); ++j) {
            const double alpha = A.alpha[i];
            const double beta = B.alpha[j];
            PrimitivePair pp;
            pp.p = alpha + beta;
            const double K = std::exp(-alpha * beta * r2 / pp.p);
            double PA[3], PB[3];
            for (int d = 0; d < 3; ++d) {
                pp.P[d] = (alpha * coord(A.centre, d) + beta * coord(B.centre, d)) / pp.p;
                PA[d] = pp.P[d] - coord(A.centre, d);
                PB[d] = pp.P[d] - coord(B.centre, d);
            }
            pp.first_term = static_cast<unsigned>(sp.terms.size());
            double largest = 0.0;
            for (std::size_t f = 0; f < fa.size(); ++f) {
                const double w = (fa[f]->weight[i] * fb[f]->weight[j]) * K;
                double E[3][3];
                int count[3];
                for (int d = 0; d < 3; ++d)
                    count[d] = hermite_1d(fa[f]->power[d], fb[f]->power[d], PA[d], PB[d], pp.p, E[d]);
                for (int t = 0; t < count[0]; ++t) {
                    for (int u = 0; u < count[1]; ++u) {
                        for (int v = 0; v < count[2]; ++v) {
                            const double e = ((E[0][t] * E[1][u]) * E[2][v]) * w;
                            if (e == 0.0) continue;
                            HermiteTerm term;
                            term.pair = static_cast<std::uint16_t>(f);
                            term.flat = static_cast<std::uint8_t>(25 * t + 5 * u + v);
                            term.compact = static_cast<std::uint8_t>(compact_of[term.flat]);
                            term.e = e;
                            sp.terms.push_back(term);
                            if (std::fabs(e) > largest) largest = std::fabs(e);
                            pp.magnitude += std::fabs(e);
                        }
                    }
                }
            }
            if (largest < primitive_pair_cutoff) {
                sp.terms.resize(pp.first_term);
                continue;
            }
            pp.end_term = static_cast<unsigned>(sp.terms.size());
            sp.prims.push_back(pp);
        }
    }
    sort_for_repulsion(sp);
    // The pair data live through the whole integral build beside the table: no spare capacity.
    sp.terms.shrink_to_fit();
    sp.prims.shrink_to_fit();
    return sp;
}

std::vector<ShellPair> build_shell_pairs(const std::vector<ShellBlock>& shells) {
    std::vector<ShellPair> pairs;
    pairs.reserve(shells.size() * (shells.size() + 1) / 2);
    for (unsigned a = 0; a < shells.size(); ++a)
        for (unsigned b = 0; b <= a; ++b) pairs.push_back(build_shell_pair(shells, a, b));
    return pairs;
}
