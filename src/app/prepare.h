#pragma once

// One run, whatever asked for it (an input file, a --batch line, a QCSchema
// document), goes the same way: prepare (read, check, spin state), compute
// (compute_run in app/run.h), report.

#include <string>

#include "app/options.h"
#include "basis/basis_set.h"
#include "molecule/molecule.h"
#include "molecule/spin.h"

// The molecule to compute, checked, its basis (the set read once) and its spin state.
struct PreparedRun {
    Molecule molecule;
    BasisSet basis;
    SpinState spin{1, 0, 0};
};

// Reads an input file as the command line asks: --basis and --charge apply to XYZ
// input, --multiplicity, --basis-file, --pure and --cartesian to either format. An option the file's format overrides is
// named in `notices`, one line each for standard error, and so are the frames of a
// trajectory left unread and a geometry that looks like the wrong unit. Throws Failure as the readers do.
Molecule read_run_input(const std::string& path, const Options& options, std::string& notices);

// Checks the molecule (memory, positions, electron count), then fixes its spin state:
// the multiplicity it carries, else 1 or 2 by the electron count. Throws Failure.
PreparedRun prepare_run(Molecule molecule, const std::string& path);
