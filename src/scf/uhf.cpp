#include "scf/uhf.h"

#include <cmath>

#include "common/clock.h"
#include "linalg/canorg.h"
#include "linalg/eigsym.h"
#include "linalg/matfunc.h"
#include "scf/diis.h"
#include "scf/jk.h"
#include "scf/uhf_stability.h"

namespace {

constexpr double first_previous_energy = 1000.0;
// Rotation angle along a unit unstable mode: pi/4 mixes the occupied and virtual orbitals
// of the mode equally, far enough to leave the saddle point behind.
constexpr double follow_angle = 0.25 * 3.14159265358979323846;
// Davidson residual norms. The eigenvalue is accurate to about the residual squared over
// the gap to the next one, far below the instability threshold; leaving a stalled DIIS
// needs only a rough direction.
constexpr double stability_tolerance = 1e-4;
constexpr double escape_tolerance = 1e-2;

// Orbitals and energies of F in the orthogonal basis X.
void diagonalise(const Matrix<double>& F, const Matrix<double>& X, const Matrix<double>& X_t, Matrix<double>& C,
                 std::vector<double>& eps) {
    Matrix<double> U;
    Eigsym(trimatprod(X_t, F, X), U, eps);
    C = matprod(X, U);
}

// [A; B]: the alpha block above the beta block, for one DIIS history of both spins.
Matrix<double> stack(const Matrix<double>& A, const Matrix<double>& B) {
    const int n = A.rows();
    Matrix<double> M(2 * n, A.cols());
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < A.cols(); ++j) {
            M[i][j] = A[i][j];
            M[n + i][j] = B[i][j];
        }
    return M;
}

Matrix<double> block(const Matrix<double>& M, int first_row, int rows) {
    Matrix<double> B(rows, M.cols());
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < M.cols(); ++j) B[i][j] = M[first_row + i][j];
    return B;
}

struct Fock {
    Matrix<double> alpha, beta;
};

Fock fock_matrices(const Matrix<double>& H, const Matrix<double>& Pa, const Matrix<double>& Pb,
                   const TwoElectronTable& te_table) {
    const CoulombExchange jk = coulomb_exchange(Pa, Pb, te_table);
    const int n = H.rows();
    Fock f{Matrix<double>(n, n), Matrix<double>(n, n)};
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            f.alpha[i][j] = H[i][j] + jk.J[i][j] - jk.K_alpha[i][j];
            f.beta[i][j] = H[i][j] + jk.J[i][j] - jk.K_beta[i][j];
        }
    return f;
}

// DIIS SCF from the densities Pa, Pb (step 1 uses them as they are). Steps are counted
// on from r.iterations; returns with r holding the last step.
void converge(const Matrix<double>& H, const Matrix<double>& S, const Matrix<double>& X, const Matrix<double>& X_t,
              const TwoElectronTable& te_table, Matrix<double> Pa, Matrix<double> Pb, unsigned alpha,
              unsigned beta, double nuclear_repulsion, const UhfSettings& settings, const UhfStepReport& report,
              UhfResult& r) {
    Diis history;
    history.max_vectors = settings.diis_history;
    double prev = first_previous_energy;
    double best_error = 1e300;
    unsigned best_step = r.iterations;
    r.converged = false;
    Clock clock;
    for (;;) {
        clock.tic();
        ++r.iterations;
        const Fock f = fock_matrices(H, Pa, Pb, te_table);
        r.energy = uhf_energy(Pa, Pb, H, f.alpha, f.beta, nuclear_repulsion);
        const Matrix<double> ea = diis_error(f.alpha, Pa, S, X);
        const Matrix<double> eb = diis_error(f.beta, Pb, S, X);
        const double max_error = std::fmax(max_abs_element(ea), max_abs_element(eb));
        const double d = std::fabs(r.energy - prev);
        // The orbitals of F itself: the report is of Pa, Pb, their energy and Fock matrices.
        diagonalise(f.alpha, X, X_t, r.C_alpha, r.energies_alpha);
        diagonalise(f.beta, X, X_t, r.C_beta, r.energies_beta);
        r.P_alpha = Pa;
        r.P_beta = Pb;
        r.F_alpha = f.alpha;
        r.F_beta = f.beta;
        clock.toc();
        if (report) report(r.iterations, r.energy, clock.passed());
        const bool done = d <= settings.energy_threshold && max_error <= settings.error_threshold;
        if (done) {
            r.converged = true;
            return;
        }
        if (r.iterations >= settings.max_iterations) return;
        prev = r.energy;
        const int n = H.rows();
        if (max_error < best_error) {
            best_error = max_error;
            best_step = r.iterations;
        } else if (r.iterations - best_step >= settings.stagnation_steps) {
            // DIIS has stalled, as it does near a saddle point of the energy: leave along
            // the lowest orbital Hessian mode of the present orbitals when it is negative,
            // and start a fresh history.
            const SpinOrbitals a{r.C_alpha, r.energies_alpha, alpha}, b{r.C_beta, r.energies_beta, beta};
            const LowestMode mode = lowest_hessian_mode(a, b, te_table, escape_tolerance);
            const std::size_t na = std::size_t{alpha} * (static_cast<unsigned>(n) - alpha);
            const double angle = mode.eigenvalue < 0.0 ? follow_angle : 0.0;
            Pa = spin_density(rotate_orbitals(r.C_alpha, alpha, mode.vector.data(), angle), alpha);
            Pb = spin_density(rotate_orbitals(r.C_beta, beta, mode.vector.data() + na, angle), beta);
            history = Diis{};
            history.max_vectors = settings.diis_history;
            best_error = 1e300;
            best_step = r.iterations;
            prev = first_previous_energy;
            continue;
        }
        history.add(stack(f.alpha, f.beta), stack(ea, eb));
        const Matrix<double> F = history.extrapolate();
        Matrix<double> C;
        std::vector<double> eps;
        diagonalise(block(F, 0, n), X, X_t, C, eps);
        Pa = spin_density(C, alpha);
        diagonalise(block(F, n, n), X, X_t, C, eps);
        Pb = spin_density(C, beta);
    }
}

}  // namespace

Matrix<double> spin_density(const Matrix<double>& C, unsigned occupied) {
    const int n = C.rows();
    Matrix<double> D(n, n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            double d = 0.0;
            for (unsigned k = 0; k < occupied; ++k) d += C[i][static_cast<int>(k)] * C[j][static_cast<int>(k)];
            D[i][j] = d;
        }
    return D;
}

double uhf_energy(const Matrix<double>& Pa, const Matrix<double>& Pb, const Matrix<double>& H,
                  const Matrix<double>& Fa, const Matrix<double>& Fb, double nuclear_repulsion) {
    double s = 0.0;
    for (int i = 0; i < H.rows(); ++i)
        for (int j = 0; j < H.cols(); ++j)
            s += (Pa[i][j] + Pb[i][j]) * H[i][j] + Pa[i][j] * Fa[i][j] + Pb[i][j] * Fb[i][j];
    return 0.5 * s + nuclear_repulsion;
}

double s_squared(const Matrix<double>& Ca, const Matrix<double>& Cb, const Matrix<double>& S, unsigned alpha,
                 unsigned beta) {
    const Matrix<double> SCb = matprod(S, Cb);
    double overlap = 0.0;
    for (unsigned i = 0; i < alpha; ++i)
        for (unsigned j = 0; j < beta; ++j) {
            double o = 0.0;
            for (int mu = 0; mu < S.rows(); ++mu) o += Ca[mu][static_cast<int>(i)] * SCb[mu][static_cast<int>(j)];
            overlap += o * o;
        }
    const double sz = 0.5 * (static_cast<double>(alpha) - static_cast<double>(beta));
    return sz * (sz + 1.0) + static_cast<double>(beta) - overlap;
}

UhfResult run_uhf(const Matrix<double>& H, const Matrix<double>& S, const Matrix<double>& X,
                  const TwoElectronTable& te_table, const Matrix<double>& P_start, unsigned alpha, unsigned beta,
                  double nuclear_repulsion, const UhfSettings& settings, const UhfStepReport& report) {
    const int n = H.rows();
    const Matrix<double> X_t = transpose(X);
    UhfResult r;
    // The guess: the Fock matrix of the halved closed-shell density, whose lowest
    // orbitals take the alpha and the beta electrons.
    Matrix<double> half(n, n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) half[i][j] = 0.5 * P_start[i][j];
    const Fock guess = fock_matrices(H, half, half, te_table);
    Matrix<double> C;
    std::vector<double> eps;
    diagonalise(guess.alpha, X, X_t, C, eps);
    return run_uhf_from(H, S, X, te_table, spin_density(C, alpha), spin_density(C, beta), alpha, beta,
                        nuclear_repulsion, settings, report);
}

UhfResult run_uhf_from(const Matrix<double>& H, const Matrix<double>& S, const Matrix<double>& X,
                       const TwoElectronTable& te_table, const Matrix<double>& Pa_start,
                       const Matrix<double>& Pb_start, unsigned alpha, unsigned beta, double nuclear_repulsion,
                       const UhfSettings& settings, const UhfStepReport& report) {
    const int n = H.rows();
    const Matrix<double> X_t = transpose(X);
    UhfResult r;
    converge(H, S, X, X_t, te_table, Pa_start, Pb_start, alpha, beta, nuclear_repulsion, settings, report, r);

    while (settings.check_stability && r.converged) {
        const SpinOrbitals a{r.C_alpha, r.energies_alpha, alpha}, b{r.C_beta, r.energies_beta, beta};
        const LowestMode mode = lowest_hessian_mode(a, b, te_table, stability_tolerance);
        r.stability_checked = true;
        r.lowest_hessian_eigenvalue = mode.eigenvalue;
        r.stable = !(mode.eigenvalue < settings.instability_threshold);
        if (r.stable || r.instabilities_followed >= settings.max_follow) break;
        // Rotate the occupied orbitals along the unstable mode and converge again;
        // keep the new solution only if it is lower.
        const std::size_t na = std::size_t{alpha} * (static_cast<unsigned>(n) - alpha);
        const Matrix<double> Ca = rotate_orbitals(r.C_alpha, alpha, mode.vector.data(), follow_angle);
        const Matrix<double> Cb = rotate_orbitals(r.C_beta, beta, mode.vector.data() + na, follow_angle);
        UhfResult next = r;
        ++next.instabilities_followed;
        converge(H, S, X, X_t, te_table, spin_density(Ca, alpha), spin_density(Cb, beta), alpha, beta,
                 nuclear_repulsion, settings, report, next);
        if (!next.converged || !(next.energy < r.energy - settings.energy_threshold)) {
            r.iterations = next.iterations;
            r.instabilities_followed = next.instabilities_followed;
            if (!next.converged) {
                r = next;  // the limit was reached: report the last step as it is
            }
            break;
        }
        r = next;
    }
    r.s_squared = s_squared(r.C_alpha, r.C_beta, S, alpha, beta);
    return r;
}
