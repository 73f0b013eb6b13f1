#pragma once

#include <string>

// Runs the built velko binary with the given argument string (shell-quoted by
// the caller) and collects its standard output, standard error and exit status.
struct RunResult {
    std::string out;
    std::string err;
    int status = -1;
};

RunResult run_velko(const std::string& args);

// Path of a file in the source tree, e.g. source_path("examples/water.in").
std::string source_path(const std::string& relative);

std::string read_text(const std::string& path);

// Masks what legitimately varies between runs: the build date, time and
// compiler of the banner, the elapsed milliseconds of the completion line and
// the timing fields of the verbose report.
std::string mask_report(const std::string& report);

// Writes text to a fresh file in the test temp directory and returns its path.
std::string write_temp(const std::string& name, const std::string& text);

// Standard error without the notes a run may add to any result: the triplet (RHF->UHF)
// instability and a geometry in the wrong unit.
std::string without_notes(const std::string& err);

// Standard output of a shell command (standard error as the command redirects it).
std::string command_output(const std::string& cmd);

// True when a shell command exits with status 0; its output is discarded.
bool succeeds(const std::string& cmd);
