#pragma once
// StartHelper: work for a second core, when one can be had.
//
// Starts `work` on another thread and returns a Helper, which the caller finishes (waits for)
// once it has done its own share. The work goes to one worker thread kept for the rest of the
// process, so handing it over costs a wake-up rather than a thread's start and end (about 40
// microseconds on a virtual machine: as much as a projected dab's whole walk). While the
// worker runs another caller's work, `work` gets a thread of its own; when no thread can start
// (memory or process limits), it runs here before StartHelper returns. Either way the work is
// done exactly once, so callers split work into parts that do not depend on the order they
// run in.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <thread>
#include <utility>

namespace gessoria {

class HelperWorker;

class Helper {
public:
    Helper() = default;
    Helper(Helper&& other) noexcept;
    Helper& operator=(Helper&& other) noexcept;
    Helper(const Helper&) = delete;
    Helper& operator=(const Helper&) = delete;
    ~Helper() { Finish(); }

    // Waits until the work is done; nothing when it already is.
    void Finish();

private:
    friend Helper StartHelperFunction(std::function<void()> work);
    HelperWorker* worker_ = nullptr;  // the kept worker, while it runs this work
    std::thread thread_;
};

Helper StartHelperFunction(std::function<void()> work);

template <typename Work>
Helper StartHelper(Work&& work)
{
    return StartHelperFunction(std::function<void()>(std::forward<Work>(work)));
}

// Where to split `count` items, in order, into two runs of about half the total weight each,
// one for each core: the first item of the second run, or `count` when there is nothing to
// split. weightOf(i) is item i's weight.
template <typename WeightOf>
std::size_t SecondHalfStart(std::size_t count, WeightOf&& weightOf)
{
    std::uint64_t total = 0;
    for (std::size_t i = 0; i < count; ++i)
        total += static_cast<std::uint64_t>(weightOf(i));
    std::size_t split = 0;
    for (std::uint64_t first = 0; split < count && 2 * first < total; ++split)
        first += static_cast<std::uint64_t>(weightOf(split));
    return split == 0 ? count : split;
}

} // namespace gessoria
