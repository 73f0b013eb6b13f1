#include "app/options.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

#include "common/failure.h"
#include "common/quote.h"
#include "report/version.h"
#include "system/parallel.h"

namespace {

const char* const option_list =
    "-m, --basis, --charge, --multiplicity, --molden, --json, --json-wavefunction, --properties, --gradient, "
    "--basis-file, "
    "--pure, --cartesian, --diis, --plain, "
    "--max-iterations, --integrals, --threads, --direct, --optimize, --max-steps, --trajectory, --frequencies, "
    "--temperature, --pressure, --symmetry-number, --spectrum, --batch, --jobs, --qcschema, --help (-h), --version, --";

[[noreturn]] void refuse(const std::string& what) {
    throw Failure{"Error on the command line: " + what, exit_status::bad_input};
}

[[noreturn]] void refuse_value(const std::string& option, const std::string& expected, const std::string& text) {
    refuse(option + " expects " + expected + ", found " + quoted(text));
}

bool all_digits(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

// A whole number from 1 to largest.
unsigned long long parse_positive(const std::string& option, const std::string& text, unsigned long long largest) {
    const char* expected = "a positive whole number";
    if (!all_digits(text)) refuse_value(option, expected, text);
    errno = 0;
    const unsigned long long value = std::strtoull(text.c_str(), nullptr, 10);
    if (errno != 0 || value == 0 || value > largest) refuse_value(option, expected, text);
    return value;
}

// A whole number with an optional sign, within the range of int.
int parse_signed(const std::string& option, const std::string& text) {
    const char* expected = "a whole number such as 0, 1 or -1";
    const bool sign = !text.empty() && (text[0] == '+' || text[0] == '-');
    if (!all_digits(sign ? text.substr(1) : text)) refuse_value(option, expected, text);
    errno = 0;
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (errno != 0 || value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        refuse_value(option, expected, text);
    return static_cast<int>(value);
}

// A finite number above 0 (a decimal or exponent form).
double parse_positive_real(const std::string& option, const std::string& text) {
    const char* expected = "a positive number";
    char* end = nullptr;
    errno = 0;
    const double value = text.empty() || std::isspace(static_cast<unsigned char>(text[0])) ? 0.0 : std::strtod(text.c_str(), &end);
    if (end == nullptr || *end != '\0' || errno != 0 || !(value > 0.0) || !std::isfinite(value))
        refuse_value(option, expected, text);
    return value;
}

// Options that take a value.
bool takes_value(const std::string& name) {
    return name == "--molden" || name == "--json" || name == "--basis" || name == "--basis-file" ||
           name == "--max-iterations" ||
           name == "--integrals" || name == "--charge" || name == "--multiplicity" || name == "--threads" ||
           name == "--max-steps" || name == "--trajectory" || name == "--temperature" || name == "--pressure" ||
           name == "--symmetry-number" || name == "--spectrum";
}

void set_value(Options& opt, const std::string& name, const std::string& value) {
    if (name == "--molden" || name == "--json" || name == "--trajectory") {
        if (value.empty()) refuse(name + " expects a file name, found an empty one");
        (name == "--molden" ? opt.molden_path : name == "--json" ? opt.json_path : opt.trajectory_path) = value;
    } else if (name == "--basis") {
        if (value.empty()) refuse(name + " expects a basis-set name, found an empty one");
        opt.basis_name = value;
    } else if (name == "--basis-file") {
        if (value.empty()) refuse(name + " expects a file name, found an empty one");
        opt.basis_file = value;
    } else if (name == "--integrals") {
        if (value == "auto")
            opt.integrals = IntegralPath::automatic;
        else if (value == "exact")
            opt.integrals = IntegralPath::exact;
        else if (value == "fast")
            opt.integrals = IntegralPath::fast;
        else
            refuse_value(name, "auto, exact or fast", value);
    } else if (name == "--max-iterations") {
        opt.max_iterations = static_cast<unsigned>(parse_positive(name, value, std::numeric_limits<unsigned>::max()));
    } else if (name == "--max-steps") {
        opt.max_steps = static_cast<unsigned>(parse_positive(name, value, std::numeric_limits<unsigned>::max()));
    } else if (name == "--threads") {
        opt.threads = static_cast<unsigned>(parse_positive(name, value, std::numeric_limits<unsigned>::max()));
    } else if (name == "--temperature" || name == "--pressure") {
        (name == "--temperature" ? opt.temperature : opt.pressure) = parse_positive_real(name, value);
    } else if (name == "--symmetry-number") {
        opt.symmetry_number = static_cast<unsigned>(parse_positive(name, value, 1000));
    } else if (name == "--spectrum") {
        if (value.empty()) refuse(name + " expects a file name, found an empty one");
        opt.spectrum_path = value;
    } else if (name == "--charge") {
        opt.charge = parse_signed(name, value);
    } else if (name == "--multiplicity") {
        opt.multiplicity = static_cast<int>(parse_positive(name, value, std::numeric_limits<int>::max()));
    }
}

}  // namespace

Options parse_command_line(int argc, const char* const argv[]) {
    Options opt;
    // --help and --version answer whatever else the command line holds.
    for (int k = 1; k < argc; ++k) {
        const std::string arg = argv[k];
        if (arg == "--") break;
        if (arg == "--help" || arg == "-h") opt.help = true;
        if (arg == "--version") opt.version = true;
    }
    if (opt.help || opt.version) return opt;

    std::vector<std::string> given;  // options already set
    std::vector<std::string> files;
    bool options_ended = false;
    for (int k = 1; k < argc; ++k) {
        const std::string arg = argv[k];
        if (options_ended || arg.size() < 2 || arg[0] != '-') {
            files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            options_ended = true;
            continue;
        }
        const std::size_t eq = arg.find('=');
        const bool joined = arg.compare(0, 2, "--") == 0 && eq != std::string::npos;
        const std::string name = joined ? arg.substr(0, eq) : arg;
        if (name == "--optimize") {
            if (joined && arg.substr(eq + 1) != "tight") refuse_value(name, "no value or =tight", arg.substr(eq + 1));
            for (const std::string& g : given)
                if (g == name) refuse(name + " is given more than once");
            given.push_back(name);
            opt.optimize = true;
            opt.optimize_tight = joined;
            continue;
        }
        if (name == "--jobs") refuse("--jobs needs --batch: it sets how many of a batch's inputs are computed at once");
        const bool flag = name == "-m" || name == "--diis" || name == "--plain" || name == "--properties" ||
                          name == "--json-wavefunction" || name == "--gradient" || name == "--direct" || name == "--pure" || name == "--frequencies" ||
                          name == "--cartesian";
        if (!flag && !takes_value(name)) refuse("unknown option " + quoted(arg) + "; the options are " + option_list);
        for (const std::string& g : given)
            if (g == name) refuse(name + " is given more than once");
        given.push_back(name);
        if (flag) {
            if (joined) refuse(name + " takes no value, found " + quoted(arg));
            if (name == "-m") opt.verbose = true;
            if (name == "--diis" || name == "--plain") {
                if (opt.diis) refuse("--diis and --plain exclude each other");
                opt.diis = name == "--diis";
            }
            if (name == "--direct") opt.integral_direct = true;
            if (name == "--frequencies") opt.frequencies = true;
            if (name == "--properties") opt.properties = true;
            if (name == "--gradient") opt.gradient = true;
            if (name == "--json-wavefunction") opt.json_wavefunction = true;
            if (name == "--pure" || name == "--cartesian") {
                if (opt.pure) refuse("--pure and --cartesian exclude each other");
                opt.pure = name == "--pure";
            }
            continue;
        }
        if (!joined && k + 1 >= argc) refuse(name + " expects a value");
        const std::string value = joined ? arg.substr(eq + 1) : argv[++k];
        set_value(opt, name, value);
    }
    if (files.empty()) refuse("no input file given");
    if (files.size() > 1) {
        std::string list;
        for (const std::string& f : files) list += (list.empty() ? "" : ", ") + quoted(f);
        refuse("velko reads one input file per run, found " + std::to_string(files.size()) + ": " + list +
               "; use --batch to compute several");
    }
    if (opt.json_wavefunction && opt.json_path.empty()) refuse("--json-wavefunction needs --json FILE");
    if (!opt.optimize && opt.max_steps != 0) refuse("--max-steps needs --optimize: it limits the geometry steps");
    if (!opt.optimize && !opt.trajectory_path.empty()) refuse("--trajectory needs --optimize: it writes the geometry steps");
    for (const char* thermo : {"--temperature", "--pressure", "--symmetry-number", "--spectrum"})
        for (const std::string& g : given)
            if (g == thermo && !opt.frequencies) refuse(g + " needs --frequencies");
    opt.input_path = files.front();
    return opt;
}

std::string help_text(const std::string& program) {
    return "Usage: " + program + " [options] <input file>\n"
           "       " + program + " --batch [--jobs N] [options] <input file>...\n"
           "       " + program + " --qcschema <AtomicInput JSON file, or - for standard input>\n"
           "Hartree-Fock energy and orbitals, H to Kr, in the standard basis sets of velko's\n"
           "library or of a basis-set file: restricted for singlets, unrestricted for open shells;\n"
           "properties, analytic gradients, geometry optimization and harmonic frequencies.\n"
           "Options may stand before or after the input file; a value follows its option\n"
           "as the next argument or after \"=\" (--json=out.json).\n"
           "\n"
           "  -m                  verbose report\n"
           "  --basis NAME        basis set for an .xyz input (default sto-3g), any letter case:\n"
           "                      STO-3G, STO-6G, 3-21G, 6-31G, 6-31G*, 6-31G**, 6-31+G*, 6-31++G**,\n"
           "                      6-311G**, cc-pVDZ, cc-pVTZ, cc-pVQZ, aug-cc-pVDZ, aug-cc-pVTZ,\n"
           "                      def2-SVP, def2-TZVP, def2-TZVPP, def2-QZVP; 6-31G(d) is 6-31G*\n"
           "  --basis-file FILE   read the basis set from FILE (Gaussian94 or NWChem format) for\n"
           "                      any input\n"
           "  --pure, --cartesian pure (5D, 7F) or Cartesian (6D, 10F) functions beyond p; default\n"
           "                      the set's own: Cartesian for 3-21G to 6-31++G**, else pure\n"
           "  --charge N          molecular charge of an XYZ input, a whole number (default: charge=\n"
           "                      on its comment line, else 0)\n"
           "  --multiplicity N    spin multiplicity 2S+1 (default: multiplicity= on an XYZ comment line,\n"
           "                      else 1 for an even electron count, 2 for odd); all but 1 are\n"
           "                      computed with unrestricted Hartree-Fock\n"
           "  --molden FILE       write the converged orbitals as a Molden file\n"
           "  --json FILE         write the result as QCSchema JSON (AtomicResult)\n"
           "  --json-wavefunction with --json: add the basis set, orbitals, orbital energies and\n"
           "                      occupations (QCSchema wavefunction protocol \"all\")\n"
           "  --properties        append the PROPERTIES block: energy parts, HOMO and LUMO, Mulliken\n"
           "                      and Loewdin charges, dipole moment about the coordinate origin\n"
           "  --gradient          append the GRADIENT block: the analytic nuclear gradient dE/dR of the\n"
           "                      SCF energy per atom [Hartree/bohr]; with --json the result's driver\n"
           "                      is \"gradient\" and return_result the gradient\n"
           "  --diis              converge with Pulay DIIS from the atomic start, searching several\n"
           "                      starts (default for every basis but the built-in STO-3G/STO-6G of H-Ne)\n"
           "  --plain             converge with plain damped density mixing (default for the built-in\n"
           "                      STO-3G/STO-6G of H-Ne)\n"
           "  --max-iterations N  iteration limit (default 101 for the plain loop, 100 with --diis)\n"
           "  --integrals MODE    exact: the reference arithmetic bit for bit; fast: agrees to 1e-12;\n"
           "                      auto (default): exact while it is cheap, fast for larger molecules\n"
           "  --threads N         threads of the fast path's integral and Fock builds (default:\n"
           "                      OMP_NUM_THREADS when set, else the cores of the CPU affinity mask\n"
           "                      within the cgroup CPU quota); the same result to the last bit for any N\n"
           "  --direct            fast path: recompute the two-electron integrals at every step instead of\n"
           "                      storing them (chosen by itself when they do not fit in memory)\n"
           "  --optimize          minimise the energy over the geometry (redundant internal coordinates,\n"
           "                      RFO steps, BFGS), one line per step, then the report at the minimum;\n"
           "                      converged at max force 4.5e-4, RMS force 3e-4, max step 1.8e-3 and\n"
           "                      RMS step 1.2e-3 (atomic units, Gaussian's defaults)\n"
           "  --optimize=tight    the same to max force 1.5e-5, RMS force 1e-5, max step 6e-5, RMS step 4e-5\n"
           "  --max-steps N       with --optimize: at most N energy and gradient evaluations (default 100)\n"
           "  --trajectory FILE   with --optimize: every geometry as a frame of an XYZ file (angstrom),\n"
           "                      its energy on the comment line\n"
           "  --frequencies       harmonic frequencies from a Hessian by central differences of analytic\n"
           "                      gradients (at most 6(N-1) SCF runs, fewer by symmetry, over the threads),\n"
           "                      IR intensities, point group and thermochemistry: the FREQUENCIES and\n"
           "                      THERMOCHEMISTRY blocks\n"
           "  --temperature K     with --frequencies: temperature of the thermochemistry (default 298.15)\n"
           "  --pressure ATM      with --frequencies: pressure in atm (default 1)\n"
           "  --symmetry-number N with --frequencies: rotational symmetry number instead of the point group's\n"
           "  --spectrum FILE     with --frequencies: write the IR spectrum as an SVG picture\n"
           "  --batch             compute every input file; one QCSchema JSON line per input on standard output\n"
           "  --jobs N            with --batch: compute N inputs at once (default 1)\n"
           "  --qcschema FILE     compute a QCSchema AtomicInput and write the AtomicResult on standard output\n"
           "                      (an OptimizationInput: minimise, and write the OptimizationResult)\n"
           "  -h, --help          show this text\n"
           "  --version           show the version, the compiler of this build and the default thread count\n"
           "  --                  end of the options: the next argument is the input file\n"
           "\n"
           "The input file is velko's own format, or an XYZ file (by its content, or a name\n"
           "ending in .xyz).\n"
           "The output files may be neither the input file nor each other.\n"
           "\n"
           "Exit status: 0 success; 1 unknown basis set; 2 bad input or command line; 3 a molecule\n"
           "velko cannot treat; 4 non-finite energy; 5 not enough memory;\n"
           "6 the SCF did not converge to a self-consistent state; 7 the SCF solution is not the\n"
           "lowest state (unstable, or another start found a lower one; try --diis);\n"
           "8 with --batch: one or more of the inputs failed; 9 --optimize reached its step limit.\n";
}

std::string version_text() {
    return "velko " + version_number() + "\ncompiler: " + compiler_description() +
           "\nthreads of the fast path by default here: " + std::to_string(default_thread_count()) + "\n";
}
