#include "scf/memory.h"

#include <unistd.h>

#include <limits>
#include <new>
#include <sstream>

#include "driver/failure.h"

std::uint64_t physical_memory_bytes() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long page_size = sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || page_size <= 0) return 0;
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(page_size);
}

namespace {

[[noreturn]] void refuse(std::uint64_t entries, const std::string& path) {
    const double mib = static_cast<double>(entries) * sizeof(double) / (1024.0 * 1024.0);
    std::ostringstream msg;
    msg << "Error: not enough memory for the two-electron integrals of input file \"" << path << "\": " << entries
        << " integrals need " << mib << " MiB";
    throw Failure{msg.str(), exit_status::out_of_memory};
}

}  // namespace

std::vector<double> allocate_integral_table(std::uint64_t entries, const std::string& path) {
    const std::uint64_t max_entries = std::vector<double>().max_size();
    if (entries > max_entries || entries > std::numeric_limits<std::size_t>::max() / sizeof(double))
        refuse(entries, path);
    const std::uint64_t memory = physical_memory_bytes();
    if (memory != 0 && entries * sizeof(double) > memory) refuse(entries, path);
    try {
        return std::vector<double>(static_cast<std::size_t>(entries), -1.0);
    } catch (const std::bad_alloc&) {
        refuse(entries, path);
    } catch (const std::length_error&) {
        refuse(entries, path);
    }
}
