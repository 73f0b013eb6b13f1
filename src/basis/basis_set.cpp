#include "basis/basis_set.h"

#include <sstream>

BasisSet molecular_basis(const std::vector<Atom>& atoms) {
    BasisSet basis;
    basis.first.push_back(0);
    for (std::size_t a = 0; a < atoms.size(); ++a) {
        const Atom& atom = atoms[a];
        for (unsigned j = 0; j < atom.nrorbs(); ++j) {
            const CGF& f = atom[j];
            std::ostringstream label;
            label << "[" << basis.functions.size() + 1 << "] " << atom.ps() << a + 1 << "\t (" << f.orb() << ")";
            basis.labels.push_back(label.str());
            basis.functions.push_back(f);
            basis.primitives += static_cast<unsigned>(f.gtos.size());
        }
        basis.first.push_back(basis.size());
    }
    return basis;
}
