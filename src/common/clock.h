#pragma once

#include <sys/time.h>

// Wall-clock stopwatch with whole-millisecond readings.
struct Clock {
    timeval start{};
    timeval stop{};

    Clock() { tic(); }
    void tic();
    void toc();
    // Whole milliseconds from start to stop, halves rounded up; reads the stored stamps only.
    double passed() const;
};
