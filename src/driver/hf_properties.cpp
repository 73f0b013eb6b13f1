#include "driver/hf_properties.h"

#include "scf/hf.h"
#include "scf/properties.h"

Properties hf_properties(const HF& hf) {
    const std::vector<AtomSite> atoms = atom_sites(hf.mol);
    const ScfValues values{hf.cgfs, atoms, hf.S, hf.H, hf.F, hf.P_energy, hf.orbital_energies,
                           hf.nr_electrons / 2, hf.nr_electrons};
    Properties p = molecular_properties(values);
    p.converged = hf.converged;
    return p;
}
