#pragma once

#include <optional>
#include <string>

#include "molecule/molecule.h"

// The unit the coordinates of an input were written in.
enum class LengthUnit { bohr, angstrom };

// Covalent radius of element z (1 to 36) in angstrom: B. Cordero et al., "Covalent radii
// revisited", Dalton Trans. 2008, 2832 (carbon sp3; Mn, Fe, Co low spin).
double covalent_radius_angstrom(unsigned z);

// A pair of atoms measured against its covalent bond length, the sum of the two radii.
struct AtomPair {
    unsigned first = 0, second = 0;  // atom indices from 0, first < second
    double distance_angstrom = 0.0;
    double bond_angstrom = 0.0;      // sum of the covalent radii
    double ratio() const { return distance_angstrom / bond_angstrom; }
};

// The pair closest relative to its bond length (smallest ratio); ghost atoms are left out;
// nothing below two atoms.
std::optional<AtomPair> closest_pair(const Molecule& mol);

// Coordinates written in angstrom but read as bohr shrink every distance by 0.529; below
// this fraction of its bond length a pair is closer than any ground-state molecule puts
// it (O-H of water so read: 0.52; H2: 0.63; bonds compressed to this are 2-3 Hartree up).
constexpr double compressed_bond_ratio = 0.65;
// Coordinates written in bohr but read as angstrom stretch every distance by 1.89; when
// even the closest pair is this far beyond its bond length, no atom is bonded to any
// other (bonds of minimal-basis equilibrium geometries are within 1.2 of it).
constexpr double no_bond_ratio = 1.5;

// One line for standard error when the geometry is almost certainly in the wrong unit:
// atoms read as bohr closer than compressed_bond_ratio of their bond length, or atoms
// read as angstrom none of which is within no_bond_ratio of a bond; empty otherwise.
// The molecule is computed either way: stretched and compressed geometries are legitimate.
// `source` names the input; `unit_words` says how the unit was given.
std::string unit_warning(const Molecule& mol, LengthUnit unit, const std::string& source, const std::string& unit_words);
