#include "report/optimization_schema.h"

#include <nlohmann/json.hpp>

#include "report/qcschema.h"

using nlohmann::json;

std::string optimization_schema_json(const OptimizationTrace& trace, const Molecule& initial,
                                     const Calculation& final_calc, bool tight, unsigned max_steps,
                                     bool wavefunction) {
    json last = json::parse(qcschema_json(final_calc, wavefunction));
    const json& model = last["model"];
    auto molecule_at = [&](const std::vector<double>& x) {
        json m = last["molecule"];
        m["geometry"] = x;
        return m;
    };
    std::vector<double> x0;
    for (const Atom& a : initial.atoms) x0.insert(x0.end(), {a.position.x, a.position.y, a.position.z});

    json energies = json::array(), trajectory = json::array();
    for (std::size_t k = 0; k < trace.steps.size(); ++k) {
        const OptimizationStep& s = trace.steps[k];
        energies.push_back(s.energy);
        if (k + 1 == trace.steps.size()) break;
        trajectory.push_back({{"schema_name", "qcschema_output"},
                              {"schema_version", 1},
                              {"molecule", molecule_at(s.x)},
                              {"driver", "gradient"},
                              {"model", model},
                              {"keywords", last["keywords"]},
                              {"provenance", last["provenance"]},
                              {"properties", {{"return_energy", s.energy}}},
                              {"return_result", s.gradient},
                              {"success", true}});
    }
    last["driver"] = "gradient";
    if (!trace.steps.empty()) last["return_result"] = trace.steps.back().gradient;
    const bool scf_success = last["success"].get<bool>();
    trajectory.push_back(last);

    json result = {{"schema_name", "qcschema_optimization_output"},
                   {"schema_version", 1},
                   {"initial_molecule", molecule_at(x0)},
                   {"final_molecule", last["molecule"]},
                   {"energies", energies},
                   {"trajectory", trajectory},
                   {"input_specification",
                    {{"schema_name", "qcschema_input"}, {"driver", "gradient"}, {"model", model},
                     {"keywords", last["keywords"]}}},
                   {"keywords", {{"program", "velko"}, {"convergence_set", tight ? "gau_tight" : "gau"},
                                 {"max_steps", max_steps}}},
                   {"provenance", last["provenance"]},
                   {"success", trace.converged && scf_success}};
    if (!trace.converged)
        result["error"] = {{"error_type", "convergence_error"},
                           {"error_message", "the geometry optimization did not converge in " +
                                                 std::to_string(trace.steps.size()) + " steps"}};
    return result.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}
