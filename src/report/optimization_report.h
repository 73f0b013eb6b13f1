#pragma once

#include <string>

#include "molecule/molecule.h"
#include "optimize/optimizer.h"

// The text of --optimize: a heading naming the criteria, one line per geometry step, the
// closing line, the final geometry in bohr and angstrom; and the XYZ frames of --trajectory.
std::string optimization_heading(const ConvergenceCriteria& criteria);
// Step, energy, its change, max and RMS force, max and RMS step, trust radius; a "C" after
// the step number marks a Cartesian step.
std::string optimization_step_line(const OptimizationStep& step);
std::string optimization_closing(const OptimizationTrace& trace);
std::string optimized_geometry_block(const Molecule& molecule);
// One XYZ frame in angstrom, "step N  energy E" on its comment line.
std::string xyz_frame(const Molecule& molecule, unsigned step, double energy);
