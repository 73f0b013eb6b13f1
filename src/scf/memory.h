#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The table of distinct two-electron integrals, every entry -1.0 until computed.
// Its size is checked against the address space and the machine's memory before
// anything is allocated; when it does not fit, the run stops with a Failure that
// names the input file and the size needed.
std::vector<double> allocate_integral_table(std::uint64_t entries, const std::string& path);

// Bytes of physical memory of this machine, or 0 when unknown.
std::uint64_t physical_memory_bytes();
