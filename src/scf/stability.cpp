#include "scf/stability.h"

#include <cstddef>

namespace {

std::size_t virtual_count(const RotatedChannel& c) { return static_cast<std::size_t>(c.C.cols()) - c.occupied; }

std::size_t block_size(const RotatedChannel& c) { return c.occupied * virtual_count(c); }

// D = C_vir x C_occ^T + its transpose, of one channel's block x.
Matrix<double> trial_density(const RotatedChannel& c, const double* x) {
    const int n = c.C.rows();
    const int o = static_cast<int>(c.occupied), v = static_cast<int>(virtual_count(c));
    Matrix<double> W(n, o);  // C_vir x
    for (int k = 0; k < n; ++k)
        for (int i = 0; i < o; ++i) {
            double w = 0.0;
            for (int a = 0; a < v; ++a) w += c.C[k][o + a] * x[static_cast<std::size_t>(i) * v + a];
            W[k][i] = w;
        }
    Matrix<double> D(n, n);
    for (int k = 0; k < n; ++k)
        for (int l = 0; l < n; ++l) {
            double d = 0.0;
            for (int i = 0; i < o; ++i) d += W[k][i] * c.C[l][i];
            D[k][l] += d;
            D[l][k] += d;
        }
    return D;
}

// One channel's block of (A + B) x: (e_a - e_i) x_ia + (C_vir^T G C_occ)_ai, into out.
void channel_product(const RotatedChannel& c, const Matrix<double>& G, const double* x, double* out) {
    const int n = c.C.rows();
    const int o = static_cast<int>(c.occupied), v = static_cast<int>(virtual_count(c));
    Matrix<double> GC(n, o);  // G C_occ
    for (int k = 0; k < n; ++k)
        for (int i = 0; i < o; ++i) {
            double g = 0.0;
            for (int l = 0; l < n; ++l) g += G[k][l] * c.C[l][i];
            GC[k][i] = g;
        }
    for (int i = 0; i < o; ++i)
        for (int a = 0; a < v; ++a) {
            double g = 0.0;
            for (int k = 0; k < n; ++k) g += c.C[k][o + a] * GC[k][i];
            const std::size_t ia = static_cast<std::size_t>(i) * v + a;
            out[ia] = (c.energies[o + a] - c.energies[i]) * x[ia] + g;
        }
}

Matrix<double> scaled(Matrix<double> M, double factor) {
    for (int i = 0; i < M.rows(); ++i)
        for (int j = 0; j < M.cols(); ++j) M[i][j] *= factor;
    return M;
}

}  // namespace

std::vector<FlatVector> orbital_hessian_products(const std::vector<RotatedChannel>& channels, const TrialResponse& G,
                                                 const std::vector<FlatVector>& x) {
    std::vector<ChannelMatrices> D(x.size());
    for (std::size_t t = 0; t < x.size(); ++t) {
        std::size_t offset = 0;
        for (const RotatedChannel& c : channels) {
            D[t].push_back(trial_density(c, x[t].data() + offset));
            offset += block_size(c);
        }
    }
    const std::vector<ChannelMatrices> g = G(D);
    std::vector<FlatVector> out;
    for (std::size_t t = 0; t < x.size(); ++t) {
        out.emplace_back(x[t].size());
        std::size_t offset = 0;
        for (std::size_t s = 0; s < channels.size(); ++s) {
            channel_product(channels[s], g[t][s], x[t].data() + offset, out.back().data() + offset);
            offset += block_size(channels[s]);
        }
    }
    return out;
}

FlatVector orbital_hessian_product(const std::vector<RotatedChannel>& channels, const TrialResponse& G,
                                   const FlatVector& x) {
    return orbital_hessian_products(channels, G, {x}).front();
}

namespace {

// The response of each trial's single channel: `each` of all trials' densities, times factor.
template <class Each>
std::vector<ChannelMatrices> single_channel(const std::vector<ChannelMatrices>& D, Each&& each, double factor) {
    std::vector<Matrix<double>> first;
    for (const ChannelMatrices& d : D) first.push_back(d.front());
    std::vector<ChannelMatrices> out;
    for (Matrix<double>& g : each(first)) out.push_back({scaled(std::move(g), factor)});
    return out;
}

}  // namespace

TrialResponse closed_shell_response(const TwoElectronOperator& op) {
    return [&op](const std::vector<ChannelMatrices>& D) {
        return single_channel(D, [&op](const std::vector<Matrix<double>>& d) { return op.G_each(d); }, 2.0);
    };
}

TrialResponse triplet_response(const TwoElectronOperator& op) {
    return [&op](const std::vector<ChannelMatrices>& D) {
        return single_channel(D, [&op](const std::vector<Matrix<double>>& d) { return op.K_each(d); }, -1.0);
    };
}

TrialResponse unrestricted_response(const TwoElectronOperator& op) {
    return [&op](const std::vector<ChannelMatrices>& trials) {
        std::vector<ChannelMatrices> out;
        for (const ChannelMatrices& D : trials) {
            const TwoElectronOperator::JK jk = op.jk(D);
            const int n = jk.J.rows();
            ChannelMatrices G(D.size(), Matrix<double>(n, n));
            for (std::size_t s = 0; s < D.size(); ++s)
                for (int i = 0; i < n; ++i)
                    for (int j = 0; j < n; ++j) G[s][i][j] = jk.J[i][j] - jk.K[s][i][j];
            out.push_back(std::move(G));
        }
        return out;
    };
}

LowestRotation lowest_rotation(const std::vector<RotatedChannel>& channels, const TrialResponse& G,
                               const DavidsonOptions& options) {
    FlatVector diagonal;
    for (const RotatedChannel& c : channels)
        for (unsigned i = 0; i < c.occupied; ++i)
            for (std::size_t a = c.occupied; a < c.energies.size(); ++a) diagonal.push_back(c.energies[a] - c.energies[i]);
    const LinearMap A = [&](const std::vector<FlatVector>& x) { return orbital_hessian_products(channels, G, x); };
    return lowest_eigenpair(A, diagonal, options);
}

DavidsonOptions stability_options(unsigned functions, unsigned channels) {
    DavidsonOptions o;
    o.residual_tolerance = stability_residual_tolerance;
    o.stop_when_settled = functions > thorough_search_functions;
    o.settled_above = instability_threshold;
    if (channels == 2) {
        o.stop_when_settled = functions > converged_open_shell_check_functions;
        // Open shells start from more unit vectors and refine the lowest pair alone, in a
        // larger subspace, with the correction of the other sign. Their reports depend on
        // it: O2's unstable mode lies in a degenerate pair, where the iteration decides
        // which combination is followed, and with it which of the equivalent degenerate
        // orbitals the SCF ends on; the sign of the mode decides on which side a stalled
        // DIIS leaves (the naphthyl radical reaches another state from the other side).
        o.start_units = 8;
        o.pseudo_random_start = false;
        o.roots = 1;
        o.max_subspace = 40;
        o.smallest_denominator = 1e-4;
        o.negated_correction = true;
        o.max_products = 208;  // 200 corrections after the start
    }
    return o;
}

LowestRotation lowest_triplet_rotation(const Matrix<double>& C, const std::vector<double>& energies, unsigned nocc,
                                       const TwoElectronOperator& two_electron) {
    DavidsonOptions o;
    o.residual_tolerance = triplet_residual_tolerance;
    o.stop_when_settled = true;
    o.settled_above = instability_threshold;
    o.stop_when_lowest_converged_below = static_cast<unsigned>(C.rows()) > refined_triplet_check_functions;
    return lowest_rotation({{C, energies, nocc}}, triplet_response(two_electron), o);
}
