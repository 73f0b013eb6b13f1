#include "vibration/rigid_motion.h"

#include <cmath>

namespace {

std::array<double, 3> components(const Vec3& v) { return {v.x, v.y, v.z}; }

// (e_u x v)_c
double turned(unsigned u, const std::array<double, 3>& v, unsigned c) {
    const std::array<double, 3> e{u == 0 ? 1.0 : 0.0, u == 1 ? 1.0 : 0.0, u == 2 ? 1.0 : 0.0};
    const std::array<double, 3> x{e[1] * v[2] - e[2] * v[1], e[2] * v[0] - e[0] * v[2], e[0] * v[1] - e[1] * v[0]};
    return x[c];
}

// Lever of coordinate 3 b + c in rotation u about the kept atom: (e_u x (r_b - r_kept))_c.
double lever(const std::vector<Vec3>& positions, unsigned kept, unsigned coordinate, unsigned u) {
    const std::array<double, 3> r = components(positions[coordinate / 3]), o = components(positions[kept]);
    return turned(u, {r[0] - o[0], r[1] - o[1], r[2] - o[2]}, coordinate % 3);
}

using Matrix3 = std::array<std::array<double, 3>, 3>;

double determinant(const Matrix3& m) {
    return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
           m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

Matrix3 rotation_matrix(const std::vector<Vec3>& positions, unsigned kept, const std::vector<unsigned>& rotation) {
    Matrix3 m{};
    for (unsigned u = 0; u < 3; ++u)
        for (unsigned t = 0; t < 3; ++t) m[u][t] = lever(positions, kept, rotation[t], u);
    return m;
}

}  // namespace

std::vector<unsigned> rotation_coordinates(const std::vector<Vec3>& positions, unsigned kept,
                                           const std::vector<RotationCandidate>& candidates) {
    double reach = 0.0;  // R
    for (const Vec3& p : positions)
        reach = std::fmax(reach, std::hypot(p.x - positions[kept].x, p.y - positions[kept].y, p.z - positions[kept].z));
    const double least = rotation_conditioning * reach * reach * reach;
    std::vector<unsigned> best;
    unsigned best_spared = 0;
    double best_det = 0.0;
    const std::size_t n = candidates.size();
    for (std::size_t a = 0; a < n; ++a)
        for (std::size_t b = a + 1; b < n; ++b)
            for (std::size_t c = b + 1; c < n; ++c) {
                const std::vector<unsigned> t{candidates[a].coordinate, candidates[b].coordinate, candidates[c].coordinate};
                if (t[0] / 3 == kept || t[1] / 3 == kept || t[2] / 3 == kept) continue;
                const unsigned spared = candidates[a].spared + candidates[b].spared + candidates[c].spared;
                const double det = std::fabs(determinant(rotation_matrix(positions, kept, t)));
                if (!(det >= least) || spared < best_spared || (spared == best_spared && !(det > best_det))) continue;
                best = t;
                best_spared = spared;
                best_det = det;
            }
    return best;
}

void fill_rotation_entries(std::vector<double>& v, const std::vector<Vec3>& positions, unsigned kept,
                           const std::vector<unsigned>& rotation, const std::array<double, 3>& rho) {
    std::array<double, 3> rhs = rho;
    for (unsigned i = 0; i < v.size(); ++i) {
        if (i / 3 == kept || i == rotation[0] || i == rotation[1] || i == rotation[2]) continue;
        for (unsigned u = 0; u < 3; ++u) rhs[u] -= lever(positions, kept, i, u) * v[i];
    }
    // Cramer's rule: x_t = det(M with column t replaced by rhs) / det M.
    const Matrix3 m = rotation_matrix(positions, kept, rotation);
    const double det = determinant(m);
    for (unsigned t = 0; t < 3; ++t) {
        Matrix3 mt = m;
        for (unsigned u = 0; u < 3; ++u) mt[u][t] = rhs[u];
        v[rotation[t]] = determinant(mt) / det;
    }
}

std::array<double, 3> hessian_column_torque(const std::vector<double>& gradient, unsigned j) {
    const unsigned a = j / 3, d = j % 3;
    const std::array<double, 3> g{gradient[3 * a], gradient[3 * a + 1], gradient[3 * a + 2]};
    return {turned(0, g, d), turned(1, g, d), turned(2, g, d)};
}

std::array<double, 3> dipole_torque(const std::array<double, 3>& dipole, double charge, const Vec3& origin, unsigned k) {
    const std::array<double, 3> o = components(origin);
    const std::array<double, 3> m{dipole[0] - charge * o[0], dipole[1] - charge * o[1], dipole[2] - charge * o[2]};
    return {turned(0, m, k), turned(1, m, k), turned(2, m, k)};
}
