#include "driver/options.h"

#include <cerrno>
#include <cstdlib>
#include <limits>

#include "common/failure.h"

namespace {

[[noreturn]] void refuse(const std::string& what) {
    throw Failure{"Error on the command line: " + what, exit_status::bad_input};
}

unsigned parse_positive(const std::string& option, const std::string& text) {
    if (text.empty() || text[0] < '0' || text[0] > '9') refuse(option + " expects a positive whole number, found \"" + text + "\"");
    errno = 0;
    char* end = nullptr;
    const unsigned long value = std::strtoul(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value == 0 || value > std::numeric_limits<unsigned>::max())
        refuse(option + " expects a positive whole number, found \"" + text + "\"");
    return static_cast<unsigned>(value);
}

}  // namespace

Options parse_command_line(int argc, const char* const argv[]) {
    Options opt;
    if (argc < 2) return opt;
    opt.input_path = argv[argc - 1];
    opt.verbose = std::string(argv[argc - 2]) == "-m";
    for (int k = 1; k < argc; ++k)
        if (std::string(argv[k]) == "--help") opt.help = true;
    if (opt.help) return opt;

    // Options occupy the arguments before the last one, less a trailing "-m".
    const int end = opt.verbose ? argc - 2 : argc - 1;
    for (int k = 1; k < end; ++k) {
        const std::string arg = argv[k];
        auto value = [&](const std::string& name) -> std::string {
            if (k + 1 >= end) refuse(name + " expects a value before the input file");
            return argv[++k];
        };
        if (arg == "--molden")
            opt.molden_path = value(arg);
        else if (arg == "--json")
            opt.json_path = value(arg);
        else if (arg == "--basis")
            opt.basis_name = value(arg);
        else if (arg == "--json-wavefunction")
            opt.json_wavefunction = true;
        else if (arg == "--properties")
            opt.properties = true;
        else if (arg == "--diis")
            opt.diis = true;
        else if (arg == "--integrals") {
            const std::string mode = value(arg);
            if (mode == "auto")
                opt.integrals = IntegralPath::automatic;
            else if (mode == "exact")
                opt.integrals = IntegralPath::exact;
            else if (mode == "fast")
                opt.integrals = IntegralPath::fast;
            else
                refuse("--integrals expects auto, exact or fast, found \"" + mode + "\"");
        } else if (arg == "--threads")
            opt.threads = parse_positive(arg, value(arg));
        else if (arg == "--direct")
            opt.integral_direct = true;
        else if (arg == "--max-iterations")
            opt.max_iterations = parse_positive(arg, value(arg));
        else
            opt.warnings.push_back("ignoring argument \"" + arg + "\"");
    }
    if (opt.json_wavefunction && opt.json_path.empty()) refuse("--json-wavefunction needs --json FILE");
    return opt;
}

std::string help_text(const std::string& program) {
    return "Usage: " + program + " [options] [-m] <input file>\n"
           "Restricted closed-shell Hartree-Fock energy and orbitals in STO-3G or STO-6G.\n"
           "\n"
           "  -m                  verbose report (must stand directly before the input file)\n"
           "  --basis NAME        basis set for an .xyz input: sto-3g (default) or sto-6g\n"
           "  --molden FILE       write the converged orbitals as a Molden file\n"
           "  --json FILE         write the result as QCSchema JSON (AtomicResult)\n"
           "  --json-wavefunction with --json: add the basis set, orbitals, orbital energies and\n"
           "                      occupations (QCSchema wavefunction protocol \"all\")\n"
           "  --properties        append the PROPERTIES block: energy parts, HOMO and LUMO, Mulliken\n"
           "                      and Loewdin charges, dipole moment about the coordinate origin\n"
           "  --diis              converge with Pulay DIIS instead of plain density mixing\n"
           "  --max-iterations N  iteration limit (default 101 for the plain loop, 100 with --diis)\n"
           "  --integrals MODE    exact: the reference arithmetic bit for bit; fast: agrees to 1e-12;\n"
           "                      auto (default): exact while it is cheap, fast for larger molecules\n"
           "  --threads N         threads of the fast path's integral and Fock builds (default: every core);\n"
           "                      the result is the same to the last bit for any N\n"
           "  --direct            fast path: recompute the two-electron integrals at every step instead of\n"
           "                      storing them (chosen by itself when they do not fit in memory)\n"
           "  --help              show this text\n"
           "\n"
           "The input file is velko's own format, or an XYZ file when its name ends in .xyz.\n";
}
