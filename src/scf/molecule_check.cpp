#include "scf/molecule_check.h"

#include <sstream>

#include "common/failure.h"
#include "common/quote.h"
#include "integrals/reference/func.h"

void check_closed_shell(const Molecule& mol, const std::string& path) {
    unsigned electrons = 0;
    for (unsigned a = 0; a < mol.nratoms(); ++a) electrons += mol[a].nrelecs();
    if (electrons % 2 != 0) {
        std::ostringstream msg;
        msg << "Error in input file " << quoted(path) << ": the molecule has " << electrons
            << (electrons == 1 ? " electron" : " electrons") << ", an odd number; velko computes closed-shell molecules only (every electron paired)";
        throw Failure{msg.str(), exit_status::unsupported};
    }
    for (unsigned a = 0; a < mol.nratoms(); ++a) {
        for (unsigned b = a + 1; b < mol.nratoms(); ++b) {
            if (dist2(mol[a].gr(), mol[b].gr()) == 0.0) {
                std::ostringstream msg;
                msg << "Error in input file " << quoted(path) << ": atoms " << a + 1 << " (" << mol[a].ps()
                    << ") and " << b + 1 << " (" << mol[b].ps()
                    << ") are at the same position; expected distinct positions for all atoms";
                throw Failure{msg.str(), exit_status::unsupported};
            }
        }
    }
}
