#include "driver/qcschema.h"

#include <fstream>

#include <nlohmann/json.hpp>

#include "common/failure.h"
#include "driver/version.h"
#include "driver/calculation.h"

EnergyParts energy_parts(const Matrix<double>& P, const Matrix<double>& H, const Matrix<double>& F) {
    EnergyParts parts{0.0, 0.0};
    for (int i = 0; i < P.rows(); ++i) {
        for (int j = 0; j < P.cols(); ++j) {
            parts.one_electron += P[i][j] * H[i][j];
            parts.two_electron += P[i][j] * (F[i][j] - H[i][j]);
        }
    }
    parts.two_electron *= 0.5;
    return parts;
}

std::string qcschema_json(const Calculation& calc) {
    using nlohmann::json;

    json symbols = json::array();
    json geometry = json::array();
    for (unsigned a = 0; a < calc.molecule.nratoms(); ++a) {
        const Atom& atom = calc.molecule[a];
        symbols.push_back(atom.ps());
        geometry.push_back(atom.gr().getx());
        geometry.push_back(atom.gr().gety());
        geometry.push_back(atom.gr().getz());
    }
    // The molecule in the frame given.
    const json molecule = {{"schema_name", "qcschema_molecule"},
                           {"schema_version", 2},
                           {"symbols", symbols},
                           {"geometry", geometry},
                           {"molecular_charge", static_cast<double>(calc.molecule.net_charge())},
                           {"molecular_multiplicity", calc.spin.multiplicity},
                           {"fix_com", true},
                           {"fix_orientation", true}};

    // An open shell's parts add those of each spin: E1 = sum (Pa + Pb) H and
    // E2 = 1/2 sum [Pa (F_a - H) + Pb (F_b - H)].
    EnergyParts parts = energy_parts(calc.scf.density, calc.H, calc.scf.fock);
    double energy = calc.scf.energy;
    unsigned iterations = calc.scf.iterations;
    bool converged = calc.scf.converged;
    json extras = {{"orbital_energies", calc.scf.orbital_energies}};
    if (calc.unrestricted) {
        const EnergyParts a = energy_parts(calc.uhf.P_alpha, calc.H, calc.uhf.F_alpha);
        const EnergyParts b = energy_parts(calc.uhf.P_beta, calc.H, calc.uhf.F_beta);
        parts = {a.one_electron + b.one_electron, a.two_electron + b.two_electron};
        energy = calc.uhf.energy;
        iterations = calc.uhf.iterations;
        converged = calc.uhf.converged;
        extras = {{"orbital_energies", calc.uhf.energies_alpha},
                  {"orbital_energies_beta", calc.uhf.energies_beta},
                  {"s_squared", calc.uhf.s_squared},
                  {"lowest_orbital_hessian_eigenvalue", calc.uhf.lowest_hessian_eigenvalue},
                  {"instabilities_followed", calc.uhf.instabilities_followed}};
    }
    const json properties = {{"calcinfo_natom", calc.molecule.nratoms()},
                             {"calcinfo_nbasis", calc.basis.size()},
                             {"calcinfo_nmo", calc.basis.size()},
                             {"calcinfo_nalpha", calc.spin.alpha},
                             {"calcinfo_nbeta", calc.spin.beta},
                             {"nuclear_repulsion_energy", calc.nuclear_repulsion},
                             {"scf_one_electron_energy", parts.one_electron},
                             {"scf_two_electron_energy", parts.two_electron},
                             {"scf_total_energy", energy},
                             {"scf_iterations", iterations},
                             {"return_energy", energy}};

    json result = {{"schema_name", "qcschema_output"},
                   {"schema_version", 1},
                   {"molecule", molecule},
                   {"driver", "energy"},
                   {"model", {{"method", "hf"}, {"basis", calc.molecule.basis_name}}},
                   {"keywords", {{"reference", calc.unrestricted ? "uhf" : "rhf"}}},
                   {"provenance", {{"creator", "velko"}, {"version", version_number()}, {"routine", "velko"}}},
                   {"properties", properties},
                   {"return_result", energy},
                   {"success", converged},
                   {"extras", extras}};
    if (!converged)
        result["error"] = {{"error_type", "convergence_error"},
                           {"error_message", "the SCF did not converge in " + std::to_string(iterations) +
                                                 " iterations; the energies are those of the last step"}};
    return result.dump(2) + "\n";
}

void write_qcschema(const Calculation& calc, const std::string& path) {
    const std::string text = qcschema_json(calc);
    std::ofstream file(path, std::ios::binary);
    if (file) file << text;
    if (!file || !file.flush())
        throw Failure{"Error: cannot write JSON file \"" + path + "\"", exit_status::bad_input};
}
