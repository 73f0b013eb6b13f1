#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

// A progress line for long loops, e.g. "\rTwo-electron integrals  42%  about 1 min 5 s left".
// It is shown on standard error only when that is a terminal, so redirected
// output and the report on standard output never see it. Updates are
// throttled: the line is redrawn at most every `interval` seconds. The time
// left is extrapolated linearly from the elapsed time and the fraction done.
struct Progress {
    std::string title;
    std::uint64_t total = 0;
    double interval = 0.25;            // seconds between redraws
    std::function<double()> now;       // seconds on a monotonic clock
    std::ostream* out = nullptr;       // null: draw nothing
    double start = 0.0;
    double last_draw = 0.0;
    std::size_t drawn_width = 0;       // characters of the line on screen; 0 when none

    // Shows the line on std::cerr when file descriptor 2 is a terminal, with the steady clock.
    Progress(std::string title, std::uint64_t total);
    // For tests: an explicit stream (or none) and clock.
    Progress(std::string title, std::uint64_t total, std::ostream* out, std::function<double()> now);
    ~Progress() { finish(); }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // Reports that `done` of `total` items are finished; redraws when the interval has passed.
    void update(std::uint64_t done);
    // Clears the line, once.
    void finish();
};

// The text of the progress line (without "\r"): title, whole percent done and,
// once something is done, the estimated time left
//   t_left = elapsed * (total - done) / done.
std::string progress_line(const std::string& title, std::uint64_t done, std::uint64_t total, double elapsed);

// A duration in seconds as "5 s", "1 min 5 s" or "2 h 3 min", rounded up to whole seconds.
std::string time_left_text(double seconds);
