#include "integrals/integrals.h"

#include "integrals/exact/exact.h"
#include "integrals/fast/fast_one.h"
#include "integrals/fast/fast_quartets.h"

std::uint64_t primitive_quartet_count(const std::vector<CGF>& cgfs) {
    // Over the distinct integrals, sum of w_ij w_kl with w_ij = m_i m_j (m: primitives
    // per function) and ij >= kl: ((sum w)^2 + sum w^2) / 2.
    std::uint64_t sum = 0, sum_squares = 0;
    for (std::size_t i = 0; i < cgfs.size(); ++i) {
        for (std::size_t j = 0; j <= i; ++j) {
            const std::uint64_t w = static_cast<std::uint64_t>(cgfs[i].gtos.size()) * cgfs[j].gtos.size();
            sum += w;
            sum_squares += w * w;
        }
    }
    return (sum * sum + sum_squares) / 2;
}

IntegralPath choose_integral_path(IntegralPath requested, const std::vector<CGF>& cgfs) {
    if (requested != IntegralPath::automatic) return requested;
    return primitive_quartet_count(cgfs) <= exact_quartet_limit ? IntegralPath::exact : IntegralPath::fast;
}

Integrals::Integrals(IntegralPath path, const BasisSet& basis, const std::vector<Atom>& atoms, unsigned threads)
    : path_(path), functions_(basis.functions), atoms_(atoms) {
    if (!basis.builtin) {
        engine_ = std::make_shared<const ShellEngine>(basis, atoms, threads);
    } else if (!exact()) {
        shells_ = build_shells(basis, atoms);
        pairs_ = build_shell_pairs(shells_);
    }
}

Matrix<double> Integrals::overlap() const {
    if (engine_) return engine_->overlap();
    return exact() ? exact_overlap_matrix(functions_, atoms_) : overlap_matrix(shells_);
}

Matrix<double> Integrals::kinetic() const {
    if (engine_) return engine_->kinetic();
    return exact() ? exact_kinetic_matrix(functions_, atoms_) : kinetic_matrix(shells_);
}

std::vector<Matrix<double>> Integrals::nuclear_attraction(const std::vector<Atom>& atoms) const {
    if (engine_) return engine_->nuclear_attraction(atoms);
    if (exact()) return exact_nuclear_matrices(functions_, atoms_, atoms);
    std::vector<Nucleus> nuclei;
    for (const Atom& atom : atoms) nuclei.push_back(Nucleus{atom.gr(), atom.nucl_chg()});
    return nuclear_matrices(pairs_, static_cast<unsigned>(functions_.size()), nuclei);
}

void Integrals::repulsion(TwoElectronTable& table, const ProgressCallback& progress) const {
    if (engine_)
        engine_->repulsion(table, progress);
    else if (exact())
        exact_repulsion_table(functions_, atoms_, table);
    else
        repulsion_table(pairs_, table, progress);
}

void Integrals::repulsion_after_move(TwoElectronTable& table, unsigned moved) const {
    if (engine_ || exact()) {
        repulsion(table);
        return;
    }
    std::vector<bool> on_moved(shells_.size());
    for (std::size_t s = 0; s < shells_.size(); ++s) on_moved[s] = shells_[s].atom == moved;
    update_repulsion_table(pairs_, on_moved, table);
}

std::shared_ptr<const QuartetSource> Integrals::quartets() const {
    if (engine_) return engine_->quartets();
    return std::make_shared<const FastQuartets>(pairs_);
}

Matrix<double> core_hamiltonian(const Matrix<double>& T, const std::vector<Matrix<double>>& V) {
    Matrix<double> H = T;
    const int n = T.rows();
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            for (const Matrix<double>& Vk : V) H[i][j] = H[i][j] + Vk[i][j];
    return H;
}
