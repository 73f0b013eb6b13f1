#pragma once

#include <string>

struct Vibrations;

// The FREQUENCIES block of --frequencies: point group, then per normal mode its frequency
// (cm^-1; an imaginary one negative), IR intensity (km/mol) and reduced mass (dalton).
std::string frequencies_block(const Vibrations& v);

// The THERMOCHEMISTRY block: conditions, zero-point energy, thermal corrections to E, H and
// G (Hartree) and the totals with the SCF energy `energy`, the entropy and its parts.
std::string thermochemistry_block(const Vibrations& v, double energy);

// The Molden sections of the normal modes: [FREQ] (cm^-1), [FR-COORD] (symbol and position,
// bohr), [FR-NORM-COORD] (per mode the Cartesian displacement of each atom) and [INT]
// (IR intensities, km/mol).
std::string molden_vibrations(const Vibrations& v);

// The IR spectrum as an SVG picture: each mode a Lorentzian of full width at half maximum
// `fwhm` (cm^-1) and area proportional to its intensity, absorbance against wavenumber from
// 4000 to 400 cm^-1 (IR convention: decreasing to the right), the modes marked as sticks.
std::string spectrum_svg(const Vibrations& v, const std::string& title, double fwhm = 20.0);
