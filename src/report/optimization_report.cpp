#include "report/optimization_report.h"

#include <cstdio>

#include "common/constants.h"

std::string optimization_heading(const ConvergenceCriteria& c) {
    char line[400];
    std::snprintf(line, sizeof line,
                  "GEOMETRY OPTIMIZATION: RFO steps in redundant internal coordinates, BFGS updates\n"
                  "converged at max force %.1e, RMS force %.1e, max step %.1e, RMS step %.1e (atomic units)\n"
                  "%6s %18s %11s %10s %10s %10s %10s %8s\n",
                  c.max_force, c.rms_force, c.max_step, c.rms_step, "Step", "Energy (Eh)", "Change", "Max force",
                  "RMS force", "Max step", "RMS step", "Trust");
    return line;
}

std::string optimization_step_line(const OptimizationStep& s) {
    char line[200];
    std::snprintf(line, sizeof line, "%5u%c %18.10f %11.3e %10.3e %10.3e %10.3e %10.3e %8.4f\n", s.step,
                  s.cartesian ? 'C' : ' ', s.energy, s.change, s.max_force, s.rms_force, s.max_step, s.rms_step,
                  s.trust);
    return line;
}

std::string optimization_closing(const OptimizationTrace& trace) {
    const std::size_t n = trace.steps.size();
    return (trace.converged ? "Optimization converged in " : "Optimization not converged after ") + std::to_string(n) +
           (n == 1 ? " step" : " steps") + " (energy and gradient evaluations)\n\n";
}

std::string optimized_geometry_block(const Molecule& molecule) {
    std::string text = "OPTIMIZED GEOMETRY\n";
    char line[200];
    std::snprintf(line, sizeof line, "%-4s %15s %15s %15s   %15s %15s %15s\n", "Atom", "X (bohr)", "Y (bohr)",
                  "Z (bohr)", "X (angstrom)", "Y (angstrom)", "Z (angstrom)");
    text += line;
    for (const Atom& a : molecule.atoms) {
        const Vec3 r = a.gr();
        std::snprintf(line, sizeof line, "%-4s %15.10f %15.10f %15.10f   %15.10f %15.10f %15.10f\n", a.ps().c_str(),
                      r.x, r.y, r.z, r.x / bohr_per_angstrom, r.y / bohr_per_angstrom, r.z / bohr_per_angstrom);
        text += line;
    }
    return text + "\n";
}

std::string xyz_frame(const Molecule& molecule, unsigned step, double energy) {
    char line[200];
    std::string text = std::to_string(molecule.atoms.size()) + "\n";
    std::snprintf(line, sizeof line, "step %u  energy %.10f\n", step, energy);
    text += line;
    for (const Atom& a : molecule.atoms) {
        const Vec3 r = a.gr();
        std::snprintf(line, sizeof line, "%-2s %16.10f %16.10f %16.10f\n", a.ps().c_str(), r.x / bohr_per_angstrom,
                      r.y / bohr_per_angstrom, r.z / bohr_per_angstrom);
        text += line;
    }
    return text;
}
