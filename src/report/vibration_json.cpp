#include "report/vibration_json.h"

#include <nlohmann/json.hpp>

#include "common/constants.h"
#include "vibration/vibrations.h"

using nlohmann::json;

std::string with_vibrations(const std::string& qcschema_text, const Vibrations& v) {
    json result = json::parse(qcschema_text);
    if (!result.value("success", false)) return qcschema_text;
    const int dim = v.hessian.rows();
    json hessian = json::array(), modes = json::array();
    for (int i = 0; i < dim; ++i) hessian.push_back(std::vector<double>(v.hessian[i], v.hessian[i] + dim));
    for (unsigned k = 0; k < v.modes.count(); ++k) {
        std::vector<double> mode;
        for (int i = 0; i < dim; ++i) mode.push_back(v.modes.cartesian[i][static_cast<int>(k)]);
        modes.push_back(mode);
    }
    const Thermochemistry& t = v.thermo;
    result["driver"] = "hessian";
    result["return_result"] = hessian;
    json& ex = result["extras"];
    ex["frequencies"] = v.modes.wavenumbers;
    ex["ir_intensities"] = v.intensities;
    ex["reduced_masses"] = v.modes.reduced_masses;
    ex["normal_modes"] = modes;
    ex["isotope_masses"] = v.masses;
    ex["point_group"] = v.group.name;
    ex["rotational_symmetry_number"] = v.conditions.symmetry_number;
    ex["largest_gradient"] = v.largest_gradient;
    ex["thermochemistry"] = {{"temperature", v.conditions.temperature},
                             {"pressure_atm", v.conditions.pressure / pascal_per_atmosphere},
                             {"zero_point_energy", t.zero_point},
                             {"thermal_energy_correction", t.thermal_energy},
                             {"enthalpy_correction", t.enthalpy},
                             {"gibbs_energy_correction", t.gibbs},
                             {"entropy", t.entropy},
                             {"translational_entropy", t.translational_entropy},
                             {"rotational_entropy", t.rotational_entropy},
                             {"vibrational_entropy", t.vibrational_entropy},
                             {"electronic_entropy", t.electronic_entropy}};
    return result.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}
