#pragma once

#include <string>
#include <vector>

#include "basis/basis.h"
#include "basis/cgf.h"
#include "basis/vec3.h"

// One atom: element, nucleus and the contracted functions centred on it,
// in the order 1s, 2s, 2px, 2py, 2pz.
struct Atom {
    unsigned nuclear_charge = 0;
    Vec3 position;
    std::string symbol;
    std::vector<CGF> cgfs;
    unsigned orbital_count = 0;
    unsigned electron_count = 0;  // of the neutral atom; a molecular charge applies to the whole molecule

    // Builds the basis functions at once from the basis type already set on `basis`.
    Atom(std::string symbol, double x, double y, double z, Basis& basis);

    // Atomic number of an element symbol (exact, case-sensitive); 0 when unknown.
    unsigned e2z(const std::string& symbol) const;
    // Element symbol of nuclear_charge; "?" when unknown.
    std::string ps() const;
    Vec3 gr() const { return position; }
    unsigned nucl_chg() const { return nuclear_charge; }
    unsigned nrorbs() const { return orbital_count; }
    unsigned nrelecs() const { return electron_count; }
    const CGF& operator[](unsigned i) const { return cgfs[i]; }

    void addWavefunctions(Basis& basis);
};

// Atomic number of an element symbol H ... Ne; 0 for anything else.
unsigned element_number(const std::string& symbol);
// Symbol of atomic number z = 1 ... 10; "?" for anything else.
std::string element_symbol(unsigned z);
