#include "gradient/scf_gradient.h"

#include <cmath>

#include "common/constants.h"
#include "common/factorial.h"

std::vector<GradientShell> gradient_shells(const BasisSet& basis, const std::vector<Atom>& atoms) {
    std::vector<GradientShell> shells;
    for (std::size_t s = 0; s < basis.shells.size(); ++s) {
        const Shell& shell = basis.shells[s];
        const Vec3& r = atoms[shell.atom].position;
        const std::array<double, 3> centre{r.x, r.y, r.z};
        GaussianShell g;
        if (basis.builtin) {
            // c_p = d_p N(a_p), N(a) = (2a/pi)^(3/4) (4a)^(l/2) / sqrt((2l-1)!!): the norm of
            // x^l exp(-a r^2); component_scale takes each component to its own (basis/gto.h).
            const int l = static_cast<int>(shell.L);
            g = GaussianShell{l, shell.pure, centre, shell.exponents, shell.coefficients};
            for (std::size_t p = 0; p < g.exponents.size(); ++p) {
                const double a = g.exponents[p];
                g.coefficients[p] *= std::pow(2.0 * a / pi_convention, 0.75) * std::pow(4.0 * a, 0.5 * l) /
                                     std::sqrt(static_cast<double>(dfact(2 * l - 1)));
            }
        } else {
            g = normalised_shell(shell, centre);
        }
        shells.push_back({g, shell.atom, basis.shell_first[s]});
    }
    return shells;
}

AtomGradient nuclear_repulsion_gradient(const std::vector<Atom>& atoms) {
    AtomGradient g(3 * atoms.size(), 0.0);
    for (std::size_t a = 0; a < atoms.size(); ++a)
        for (std::size_t b = 0; b < atoms.size(); ++b) {
            if (a == b || atoms[a].nucl_chg() == 0 || atoms[b].nucl_chg() == 0) continue;
            const double d[3] = {atoms[a].position.x - atoms[b].position.x, atoms[a].position.y - atoms[b].position.y,
                                 atoms[a].position.z - atoms[b].position.z};
            const double r = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
            const double zz = static_cast<double>(atoms[a].nucl_chg()) * atoms[b].nucl_chg();
            for (int x = 0; x < 3; ++x) g[3 * a + static_cast<std::size_t>(x)] -= zz * d[x] / (r * r * r);
        }
    return g;
}

namespace {

Matrix<double> product(const Matrix<double>& A, const Matrix<double>& B) {
    Matrix<double> C(A.rows(), B.cols());
    for (int i = 0; i < A.rows(); ++i)
        for (int j = 0; j < B.cols(); ++j) C[i][j] = 0.0;
    for (int i = 0; i < A.rows(); ++i)
        for (int k = 0; k < A.cols(); ++k) {
            const double a = A[i][k];
            if (a == 0.0) continue;
            for (int j = 0; j < B.cols(); ++j) C[i][j] += a * B[k][j];
        }
    return C;
}

}  // namespace

Matrix<double> energy_weighted_density(const SpinRun& run) {
    const int n = run.channels.front().density.rows();
    Matrix<double> W(n, n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) W[i][j] = 0.0;
    for (const ChannelState& c : run.channels) {
        const Matrix<double> PFP = product(product(c.density, c.fock), c.density);
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) W[i][j] += PFP[i][j] / c.occupation;
    }
    return W;
}

std::vector<Vec3> scf_gradient(const Calculation& calc, unsigned threads) {
    const std::vector<Atom>& atoms = calc.molecule.atoms;
    const SpinRun& run = calc.tightened ? *calc.tightened : calc.result;
    const std::vector<GradientShell> shells = gradient_shells(calc.basis, atoms);
    PairDensities densities;
    densities.total = run.total_density();
    for (const ChannelState& c : run.channels) densities.channels.push_back(c.density);
    // One channel: E_x = -1/4 sum (uv|ls) P_ul P_vs of the doubly occupied P, here symmetrised.
    densities.exchange = run.channels.size() == 1 ? 0.25 : 0.5;
    const AtomGradient nuclear = nuclear_repulsion_gradient(atoms);
    const AtomGradient one = one_electron_gradient(shells, densities.total, energy_weighted_density(run), atoms);
    const AtomGradient two = repulsion_gradient(shells, densities, static_cast<unsigned>(atoms.size()), threads);
    std::vector<Vec3> g;
    for (std::size_t a = 0; a < atoms.size(); ++a) {
        double v[3];
        for (std::size_t x = 0; x < 3; ++x) v[x] = nuclear[3 * a + x] + one[3 * a + x] + two[3 * a + x];
        g.emplace_back(v[0], v[1], v[2]);
    }
    return g;
}
