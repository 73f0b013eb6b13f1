#pragma once

#include <optional>
#include <string>
#include <vector>

#include "basis/atom.h"
#include "basis/basis.h"

class LineReader;

// The molecule to compute: atoms in input order (positions in bohr), the basis
// library every atom draws its functions from, and the header values of the input.
struct Molecule {
    std::vector<Atom> atoms;
    unsigned atom_count = 0;
    Basis basis;
    std::string basis_name;           // canonical: "sto-3g" or "sto-6g"
    std::optional<int> charge;        // net charge in units of e, when the input gives one
    std::optional<int> multiplicity;  // 2S + 1, when the input gives one

    // Reads a file in velko's own format; throws Failure naming the file and line when it is malformed.
    void read(std::string path);
    void addAtom(std::string symbol, double x, double y, double z);
    unsigned nratoms() const { return atom_count; }
    const Atom& operator[](unsigned i) const { return atoms[i]; }

    // The charge, 0 when the input gives none.
    int net_charge() const { return charge.value_or(0); }
    // Electrons of the molecule: the sum of the atomic numbers minus the charge
    // (wide enough for any int charge).
    long long electron_count() const;
};

// Reads velko's own format from a reader positioned at the first line of the file.
void read_velko_format(Molecule& mol, LineReader& reader);

// The number of bohr per input unit of a unit word (header line 4), or nothing
// for a word that is not a unit: angstrom, angstroms, ang, angs, å in any letter
// case mean angstrom; bohr, bohrs, au, a.u. and the empty word mean bohr.
std::optional<double> unit_scale(const std::string& word);
