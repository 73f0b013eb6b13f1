#include "properties/calculation_properties.h"

#include "integrals/shell_engine.h"
#include "scf/calculation.h"
#include "properties/properties.h"

Properties calculation_properties(const Calculation& calc) {
    const std::vector<AtomSite> atoms = atom_sites(calc.molecule, calc.basis);
    std::function<std::array<Matrix<double>, 3>(const Vec3&)> moments = nullptr;
    if (!calc.basis.builtin)
        moments = [&calc](const Vec3& origin) { return ShellEngine(calc.basis, calc.molecule.atoms, 1).dipole(origin); };
    if (!calc.unrestricted) {
        const ScfResult& scf = calc.tightened ? *calc.tightened : calc.scf;
        const ScfValues values{calc.basis.functions, atoms,         calc.S, calc.H, scf.fock, scf.density,
                               scf.orbital_energies, calc.nuclear_repulsion, calc.occupied, calc.electrons,
                               nullptr, moments};
        Properties p = molecular_properties(values);
        p.converged = calc.scf.converged;
        return p;
    }
    // An open shell: the total density P_alpha + P_beta, the spin density P_alpha - P_beta,
    // the alpha orbitals for the frontier, and the energy parts of each spin,
    //   E1 = sum (Pa + Pb) H,  E2 = 1/2 sum [Pa (F_a - H) + Pb (F_b - H)].
    const UhfResult& r = calc.uhf;
    const int n = r.P_alpha.rows();
    Matrix<double> total(n, n), spin(n, n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            total[i][j] = r.P_alpha[i][j] + r.P_beta[i][j];
            spin[i][j] = r.P_alpha[i][j] - r.P_beta[i][j];
        }
    const ScfValues values{calc.basis.functions, atoms,           calc.S,           calc.H,
                           r.F_alpha,            total,           r.energies_alpha, calc.nuclear_repulsion,
                           calc.spin.alpha,      calc.electrons,  &spin, moments};
    Properties p = molecular_properties(values);
    const EnergyParts a = energy_parts(r.P_alpha, calc.H, r.F_alpha);
    const EnergyParts b = energy_parts(r.P_beta, calc.H, r.F_beta);
    p.energies = {a.one_electron + b.one_electron, a.two_electron + b.two_electron};
    p.converged = r.converged;
    if (r.stability_checked) p.stable = r.stable;
    return p;
}
