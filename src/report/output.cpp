#include "report/output.h"
#include "report/text_table.h"

#include <cmath>
#include <iomanip>
#include <iostream>
#include <sstream>

#include "common/constants.h"
#include "report/version.h"
#include "molecule/molecule.h"
#include "molecule/spin.h"
#include "scf/calculation.h"
#include "properties/properties.h"

namespace {

// The orbital tables' column of function labels: two cells and the bar between them.
constexpr std::size_t label_width = 21;

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
                          int charge, const std::string& model) {
    std::ostringstream os;
    box_header(os, "*       SUMMARY       *");
    os << "Number of atoms: " << atoms << '\n';
    // Only a charged molecule has the line, so that the report of a neutral one stays as it was.
    if (charge != 0) os << "Molecular charge: " << std::showpos << charge << std::noshowpos << '\n';
    os << "Number of orbitals: " << orbitals << '\n';
    os << "Number of GTOs: " << gtos << '\n';
    os << model;
    os << "Number of iterations: " << iterations << '\n';
    os << "Total energy [Hartree]: " << std::setprecision(10) << energy << '\n';
    os << '\n';
    return os.str();
}

std::string column_label(const std::string& label) {
    if (label.size() <= label_width) return label;
    const std::size_t gap = label.find("\t (");
    if (gap == std::string::npos) return label;
    return label.substr(0, gap) + label.substr(gap + 2);
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
            os << '|' << std::left << std::setw(label_width) << column_label(labels[i]) << std::right << '|';
            os << std::setw(21) << coefficients[static_cast<int>(i)][static_cast<int>(k)] << '|' << '\n';
        }
        cell_rule(os, "----------");
        os << '\n';
    }
    return os.str();
}

std::string calculation_time_block(double ms) {
    std::ostringstream os;
    os << std::setw(33) << box_stars << '\n';
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

void Output::print_result(const Calculation& calc) const { std::cout << result_blocks(calc) << std::flush; }

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
                os << '|' << std::left << std::setw(label_width) << column_label(labels[i]) << std::right << '|';
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
                                       double s_squared, double exact_s_squared, const std::string& model) {
    std::string text = summary_block(iterations, energy, atoms, orbitals, gtos, charge, model);
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

std::string model_lines(const Calculation& calc) {
    if (calc.basis.builtin) return "";
    return std::string("Method: ") + (calc.channels() == 1 ? "RHF" : "UHF") + "\nBasis set: " +
           calc.molecule.basis_name + (calc.basis.pure() ? " (pure functions)" : " (Cartesian functions)") + "\n";
}

std::string result_blocks(const Calculation& calc) {
    const SpinRun& r = calc.result;
    const std::vector<std::string>& labels = calc.basis.labels;
    const unsigned atoms = calc.molecule.nratoms(), orbitals = calc.basis.size(), gtos = calc.basis.primitives;
    const int charge = calc.molecule.net_charge();
    const std::string model = model_lines(calc);
    if (calc.channels() == 1) {
        const ChannelState& c = r.channels[0];
        return orbitals_block(c.energies, labels, c.C, calc.electrons) +
               summary_block(r.iterations, r.energy, atoms, orbitals, gtos, charge, model);
    }
    const ChannelState &a = r.channels[0], &b = r.channels[1];
    const SpinState& spin = calc.spin;
    return unrestricted_orbitals_block({"alpha", a.energies, a.C, a.occupied}, {"beta", b.energies, b.C, b.occupied},
                                       labels) +
           unrestricted_summary_block(r.iterations, r.energy, atoms, orbitals, gtos, charge, spin.multiplicity,
                                      spin.alpha, spin.beta, r.s_squared, exact_s_squared(spin.multiplicity), model);
}


std::string properties_block(const Properties& p) {
    std::ostringstream os;
    box_header(os, "*     PROPERTIES      *");
    os << "SCF converged: " << (p.converged ? "yes" : "no; the values below are those of the last step") << '\n';
    if (p.stable) os << "SCF solution stable: " << (*p.stable ? "yes" : "no") << '\n';
    os << "Nuclear repulsion energy [Hartree]: " << fixed_text(p.nuclear_repulsion, 10) << '\n';
    os << "One-electron energy [Hartree]: " << fixed_text(p.energies.one_electron, 10) << '\n';
    os << "Two-electron energy [Hartree]: " << fixed_text(p.energies.two_electron, 10) << '\n';
    os << '\n';

    os << "Frontier orbitals\n";
    table_rule(os, 4);
    table_row(os, {"Orbital", "Number", "[Hartree]", "[eV]"});
    table_rule(os, 4);
    auto level = [&os](const char* name, const std::optional<OrbitalLevel>& o) {
        if (o) table_row(os, {name, std::to_string(o->index + 1), fixed_text(o->energy, 7),
                              fixed_text(hartree_to_ev(o->energy), 4)});
        else table_row(os, {name, "none", "", ""});
    };
    level("HOMO", p.frontier.homo);
    level("LUMO", p.frontier.lumo);
    if (const std::optional<double> gap = p.frontier.gap())
        table_row(os, {"Gap", "", fixed_text(*gap, 7), fixed_text(hartree_to_ev(*gap), 4)});
    table_rule(os, 4);
    os << '\n';

    const bool spin = !p.mulliken_spin.empty();
    os << (spin ? "Atomic charges and spin populations [e]\n" : "Atomic charges [e]\n");
    std::vector<std::string> head{"Atom", "Mulliken", "Loewdin"};
    if (spin) {
        head.push_back("Mull. spin");
        head.push_back("Loew. spin");
    }
    table_rule(os, head.size());
    table_row(os, head);
    table_rule(os, head.size());
    for (std::size_t a = 0; a < p.symbols.size(); ++a) {
        std::vector<std::string> row{p.symbols[a] + std::to_string(a + 1), fixed_text(p.mulliken_charges[a], 6),
                                     fixed_text(p.loewdin_charges[a], 6)};
        if (spin) {
            row.push_back(fixed_text(p.mulliken_spin[a], 6));
            row.push_back(fixed_text(p.loewdin_spin[a], 6));
        }
        table_row(os, row);
    }
    table_rule(os, head.size());
    os << '\n';

    os << "Dipole moment, origin: coordinate origin\n";
    table_rule(os, 3);
    table_row(os, {"", "[a.u.]", "[Debye]"});
    table_rule(os, 3);
    const char* const axes[] = {"X", "Y", "Z"};
    for (std::size_t k = 0; k < 3; ++k)
        table_row(os, {axes[k], fixed_text(p.dipole[k], 6), fixed_text(p.dipole[k] * debye_per_atomic_unit, 6)});
    const double total = vector_length(p.dipole);
    table_row(os, {"Total", fixed_text(total, 6), fixed_text(total * debye_per_atomic_unit, 6)});
    table_rule(os, 3);
    if (p.molecular_charge != 0)
        os << "The molecule has charge " << std::showpos << p.molecular_charge << std::noshowpos
           << ": its dipole moment depends on the origin.\n";
    os << '\n';
    return os.str();
}

void Output::print_properties(const Properties& p) const { std::cout << properties_block(p) << std::flush; }

void Output::print_gradient(const Molecule& mol, const std::vector<Vec3>& gradient) const {
    std::cout << gradient_block(mol, gradient) << std::flush;
}

std::string gradient_block(const Molecule& mol, const std::vector<Vec3>& gradient) {
    std::ostringstream os;
    box_header(os, "*      GRADIENT       *");
    os << "Nuclear gradient dE/dR [Hartree/bohr]\n";
    // An atom cell of ten characters and three of sixteen: -0.0123456789 with room.
    const auto rule = [&os]() { os << "|----------|----------------|----------------|----------------|\n"; };
    const auto row = [&os](const std::string& atom, const std::string& x, const std::string& y, const std::string& z) {
        os << '|' << std::setw(10) << atom << '|' << std::setw(16) << x << '|' << std::setw(16) << y << '|'
           << std::setw(16) << z << "|\n";
    };
    rule();
    row("Atom", "X", "Y", "Z");
    rule();
    for (std::size_t a = 0; a < gradient.size(); ++a)
        row(mol.atoms[a].ps() + std::to_string(a + 1), fixed_text(gradient[a].x, 10), fixed_text(gradient[a].y, 10),
            fixed_text(gradient[a].z, 10));
    rule();
    os << '\n';
    return os.str();
}
