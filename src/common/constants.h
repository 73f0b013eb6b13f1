#pragma once

// Every integral formula uses this rounded value of pi, not the full double;
// the printed digits of the report depend on it.
constexpr double pi_convention = 3.14159265359;
// pi^1.5 and 2 pi^2.5 evaluated with pi_convention.
constexpr double pi_1_5 = 5.568327996832258;
constexpr double two_pi_2_5 = 34.98683665525549;

constexpr double bohr_per_angstrom = 1.8897261245650618;

// CODATA 2018: the Hartree energy in electronvolts.
constexpr double ev_per_hartree = 27.211386245988;
// CODATA 2018: the atomic unit of electric dipole moment, e a0 = 8.4783536255e-30 C m,
// in debye (1 D = 1e-21 C m / c): 1.602176634e-19 * 5.29177210903e-11 * 299792458 / 1e-21.
constexpr double debye_per_atomic_unit = 2.541746473194078;

// CODATA 2018 (exact SI values where the 2019 SI fixes them): the constants of the
// vibrational analysis and the thermochemistry.
namespace codata2018 {
constexpr double planck = 6.62607015e-34;            // h, J s
constexpr double boltzmann = 1.380649e-23;           // k_B, J/K
constexpr double avogadro = 6.02214076e23;           // N_A, 1/mol
constexpr double speed_of_light = 299792458.0;       // c, m/s
constexpr double hartree_joule = 4.3597447222071e-18;  // E_h, J
constexpr double bohr_metre = 5.29177210903e-11;     // a_0, m
constexpr double atomic_mass_kg = 1.66053906660e-27;  // u (dalton), kg
constexpr double elementary_charge = 1.602176634e-19;  // e, C
constexpr double vacuum_permittivity = 8.8541878128e-12;  // epsilon_0, F/m
}  // namespace codata2018

// The standard atmosphere, Pa (a definition).
constexpr double pascal_per_atmosphere = 101325.0;
