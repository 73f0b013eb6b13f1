#pragma once

#include <string>

#include "common/vec3.h"

// One atom: its element and the position of its nucleus. The element picks the
// basis functions placed on it; a ghost atom carries those functions but neither
// nuclear charge nor electrons.
struct Atom {
    unsigned element = 0;  // atomic number Z
    Vec3 position;         // bohr
    bool ghost = false;

    Atom() = default;
    // The element from its symbol (element_number; 0 when unknown).
    Atom(const std::string& symbol, double x, double y, double z);

    // Element symbol; "?" when unknown.
    std::string ps() const;
    Vec3 gr() const { return position; }
    // Nuclear charge: Z, 0 for a ghost.
    unsigned nucl_chg() const { return ghost ? 0 : element; }
    // Electrons of the neutral atom; a molecular charge applies to the whole molecule.
    unsigned nrelecs() const { return nucl_chg(); }
};
