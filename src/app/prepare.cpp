#include "app/prepare.h"

#include <filesystem>
#include <optional>
#include <utility>
#include <vector>

#include "basis/basis_set.h"
#include "input/read_input.h"
#include "molecule/molecule_check.h"
#include "system/memory.h"

Molecule read_run_input(const std::string& path, const Options& options, std::string& notices) {
    Molecule mol;
    XyzRequest xyz;
    if (!options.basis_name.empty()) xyz.basis_name = options.basis_name;
    xyz.charge = options.charge;
    xyz.multiplicity = options.multiplicity;
    std::vector<std::string> notes;  // frames left, a geometry in the wrong unit
    const InputFormat format = read_molecule(mol, path, xyz, &notes);
    if (!options.basis_file.empty()) {
        mol.basis_file = options.basis_file;
        mol.basis_name = std::filesystem::path(options.basis_file).filename().string();
    }
    mol.pure = options.pure;
    for (const std::string& note : notes) notices += note + "\n";
    if (format == InputFormat::velko) {
        if (!options.basis_name.empty())
            notices += "velko: --basis applies to XYZ input only; " + path + " names its own basis set\n";
        if (options.charge)
            notices += "velko: --charge applies to XYZ input only; " + path + " gives the charge on its line 2\n";
        if (options.multiplicity) mol.multiplicity = options.multiplicity;
    }
    return mol;
}

PreparedRun prepare_run(Molecule molecule, const std::string& path) {
    PreparedRun run;
    run.basis = molecular_basis(molecule);
    const unsigned functions = run.basis.size();
    check_memory(functions, molecule.nratoms(), path);
    check_molecule(molecule, functions, path);
    std::optional<long long> multiplicity;
    if (molecule.multiplicity) multiplicity = *molecule.multiplicity;
    run.spin = spin_state(static_cast<unsigned>(molecule.electron_count()), functions, multiplicity, path);
    run.molecule = std::move(molecule);
    return run;
}
