// The default thread count from the affinity mask, the cgroup v2 CPU quota (cpu.max:
// "QUOTA PERIOD" in microseconds, QUOTA/PERIOD cores rounded up) and OMP_NUM_THREADS
// (a positive whole number, or the first of a comma list, as OpenMP reads it).
#include <gtest/gtest.h>

#include <string>

#include "system/parallel.h"

TEST(DefaultThreads, AffinityQuotaAndOmpNumThreads) {
    const struct {  // cores of the mask, cpu.max, OMP_NUM_THREADS (nullptr: not set), threads
        unsigned cores;
        const char* cpu_max, *omp;
        unsigned expected;
        const char* why;
    } cases[] = {
        {8, "", nullptr, 8, "the affinity mask alone"},
        {1, "", nullptr, 1, "taskset -c 0"},
        {8, "200000 100000", nullptr, 2, "two cores' worth of time"},
        {8, "150000 100000", nullptr, 2, "1.5 cores' worth, rounded up"},
        {8, "50000 100000", nullptr, 1, "half a core: at least one thread"},
        {2, "400000 100000", nullptr, 2, "a quota above the mask: the mask"},
        {8, "200000 100000", "1", 1, "OMP_NUM_THREADS=1"},
        {1, "", "4", 4, "OMP_NUM_THREADS wins over the mask, as in OpenMP"},
        {8, "", "3,2", 3, "a nested list: its first level"},
        {8, "", "0", 8, "zero is not a thread count: ignored"},
        {8, "garbage", nullptr, 8, "an unreadable quota: ignored"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(thread_count_from(c.cores, c.cpu_max, c.omp), c.expected) << c.why;
}
