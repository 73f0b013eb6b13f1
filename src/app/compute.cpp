#include "app/compute.h"

#include <optional>

#include "system/memory.h"
#include "molecule/molecule_check.h"
#include "molecule/spin.h"

Calculation compute_molecule(const Molecule& mol, const Settings& settings, const std::string& path,
                             Listing& listing) {
    check_memory(function_count(mol), mol.nratoms(), path);
    check_molecule(mol, function_count(mol), path);
    std::optional<long long> multiplicity;
    if (mol.multiplicity) multiplicity = *mol.multiplicity;
    const SpinState spin =
        spin_state(static_cast<unsigned>(mol.electron_count()), function_count(mol), multiplicity, path);
    return spin.multiplicity == 1 ? compute_rhf(mol, settings, path, listing)
                                  : compute_uhf(mol, spin, settings, path, listing);
}
