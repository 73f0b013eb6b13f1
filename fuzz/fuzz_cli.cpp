// libFuzzer target for the whole program as a user starts it: an argument
// vector and an input file built from the fuzz data, run through velko's own
// main, with every file inside one scratch folder.
//
// Data: the bytes before the first NUL are the input file (at most 7 lines of
// at most 128 bytes, so that no run outlasts the time limit); the bytes after
// it, split at NULs, are up to 12 arguments. File names (arguments that are not
// options, and the values of --molden and --json) are reduced to the letters,
// digits and ".-_" of a name in the scratch folder; as an output, "dev-full"
// and "dev-null" stand for those devices. The input file is written under the first file
// name, "in" when there is none, and a link "link" points to it.
// For the same reason as the file size, --max-iterations is capped at 30 (and
// set to 30 when absent), --max-steps at 3 (set with --optimize) and "--integrals exact" becomes "auto": forced on five
// neon atoms in STO-6G the exact integrals take a minute under the sanitizers,
// while auto keeps them below 20 million primitive quartets.
//
// Batch lists: with --batch the input text is split at form feeds, and the k-th
// file name gets the k-th piece (the pieces taken in turn when there are fewer);
// --jobs is capped at 2. QCSchema documents: with --qcschema the input is one
// JSON document of up to 1024 bytes, whose keywords are capped as the options
// are (max_iterations 30, integrals "exact" as "auto") and whose molecule keeps
// at most 5 atoms; no --max-iterations is added, as --qcschema takes no other option.
//
// Findings, besides crashes and sanitizer reports: an exit status outside the
// documented ones; the input file changed; an output file that is neither the
// earlier file nor a complete one (JSON that does not parse, a Molden file
// without its header); a temporary file left behind; standard output of batch
// or QCSchema mode (text that starts with "{") that is not one JSON document or
// JSON lines.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

int velko_main(int argc, char* argv[]);

namespace fs = std::filesystem;

namespace {

constexpr std::size_t max_file_bytes = 128;
constexpr int max_file_lines = 7;
constexpr std::size_t max_arguments = 12;
constexpr std::size_t max_document_bytes = 1024;
constexpr std::size_t max_document_atoms = 5;
constexpr int max_iterations = 30;
// Each geometry step is a whole SCF and gradient: --max-steps is capped at 3.
constexpr unsigned long max_geometry_steps = 3;
// The highest documented exit status (README): a geometry optimisation that did not converge.
constexpr int last_exit_status = 9;
const std::string earlier_text = "earlier output\n";

const fs::path& scratch() {
    static const fs::path dir = [] {
        const char* t = std::getenv("TMPDIR");
        std::string templ = std::string(t != nullptr ? t : "/tmp") + "/velko_fuzz_cli_XXXXXX";
        if (::mkdtemp(templ.data()) == nullptr) std::abort();
        std::atexit([] { fs::remove_all(scratch()); });
        return fs::path(templ);
    }();
    return dir;
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void write_file(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

// A file name inside the scratch folder, or for an output one of the two devices.
std::string sandboxed(const std::string& raw, bool output = false) {
    std::string name;
    for (char c : raw)
        if (((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-' ||
             c == '_') &&
            name.size() < 32)
            name.push_back(c);
    if (output && name == "dev-full") return "/dev/full";
    if (output && name == "dev-null") return "/dev/null";
    if (name.empty() || name == "." || name == "..") name = "in";
    return (scratch() / name).string();
}

bool starts_with(const std::string& s, const std::string& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

// The value of --max-iterations, capped (and of --jobs, at 2).
std::string capped(const std::string& value, unsigned long cap = max_iterations) {
    if (value.empty() || value.size() > 9 || value.find_first_not_of("0123456789") != std::string::npos) return value;
    return std::stoul(value) > cap ? std::to_string(cap) : value;
}

// An input file of at most max_file_lines lines of max_file_bytes bytes.
std::string small_file(std::string content) {
    if (content.size() > max_file_bytes) content.resize(max_file_bytes);
    int lines = 0;
    for (std::size_t i = 0; i < content.size(); ++i)
        if (content[i] == '\n' && ++lines == max_file_lines) {
            content.resize(i + 1);
            break;
        }
    return content;
}

// A QCSchema molecule of at most max_document_atoms atoms.
void cap_atoms(nlohmann::json& m) {
    for (const char* key : {"symbols", "geometry"})
        if (m.contains(key) && m[key].is_array() && m[key].size() > 3 * max_document_atoms)
            m[key].erase(m[key].begin() + 3 * max_document_atoms, m[key].end());
    if (m.contains("symbols") && m["symbols"].is_array() && m["symbols"].size() > max_document_atoms)
        m["symbols"].erase(m["symbols"].begin() + max_document_atoms, m["symbols"].end());
}

// A QCSchema document with its costs capped; other text as it is.
std::string capped_document(std::string text) {
    if (text.size() > max_document_bytes) text.resize(max_document_bytes);
    nlohmann::json doc = nlohmann::json::parse(text, nullptr, false);
    if (doc.is_discarded() || !doc.is_object()) return text;
    if (doc.contains("keywords") && doc["keywords"].is_object()) {
        nlohmann::json& k = doc["keywords"];
        if (k.contains("max_iterations") && k["max_iterations"].is_number() && k["max_iterations"] > max_iterations)
            k["max_iterations"] = max_iterations;
        if (k.contains("integrals") && k["integrals"] == "exact") k["integrals"] = "auto";
    }
    if (doc.contains("molecule") && doc["molecule"].is_object()) {
        cap_atoms(doc["molecule"]);
        if (!doc.contains("keywords")) doc["keywords"] = nlohmann::json::object();
        if (doc["keywords"].is_object() && !doc["keywords"].contains("max_iterations"))
            doc["keywords"]["max_iterations"] = max_iterations;
    }
    // An OptimizationInput: at most max_geometry_steps steps of at most max_iterations SCF steps.
    if (doc.value("schema_name", nlohmann::json()) == "qcschema_optimization_input") {
        doc["keywords"] = {{"max_steps", max_geometry_steps}};
        if (doc.contains("initial_molecule") && doc["initial_molecule"].is_object()) cap_atoms(doc["initial_molecule"]);
        if (doc.contains("input_specification") && doc["input_specification"].is_object())
            doc["input_specification"]["keywords"] = {{"max_iterations", max_iterations}};
    }
    return doc.dump();
}

// Standard output of one run, kept for the check of batch and QCSchema output.
std::stringbuf& captured() {
    static std::stringbuf buffer;
    return buffer;
}

// Output of batch or QCSchema mode: one JSON document, or one per line.
bool json_output(const std::string& text) {
    if (nlohmann::json::accept(text)) return true;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line))
        if (!nlohmann::json::accept(line)) return false;
    return true;
}

struct Run {
    std::vector<std::string> args;  // after the program name
    std::string input_path;
    std::vector<std::string> files;  // every file name, in order
    bool batch = false, qcschema = false;
    std::set<std::string> outputs;  // paths given to --molden, --json, --trajectory or --spectrum, in the scratch folder
    std::set<std::string> json, molden, trajectory, spectrum;
};

// The files an output option names, or none for another option.
std::set<std::string>* output_set(Run& run, const std::string& option) {
    if (option == "--molden") return &run.molden;
    if (option == "--json") return &run.json;
    if (option == "--trajectory") return &run.trajectory;
    if (option == "--spectrum") return &run.spectrum;
    return nullptr;
}

Run build(const std::vector<std::string>& tokens) {
    Run run;
    bool options_ended = false, has_limit = false, has_steps = false, optimize = false;
    std::string pending;  // the option whose value comes next
    for (const std::string& t : tokens) {
        std::string arg = t;
        if (!pending.empty()) {
            if (std::set<std::string>* files = output_set(run, pending)) {
                arg = sandboxed(t, true);
                files->insert(arg);
            }
            if (pending == "--basis-file") arg = sandboxed(t);
            if (pending == "--max-iterations") arg = capped(t);
            if (pending == "--max-steps") arg = capped(t, max_geometry_steps);
            if (pending == "--jobs") arg = capped(t, 2);
            if (pending == "--integrals" && t == "exact") arg = "auto";
            pending.clear();
        } else if (options_ended || t.size() < 2 || t[0] != '-') {
            arg = sandboxed(t);
            if (run.input_path.empty()) run.input_path = arg;
            run.files.push_back(arg);
        } else if (t == "--") {
            options_ended = true;
        } else if (t == "--molden" || t == "--json" || t == "--basis" || t == "--max-iterations" ||
                   t == "--integrals" || t == "--charge" || t == "--multiplicity" || t == "--jobs" ||
                   t == "--basis-file" || t == "--max-steps" || t == "--trajectory" || t == "--spectrum" ||
                   t == "--temperature" || t == "--pressure" || t == "--symmetry-number") {
            pending = t;
            has_limit = has_limit || t == "--max-iterations";
            has_steps = has_steps || t == "--max-steps";
        } else if (t.find('=') != std::string::npos && output_set(run, t.substr(0, t.find('='))) != nullptr) {
            const std::size_t eq = t.find('=');
            const std::string path = sandboxed(t.substr(eq + 1), true);
            arg = t.substr(0, eq + 1) + path;
            output_set(run, t.substr(0, eq))->insert(path);
        } else if (starts_with(t, "--basis-file=")) {
            arg = "--basis-file=" + sandboxed(t.substr(13));
        } else if (starts_with(t, "--max-steps=")) {
            arg = "--max-steps=" + capped(t.substr(12), max_geometry_steps);
            has_steps = true;
        } else if (t == "--integrals=exact") {
            arg = "--integrals=auto";
        } else if (starts_with(t, "--max-iterations=")) {
            arg = "--max-iterations=" + capped(t.substr(17));
            has_limit = true;
        } else if (starts_with(t, "--jobs=")) {
            arg = "--jobs=" + capped(t.substr(7), 2);
        } else if (starts_with(t, "--qcschema=")) {
            arg = "--qcschema=" + sandboxed(t.substr(11));
            if (run.input_path.empty()) run.input_path = arg.substr(11);
            run.files.push_back(arg.substr(11));
        }
        if (!options_ended && t == "--batch") run.batch = true;
        if (!options_ended && starts_with(t, "--optimize")) optimize = true;
        if (!options_ended && (t == "--qcschema" || starts_with(t, "--qcschema="))) run.qcschema = true;
        run.args.push_back(arg);
    }
    if (!has_limit && !run.qcschema) run.args.push_back("--max-iterations=30");
    if (optimize && !has_steps && !run.qcschema) run.args.push_back("--max-steps=3");
    if (run.input_path.empty()) {
        run.input_path = sandboxed("in");
        if (!options_ended) run.args.push_back(run.input_path);
    }
    for (const std::set<std::string>* s : {&run.json, &run.molden, &run.trajectory, &run.spectrum})
        for (const std::string& p : *s)
            if (starts_with(p, scratch().string())) run.outputs.insert(p);
    return run;
}

void clear_scratch() {
    for (const auto& e : fs::directory_iterator(scratch())) fs::remove_all(e.path());
}

}  // namespace

// The report and the messages would flood the fuzzer's log: standard output is
// kept for the checks, standard error discarded (a stream without a buffer fails,
// which velko would rightly report as lost output).
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static std::stringbuf discarded;
    std::cout.rdbuf(&captured());
    std::cerr.rdbuf(&discarded);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t nul = bytes.find('\0');
    std::string content = bytes.substr(0, nul);
    std::vector<std::string> tokens;
    if (nul != std::string::npos) {
        std::string rest = bytes.substr(nul + 1);
        std::size_t from = 0;
        while (tokens.size() < max_arguments && from <= rest.size()) {
            const std::size_t to = rest.find('\0', from);
            tokens.push_back(rest.substr(from, to == std::string::npos ? std::string::npos : to - from));
            if (to == std::string::npos) break;
            from = to + 1;
        }
    }
    clear_scratch();
    const Run run = build(tokens);
    std::vector<std::string> pieces;  // the contents of the files, in order
    if (run.qcschema) {
        pieces.push_back(capped_document(content));
    } else if (run.batch) {
        std::istringstream split(content);
        for (std::string piece; std::getline(split, piece, '\f');) pieces.push_back(small_file(piece));
    }
    if (pieces.empty()) pieces.push_back(small_file(content));
    content = pieces.front();
    const bool input_in_scratch = starts_with(run.input_path, scratch().string());
    if (input_in_scratch) write_file(run.input_path, content);
    for (std::size_t k = 1; run.batch && k < run.files.size(); ++k)
        if (run.files[k] != run.input_path && run.outputs.count(run.files[k]) == 0 &&
            starts_with(run.files[k], scratch().string()))
            write_file(run.files[k], pieces[k % pieces.size()]);
    std::error_code ignored;  // no link when the input itself is called "link"
    fs::create_symlink(run.input_path, scratch() / "link", ignored);
    for (const std::string& p : run.outputs)
        if (p != run.input_path && !fs::exists(p)) write_file(p, earlier_text);
    std::set<std::string> before;
    for (const auto& e : fs::directory_iterator(scratch())) before.insert(e.path().string());

    std::vector<std::string> argv_strings = {"velko"};
    argv_strings.insert(argv_strings.end(), run.args.begin(), run.args.end());
    std::vector<char*> argv;
    for (std::string& a : argv_strings) argv.push_back(a.data());
    argv.push_back(nullptr);
    captured().str("");
    std::cout.clear();
    std::cerr.clear();
    const int status = velko_main(static_cast<int>(argv_strings.size()), argv.data());
    const std::string out = captured().str();
    captured().str("");

    if (status < 0 || status > last_exit_status) std::abort();  // the statuses of the README table
    if (starts_with(out, "{") && !json_output(out)) std::abort();
    if (input_in_scratch && fs::is_regular_file(run.input_path) && read_file(run.input_path) != content) std::abort();
    for (const auto& e : fs::directory_iterator(scratch()))
        if (before.count(e.path().string()) == 0) std::abort();  // a temporary file left
    for (const std::string& p : run.outputs) {
        std::error_code ec;
        if (p == run.input_path || !fs::is_regular_file(p) || fs::equivalent(p, run.input_path, ec)) continue;
        const std::string text = read_file(p);
        if (text == earlier_text) continue;
        if (run.json.count(p) != 0 && !nlohmann::json::accept(text)) std::abort();
        if (run.molden.count(p) != 0 && run.json.count(p) == 0 && !starts_with(text, "[Molden Format]\n")) std::abort();
        if (run.spectrum.count(p) != 0 && run.json.count(p) == 0 && run.molden.count(p) == 0 &&
            text.find("</svg>") == std::string::npos)
            std::abort();
    }
    return 0;
}
