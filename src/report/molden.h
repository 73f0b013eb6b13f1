#pragma once

#include <string>

struct Calculation;

// The converged orbitals of a finished run as a Molden file, the format that
// orbital viewers (Jmol, Molden, Avogadro) read:
//   [Atoms] AU       symbol, number, atomic number, position in bohr
//   [GTO]            per atom its shells: exponents and the contraction
//                    coefficients of normalised primitives, as the basis tables
//                    give them; 2s and 2p as separate s and p shells
//   [MO]             per orbital Sym, Ene (Hartree), Spin, Occup and the
//                    coefficient of every basis function, in the order
//                    1s, 2s, px, py, pz of each atom; a closed shell has
//                    Spin= Alpha and occupations 2 or 0, an open shell every
//                    alpha orbital, then every beta orbital (Spin= Beta),
//                    occupations 1 or 0
// Throws Failure (unsupported) for a basis function without primitives,
// which a Molden file cannot describe.
std::string molden_text(const Calculation& calc);

// Writes molden_text, followed by `appendix` (the sections of the normal modes), to path
// through replace_file (system/files.h): a temporary file renamed into place; throws
// Failure when the file cannot be written.
void write_molden(const Calculation& calc, const std::string& path, const std::string& appendix = "");
