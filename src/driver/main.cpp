// velko: restricted closed-shell Hartree-Fock in the STO-3G and STO-6G basis sets.
#include <iostream>
#include <new>
#include <string>

#include "common/clock.h"
#include "common/failure.h"
#include "driver/hf_properties.h"
#include "driver/molden.h"
#include "driver/options.h"
#include "driver/output.h"
#include "driver/qcschema.h"
#include "input/molecule.h"
#include "input/xyz.h"
#include "scf/hf.h"
#include "scf/molecule_check.h"
#include "scf/properties.h"

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
        mol.read(opt.input_path);
    }
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
    if (opt.properties) out.print_properties(hf_properties(hf));

    // --- files for other programs ---
    if (!opt.molden_path.empty()) write_molden(hf, opt.molden_path);
    if (!opt.json_path.empty()) write_qcschema(hf, opt.json_path, opt.json_wavefunction);

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
    } catch (const Failure& f) {
        std::cout << f.message << std::endl;
        return f.status;
    }
    if (opt.help) {
        std::cout << help_text(argv[0]);
        return exit_status::ok;
    }
    for (const std::string& w : opt.warnings) std::cerr << "velko: " << w << "\n";

    Output out;
    out.print_version();
    try {
        return run(opt, out);
    } catch (const Failure& f) {
        std::cout << f.message << std::endl;
        return f.status;
    } catch (const std::bad_alloc&) {
        std::cout << "Error: not enough memory to compute input file \"" << opt.input_path << "\"" << std::endl;
        return exit_status::out_of_memory;
    }
}
