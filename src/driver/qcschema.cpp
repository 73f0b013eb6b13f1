#include "driver/qcschema.h"

#include <cmath>
#include <fstream>

#include <nlohmann/json.hpp>

#include "common/failure.h"
#include "driver/version.h"
#include "driver/calculation.h"
#include "driver/verdict.h"

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
    // velko computes neutral closed-shell molecules only, in the frame given.
    const json molecule = {{"schema_name", "qcschema_molecule"},
                           {"schema_version", 2},
                           {"symbols", symbols},
                           {"geometry", geometry},
                           {"molecular_charge", 0.0},
                           {"molecular_multiplicity", 1},
                           {"fix_com", true},
                           {"fix_orientation", true}};

    const EnergyParts parts = energy_parts(calc.scf.density, calc.H, calc.scf.fock);
    const unsigned pairs = calc.occupied;
    const json properties = {{"calcinfo_natom", calc.molecule.nratoms()},
                             {"calcinfo_nbasis", calc.basis.size()},
                             {"calcinfo_nmo", calc.basis.size()},
                             {"calcinfo_nalpha", pairs},
                             {"calcinfo_nbeta", pairs},
                             {"nuclear_repulsion_energy", calc.nuclear_repulsion},
                             {"scf_one_electron_energy", parts.one_electron},
                             {"scf_two_electron_energy", parts.two_electron},
                             {"scf_total_energy", calc.scf.energy},
                             {"scf_iterations", calc.scf.iterations},
                             {"return_energy", calc.scf.energy}};

    json result = {{"schema_name", "qcschema_output"},
                   {"schema_version", 1},
                   {"molecule", molecule},
                   {"driver", "energy"},
                   {"model", {{"method", "hf"}, {"basis", calc.molecule.basis_name}}},
                   {"keywords", {{"reference", "rhf"}}},
                   {"provenance", {{"creator", "velko"}, {"version", version_number()}, {"routine", "velko"}}},
                   {"properties", properties},
                   {"return_result", calc.scf.energy},
                   {"success", false},
                   {"extras", {{"orbital_energies", calc.scf.orbital_energies}}}};
    // Whether the solution is a minimum among closed-shell determinants (scf/stability.h);
    // null when the run was not converged far enough to check.
    json& extras = result["extras"];
    extras["scf_stable"] = calc.stability_checked ? json(calc.stable) : json(nullptr);
    // The eigenvalue itself only where the iteration converged it (always when negative);
    // for a stable solution it may stop at an upper bound once the sign is settled.
    extras["scf_lowest_hessian_eigenvalue"] =
        calc.stability_checked && calc.lowest.converged && std::isfinite(calc.lowest.eigenvalue)
            ? json(calc.lowest.eigenvalue)
            : json(nullptr);
    const Verdict v = verdict(calc);
    result["success"] = v.status == exit_status::ok;
    if (!calc.scf.converged)
        result["error"] = {{"error_type", "convergence_error"},
                           {"error_message", "the SCF did not converge in " + std::to_string(calc.scf.iterations) +
                                                 " iterations; the energies are those of the last step"}};
    else if (v.status != exit_status::ok)
        result["error"] = {{"error_type", v.status == exit_status::not_converged ? "convergence_error" : "unstable_solution"},
                           {"error_message", v.message.substr(v.message.find(": ") + 2)}};
    return result.dump(2) + "\n";
}

void write_qcschema(const Calculation& calc, const std::string& path) {
    const std::string text = qcschema_json(calc);
    std::ofstream file(path, std::ios::binary);
    if (file) file << text;
    if (!file || !file.flush())
        throw Failure{"Error: cannot write JSON file \"" + path + "\"", exit_status::bad_input};
}
