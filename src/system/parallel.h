#pragma once

#include <functional>
#include <string>

// Runs task(c) for every c in 0 .. count-1 on `threads` threads (the calling one among
// them), each thread taking the next undone c. Which thread runs which c varies; a
// caller that wants the same bits for any thread count lets each c write only its own
// output and combines the outputs in c order afterwards. The first exception thrown by
// a task is rethrown here once all threads have stopped.
void run_parallel(unsigned threads, unsigned count, const std::function<void(unsigned)>& task);

// Threads to use when none is asked for: OMP_NUM_THREADS when it is set to a positive whole
// number (its first entry, as OpenMP reads a list); otherwise the cores this process may run
// on (its CPU affinity mask: taskset, Slurm, containers), fewer when the cgroup's CPU quota
// (cpu.max) allows less; at least one.
unsigned default_thread_count();

// The rule of default_thread_count on given facts: `cores` from the affinity mask (0: not
// known, every core std::thread reports), the text of cgroup v2's cpu.max ("QUOTA PERIOD" or
// "max PERIOD"; empty: none) and of OMP_NUM_THREADS (nullptr: not set).
unsigned thread_count_from(unsigned cores, const std::string& cpu_max, const char* omp_num_threads);
