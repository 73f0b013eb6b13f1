#include "driver/molden.h"

#include <cstdio>
#include <sstream>

#include "common/failure.h"
#include "driver/files.h"
#include "scf/hf.h"

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

}  // namespace

std::string molden_text(const HF& hf) {
    std::ostringstream out;
    out << "[Molden Format]\n";
    out << "[Title]\n";
    out << "velko restricted Hartree-Fock, " << hf.mol.basis_name << "\n";

    out << "[Atoms] AU\n";
    for (unsigned a = 0; a < hf.mol.nratoms(); ++a) {
        const Atom& atom = hf.mol[a];
        out << atom.ps() << " " << a + 1 << " " << atom.nucl_chg() << " " << number(atom.gr().getx()) << " "
            << number(atom.gr().gety()) << " " << number(atom.gr().getz()) << "\n";
    }

    out << "[GTO]\n";
    for (unsigned a = 0; a < hf.mol.nratoms(); ++a) write_atom_shells(out, hf.mol[a], a + 1);

    out << "[MO]\n";
    const unsigned n = hf.nr_orbitals;
    const unsigned nocc = hf.nr_electrons / 2;
    for (unsigned k = 0; k < n; ++k) {
        out << "Sym= A\n";
        out << "Ene= " << number(hf.orbital_energies[k]) << "\n";
        out << "Spin= Alpha\n";
        out << "Occup= " << (k < nocc ? "2.000000" : "0.000000") << "\n";
        for (unsigned b = 0; b < n; ++b) out << b + 1 << " " << number(hf.C[b][k]) << "\n";
    }
    return out.str();
}

void write_molden(const HF& hf, const std::string& path) { replace_file(path, "Molden", molden_text(hf)); }
