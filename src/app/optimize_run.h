#pragma once

#include <functional>
#include <string>

#include "app/prepare.h"
#include "app/run.h"
#include "optimize/optimizer.h"
#include "scf/calculation.h"

// A geometry optimisation of a prepared run and the calculation at its last geometry.
struct OptimizationResult {
    OptimizationTrace trace;
    Calculation calculation;  // at trace.x: what the report and the files are written from
};

// Minimises the SCF energy of `run` over its geometry (optimize/optimizer.h). Each geometry
// is computed from the last geometry's density with the checks that decide the solution
// (convergence, RHF->RHF stability); the last geometry's SCF is then repeated on its
// integrals with every check of a single point. A geometry whose SCF does not converge or
// is unstable, or the last one with a lower solution found, stops the optimisation with
// that run's Failure and exit status. `observe` sees each step with its molecule.
OptimizationResult optimize(const PreparedRun& run, const Settings& settings, const OptimizerSettings& optimizer,
                            const std::string& path,
                            const std::function<void(const OptimizationStep&, const Molecule&)>& observe);

// The molecule with the positions x (bohr, atom by atom).
Molecule moved(const Molecule& molecule, const std::vector<double>& x);
