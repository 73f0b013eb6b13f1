#include "app/batch.h"

#include <algorithm>
#include <atomic>
#include <optional>
#include <condition_variable>
#include <iostream>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <utility>

#include "common/failure.h"
#include "common/quote.h"
#include "system/memory.h"
#include "app/run.h"
#include "app/prepare.h"
#include "gradient/scf_gradient.h"
#include "system/parallel.h"
#include "report/verdict.h"
#include "report/listing.h"
#include "system/progress.h"
#include "app/qcschema_input.h"

using nlohmann::json;

namespace {

[[noreturn]] void refuse(const std::string& what) {
    throw Failure{"Error on the command line: " + what, exit_status::bad_input};
}

// Options of a single run that --batch passes on to every input, and whether they take a value.
struct SharedOption {
    const char* name;
    bool takes_value;
};
const SharedOption shared_options[] = {{"--basis", true},      {"--basis-file", true},     {"--pure", false},
                                       {"--cartesian", false}, {"--charge", true},         {"--multiplicity", true},
                                       {"--diis", false},      {"--plain", false},         {"--max-iterations", true},
                                       {"--integrals", true},  {"--gradient", false}};

// More threads than this are refused: each holds a whole two-electron table.
constexpr unsigned max_jobs = 256;

// Address space a worker takes before any molecule: the malloc arena of its thread
// (64 MiB reserved by 64-bit glibc) and its stack (8 MiB). Under an address-space
// limit the workers are as many as fit, so that none runs out of memory where not
// even its failure can be reported.
constexpr std::uint64_t worker_address_space = 72ull << 20;

unsigned parse_jobs(const std::string& text) {
    unsigned long value = 0;
    bool digits = !text.empty() && text.size() <= 6;
    for (char c : text) {
        if (c < '0' || c > '9') digits = false;
        if (digits) value = value * 10 + static_cast<unsigned long>(c - '0');
    }
    if (!digits || value == 0 || value > max_jobs)
        refuse("--jobs expects a whole number from 1 to " + std::to_string(max_jobs) + ", found \"" + text + "\"");
    return static_cast<unsigned>(value);
}

json failed_input(const std::string& path, const std::string& message, int status) {
    json line = failed_operation(message, status, {{"input_file", path}});
    line["extras"] = {{"input_file", path}};
    return line;
}

}  // namespace

std::string json_text(const json& value, int indent) {
    return value.dump(indent, ' ', false, json::error_handler_t::replace);
}

BatchCommand parse_batch_command(const std::vector<std::string>& args) {
    BatchCommand cmd;
    std::vector<std::string> shared;  // handed to the single-run parser
    bool options_ended = false;
    for (std::size_t k = 0; k < args.size(); ++k) {
        std::string arg = args[k];
        if (options_ended) {
            cmd.files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            options_ended = true;
            continue;
        }
        if (arg == "--batch") continue;
        std::string value;
        bool has_value = false;
        const std::size_t eq = arg.find('=');
        if (arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
            has_value = true;
        }
        auto take_value = [&]() {
            if (has_value) return value;
            if (k + 1 >= args.size()) refuse(arg + " expects a value");
            return args[++k];
        };
        if (arg == "--jobs") {
            cmd.jobs = parse_jobs(take_value());
            continue;
        }
        if (arg == "-m" || arg == "--molden" || arg == "--json" || arg == "--qcschema")
            refuse(arg + " cannot be used with --batch, which writes one JSON line per input on standard output");
        bool known = false;
        for (const SharedOption& o : shared_options) {
            if (arg != o.name) continue;
            known = true;
            shared.push_back(arg);
            if (o.takes_value) shared.push_back(take_value());
            else if (has_value) refuse(arg + " takes no value");
        }
        if (known) continue;
        if (arg.size() > 1 && arg[0] == '-' && arg != "-")
            refuse("unknown option \"" + arg +
                   "\" for --batch; expected --jobs, --basis, --basis-file, --pure, --cartesian, --charge, "
                   "--multiplicity, --diis, --plain, --max-iterations, --integrals or --gradient");
        cmd.files.push_back(arg);
    }
    if (cmd.files.empty()) refuse("--batch expects one or more input files");

    // The single-run parser reads the shared options; the last argument stands for the input file.
    std::vector<const char*> argv{"velko"};
    for (const std::string& s : shared) argv.push_back(s.c_str());
    argv.push_back("input");
    cmd.options = parse_command_line(static_cast<int>(argv.size()), argv.data());
    if (std::find(shared.begin(), shared.end(), "--integrals") == shared.end()) cmd.options.integrals = IntegralPath::fast;
    return cmd;
}

json batch_result(const std::string& path, const Options& options) {
    try {
        // As a single run reads and computes it.
        std::string notices;
        Molecule mol = read_run_input(path, options, notices);
        if (!notices.empty()) std::cerr << notices;  // one write, whole even beside other workers
        const PreparedRun run = prepare_run(std::move(mol), path);
        Listing quiet(false);
        Settings settings{options.integrals, options.diis, options.max_iterations};
        settings.progress = false;
        const Calculation calc = compute_run(run, settings, path, quiet);
        std::optional<std::vector<Vec3>> gradient;
        if (options.gradient && calc.result.converged) gradient = scf_gradient(calc, default_thread_count());
        json line = atomic_result(calc, gradient ? &*gradient : nullptr);
        line["extras"]["input_file"] = path;
        if (line.contains("error")) line["error"]["extras"] = {{"exit_status", verdict(calc).status}};
        return line;
    } catch (const Failure& f) {
        return failed_input(path, f.message, f.status);
    } catch (const std::bad_alloc&) {
        return failed_input(path, "Error: not enough memory to compute input file \"" + path + "\"",
                            exit_status::out_of_memory);
    } catch (const std::exception& e) {
        // Not one of velko's own failures: reported for this input, the others go on.
        json line = failed_input(path, "Error: computing input file \"" + path + "\" failed: " + e.what(), 0);
        line["error"]["error_type"] = "unknown_error";
        line["error"].erase("extras");
        return line;
    }
}

std::size_t run_batch(const std::vector<std::string>& files, const Options& options, unsigned jobs, std::ostream& out,
                      const std::function<void(std::size_t)>& written, std::vector<std::string>* failed) {
    const std::size_t n = files.size();
    std::size_t failures = 0;
    std::atomic<std::size_t> next{0};  // the next input a worker takes
    // Once the output fails (a full disk, a closed pipe) no later line can be
    // delivered: no new input is started and the caller sees the failed stream.
    auto write = [&](const json& line, std::size_t k) {
        if (!out) return;
        if (!line.value("success", false)) {
            ++failures;
            if (failed != nullptr) {
                const json status = line.contains("error") ? line["error"].value("extras", json::object()).value("exit_status", json())
                                                           : json();
                failed->push_back(quoted(files[k]) + (status.is_number_integer() && status.get<int>() != 0
                                                  ? " (status " + std::to_string(status.get<int>()) + ")"
                                                  : std::string()));
            }
        }
        out << json_text(line) << "\n" << std::flush;
        if (!out) next = n;
        written(k + 1);
    };
    auto one_by_one = [&]() {
        for (std::size_t k = next++; k < n && out; k = next++) write(batch_result(files[k], options), k);
        return failures;
    };
    if (jobs <= 1 || n <= 1) return one_by_one();

    // Workers take the next input and leave its line in its slot; this thread
    // writes the slots in order as they fill. Only this thread writes to `out`.
    std::vector<json> lines(n);
    std::vector<bool> ready(n, false), redo(n, false);
    std::mutex mutex;
    std::condition_variable filled;
    auto work = [&]() {
        for (std::size_t k = next++; k < n; k = next++) {
            json line;
            bool done = true;
            try {
                line = batch_result(files[k], options);
            } catch (...) {
                done = false;  // not even the memory for its failure: this thread computes it again
            }
            {
                std::lock_guard<std::mutex> lock(mutex);
                lines[k] = std::move(line);
                ready[k] = true;
                redo[k] = !done;
            }
            filled.notify_one();
        }
    };
    std::vector<std::thread> workers;
    try {
        for (unsigned t = 0; t < jobs && t < n; ++t) workers.emplace_back(work);
    } catch (const std::system_error&) {
        // The system has no more threads to give (a limit on processes or on the
        // address space): the workers started share the inputs, or this thread alone.
    } catch (const std::bad_alloc&) {
        // Nor the memory for another thread's state.
    }
    if (workers.empty()) return one_by_one();
    for (std::size_t k = 0; k < n && out; ++k) {
        json line;
        bool again = false;
        {
            std::unique_lock<std::mutex> lock(mutex);
            filled.wait(lock, [&] { return ready[k]; });
            line = std::move(lines[k]);
            again = redo[k];
        }
        if (again) {
            try {
                line = batch_result(files[k], options);
            } catch (const std::bad_alloc&) {
                line = failed_input(files[k], "Error: not enough memory to compute input file " + quoted(files[k]),
                                    exit_status::out_of_memory);
            }
        }
        write(line, k);
    }
    for (std::thread& w : workers) w.join();
    return failures;
}

std::string batch_summary(std::size_t total, const std::vector<std::string>& failed) {
    const std::string inputs = std::to_string(total) + (total == 1 ? " input" : " inputs");
    if (failed.empty()) return "velko: --batch: " + inputs + ", none failed";
    std::string list;
    for (const std::string& f : failed) list += (list.empty() ? "" : ", ") + f;
    return "velko: --batch: " + std::to_string(failed.size()) + " of " + inputs + " failed: " + list;
}

int batch_command(const std::vector<std::string>& args) {
    BatchCommand cmd = parse_batch_command(args);
    if (const std::optional<std::uint64_t> left = address_space_left())
        cmd.jobs = static_cast<unsigned>(std::max<std::uint64_t>(1, std::min<std::uint64_t>(cmd.jobs, *left / worker_address_space)));
    Progress progress("Molecules", cmd.files.size());
    std::vector<std::string> failed;
    const std::size_t failures = run_batch(
        cmd.files, cmd.options, cmd.jobs, std::cout, [&progress](std::size_t k) { progress.update(k); }, &failed);
    progress.finish();
    std::cerr << batch_summary(cmd.files.size(), failed) << std::endl;
    return failures == 0 ? exit_status::ok : exit_status::batch_failures;
}
