#pragma once

#include <string>

#include "molecule/molecule.h"
#include "optimize/optimizer.h"
#include "scf/calculation.h"

// The QCSchema OptimizationResult (schema_name "qcschema_optimization_output") of an
// optimisation from `initial` whose last geometry was computed as `final_calc`:
// initial_molecule, final_molecule, energies (one per step), trajectory (one AtomicResult
// per step, driver "gradient", return_result the Cartesian gradient in Eh/bohr; the last
// one the full AtomicResult of qcschema_json with the gradient), input_specification,
// keywords (the convergence set and step limit; with wavefunction the last AtomicResult
// has the wavefunction section), provenance, and success: true when the
// optimisation converged and the last SCF succeeded; otherwise an error says why.
// Pretty-printed, ending with a newline.
std::string optimization_schema_json(const OptimizationTrace& trace, const Molecule& initial,
                                     const Calculation& final_calc, bool tight, unsigned max_steps,
                                     bool wavefunction = false);
