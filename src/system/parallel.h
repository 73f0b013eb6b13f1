#pragma once

#include <functional>

// Runs task(c) for every c in 0 .. count-1 on `threads` threads (the calling one among
// them), each thread taking the next undone c. Which thread runs which c varies; a
// caller that wants the same bits for any thread count lets each c write only its own
// output and combines the outputs in c order afterwards. The first exception thrown by
// a task is rethrown here once all threads have stopped.
void run_parallel(unsigned threads, unsigned count, const std::function<void(unsigned)>& task);

// Threads to use when none is asked for: every core std::thread reports, at least one.
unsigned default_thread_count();
