#pragma once

#include <string>

// The elements velko knows, H ... Ne: symbol <-> atomic number.

// Atomic number of an element symbol (exact, case-sensitive) H ... Ne; 0 for anything else.
unsigned element_number(const std::string& symbol);
// Symbol of atomic number z = 1 ... 10; "?" for anything else.
std::string element_symbol(unsigned z);
