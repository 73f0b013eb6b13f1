// Sizes of the two-electron table and the memory it is checked against. The
// counts come from the closed form m(m+1)/2, m = n(n+1)/2, evaluated in exact
// integer arithmetic (Python) independently of the code; the cgroup and
// meminfo texts are those the Linux kernel writes.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "common/failure.h"
#include "integrals/eri_table.h"
#include "system/memory.h"

namespace {
constexpr std::uint64_t sat = std::numeric_limits<std::uint64_t>::max();
}

TEST(IntegralCount, ClosedFormWithoutWrapping) {
    struct Case {
        std::uint64_t n;
        std::uint64_t count;  // python3: m = n*(n+1)//2; m*(m+1)//2
    };
    const Case cases[] = {
        {0, 0},
        {1, 1},
        {2, 6},       // (11|11) (21|11) (21|21) (22|11) (22|21) (22|22)
        {7, 406},     // water in STO-3G
        {430, UINT64_C(4293447445)},
        {3000, UINT64_C(10131753375750)},
        {92681, UINT64_C(9223212803777019531)},  // last n whose m(m+1) fits in 64 bits
        {92682, UINT64_C(9223610870794785156)},  // m(m+1) passes 2^64 here, the count does not
        {110000, UINT64_C(18301582754537527500)},
        {110218, sat},  // 18447095587223926756 > 2^64 - 1
        {UINT64_C(1) << 20, sat},
        {UINT64_C(4294967295), sat},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n);
        EXPECT_EQ(distinct_integral_count(c.n), c.count);
        // The table's last index agrees while it does not wrap.
        if (c.n >= 1 && c.n <= 92681) {
            EXPECT_EQ(TwoElectronTable::entries(c.n), c.count);
        }
    }
    // The long double form keeps the magnitude past saturation:
    // n = 2^20 gives 151116015682617115672576.
    EXPECT_NEAR(static_cast<double>(distinct_integral_count_ld(UINT64_C(1) << 20)), 1.51116015682617e23, 1e10);
}

TEST(MemoryMessage, StatesTheSizesOfAnyMolecule) {
    struct Case {
        const char* what;
        std::uint64_t functions, atoms;
        const char* expected;  // n^2 (12 + atoms) doubles in MiB
    };
    // The early check is of the matrices only (the integrals are judged once their
    // path is known): 12 engine matrices and one attraction matrix per atom, n^2
    // doubles each. Neon grid of 600 atoms: 3000^2 * 612 * 8 bytes = 42022.7 MiB.
    const Case cases[] = {
        {"3000 functions", 3000, 600, "the 3000 x 3000 matrices of the run alone need 42022.7 MiB"},
        {"92682 functions", 92682, 92682, "the 92682 x 92682 matrices of the run alone need 6.07481e+09 MiB"},
        {"2^20 functions", UINT64_C(1) << 20, 1, "the 1048576 x 1048576 matrices of the run alone need 1.09052e+08 MiB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            check_memory(c.functions, c.atoms, "big.in");
            FAIL() << "no Failure";
        } catch (const Failure& f) {
            EXPECT_EQ(f.status, exit_status::out_of_memory);
            EXPECT_NE(f.message.find("input file \"big.in\": "), std::string::npos) << f.message;
            EXPECT_NE(f.message.find(c.expected), std::string::npos) << f.message;
        }
    }
    // 1536 MiB available, stated as such.
    EXPECT_EQ(memory_message("m.in", 6, 6.0L, 0, UINT64_C(1) << 30 | UINT64_C(1) << 29),
              "Error: not enough memory for the two-electron integrals of input file \"m.in\": 6 integrals need "
              "4.57764e-05 MiB, 1536 MiB are available");
}

TEST(MemoryCheck, SmallMoleculePasses) {
    EXPECT_NO_THROW(check_memory(7, 3, "water.in"));
    EXPECT_NO_THROW(check_memory(0, 0, "empty.in"));
}

TEST(AvailableMemory, ReadFromTheKernelTexts) {
    EXPECT_EQ(meminfo_available("MemTotal:       24730900 kB\nMemFree:        21003784 kB\n"
                                "MemAvailable:   24294188 kB\nBuffers:          126404 kB\n"),
              UINT64_C(24294188) * 1024);
    EXPECT_FALSE(meminfo_available("MemTotal:       24730900 kB\nMemFree:        21003784 kB\n"));
    EXPECT_FALSE(meminfo_available("XMemAvailable:   1 kB\n"));

    struct Room {
        const char* limit;
        const char* usage;
        std::optional<std::uint64_t> room;
    };
    const Room rooms[] = {
        {"max\n", "123456\n", std::nullopt},                      // v2 without a limit
        {"9223372036854771712\n", "3551346688\n", std::nullopt},  // v1 without a limit (2^63 - 4096)
        {"1073741824\n", "268435456\n", UINT64_C(805306368)},     // 1 GiB less 256 MiB
        {"1073741824\n", "2147483648\n", UINT64_C(0)},            // usage above the limit
        {"1073741824\n", "", UINT64_C(1073741824)},               // usage not readable
    };
    for (const Room& r : rooms) {
        SCOPED_TRACE(r.limit);
        EXPECT_EQ(cgroup_room(r.limit, r.usage), r.room);
    }

    const CgroupPaths v1 = memory_cgroup_paths("9:name=systemd:/\n5:devices:/\n4:memory:/process_api/555d\n"
                                               "3:cpuset:/\n0::/\n");
    EXPECT_EQ(v1.v1, std::optional<std::string>("/process_api/555d"));
    EXPECT_EQ(v1.v2, std::optional<std::string>("/"));
    const CgroupPaths v1_joined = memory_cgroup_paths("7:cpuacct,memory:/user.slice\n");
    EXPECT_EQ(v1_joined.v1, std::optional<std::string>("/user.slice"));
    EXPECT_FALSE(v1_joined.v2);
    const CgroupPaths v2 = memory_cgroup_paths("0::/system.slice/velko.service\n");
    EXPECT_EQ(v2.v2, std::optional<std::string>("/system.slice/velko.service"));
    EXPECT_FALSE(v2.v1);
}
