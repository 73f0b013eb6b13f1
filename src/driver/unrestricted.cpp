#include "driver/unrestricted.h"

#include <iomanip>
#include <iostream>
#include <sstream>

#include "driver/molden.h"
#include "driver/output.h"
#include "driver/qcschema.h"
#include "scf/guess.h"

namespace {

const char* const rule31 = "-------------------------------";
constexpr unsigned default_max_iterations = 100;

// The verbose listing of HF::molorbs for the orbitals of one spin.
void print_spin_orbitals(const char* title, const std::vector<double>& energies, const Matrix<double>& C,
                         unsigned occupied, const std::vector<std::string>& labels) {
    std::ostringstream os;
    os << rule31 << "\n" << title << "\n" << rule31 << "\n" << "\n";
    for (std::size_t i = 0; i < labels.size(); ++i) {
        os << "*** " << i + 1 << "\t" << std::fixed << std::setprecision(10) << energies[i] << " HT" << " --- ("
           << (i < occupied ? " Occupied ) ***" : " Virtual ) ***") << "\n";
        for (std::size_t j = 0; j < labels.size(); ++j)
            os << labels[j] << "\t\t" << std::fixed << std::setprecision(4)
               << C[static_cast<int>(j)][static_cast<int>(i)] << "\n";
        os << "--------------------" << "\t" << "------" << "\n" << "\n";
    }
    std::cout << os.str();
}

}  // namespace

UhfResult run_unrestricted(HF& hf, const SpinState& spin, const Options& opt) {
    hf.setup();
    std::vector<unsigned> first{0}, electrons;
    for (unsigned a = 0; a < hf.nr_atoms; ++a) {
        first.push_back(first.back() + hf.mol[a].nrorbs());
        electrons.push_back(hf.mol[a].nrelecs());
    }
    const Matrix<double> P_start = superposition_density(hf.S, hf.T, hf.V, hf.te_table, first, electrons);

    UhfSettings settings;
    settings.max_iterations = opt.max_iterations != 0 ? opt.max_iterations : default_max_iterations;
    hf.print_convergence_start();
    const UhfStepReport report = [&hf](unsigned step, double energy, double ms) {
        hf.energy = energy;
        if (hf.verbose) {
            std::cout << std::fixed << std::setprecision(10);
        }
        hf.report_step(step, ms);
    };
    const UhfResult r = run_uhf(hf.H, hf.S, hf.X, hf.te_table, P_start, spin.alpha, spin.beta,
                                hf.nuclear_repulsion, settings, report);
    if (!r.converged) std::cout << "Too may iteration steps.. terminating and outputting results." << "\n";
    if (hf.verbose) {
        std::cout << rule31 << "\n" << "End electronic convergence...  " << "\n" << rule31 << "\n";
        print_spin_orbitals("    Alpha molecular orbitals   ", r.energies_alpha, r.C_alpha, spin.alpha,
                            hf.orbital_labels);
        print_spin_orbitals("    Beta molecular orbitals    ", r.energies_beta, r.C_beta, spin.beta,
                            hf.orbital_labels);
    }
    std::cout << unrestricted_orbitals_block({"alpha", r.energies_alpha, r.C_alpha, spin.alpha},
                                             {"beta", r.energies_beta, r.C_beta, spin.beta}, hf.orbital_labels)
              << unrestricted_summary_block(r.iterations, r.energy, hf.nr_atoms,
                                            static_cast<unsigned>(hf.orbital_labels.size()), hf.nr_gtos,
                                            spin.multiplicity, spin.alpha, spin.beta, r.s_squared,
                                            exact_s_squared(spin.multiplicity))
              << std::flush;

    if (!opt.molden_path.empty()) write_molden_unrestricted(hf.mol, r, spin.alpha, spin.beta, opt.molden_path);
    if (!opt.json_path.empty())
        write_qcschema_unrestricted(hf, r, spin.multiplicity, spin.alpha, spin.beta, opt.json_path);
    return r;
}

std::string unrestricted_nonconvergence_message(unsigned max_iterations) {
    std::ostringstream msg;
    msg << "velko: the UHF SCF did not converge in " << (max_iterations != 0 ? max_iterations : default_max_iterations)
        << " iterations; the energy reported is not reliable; try a larger --max-iterations";
    return msg.str();
}

std::string unrestricted_instability_message(const UhfResult& r) {
    if (!r.stability_checked || r.stable) return "";
    std::ostringstream msg;
    msg << "velko: the UHF solution is unstable (lowest orbital Hessian eigenvalue " << std::setprecision(6)
        << r.lowest_hessian_eigenvalue << " Hartree) after following its unstable mode " << r.instabilities_followed
        << (r.instabilities_followed == 1 ? " time" : " times") << "; a lower solution may exist";
    return msg.str();
}
