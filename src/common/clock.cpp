#include "common/clock.h"

#include <cstdint>

void Clock::tic() { gettimeofday(&start, nullptr); }
void Clock::toc() { gettimeofday(&stop, nullptr); }

double Clock::passed() const {
    const std::int32_t ds = static_cast<std::int32_t>(stop.tv_sec - start.tv_sec);
    const std::int32_t dus = static_cast<std::int32_t>(stop.tv_usec - start.tv_usec);
    const double ms = dus / 1000.0 + static_cast<std::int32_t>(ds * 1000) + 0.5;
    return static_cast<double>(static_cast<std::int32_t>(ms));
}
