#pragma once

#include <string>

// A run that cannot go on: main writes the message on standard output and
// exits with the status. This is the one path by which errors leave the program.
struct Failure {
    std::string message;
    int status;
};

// Exit statuses, documented in the README.
namespace exit_status {
constexpr int ok = 0;
constexpr int unknown_basis = 1;      // "Unrecognized basis set"
constexpr int bad_input = 2;          // unreadable or malformed input file, impossible multiplicity, bad command line
constexpr int unsupported = 3;        // a molecule velko cannot treat (coincident atoms, singular overlap)
constexpr int numerical = 4;          // a non-finite energy during the SCF
constexpr int out_of_memory = 5;      // the two-electron table does not fit
constexpr int not_converged = 6;      // the SCF reached its iteration limit or no self-consistent state
constexpr int unstable = 7;           // the SCF solution is not the lowest closed-shell state found
constexpr int batch_failures = 8;     // --batch: one or more of the inputs failed
constexpr int optimization_not_converged = 9;  // --optimize reached its step limit
}  // namespace exit_status
