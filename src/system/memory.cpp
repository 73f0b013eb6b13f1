#include "system/memory.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <fstream>
#include <limits>
#include <new>
#include <sstream>
#include <stdexcept>

#include "common/failure.h"
#include "common/quote.h"

namespace {

constexpr std::uint64_t saturated = std::numeric_limits<std::uint64_t>::max();

// n x n matrices of a run besides the per-atom attraction matrices.
constexpr std::uint64_t engine_matrix_count = 12;

// a * b, or the largest value when the product does not fit.
std::uint64_t mul_sat(std::uint64_t a, std::uint64_t b) {
    if (a != 0 && b > saturated / a) return saturated;
    return a * b;
}

std::uint64_t add_sat(std::uint64_t a, std::uint64_t b) { return b > saturated - a ? saturated : a + b; }

constexpr long double bytes_per_mib = 1024.0L * 1024.0L;

// k(k+1)/2 without the intermediate product wrapping: the even factor is halved first.
std::uint64_t triangle_sat(std::uint64_t k) {
    if (k == saturated) return saturated;
    return k % 2 == 0 ? mul_sat(k / 2, k + 1) : mul_sat(k, (k + 1) / 2);
}

std::string read_file(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream s;
    s << in.rdbuf();
    return in ? s.str() : std::string();
}

// The leading whole number of a text, if any.
std::optional<std::uint64_t> leading_number(const std::string& text) {
    std::istringstream in(text);
    std::uint64_t value = 0;
    if (!(in >> value)) return std::nullopt;
    return value;
}

// Limit less usage of one cgroup folder and of each of its parents up to root.
std::optional<std::uint64_t> cgroup_tree_room(const std::string& mount, std::string path, const char* limit_file,
                                              const char* usage_file) {
    std::optional<std::uint64_t> room;
    for (;;) {
        const std::string folder = mount + (path == "/" ? "" : path);
        const std::string limit = read_file(folder + "/" + limit_file);
        if (!limit.empty()) {
            const std::optional<std::uint64_t> r = cgroup_room(limit, read_file(folder + "/" + usage_file));
            if (r && (!room || *r < *room)) room = r;
        }
        if (path.empty() || path == "/") break;
        const std::size_t slash = path.rfind('/');
        path = slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
    }
    return room;
}

}  // namespace

std::uint64_t distinct_integral_count(std::uint64_t n) {
    if (n == 0) return 0;
    return triangle_sat(triangle_sat(n));
}

long double distinct_integral_count_ld(std::uint64_t n) {
    const long double m = static_cast<long double>(n) * (static_cast<long double>(n) + 1.0L) / 2.0L;
    return m * (m + 1.0L) / 2.0L;
}

std::uint64_t matrix_bytes(std::uint64_t n, std::uint64_t count) {
    return mul_sat(mul_sat(mul_sat(n, n), count), sizeof(double));
}

std::uint64_t engine_matrix_bytes(std::uint64_t functions, std::uint64_t atoms) {
    return matrix_bytes(functions, add_sat(engine_matrix_count, atoms));
}

std::string memory_message(const std::string& path, std::uint64_t entries, long double entries_ld,
                           std::uint64_t other_bytes, std::uint64_t available, const char* limit) {
    const long double table_mib = entries_ld * sizeof(double) / bytes_per_mib;
    std::ostringstream msg;
    msg << "Error: not enough memory for the two-electron integrals of input file " << quoted(path) << ": ";
    if (entries != saturated)
        msg << entries;
    else
        msg << static_cast<double>(entries_ld);
    msg << " integrals need " << static_cast<double>(table_mib) << " MiB";
    if (other_bytes != 0)
        msg << " (" << static_cast<double>(table_mib + other_bytes / bytes_per_mib) << " MiB with the other matrices)";
    if (available != 0) msg << available_text({available, limit});
    return msg.str();
}

std::string available_text(const MemoryRoom& room) {
    if (room.bytes == 0) return "";
    std::ostringstream msg;
    msg << ", " << static_cast<double>(room.bytes / bytes_per_mib) << " MiB are available";
    if (room.limit != nullptr) msg << " (" << room.limit << ")";
    return msg.str();
}

// Only the matrices: whether the two-electron integrals fit is decided once their path
// is known (the exact path's table, or the fast path's screened quartets, stored or direct).
void check_memory(std::uint64_t functions, std::uint64_t atoms, const std::string& path) {
    const std::uint64_t needed = engine_matrix_bytes(functions, atoms);
    const MemoryRoom room = available_memory();
    const std::uint64_t available = room.bytes;
    if (needed >= std::numeric_limits<std::size_t>::max() || needed == saturated || (available != 0 && needed > available)) {
        std::ostringstream msg;
        msg << "Error: not enough memory for input file " << quoted(path) << ": the " << functions << " x "
            << functions << " matrices of the run alone need " << static_cast<double>(needed) / (1024.0 * 1024.0)
            << " MiB";
        msg << available_text(room);
        throw Failure{msg.str(), exit_status::out_of_memory};
    }
}

std::vector<double> allocate_integral_table(std::uint64_t entries, const std::string& path,
                                            std::uint64_t other_bytes) {
    const MemoryRoom room = available_memory();
    const std::uint64_t available = room.bytes;
    const std::uint64_t needed = add_sat(mul_sat(entries, sizeof(double)), other_bytes);
    auto refuse = [&]() {
        return Failure{memory_message(path, entries, static_cast<long double>(entries), other_bytes, available, room.limit),
                       exit_status::out_of_memory};
    };
    if (entries > std::vector<double>().max_size() || needed >= std::numeric_limits<std::size_t>::max() ||
        needed == saturated)
        throw refuse();
    if (available != 0 && needed > available) throw refuse();
    try {
        return std::vector<double>(static_cast<std::size_t>(entries), -1.0);
    } catch (const std::bad_alloc&) {
        throw refuse();
    } catch (const std::length_error&) {
        throw refuse();
    }
}

std::optional<std::uint64_t> meminfo_available(const std::string& meminfo) {
    const std::string key = "MemAvailable:";
    const std::size_t at = meminfo.find(key);
    if (at == std::string::npos || (at != 0 && meminfo[at - 1] != '\n')) return std::nullopt;
    const std::optional<std::uint64_t> kib = leading_number(meminfo.substr(at + key.size()));
    if (!kib) return std::nullopt;
    return mul_sat(*kib, 1024);
}

std::optional<std::uint64_t> cgroup_room(const std::string& limit, const std::string& usage) {
    const std::optional<std::uint64_t> l = leading_number(limit);
    if (!l || *l >= (std::uint64_t{1} << 62)) return std::nullopt;  // "max", or v1's page-rounded 2^63 - 1
    const std::uint64_t u = leading_number(usage).value_or(0);
    return u >= *l ? 0 : *l - u;
}

CgroupPaths memory_cgroup_paths(const std::string& proc_self_cgroup) {
    CgroupPaths paths;
    std::istringstream in(proc_self_cgroup);
    std::string line;
    while (std::getline(in, line)) {
        // hierarchy-ID:controller-list:cgroup-path
        const std::size_t first = line.find(':');
        const std::size_t second = first == std::string::npos ? first : line.find(':', first + 1);
        if (second == std::string::npos) continue;
        const std::string id = line.substr(0, first);
        const std::string controllers = line.substr(first + 1, second - first - 1);
        const std::string path = line.substr(second + 1);
        if (id == "0" && controllers.empty()) paths.v2 = path;
        std::istringstream list(controllers);
        std::string c;
        while (std::getline(list, c, ','))
            if (c == "memory") paths.v1 = path;
    }
    return paths;
}

std::optional<std::uint64_t> address_space_room(std::uint64_t limit, std::uint64_t virtual_size) {
    if (limit == static_cast<std::uint64_t>(RLIM_INFINITY)) return std::nullopt;
    return virtual_size >= limit ? 0 : limit - virtual_size;
}

MemoryRoom available_memory() {
    MemoryRoom smallest;
    auto consider = [&smallest](std::optional<std::uint64_t> room, const char* limit) {
        if (!room) return;
        // Zero room is a known figure, but 0 means unknown to the callers.
        const std::uint64_t bytes = std::max<std::uint64_t>(*room, 1);
        if (smallest.bytes == 0 || bytes < smallest.bytes) smallest = {bytes, limit};
    };
    consider(meminfo_available(read_file("/proc/meminfo")), "MemAvailable in /proc/meminfo");
    const CgroupPaths paths = memory_cgroup_paths(read_file("/proc/self/cgroup"));
    if (paths.v2) consider(cgroup_tree_room("/sys/fs/cgroup", *paths.v2, "memory.max", "memory.current"),
                           "the memory cgroup's limit");
    if (paths.v1) consider(cgroup_tree_room("/sys/fs/cgroup/memory", *paths.v1, "memory.limit_in_bytes",
                                            "memory.usage_in_bytes"),
                           "the memory cgroup's limit");
    consider(address_space_left(), "the address-space limit, ulimit -v");
    return smallest;
}

std::optional<std::uint64_t> address_space_left() {
    struct rlimit as;
    // The first field of /proc/self/statm is the virtual size in pages.
    const std::optional<std::uint64_t> pages = leading_number(read_file("/proc/self/statm"));
    if (::getrlimit(RLIMIT_AS, &as) != 0 || !pages) return std::nullopt;
    return address_space_room(as.rlim_cur, mul_sat(*pages, static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE))));
}

std::uint64_t available_memory_bytes() { return available_memory().bytes; }

