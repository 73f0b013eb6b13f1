#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Number of distinct two-electron integrals (ij|kl) of n functions: with
// m = n(n+1)/2 index pairs i >= j, m(m+1)/2 pairs of pairs. Worked without
// wrapping for every n (the product m(m+1) passes 2^64 from n = 92,682 on);
// saturates at UINT64_MAX beyond about 110,000 functions, where the
// long double form keeps the magnitude.
std::uint64_t distinct_integral_count(std::uint64_t n);
long double distinct_integral_count_ld(std::uint64_t n);

// Bytes of the n x n matrices of a run besides the table (H, S, T, X, X^T, and
// in the SCF P, F, G, F', C', C, the new density) and one attraction matrix per
// atom; saturates instead of wrapping.
std::uint64_t engine_matrix_bytes(std::uint64_t functions, std::uint64_t atoms);

// Refuses (Failure, out_of_memory) a molecule whose two-electron table and
// matrices exceed the memory available to the process, naming the input
// file and the sizes. Needs only the counts, so it runs before any work that
// grows faster than the number of atoms.
void check_memory(std::uint64_t functions, std::uint64_t atoms, const std::string& path);

// The text of that refusal: the integral count (entries in full, or
// entries_ld in six digits when entries saturated), the table and total sizes
// in MiB, and the memory available when known (0: unknown), with the limit that
// binds when given (as MemoryRoom names it).
std::string memory_message(const std::string& path, std::uint64_t entries, long double entries_ld,
                           std::uint64_t other_bytes, std::uint64_t available, const char* limit = nullptr);

// The table of distinct two-electron integrals, every entry -1.0 until computed.
// Its size, together with other_bytes that the run will hold besides, is checked
// against the address space and the memory available before anything is
// allocated; when it does not fit, or the allocation fails, the run stops with
// the Failure of check_memory.
std::vector<double> allocate_integral_table(std::uint64_t entries, const std::string& path,
                                            std::uint64_t other_bytes = 0);

// Bytes of n x n double matrices, count of them; saturates instead of wrapping.
std::uint64_t matrix_bytes(std::uint64_t n, std::uint64_t count);

// Bytes this process can still obtain, or 0 when unknown: the smallest of
// MemAvailable in /proc/meminfo; for the process's memory cgroup and each of its
// parents (v2 memory.max - memory.current, v1 memory.limit_in_bytes -
// memory.usage_in_bytes), the limit less the usage; and the address-space limit
// (RLIMIT_AS, ulimit -v) less the process's virtual size. `limit` names the
// smallest, for the messages: "MemAvailable in /proc/meminfo", "the memory
// cgroup's limit" or "the address-space limit, ulimit -v".
struct MemoryRoom {
    std::uint64_t bytes = 0;
    const char* limit = nullptr;
};
MemoryRoom available_memory();
std::uint64_t available_memory_bytes();

// ", <MiB> MiB are available (<limit>)" for a known room, empty otherwise.
std::string available_text(const MemoryRoom& room);

// Address space left to the process under its limit (RLIMIT_AS), none when unlimited.
std::optional<std::uint64_t> address_space_left();

// Room under an address-space limit: limit less the virtual size (0 when it is
// used up), none when unlimited.
std::optional<std::uint64_t> address_space_room(std::uint64_t limit, std::uint64_t virtual_size);

// The pieces of available_memory_bytes, on the texts of those files:
// MemAvailable in bytes; limit - usage (0 when the usage exceeds it), or none
// for "max" and the v1 "no limit" (at least 2^62); the cgroup paths of the
// memory controller in /proc/self/cgroup (v2 "0::", v1 "memory").
std::optional<std::uint64_t> meminfo_available(const std::string& meminfo);
std::optional<std::uint64_t> cgroup_room(const std::string& limit, const std::string& usage);
struct CgroupPaths {
    std::optional<std::string> v2, v1;
};
CgroupPaths memory_cgroup_paths(const std::string& proc_self_cgroup);
