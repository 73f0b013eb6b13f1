#pragma once

#include <vector>

#include "common/constants.h"
#include "common/vec3.h"

// Ideal gas, rigid rotor, harmonic oscillator (D. A. McQuarrie, Statistical Mechanics,
// 1976, ch. 8; J. W. Ochterski, "Thermochemistry in Gaussian", 2000): the partition
// functions of translation (at pressure p), rotation (rotational symmetry number sigma),
// vibration (every real wavenumber; imaginary ones are left out) and the electronic
// ground state (its spin degeneracy only).
struct ThermoConditions {
    double temperature = 298.15;  // K
    double pressure = pascal_per_atmosphere;  // Pa
    unsigned symmetry_number = 1;  // sigma
    unsigned multiplicity = 1;
};

// Each energy in Hartree per molecule, each entropy in Hartree / K.
struct Thermochemistry {
    double zero_point = 0.0;                  // sum h c nu / 2
    double thermal_energy = 0.0;              // E(T) - E_el: ZPE and every thermal part
    double enthalpy = 0.0;                    // thermal_energy + k T
    double gibbs = 0.0;                       // enthalpy - T S
    double entropy = 0.0;                     // S, the sum of the four parts below
    double translational_entropy = 0.0;
    double rotational_entropy = 0.0;
    double vibrational_entropy = 0.0;
    double electronic_entropy = 0.0;          // k ln(multiplicity)
    unsigned imaginary = 0;                   // wavenumbers left out
};

// Positions in bohr, masses in dalton, wavenumbers in cm^-1 (the vibrations only: 3N - 6,
// or 3N - 5 for a linear molecule).
Thermochemistry thermochemistry(const std::vector<Vec3>& positions, const std::vector<double>& masses,
                                const std::vector<double>& wavenumbers, const ThermoConditions& conditions);

// Boltzmann's constant in Hartree per kelvin.
double boltzmann_hartree();
