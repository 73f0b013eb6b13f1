#include "driver/calculation_properties.h"

#include "driver/calculation.h"
#include "scf/properties.h"

Properties calculation_properties(const Calculation& calc) {
    const std::vector<AtomSite> atoms = atom_sites(calc.molecule);
    const ScfValues values{calc.basis.functions, atoms,         calc.S, calc.H, calc.scf.fock, calc.scf.density,
                           calc.scf.orbital_energies, calc.nuclear_repulsion, calc.occupied, calc.electrons};
    Properties p = molecular_properties(values);
    p.converged = calc.scf.converged;
    return p;
}
