#include "system/progress.h"

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <iostream>
#include <sstream>

namespace {

double steady_seconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

std::string time_left_text(double seconds) {
    const std::uint64_t s = static_cast<std::uint64_t>(std::ceil(seconds > 0.0 ? seconds : 0.0));
    std::ostringstream os;
    if (s >= 3600)
        os << s / 3600 << " h " << (s % 3600) / 60 << " min";
    else if (s >= 60)
        os << s / 60 << " min " << s % 60 << " s";
    else
        os << s << " s";
    return os.str();
}

std::string progress_line(const std::string& title, std::uint64_t done, std::uint64_t total, double elapsed) {
    if (done > total) done = total;
    const unsigned percent = total == 0 ? 100u : static_cast<unsigned>(100.0 * static_cast<double>(done) / static_cast<double>(total));
    std::ostringstream os;
    os << title << " ";
    if (percent < 100) os << (percent < 10 ? "  " : " ");
    os << percent << "%";
    if (done > 0 && done < total) {
        const double left = elapsed * static_cast<double>(total - done) / static_cast<double>(done);
        os << "  about " << time_left_text(left) << " left";
    }
    return os.str();
}

Progress::Progress(std::string title_, std::uint64_t total_)
    : Progress(std::move(title_), total_, ::isatty(2) ? &std::cerr : nullptr, steady_seconds) {}

Progress::Progress(std::string title_, std::uint64_t total_, std::ostream* out_, std::function<double()> now_)
    : title(std::move(title_)), total(total_), now(std::move(now_)), out(out_) {
    start = now();
    last_draw = start;
}

void Progress::update(std::uint64_t done) {
    if (out == nullptr) return;
    const double t = now();
    if (t - last_draw < interval) return;
    last_draw = t;
    const std::string line = progress_line(title, done, total, t - start);
    // Blanks after the text cover what is left of a longer line drawn before.
    const std::size_t pad = drawn_width > line.size() ? drawn_width - line.size() : 0;
    *out << "\r" << line << std::string(pad, ' ') << std::flush;
    drawn_width = line.size() + pad;
}

void Progress::finish() {
    if (out == nullptr || drawn_width == 0) return;
    // Blank out the line and return to its start, so the next output begins clean.
    *out << "\r" << std::string(drawn_width, ' ') << "\r" << std::flush;
    drawn_width = 0;
}
