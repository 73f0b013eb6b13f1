#include "molecule/molecule_check.h"

#include <algorithm>
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
}
