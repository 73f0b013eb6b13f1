#pragma once

#include <string>

#include "app/run.h"
#include "scf/uhf.h"

// The closed-shell SCF of compute_scf and what is checked before its result counts as a
// success (scf/trust.h), filling calc.result (one channel) and the check fields of calc;
// calc.diis names the loop (default_diis of the basis unless asked):
//   DIIS: DIIS from atomic_start following instabilities (listed), then, not listed, the
//     starts from the core Hamiltonian and the Wolfsberg-Helmholz guess and the frontier
//     occupation swaps of the lowest solution (scf/starts.h; up to thorough_search_functions
//     basis functions, beyond only the core start and only when the first reached no
//     stable state) and, when no start is stable, the density-mixing loop continued by
//     DIIS; the lowest stable solution is reported;
//   plain loop: the plain loop (listed), its self-consistency and stability, and when
//     it is stable the search of --diis as an independent check;
//   then the RHF->UHF (triplet) check of a converged solution.
// At an intermediate geometry of an optimisation (ScfChecks::geometry_step) the other starts
// (unless the first reached no stable state), the independent search and the triplet check,
// which only report and never change the solution, are left to the final geometry; the
// RHF->RHF stability check stays, so that no step walks on an unstable solution. At a
// displacement (ScfChecks::displacement) only DIIS runs, from the checked state's density;
// the caller checks that it reached the same state (scf/same_state.h).
// hf carries the listener of the listing. Throws the Failure of a non-finite energy.
void search_scf(Calculation& calc, const HF& hf, const Matrix<double>& atomic_start, const Settings& settings,
                const std::string& path);

// The open-shell SCF of compute_scf in calc.result (two channels) and its stability in the
// check fields of calc: run_uhf_from the channel densities first_start (listed through report),
// then the same further starts as the closed-shell search, the occupation swaps made in
// either spin (as far as `checks` asks, as above). Reported: the lowest stable solution; when no start reached one, the lowest
// converged; when none converged, the first start's run.
void search_uhf(Calculation& calc, const SpinSystem& system, std::vector<Matrix<double>> first_start,
                const UhfSettings& settings, ScfChecks checks, const StepListener& report);
