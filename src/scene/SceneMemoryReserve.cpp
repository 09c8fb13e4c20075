#include "scene/SceneMemoryReserve.h"

#include "scene/SceneArray.h"

#include <sys/mman.h>

namespace gessoria {
namespace {

thread_local SceneMemoryReserve* tCurrent = nullptr;

} // namespace

SceneMemoryReserve::SceneMemoryReserve(std::size_t bytes)
{
    const std::size_t length = (bytes + kHugePageBytes - 1) & ~(kHugePageBytes - 1);
    if (length < bytes)
        return;
    if (void* memory = MapHugePages(length)) {
        next_ = reinterpret_cast<std::uintptr_t>(memory);
        end_ = next_ + length;
    }
}

SceneMemoryReserve::~SceneMemoryReserve()
{
    if (end_ > next_)
        ::munmap(reinterpret_cast<void*>(next_), end_ - next_);
}

void SceneMemoryReserve::Prepare(const std::atomic<bool>& stop)
{
#ifdef MADV_POPULATE_WRITE
    for (std::uintptr_t at = next_; at < end_ && !stop.load(std::memory_order_relaxed); at += kHugePageBytes)
        if (::madvise(reinterpret_cast<void*>(at), kHugePageBytes, MADV_POPULATE_WRITE) != 0)
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
