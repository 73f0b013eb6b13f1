#include "input/geometry_units.h"

#include <cmath>
#include <cstdio>

#include "common/constants.h"
#include "common/quote.h"

double covalent_radius_angstrom(unsigned z) {
    static const double radii[] = {0.31, 0.28, 1.28, 0.96, 0.84, 0.76, 0.71, 0.66, 0.57, 0.58, 1.66, 1.41,
                                   1.21, 1.11, 1.07, 1.05, 1.02, 1.06, 2.03, 1.76, 1.70, 1.60, 1.53, 1.39,
                                   1.39, 1.32, 1.26, 1.24, 1.32, 1.22, 1.22, 1.20, 1.19, 1.20, 1.20, 1.16};
    return z >= 1 && z <= sizeof radii / sizeof radii[0] ? radii[z - 1] : 0.0;
}

std::optional<AtomPair> closest_pair(const Molecule& mol) {
    std::optional<AtomPair> best;
    for (unsigned i = 0; i < mol.nratoms(); ++i)
        for (unsigned j = i + 1; j < mol.nratoms(); ++j) {
            if (mol[i].ghost || mol[j].ghost) continue;  // basis functions without a nucleus: anywhere
            const Vec3 a = mol[i].gr();
            const Vec3 b = mol[j].gr();
            const double dx = a.getx() - b.getx(), dy = a.gety() - b.gety(), dz = a.getz() - b.getz();
            AtomPair pair;
            pair.first = i;
            pair.second = j;
            pair.distance_angstrom = std::sqrt(dx * dx + dy * dy + dz * dz) / bohr_per_angstrom;
            pair.bond_angstrom = covalent_radius_angstrom(mol[i].element) + covalent_radius_angstrom(mol[j].element);
            if (!best || pair.ratio() < best->ratio()) best = pair;
        }
    return best;
}

std::string unit_warning(const Molecule& mol, LengthUnit unit, const std::string& source, const std::string& unit_words) {
    const std::optional<AtomPair> pair = closest_pair(mol);
    if (!pair) return "";
    const double ratio = pair->ratio();
    const bool compressed = unit == LengthUnit::bohr && ratio < compressed_bond_ratio;
    const bool unbonded = unit == LengthUnit::angstrom && ratio > no_bond_ratio;
    if (!compressed && !unbonded) return "";
    char numbers[160];
    std::snprintf(numbers, sizeof numbers, "atoms %u (%s) and %u (%s) are %.2f angstrom apart, %.2f times their covalent bond length of %.2f angstrom",
                  pair->first + 1, mol[pair->first].ps().c_str(), pair->second + 1, mol[pair->second].ps().c_str(),
                  pair->distance_angstrom, ratio, pair->bond_angstrom);
    if (compressed)
        return "velko: warning: input " + quoted(source) + ": " + numbers + "; were the coordinates meant in angstrom? (" +
               unit_words + ")";
    return "velko: warning: input " + quoted(source) + ": no two atoms are bonded: the closest, " + numbers +
           "; were the coordinates meant in bohr? (" + unit_words + ")";
}
