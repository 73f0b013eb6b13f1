#include "driver/output.h"

#include <iomanip>
#include <iostream>
#include <sstream>

#include "driver/version.h"
#include "input/molecule.h"

namespace {

const char* const stars = "***********************";
const char* const box_side = "*                     *";

// Five centred-looking lines (23 characters right-aligned in 33) and an empty line.
void box_header(std::ostringstream& os, const char* title) {
    for (const char* line : {stars, box_side, title, box_side, stars}) os << std::setw(33) << line << '\n';
    os << '\n';
}

// "|" and four ten-character cells of the same fill: 45 characters.
void cell_rule(std::ostringstream& os, const char* cell) {
    os << '|';
    for (int k = 0; k < 4; ++k) os << std::setw(10) << cell << '|';
    os << '\n';
}

}  // namespace

std::string geometry_block(const Molecule& mol) {
    std::ostringstream os;
    box_header(os, "*      GEOMETRY       *");
    cell_rule(os, "----------");
    os << '|';
    for (const char* head : {"Atom", "X", "Y", "Z"}) os << std::setw(10) << head << '|';
    os << '\n';
    cell_rule(os, "----------");
    // Positions are in bohr; five significant digits, %.5g style.
    os << std::setprecision(5);
    for (unsigned i = 0; i < mol.nratoms(); ++i) {
        const Atom& atom = mol[i];
        const Vec3 r = atom.gr();
        os << '|' << std::setw(10) << atom.ps() << '|';
        os << std::setw(10) << r.getx() << '|';
        os << std::setw(10) << r.gety() << '|';
        os << std::setw(10) << r.getz() << '|' << '\n';
    }
    cell_rule(os, "----------");
    return os.str();
}

std::string summary_block(unsigned iterations, double energy, unsigned atoms, unsigned orbitals, unsigned gtos,
                          int charge) {
    std::ostringstream os;
    box_header(os, "*       SUMMARY       *");
    os << "Number of atoms: " << atoms << '\n';
    // Only a charged molecule has the line, so that the report of a neutral one stays as it was.
    if (charge != 0) os << "Molecular charge: " << std::showpos << charge << std::noshowpos << '\n';
    os << "Number of orbitals: " << orbitals << '\n';
    os << "Number of GTOs: " << gtos << '\n';
    os << "Number of iterations: " << iterations << '\n';
    os << "Total energy [Hartree]: " << std::setprecision(10) << energy << '\n';
    os << '\n';
    return os.str();
}

std::string orbitals_block(const std::vector<double>& energies, const std::vector<std::string>& labels,
                           const Matrix<double>& coefficients, unsigned electrons) {
    std::ostringstream os;
    box_header(os, "*       ORBITALS      *");
    const std::size_t n = labels.size();
    // An odd electron is left out: its half-filled orbital counts as virtual.
    const unsigned occupied = electrons / 2;
    for (std::size_t k = 0; k < n; ++k) {
        cell_rule(os, "**********");
        os << '|' << std::left << std::setw(10) << k + 1 << std::right << '|';
        os << std::fixed << std::setprecision(10) << std::setw(18) << energies[k] << " HT" << '|';
        os << std::setw(10) << (k < occupied ? " Occupied" : " Virtual") << '|' << '\n';
        cell_rule(os, "**********");
        os << std::setprecision(4);
        for (std::size_t i = 0; i < n; ++i) {
            os << '|' << std::left << std::setw(21) << labels[i] << std::right << '|';
            os << std::setw(21) << coefficients[static_cast<int>(i)][static_cast<int>(k)] << '|' << '\n';
        }
        cell_rule(os, "----------");
        os << '\n';
    }
    return os.str();
}

std::string calculation_time_block(double ms) {
    std::ostringstream os;
    os << std::setw(33) << stars << '\n';
    // Default precision 6: a million milliseconds and more switch to exponent form.
    os << "Program terminated succesfully after " << ms << "ms." << '\n';
    os << '\n';
    return os.str();
}

void Output::print_version() const { std::cout << version() << std::flush; }

void Output::print_geometry(const Molecule& mol) const { std::cout << geometry_block(mol) << std::flush; }

void Output::print_summary(unsigned iterations, double energy, unsigned atoms, unsigned orbitals,
                           unsigned gtos, int charge) const {
    std::cout << summary_block(iterations, energy, atoms, orbitals, gtos, charge) << std::flush;
}

void Output::print_orbitals(const std::vector<double>& energies, const std::vector<std::string>& labels,
                            const Matrix<double>& coefficients, unsigned electrons) const {
    std::cout << orbitals_block(energies, labels, coefficients, electrons) << std::flush;
}

void Output::print_calculation_time(double ms) const {
    std::cout << calculation_time_block(ms) << std::flush;
}

std::string unrestricted_orbitals_block(const SpinOrbitalTable& alpha, const SpinOrbitalTable& beta,
                                        const std::vector<std::string>& labels) {
    std::ostringstream os;
    box_header(os, "*       ORBITALS      *");
    const std::size_t n = labels.size();
    for (const SpinOrbitalTable* spin : {&alpha, &beta}) {
        for (std::size_t k = 0; k < n; ++k) {
            cell_rule(os, "**********");
            const std::string number = std::to_string(k + 1) + " " + spin->name;
            os << '|' << std::left << std::setw(10) << number << std::right << '|';
            os << std::fixed << std::setprecision(10) << std::setw(18) << spin->energies[k] << " HT" << '|';
            os << std::setw(10) << (k < spin->occupied ? " Occupied" : " Virtual") << '|' << '\n';
            cell_rule(os, "**********");
            os << std::fixed << std::setprecision(4);
            for (std::size_t i = 0; i < n; ++i) {
                os << '|' << std::left << std::setw(21) << labels[i] << std::right << '|';
                os << std::setw(21) << spin->coefficients[static_cast<int>(i)][static_cast<int>(k)] << '|' << '\n';
            }
            cell_rule(os, "----------");
            os << '\n';
        }
    }
    return os.str();
}

std::string unrestricted_summary_block(unsigned iterations, double energy, unsigned atoms, unsigned orbitals,
                                       unsigned gtos, int charge, unsigned multiplicity, unsigned alpha, unsigned beta,
                                       double s_squared, double exact_s_squared) {
    std::string text = summary_block(iterations, energy, atoms, orbitals, gtos, charge);
    text.pop_back();  // the closing empty line comes after the spin lines
    std::ostringstream os;
    os << "Multiplicity: " << multiplicity << '\n';
    os << "Number of alpha electrons: " << alpha << '\n';
    os << "Number of beta electrons: " << beta << '\n';
    os << "<S^2>: " << std::fixed << std::setprecision(6) << s_squared << " (exact S(S+1): " << exact_s_squared
       << ")" << '\n';
    os << '\n';
    return text + os.str();
}

void Output::print_unrestricted_orbitals(const SpinOrbitalTable& alpha, const SpinOrbitalTable& beta,
                                         const std::vector<std::string>& labels) const {
    std::cout << unrestricted_orbitals_block(alpha, beta, labels) << std::flush;
}

void Output::print_unrestricted_summary(unsigned iterations, double energy, unsigned atoms, unsigned orbitals,
                                        unsigned gtos, int charge, unsigned multiplicity, unsigned alpha, unsigned beta,
                                        double s_squared, double exact_s_squared) const {
    std::cout << unrestricted_summary_block(iterations, energy, atoms, orbitals, gtos, charge, multiplicity, alpha, beta,
                                            s_squared, exact_s_squared)
              << std::flush;
}
