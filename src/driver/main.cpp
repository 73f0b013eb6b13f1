// velko: restricted closed-shell Hartree-Fock in the STO-3G and STO-6G basis sets.
#include <iostream>
#include <new>
#include <string>

#include "common/clock.h"
#include "common/failure.h"
#include "driver/calculation.h"
#include "driver/calculation_properties.h"
#include "driver/listing.h"
#include "driver/molden.h"
#include "driver/options.h"
#include "driver/output.h"
#include "driver/qcschema.h"
#include "input/read_input.h"
#include "scf/molecule_check.h"
#include "scf/properties.h"

namespace {

int run(const Options& opt, const Output& out) {
    Clock clock;

    // --- read the molecule ---
    Molecule mol;
    XyzRequest xyz;
    if (!opt.basis_name.empty()) xyz.basis_name = opt.basis_name;
    if (read_molecule(mol, opt.input_path, xyz) == InputFormat::velko && !opt.basis_name.empty())
        std::cerr << "velko: --basis applies to XYZ input only; " << opt.input_path << " names its own basis set"
                  << std::endl;
    check_closed_shell(mol, opt.input_path);
    out.print_geometry(mol);

    // --- restricted Hartree-Fock ---
    Listing listing(opt.verbose);
    const Calculation calc = compute_rhf(mol, Settings{opt.integrals, opt.diis, opt.max_iterations, opt.threads, opt.integral_direct},
                                         opt.input_path, listing);

    // --- report ---
    if (calc.scf.reached_limit) std::cout << "Too may iteration steps.. terminating and outputting results." << "\n";
    listing.scf_end(calc.scf.orbital_energies, calc.scf.C, calc.basis.labels, calc.occupied);
    out.print_orbitals(calc.scf.orbital_energies, calc.basis.labels, calc.scf.C, calc.electrons);
    out.print_summary(calc.scf.iterations, calc.scf.energy, calc.molecule.nratoms(), calc.basis.size(),
                      calc.basis.primitives, calc.molecule.net_charge());
    if (opt.properties) out.print_properties(calculation_properties(calc));

    // --- files for other programs ---
    if (!opt.molden_path.empty()) write_molden(calc, opt.molden_path);
    if (!opt.json_path.empty()) write_qcschema(calc, opt.json_path, opt.json_wavefunction);

    clock.toc();
    out.print_calculation_time(clock.passed());
    if (!calc.scf.converged) {
        std::cerr << nonconvergence_message(calc) << "\n";
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
