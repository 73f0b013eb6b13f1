// Energy moved by Schwarz screening and by the incremental Fock build, against the
// unscreened fast path built in full at every step, on the molecules named:
//   velko_screening bench/molecules/caffeine.in /tmp/c20.in ...
// (alkanes from bench/make_molecules.py C<n> FILE). The unscreened run stores every
// distinct integral (n^4/8 doubles), so keep to n <= ~220 functions.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "basis/basis_set.h"
#include "input/velko_format.h"
#include "integrals/integrals.h"
#include "linalg/canorg.h"
#include "linalg/matfunc.h"
#include "scf/guess.h"
#include "scf/hf.h"
#include "system/parallel.h"
#include "scf/screened.h"

int main(int argc, char** argv) {
    std::printf("%-28s %5s %10s %20s %11s %11s\n", "molecule", "n", "kept", "E unscreened full", "dE screen", "dE s+incr");
    for (int a = 1; a < argc; ++a) {
        Molecule molecule;
        read_velko_file(molecule, argv[a]);
        const BasisSet basis = molecular_basis(molecule);
        const Integrals integrals(IntegralPath::fast, basis, molecule.atoms);
        const Matrix<double> S = integrals.overlap(), T = integrals.kinetic();
        const std::vector<Matrix<double>> V = integrals.nuclear_attraction(molecule.atoms);
        std::vector<unsigned> electrons;
        unsigned total = 0;
        for (const Atom& atom : molecule.atoms) {
            electrons.push_back(atom.nrelecs());
            total += atom.nrelecs();
        }
        auto energy = [&](const TwoElectronOperator& op, bool incremental) {
            HF hf;
            hf.H = core_hamiltonian(T, V);
            hf.S = S;
            hf.X = canorg(S);
            hf.X_t = transpose(hf.X);
            hf.two_electron_operator = &op;
            hf.incremental_fock = incremental;
            hf.free_order_products = true;
            hf.nuclear_repulsion = calcnuclrepul(molecule.atoms);
            hf.occupied = total / 2;
            return hf.iterate_diis(superposition_density(S, T, V, op, basis.first, electrons)).energy;
        };
        const unsigned threads = default_thread_count();
        ScreenedOperator all(integrals.shell_pairs(), basis.size(), threads, 0.0, 0.0);
        all.store();
        const double reference = energy(all, false);
        ScreenedOperator screened(integrals.shell_pairs(), basis.size(), threads);
        screened.store();
        const double e_screened = energy(screened, false);
        const double e_both = energy(screened, true);
        std::printf("%-28s %5u %9.1f%% %20.10f %11.2e %11.2e\n", argv[a], basis.size(),
                    100.0 * static_cast<double>(screened.surviving_integrals()) / static_cast<double>(all.surviving_integrals()),
                    reference, e_screened - reference, e_both - reference);
    }
}
