#include "integrals/md/shell.h"

#include <cmath>

#include "common/constants.h"
#include "common/factorial.h"

namespace {

std::vector<CartesianPowers> components_of(int l) {
    std::vector<CartesianPowers> powers;
    for (int k = 0; k < cartesian_count(l); ++k) {
        const std::array<unsigned, 3> p = cartesian_powers(static_cast<unsigned>(l), static_cast<unsigned>(k));
        powers.push_back({static_cast<int>(p[0]), static_cast<int>(p[1]), static_cast<int>(p[2])});
    }
    return powers;
}

}  // namespace

const std::vector<CartesianPowers>& cartesian_components(int l) {
    static const std::vector<std::vector<CartesianPowers>> all = [] {
        std::vector<std::vector<CartesianPowers>> v;
        for (int k = 0; k <= max_engine_l; ++k) v.push_back(components_of(k));
        return v;
    }();
    return all[static_cast<std::size_t>(l)];
}

int cartesian_count(int l) { return (l + 1) * (l + 2) / 2; }

int function_count(const GaussianShell& shell) { return shell.pure ? 2 * shell.l + 1 : cartesian_count(shell.l); }

std::vector<unsigned> exponent_groups(const std::vector<GaussianShell>& shells) {
    std::vector<unsigned> begin;
    for (unsigned s = 0; s < shells.size(); ++s)
        if (s == 0 || shells[s].centre != shells[s - 1].centre || shells[s].exponents != shells[s - 1].exponents)
            begin.push_back(s);
    begin.push_back(static_cast<unsigned>(shells.size()));
    return begin;
}

double component_scale(const CartesianPowers& p) {
    const int l = p.x + p.y + p.z;
    return std::sqrt(static_cast<double>(dfact(2 * l - 1)) /
                     (static_cast<double>(dfact(2 * p.x - 1)) * dfact(2 * p.y - 1) * dfact(2 * p.z - 1)));
}

GaussianShell normalised_shell(int l, bool pure, const std::array<double, 3>& centre,
                               const std::vector<double>& exponents, const std::vector<double>& coefficients) {
    GaussianShell shell{l, pure, centre, exponents, coefficients};
    const double odd = dfact(2 * l - 1);
    for (std::size_t p = 0; p < exponents.size(); ++p) {
        const double a = exponents[p];
        shell.coefficients[p] *= std::pow(2.0 * a / pi_convention, 0.75) * std::pow(4.0 * a, 0.5 * l) / std::sqrt(odd);
    }
    double norm = 0.0;
    for (std::size_t p = 0; p < exponents.size(); ++p)
        for (std::size_t q = 0; q < exponents.size(); ++q) {
            const double s = exponents[p] + exponents[q];
            norm += shell.coefficients[p] * shell.coefficients[q] * std::pow(pi_convention / s, 1.5) * odd /
                    std::pow(2.0 * s, l);
        }
    for (double& c : shell.coefficients) c /= std::sqrt(norm);
    return shell;
}

GaussianShell normalised_shell(const ElementShell& shell, const std::array<double, 3>& centre) {
    return normalised_shell(static_cast<int>(shell.L), shell.pure, centre, shell.exponents, shell.coefficients);
}
