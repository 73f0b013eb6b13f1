#pragma once

#include <string>
#include <vector>

#include "common/vec3.h"
#include "linalg/matrix.h"

struct Calculation;
struct Molecule;
struct Properties;

// Open-shell (unrestricted) report blocks. The orbital table lists the alpha orbitals
// ("1 alpha", "2 alpha", ...) and then the beta orbitals ("1 beta", ...), each section
// laid out as in orbitals_block, the lowest `occupied` of each spin tagged Occupied.
struct SpinOrbitalTable {
    const char* name;  // "alpha" or "beta"
    const std::vector<double>& energies;
    const Matrix<double>& coefficients;
    unsigned occupied;
};

// The fixed-format report blocks. Each block is composed in its own fresh
// string stream and written to standard output in one piece.
struct Output {
    void print_version() const;
    void print_geometry(const Molecule& mol) const;
    void print_summary(unsigned iterations, double energy, unsigned atoms, unsigned orbitals, unsigned gtos,
                       int charge = 0) const;
    void print_result(const Calculation& calc) const;
    void print_calculation_time(double ms) const;
    void print_properties(const Properties& p) const;
    void print_gradient(const Molecule& mol, const std::vector<Vec3>& gradient) const;
};

// The block texts themselves, so tests can pin them without capturing stdout.
std::string geometry_block(const Molecule& mol);
// `charge` adds the line "Molecular charge: +1" after the atom count when it is not 0;
// `model`, the lines of model_lines, stands after the GTO count.
std::string summary_block(unsigned iterations, double energy, unsigned atoms, unsigned orbitals, unsigned gtos,
                          int charge = 0, const std::string& model = "");
// A function's label as the orbital tables print it: as it is when it fits their label
// column, else without the tab and blank before the orbital ("[1024] Kr101(6hxxxxx)"),
// which every label of up to 9999 functions, 999 atoms and h shells then does.
std::string column_label(const std::string& label);
std::string orbitals_block(const std::vector<double>& energies, const std::vector<std::string>& labels,
                           const Matrix<double>& coefficients, unsigned electrons);
std::string calculation_time_block(double ms);

std::string unrestricted_orbitals_block(const SpinOrbitalTable& alpha, const SpinOrbitalTable& beta,
                                        const std::vector<std::string>& labels);
// The summary of summary_block followed by the multiplicity, the electrons of each spin
// and <S^2> beside its exact value S(S+1).
std::string unrestricted_summary_block(unsigned iterations, double energy, unsigned atoms, unsigned orbitals,
                                       unsigned gtos, int charge, unsigned multiplicity, unsigned alpha, unsigned beta,
                                       double s_squared, double exact_s_squared, const std::string& model = "");

// The summary lines naming the method and the basis set with its function kind, for a set
// of the library or a file ("Method: RHF", "Basis set: cc-pVDZ (pure functions)"); none
// for the built-in STO-3G/STO-6G tables of H-Ne, whose report keeps its layout.
std::string model_lines(const Calculation& calc);

// The orbital table and the summary of a calculation: orbitals_block and summary_block
// for one spin channel, unrestricted_orbitals_block and unrestricted_summary_block for two.
std::string result_blocks(const Calculation& calc);

// The PROPERTIES block of --properties, after the summary: SCF status, energy
// parts, frontier orbitals, atomic charges (and spin populations of an open
// shell) and the dipole moment about the coordinate origin.
std::string properties_block(const Properties& p);

// The GRADIENT block of --gradient, after the others: per atom (symbol and number in
// input order) dE/dx, dE/dy, dE/dz in Hartree/bohr with 10 decimals.
std::string gradient_block(const Molecule& mol, const std::vector<Vec3>& gradient);
