#include "molecule/molecule_check.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <tuple>
#include <sstream>
#include <vector>

#include "common/failure.h"
#include "common/quote.h"

namespace {

[[noreturn]] void refuse(const std::string& path, const std::string& what) {
    throw Failure{"Error in input file " + quoted(path) + ": " + what, exit_status::unsupported};
}

std::string signed_number(long long n) { return (n > 0 ? "+" : "") + std::to_string(n); }

// "the molecule has", or "the molecule with charge +1 has" when it is charged.
std::string the_molecule(const Molecule& mol) {
    if (mol.net_charge() == 0) return "the molecule has ";
    return "the molecule with charge " + signed_number(mol.net_charge()) + " has ";
}

std::string electrons_text(long long n) { return std::to_string(n) + (n == 1 ? " electron" : " electrons"); }

// Refuses the first pair (a, b), a < b, in input order whose positions are equal.
// Sorting by position puts equal positions side by side: O(N log N).
void check_distinct_positions(const Molecule& mol, const std::string& path) {
    const unsigned n = mol.nratoms();
    std::vector<unsigned> order(n);
    std::iota(order.begin(), order.end(), 0u);
    const auto key = [&](unsigned i) {
        const Vec3 r = mol[i].gr();
        return std::make_tuple(r.x, r.y, r.z, i);
    };
    std::sort(order.begin(), order.end(), [&](unsigned i, unsigned j) { return key(i) < key(j); });
    const auto same = [&](unsigned i, unsigned j) {
        const Vec3 a = mol[i].gr(), b = mol[j].gr();
        return a.x == b.x && a.y == b.y && a.z == b.z;
    };
    // Within a run of equal positions the indices ascend; the pair to report is the
    // first two of the run that starts with the lowest index.
    bool found = false;
    unsigned first = 0, second = 0;
    for (unsigned k = 0; k + 1 < n; ++k) {
        if (!same(order[k], order[k + 1])) continue;
        if (k > 0 && same(order[k - 1], order[k])) continue;  // not the start of its run
        if (!found || order[k] < first) first = order[k], second = order[k + 1], found = true;
    }
    if (!found) return;
    std::ostringstream msg;
    msg << "atoms " << first + 1 << " (" << mol[first].ps() << ") and " << second + 1 << " (" << mol[second].ps()
        << ") are at the same position; expected distinct positions for all atoms";
    refuse(path, msg.str());
}

// Nuclei closer than this are refused. Velko's Hamiltonian treats nuclei as point
// charges; the nuclei of H to Ne have radii of 0.9 to 3.0 fm (up to 5.7e-5 bohr), so
// two of them closer than 1e-4 bohr (5.3 fm) would overlap and the model has no
// meaning. Far below it the nuclear repulsion Z1 Z2 / r passes any printable energy
// (LiH at 1e-162 bohr: 3e162 Hartree) and the SCF meets infinities.
constexpr double min_nuclear_distance_bohr = 1e-4;

// Refuses the first pair (a, b), a < b, in input order whose nuclei are closer than
// min_nuclear_distance_bohr. Sorted by x, only atoms within that distance in x are
// compared: O(N log N) for a molecule of ordinary density.
void check_nuclear_distances(const Molecule& mol, const std::string& path) {
    const unsigned n = mol.nratoms();
    std::vector<unsigned> order(n);
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&](unsigned i, unsigned j) { return mol[i].gr().x < mol[j].gr().x; });
    bool found = false;
    unsigned first = 0, second = 0;
    double apart = 0.0;
    for (unsigned k = 0; k < n; ++k) {
        const Vec3 a = mol[order[k]].gr();
        for (unsigned l = k + 1; l < n && mol[order[l]].gr().x - a.x < min_nuclear_distance_bohr; ++l) {
            if (mol[order[k]].ghost || mol[order[l]].ghost) continue;  // no nucleus
            const Vec3 b = mol[order[l]].gr();
            const double r = std::hypot(a.x - b.x, a.y - b.y, a.z - b.z);
            if (!(r < min_nuclear_distance_bohr)) continue;
            const unsigned i = std::min(order[k], order[l]), j = std::max(order[k], order[l]);
            if (!found || i < first || (i == first && j < second)) first = i, second = j, apart = r, found = true;
        }
    }
    if (!found) return;
    std::ostringstream msg;
    msg << "atoms " << first + 1 << " (" << mol[first].ps() << ") and " << second + 1 << " (" << mol[second].ps()
        << ") are " << apart << " bohr apart; expected nuclei at least " << min_nuclear_distance_bohr
        << " bohr apart (closer, two nuclei would overlap)";
    refuse(path, msg.str());
}

}  // namespace

void check_molecule(const Molecule& mol, unsigned function_count, const std::string& path) {
    const long long electrons = mol.electron_count();
    if (electrons <= 0)
        refuse(path, the_molecule(mol) + electrons_text(electrons) +
                         "; expected a charge that leaves at least one electron");
    const long long functions = function_count;
    if (electrons > 2 * functions)
        refuse(path, the_molecule(mol) + electrons_text(electrons) + " but its " + std::to_string(functions) +
                         " basis functions hold at most " + std::to_string(2 * functions));
    check_distinct_positions(mol, path);
    check_nuclear_distances(mol, path);
}
