#pragma once

#include <string>

struct Vibrations;

// A QCSchema AtomicResult text (report/qcschema.h) made the result of a Hessian run: driver
// "hessian", return_result the Hessian (3N rows of 3N, Eh/bohr^2), and in extras the
// frequencies (cm^-1, an imaginary one negative), ir_intensities (km/mol), reduced_masses,
// normal_modes (per mode its 3N Cartesian displacements, normalised), isotope_masses,
// point_group, rotational_symmetry_number and thermochemistry (Hartree, Hartree/K, K, atm).
// A failed result (success false) is returned as it is.
std::string with_vibrations(const std::string& qcschema_text, const Vibrations& v);
