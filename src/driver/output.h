#pragma once

#include <string>
#include <vector>

#include "linalg/matrix.h"

struct Molecule;
struct Properties;

// The fixed-format report blocks. Each block is composed in its own fresh
// string stream and written to standard output in one piece.
struct Output {
    void print_version() const;
    void print_geometry(const Molecule& mol) const;
    void print_summary(unsigned iterations, double energy, unsigned atoms, unsigned orbitals, unsigned gtos,
                       int charge = 0) const;
    void print_orbitals(const std::vector<double>& energies, const std::vector<std::string>& labels,
                        const Matrix<double>& coefficients, unsigned electrons) const;
    void print_calculation_time(double ms) const;
    void print_properties(const Properties& p) const;
};

// The block texts themselves, so tests can pin them without capturing stdout.
std::string geometry_block(const Molecule& mol);
// `charge` adds the line "Molecular charge: +1" after the atom count when it is not 0.
std::string summary_block(unsigned iterations, double energy, unsigned atoms, unsigned orbitals, unsigned gtos,
                          int charge = 0);
std::string orbitals_block(const std::vector<double>& energies, const std::vector<std::string>& labels,
                           const Matrix<double>& coefficients, unsigned electrons);
std::string calculation_time_block(double ms);
// The PROPERTIES block of --properties, after the summary: SCF status, energy
// parts, frontier orbitals, atomic charges (and spin populations of an open
// shell) and the dipole moment about the coordinate origin.
std::string properties_block(const Properties& p);
