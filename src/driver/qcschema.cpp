#include "driver/qcschema.h"

#include <fstream>

#include <nlohmann/json.hpp>

#include "common/failure.h"
#include "driver/calculation.h"
#include "driver/calculation_properties.h"
#include "driver/version.h"
#include "scf/properties.h"

namespace {

using nlohmann::json;

json shell(int angular_momentum, const CGF& f) {
    json exponents = json::array(), coefficients = json::array();
    for (const GTO& g : f.gtos) {
        exponents.push_back(g.alpha);
        coefficients.push_back(g.c);
    }
    return {{"angular_momentum", {angular_momentum}},
            {"harmonic_type", "cartesian"},
            {"exponents", exponents},
            {"coefficients", {coefficients}}};
}

// QCSchema BasisSet: the shells of each element once, and the element of every atom.
// 1s and 2s are s shells; 2px, 2py, 2pz (same primitives) one p shell.
json basis_set(const Calculation& calc) {
    json centers = json::object(), atom_map = json::array();
    for (unsigned a = 0; a < calc.molecule.nratoms(); ++a) {
        const Atom& atom = calc.molecule[a];
        atom_map.push_back(atom.ps());
        if (centers.contains(atom.ps())) continue;
        json shells = json::array();
        for (unsigned j = 0; j < atom.nrorbs(); ++j) {
            const CGF& f = atom[j];
            if (f.type == "1s" || f.type == "2s") shells.push_back(shell(0, f));
            if (f.type == "2px") shells.push_back(shell(1, f));
        }
        centers[atom.ps()] = {{"electron_shells", shells}};
    }
    return {{"schema_name", "qcschema_basis"}, {"schema_version", 1}, {"name", calc.molecule.basis_name},
            {"center_data", centers},          {"atom_map", atom_map}, {"nbf", calc.basis.size()}};
}

json wavefunction_section(const Calculation& calc) {
    json orbitals = json::array();
    const Matrix<double>& C = calc.scf.C;
    for (int i = 0; i < C.rows(); ++i) {
        json row = json::array();
        for (int k = 0; k < C.cols(); ++k) row.push_back(C[i][k]);
        orbitals.push_back(row);
    }
    json occupations = json::array();
    for (unsigned k = 0; k < calc.basis.size(); ++k) occupations.push_back(k < calc.occupied ? 1.0 : 0.0);
    return {{"basis", basis_set(calc)},
            {"restricted", true},
            {"scf_orbitals_a", orbitals},
            {"scf_eigenvalues_a", calc.scf.orbital_energies},
            {"scf_occupations_a", occupations},
            {"orbitals_a", "scf_orbitals_a"},
            {"eigenvalues_a", "scf_eigenvalues_a"},
            {"occupations_a", "scf_occupations_a"}};
}

}  // namespace

std::string qcschema_json(const Calculation& calc, bool wavefunction) {
    const Properties p = calculation_properties(calc);

    json symbols = json::array();
    json geometry = json::array();
    for (unsigned a = 0; a < calc.molecule.nratoms(); ++a) {
        const Atom& atom = calc.molecule[a];
        symbols.push_back(atom.ps());
        geometry.push_back(atom.gr().getx());
        geometry.push_back(atom.gr().gety());
        geometry.push_back(atom.gr().getz());
    }
    // velko computes closed-shell singlets only, in the frame given.
    const json molecule = {{"schema_name", "qcschema_molecule"},
                           {"schema_version", 2},
                           {"symbols", symbols},
                           {"geometry", geometry},
                           {"molecular_charge", static_cast<double>(calc.molecule.net_charge())},
                           {"molecular_multiplicity", 1},
                           {"fix_com", true},
                           {"fix_orientation", true}};

    const unsigned pairs = calc.occupied;
    const json properties = {{"calcinfo_natom", calc.molecule.nratoms()},
                             {"calcinfo_nbasis", calc.basis.size()},
                             {"calcinfo_nmo", calc.basis.size()},
                             {"calcinfo_nalpha", pairs},
                             {"calcinfo_nbeta", pairs},
                             {"nuclear_repulsion_energy", calc.nuclear_repulsion},
                             {"scf_one_electron_energy", p.energies.one_electron},
                             {"scf_two_electron_energy", p.energies.two_electron},
                             {"scf_total_energy", calc.scf.energy},
                             {"scf_dipole_moment", p.dipole},
                             {"scf_iterations", calc.scf.iterations},
                             {"return_energy", calc.scf.energy}};

    json extras = {{"orbital_energies", calc.scf.orbital_energies},
                   {"mulliken_charges", p.mulliken_charges},
                   {"loewdin_charges", p.loewdin_charges}};
    if (!p.mulliken_spin.empty()) {
        extras["mulliken_spin_populations"] = p.mulliken_spin;
        extras["loewdin_spin_populations"] = p.loewdin_spin;
    }
    if (p.frontier.homo) extras["homo_energy"] = p.frontier.homo->energy;
    if (p.frontier.lumo) extras["lumo_energy"] = p.frontier.lumo->energy;
    if (const std::optional<double> gap = p.frontier.gap()) extras["homo_lumo_gap"] = *gap;

    json result = {{"schema_name", "qcschema_output"},
                   {"schema_version", 1},
                   {"molecule", molecule},
                   {"driver", "energy"},
                   {"model", {{"method", "hf"}, {"basis", calc.molecule.basis_name}}},
                   {"keywords", {{"reference", "rhf"}}},
                   {"provenance", {{"creator", "velko"}, {"version", version_number()}, {"routine", "velko"}}},
                   {"properties", properties},
                   {"return_result", calc.scf.energy},
                   {"success", calc.scf.converged},
                   {"extras", extras}};
    if (wavefunction) {
        result["protocols"] = {{"wavefunction", "all"}};
        result["wavefunction"] = wavefunction_section(calc);
    }
    if (!calc.scf.converged)
        result["error"] = {{"error_type", "convergence_error"},
                           {"error_message", "the SCF did not converge in " + std::to_string(calc.scf.iterations) +
                                                 " iterations; the energies are those of the last step"}};
    return result.dump(2) + "\n";
}

void write_qcschema(const Calculation& calc, const std::string& path, bool wavefunction) {
    const std::string text = qcschema_json(calc, wavefunction);
    std::ofstream file(path, std::ios::binary);
    if (file) file << text;
    if (!file || !file.flush())
        throw Failure{"Error: cannot write JSON file \"" + path + "\"", exit_status::bad_input};
}
