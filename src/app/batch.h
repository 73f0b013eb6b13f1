#pragma once

#include <cstddef>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/options.h"

// Many molecules in one run: `velko --batch [options] FILE...` computes every
// input with the same options and writes one compact JSON line per input, in
// input order, on standard output: the QCSchema AtomicResult of the molecule,
// or a FailedOperation naming the input. `--jobs N` computes N inputs at once,
// one per thread, each SCF single-threaded.

struct BatchCommand {
    Options options;  // basis, diis, max_iterations, integrals: shared by every input
    unsigned jobs = 1;
    std::vector<std::string> files;
};

// Reads the arguments of a --batch command line. Options are those of a single
// run that apply to many (--basis, --diis, --max-iterations, --integrals, in the
// forms "--name value" and "--name=value") and --jobs N; every other argument is
// an input file. The integrals are the fast path's unless --integrals says otherwise:
// a batch has no text report whose digits are pinned to the exact path's arithmetic, and
// the fast path agrees with it to 1e-12 Hartree at a fraction of the cost. Throws Failure (bad_input) for an unknown option, one that
// writes a single file or report (-m, --molden, --json), a malformed value, or no input.
BatchCommand parse_batch_command(const std::vector<std::string>& args);

// The JSON line of one input file: the AtomicResult with extras.input_file, or
// a FailedOperation whose input_data and extras name the file. Never throws.
nlohmann::json batch_result(const std::string& path, const Options& options);

// Computes every file, `jobs` at once (jobs <= 1: one after the other on the
// calling thread), and writes each line to `out` as soon as it and every line
// before it are done, so the lines keep the input order. `written(k)` is called
// on the calling thread after the k-th line. Returns the number of inputs that failed;
// `failed`, when given, receives each failed one as "\"FILE\" (status N)" in input order.
std::size_t run_batch(const std::vector<std::string>& files, const Options& options, unsigned jobs, std::ostream& out,
                      const std::function<void(std::size_t)>& written, std::vector<std::string>* failed = nullptr);

// The last line a batch writes on standard error: how many of `total` inputs failed, and which.
std::string batch_summary(std::size_t total, const std::vector<std::string>& failed);

// The whole --batch command: parses args (the arguments after the program name),
// computes, writes the lines on standard output, a progress line on standard
// error when that is a terminal, and the batch_summary line on standard error always. Returns exit status 0 when every input
// succeeded, exit_status::batch_failures otherwise; throws Failure for a bad command line.
int batch_command(const std::vector<std::string>& args);

// JSON text that is valid UTF-8 whatever bytes an input file or path put into a message.
std::string json_text(const nlohmann::json& value, int indent = -1);
