// velko: restricted closed-shell Hartree-Fock in the STO-3G and STO-6G basis sets.
#include <iostream>
#include <new>
#include <string>

#include "common/clock.h"
#include "common/failure.h"
#include "driver/failure_report.h"
#include "driver/files.h"
#include "driver/molden.h"
#include "driver/options.h"
#include "driver/output.h"
#include "driver/qcschema.h"
#include "input/molecule.h"
#include "input/xyz.h"
#include "scf/hf.h"
#include "scf/memory.h"
#include "scf/molecule_check.h"

namespace {

int run(const Options& opt, const Output& out) {
    Clock clock;

    // --- read the molecule ---
    Molecule mol;
    if (is_xyz_path(opt.input_path)) {
        read_xyz(mol, opt.input_path, opt.basis_name.empty() ? "sto-3g" : opt.basis_name);
    } else {
        if (!opt.basis_name.empty())
            std::cerr << "velko: --basis applies to XYZ input only; " << opt.input_path
                      << " names its own basis set" << std::endl;
        if (opt.charge)
            std::cerr << "velko: --charge applies to XYZ input only; " << opt.input_path
                      << " gives the charge on its line 2" << std::endl;
        mol.read(opt.input_path);
    }
    check_memory(mol, opt.input_path);
    check_closed_shell(mol, opt.input_path);
    out.print_geometry(mol);

    // --- Hartree-Fock ---
    HF hf;
    hf.verbose = opt.verbose;
    hf.input_path = opt.input_path;
    hf.diis = opt.diis;
    if (opt.integrals == "exact") hf.integral_path = IntegralPath::exact;
    if (opt.integrals == "fast") hf.integral_path = IntegralPath::fast;
    if (opt.max_iterations != 0) (opt.diis ? hf.diis_max_iterations : hf.max_iterations) = opt.max_iterations;
    hf.molecule(mol);
    hf.run();

    // --- files for other programs ---
    try {
        if (!opt.molden_path.empty()) write_molden(hf, opt.molden_path);
        if (!opt.json_path.empty()) write_qcschema(hf, opt.json_path);
    } catch (const Failure&) {
        // Both faults of a run that neither converged nor wrote its file are reported.
        if (!hf.converged) std::cerr << nonconvergence_message(hf) << "\n";
        throw;
    }

    clock.toc();
    out.print_calculation_time(clock.passed());
    if (!hf.converged) {
        std::cerr << nonconvergence_message(hf) << "\n";
        return exit_status::not_converged;
    }
    return exit_status::ok;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc == 1) {
        std::cout << "Usage: " << argv[0] << " <input file>\n"
                  << "Please provide a valid input file\n";
        return exit_status::ok;
    }

    Options opt;
    try {
        opt = parse_command_line(argc, argv);
        if (!opt.help && !opt.version) check_output_paths(opt.input_path, opt.molden_path, opt.json_path);
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
    try {
        return run(opt, out);
    } catch (const Failure& f) {
        return report_failure(f);
    } catch (const std::bad_alloc&) {
        return report_failure(Failure{"Error: not enough memory to compute input file \"" + opt.input_path + "\"",
                                      exit_status::out_of_memory});
    }
}
