#pragma once

#include <optional>
#include <string>

#include "integrals/integrals.h"

// The command line: one input file and options, in any order. Options take
// their value as the next argument or after "=" (--json=out.json); "-m" anywhere
// asks for the verbose report; "--" ends the options.
struct Options {
    std::string input_path;
    bool verbose = false;
    bool help = false;
    bool version = false;
    std::string molden_path;  // --molden FILE: converged orbitals for viewers
    std::string json_path;    // --json FILE: QCSchema result
    bool json_wavefunction = false;  // --json-wavefunction: orbitals in the JSON (wavefunction protocol "all")
    bool properties = false;  // --properties: the PROPERTIES block after the summary
    bool gradient = false;    // --gradient: the GRADIENT block (nuclear gradient) after the others
    std::string basis_name;   // --basis NAME: basis set of an XYZ input
    std::string basis_file;   // --basis-file FILE: a Gaussian94 or NWChem basis-set file for any input
    std::optional<bool> pure; // --pure (true) or --cartesian (false): the function kind over the set's own
    std::optional<bool> diis; // --diis (true) or --plain (false); unset: the basis's default loop
    unsigned max_iterations = 0;  // --max-iterations N; 0 keeps the mode's default
    IntegralPath integrals = IntegralPath::automatic;  // --integrals auto|exact|fast
    std::optional<int> charge;            // --charge N: molecular charge of an XYZ input
    std::optional<int> multiplicity;  // --multiplicity N: spin multiplicity 2S+1
    unsigned threads = 0;         // --threads N (fast path); 0: every core
    bool integral_direct = false; // --direct: recompute the integrals at every step (fast path)
    bool frequencies = false;     // --frequencies: Hessian, normal modes, IR intensities, thermochemistry
    double temperature = 298.15;  // --temperature K of the thermochemistry
    double pressure = 1.0;        // --pressure atm of the thermochemistry
    unsigned symmetry_number = 0; // --symmetry-number N; 0: the point group's
    std::string spectrum_path;    // --spectrum FILE: the IR spectrum as SVG
    bool optimize = false;        // --optimize: minimise the energy over the geometry first
    bool optimize_tight = false;  // --optimize=tight: the stricter convergence criteria
    unsigned max_steps = 0;       // --max-steps N: geometry steps of --optimize; 0: the default
    std::string trajectory_path;  // --trajectory FILE: the geometries of --optimize as XYZ frames
};

// Throws Failure (bad_input) for an unknown option, an option that lacks its
// value or has a malformed one, a missing input file or more than one. --help
// and --version win over every other argument.
Options parse_command_line(int argc, const char* const argv[]);

// Text of --help.
std::string help_text(const std::string& program);

// Text of --version: the version number and the compiler of this build.
std::string version_text();
