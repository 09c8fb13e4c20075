#pragma once
// StartHelper: work for a second core, when one can be had.
//
// Starts `work` on a thread of its own and returns that thread, for the caller to join once
// it has done its own share. When no thread can start (memory or process limits), `work`
// runs here before StartHelper returns, and the returned thread is not joinable. Either way
// the work is done exactly once, so callers split work into parts that do not depend on the
// order they run in.

#include <system_error>
#include <thread>

namespace gessoria {

template <typename Work>
std::thread StartHelper(Work&& work)
{
    try {
        return std::thread(work);
    } catch (const std::system_error&) {
        work();
        return std::thread();
    }
}

// Waits for a thread StartHelper returned.
inline void FinishHelper(std::thread& helper)
{
    if (helper.joinable())
        helper.join();
}

} // namespace gessoria
