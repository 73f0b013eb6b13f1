#pragma once

#include <string>
#include <vector>

#include "scf/calculation.h"

// The exit status of a finished calculation and, unless it is 0, the one line for
// standard error that says why:
//   6  the SCF did not converge: the iteration limit, the energy test passed at step 1,
//      or a state that is not self-consistent (density or commutator test, scf/consistency.h);
//   7  the solution is not the lowest closed-shell state: unstable (a negative eigenvalue of
//      the RHF->RHF orbital Hessian), or the independent start found a lower solution.
// An open-shell (UHF) run ends with 6 when it did not converge, 0 otherwise.
struct Verdict {
    int status = 0;
    std::string message;
};
Verdict verdict(const Calculation& calc);

// The lines of the verbose listing that say what the --diis search did besides iterating:
// each instability followed and a lower solution from the second start. None otherwise.
std::vector<std::string> search_notes(const Calculation& calc);

// The line for standard error after a run that reached its iteration limit unconverged.
std::string nonconvergence_message(const Calculation& calc);

// The line for standard error when an open-shell solution is still unstable after
// following its unstable modes as often as allowed, or a closed-shell one has a negative
// RHF->UHF (triplet) Hessian eigenvalue; empty otherwise. Neither changes the exit
// status: the solution is the one asked for (restricted for a singlet).
std::string instability_message(const Calculation& calc);
