#pragma once

#include <string>

// The chemical elements by atomic number, H (1) to Og (118).
constexpr int last_element = 118;

// The symbol of element z ("H", "He", ...), for 1 <= z <= last_element.
const char* periodic_symbol(int z);

// The atomic number of a symbol in any letter case ("fe", "FE", "Fe"), or 0
// when it names no element.
int periodic_number(const std::string& symbol);
