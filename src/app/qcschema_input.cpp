#include "app/qcschema_input.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <new>
#include <optional>
#include <sstream>
#include <vector>

#include "common/failure.h"
#include "common/quote.h"
#include "app/batch.h"
#include "app/optimize_run.h"
#include "report/optimization_schema.h"
#include "report/listing.h"
#include "report/qcschema.h"
#include "report/version.h"
#include "common/fieldparse.h"
#include "input/geometry_units.h"
#include "basis/basis.h"
#include "basis/basis_library.h"
#include "molecule/element.h"
#include "molecule/periodic_table.h"
#include "molecule/molecule.h"
#include "app/prepare.h"
#include "gradient/scf_gradient.h"
#include "system/parallel.h"
#include "report/verdict.h"
#include "app/frequencies.h"
#include "report/vibration_json.h"

using nlohmann::json;

namespace {

// Positions beyond this are refused, as by the input readers: the integrals'
// squared distances overflow and the incomplete gamma function no longer converges.
constexpr double max_coordinate_bohr = 1e6;

// Arrays and objects nested deeper than this are refused. An AtomicInput nests four
// levels (molecule.geometry rows); the limit leaves room for extras, while the echo
// of the input into the result, a recursive walk, keeps to a small stack and an
// output of linear size (its indentation grows with the depth).
constexpr int max_json_depth = 64;

// Drivers whose AtomicResult can stand without a result: a gradient or Hessian
// must hold an array of the molecule's shape, which a failure has not got.
// A Hessian run that fails is answered with a FailedOperation instead.
const char* const drivers[] = {"energy", "gradient", "properties"};

[[noreturn]] void refuse(const std::string& source, const std::string& what, int status = exit_status::bad_input) {
    throw Failure{"Error in QCSchema input " + quoted(source) + ": " + what, status};
}

std::string canonical_symbol(const std::string& text) {
    std::string s = to_lower(text);
    if (!s.empty() && s[0] >= 'a' && s[0] <= 'z') s[0] = static_cast<char>(s[0] - 'a' + 'A');
    return s;
}

// Every element of the periodic table, so that a molecule velko cannot compute (Na, Cl)
// still gets an AtomicResult that validates, while a made-up symbol does not.
bool known_element(const std::string& symbol) { return periodic_number(symbol) != 0; }

bool is_one_of(const std::string& value, const char* const* first, const char* const* last) {
    for (; first != last; ++first)
        if (value == *first) return true;
    return false;
}

struct Atoms {
    std::vector<std::string> symbols;  // canonical spelling
    std::vector<double> xyz;           // bohr, three per atom
};

// What must hold for any QCSchema answer naming the molecule: a molecule with
// known elements and a geometry of three coordinates per atom, a driver and a model.
Atoms read_structure(const json& input, const std::string& source) {
    if (!input.is_object()) refuse(source, "expected a JSON object (an AtomicInput)");
    if (input.contains("schema_name") && input["schema_name"] != "qcschema_input")
        refuse(source, "expected schema_name \"qcschema_input\", found " + input["schema_name"].dump());
    if (!input.contains("molecule") || !input["molecule"].is_object()) refuse(source, "expected a \"molecule\" object");
    const json& molecule = input["molecule"];
    if (!molecule.contains("symbols") || !molecule["symbols"].is_array() || molecule["symbols"].empty())
        refuse(source, "expected molecule.symbols, a non-empty array of element symbols");

    Atoms atoms;
    for (const json& s : molecule["symbols"]) {
        if (!s.is_string()) refuse(source, "expected element symbols in molecule.symbols, found " + s.dump());
        const std::string symbol = canonical_symbol(s.get<std::string>());
        if (!known_element(symbol))
            refuse(source, "expected element symbols in molecule.symbols, found " + quoted(s.get<std::string>()));
        atoms.symbols.push_back(symbol);
    }

    if (!molecule.contains("geometry") || !molecule["geometry"].is_array())
        refuse(source, "expected molecule.geometry, an array of coordinates in bohr");
    for (const json& g : molecule["geometry"]) {
        if (g.is_array()) {
            if (g.size() != 3) refuse(source, "expected rows of three coordinates in molecule.geometry, found " + g.dump());
            for (const json& x : g) atoms.xyz.push_back(x.is_number() ? x.get<double>() : NAN);
        } else {
            atoms.xyz.push_back(g.is_number() ? g.get<double>() : NAN);
        }
    }
    if (atoms.xyz.size() != 3 * atoms.symbols.size())
        refuse(source, "expected " + std::to_string(3 * atoms.symbols.size()) + " coordinates in molecule.geometry for " +
                           std::to_string(atoms.symbols.size()) + " atoms, found " + std::to_string(atoms.xyz.size()));
    for (double x : atoms.xyz)
        if (!(std::fabs(x) <= max_coordinate_bohr))
            refuse(source, "expected coordinates in molecule.geometry that are numbers of at most 1e6 bohr in magnitude");

    if (!input.contains("driver") || !input["driver"].is_string() ||
        (!is_one_of(input["driver"].get<std::string>(), std::begin(drivers), std::end(drivers)) &&
         input["driver"] != "hessian"))
        refuse(source, "driver " + input.value("driver", json()).dump() +
                           ": velko computes energies, gradients and Hessians only (driver \"energy\", \"gradient\" or \"hessian\")");
    if (!input.contains("model") || !input["model"].is_object() || !input["model"].contains("method") ||
        !input["model"]["method"].is_string())
        refuse(source, "expected a \"model\" object with a \"method\"");
    if (input["model"].contains("basis") && !input["model"]["basis"].is_string() && !input["model"]["basis"].is_null())
        refuse(source, "expected model.basis to be a basis-set name");
    if (input.contains("keywords") && !input["keywords"].is_object()) refuse(source, "expected \"keywords\" to be an object");
    return atoms;
}

// The basis-set name velko knows for a spelling such as "STO-3G", "sto_3g", "6-31G(d)"; empty when none.
std::string model_basis_name(const std::string& spelling) {
    std::string s;
    for (char c : to_lower(spelling))
        if (c != '-' && c != '_' && c != ' ') s += c;
    if (s == "sto3g") return "sto-3g";
    if (s == "sto6g") return "sto-6g";
    return basis_set_name(spelling).value_or("");
}

// What velko must honour and cannot: the model, driver, keywords, charge and
// multiplicity, the elements. Returns the settings and the molecule to compute.
Settings read_request(const json& input, const Atoms& atoms, const std::string& source, Molecule& mol) {
    const json& molecule = input["molecule"];
    // Charge and multiplicity as qcelemental gives them; a multiplicity left out is
    // chosen by the electron count (1 or 2), as for velko's own input.
    const json charge = molecule.value("molecular_charge", json(0));
    if (!charge.is_number() || charge.get<double>() != std::floor(charge.get<double>()) ||
        std::fabs(charge.get<double>()) > 1000.0)
        refuse(source, "molecular_charge " + charge.dump() + ": expected a whole number of elementary charges");
    const json multiplicity = molecule.value("molecular_multiplicity", json());
    if (!multiplicity.is_null() && (!multiplicity.is_number() || multiplicity.get<double>() < 1.0 ||
                                    multiplicity.get<double>() != std::floor(multiplicity.get<double>()) ||
                                    multiplicity.get<double>() > 1000.0))
        refuse(source, "molecular_multiplicity " + multiplicity.dump() + ": expected a whole number 2S+1 of 1 or more");

    const std::string driver = input["driver"].get<std::string>();
    if (driver != "energy" && driver != "gradient" && driver != "hessian")
        refuse(source, "driver " + quoted(driver) +
                           ": velko computes energies, gradients and Hessians only (driver \"energy\", \"gradient\" or \"hessian\")");
    const std::string method = input["model"]["method"].get<std::string>();
    if (to_lower(method) != "hf" && to_lower(method) != "scf")
        refuse(source, "method " + quoted(method) + ": velko computes Hartree-Fock only (method \"hf\" or \"scf\")");
    const json& basis = input["model"].value("basis", json());
    const std::string basis_name = basis.is_string() ? model_basis_name(basis.get<std::string>()) : "";
    if (basis_name.empty())
        refuse(source, "basis " + (basis.is_string() ? quoted(basis.get<std::string>()) : std::string("missing")) +
                           ": expected a basis set of velko's library, one of " + library_names(),
               exit_status::unknown_basis);

    Settings settings;
    std::string reference;
    const json keywords = input.value("keywords", json::object());
    for (const auto& [key, value] : keywords.items()) {
        if (key == "diis" && value.is_boolean()) {
            settings.diis = value.get<bool>();
        } else if (key == "max_iterations" && value.is_number_integer() && value.get<long long>() > 0 &&
                   value.get<long long>() <= 1000000) {
            settings.max_iterations = static_cast<unsigned>(value.get<long long>());
        } else if (key == "reference" && value.is_string() &&
                   (to_lower(value.get<std::string>()) == "rhf" || to_lower(value.get<std::string>()) == "uhf")) {
            reference = to_lower(value.get<std::string>());
        } else if (key == "integrals" && value.is_string() &&
                   (value == "auto" || value == "exact" || value == "fast")) {
            settings.integrals = value == "exact" ? IntegralPath::exact
                                 : value == "fast" ? IntegralPath::fast
                                                   : IntegralPath::automatic;
        } else {
            refuse(source, "keyword " + quoted(key) + " = " + value.dump() +
                               ": expected diis (true or false), max_iterations (1 to 1000000), reference (\"rhf\", \"uhf\") "
                               "or integrals (\"auto\", \"exact\", \"fast\")");
        }
    }

    // Ghost atoms (molecule.real false): basis functions without nucleus or electrons,
    // as a counterpoise correction places them.
    std::vector<bool> ghost(atoms.symbols.size(), false);
    if (molecule.contains("real")) {
        const json& real = molecule["real"];
        if (!real.is_array() || real.size() != atoms.symbols.size())
            refuse(source, "expected molecule.real, an array of " + std::to_string(atoms.symbols.size()) +
                               " true or false, one per atom");
        for (std::size_t a = 0; a < real.size(); ++a) {
            if (!real[a].is_boolean())
                refuse(source, "expected true or false in molecule.real, found " + real[a].dump());
            ghost[a] = !real[a].get<bool>();
        }
    }

    for (std::size_t a = 0; a < atoms.symbols.size(); ++a)
        if (element_number(atoms.symbols[a]) == 0)
            refuse(source, "element " + atoms.symbols[a] + " (atom " + std::to_string(a + 1) +
                               "): velko computes the elements H to " + element_symbol(last_computed_element));

    mol.basis_name = basis_name;
    mol.charge = static_cast<int>(charge.get<double>());
    if (!multiplicity.is_null()) mol.multiplicity = static_cast<int>(multiplicity.get<double>());
    for (std::size_t a = 0; a < atoms.symbols.size(); ++a) {
        mol.addAtom(atoms.symbols[a], atoms.xyz[3 * a], atoms.xyz[3 * a + 1], atoms.xyz[3 * a + 2]);
        mol.atoms.back().ghost = ghost[a];
    }

    // velko computes a singlet restricted and every other multiplicity unrestricted.
    const long long spin_multiplicity = mol.multiplicity ? *mol.multiplicity : (mol.electron_count() % 2 == 0 ? 1 : 2);
    if ((reference == "rhf" && spin_multiplicity != 1) || (reference == "uhf" && spin_multiplicity == 1))
        refuse(source, "reference " + ::quoted(reference) + " for multiplicity " + std::to_string(spin_multiplicity) +
                           ": velko computes singlets with RHF and other multiplicities with UHF");
    return settings;
}

json error_object(const std::string& message, int status) {
    return {{"error_type", schema_error_type(status)},
            {"error_message", message},
            {"extras", {{"exit_status", status}}}};
}

// The fields of the input an AtomicResult carries over unchanged.
json echo_input(const json& input) {
    json result = json::object();
    for (const char* key : {"id", "molecule", "driver", "model", "keywords", "protocols", "extras"})
        if (input.contains(key) && !input[key].is_null()) result[key] = input[key];
    result["schema_name"] = "qcschema_output";
    result["schema_version"] = 1;
    result["provenance"] = {{"creator", "velko"}, {"version", version_number()}, {"routine", "velko --qcschema"}};
    return result;
}

// A QCSchema OptimizationInput: its initial_molecule computed as the AtomicInput of
// input_specification (model and keywords) and minimised; keywords convergence_set ("gau",
// "gau_tight"), max_steps and program (any). Answered with the OptimizationResult, or a
// FailedOperation when the input is malformed or a geometry's SCF fails.
SchemaAnswer answer_optimization(const json& input, const std::string& source, bool show_progress) {
    try {
        // QCSchema names the single-point request of every geometry "input_specification".
        const json request = input.value("input_specification", json::object());
        if (!request.is_object()) refuse(source, "expected \"input_specification\" to be an object");
        json atomic = {{"schema_name", "qcschema_input"},
                       {"molecule", input.value("initial_molecule", json())},
                       {"driver", "energy"},
                       {"model", request.value("model", json())}};
        if (request.contains("keywords")) atomic["keywords"] = request["keywords"];
        const Atoms atoms = read_structure(atomic, source);
        Molecule mol;
        Settings settings = read_request(atomic, atoms, source, mol);
        settings.progress = show_progress;
        OptimizerSettings optimizer;
        bool tight = false;
        const json keywords = input.value("keywords", json::object());
        if (!keywords.is_object()) refuse(source, "expected \"keywords\" to be an object");
        for (const auto& [key, value] : keywords.items()) {
            if (key == "convergence_set" && (value == "gau" || value == "gau_tight")) {
                tight = value == "gau_tight";
                if (tight) optimizer.criteria = tight_convergence;
            } else if (key == "max_steps" && value.is_number_integer() && value.get<long long>() > 0 &&
                       value.get<long long>() <= 1000000) {
                optimizer.max_steps = static_cast<unsigned>(value.get<long long>());
            } else if (key != "program") {
                refuse(source, "optimization keyword " + quoted(key) + " = " + value.dump() +
                                   ": expected convergence_set (\"gau\", \"gau_tight\"), max_steps (1 to 1000000) "
                                   "or program");
            }
        }
        const OptimizationResult r = optimize(prepare_run(mol, source), settings, optimizer, source, nullptr);
        json result = json::parse(optimization_schema_json(r.trace, mol, r.calculation, tight, optimizer.max_steps));
        if (input.contains("id")) result["id"] = input["id"];
        return {result, r.trace.converged ? exit_status::ok : exit_status::optimization_not_converged};
    } catch (const Failure& f) {
        return {failed_operation(f.message, f.status, input), f.status};
    } catch (const std::bad_alloc&) {
        return {failed_operation("Error: not enough memory to compute QCSchema input " + quoted(source),
                                 exit_status::out_of_memory, input),
                exit_status::out_of_memory};
    }
}

}  // namespace

std::string schema_error_type(int status) {
    switch (status) {
        case exit_status::not_converged: return "convergence_error";
        case exit_status::unstable: return "unstable_solution";
        case exit_status::out_of_memory: return "resource_error";
        case exit_status::numerical: return "numerical_error";
        default: return "input_error";
    }
}

json failed_operation(const std::string& message, int status, const json& input_data) {
    return {{"success", false}, {"error", error_object(message, status)}, {"input_data", input_data}};
}

json atomic_result(const Calculation& calc, const std::vector<Vec3>* gradient) {
    return json::parse(qcschema_json(calc, false, gradient));
}

SchemaAnswer answer_atomic_input(const std::string& text, const std::string& source, bool show_progress) {
    json input;
    Atoms atoms;
    try {
        try {
            const json::parser_callback_t within_depth = [&source](int depth, json::parse_event_t, json&) {
                if (depth > max_json_depth)
                    refuse(source, "expected JSON nested at most " + std::to_string(max_json_depth) +
                                       " levels deep (arrays and objects)");
                return true;
            };
            input = json::parse(text, within_depth);
        } catch (const Failure&) {
            input = text;
            throw;
        } catch (const json::exception& e) {
            input = text;  // kept as text in the FailedOperation
            refuse(source, std::string("expected JSON text: ") + e.what());
        }
        if (input.is_object() && input.value("schema_name", json()) == "qcschema_optimization_input")
            return answer_optimization(input, source, show_progress);
        atoms = read_structure(input, source);
    } catch (const Failure& f) {
        return {failed_operation(f.message, f.status, input), f.status};
    }

    json result = echo_input(input);
    const bool hessian = input["driver"] == "hessian";
    try {
        Molecule mol;
        Settings settings = read_request(input, atoms, source, mol);
        settings.progress = show_progress;
        const std::string warning = unit_warning(mol, LengthUnit::bohr, source, "QCSchema geometry is in bohr");
        if (!warning.empty()) std::cerr << warning << "\n";
        Listing quiet(false);
        const PreparedRun run = prepare_run(mol, source);
        const Calculation calc = compute_run(run, settings, source, quiet);

        std::optional<std::vector<Vec3>> gradient;
        if (input["driver"] == "gradient" && calc.result.converged)
            gradient = scf_gradient(calc, settings.threads != 0 ? settings.threads : default_thread_count());
        json computed = atomic_result(calc, gradient ? &*gradient : nullptr);
        if (hessian && verdict(calc).status != exit_status::ok)
            return {failed_operation(verdict(calc).message, verdict(calc).status, input), verdict(calc).status};
        if (hessian) {
            ThermoConditions conditions;
            conditions.symmetry_number = 0;
            conditions.multiplicity = run.spin.multiplicity;
            const Vibrations v = compute_vibrations(run, calc, settings, conditions,
                                                    settings.threads != 0 ? settings.threads : default_thread_count(), source);
            computed = json::parse(with_vibrations(qcschema_json(calc), v));
        }
        for (const char* key : {"properties", "return_result", "success"}) result[key] = computed[key];
        json extras = computed["extras"];
        if (input.contains("extras") && input["extras"].is_object()) extras.update(input["extras"]);
        result["extras"] = extras;
        const Verdict v = verdict(calc);
        if (v.status != exit_status::ok) {
            result["error"] = error_object(computed["error"]["error_message"].get<std::string>(), v.status);
            return {result, v.status};
        }
        return {result, exit_status::ok};
    } catch (const Failure& f) {
        if (hessian) return {failed_operation(f.message, f.status, input), f.status};
        result["properties"] = json::object();
        result["return_result"] = json::object();  // no energy: a reader must not take one
        result["success"] = false;
        result["error"] = error_object(f.message, f.status);
        return {result, f.status};
    } catch (const std::bad_alloc&) {
        const std::string message = "Error: not enough memory to compute QCSchema input " + quoted(source);
        result["properties"] = json::object();
        result["return_result"] = json::object();
        result["success"] = false;
        result["error"] = error_object(message, exit_status::out_of_memory);
        return {result, exit_status::out_of_memory};
    }
}

int qcschema_command(const std::vector<std::string>& args) {
    std::vector<std::string> operands;
    bool options_ended = false;
    for (const std::string& arg : args) {
        if (options_ended) operands.push_back(arg);
        else if (arg == "--") options_ended = true;
        else if (arg.rfind("--qcschema=", 0) == 0) operands.push_back(arg.substr(11));
        else if (arg != "--qcschema") operands.push_back(arg);
    }
    if (operands.size() != 1)
        throw Failure{"Error on the command line: --qcschema expects one input file (- for standard input) and no other "
                      "argument",
                      exit_status::bad_input};
    const std::string& path = operands[0];

    std::string text;
    std::string unreadable;  // why the input could not be read
    try {
        if (path == "-") {
            text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
            if (std::cin.bad()) unreadable = "a read error";
        } else if (std::filesystem::is_directory(path)) {
            unreadable = "it is a directory";
        } else {
            std::ifstream file(path, std::ios::binary);
            if (!file) unreadable = "it cannot be opened";
            else text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
            if (unreadable.empty() && file.bad()) unreadable = "a read error";
        }
    } catch (const std::exception& e) {
        unreadable = e.what();
    }
    const std::string source = path == "-" ? "standard input" : path;
    SchemaAnswer answer =
        unreadable.empty()
            ? answer_atomic_input(text, source, true)
            : SchemaAnswer{failed_operation("Error: cannot read QCSchema input " + quoted(source) + ": " + unreadable,
                                            exit_status::bad_input, json{{"input_file", path}}),
                           exit_status::bad_input};
    std::cout << json_text(answer.result, 2) << "\n" << std::flush;
    if (answer.status != exit_status::ok && answer.result.contains("error"))
        std::cerr << "velko: " << answer.result["error"].value("error_message", "") << "\n";
    return answer.status;
}
