#include "report/qcschema.h"

#include <cmath>
#include <fstream>

#include <nlohmann/json.hpp>

#include "common/failure.h"
#include "scf/calculation.h"
#include "properties/calculation_properties.h"
#include "report/verdict.h"
#include "system/files.h"
#include "report/version.h"
#include "properties/properties.h"

namespace {

using nlohmann::json;

json shell(const Shell& s) {
    return {{"angular_momentum", {s.L}},
            {"harmonic_type", s.pure ? "spherical" : "cartesian"},
            {"exponents", s.exponents},
            {"coefficients", {s.coefficients}}};
}

// QCSchema BasisSet: the shells of each element once, and the element of every atom.
json basis_set(const Calculation& calc) {
    const BasisSet& basis = calc.basis;
    json centers = json::object(), atom_map = json::array();
    for (unsigned a = 0; a < calc.molecule.nratoms(); ++a) {
        const std::string element = calc.molecule[a].ps();
        atom_map.push_back(element);
        if (centers.contains(element)) continue;
        json shells = json::array();
        for (unsigned s = basis.atom_shells[a]; s < basis.atom_shells[a + 1]; ++s) shells.push_back(shell(basis.shells[s]));
        centers[element] = {{"electron_shells", shells}};
    }
    return {{"schema_name", "qcschema_basis"}, {"schema_version", 1}, {"name", calc.molecule.basis_name},
            {"center_data", centers},          {"atom_map", atom_map}, {"nbf", calc.basis.size()}};
}

// The basis function of each row of QCSchema's orbitals. Within a shell QCSchema takes
// the CCA order: Cartesian x power descending, then y (xx, xy, xz, yy, yz, zz); pure
// m = -l ... l. The basis holds Molden's (xx, yy, zz, xy, xz, yz; m = 0, +1, -1, ...).
std::vector<unsigned> cca_rows(const BasisSet& basis) {
    std::vector<unsigned> rows;
    for (std::size_t s = 0; s < basis.shells.size(); ++s) {
        const Shell& shell = basis.shells[s];
        const unsigned first = basis.shell_first[s];
        const int L = static_cast<int>(shell.L);
        if (L < 2) {
            for (unsigned k = 0; k < shell.size(); ++k) rows.push_back(first + k);
        } else if (shell.pure) {
            for (int m = -L; m <= L; ++m) rows.push_back(first + static_cast<unsigned>(m > 0 ? 2 * m - 1 : -2 * m));
        } else {
            for (int i = L; i >= 0; --i)
                for (int j = L - i; j >= 0; --j)
                    for (unsigned k = 0; k < shell.size(); ++k)
                        if (cartesian_powers(shell.L, k) ==
                            std::array<unsigned, 3>{static_cast<unsigned>(i), static_cast<unsigned>(j),
                                                    static_cast<unsigned>(L - i - j)})
                            rows.push_back(first + k);
        }
    }
    return rows;
}

json orbital_rows(const Matrix<double>& C, const std::vector<unsigned>& rows) {
    json orbitals = json::array();
    for (unsigned i : rows) {
        json row = json::array();
        for (int k = 0; k < C.cols(); ++k) row.push_back(C[static_cast<int>(i)][k]);
        orbitals.push_back(row);
    }
    return orbitals;
}

json occupation_list(unsigned functions, unsigned occupied) {
    json occupations = json::array();
    for (unsigned k = 0; k < functions; ++k) occupations.push_back(k < occupied ? 1.0 : 0.0);
    return occupations;
}

// The orbitals of each spin channel: _a, and of an open shell _b beside them.
json wavefunction_section(const Calculation& calc) {
    const unsigned n = calc.basis.size();
    json section = {{"basis", basis_set(calc)}, {"restricted", calc.channels() == 1}};
    const char* const suffixes[] = {"_a", "_b"};
    for (std::size_t s = 0; s < calc.result.channels.size(); ++s) {
        const ChannelState& c = calc.result.channels[s];
        const std::string x = suffixes[s];
        section["scf_orbitals" + x] = orbital_rows(c.C, cca_rows(calc.basis));
        section["scf_eigenvalues" + x] = c.energies;
        section["scf_occupations" + x] = occupation_list(n, c.occupied);
        section["orbitals" + x] = "scf_orbitals" + x;
        section["eigenvalues" + x] = "scf_eigenvalues" + x;
        section["occupations" + x] = "scf_occupations" + x;
    }
    return section;
}

}  // namespace

std::string qcschema_json(const Calculation& calc, bool wavefunction, const std::vector<Vec3>* gradient) {
    const Properties p = calculation_properties(calc);

    json symbols = json::array();
    json geometry = json::array();
    json real = json::array();
    bool ghosts = false;
    for (unsigned a = 0; a < calc.molecule.nratoms(); ++a) {
        const Atom& atom = calc.molecule[a];
        symbols.push_back(atom.ps());
        real.push_back(!atom.ghost);
        ghosts = ghosts || atom.ghost;
        geometry.push_back(atom.gr().getx());
        geometry.push_back(atom.gr().gety());
        geometry.push_back(atom.gr().getz());
    }
    // The molecule in the frame given.
    json molecule = {{"schema_name", "qcschema_molecule"},
                           {"schema_version", 2},
                           {"symbols", symbols},
                           {"geometry", geometry},
                           {"molecular_charge", static_cast<double>(calc.molecule.net_charge())},
                           {"molecular_multiplicity", calc.spin.multiplicity},
                           {"fix_com", true},
                           {"fix_orientation", true}};
    if (ghosts) molecule["real"] = real;

    const SpinRun& r = calc.result;
    const double energy = r.energy;
    const unsigned iterations = r.iterations;
    const bool converged = r.converged;
    const bool open = calc.channels() == 2;
    const json properties = {{"calcinfo_natom", calc.molecule.nratoms()},
                             {"calcinfo_nbasis", calc.basis.size()},
                             {"calcinfo_nmo", calc.basis.size()},
                             {"calcinfo_nalpha", calc.spin.alpha},
                             {"calcinfo_nbeta", calc.spin.beta},
                             {"nuclear_repulsion_energy", calc.nuclear_repulsion},
                             {"scf_one_electron_energy", p.energies.one_electron},
                             {"scf_two_electron_energy", p.energies.two_electron},
                             {"scf_total_energy", energy},
                             {"scf_dipole_moment", p.dipole},
                             {"scf_iterations", iterations},
                             {"return_energy", energy}};

    json extras = {{"orbital_energies", r.channels[0].energies},
                   {"mulliken_charges", p.mulliken_charges},
                   {"loewdin_charges", p.loewdin_charges}};
    if (open) {
        extras["orbital_energies_beta"] = r.channels[1].energies;
        extras["s_squared"] = r.s_squared;
        // Null when the check stopped at an upper bound once the sign was settled.
        extras["lowest_orbital_hessian_eigenvalue"] =
            !calc.stability_checked || calc.lowest.converged ? json(calc.lowest.eigenvalue) : json(nullptr);
        extras["instabilities_followed"] = calc.instabilities_followed;
    }
    if (!p.mulliken_spin.empty()) {
        extras["mulliken_spin_populations"] = p.mulliken_spin;
        extras["loewdin_spin_populations"] = p.loewdin_spin;
    }
    // The kind of the functions of a set of the library or a file, in the words of harmonic_type.
    if (!calc.basis.builtin) extras["basis_function_kind"] = calc.basis.pure() ? "spherical" : "cartesian";
    if (p.frontier.homo) extras["homo_energy"] = p.frontier.homo->energy;
    if (p.frontier.lumo) extras["lumo_energy"] = p.frontier.lumo->energy;
    if (const std::optional<double> gap = p.frontier.gap()) extras["homo_lumo_gap"] = *gap;

    json result = {{"schema_name", "qcschema_output"},
                   {"schema_version", 1},
                   {"molecule", molecule},
                   {"driver", "energy"},
                   {"model", {{"method", "hf"}, {"basis", calc.molecule.basis_name}}},
                   {"keywords", {{"reference", open ? "uhf" : "rhf"}}},
                   {"provenance", {{"creator", "velko"}, {"version", version_number()}, {"routine", "velko"}}},
                   {"properties", properties},
                   {"return_result", energy},
                   {"success", false},
                   {"extras", extras}};
    if (gradient) {
        json rows = json::array();
        for (const Vec3& g : *gradient) rows.push_back({g.x, g.y, g.z});
        result["driver"] = "gradient";
        result["return_result"] = rows;
        result["properties"]["return_gradient"] = rows;
        result["properties"]["scf_total_gradient"] = rows;
    }
    if (wavefunction) {
        result["protocols"] = {{"wavefunction", "all"}};
        result["wavefunction"] = wavefunction_section(calc);
    }
    // Whether a closed-shell solution is a minimum among closed-shell determinants
    // (scf/stability.h); null when the run was not converged far enough to check, and for
    // an open shell (its check is reported above, as part of the UHF run).
    json& ex = result["extras"];
    const bool closed_checked = !open && calc.stability_checked;
    ex["scf_stable"] = closed_checked ? json(calc.stable) : json(nullptr);
    // The eigenvalue itself only where the iteration converged it (always when negative);
    // for a stable solution it may stop at an upper bound once the sign is settled.
    ex["scf_lowest_hessian_eigenvalue"] =
        closed_checked && calc.lowest.converged && std::isfinite(calc.lowest.eigenvalue)
            ? json(calc.lowest.eigenvalue)
            : json(nullptr);
    // Stability towards unrestricted solutions (scf/stability.h: lowest_triplet_rotation); null when not checked.
    ex["scf_triplet_stable"] = calc.triplet ? json(!(calc.triplet->eigenvalue < instability_threshold)) : json(nullptr);
    ex["scf_lowest_triplet_hessian_eigenvalue"] =
        calc.triplet && calc.triplet->converged ? json(calc.triplet->eigenvalue) : json(nullptr);
    const Verdict v = verdict(calc);
    result["success"] = v.status == exit_status::ok;
    if (v.status != exit_status::ok) {
        // A failed AtomicResult holds no number a reader could take for the energy; the
        // energy of the last step stays under extras.
        result["return_result"] = json::object();
        result["properties"].erase("return_energy");
        result["properties"].erase("scf_total_energy");
        result["properties"].erase("return_gradient");
        result["properties"].erase("scf_total_gradient");
        ex["last_energy"] = energy;
    }
    if (!converged)
        result["error"] = {{"error_type", "convergence_error"},
                           {"error_message", "the SCF did not converge in " + std::to_string(iterations) +
                                                 " iterations; the energies are those of the last step"}};
    else if (v.status != exit_status::ok)
        result["error"] = {{"error_type", v.status == exit_status::not_converged ? "convergence_error" : "unstable_solution"},
                           {"error_message", v.message.substr(v.message.find(": ") + 2)}};
    // Strings from the input file may hold any bytes: invalid UTF-8 becomes U+FFFD.
    return result.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

void write_qcschema(const Calculation& calc, const std::string& path, bool wavefunction,
                    const std::vector<Vec3>* gradient) {
    replace_file(path, "JSON", qcschema_json(calc, wavefunction, gradient));
}
