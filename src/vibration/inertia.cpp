#include "vibration/inertia.h"

#include "linalg/eigsym.h"
#include "linalg/matrix.h"

namespace {

// Below this ratio of the smallest to the largest moment a molecule is linear: a bend
// of 1e-3 rad in a triatomic gives about 1e-6.
constexpr double linear_moment_ratio = 1e-8;

}  // namespace

bool Inertia::linear() const { return moments[2] > 0.0 && moments[0] < linear_moment_ratio * moments[2]; }

std::array<double, 3> relative_to(const Vec3& p, const std::array<double, 3>& centre) {
    return {p.x - centre[0], p.y - centre[1], p.z - centre[2]};
}

Inertia principal_inertia(const std::vector<Vec3>& positions, const std::vector<double>& masses) {
    Inertia in;
    double total = 0.0;
    for (std::size_t a = 0; a < positions.size(); ++a) {
        total += masses[a];
        in.centre[0] += masses[a] * positions[a].x;
        in.centre[1] += masses[a] * positions[a].y;
        in.centre[2] += masses[a] * positions[a].z;
    }
    if (total <= 0.0) return in;
    for (double& c : in.centre) c /= total;
    // I = sum m (r^2 1 - r r^T)
    Matrix<double> tensor(3, 3);
    for (std::size_t a = 0; a < positions.size(); ++a) {
        const std::array<double, 3> r = relative_to(positions[a], in.centre);
        const double r2 = r[0] * r[0] + r[1] * r[1] + r[2] * r[2];
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) tensor[i][j] += masses[a] * ((i == j ? r2 : 0.0) - r[i] * r[j]);
    }
    Matrix<double> U;
    std::vector<double> w;
    Eigsym(tensor, U, w);
    for (int k = 0; k < 3; ++k) {
        in.moments[k] = w[static_cast<std::size_t>(k)] < 0.0 ? 0.0 : w[static_cast<std::size_t>(k)];
        for (int i = 0; i < 3; ++i) in.axes[k][i] = U[i][k];
    }
    return in;
}
