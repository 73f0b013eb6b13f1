#include "integrals/dipole.h"

#include "integrals/reference/overlap.h"

namespace {

double component(const Vec3& r, int axis) { return axis == 0 ? r.x : axis == 1 ? r.y : r.z; }

}  // namespace

double gto_dipole(const GTO& a, const Vec3& A, const GTO& b, const Vec3& B, int axis, const Vec3& origin) {
    const int la = static_cast<int>(a.l), ma = static_cast<int>(a.m), na = static_cast<int>(a.n);
    const int lb = static_cast<int>(b.l), mb = static_cast<int>(b.m), nb = static_cast<int>(b.n);
    const double raised = overlap(a.alpha, la, ma, na, A, b.alpha, lb + (axis == 0), mb + (axis == 1),
                                  nb + (axis == 2), B);
    const double shift = component(B, axis) - component(origin, axis);
    return raised + shift * overlap(a.alpha, la, ma, na, A, b.alpha, lb, mb, nb, B);
}

double cgf_dipole(const CGF& a, const Vec3& A, const CGF& b, const Vec3& B, int axis, const Vec3& origin) {
    double sum = 0.0;
    for (const GTO& ga : a.gtos)
        for (const GTO& gb : b.gtos) sum += gto_dipole(ga, A, gb, B, axis, origin) * (((ga.c * gb.c) * ga.norm) * gb.norm);
    return sum;
}

std::array<Matrix<double>, 3> dipole_matrices(const std::vector<CGF>& cgfs, const std::vector<Vec3>& atom_positions,
                                              const Vec3& origin) {
    const int n = static_cast<int>(cgfs.size());
    std::array<Matrix<double>, 3> d{Matrix<double>(n, n), Matrix<double>(n, n), Matrix<double>(n, n)};
    for (int axis = 0; axis < 3; ++axis)
        for (int i = 0; i < n; ++i)
            for (int j = 0; j <= i; ++j) d[axis][i][j] = d[axis][j][i] =
                    cgf_dipole(cgfs[i], atom_positions[cgfs[i].atom], cgfs[j], atom_positions[cgfs[j].atom], axis, origin);
    return d;
}
