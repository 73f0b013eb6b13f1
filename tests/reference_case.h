#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "molecule/molecule.h"

// The molecule of one case of a referee's data file: basis, pure, atoms (symbol, x, y, z
// in bohr) and, where given, charge and multiplicity.
inline Molecule reference_molecule(const nlohmann::json& c) {
    Molecule mol;
    mol.basis_name = c["basis"].get<std::string>();
    mol.pure = c["pure"].get<bool>();
    if (c.contains("charge")) mol.charge = c["charge"].get<int>();
    if (c.contains("multiplicity")) mol.multiplicity = c["multiplicity"].get<int>();
    for (const nlohmann::json& a : c["atoms"])
        mol.addAtom(a[0].get<std::string>(), a[1].get<double>(), a[2].get<double>(), a[3].get<double>());
    return mol;
}
