#pragma once
// Molecules built in code for the unit tests.

#include <cmath>
#include <initializer_list>
#include <string>
#include <tuple>

#include "molecule/molecule.h"

inline Molecule make_molecule(const std::string& basis, std::initializer_list<std::tuple<const char*, double, double, double>> atoms) {
    Molecule m;
    m.basis_name = basis;
    for (const auto& [symbol, x, y, z] : atoms) m.addAtom(symbol, x, y, z);
    return m;
}

inline Molecule water() {
    // O at the origin, O-H 1.81 bohr, 105 degrees.
    const double half = 105.0 / 2 * 3.14159265358979 / 180;
    return make_molecule("sto-3g", {{"O", 0, 0, 0},
                                    {"H", 1.81 * std::sin(half), 1.81 * std::cos(half), 0},
                                    {"H", -1.81 * std::sin(half), 1.81 * std::cos(half), 0}});
}
