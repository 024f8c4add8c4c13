#pragma once

#include <functional>

namespace textresgen {

// How many threads the program spreads its large steps over: one per core,
// at most four (two already halve the steps that can be shared; more would
// mostly add memory traffic).
unsigned ThreadsForThisMachine();

// Calls work(0) .. work(count - 1) at once, work(0) on this thread, and
// returns when all have returned. When no further thread can be started (no
// threads or no memory left), the remaining calls run here, one after another, so `work` must not wait for
// another call. What a call throws is thrown here, after all have ended.
void RunOnThreads(unsigned count, const std::function<void(unsigned index)>& work);

}  // namespace textresgen
