#pragma once

#include <optional>
#include <string>
#include <vector>

#include "molecule/atom.h"

// The molecule to compute: atoms in input order (positions in bohr) and the header
// values of the input, among them the name of the basis set it asks for.
struct Molecule {
    std::vector<Atom> atoms;
    unsigned atom_count = 0;
    std::string basis_name;           // "sto-3g" or "sto-6g" (the built-in tables), else a set of the
                                      // library by its conventional name ("6-31G*"), or a file's name
    std::string basis_file;           // a basis-set file to read instead of the library (--basis-file)
    std::optional<bool> pure;         // pure (true) or Cartesian functions over the set's own kind
    std::optional<int> charge;        // net charge in units of e, when the input gives one
    std::optional<int> multiplicity;  // 2S + 1, when the input gives one

    void addAtom(const std::string& symbol, double x, double y, double z);
    unsigned nratoms() const { return atom_count; }
    const Atom& operator[](unsigned i) const { return atoms[i]; }

    // The charge, 0 when the input gives none.
    int net_charge() const { return charge.value_or(0); }
    // Electrons of the molecule: the sum of the atomic numbers minus the charge
    // (wide enough for any int charge).
    long long electron_count() const;
};
