#include "optimize/model_hessian.h"

#include <cmath>

namespace {

constexpr double k_bond = 0.45, k_bend = 0.15, k_torsion = 0.005;

// Row of the periodic table, 0 to 2 (row three and beyond share the last).
unsigned table_row(unsigned z) { return z <= 2 ? 0 : z <= 10 ? 1 : 2; }

double rho(const std::vector<double>& x, const std::vector<unsigned>& z, unsigned i, unsigned j) {
    static const double alpha[3][3] = {{1.0000, 0.3949, 0.3949}, {0.3949, 0.2800, 0.2800}, {0.3949, 0.2800, 0.2800}};
    static const double r_ref[3][3] = {{1.35, 2.10, 2.53}, {2.10, 2.87, 3.40}, {2.53, 3.40, 3.40}};
    const unsigned ri = table_row(z[i]), rj = table_row(z[j]);
    double r2 = 0.0;
    for (unsigned k = 0; k < 3; ++k) r2 += (x[3 * i + k] - x[3 * j + k]) * (x[3 * i + k] - x[3 * j + k]);
    return std::exp(alpha[ri][rj] * (r_ref[ri][rj] * r_ref[ri][rj] - r2));
}

}  // namespace

std::vector<double> lindh_hessian(const std::vector<InternalCoordinate>& q, const std::vector<double>& x,
                                  const std::vector<unsigned>& z) {
    std::vector<double> h;
    for (const InternalCoordinate& c : q) {
        const unsigned a = c.atoms[0], b = c.atoms[1], cc = c.atoms[2], d = c.atoms[3];
        switch (c.kind) {
        case CoordinateKind::bond:
            h.push_back(k_bond * rho(x, z, a, b));
            break;
        case CoordinateKind::angle:
        case CoordinateKind::linear_bend:
            h.push_back(k_bend * rho(x, z, a, b) * rho(x, z, b, cc));
            break;
        case CoordinateKind::dihedral:
            h.push_back(k_torsion * rho(x, z, a, b) * rho(x, z, b, cc) * rho(x, z, cc, d));
            break;
        }
    }
    return h;
}
