#pragma once

#include <array>
#include <vector>

#include "linalg/matrix.h"
#include "molecule/atom.h"
#include "vibration/normal_modes.h"
#include "vibration/point_group.h"
#include "vibration/thermochemistry.h"

// Everything a frequency run reports: from the Hessian and the dipole derivatives at a
// geometry, the normal modes, their IR intensities, the point group and the thermochemistry.
struct Vibrations {
    std::vector<Atom> atoms;
    std::vector<double> masses;           // dalton, most abundant isotopes
    Matrix<double> hessian;               // Eh/bohr^2, 3N x 3N
    NormalModes modes;
    std::vector<double> intensities;      // km/mol, one per mode
    PointGroup group;
    ThermoConditions conditions;          // symmetry_number: given, else the group's
    Thermochemistry thermo;
    double largest_gradient = 0.0;        // Eh/bohr, at the geometry of the Hessian
};

// Vibrational analysis of atoms (none a ghost) from their Hessian (Eh/bohr^2) and dipole
// derivatives (e, 3 x 3N). conditions.symmetry_number 0 takes the point group's.
Vibrations analyse_vibrations(const std::vector<Atom>& atoms, const Matrix<double>& hessian,
                              const std::array<std::vector<double>, 3>& dipole_derivatives,
                              ThermoConditions conditions);
