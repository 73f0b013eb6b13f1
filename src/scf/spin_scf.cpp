#include "scf/spin_scf.h"

#include <cmath>

#include "common/clock.h"
#include "linalg/matfunc.h"
#include "scf/diis.h"
#include "scf/fock.h"
#include "scf/roothaan.h"

namespace {

// The channels' matrices one above the other, for one DIIS history of all channels.
Matrix<double> stacked(const std::vector<Matrix<double>>& M) {
    if (M.size() == 1) return M[0];
    const int n = M[0].rows();
    Matrix<double> out(n * static_cast<int>(M.size()), M[0].cols());
    for (std::size_t s = 0; s < M.size(); ++s)
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < M[s].cols(); ++j) out[static_cast<int>(s) * n + i][j] = M[s][i][j];
    return out;
}

Matrix<double> block(const Matrix<double>& M, int first_row, int rows) {
    Matrix<double> B(rows, M.cols());
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < M.cols(); ++j) B[i][j] = M[first_row + i][j];
    return B;
}

// The densities of the orbitals of the channels' Fock matrices F (stacked).
std::vector<Matrix<double>> occupied_densities(const SpinSystem& system, const Matrix<double>& F) {
    const int n = system.H.rows();
    std::vector<Matrix<double>> P;
    for (unsigned s = 0; s < system.channels(); ++s) {
        const Orbitals o = roothaan_orbitals(system.channels() == 1 ? F : block(F, static_cast<int>(s) * n, n),
                                             system.X, system.X_t, system.free_order_products);
        P.push_back(orbital_density(o.C, system.occupied[s], system.occupation()));
    }
    return P;
}

}  // namespace

double diis_error_threshold(unsigned channels) { return channels == 1 ? 1e-7 : 1e-8; }

Matrix<double> orbital_density(const Matrix<double>& C, unsigned occupied, double w) {
    const int n = C.rows();
    Matrix<double> D(n, n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            double d = 0.0;
            for (unsigned k = 0; k < occupied; ++k) d += (w * C[i][static_cast<int>(k)]) * C[j][static_cast<int>(k)];
            D[i][j] = d;
        }
    return D;
}

std::vector<Matrix<double>> fock_matrices(const SpinSystem& system, const std::vector<Matrix<double>>& P,
                                          const GBuild& G, const JKBuild& jk) {
    const TwoElectronOperator& op = *system.two_electron;
    if (P.size() == 1) return {matsum(system.H, G ? G(P[0]) : op.G(P[0]))};
    const TwoElectronOperator::JK parts = jk ? jk(P) : op.jk(P);
    const int n = system.H.rows();
    std::vector<Matrix<double>> F(P.size(), Matrix<double>(n, n));
    for (std::size_t s = 0; s < P.size(); ++s)
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) F[s][i][j] = system.H[i][j] + parts.J[i][j] - parts.K[s][i][j];
    return F;
}

double scf_energy(const SpinSystem& system, const std::vector<Matrix<double>>& P,
                  const std::vector<Matrix<double>>& F) {
    if (P.size() == 1) return total_energy(P[0], system.H, F[0], system.nuclear_repulsion);
    const Matrix<double>& H = system.H;
    double s = 0.0;
    for (int i = 0; i < H.rows(); ++i)
        for (int j = 0; j < H.cols(); ++j)
            s += (P[0][i][j] + P[1][i][j]) * H[i][j] + P[0][i][j] * F[0][i][j] + P[1][i][j] * F[1][i][j];
    return 0.5 * s + system.nuclear_repulsion;
}

std::vector<Matrix<double>> start_densities(const SpinSystem& system, const Matrix<double>& P_start) {
    const int n = P_start.rows();
    Matrix<double> share(n, n);
    const double part = 1.0 / static_cast<double>(system.channels());
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) share[i][j] = system.channels() == 1 ? P_start[i][j] : part * P_start[i][j];
    return start_densities(system, std::vector<Matrix<double>>(system.channels(), share));
}

std::vector<Matrix<double>> start_densities(const SpinSystem& system, const std::vector<Matrix<double>>& P_channels) {
    return occupied_densities(system, stacked(fock_matrices(system, P_channels)));
}

void converge_diis(const SpinSystem& system, std::vector<Matrix<double>> P, const SpinLoopSettings& settings,
                   const StepListener& listener, const StallEscape& escape, SpinRun& run,
                   const SecondOrderStep& second_order) {
    const bool fo = system.free_order_products;
    const unsigned m = system.channels();
    const double error_threshold = diis_error_threshold(m);

    // Incremental build: G(D_n) = G(D_(n-1)) + G(D_n - D_(n-1)), likewise J and K (they
    // are linear in D); the change shrinks as the SCF converges, so density screening skips
    // more and more quartets. A full build every full_build_interval steps keeps rounding
    // from piling up.
    const TwoElectronOperator& op = *system.two_electron;
    const bool incremental = system.incremental_fock && op.incremental();
    std::vector<Matrix<double>> P_last;
    unsigned since_full = 0;
    auto full_build = [&]() {
        const bool full = P_last.empty() || ++since_full >= system.full_build_interval;
        if (full) since_full = 0;
        return full;
    };
    auto changes = [&](const std::vector<Matrix<double>>& D) {
        std::vector<Matrix<double>> dD(D.size(), Matrix<double>(D[0].rows(), D[0].cols()));
        for (std::size_t s = 0; s < D.size(); ++s)
            for (int i = 0; i < D[s].rows(); ++i)
                for (int j = 0; j < D[s].cols(); ++j) dD[s][i][j] = D[s][i][j] - P_last[s][i][j];
        return dD;
    };
    Matrix<double> G_last;
    const GBuild build_g = [&](const Matrix<double>& D) {
        if (!incremental) return op.G(D);
        G_last = full_build() ? op.G(D) : matsum(G_last, op.G_change(changes({D})[0]));
        P_last = {D};
        return G_last;
    };
    TwoElectronOperator::JK jk_last;
    const JKBuild build_jk = [&](const std::vector<Matrix<double>>& D) {
        if (!incremental) return op.jk(D);
        if (full_build()) {
            jk_last = op.jk(D);
        } else {
            const TwoElectronOperator::JK c = op.jk_change(changes(D));
            jk_last.J = matsum(jk_last.J, c.J);
            for (std::size_t s = 0; s < D.size(); ++s) jk_last.K[s] = matsum(jk_last.K[s], c.K[s]);
        }
        P_last = D;
        return jk_last;
    };

    Diis history;
    history.max_vectors = diis_history;
    double prev = first_previous_energy;
    double best_error = 1e300;
    unsigned best_step = run.iterations;
    run.converged = false;
    run.reached_limit = false;
    run.channels.assign(m, ChannelState{});
    for (unsigned s = 0; s < m; ++s) {
        run.channels[s].occupied = system.occupied[s];
        run.channels[s].occupation = system.occupation();
    }
    Clock clock;
    for (;;) {
        clock.tic();
        ++run.iterations;
        const std::vector<Matrix<double>> F = fock_matrices(system, P, build_g, build_jk);
        run.energy = scf_energy(system, P, F);
        for (unsigned s = 0; s < m; ++s) {
            run.channels[s].density = P[s];
            run.channels[s].fock = F[s];
        }
        if (!std::isfinite(run.energy)) {
            // A Fock element is NaN or infinite (every element enters E): stop before the
            // eigensolver sees the matrix.
            clock.toc();
            run.finite = false;
            if (listener) listener(run.iterations, run.energy, clock.passed());
            return;
        }
        std::vector<Matrix<double>> errors;
        double max_error = 0.0;
        for (unsigned s = 0; s < m; ++s) {
            errors.push_back(diis_error(F[s], P[s], system.S, system.X, fo));
            const double e = max_abs_element(errors.back());
            max_error = s == 0 ? e : std::fmax(max_error, e);
        }
        const double d = std::fabs(run.energy - prev);
        // The orbitals of F itself: the report is of the densities P, their energy and Fock matrices.
        for (unsigned s = 0; s < m; ++s) {
            Orbitals o = roothaan_orbitals(F[s], system.X, system.X_t, fo);
            run.channels[s].energies = std::move(o.energies);
            run.channels[s].C = std::move(o.C);
        }
        clock.toc();
        if (listener) listener(run.iterations, run.energy, clock.passed());
        run.converged = d <= diis_energy_threshold && max_error <= error_threshold;
        run.reached_limit = run.iterations >= settings.last_step;
        if (run.converged || run.reached_limit) return;
        prev = run.energy;
        if (second_order && run.iterations >= settings.second_order_from) {
            P = second_order(P, F, run.energy);
            continue;
        }

        if (max_error < best_error) {
            best_error = max_error;
            best_step = run.iterations;
        } else if (escape && run.iterations - best_step >= settings.stagnation_steps && escape(run, P)) {
            history = Diis{};
            history.max_vectors = diis_history;
            best_error = 1e300;
            best_step = run.iterations;
            prev = first_previous_energy;
            continue;
        }
        history.add(stacked(F), stacked(errors));
        P = occupied_densities(system, history.extrapolate());
    }
}

std::vector<Matrix<double>> SpinRun::densities() const {
    std::vector<Matrix<double>> P;
    for (const ChannelState& c : channels) P.push_back(c.density);
    return P;
}

Matrix<double> SpinRun::total_density() const {
    Matrix<double> total = channels.front().density;
    for (std::size_t s = 1; s < channels.size(); ++s) total = matsum(total, channels[s].density);
    return total;
}
