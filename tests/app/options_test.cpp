// The command line parsed into Options: every accepted spelling and every
// refusal, with the field it must set or the words the message must hold.
#include "app/options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/failure.h"

namespace {

Options parse(std::vector<std::string> args) {
    args.insert(args.begin(), "velko");
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    return parse_command_line(static_cast<int>(argv.size()), argv.data());
}

// The fields a command line may set, as one comparable line.
std::string fields(const Options& o) {
    std::string s = "in=" + o.input_path;
    if (o.verbose) s += " -m";
    if (o.diis) s += *o.diis ? " diis" : " plain";
    if (o.help) s += " help";
    if (o.version) s += " version";
    if (!o.molden_path.empty()) s += " molden=" + o.molden_path;
    if (!o.json_path.empty()) s += " json=" + o.json_path;
    if (!o.basis_name.empty()) s += " basis=" + o.basis_name;
    if (o.max_iterations != 0) s += " max=" + std::to_string(o.max_iterations);
    if (o.integrals == IntegralPath::exact) s += " integrals=exact";
    if (o.integrals == IntegralPath::fast) s += " integrals=fast";
    if (o.charge) s += " charge=" + std::to_string(*o.charge);
    if (o.multiplicity) s += " mult=" + std::to_string(*o.multiplicity);
    if (o.properties) s += " properties";
    if (o.json_wavefunction) s += " wavefunction";
    if (!o.basis_file.empty()) s += " basis-file=" + o.basis_file;
    if (o.pure) s += *o.pure ? " pure" : " cartesian";
    if (o.optimize) s += o.optimize_tight ? " optimize=tight" : " optimize";
    if (o.max_steps != 0) s += " steps=" + std::to_string(o.max_steps);
    if (!o.trajectory_path.empty()) s += " trajectory=" + o.trajectory_path;
    return s;
}

// The fields a command line sets, or "refused: " and the message of its bad-input refusal.
std::string outcome(const std::vector<std::string>& args) {
    try {
        return fields(parse(args));
    } catch (const Failure& f) {
        return (f.status == exit_status::bad_input ? "refused: " : "failed: ") + f.message;
    }
}

}  // namespace

TEST(CommandLine, AcceptedSpellings) {
    struct Case {
        std::vector<std::string> args;
        const char* expected;
    };
    const Case cases[] = {
        {{"w.in"}, "in=w.in"},
        {{"-m", "w.in"}, "in=w.in -m"},
        {{"w.in", "-m"}, "in=w.in -m"},
        {{"-m", "--diis", "w.in"}, "in=w.in -m diis"},
        {{"w.in", "--diis"}, "in=w.in diis"},
        {{"--plain", "w.in"}, "in=w.in plain"},
        {{"--json", "o.json", "w.in"}, "in=w.in json=o.json"},
        {{"--json=o.json", "w.in"}, "in=w.in json=o.json"},
        {{"w.in", "--molden", "o.molden", "--json=o.json"}, "in=w.in molden=o.molden json=o.json"},
        {{"--json==x", "w.in"}, "in=w.in json==x"},  // the value is all after the first "="
        {{"--basis", "sto-6g", "w.xyz"}, "in=w.xyz basis=sto-6g"},
        {{"--basis-file=b.gbs", "--cartesian", "w.in"}, "in=w.in basis-file=b.gbs cartesian"},
        {{"w.in", "--pure"}, "in=w.in pure"},
        {{"--max-iterations=7", "w.in"}, "in=w.in max=7"},
        {{"--max-iterations", "4294967295", "w.in"}, "in=w.in max=4294967295"},
        {{"--integrals", "exact", "w.in"}, "in=w.in integrals=exact"},
        {{"--charge", "-1", "w.xyz"}, "in=w.xyz charge=-1"},  // a negative value after its option
        {{"--charge=+2", "w.xyz"}, "in=w.xyz charge=2"},
        {{"--charge", "0", "w.xyz"}, "in=w.xyz charge=0"},
        {{"--charge=-2147483648", "w.xyz"}, "in=w.xyz charge=-2147483648"},
        {{"--multiplicity", "3", "w.in"}, "in=w.in mult=3"},
        {{"--multiplicity=2147483647", "w.in"}, "in=w.in mult=2147483647"},
        {{"w.in", "--properties", "--json-wavefunction", "--json", "o.json"},
         "in=w.in json=o.json properties wavefunction"},
        {{"--optimize", "--max-steps=5", "--trajectory", "t.xyz", "w.in"}, "in=w.in optimize steps=5 trajectory=t.xyz"},
        {{"w.in", "--optimize=tight"}, "in=w.in optimize=tight"},
        {{"--", "-m"}, "in=-m"},  // a file named -m
        {{"-m", "--", "--diis"}, "in=--diis -m"},
        {{"-"}, "in=-"},
        {{"--help"}, "in= help"},
        {{"w.in", "-h"}, "in= help"},
        {{"--bogus", "a", "b", "-h"}, "in= help"},  // help answers whatever else is there
        {{"--version", "--json"}, "in= version"},
    };
    for (const Case& c : cases) EXPECT_EQ(outcome(c.args), c.expected);
}

TEST(CommandLine, Refusals) {
    struct Case {
        std::vector<std::string> args;
        const char* fragment;
    };
    const Case cases[] = {
        {{"--jsn", "o.json", "w.in"}, "unknown option \"--jsn\"; the options are -m, --basis, --charge"},
        {{"w.in", "-x"}, "unknown option \"-x\""},
        {{"-mv", "w.in"}, "unknown option \"-mv\""},
        {{"--m", "w.in"}, "unknown option \"--m\""},
        {{"a.in", "b.in"}, "one input file per run, found 2: \"a.in\", \"b.in\"; use --batch"},
        {{"a.xyz", "-m", "b.xyz", "c.xyz"}, "found 3"},
        {{}, "no input file"},
        {{"-m"}, "no input file"},
        {{"--json", "o.json"}, "no input file"},
        {{"w.in", "--json"}, "--json expects a value"},
        {{"--json=", "w.in"}, "--json expects a file name, found an empty one"},
        {{"--molden", "", "w.in"}, "--molden expects a file name"},
        {{"--basis=", "w.xyz"}, "--basis expects a basis-set name"},
        {{"--json", "a", "--json", "b", "w.in"}, "--json is given more than once"},
        {{"--diis=yes", "w.in"}, "--diis takes no value"},
        {{"--pure", "--cartesian", "w.in"}, "--pure and --cartesian exclude each other"},
        {{"--plain", "w.in", "--diis"}, "--diis and --plain exclude each other"},
        {{"--basis-file=", "w.in"}, "--basis-file expects a file name, found an empty one"},
        {{"--integrals", "slow", "w.in"}, "--integrals expects auto, exact or fast, found \"slow\""},
        {{"--max-iterations", "0", "w.in"}, "--max-iterations expects a positive whole number, found \"0\""},
        {{"--max-iterations=-3", "w.in"}, "found \"-3\""},
        {{"--max-iterations", "4294967296", "w.in"}, "found \"4294967296\""},
        {{"--max-iterations", "1e3", "w.in"}, "found \"1e3\""},
        {{"--charge", "1.5", "w.xyz"}, "--charge expects a whole number such as 0, 1 or -1, found \"1.5\""},
        {{"--charge", "+", "w.xyz"}, "found \"+\""},
        {{"--charge=", "w.xyz"}, "found \"\""},
        {{"--charge", "two", "w.xyz"}, "found \"two\""},
        {{"--charge", "2147483648", "w.xyz"}, "found \"2147483648\""},
        {{"--multiplicity", "0", "w.in"}, "--multiplicity expects a positive whole number, found \"0\""},
        {{"--multiplicity", "-1", "w.in"}, "found \"-1\""},
        {{"--multiplicity", "2147483648", "w.in"}, "found \"2147483648\""},
        {{"--json-wavefunction", "w.in"}, "--json-wavefunction needs --json FILE"},
        {{"--properties=yes", "w.in"}, "--properties takes no value"},
        {{"--optimize=loose", "w.in"}, "--optimize expects no value or =tight, found \"loose\""},
        {{"--optimize", "--optimize=tight", "w.in"}, "--optimize is given more than once"},
        {{"--max-steps", "3", "w.in"}, "--max-steps needs --optimize"},
        {{"--trajectory", "t.xyz", "w.in"}, "--trajectory needs --optimize"},
    };
    for (const Case& c : cases) {
        const std::string said = outcome(c.args);
        EXPECT_EQ(said.rfind("refused: Error on the command line: ", 0), 0u) << said;
        EXPECT_NE(said.find(c.fragment), std::string::npos) << c.fragment << " in " << said;
    }
}

TEST(CommandLine, HelpNamesEveryOption) {
    const std::string help = help_text("velko");
    for (const char* option : {"-m ", "--basis", "--basis-file", "--pure", "--cartesian", "--charge", "--multiplicity", "--molden", "--json",
                               "--json-wavefunction", "--properties", "--diis", "--plain",
                               "--max-iterations", "--integrals", "-h, --help", "--version", "--  "})
        EXPECT_NE(help.find(option), std::string::npos) << option;
}
