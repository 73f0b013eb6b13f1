#include "system/files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
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

}  // namespace

bool same_file(const std::string& a, const std::string& b) {
    struct stat sa, sb;
    if (::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    return resolved(a) == resolved(b);
}

void check_output_paths(const std::string& input_path, const std::string& molden_path,
                        const std::string& json_path) {
    const std::pair<const char*, const std::string*> outputs[] = {{"--molden", &molden_path}, {"--json", &json_path}};
    for (const auto& [option, path] : outputs) {
        if (path->empty() || !clobberable(*path)) continue;
        if (same_file(*path, input_path))
            refuse(std::string(option) + " names the input file " + quoted(input_path) +
                   "; expected another file name for the output");
    }
    if (!molden_path.empty() && !json_path.empty() && clobberable(molden_path) && same_file(molden_path, json_path))
        refuse("--molden and --json name the same file " + quoted(json_path) + "; expected two different files");
}

void replace_file(const std::string& path, const std::string& kind,
                  const std::function<void(std::ostream&)>& write) {
    struct stat st;
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
        if (S_ISDIR(st.st_mode)) cannot_write(kind, path, "it is a directory");
        errno = 0;
        std::ofstream out(path, std::ios::binary);
        if (!out) cannot_write(kind, path, std::strerror(errno != 0 ? errno : EIO));
        fill(out, write, kind, path);
        return;
    }
    // A link is followed, so the file it points to is replaced, not the link.
    std::error_code ec;
    const fs::path target = exists ? fs::canonical(path, ec) : fs::path(path);
    if (ec) cannot_write(kind, path, ec.message());
    mode_t mode = exists ? (st.st_mode & 07777) : 0;
    if (!exists) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }

    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const std::string pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) cannot_write(kind, path, std::strerror(errno));
    const std::string temp(name.data());
    const bool mode_set = ::fchmod(fd, mode) == 0;
    ::close(fd);
    try {
        if (!mode_set) cannot_write(kind, path, std::strerror(errno));
        {
            errno = 0;
            std::ofstream out(temp, std::ios::binary | std::ios::trunc);
            if (!out) cannot_write(kind, path, std::strerror(errno != 0 ? errno : EIO));
            fill(out, write, kind, path);
            out.close();
            if (!out) cannot_write(kind, path, std::strerror(errno != 0 ? errno : EIO));
        }
        if (std::rename(temp.c_str(), target.c_str()) != 0) cannot_write(kind, path, std::strerror(errno));
    } catch (...) {
        std::remove(temp.c_str());
        throw;
    }
}

void replace_file(const std::string& path, const std::string& kind, const std::string& text) {
    replace_file(path, kind, [&text](std::ostream& out) { out << text; });
}
