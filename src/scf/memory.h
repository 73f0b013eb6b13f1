#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The table of distinct two-electron integrals, every entry -1.0 until computed.
// Its size, together with other_bytes that the run will hold besides (the
// one-electron matrices), is checked against the address space and the
// machine's memory before anything is allocated; when it does not fit, or the
// allocation fails, the run stops with a Failure that names the input file and
// the size needed.
std::vector<double> allocate_integral_table(std::uint64_t entries, const std::string& path,
                                            std::uint64_t other_bytes = 0);

// Bytes of n x n double matrices, count of them; saturates instead of wrapping.
std::uint64_t matrix_bytes(std::uint64_t n, std::uint64_t count);

// Bytes of physical memory of this machine, or 0 when unknown.
std::uint64_t physical_memory_bytes();

// Bytes this process can still allocate without being killed: the smaller of the
// machine's available memory (MemAvailable of /proc/meminfo) and what its memory
// cgroup leaves (limit less usage, cgroup v2 or v1); 0 when none of them is known.
std::uint64_t available_memory_bytes();
