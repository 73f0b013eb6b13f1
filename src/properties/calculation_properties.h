#pragma once

#include <array>

struct Calculation;
struct Properties;

// The properties of a finished calculation: from its overlap, core Hamiltonian,
// the final Fock matrix and the density that built it, and the orbital energies (those
// of the tightened continuation of a default-mode run when there is one).
// Converged is taken from the run; stability from the open-shell run's check (a
// closed-shell run has none). An open shell adds its spin populations; its frontier
// orbitals are the alpha ones.
Properties calculation_properties(const Calculation& calc);
// Its dipole moment alone (e a0, about the origin), the same value: what a displaced run of a
// frequency calculation needs of the properties.
std::array<double, 3> calculation_dipole(const Calculation& calc);
