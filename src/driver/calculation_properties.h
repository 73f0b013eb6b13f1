#pragma once

struct Calculation;
struct Properties;

// The properties of a finished calculation: from its overlap, core Hamiltonian,
// the final Fock matrix and the density that built it, and the orbital energies.
// Converged is taken from the run; stability is unknown here.
Properties calculation_properties(const Calculation& calc);
