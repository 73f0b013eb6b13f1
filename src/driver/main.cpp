// velko: restricted closed-shell Hartree-Fock in the STO-3G and STO-6G basis sets.
#include <iostream>
#include <new>
#include <string>

#include "driver/clock.h"
#include "driver/failure.h"
#include "driver/output.h"
#include "input/molecule.h"
#include "scf/hf.h"

int main(int argc, char* argv[]) {
    if (argc == 1) {
        std::cout << "Usage: " << argv[0] << " <input file>\n"
                  << "Please provide a valid input file\n";
        return exit_status::ok;
    }

    Output out;
    out.print_version();
    const bool verbose = argc >= 2 && std::string(argv[argc - 2]) == "-m";
    const std::string path = argv[argc - 1];
    Clock clock;

    try {
        // --- read the molecule ---
        Molecule mol;
        mol.read(path);
        check_closed_shell(mol, path);
        out.print_geometry(mol);

        // --- Hartree-Fock ---
        HF hf;
        hf.verbose = verbose;
        hf.input_path = path;
        hf.molecule(mol);
        hf.run();

        clock.toc();
        out.print_calculation_time(clock.passed());
    } catch (const Failure& f) {
        std::cout << f.message << std::endl;
        return f.status;
    } catch (const std::bad_alloc&) {
        std::cout << "Error: not enough memory to compute input file \"" << path << "\"" << std::endl;
        return exit_status::out_of_memory;
    }
    return exit_status::ok;
}
