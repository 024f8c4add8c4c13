#include "model/work_threads.h"

#include <algorithm>
#include <exception>
#include <thread>
#include <vector>

namespace textresgen {

unsigned ThreadsForThisMachine() { return std::min(std::max(std::thread::hardware_concurrency(), 1u), 4u); }

void RunOnThreads(unsigned count, const std::function<void(unsigned index)>& work) {
    std::vector<std::exception_ptr> failures(count);
    const auto call = [&](unsigned index) {
        try {
            work(index);
        } catch (...) {
            failures[index] = std::current_exception();
        }
    };
    std::vector<std::thread> helpers;
    helpers.reserve(count > 0 ? count - 1 : 0);  // may throw, but before any thread runs
    unsigned started = 1;
    for (; started < count; ++started) {
        // A thread that cannot be started, for want of threads or of memory,
        // leaves its calls to this one. Letting the exception out here would
        // destroy the threads already running, which ends the program.
        try {
            helpers.emplace_back(call, started);
        } catch (...) {
            break;
        }
    }
    call(0);
    for (unsigned index = started; index < count; ++index) call(index);
    for (std::thread& helper : helpers) helper.join();
    for (const std::exception_ptr& failure : failures)
        if (failure) std::rethrow_exception(failure);
}

}  // namespace textresgen
