#include "system/files.h"

#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <fstream>
#include <iostream>
#include <vector>

#include "common/failure.h"
#include "common/quote.h"

namespace fs = std::filesystem;

namespace {

// Absolute, normal form of a path; links of its existing part resolved.
fs::path resolved(const std::string& p) {
    std::error_code ec;
    fs::path abs = fs::absolute(p, ec);
    if (ec) return fs::path(p).lexically_normal();
    const fs::path canon = fs::weakly_canonical(abs, ec);
    return ec ? abs.lexically_normal() : canon;
}

// A path that is not there yet, or a regular file, can be clobbered by a
// second writer; devices and pipes cannot.
bool clobberable(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) != 0 || S_ISREG(st.st_mode);
}

[[noreturn]] void cannot_write(const std::string& kind, const std::string& path, const std::string& reason) {
    throw Failure{"Error: cannot write " + kind + " file " + quoted(path) + ": " + reason, exit_status::bad_input};
}

[[noreturn]] void refuse(const std::string& what) {
    throw Failure{"Error on the command line: " + what, exit_status::bad_input};
}

// The writer's output to an open stream, checked.
void fill(std::ostream& out, const std::function<void(std::ostream&)>& write, const std::string& kind,
          const std::string& path) {
    errno = 0;
    write(out);
    out.flush();
    if (!out) cannot_write(kind, path, std::strerror(errno != 0 ? errno : EIO));
}

// True when path names the file open as descriptor fd.
bool same_open_file(const std::string& path, int fd) {
    struct stat sp, sf;
    return ::fstat(fd, &sf) == 0 && ::stat(path.c_str(), &sp) == 0 && sp.st_dev == sf.st_dev &&
           sp.st_ino == sf.st_ino;
}

// Where a path that does not exist is to be created: itself, or the end of the
// chain of symbolic links it starts (a dangling link names a file to create).
fs::path link_target(const std::string& path) {
    constexpr int max_links = 40;  // as the kernel's own limit on a chain of links
    fs::path p(path);
    for (int k = 0; k < max_links; ++k) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(p, ec))) return p;
        const fs::path next = fs::read_symlink(p, ec);
        if (ec) return p;
        p = next.is_absolute() ? next : p.parent_path() / next;
    }
    return p;
}

// The temporary file being written, for the signal handler: its name is removed
// when SIGINT, SIGTERM or SIGHUP ends the run before the rename.
constexpr std::size_t max_temp_name = 4096;
char pending_temp[max_temp_name];
volatile std::sig_atomic_t temp_pending = 0;
const int cleanup_signals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void remove_temp_and_stop(int signal) {
    // Async-signal-safe only: unlink, signal, raise.
    if (temp_pending) ::unlink(pending_temp);
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

// The signals of cleanup_signals held back while the state of the temporary file changes.
class SignalsHeld {
public:
    SignalsHeld() {
        sigset_t set;
        sigemptyset(&set);
        for (int sig : cleanup_signals) sigaddset(&set, sig);
        ::pthread_sigmask(SIG_BLOCK, &set, &old_);
    }
    ~SignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &old_, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t old_;
};

// A temporary file made by mkstemp from a pattern ending in XXXXXX, removed on the
// cleanup signals until it is renamed or removed. Signals ignored before stay ignored.
class TemporaryFile {
public:
    int fd = -1;
    int error = 0;

    explicit TemporaryFile(const std::string& pattern) {
        if (pattern.size() >= max_temp_name) {
            error = ENAMETOOLONG;
            return;
        }
        const SignalsHeld held;
        std::memcpy(pending_temp, pattern.c_str(), pattern.size() + 1);
        fd = ::mkstemp(pending_temp);
        if (fd < 0) {
            error = errno;
            return;
        }
        temp_pending = 1;
        for (std::size_t k = 0; k < std::size(cleanup_signals); ++k) {
            struct sigaction action {};
            action.sa_handler = remove_temp_and_stop;
            sigemptyset(&action.sa_mask);
            ::sigaction(cleanup_signals[k], nullptr, &old_[k]);
            if (old_[k].sa_handler != SIG_IGN) ::sigaction(cleanup_signals[k], &action, nullptr);
        }
    }
    ~TemporaryFile() { remove(); }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    std::string name() const { return pending_temp; }

    // Renames the file over target; false, with `error` set, when that fails.
    bool rename_to(const std::string& target) {
        const SignalsHeld held;
        if (std::rename(pending_temp, target.c_str()) != 0) {
            error = errno;
            return false;
        }
        release();
        return true;
    }

    void remove() {
        const SignalsHeld held;
        if (temp_pending) ::unlink(pending_temp);
        release();
    }

private:
    struct sigaction old_[std::size(cleanup_signals)] {};

    void release() {
        if (fd >= 0) ::close(fd);
        fd = -1;
        if (!temp_pending) return;
        temp_pending = 0;
        for (std::size_t k = 0; k < std::size(cleanup_signals); ++k) ::sigaction(cleanup_signals[k], &old_[k], nullptr);
    }
};

}  // namespace

bool same_file(const std::string& a, const std::string& b) {
    struct stat sa, sb;
    if (::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    return resolved(a) == resolved(b);
}

void check_output_paths(const std::string& input_path, const std::string& molden_path,
                        const std::string& json_path, const std::string& trajectory_path) {
    check_output_paths(input_path, {{"--molden", molden_path}, {"--json", json_path}, {"--trajectory", trajectory_path}});
}

void check_output_paths(const std::string& input_path, const std::vector<std::pair<std::string, std::string>>& outputs) {
    for (const auto& [option, path] : outputs) {
        if (path.empty() || !clobberable(path)) continue;
        if (same_file(path, input_path))
            refuse(option + " names the input file " + quoted(input_path) + "; expected another file name for the output");
    }
    for (std::size_t a = 0; a < outputs.size(); ++a)
        for (std::size_t b = a + 1; b < outputs.size(); ++b) {
            const std::string& first = outputs[a].second;
            const std::string& second = outputs[b].second;
            if (!first.empty() && !second.empty() && clobberable(first) && same_file(first, second))
                refuse(outputs[a].first + " and " + outputs[b].first + " name the same file " + quoted(second) +
                       "; expected two different files");
        }
}

void replace_file(const std::string& path, const std::string& kind,
                  const std::function<void(std::ostream&)>& write) {
    // Standard output named as a file (/dev/stdout, redirected to a file or not):
    // written through the stream, after the report, not over it.
    if (same_open_file(path, STDOUT_FILENO)) return fill(std::cout, write, kind, path);
    if (same_open_file(path, STDERR_FILENO)) return fill(std::cerr, write, kind, path);
    struct stat st;
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
        // Character devices, pipes, sockets: written in place, there is nothing to rename over.
        if (S_ISDIR(st.st_mode)) cannot_write(kind, path, "it is a directory");
        errno = 0;
        std::ofstream out(path, std::ios::binary);
        if (!out) cannot_write(kind, path, std::strerror(errno != 0 ? errno : EIO));
        fill(out, write, kind, path);
        return;
    }
    // A link is followed, so the file it points to is replaced, or created, not the link.
    std::error_code ec;
    const fs::path target = exists ? fs::canonical(path, ec) : link_target(path);
    if (ec) cannot_write(kind, path, ec.message());
    mode_t mode = exists ? (st.st_mode & 07777) : 0;
    if (!exists) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }

    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const std::string pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    TemporaryFile temp(pattern);
    if (temp.fd < 0) cannot_write(kind, path, std::strerror(temp.error));
    try {
        if (::fchmod(temp.fd, mode) != 0) cannot_write(kind, path, std::strerror(errno));
        {
            errno = 0;
            std::ofstream out(temp.name(), std::ios::binary | std::ios::trunc);
            if (!out) cannot_write(kind, path, std::strerror(errno != 0 ? errno : EIO));
            fill(out, write, kind, path);
            out.close();
            if (!out) cannot_write(kind, path, std::strerror(errno != 0 ? errno : EIO));
        }
        if (!temp.rename_to(target.string())) cannot_write(kind, path, std::strerror(temp.error));
    } catch (...) {
        temp.remove();
        throw;
    }
}

void replace_file(const std::string& path, const std::string& kind, const std::string& text) {
    replace_file(path, kind, [&text](std::ostream& out) { out << text; });
}

int checked_standard_output(int status) {
    if (std::cout) {
        errno = 0;
        std::cout.flush();
        if (std::cout) return status;
    } else {
        errno = 0;  // the write failed earlier; its error number is gone
    }
    std::cerr << "velko: cannot write standard output" << (errno != 0 ? ": " : "")
              << (errno != 0 ? std::strerror(errno) : "") << "; what it holds is incomplete" << std::endl;
    return exit_status::bad_input;
}
