#include "properties/calculation_properties.h"

#include "integrals/shell_engine.h"
#include "scf/calculation.h"
#include "properties/properties.h"

namespace {

// The first-moment matrices of a basis the properties do not compute themselves (the shell engine's).
std::function<std::array<Matrix<double>, 3>(const Vec3&)> engine_moments(const Calculation& calc) {
    if (calc.basis.builtin) return nullptr;
    return [&calc](const Vec3& origin) { return ShellEngine(calc.basis, calc.molecule.atoms, 1).dipole(origin); };
}

}  // namespace

std::array<double, 3> calculation_dipole(const Calculation& calc) {
    const std::vector<AtomSite> atoms = atom_sites(calc.molecule, calc.basis);
    const SpinRun& r = calc.tightened ? *calc.tightened : calc.result;
    return dipole_about_origin(calc.basis.functions, atoms, r.total_density(), engine_moments(calc));
}

Properties calculation_properties(const Calculation& calc) {
    const std::vector<AtomSite> atoms = atom_sites(calc.molecule, calc.basis);
    const std::function<std::array<Matrix<double>, 3>(const Vec3&)> moments = engine_moments(calc);
    const SpinRun& r = calc.tightened ? *calc.tightened : calc.result;
    // The total density; of two channels also the spin density P_alpha - P_beta. The first
    // channel's orbitals give the frontier (the alpha ones of an open shell).
    const Matrix<double> total = r.total_density();
    Matrix<double> spin;
    if (r.channels.size() == 2) {
        const Matrix<double>&Pa = r.channels[0].density, &Pb = r.channels[1].density;
        spin = Matrix<double>(Pa.rows(), Pa.cols());
        for (int i = 0; i < Pa.rows(); ++i)
            for (int j = 0; j < Pa.cols(); ++j) spin[i][j] = Pa[i][j] - Pb[i][j];
    }
    const ChannelState& first = r.channels[0];
    const ScfValues values{calc.basis.functions, atoms,          calc.S,
                           calc.H,               first.fock,     total,
                           first.energies,       calc.nuclear_repulsion, first.occupied,
                           calc.electrons,       r.channels.size() == 2 ? &spin : nullptr, moments};
    Properties p = molecular_properties(values);
    // The energy parts of each channel, E1 = sum P_s H and E2 = 1/2 sum P_s (F_s - H), summed.
    p.energies = energy_parts(first.density, calc.H, first.fock);
    for (std::size_t s = 1; s < r.channels.size(); ++s) {
        const EnergyParts e = energy_parts(r.channels[s].density, calc.H, r.channels[s].fock);
        p.energies = {p.energies.one_electron + e.one_electron, p.energies.two_electron + e.two_electron};
    }
    p.converged = calc.result.converged;
    // An open shell's run checks its stability; the closed-shell checks go to the exit status.
    if (r.channels.size() == 2 && calc.stability_checked) p.stable = calc.stable;
    return p;
}
