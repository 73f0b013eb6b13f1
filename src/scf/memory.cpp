#include "scf/memory.h"

#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <fstream>
#include <limits>
#include <new>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>

#include "common/failure.h"

std::uint64_t physical_memory_bytes() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long page_size = sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || page_size <= 0) return 0;
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(page_size);
}

namespace {

// The first number in a file, or 0 when there is none ("max" in a cgroup file: no limit).
std::uint64_t number_in(const std::string& file) {
    std::ifstream in(file);
    std::uint64_t value = 0;
    if (!(in >> value)) return 0;
    return value;
}

// MemAvailable from /proc/meminfo, in bytes (the file gives kB).
std::uint64_t meminfo_available() {
    std::ifstream in("/proc/meminfo");
    std::string key;
    std::uint64_t kb = 0;
    std::string unit;
    while (in >> key >> kb >> unit)
        if (key == "MemAvailable:") return kb * 1024;
    return 0;
}

// The cgroup's limit less its usage, or 0 when there is no limit or it is unknown.
std::uint64_t cgroup_left() {
    const std::pair<const char*, const char*> files[] = {
        {"/sys/fs/cgroup/memory.max", "/sys/fs/cgroup/memory.current"},
        {"/sys/fs/cgroup/memory/memory.limit_in_bytes", "/sys/fs/cgroup/memory/memory.usage_in_bytes"}};
    for (const auto& f : files) {
        const std::uint64_t limit = number_in(f.first);
        // cgroup v1 reports "no limit" as a huge number near 2^63.
        if (limit == 0 || limit >= (std::uint64_t{1} << 62)) continue;
        const std::uint64_t used = number_in(f.second);
        return limit > used ? limit - used : 1;
    }
    return 0;
}

}  // namespace

std::uint64_t available_memory_bytes() {
    const std::uint64_t machine = meminfo_available(), group = cgroup_left();
    if (machine == 0) return group;
    if (group == 0) return machine;
    return std::min(machine, group);
}

namespace {

constexpr std::uint64_t saturated = std::numeric_limits<std::uint64_t>::max();

// a * b, or the largest value when the product does not fit.
std::uint64_t mul_sat(std::uint64_t a, std::uint64_t b) {
    if (a != 0 && b > saturated / a) return saturated;
    return a * b;
}

std::uint64_t add_sat(std::uint64_t a, std::uint64_t b) { return b > saturated - a ? saturated : a + b; }

double mib(std::uint64_t bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

[[noreturn]] void refuse(std::uint64_t entries, std::uint64_t other_bytes, std::uint64_t memory,
                         const std::string& path) {
    // The byte count may saturate; the MiB figure is worked in floating point.
    const double table_mib = static_cast<double>(entries) * sizeof(double) / (1024.0 * 1024.0);
    std::ostringstream msg;
    msg << "Error: not enough memory for the two-electron integrals of input file \"" << path << "\": " << entries
        << " integrals need " << table_mib << " MiB";
    if (other_bytes != 0) msg << " (" << table_mib + mib(other_bytes) << " MiB with the other matrices)";
    if (memory != 0) msg << ", the machine has " << mib(memory) << " MiB";
    throw Failure{msg.str(), exit_status::out_of_memory};
}

}  // namespace

std::uint64_t matrix_bytes(std::uint64_t n, std::uint64_t count) {
    return mul_sat(mul_sat(mul_sat(n, n), count), sizeof(double));
}

std::vector<double> allocate_integral_table(std::uint64_t entries, const std::string& path,
                                            std::uint64_t other_bytes) {
    const std::uint64_t memory = physical_memory_bytes();
    const std::uint64_t table_bytes = mul_sat(entries, sizeof(double));
    const std::uint64_t max_entries = std::vector<double>().max_size();
    if (entries > max_entries || entries > std::numeric_limits<std::size_t>::max() / sizeof(double) ||
        add_sat(table_bytes, other_bytes) > std::numeric_limits<std::size_t>::max())
        refuse(entries, other_bytes, memory, path);
    if (memory != 0 && add_sat(table_bytes, other_bytes) > memory) refuse(entries, other_bytes, memory, path);
    try {
        return std::vector<double>(static_cast<std::size_t>(entries), -1.0);
    } catch (const std::bad_alloc&) {
        refuse(entries, other_bytes, memory, path);
    } catch (const std::length_error&) {
        refuse(entries, other_bytes, memory, path);
    }
}
