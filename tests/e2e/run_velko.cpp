#include "run_velko.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>

#ifndef VELKO_BINARY
#error "VELKO_BINARY must name the built velko executable"
#endif

namespace {

std::string temp_dir() {
    const char* t = std::getenv("TMPDIR");
    return t != nullptr ? t : "/tmp";
}

}  // namespace

std::string source_path(const std::string& relative) { return std::string(VELKO_SOURCE_DIR) + "/" + relative; }

std::string read_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string without_notes(const std::string& err) {
    std::string kept, line;
    std::istringstream lines(err);
    while (std::getline(lines, line))
        if (line.rfind("velko: the closed-shell (RHF) solution is unstable towards an unrestricted one", 0) != 0 &&
            line.rfind("velko: warning: input ", 0) != 0)
            kept += line + "\n";
    return kept;
}

std::string write_temp(const std::string& name, const std::string& text) {
    const std::string path = temp_dir() + "/velko_test_" + std::to_string(::getpid()) + "_" + name;
    std::ofstream out(path, std::ios::binary);
    out << text;
    return path;
}

RunResult run_velko(const std::string& args) {
    static int counter = 0;
    const std::string err_path =
        temp_dir() + "/velko_test_stderr_" + std::to_string(::getpid()) + "_" + std::to_string(counter++);
    const std::string cmd = std::string("\"") + VELKO_BINARY + "\" " + args + " 2>\"" + err_path + "\"";
    RunResult r;
    FILE* pipe = ::popen(cmd.c_str(), "r");
    if (pipe == nullptr) return r;
    char buf[4096];
    size_t got;
    while ((got = std::fread(buf, 1, sizeof buf, pipe)) > 0) r.out.append(buf, got);
    const int raw = ::pclose(pipe);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + (WIFSIGNALED(raw) ? WTERMSIG(raw) : 0);
    r.err = read_text(err_path);
    std::remove(err_path.c_str());
    return r;
}

std::string mask_report(const std::string& report) {
    std::string s = report;
    s = std::regex_replace(s, std::regex("compiled on: [^\n]*"), "compiled on: <date>");
    s = std::regex_replace(s, std::regex("compiler: gcc [^\n]*"), "compiler: gcc <version>");
    s = std::regex_replace(s, std::regex("succesfully after [^\n]*ms\\."), "succesfully after <t>ms.");
    s = std::regex_replace(s, std::regex(" done \\[ [^ ]* ms \\]"), " done [ <t> ms ]");
    s = std::regex_replace(s, std::regex(" \\[ [^ ]* ms \\] \n"), " [ <t> ms ] \n");
    return s;
}

std::string command_output(const std::string& cmd) {
    std::string out;
    FILE* pipe = ::popen(cmd.c_str(), "r");
    if (pipe == nullptr) return out;
    char buf[4096];
    std::size_t got;
    while ((got = std::fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, got);
    ::pclose(pipe);
    return out;
}

bool succeeds(const std::string& cmd) { return std::system((cmd + " >/dev/null 2>&1").c_str()) == 0; }
