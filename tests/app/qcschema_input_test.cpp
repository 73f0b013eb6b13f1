// QCSchema in: what an AtomicInput asks for, and the answer velko gives. The
// energies are Psi4 1.3.2 values for the same geometry and basis (see
// tests/e2e/energies_test.cpp: water -74.9628554885, water STO-6G -75.6785890904;
// tests/e2e/open_shell_test.cpp, UHF: the water cation -74.6561382455 (its input
// tests/scf/reference/uhf/h2o_cation.in is this geometry turned into the xz plane),
// the oxygen atom triplet -73.8041502333);
// the statuses and error kinds are those of the README's exit-status table.
#include "app/qcschema_input.h"

#include <gtest/gtest.h>

#include <string>

using nlohmann::json;

namespace {

// Water of examples/water.in, in bohr.
json water_input() {
    return {{"schema_name", "qcschema_input"},
            {"molecule",
             {{"symbols", {"O", "H", "H"}},
              {"geometry", {0.0, 0.0, 0.0, 1.435969546, 1.101858187, 0.0, -1.435969546, 1.101858187, 0.0}}}},
            {"driver", "energy"},
            {"model", {{"method", "hf"}, {"basis", "sto-3g"}}},
            {"keywords", {{"diis", true}}}};
}

enum class Kind { result, failed_result, failed_operation };

struct Case {
    const char* what;
    json input;          // JSON value; a string stands for raw text
    Kind kind;
    int status;
    const char* message;  // part of error_message
    double energy;        // Psi4 reference, when computed
};

json with(json base, const json::json_pointer& at, const json& value) {
    base[at] = value;
    return base;
}

json without(json base, const json::json_pointer& at) {
    json& parent = base[at.parent_pointer()];
    if (parent.is_array())
        parent.erase(static_cast<std::size_t>(std::stoul(at.back())));
    else
        parent.erase(at.back());
    return base;
}

}  // namespace

TEST(QcschemaInput, AnswersEveryKindOfAtomicInput) {
    using P = json::json_pointer;
    const json w = water_input();
    const Case cases[] = {
        {"water", w, Kind::result, 0, "", -74.9628554885},
        {"basis spelled STO3G, method SCF", with(with(w, P("/model/basis"), "STO3G"), P("/model/method"), "SCF"),
         Kind::result, 0, "", -74.9628554885},
        {"basis Sto-6G", with(w, P("/model/basis"), "Sto-6G"), Kind::result, 0, "", -75.6785890904},
        {"geometry as rows", with(w, P("/molecule/geometry"), {{0, 0, 0}, {1.435969546, 1.101858187, 0}, {-1.435969546, 1.101858187, 0}}),
         Kind::result, 0, "", -74.9628554885},
        {"explicit neutral singlet", with(with(w, P("/molecule/molecular_charge"), 0), P("/molecule/molecular_multiplicity"), 1),
         Kind::result, 0, "", -74.9628554885},
        {"plain loop, limit 3", with(w, P("/keywords"), {{"max_iterations", 3}}), Kind::failed_result, 6,
         "did not converge in 3 iterations", 0},
        {"method mp2", with(w, P("/model/method"), "mp2"), Kind::failed_result, 2, "method \"mp2\"", 0},
        {"basis 6-31g(2df)", with(w, P("/model/basis"), "6-31g(2df)"), Kind::failed_result, 1, "basis \"6-31g(2df)\"", 0},
        {"no basis", without(w, P("/model/basis")), Kind::failed_result, 1, "basis missing", 0},
        {"driver properties", with(w, P("/driver"), "properties"), Kind::failed_result, 2, "driver \"properties\"", 0},
        {"cation, doublet by its electron count", with(w, P("/molecule/molecular_charge"), 1), Kind::result, 0, "",
         -74.6561382455},
        {"oxygen atom triplet",
         with(with(with(w, P("/molecule/symbols"), {"O"}), P("/molecule/geometry"), {0.0, 0.0, 0.0}),
              P("/molecule/molecular_multiplicity"), 3),
         Kind::result, 0, "", -73.8041502333},
        {"doublet of ten electrons", with(w, P("/molecule/molecular_multiplicity"), 2), Kind::failed_result, 2,
         "multiplicity 2 is impossible for 10 electrons", 0},
        {"half a charge", with(w, P("/molecule/molecular_charge"), 0.5), Kind::failed_result, 2, "molecular_charge 0.5", 0},
        {"rhf for a doublet", with(with(w, P("/molecule/molecular_charge"), 1), P("/keywords/reference"), "rhf"),
         Kind::failed_result, 2, "reference \"rhf\" for multiplicity 2", 0},
        {"uhf for a singlet", with(w, P("/keywords/reference"), "uhf"), Kind::failed_result, 2,
         "reference \"uhf\" for multiplicity 1", 0},
        {"rubidium", with(w, P("/molecule/symbols/0"), "Rb"), Kind::failed_result, 2, "element Rb (atom 1)", 0},
        {"unknown keyword", with(w, P("/keywords/maxiter"), 5), Kind::failed_result, 2, "keyword \"maxiter\"", 0},
        {"diis not a bool", with(w, P("/keywords/diis"), "yes"), Kind::failed_result, 2, "keyword \"diis\"", 0},
        {"max_iterations 0", with(w, P("/keywords/max_iterations"), 0), Kind::failed_result, 2, "keyword \"max_iterations\"", 0},
        {"coincident atoms", with(w, P("/molecule/geometry/3"), -1.435969546), Kind::failed_result, 3, "same position", 0},
        {"driver optimization", with(w, P("/driver"), "optimization"), Kind::failed_operation, 2, "driver \"optimization\"", 0},
        {"not JSON", json("{\"molecule\": "), Kind::failed_operation, 2, "expected JSON text", 0},
        {"an array", json::array(), Kind::failed_operation, 2, "expected a JSON object", 0},
        {"no molecule", without(w, P("/molecule")), Kind::failed_operation, 2, "\"molecule\" object", 0},
        {"made-up element", with(w, P("/molecule/symbols/1"), "Xx"), Kind::failed_operation, 2, "found \"Xx\"", 0},
        {"eight coordinates", without(w, P("/molecule/geometry/8")), Kind::failed_operation, 2, "expected 9 coordinates", 0},
        {"coordinate a string", with(w, P("/molecule/geometry/2"), "0.0"), Kind::failed_operation, 2, "at most 1e6 bohr", 0},
        {"coordinate 2e6 bohr", with(w, P("/molecule/geometry/2"), 2e6), Kind::failed_operation, 2, "at most 1e6 bohr", 0},
        {"output given as input", with(w, P("/schema_name"), "qcschema_output"), Kind::failed_operation, 2, "schema_name", 0},
        {"model without method", without(w, P("/model/method")), Kind::failed_operation, 2, "\"model\" object", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string text = c.input.is_string() ? c.input.get<std::string>() : c.input.dump();
        const SchemaAnswer a = answer_atomic_input(text, "job.json", false);
        EXPECT_EQ(a.status, c.status);
        const json& r = a.result;
        EXPECT_EQ(r.value("success", true), c.kind == Kind::result);
        if (c.kind == Kind::failed_operation) {
            EXPECT_FALSE(r.contains("schema_name"));
            EXPECT_TRUE(r.contains("input_data"));
        } else {
            EXPECT_EQ(r.value("schema_name", ""), "qcschema_output");
            // The input's molecule, driver and model come back unchanged.
            for (const char* key : {"molecule", "driver", "model"}) EXPECT_EQ(r[key], json::parse(text)[key]) << key;
        }
        if (c.kind == Kind::result) {
            EXPECT_NEAR(r["return_result"].get<double>(), c.energy, 2e-6);
            EXPECT_EQ(r["properties"]["scf_total_energy"], r["return_result"]);
            EXPECT_FALSE(r.contains("error"));
        } else {
            ASSERT_TRUE(r.contains("error"));
            EXPECT_NE(r["error"]["error_message"].get<std::string>().find(c.message), std::string::npos)
                << r["error"]["error_message"];
            EXPECT_EQ(r["error"]["extras"]["exit_status"], c.status);
            EXPECT_EQ(r["error"]["error_type"], c.status == 6 ? "convergence_error" : "input_error");
        }
        // A refused request carries no number that could pass for an energy.
        if (c.kind == Kind::failed_result && c.status != 6) {
            EXPECT_TRUE(r["return_result"].is_object() && r["return_result"].empty());
            EXPECT_TRUE(r["properties"].empty());
        }
    }
}

TEST(QcschemaInput, KeepsTheInputsIdKeywordsAndExtras) {
    json in = water_input();
    in["id"] = "w-17";
    in["extras"] = {{"tag", "batch 3"}};
    const SchemaAnswer a = answer_atomic_input(in.dump(), "job.json", false);
    ASSERT_EQ(a.status, 0);
    EXPECT_EQ(a.result["id"], "w-17");
    EXPECT_EQ(a.result["keywords"], in["keywords"]);
    EXPECT_EQ(a.result["extras"]["tag"], "batch 3");
    EXPECT_EQ(a.result["extras"]["orbital_energies"].size(), 7u);
    EXPECT_EQ(a.result["provenance"]["creator"], "velko");
}

TEST(QcschemaInput, ErrorTypesFollowTheExitStatus) {
    const struct {
        int status;
        const char* type;
    } table[] = {{1, "input_error"}, {2, "input_error"},       {3, "input_error"},
                 {4, "numerical_error"}, {5, "resource_error"}, {6, "convergence_error"},
                 {7, "unstable_solution"}};
    for (const auto& row : table) EXPECT_EQ(schema_error_type(row.status), row.type) << row.status;
}
