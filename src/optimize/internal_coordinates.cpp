#include "optimize/internal_coordinates.h"

#include <cmath>
#include <limits>
#include <algorithm>
#include <numeric>

#include "common/constants.h"
#include "input/geometry_units.h"

namespace {

using V3 = std::array<double, 3>;

V3 at(const std::vector<double>& x, unsigned atom) { return {x[3 * atom], x[3 * atom + 1], x[3 * atom + 2]}; }
V3 sub(const V3& a, const V3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
V3 scale(const V3& a, double s) { return {a[0] * s, a[1] * s, a[2] * s}; }
double dot(const V3& a, const V3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
double norm(const V3& a) { return std::sqrt(dot(a, a)); }
V3 unit(const V3& a) { return scale(a, 1.0 / norm(a)); }
V3 cross(const V3& a, const V3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

double distance(const std::vector<double>& x, unsigned a, unsigned b) { return norm(sub(at(x, a), at(x, b))); }

double bend_cosine(const std::vector<double>& x, unsigned a, unsigned b, unsigned c) {
    return dot(unit(sub(at(x, a), at(x, b))), unit(sub(at(x, c), at(x, b))));
}

bool near_linear(const std::vector<double>& x, unsigned a, unsigned b, unsigned c) {
    return bend_cosine(x, a, b, c) < linear_angle_cosine;
}

// The atoms bonded by covalent radii, and the fragments joined by their closest pairs.
std::vector<std::vector<unsigned>> bonded_neighbours(const std::vector<double>& x, const std::vector<unsigned>& z,
                                                     std::vector<std::array<unsigned, 2>>& bonds) {
    const unsigned n = static_cast<unsigned>(z.size());
    std::vector<unsigned> fragment(n);
    std::iota(fragment.begin(), fragment.end(), 0u);
    auto root = [&](unsigned i) {
        while (fragment[i] != i) i = fragment[i];
        return i;
    };
    auto add = [&](unsigned i, unsigned j) {
        bonds.push_back({i, j});
        fragment[root(i)] = root(j);
    };
    for (unsigned i = 0; i < n; ++i)
        for (unsigned j = i + 1; j < n; ++j) {
            const double covalent = (covalent_radius_angstrom(z[i]) + covalent_radius_angstrom(z[j])) * bohr_per_angstrom;
            if (distance(x, i, j) < bond_radius_factor * covalent) add(i, j);
        }
    for (;;) {
        double shortest = std::numeric_limits<double>::infinity();
        unsigned bi = 0, bj = 0;
        for (unsigned i = 0; i < n; ++i)
            for (unsigned j = i + 1; j < n; ++j)
                if (root(i) != root(j) && distance(x, i, j) < shortest) {
                    shortest = distance(x, i, j);
                    bi = i;
                    bj = j;
                }
        if (shortest == std::numeric_limits<double>::infinity()) break;
        add(bi, bj);
    }
    std::vector<std::vector<unsigned>> neighbours(n);
    for (const auto& b : bonds) {
        neighbours[b[0]].push_back(b[1]);
        neighbours[b[1]].push_back(b[0]);
    }
    return neighbours;
}

InternalCoordinate make(CoordinateKind kind, unsigned a, unsigned b, unsigned c = 0, unsigned d = 0) {
    InternalCoordinate q;
    q.kind = kind;
    q.atoms = {a, b, c, d};
    return q;
}

// Two linear bends of a-b-c along the directions normal to a-c: the Cartesian axis least
// parallel to it made orthogonal, and their cross product.
void add_linear_bends(std::vector<InternalCoordinate>& q, const std::vector<double>& x, unsigned a, unsigned b,
                      unsigned c) {
    const V3 axis = unit(sub(at(x, c), at(x, a)));
    unsigned k = 0;
    for (unsigned i = 1; i < 3; ++i)
        if (std::fabs(axis[i]) < std::fabs(axis[k])) k = i;
    V3 e{0.0, 0.0, 0.0};
    e[k] = 1.0;
    const V3 e0 = unit(sub(e, scale(axis, axis[k])));
    for (const V3& direction : {e0, cross(axis, e0)}) {
        InternalCoordinate bend = make(CoordinateKind::linear_bend, a, b, c);
        bend.direction = direction;
        q.push_back(bend);
    }
}

void add_row(Matrix<double>& B, int row, unsigned atom, const V3& d) {
    for (unsigned k = 0; k < 3; ++k) B[row][3 * atom + k] += d[k];
}

}  // namespace

std::vector<InternalCoordinate> redundant_internals(const std::vector<double>& x, const std::vector<unsigned>& z) {
    std::vector<std::array<unsigned, 2>> bonds;
    const std::vector<std::vector<unsigned>> nb = bonded_neighbours(x, z, bonds);
    std::vector<InternalCoordinate> q;
    for (const auto& b : bonds) q.push_back(make(CoordinateKind::bond, b[0], b[1]));
    for (unsigned b = 0; b < nb.size(); ++b)
        for (std::size_t i = 0; i < nb[b].size(); ++i)
            for (std::size_t j = i + 1; j < nb[b].size(); ++j) {
                const unsigned a = nb[b][i], c = nb[b][j];
                if (near_linear(x, a, b, c))
                    add_linear_bends(q, x, a, b, c);
                else
                    q.push_back(make(CoordinateKind::angle, a, b, c));
            }
    for (const auto& bond : bonds) {
        const unsigned b = bond[0], c = bond[1];
        for (unsigned a : nb[b])
            for (unsigned d : nb[c])
                if (a != c && d != b && a != d && !near_linear(x, a, b, c) && !near_linear(x, b, c, d))
                    q.push_back(make(CoordinateKind::dihedral, a, b, c, d));
    }
    for (unsigned j = 0; j < nb.size(); ++j)
        if (nb[j].size() == 3) {
            const unsigned a = nb[j][0], b = nb[j][1], c = nb[j][2];
            if (!near_linear(x, a, b, c) && !near_linear(x, b, c, j))
                q.push_back(make(CoordinateKind::dihedral, a, b, c, j));
        }
    return q;
}

double coordinate_value(const InternalCoordinate& q, const std::vector<double>& x) {
    const unsigned a = q.atoms[0], b = q.atoms[1], c = q.atoms[2], d = q.atoms[3];
    switch (q.kind) {
    case CoordinateKind::bond:
        return distance(x, a, b);
    case CoordinateKind::angle:
        return std::acos(std::max(-1.0, std::min(1.0, bend_cosine(x, a, b, c))));
    case CoordinateKind::linear_bend:
        return dot(q.direction, unit(sub(at(x, a), at(x, b)))) + dot(q.direction, unit(sub(at(x, c), at(x, b))));
    case CoordinateKind::dihedral: {
        const V3 F = sub(at(x, a), at(x, b)), G = sub(at(x, b), at(x, c)), H = sub(at(x, d), at(x, c));
        const V3 A = cross(F, G), Bv = cross(H, G);
        return std::atan2(dot(cross(Bv, A), G) / norm(G), dot(A, Bv));
    }
    }
    return 0.0;
}

std::vector<double> coordinate_values(const std::vector<InternalCoordinate>& q, const std::vector<double>& x) {
    std::vector<double> v;
    for (const InternalCoordinate& c : q) v.push_back(coordinate_value(c, x));
    return v;
}

std::vector<double> coordinate_differences(const std::vector<InternalCoordinate>& q, const std::vector<double>& q1,
                                           const std::vector<double>& q0) {
    const double two_pi = 2.0 * std::acos(-1.0);
    std::vector<double> d(q.size());
    for (std::size_t k = 0; k < q.size(); ++k) {
        d[k] = q1[k] - q0[k];
        if (q[k].kind == CoordinateKind::dihedral) d[k] -= two_pi * std::round(d[k] / two_pi);
    }
    return d;
}

// Derivatives: bond and angle from E. B. Wilson, J. C. Decius and P. C. Cross, "Molecular
// Vibrations" (1955), ch. 4; the dihedral from A. Blondel and M. Karplus, J. Comput. Chem.
// 17, 1132 (1996), eq. 27, free of the singularity of sin(phi) at 0 and pi.
Matrix<double> wilson_b(const std::vector<InternalCoordinate>& q, const std::vector<double>& x) {
    Matrix<double> B(static_cast<int>(q.size()), static_cast<int>(x.size()));
    for (std::size_t k = 0; k < q.size(); ++k) {
        const int row = static_cast<int>(k);
        const unsigned a = q[k].atoms[0], b = q[k].atoms[1], c = q[k].atoms[2], d = q[k].atoms[3];
        switch (q[k].kind) {
        case CoordinateKind::bond: {
            const V3 u = unit(sub(at(x, a), at(x, b)));
            add_row(B, row, a, u);
            add_row(B, row, b, scale(u, -1.0));
            break;
        }
        case CoordinateKind::angle: {
            const V3 ba = sub(at(x, a), at(x, b)), bc = sub(at(x, c), at(x, b));
            const V3 u = unit(ba), w = unit(bc);
            const double cos_t = dot(u, w), sin_t = std::sqrt(std::max(0.0, 1.0 - cos_t * cos_t));
            const V3 da = scale(sub(scale(u, cos_t), w), 1.0 / (norm(ba) * sin_t));
            const V3 dc = scale(sub(scale(w, cos_t), u), 1.0 / (norm(bc) * sin_t));
            add_row(B, row, a, da);
            add_row(B, row, c, dc);
            add_row(B, row, b, scale(V3{da[0] + dc[0], da[1] + dc[1], da[2] + dc[2]}, -1.0));
            break;
        }
        case CoordinateKind::linear_bend: {
            const V3 ba = sub(at(x, a), at(x, b)), bc = sub(at(x, c), at(x, b));
            const V3 u = unit(ba), w = unit(bc), &e = q[k].direction;
            const V3 da = scale(sub(e, scale(u, dot(u, e))), 1.0 / norm(ba));
            const V3 dc = scale(sub(e, scale(w, dot(w, e))), 1.0 / norm(bc));
            add_row(B, row, a, da);
            add_row(B, row, c, dc);
            add_row(B, row, b, scale(V3{da[0] + dc[0], da[1] + dc[1], da[2] + dc[2]}, -1.0));
            break;
        }
        case CoordinateKind::dihedral: {
            const V3 F = sub(at(x, a), at(x, b)), G = sub(at(x, b), at(x, c)), H = sub(at(x, d), at(x, c));
            const V3 A = cross(F, G), Bv = cross(H, G);
            const double g = norm(G), aa = dot(A, A), bb = dot(Bv, Bv);
            const double fg = dot(F, G) / (aa * g), hg = dot(H, G) / (bb * g);
            const V3 d1 = scale(A, -g / aa), d4 = scale(Bv, g / bb);
            const V3 d2 = sub(scale(A, g / aa + fg), scale(Bv, hg));
            const V3 d3 = sub(sub(scale(Bv, hg), scale(A, fg)), scale(Bv, g / bb));
            add_row(B, row, a, d1);
            add_row(B, row, b, d2);
            add_row(B, row, c, d3);
            add_row(B, row, d, d4);
            break;
        }
        }
    }
    return B;
}
