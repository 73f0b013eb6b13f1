#pragma once

#include <string>
#include <vector>

#include "integrals/integrals.h"

// The command line: the input path is the last argument, "-m" as the
// next-to-last argument asks for the verbose report, and the options below
// stand before those two.
struct Options {
    std::string input_path;
    bool verbose = false;
    bool help = false;
    std::string molden_path;  // --molden FILE: converged orbitals for viewers
    std::string json_path;    // --json FILE: QCSchema result
    bool json_wavefunction = false;  // --json-wavefunction: orbitals in the JSON (wavefunction protocol "all")
    bool properties = false;  // --properties: the PROPERTIES block after the summary
    std::string basis_name;   // --basis NAME: basis set of an XYZ input
    bool diis = false;        // --diis: DIIS convergence mode
    unsigned max_iterations = 0;  // --max-iterations N; 0 keeps the mode's default
    IntegralPath integrals = IntegralPath::automatic;  // --integrals auto|exact|fast
    unsigned threads = 0;         // --threads N (fast path); 0: every core
    bool integral_direct = false; // --direct: recompute the integrals at every step (fast path)
    std::vector<std::string> warnings;  // ignored arguments, for standard error
};

// Throws Failure (bad_input) for an option that lacks its value or has a malformed one.
Options parse_command_line(int argc, const char* const argv[]);

// Text of --help.
std::string help_text(const std::string& program);
