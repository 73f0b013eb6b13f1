// velko: Hartree-Fock (restricted for closed shells, unrestricted for open shells) in the STO-3G and STO-6G basis sets.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/clock.h"
#include "common/failure.h"
#include "app/batch.h"
#include "app/optimize_run.h"
#include "common/quote.h"
#include "report/optimization_report.h"
#include "report/optimization_schema.h"
#include "app/prepare.h"
#include "app/run.h"
#include "gradient/scf_gradient.h"
#include "system/parallel.h"
#include "properties/calculation_properties.h"
#include "report/failure_report.h"
#include "system/files.h"
#include "report/listing.h"
#include "report/molden.h"
#include "app/options.h"
#include "report/output.h"
#include "report/qcschema.h"
#include "app/qcschema_input.h"
#include "report/verdict.h"
#include "properties/properties.h"
#include "app/frequencies.h"
#include "common/constants.h"
#include "report/vibration_json.h"
#include "report/vibration_report.h"
#include "system/parallel.h"

namespace {

int run(const Options& opt, const Output& out) {
    Clock clock;

    // --- prepare: read, check, spin state ---
    std::string notices;
    Molecule mol = read_run_input(opt.input_path, opt, notices);
    std::cerr << notices << std::flush;
    const PreparedRun prepared = prepare_run(std::move(mol), opt.input_path);

    // --- Hartree-Fock: restricted for a singlet, unrestricted otherwise; with --optimize at
    // each geometry of the minimisation, the report at the last ---
    Listing listing(opt.verbose);
    const Settings settings{opt.integrals, opt.diis, opt.max_iterations, opt.threads, opt.integral_direct};
    std::optional<OptimizationTrace> trace;
    Calculation calc;
    OptimizerSettings optimizer;
    if (opt.optimize) {
        if (opt.optimize_tight) optimizer.criteria = tight_convergence;
        if (opt.max_steps != 0) optimizer.max_steps = opt.max_steps;
        std::cout << optimization_heading(optimizer.criteria) << std::flush;
        std::string frames;
        OptimizationResult r = optimize(prepared, settings, optimizer, opt.input_path,
                                        [&](const OptimizationStep& step, const Molecule& m) {
                                            std::cout << optimization_step_line(step) << std::flush;
                                            if (opt.trajectory_path.empty()) return;
                                            frames += xyz_frame(m, step.step, step.energy);
                                            replace_file(opt.trajectory_path, "trajectory", frames);
                                        });
        trace = std::move(r.trace);
        calc = std::move(r.calculation);
        std::cout << optimization_closing(*trace) << optimized_geometry_block(calc.molecule) << std::flush;
        out.print_geometry(calc.molecule);
    } else {
        out.print_geometry(prepared.molecule);
        calc = compute_run(prepared, settings, opt.input_path, listing);
    }

    // --- report ---
    if (calc.result.reached_limit) std::cout << "Too may iteration steps.. terminating and outputting results." << "\n";
    if (listing.enabled())
        for (const std::string& note : search_notes(calc)) std::cout << note << "\n";
    listing.scf_end(calc.result.channels, calc.basis.labels);
    out.print_result(calc);
    if (opt.properties) out.print_properties(calculation_properties(calc));
    // The gradient of a converged SCF only: elsewhere the energy is not stationary in the orbitals.
    std::optional<std::vector<Vec3>> gradient;
    if (opt.gradient && calc.result.converged) {
        gradient = scf_gradient(calc, opt.threads != 0 ? opt.threads : default_thread_count());
        out.print_gradient(calc.molecule, *gradient);
    }

    // --- harmonic frequencies and thermochemistry ---
    std::optional<Vibrations> vibrations;
    if (opt.frequencies && verdict(calc).status == exit_status::ok) {
        ThermoConditions conditions;
        conditions.temperature = opt.temperature;
        conditions.pressure = opt.pressure * pascal_per_atmosphere;
        conditions.symmetry_number = opt.symmetry_number;
        conditions.multiplicity = prepared.spin.multiplicity;
        // At the input geometry, or at the minimum of --optimize.
        const PreparedRun at{calc.molecule, prepared.basis, prepared.spin};
        vibrations = compute_vibrations(at, calc, settings, conditions,
                                        opt.threads != 0 ? opt.threads : default_thread_count(), opt.input_path);
        std::cout << frequencies_block(*vibrations) << thermochemistry_block(*vibrations, calc.result.energy)
                  << std::flush;
        std::cerr << vibration_warnings(*vibrations);
    } else if (opt.frequencies) {
        std::cerr << "velko: no frequencies: the SCF at the input geometry did not succeed\n";
    }

    // --- files for other programs ---
    try {
        if (!opt.molden_path.empty())
            write_molden(calc, opt.molden_path, vibrations ? molden_vibrations(*vibrations) : std::string());
        if (!opt.json_path.empty() && trace)
            replace_file(opt.json_path, "JSON",
                         optimization_schema_json(*trace, prepared.molecule, calc, opt.optimize_tight,
                                                  optimizer.max_steps, opt.json_wavefunction));
        else if (!opt.json_path.empty() && vibrations)
            replace_file(opt.json_path, "JSON", with_vibrations(qcschema_json(calc, opt.json_wavefunction), *vibrations));
        else if (!opt.json_path.empty())
            write_qcschema(calc, opt.json_path, opt.json_wavefunction, gradient ? &*gradient : nullptr);
        if (!opt.spectrum_path.empty() && vibrations)
            replace_file(opt.spectrum_path, "SVG",
                         spectrum_svg(*vibrations, "IR spectrum: " + opt.input_path.substr(opt.input_path.find_last_of('/') + 1) +
                                                  ", HF/" + prepared.molecule.basis_name));
    } catch (const Failure&) {
        // Both faults of a run that neither converged nor wrote its file are reported.
        const Verdict v = verdict(calc);
        if (v.status != exit_status::ok) std::cerr << v.message << "\n";
        throw;
    }

    clock.toc();
    out.print_calculation_time(clock.passed());
    // A closed shell with an unrestricted state below it keeps its status: told, not failed.
    if (calc.channels() == 1) {
        const std::string triplet = instability_message(calc);
        if (!triplet.empty()) std::cerr << triplet << "\n";
    }
    const Verdict v = verdict(calc);
    if (v.status != exit_status::ok) std::cerr << v.message << "\n";
    if (v.status == exit_status::ok && trace && !trace->converged) {
        std::cerr << "Error in input file " << quoted(opt.input_path) << ": the geometry optimization did not converge in "
                  << trace->steps.size() << " steps (--max-steps); the report is of the last geometry\n";
        return exit_status::optimization_not_converged;
    }
    return v.status;
}

}  // namespace

int velko_main(int argc, char* argv[]) {
    if (argc == 1) {
        std::cout << "Usage: " << argv[0] << " <input file>\n"
                  << "Please provide a valid input file\n";
        return exit_status::ok;
    }

    // Many inputs, or QCSchema in and out: standard output carries JSON only, so
    // a bad command line is reported on standard error.
    // Only the options before "--" choose the mode: "velko -- --batch" computes a file of that name.
    const std::vector<std::string> args(argv + 1, argv + argc);
    const auto options_end = std::find(args.begin(), args.end(), "--");
    auto given = [&](const std::string& option) {
        return std::any_of(args.begin(), options_end, [&option](const std::string& a) {
            return a == option || a.rfind(option + "=", 0) == 0;
        });
    };
    if ((given("--batch") || given("--qcschema")) && !given("--help") && !given("-h") && !given("--version")) {
        try {
            return checked_standard_output(given("--batch") ? batch_command(args) : qcschema_command(args));
        } catch (const Failure& f) {
            std::cerr << f.message << std::endl;
            return f.status;
        }
    }

    Options opt;
    try {
        opt = parse_command_line(argc, argv);
        if (!opt.help && !opt.version)
            check_output_paths(opt.input_path, {{"--molden", opt.molden_path},
                                                {"--json", opt.json_path},
                                                {"--trajectory", opt.trajectory_path},
                                                {"--spectrum", opt.spectrum_path}});
    } catch (const Failure& f) {
        return report_failure(f);
    }
    if (opt.help) {
        std::cout << help_text(argv[0]);
        return exit_status::ok;
    }
    if (opt.version) {
        std::cout << version_text();
        return exit_status::ok;
    }

    Output out;
    out.print_version();
    int status = exit_status::ok;
    try {
        status = run(opt, out);
    } catch (const Failure& f) {
        status = report_failure(f);
    } catch (const std::bad_alloc&) {
        status = report_failure(Failure{"Error: not enough memory to compute input file \"" + opt.input_path + "\"",
                                        exit_status::out_of_memory});
    }
    return checked_standard_output(status);
}

#ifndef VELKO_EMBEDDED_MAIN
extern "C" void __lsan_do_leak_check() __attribute__((weak));

// The process ends once its output is flushed, without the shutdown of the shared
// libraries: OpenBLAS's waits for its helper threads, which under an address-space
// limit keep trying to allocate their buffers and never stop. A sanitizer build
// still checks for leaks first.
[[noreturn]] static void end_process(int status) {
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    if (__lsan_do_leak_check != nullptr) __lsan_do_leak_check();
    std::_Exit(status);
}

int main(int argc, char* argv[]) { end_process(velko_main(argc, argv)); }
#endif
