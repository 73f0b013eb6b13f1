#include "vibration/displacement_symmetry.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

namespace {

std::array<double, 3> turned(const AxisOperation& op, const std::array<double, 3>& v) {
    return {op.sign[0] * v[op.axis[0]], op.sign[1] * v[op.axis[1]], op.sign[2] * v[op.axis[2]]};
}

// The displacement run `d` becomes under `op`: its atom's image, moved along the axis that
// R turns its axis into, with the sign that axis takes.
Displacement image_displacement(const AxisOperation& op, const Displacement& d) {
    const unsigned c0 = d.coordinate % 3;
    unsigned c = 0;
    while (op.axis[c] != c0) ++c;
    return {3 * op.image[d.coordinate / 3] + c, d.sign * static_cast<int>(op.sign[c])};
}

}  // namespace

std::vector<AxisOperation> axis_operations(const std::vector<Vec3>& positions, const std::vector<unsigned>& elements,
                                           double tolerance) {
    const std::size_t n = positions.size();
    std::vector<std::array<double, 3>> p;
    std::array<double, 3> centre{0.0, 0.0, 0.0};
    for (const Vec3& v : positions) {
        p.push_back({v.x, v.y, v.z});
        for (int c = 0; c < 3; ++c) centre[c] += p.back()[c] / static_cast<double>(n);
    }
    std::vector<AxisOperation> found;
    std::array<unsigned, 3> axis{0, 1, 2};
    do {
        for (unsigned signs = 0; signs < 8; ++signs) {
            AxisOperation op;
            op.axis = axis;
            op.centre = centre;
            for (int c = 0; c < 3; ++c) op.sign[c] = (signs >> c & 1) != 0 ? -1.0 : 1.0;
            if (signs == 0 && axis == std::array<unsigned, 3>{0, 1, 2}) continue;  // the identity
            for (std::size_t a = 0; a < n && op.image.size() == a; ++a) {
                std::array<double, 3> r;
                for (int c = 0; c < 3; ++c) r[c] = p[a][c] - centre[c];
                const std::array<double, 3> q = turned(op, r);
                for (std::size_t b = 0; b < n; ++b) {
                    double d2 = 0.0;
                    for (int c = 0; c < 3; ++c) d2 += std::pow(q[c] + centre[c] - p[b][c], 2);
                    if (elements[b] == elements[a] && d2 <= tolerance * tolerance) {
                        op.image.push_back(static_cast<unsigned>(b));
                        break;
                    }
                }
            }
            if (op.image.size() == n) found.push_back(std::move(op));
        }
    } while (std::next_permutation(axis.begin(), axis.end()));
    return found;
}

std::vector<DisplacementSource> plan_displacements(const std::vector<Displacement>& runs,
                                                   const std::vector<AxisOperation>& operations) {
    std::map<std::pair<unsigned, int>, unsigned> index;
    for (unsigned i = 0; i < runs.size(); ++i) index[{runs[i].coordinate, runs[i].sign}] = i;
    std::vector<DisplacementSource> plan(runs.size());
    std::vector<bool> covered(runs.size(), false);
    for (unsigned i = 0; i < runs.size(); ++i) {
        if (covered[i]) continue;
        covered[i] = true;  // computed
        for (std::size_t k = 0; k < operations.size(); ++k) {
            const Displacement to = image_displacement(operations[k], runs[i]);
            const auto j = index.find({to.coordinate, to.sign});
            if (j == index.end() || covered[j->second]) continue;
            covered[j->second] = true;
            plan[j->second] = {static_cast<int>(k), i};
        }
    }
    return plan;
}

std::vector<double> image_gradient(const AxisOperation& op, const std::vector<double>& gradient) {
    std::vector<double> out(gradient.size());
    for (std::size_t b = 0; b < op.image.size(); ++b) {
        const std::array<double, 3> g = turned(op, {gradient[3 * b], gradient[3 * b + 1], gradient[3 * b + 2]});
        std::copy(g.begin(), g.end(), out.begin() + 3 * static_cast<std::ptrdiff_t>(op.image[b]));
    }
    return out;
}

std::array<double, 3> image_dipole(const AxisOperation& op, const std::array<double, 3>& dipole, double charge) {
    std::array<double, 3> mu = turned(op, dipole);
    const std::array<double, 3> rc = turned(op, op.centre);
    for (int c = 0; c < 3; ++c) mu[c] += charge * (op.centre[c] - rc[c]);
    return mu;
}

bool state_keeps(const AxisOperation& op, const std::vector<double>& gradient,
                 const std::vector<std::vector<double>>& populations, const std::array<double, 3>& dipole,
                 double charge) {
    const auto near = [](double a, double b) { return std::fabs(a - b) <= symmetric_state_tolerance; };
    bool same = true;
    const std::vector<double> g = image_gradient(op, gradient);
    for (std::size_t i = 0; i < g.size(); ++i) same = same && near(g[i], gradient[i]);
    for (const std::vector<double>& q : populations)
        for (std::size_t a = 0; a < q.size(); ++a) same = same && near(q[op.image[a]], q[a]);
    const std::array<double, 3> mu = image_dipole(op, dipole, charge);
    for (int c = 0; c < 3; ++c) same = same && near(mu[c], dipole[c]);
    return same;
}
