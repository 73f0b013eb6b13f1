#include "scf/newton.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "linalg/canorg.h"
#include "linalg/eigsym.h"
#include "linalg/matfunc.h"
#include "scf/follow.h"
#include "scf/stability.h"

namespace {

// Conjugate gradients stop when the residual has fallen by this factor (an inexact Newton
// step: the SCF steps around it refine the rest), or after max_cg_steps products.
constexpr double cg_reduction = 1e-3;
constexpr unsigned max_cg_steps = 30;
// The preconditioner e_a - e_i is kept at least this large (Hartree): away from the
// aufbau order a difference can be small or negative.
constexpr double smallest_denominator = 0.05;
// An energy within this of the step's start counts as not raised (rounding of E).
constexpr double energy_rounding = 1e-10;  // Hartree

double dot(const std::vector<double>& a, const std::vector<double>& b) {
    return std::inner_product(a.begin(), a.end(), b.begin(), 0.0);
}

// The columns `first` .. first + count - 1 of U.
Matrix<double> columns(const Matrix<double>& U, int first, int count) {
    Matrix<double> B(U.rows(), count);
    for (int i = 0; i < U.rows(); ++i)
        for (int j = 0; j < count; ++j) B[i][j] = U[i][first + j];
    return B;
}

// B rotated so that B^T F B is diagonal; its diagonal in `energies` (appended).
Matrix<double> canonical(const Matrix<double>& B, const Matrix<double>& F, std::vector<double>& energies) {
    if (B.cols() == 0) return B;
    Matrix<double> W;
    std::vector<double> e;
    Eigsym(trimatprod(transpose(B), F, B), W, e);
    energies.insert(energies.end(), e.begin(), e.end());
    return matprod(B, W);
}

// One channel's orbitals (AO coefficients, columns) and their energies.
struct ChannelOrbitals {
    Matrix<double> C;
    std::vector<double> energies;
    unsigned occupied = 0;
};

// Orbitals of one channel's density P, occupied ones first, semicanonical for F, and the
// gradient block g_ai = (C_vir^T F C_occ)_ai in the layout of stability.h.
ChannelOrbitals semicanonical(const SpinSystem& system, const Matrix<double>& P, const Matrix<double>& F,
                           unsigned occupied, std::vector<double>& g) {
    // In the orthogonal basis P' = X^T S P S X; its eigenvalues are 1 (occupied) and 0.
    const Matrix<double> SX = matprod(system.S, system.X);
    Matrix<double> U;
    std::vector<double> w;
    Eigsym(trimatprod(transpose(SX), P, SX), U, w);
    const int m = U.cols(), o = static_cast<int>(occupied);
    const Matrix<double> F_orth = trimatprod(system.X_t, F, system.X);
    ChannelOrbitals s;
    s.occupied = occupied;
    const Matrix<double> Uo = canonical(columns(U, m - o, o), F_orth, s.energies);
    const Matrix<double> Uv = canonical(columns(U, 0, m - o), F_orth, s.energies);
    Matrix<double> Uall(m, m);
    for (int i = 0; i < m; ++i) {
        for (int j = 0; j < o; ++j) Uall[i][j] = Uo[i][j];
        for (int j = 0; j < m - o; ++j) Uall[i][o + j] = Uv[i][j];
    }
    const Matrix<double> Fvo = trimatprod(transpose(Uv), F_orth, Uo);
    for (int i = 0; i < o; ++i)
        for (int a = 0; a < m - o; ++a) g.push_back(Fvo[a][i]);
    s.C = matprod(system.X, Uall);
    return s;
}

// The tau >= 0 with |x + tau p| = radius.
double to_boundary(const std::vector<double>& x, const std::vector<double>& p, double radius) {
    const double pp = dot(p, p), xp = dot(x, p), xx = dot(x, x);
    return (-xp + std::sqrt(std::fmax(0.0, xp * xp + pp * (radius * radius - xx)))) / pp;
}

}  // namespace

std::vector<Matrix<double>> newton_densities(const SpinSystem& system, const std::vector<Matrix<double>>& P,
                                             const std::vector<Matrix<double>>& F, double radius, bool& boundary) {
    std::vector<double> g;
    const ChannelOrbitals a = semicanonical(system, P[0], F[0], system.occupied[0], g);
    const ChannelOrbitals b = semicanonical(system, P[1], F[1], system.occupied[1], g);
    const std::vector<RotatedChannel> channels{{a.C, a.energies, a.occupied}, {b.C, b.energies, b.occupied}};
    const TrialResponse response = unrestricted_response(*system.two_electron);
    std::vector<double> d;
    for (const ChannelOrbitals* s : {&a, &b})
        for (unsigned i = 0; i < s->occupied; ++i)
            for (unsigned v = s->occupied; v < s->energies.size(); ++v)
                d.push_back(std::fmax(smallest_denominator, s->energies[v] - s->energies[i]));

    // Preconditioned conjugate gradients for (A + B) x = -g, stopped at the trust radius.
    const std::size_t dim = g.size();
    std::vector<double> x(dim, 0.0), r(dim), z(dim), p(dim);
    for (std::size_t k = 0; k < dim; ++k) {
        r[k] = -g[k];
        p[k] = z[k] = r[k] / d[k];
    }
    const double r0 = std::sqrt(dot(r, r));
    double rz = dot(r, z);
    boundary = false;
    for (unsigned step = 0; step < max_cg_steps && dim > 0 && r0 > 0.0; ++step) {
        const FlatVector Mp = orbital_hessian_product(channels, response, p);
        const double curvature = dot(p, Mp);
        std::vector<double> trial = x;
        const double alpha = curvature > 0.0 ? rz / curvature : 0.0;
        for (std::size_t k = 0; k < dim; ++k) trial[k] += alpha * p[k];
        if (!(curvature > 0.0) || std::sqrt(dot(trial, trial)) >= radius) {
            const double tau = to_boundary(x, p, radius);
            for (std::size_t k = 0; k < dim; ++k) x[k] += tau * p[k];
            boundary = true;
            break;
        }
        x = std::move(trial);
        for (std::size_t k = 0; k < dim; ++k) r[k] -= alpha * Mp[k];
        if (std::sqrt(dot(r, r)) <= cg_reduction * r0) break;
        for (std::size_t k = 0; k < dim; ++k) z[k] = r[k] / d[k];
        const double rz_next = dot(r, z);
        for (std::size_t k = 0; k < dim; ++k) p[k] = z[k] + rz_next / rz * p[k];
        rz = rz_next;
    }
    const std::size_t na = std::size_t{a.occupied} * (a.energies.size() - a.occupied);
    return {orbital_density(rotate_orbitals(a.C, a.occupied, x.data(), 1.0), a.occupied, 1.0),
            orbital_density(rotate_orbitals(b.C, b.occupied, x.data() + na, 1.0), b.occupied, 1.0)};
}

std::vector<Matrix<double>> TrustRegion::next(const std::vector<Matrix<double>>& P,
                                              const std::vector<Matrix<double>>& F, double energy) {
    if (!have_last_ || energy <= last_energy_ + energy_rounding || radius_ <= min_radius) {
        if (have_last_ && boundary_) radius_ = std::min(max_radius, 2.0 * radius_);
        last_P_ = P;
        last_F_ = F;
        last_energy_ = energy;
        have_last_ = true;
    } else {
        radius_ = std::max(min_radius, 0.25 * radius_);  // the step raised E: shorter, from its start
    }
    return newton_densities(system_, last_P_, last_F_, radius_, boundary_);
}
