#pragma once

#include <string>

#include "app/run.h"

// The SCF of compute_rhf and what is checked before its result counts as a success
// (scf/trust.h), filling calc.scf and the check fields of calc:
//   default mode: the plain loop (listed), its self-consistency and stability, and when
//     it is stable the --diis path from atomic_start as an independent start;
//   --diis: DIIS from atomic_start following instabilities (listed), a second start from
//     the core Hamiltonian and, when no start is stable, the density-mixing loop
//     continued by DIIS (not listed); the lowest stable solution is reported.
// hf carries the listener of the listing. Throws the Failure of a non-finite energy.
void search_scf(Calculation& calc, const HF& hf, const Matrix<double>& atomic_start, const Settings& settings,
                const std::string& path);
