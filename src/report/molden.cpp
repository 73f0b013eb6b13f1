#include "report/molden.h"

#include <cstdio>
#include <sstream>

#include "common/failure.h"
#include "system/files.h"
#include "scf/calculation.h"

namespace {

std::string number(double x) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%20.12E", x);
    return buf;
}

// One shell: its letter, primitive count and scale factor 1.00, then
// "exponent coefficient" per primitive.
void write_shell(std::ostringstream& out, const char* letter, const CGF& f) {
    out << letter << " " << f.gtos.size() << " 1.00\n";
    for (const GTO& g : f.gtos) out << number(g.alpha) << " " << number(g.c) << "\n";
}

// The functions of an atom form shells: 1s and 2s one s shell each, and the
// three 2p functions (same exponents, px py pz in that order) one p shell.
void write_atom_shells(std::ostringstream& out, const Atom& atom, unsigned number_in_molecule) {
    out << number_in_molecule << " 0\n";
    for (unsigned j = 0; j < atom.nrorbs(); ++j) {
        const CGF& f = atom[j];
        if (f.gtos.empty())
            throw Failure{"Error: cannot write a Molden file: the basis tables hold no functions for " + atom.ps() +
                              " (atom " + std::to_string(number_in_molecule) + ")",
                          exit_status::unsupported};
        if (f.type == "1s" || f.type == "2s") {
            write_shell(out, "s", f);
        } else if (f.type == "2px") {
            write_shell(out, "p", f);
            j += 2;  // 2py and 2pz belong to the same shell
        }
    }
    out << "\n";
}

// The orbitals of one spin of an unrestricted solution, occupations 1 or 0.
void write_spin_orbitals(std::ostringstream& out, const char* spin, const std::vector<double>& energies,
                         const Matrix<double>& C, unsigned occupied) {
    const int n = C.rows();
    for (int k = 0; k < n; ++k) {
        out << "Sym= A\n";
        out << "Ene= " << number(energies[static_cast<std::size_t>(k)]) << "\n";
        out << "Spin= " << spin << "\n";
        out << "Occup= " << (static_cast<unsigned>(k) < occupied ? "1.000000" : "0.000000") << "\n";
        for (int b = 0; b < n; ++b) out << b + 1 << " " << number(C[b][k]) << "\n";
    }
}

}  // namespace

std::string molden_text(const Calculation& calc) {
    std::ostringstream out;
    out << "[Molden Format]\n";
    out << "[Title]\n";
    out << "velko " << (calc.unrestricted ? "unrestricted" : "restricted") << " Hartree-Fock, "
        << calc.molecule.basis_name << "\n";

    out << "[Atoms] AU\n";
    for (unsigned a = 0; a < calc.molecule.nratoms(); ++a) {
        const Atom& atom = calc.molecule[a];
        out << atom.ps() << " " << a + 1 << " " << atom.nucl_chg() << " " << number(atom.gr().getx()) << " "
            << number(atom.gr().gety()) << " " << number(atom.gr().getz()) << "\n";
    }

    out << "[GTO]\n";
    for (unsigned a = 0; a < calc.molecule.nratoms(); ++a) write_atom_shells(out, calc.molecule[a], a + 1);

    out << "[MO]\n";
    const unsigned n = calc.basis.size();
    if (calc.unrestricted) {
        write_spin_orbitals(out, "Alpha", calc.uhf.energies_alpha, calc.uhf.C_alpha, calc.spin.alpha);
        write_spin_orbitals(out, "Beta", calc.uhf.energies_beta, calc.uhf.C_beta, calc.spin.beta);
        return out.str();
    }
    const unsigned nocc = calc.occupied;
    for (unsigned k = 0; k < n; ++k) {
        out << "Sym= A\n";
        out << "Ene= " << number(calc.scf.orbital_energies[k]) << "\n";
        out << "Spin= Alpha\n";
        out << "Occup= " << (k < nocc ? "2.000000" : "0.000000") << "\n";
        for (unsigned b = 0; b < n; ++b) out << b + 1 << " " << number(calc.scf.C[b][k]) << "\n";
    }
    return out.str();
}

void write_molden(const Calculation& calc, const std::string& path) {
    replace_file(path, "Molden", molden_text(calc));
}
