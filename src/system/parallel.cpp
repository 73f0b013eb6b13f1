#include "system/parallel.h"

#include <sched.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <atomic>
#include <exception>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

void run_parallel(unsigned threads, unsigned count, const std::function<void(unsigned)>& task) {
    std::atomic<unsigned> next{0};
    std::exception_ptr failure;
    std::mutex failure_mutex;
    auto work = [&]() {
        for (unsigned c = next++; c < count; c = next++) {
            try {
                task(c);
            } catch (...) {
                const std::lock_guard<std::mutex> lock(failure_mutex);
                if (!failure) failure = std::current_exception();
                next = count;
            }
        }
    };
    const unsigned helpers = std::min(threads, count) > 1 ? std::min(threads, count) - 1 : 0;
    std::vector<std::thread> pool;
    pool.reserve(helpers);
    try {
        for (unsigned t = 0; t < helpers; ++t) pool.emplace_back(work);
    } catch (const std::system_error&) {
        // No more threads to be had (a process or address-space limit): fewer do the work.
    } catch (const std::bad_alloc&) {
        // Nor the memory for another thread's state.
    }
    work();
    for (std::thread& t : pool) t.join();
    if (failure) std::rethrow_exception(failure);
}

namespace {

// A positive whole number at the start of text (up to a comma or the end), else 0.
unsigned leading_count(const std::string& text) {
    unsigned long long value = 0;
    std::size_t k = 0;
    for (; k < text.size() && text[k] >= '0' && text[k] <= '9'; ++k) {
        value = value * 10 + static_cast<unsigned>(text[k] - '0');
        if (value > 1u << 20) return 0;
    }
    if (k == 0 || (k < text.size() && text[k] != ',')) return 0;
    return static_cast<unsigned>(value);
}

// The first line of a file, or empty when it cannot be read.
std::string first_line(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

// cpu.max of this process's cgroup (v2): the path of "0::PATH" in /proc/self/cgroup under
// /sys/fs/cgroup, else the root's (what a container sees of its own).
std::string cgroup_cpu_max() {
    std::ifstream in("/proc/self/cgroup");
    std::string line;
    while (std::getline(in, line)) {
        if (line.compare(0, 3, "0::") != 0) continue;
        const std::string text = first_line("/sys/fs/cgroup" + line.substr(3) + "/cpu.max");
        if (!text.empty()) return text;
    }
    return first_line("/sys/fs/cgroup/cpu.max");
}

}  // namespace

unsigned thread_count_from(unsigned cores, const std::string& cpu_max, const char* omp_num_threads) {
    if (omp_num_threads != nullptr) {
        const unsigned asked = leading_count(omp_num_threads);
        if (asked > 0) return asked;
    }
    unsigned n = cores != 0 ? cores : std::max(1u, std::thread::hardware_concurrency());
    // "QUOTA PERIOD" in microseconds: QUOTA/PERIOD cores' worth of time, rounded up.
    std::istringstream fields(cpu_max);
    std::string quota_text;
    double period = 0.0;
    if (fields >> quota_text >> period && quota_text != "max" && period > 0.0) {
        const double quota = std::atof(quota_text.c_str());
        if (quota > 0.0) n = std::min(n, static_cast<unsigned>(std::max(1.0, std::ceil(quota / period))));
    }
    return std::max(1u, n);
}

unsigned default_thread_count() {
    unsigned cores = 0;
    cpu_set_t mask;
    if (::sched_getaffinity(0, sizeof(mask), &mask) == 0) cores = static_cast<unsigned>(CPU_COUNT(&mask));
    return thread_count_from(cores, cgroup_cpu_max(), std::getenv("OMP_NUM_THREADS"));
}
