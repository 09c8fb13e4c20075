#include "scene/SceneMemoryReserve.h"

#include <sys/mman.h>

namespace gessoria {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

thread_local SceneMemoryReserve* tCurrent = nullptr;

} // namespace

SceneMemoryReserve::SceneMemoryReserve(std::size_t bytes)
{
    const std::size_t length = (bytes + kHugePage - 1) & ~(kHugePage - 1);
    if (length == 0 || length < bytes)
        return;
    // One huge page more, trimmed at both ends, so the reserve starts on a boundary.
    void* raw = ::mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        return;
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = (start + kHugePage - 1) & ~(std::uintptr_t{kHugePage} - 1);
    if (aligned > start)
        ::munmap(raw, aligned - start);
    const std::uintptr_t end = start + length + kHugePage;
    if (end > aligned + length)
        ::munmap(reinterpret_cast<void*>(aligned + length), end - (aligned + length));
    ::madvise(reinterpret_cast<void*>(aligned), length, MADV_HUGEPAGE);
    next_ = aligned;
    end_ = aligned + length;
}

SceneMemoryReserve::~SceneMemoryReserve()
{
    if (end_ > next_)
        ::munmap(reinterpret_cast<void*>(next_), end_ - next_);
}

void SceneMemoryReserve::Prepare(const std::atomic<bool>& stop)
{
#ifdef MADV_POPULATE_WRITE
    for (std::uintptr_t at = next_; at < end_ && !stop.load(std::memory_order_relaxed); at += kHugePage)
        if (::madvise(reinterpret_cast<void*>(at), kHugePage, MADV_POPULATE_WRITE) != 0)
            return;  // a system without it: the arrays fault in as they are filled
#else
    (void)stop;
#endif
}

void* SceneMemoryReserve::Take(std::size_t length)
{
    if (length > end_ - next_)
        return nullptr;
    void* taken = reinterpret_cast<void*>(next_);
    next_ += length;
    return taken;
}

SceneMemoryReserve::Use::Use(SceneMemoryReserve& reserve) : previous_(tCurrent)
{
    tCurrent = &reserve;
}

SceneMemoryReserve::Use::~Use()
{
    tCurrent = previous_;
}

SceneMemoryReserve* CurrentSceneMemoryReserve()
{
    return tCurrent;
}

} // namespace gessoria
