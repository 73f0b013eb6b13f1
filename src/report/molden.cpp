#include "report/molden.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "common/failure.h"
#include "integrals/md/shell.h"
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
void write_shell(std::ostringstream& out, const Shell& shell) {
    out << shell_letter(shell.L) << " " << shell.exponents.size() << " 1.00\n";
    for (std::size_t i = 0; i < shell.exponents.size(); ++i)
        out << number(shell.exponents[i]) << " " << number(shell.coefficients[i]) << "\n";
}

// The largest L a Molden file holds: g. Pure functions beyond p stand under the flags
// [5D] (pure d and f) and [9G], in the order of the basis (m = 0, +1, -1, ...);
// Cartesian ones, Molden's default, in the order of the basis too (xx, yy, zz, xy, xz, yz).
constexpr unsigned molden_max_l = 4;

// Molden's Cartesian functions all carry the norm of x^l (xy is not at unit norm), so
// each orbital coefficient of a component is multiplied by the factor that takes it from
// there to unit norm (component_scale: sqrt(3) for xy), as Psi4 writes them too.
std::vector<double> coefficient_scales(const BasisSet& basis) {
    std::vector<double> scales;
    for (const Shell& shell : basis.shells)
        for (unsigned k = 0; k < shell.size(); ++k) {
            const std::array<unsigned, 3> p = cartesian_powers(shell.L, k);
            const bool scaled = !shell.pure && shell.L > 1;
            scales.push_back(scaled ? component_scale({static_cast<int>(p[0]), static_cast<int>(p[1]),
                                                       static_cast<int>(p[2])})
                                    : 1.0);
        }
    return scales;
}

// The shells of atom a, numbered from 1 in the file.
void write_atom_shells(std::ostringstream& out, const Calculation& calc, unsigned a) {
    const BasisSet& basis = calc.basis;
    if (basis.atom_shells[a] == basis.atom_shells[a + 1])
        throw Failure{"Error: cannot write a Molden file: the basis holds no functions for " + calc.molecule[a].ps() +
                          " (atom " + std::to_string(a + 1) + ")",
                      exit_status::unsupported};
    out << a + 1 << " 0\n";
    for (unsigned s = basis.atom_shells[a]; s < basis.atom_shells[a + 1]; ++s) {
        const Shell& shell = basis.shells[s];
        if (shell.L > molden_max_l)
            throw Failure{std::string("Error: cannot write a Molden file: it holds shells up to g, the basis has ") +
                              shell_letter(shell.L) + " functions",
                          exit_status::unsupported};
        write_shell(out, basis.shells[s]);
    }
    out << "\n";
}

// The orbitals of one spin channel, each with the channel's occupation or 0.
void write_channel_orbitals(std::ostringstream& out, const char* spin, const ChannelState& channel,
                            const std::vector<double>& scales) {
    char occupation[40];
    std::snprintf(occupation, sizeof occupation, "%.6f", channel.occupation);
    const int n = channel.C.rows();
    for (int k = 0; k < n; ++k) {
        out << "Sym= A\n";
        out << "Ene= " << number(channel.energies[static_cast<std::size_t>(k)]) << "\n";
        out << "Spin= " << spin << "\n";
        out << "Occup= " << (static_cast<unsigned>(k) < channel.occupied ? occupation : "0.000000") << "\n";
        for (int b = 0; b < n; ++b)
            out << b + 1 << " " << number(channel.C[b][k] * scales[static_cast<std::size_t>(b)]) << "\n";
    }
}

}  // namespace

std::string molden_text(const Calculation& calc) {
    std::ostringstream out;
    out << "[Molden Format]\n";
    out << "[Title]\n";
    out << "velko " << (calc.channels() == 1 ? "restricted" : "unrestricted") << " Hartree-Fock, "
        << calc.molecule.basis_name << "\n";

    out << "[Atoms] AU\n";
    for (unsigned a = 0; a < calc.molecule.nratoms(); ++a) {
        const Atom& atom = calc.molecule[a];
        out << atom.ps() << " " << a + 1 << " " << atom.nucl_chg() << " " << number(atom.gr().getx()) << " "
            << number(atom.gr().gety()) << " " << number(atom.gr().getz()) << "\n";
    }

    out << "[GTO]\n";
    for (unsigned a = 0; a < calc.molecule.nratoms(); ++a) write_atom_shells(out, calc, a);
    unsigned max_l = 0;
    for (const Shell& shell : calc.basis.shells) max_l = std::max(max_l, shell.L);
    const bool pure = std::any_of(calc.basis.shells.begin(), calc.basis.shells.end(),
                                  [](const Shell& shell) { return shell.pure && shell.L > 1; });
    if (pure && max_l >= 2) out << "[5D]\n";
    if (pure && max_l >= 4) out << "[9G]\n";
    const std::vector<double> scales = coefficient_scales(calc.basis);

    // One channel is written as the Alpha orbitals, each holding two electrons.
    out << "[MO]\n";
    const char* const spins[] = {"Alpha", "Beta"};
    for (std::size_t s = 0; s < calc.result.channels.size(); ++s) write_channel_orbitals(out, spins[s], calc.result.channels[s], scales);
    return out.str();
}

void write_molden(const Calculation& calc, const std::string& path, const std::string& appendix) {
    replace_file(path, "Molden", molden_text(calc) + appendix);
}
