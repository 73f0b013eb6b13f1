#pragma once

#include <string>

#include "linalg/matrix.h"

struct Calculation;

// Energy of a closed-shell density split into its parts:
//   one-electron  E1 = sum_ij P_ij H_ij
//   two-electron  E2 = 1/2 sum_ij P_ij (F_ij - H_ij)
// so that E1 + E2 + E_nuc = 1/2 sum_ij P_ij (H_ij + F_ij) + E_nuc, the total
// energy of the SCF step whose density P built the Fock matrix F.
struct EnergyParts {
    double one_electron;
    double two_electron;
};
EnergyParts energy_parts(const Matrix<double>& P, const Matrix<double>& H, const Matrix<double>& F);

// The result of a finished run as a QCSchema AtomicResult (schema_name
// "qcschema_output"): molecule (symbols, geometry in bohr), driver "energy",
// model (method "hf", basis), provenance, properties (energies, iteration and
// size counts), return_result, success (true exactly when the exit status is 0;
// otherwise an error entry says why) and extras: the orbital energies, scf_stable
// and scf_lowest_hessian_eigenvalue (null when the SCF did not converge far enough
// to check, or the eigenvalue was not converged: see lowest_rhf_rotation). Pretty-printed, ending with a newline.
std::string qcschema_json(const Calculation& calc);

// Writes qcschema_json to path; throws Failure when the file cannot be written.
void write_qcschema(const Calculation& calc, const std::string& path);
