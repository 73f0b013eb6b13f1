#include "system/parallel.h"

#include <algorithm>
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

unsigned default_thread_count() { return std::max(1u, std::thread::hardware_concurrency()); }
