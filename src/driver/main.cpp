// velko: restricted closed-shell Hartree-Fock in the STO-3G and STO-6G basis sets.
#include <iostream>
#include <string>

#include "driver/clock.h"
#include "driver/failure.h"
#include "driver/output.h"
#include "input/molecule.h"

int main(int argc, char* argv[]) {
    if (argc == 1) {
        std::cout << "Usage: " << argv[0] << " <input file>\n"
                  << "Please provide a valid input file\n";
        return 0;
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
        out.print_geometry(mol);
        (void)verbose;

        clock.toc();
        out.print_calculation_time(clock.passed());
    } catch (const Failure& f) {
        std::cout << f.message << std::endl;
        return f.status;
    }
    return 0;
}
