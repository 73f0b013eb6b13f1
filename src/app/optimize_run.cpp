#include "app/optimize_run.h"

#include <optional>
#include <string>
#include <utility>

#include "common/failure.h"
#include "gradient/scf_gradient.h"
#include "report/listing.h"
#include "report/verdict.h"
#include "system/parallel.h"

Molecule moved(const Molecule& molecule, const std::vector<double>& x) {
    Molecule m = molecule;
    for (std::size_t i = 0; i < m.atoms.size(); ++i) m.atoms[i].position = Vec3(x[3 * i], x[3 * i + 1], x[3 * i + 2]);
    return m;
}

OptimizationResult optimize(const PreparedRun& run, const Settings& settings, const OptimizerSettings& optimizer,
                            const std::string& path,
                            const std::function<void(const OptimizationStep&, const Molecule&)>& observe) {
    std::vector<double> x0;
    std::vector<unsigned> z;
    for (const Atom& a : run.molecule.atoms) {
        x0.insert(x0.end(), {a.position.x, a.position.y, a.position.z});
        z.push_back(a.element);
    }
    const unsigned threads = settings.threads != 0 ? settings.threads : default_thread_count();
    Settings step_settings = settings;
    step_settings.checks = ScfChecks::geometry_step;
    std::optional<Calculation> last;
    std::optional<MolecularIntegrals> integrals;  // the last geometry's, for its final checks
    std::optional<StartDensities> last_start;     // the densities its SCF started from
    unsigned evaluations = 0;
    Listing quiet(false);
    const auto checked = [&](Calculation calc) {
        const Verdict v = verdict(calc);
        if (v.status != exit_status::ok)
            throw Failure{v.message + " (geometry step " + std::to_string(evaluations) + " of the optimization)", v.status};
        return calc;
    };
    const EnergyFunction energy_gradient = [&](const std::vector<double>& x) {
        // --- SCF at this geometry, from the last one's density ---
        std::optional<StartDensities> start;
        if (last) start = last->result.densities();
        ++evaluations;
        const Molecule m = moved(run.molecule, x);
        integrals.reset();  // one geometry's integrals in memory at a time
        integrals = compute_integrals(m, run.basis, settings, path, quiet);
        Calculation calc = checked(compute_scf(m, run.spin, *integrals, step_settings, path, quiet, start ? &*start : nullptr));
        // --- its gradient ---
        EnergyGradient eg;
        eg.energy = calc.result.energy;
        for (const Vec3& g : scf_gradient(calc, threads)) eg.gradient.insert(eg.gradient.end(), {g.x, g.y, g.z});
        last = std::move(calc);
        last_start = std::move(start);
        return eg;
    };
    const auto observe_step = [&](const OptimizationStep& step) {
        if (observe) observe(step, moved(run.molecule, step.x));
    };
    OptimizationTrace trace = minimize(x0, z, energy_gradient, optimizer, observe_step);
    // --- the last geometry again, with every check of a single point ---
    Calculation final = checked(compute_scf(moved(run.molecule, trace.x), run.spin, *integrals, settings, path, quiet,
                                            last_start ? &*last_start : nullptr));
    return {std::move(trace), std::move(final)};
}
