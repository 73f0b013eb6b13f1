#include "optimize/optimizer.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "linalg/eigsym.h"
#include "linalg/matrix.h"
#include "optimize/internal_coordinates.h"
#include "optimize/model_hessian.h"

namespace {

using Vec = std::vector<double>;

// Eigenvalues of G = B B^T below this are its redundant directions (the null space of B^T).
constexpr double redundancy_threshold = 1e-8;
// Curvature given to the redundant directions, so that no step goes along them.
constexpr double redundant_curvature = 1000.0;
// The trust radius is kept within these bounds (see updated_trust).
constexpr double min_trust = 1e-3, max_trust = 1.0;
// Back-transformation to Cartesians (Pulay and Fogarasi's iteration): converged when the
// RMS Cartesian change of an iteration is below this (bohr); failed when it grows tenfold
// over the first or needs more than max_back_iterations.
constexpr double back_transformation_tolerance = 1e-7;
constexpr unsigned max_back_iterations = 50;

double dot(const Vec& a, const Vec& b) {
    double s = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i) s += a[i] * b[i];
    return s;
}
double rms(const Vec& v) { return v.empty() ? 0.0 : std::sqrt(dot(v, v) / static_cast<double>(v.size())); }
double max_abs(const Vec& v) {
    double m = 0.0;
    for (double e : v) m = std::max(m, std::fabs(e));
    return m;
}
Vec times(const Matrix<double>& A, const Vec& v) {
    Vec r(static_cast<std::size_t>(A.rows()), 0.0);
    for (int i = 0; i < A.rows(); ++i)
        for (int j = 0; j < A.cols(); ++j) r[i] += A[i][j] * v[j];
    return r;
}
Vec transpose_times(const Matrix<double>& A, const Vec& v) {
    Vec r(static_cast<std::size_t>(A.cols()), 0.0);
    for (int i = 0; i < A.rows(); ++i)
        for (int j = 0; j < A.cols(); ++j) r[j] += A[i][j] * v[i];
    return r;
}

// The coordinates of the steps: redundant internals, or the Cartesians themselves.
struct Coordinates {
    bool cartesian = false;
    std::vector<InternalCoordinate> internals;

    std::size_t size(const Vec& x) const { return cartesian ? x.size() : internals.size(); }
    Vec values(const Vec& x) const { return cartesian ? x : coordinate_values(internals, x); }
    Vec difference(const Vec& q1, const Vec& q0) const {
        if (!cartesian) return coordinate_differences(internals, q1, q0);
        Vec d(q1.size());
        for (std::size_t i = 0; i < d.size(); ++i) d[i] = q1[i] - q0[i];
        return d;
    }
    Matrix<double> b_matrix(const Vec& x) const {
        if (!cartesian) return wilson_b(internals, x);
        Matrix<double> B(static_cast<int>(x.size()), static_cast<int>(x.size()));
        for (int i = 0; i < B.rows(); ++i) B[i][i] = 1.0;
        return B;
    }
};

// B and, from the eigenpairs of G = B B^T, its generalized inverse G^- and the projector
// P = G G^- onto the coordinate changes that Cartesian changes can make.
struct Frame {
    Matrix<double> B, G_inverse, P;

    explicit Frame(Matrix<double> b) : B(std::move(b)) {
        const int m = B.rows();
        Matrix<double> G(m, m);
        for (int i = 0; i < m; ++i)
            for (int j = 0; j < m; ++j)
                for (int k = 0; k < B.cols(); ++k) G[i][j] += B[i][k] * B[j][k];
        Matrix<double> U;
        Vec w;
        Eigsym(G, U, w);
        G_inverse = Matrix<double>(m, m);
        P = Matrix<double>(m, m);
        for (int k = 0; k < m; ++k) {
            if (w[k] < redundancy_threshold) continue;
            for (int i = 0; i < m; ++i)
                for (int j = 0; j < m; ++j) {
                    G_inverse[i][j] += U[i][k] * U[j][k] / w[k];
                    P[i][j] += U[i][k] * U[j][k];
                }
        }
    }

    // g_q = G^- B g_x.
    Vec internal_gradient(const Vec& gx) const { return times(G_inverse, times(B, gx)); }
    // dx = B^T G^- dq.
    Vec cartesian_step(const Vec& dq) const { return transpose_times(B, times(G_inverse, dq)); }
};

// x + dx for the coordinate change dq, by iterating the linear back-transformation; empty
// when the iteration fails (a bend driven through 180 degrees, a torsion through a line).
std::optional<Vec> back_transform(const Coordinates& coords, const Vec& x, const Vec& dq) {
    const Vec q0 = coords.values(x);
    Vec xk = x, remaining = dq;
    double first = 0.0;
    for (unsigned it = 0; it < max_back_iterations; ++it) {
        const Vec dx = Frame(coords.b_matrix(xk)).cartesian_step(remaining);
        for (std::size_t i = 0; i < xk.size(); ++i) xk[i] += dx[i];
        const double size = rms(dx);
        if (!std::isfinite(size)) return std::nullopt;
        if (it == 0) first = size;
        if (size < back_transformation_tolerance) return xk;
        if (size > 10.0 * first) return std::nullopt;
        const Vec achieved = coords.difference(coords.values(xk), q0);
        for (std::size_t i = 0; i < dq.size(); ++i) remaining[i] = dq[i] - achieved[i];
    }
    return std::nullopt;
}

// The rational-function step (A. Banerjee, N. Adams, J. Simons and R. Shepard, J. Phys.
// Chem. 89, 52 (1985)): s = v / v_last for the lowest eigenvector v of [[H, g], [g^T, 0]];
// longer than the trust radius, the restricted step of trust_region_step instead.
Vec rfo_step(const Matrix<double>& H, const Vec& g, double trust) {
    const int n = static_cast<int>(g.size());
    Matrix<double> A(n + 1, n + 1);
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) A[i][j] = H[i][j];
        A[i][n] = A[n][i] = g[i];
    }
    Matrix<double> U;
    Vec w;
    Eigsym(A, U, w);
    Vec s(g.size());
    const double last = U[n][0];
    for (int i = 0; i < n; ++i) s[i] = std::fabs(last) > 1e-12 ? U[i][0] / last : -g[i];
    const double length = std::sqrt(dot(s, s));
    if (length > trust) s = trust_region_step(H, g, trust);
    return s;
}

// The BFGS updates at a geometry use the coordinate and gradient changes from each of this
// many last geometries, oldest first (multi-point updating, as Psi4's optking does by
// default): the older pairs carry the curvature met over several steps, where one update
// per step learns one direction at a time (menthone 15 evaluations to 12, ACHTAR10 8 to 7).
constexpr std::size_t hessian_update_geometries = 4;

Matrix<double> diagonal(const Vec& d) {
    Matrix<double> H(static_cast<int>(d.size()), static_cast<int>(d.size()));
    for (std::size_t i = 0; i < d.size(); ++i) H[i][i] = d[i];
    return H;
}

// Besides the four criteria, the energy the planned step would still gain (its quadratic
// model, within a few per cent of the gain found once near the minimum) is below this: the
// reported energy is then within a microhartree of the minimum's, the agreement asked of
// optimised energies. Loose criteria alone leave up to a few 1e-6 Eh on flat molecules
// (ethanol, furan, difluorobenzene).
constexpr double converged_energy_gain = 1e-6;

}  // namespace

std::vector<double> trust_region_step(const Matrix<double>& H, const std::vector<double>& g, double trust) {
    if (dot(g, g) == 0.0) return Vec(g.size(), 0.0);  // at a stationary point
    Matrix<double> U;
    Vec h;
    Eigsym(H, U, h);
    const int n = static_cast<int>(g.size());
    const Vec gk = transpose_times(U, g);  // g in the eigenvectors of H
    const auto step = [&](double nu) {
        Vec sk(gk.size());
        for (int k = 0; k < n; ++k) sk[k] = -gk[k] / (h[k] - nu);
        return sk;
    };
    if (h[0] > 0.0) {
        const Vec newton = step(0.0);
        if (dot(newton, newton) <= trust * trust) return times(U, newton);
    }
    // |s(nu)| falls from above the radius at nu_high to at most the radius at nu_low, where
    // every (h_k - nu) >= |g| / trust; bisection to adjacent doubles keeps the shorter end.
    double nu_high = std::min(h[0], 0.0);
    double nu_low = nu_high - std::sqrt(dot(g, g)) / trust;
    for (;;) {
        const double nu = 0.5 * (nu_low + nu_high);
        if (!(nu > nu_low && nu < nu_high)) break;  // adjacent doubles (or a NaN)
        const Vec sk = step(nu);
        (dot(sk, sk) > trust * trust ? nu_high : nu_low) = nu;
    }
    return times(U, step(nu_low));
}

double updated_trust(double trust, double ratio) {
    if (ratio < 0.25) return std::max(trust / 4.0, min_trust);
    if (ratio > 0.75) return std::min(trust * 3.0, max_trust);
    return trust;
}

bool is_converged(const OptimizationStep& s, const ConvergenceCriteria& c, double predicted_gain) {
    return (s.max_force < c.max_force && s.rms_force < c.rms_force && s.max_step < c.max_step &&
            s.rms_step < c.rms_step && std::fabs(predicted_gain) < converged_energy_gain) ||
           s.rms_force < c.rms_force / 100.0;
}

OptimizationTrace minimize(const std::vector<double>& x0, const std::vector<unsigned>& z, const EnergyFunction& f,
                           const OptimizerSettings& settings,
                           const std::function<void(const OptimizationStep&)>& observe) {
    Coordinates coords{false, redundant_internals(x0, z)};
    Matrix<double> H = diagonal(lindh_hessian(coords.internals, x0, z));
    bool built_here = true;  // the coordinates were chosen at this geometry

    OptimizationTrace trace;
    Vec x = x0;
    EnergyGradient eg = f(x);
    double trust = settings.trust;
    // The last geometries' coordinates and internal gradients, oldest first (for the BFGS
    // updates), and the previous energy and predicted change (for the trust radius).
    std::vector<std::pair<Vec, Vec>> earlier;
    double predicted = 0.0;  // 0: none (the first step, or coordinates chosen anew)
    double e_previous = eg.energy;

    for (;;) {
        const Frame frame(coords.b_matrix(x));
        const Vec gq = frame.internal_gradient(eg.gradient);
        const Vec q = coords.values(x);
        {
            std::vector<Vec> dq, dg;
            for (const auto& [qi, gi] : earlier) {
                dq.push_back(coords.difference(q, qi));
                Vec d(gq.size());
                for (std::size_t i = 0; i < d.size(); ++i) d[i] = gq[i] - gi[i];
                dg.push_back(std::move(d));
            }
            bfgs_updates(H, dq, dg);
        }
        if (predicted != 0.0) trust = updated_trust(trust, (eg.energy - e_previous) / predicted);

        // Gradient and Hessian projected onto the coordinate changes Cartesians can make.
        const int m = static_cast<int>(gq.size());
        const Vec g = times(frame.P, gq);
        const Matrix<double> PH = [&] {
            Matrix<double> HP(m, m), R(m, m);
            for (int i = 0; i < m; ++i)
                for (int k = 0; k < m; ++k)
                    if (H[i][k] != 0.0)
                        for (int j = 0; j < m; ++j) HP[i][j] += H[i][k] * frame.P[k][j];
            for (int i = 0; i < m; ++i)
                for (int k = 0; k < m; ++k)
                    if (frame.P[i][k] != 0.0)
                        for (int j = 0; j < m; ++j) R[i][j] += frame.P[i][k] * HP[k][j];
            for (int i = 0; i < m; ++i)
                for (int j = 0; j < m; ++j) R[i][j] += redundant_curvature * ((i == j) - frame.P[i][j]);
            return R;
        }();
        const Vec s = rfo_step(PH, g, trust);

        OptimizationStep step;
        step.step = static_cast<unsigned>(trace.steps.size()) + 1;
        step.energy = eg.energy;
        step.change = trace.steps.empty() ? 0.0 : eg.energy - e_previous;
        step.max_force = max_abs(g);
        step.rms_force = rms(g);
        step.max_step = max_abs(s);
        step.rms_step = rms(s);
        step.trust = trust;
        step.cartesian = coords.cartesian;
        step.x = x;
        step.gradient = eg.gradient;
        const double gain = dot(g, s) + 0.5 * dot(s, times(PH, s));
        const bool done = is_converged(step, settings.criteria, gain);
        std::optional<Vec> next;
        if (!done && step.step < settings.max_steps) {
            next = back_transform(coords, x, s);
            if (!next && !coords.cartesian) {
                // The internals fail here: chosen anew at this geometry, then Cartesians.
                if (built_here) {
                    Matrix<double> Hx(static_cast<int>(x.size()), static_cast<int>(x.size()));
                    for (int i = 0; i < Hx.rows(); ++i)
                        for (int j = 0; j < Hx.cols(); ++j)
                            for (int k = 0; k < m; ++k)
                                for (int l = 0; l < m; ++l)
                                    if (H[k][l] != 0.0) Hx[i][j] += frame.B[k][i] * H[k][l] * frame.B[l][j];
                    coords = Coordinates{true, {}};
                    H = std::move(Hx);
                } else {
                    coords = Coordinates{false, redundant_internals(x, z)};
                    H = diagonal(lindh_hessian(coords.internals, x, z));
                    built_here = true;
                }
                earlier.clear();
                predicted = 0.0;
                continue;
            }
        }
        trace.steps.push_back(step);
        if (observe) observe(step);
        if (!next) {
            trace.converged = done;
            trace.x = x;
            trace.energy = eg.energy;
            return trace;
        }

        predicted = gain;
        earlier.emplace_back(q, gq);
        if (earlier.size() > hessian_update_geometries) earlier.erase(earlier.begin());
        e_previous = eg.energy;
        x = *next;
        eg = f(x);
        built_here = false;
    }
}

void bfgs_updates(Matrix<double>& H, const std::vector<std::vector<double>>& s,
                  const std::vector<std::vector<double>>& y) {
    for (std::size_t k = 0; k < s.size(); ++k) {
        const double ys = dot(y[k], s[k]);
        const Vec Hs = times(H, s[k]);
        const double sHs = dot(s[k], Hs);
        if (ys <= 0.0 || sHs <= 0.0) continue;
        for (int i = 0; i < H.rows(); ++i)
            for (int j = 0; j < H.cols(); ++j) H[i][j] += y[k][i] * y[k][j] / ys - Hs[i] * Hs[j] / sHs;
    }
}
