#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/run.h"

// One computation asked for as QCSchema, answered as QCSchema: the JSON text to
// write and the exit status of the run (0 when `success` is true, otherwise the
// status of the README table that fits the failure).
struct SchemaAnswer {
    nlohmann::json result;
    int status;
};

// Computes a QCSchema AtomicInput (schema_name "qcschema_input") given as JSON
// text, the way `psi4 --qcschema` does. What is read: molecule.symbols,
// molecule.geometry (bohr, flat or as rows of three), molecular_charge,
// molecular_multiplicity; driver "energy"; model.method "hf" or "scf";
// model.basis "sto-3g" or "sto-6g" in any letter case, with or without the
// hyphen; keywords "diis" (bool), "max_iterations" (positive integer),
// "reference" ("rhf" for a singlet, "uhf" otherwise) and "integrals" ("auto",
// "exact", "fast"). A singlet is computed with restricted Hartree-Fock, every
// other multiplicity with unrestricted; without a multiplicity it is 1 for an
// even electron count and 2 for an odd one.
//
// Never throws. The answer is an AtomicResult (schema_name "qcschema_output")
// whenever the input names a molecule and model that qcelemental accepts,
// with `success` false and an `error` {error_type, error_message} when velko
// cannot honour it (another method or basis, driver "properties", an element beyond Ne, a
// multiplicity the electron count cannot have, an unknown keyword) or
// the SCF fails; `properties` is then empty and `return_result` an empty object,
// never a number. Input too broken for that (not JSON, no molecule, unknown
// element symbols, a driver other than "energy" or "properties", whose AtomicResult
// must hold an array of the molecule's shape, a malformed model) gets a FailedOperation
// {success false, error, input_data}. `source` names the input in messages.
//
// A QCSchema OptimizationInput (schema_name "qcschema_optimization_input": initial_molecule,
// input_specification with the model and keywords above, keywords convergence_set "gau" or
// "gau_tight" and max_steps) is minimised as --optimize does and answered with the
// OptimizationResult; status 9 when it reached max_steps unconverged.
SchemaAnswer answer_atomic_input(const std::string& text, const std::string& source, bool show_progress);

// The --qcschema command; args are the arguments after the program name:
// "--qcschema" and one file, "-" for standard input. Writes the answer on
// standard output (and its error message on standard error) and returns its
// status; throws Failure (bad_input) for a bad command line.
int qcschema_command(const std::vector<std::string>& args);

// The error_type of QCSchema for a failure with the given exit status.
std::string schema_error_type(int status);

// A QCSchema FailedOperation: {"success": false, "error": {error_type,
// error_message, extras {exit_status}}, "input_data": input_data}.
nlohmann::json failed_operation(const std::string& message, int status, const nlohmann::json& input_data);

// The AtomicResult of a finished calculation as a JSON value (qcschema_json, parsed).
nlohmann::json atomic_result(const Calculation& calc);
