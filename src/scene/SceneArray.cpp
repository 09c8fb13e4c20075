#include "scene/SceneArray.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <sys/mman.h>

namespace gessoria {
namespace {

constexpr std::size_t kPage = 4096;
constexpr std::size_t kHugePage = std::size_t{2} << 20;
// From here on an array is mapped on its own: fresh pages are zero, so nothing is cleared, and
// the memory goes back to the system when the array is freed. Below it calloc is cheaper.
// (Leaving mid-sized arrays to malloc would let its moving mmap threshold put them on the
// heap, where calloc must clear them and the heap's trimming faults them in again each time.)
constexpr std::size_t kMappedFrom = std::size_t{64} << 10;
// From here on the mapping is offered huge pages. Rounding up may waste three quarters of a
// half-MiB array, yet a 2-byte-per-face array of half a million faces (flags, materials)
// written through a page at a time takes 250 page faults, at over 10 us each on the virtual
// machines we measure on, where huge pages take one fault per 2 MiB.
constexpr std::size_t kHugeFrom = std::size_t{512} << 10;

std::size_t MappedLength(std::size_t bytes)
{
    const std::size_t unit = bytes >= kHugeFrom ? kHugePage : kPage;
    return (bytes + unit - 1) & ~(unit - 1);
}

// Huge-page arrays freed lately, kept for the next arrays made for overwrite: a model opened
// after another scene (or the same file again) takes its arrays from here, already faulted
// in, instead of mapping fresh memory the system must clear page by page and unmapping the
// old. Bounded, so what is not taken again soon goes back to the system.
class FreedMappings {
public:
    // A kept mapping of at least `length` bytes, cut to `length`; null when none is kept.
    void* Take(std::size_t length)
    {
        const std::lock_guard lock(mutex_);
        std::size_t best = count_;
        for (std::size_t i = 0; i < count_; ++i)
            if (kept_[i].length >= length && (best == count_ || kept_[i].length < kept_[best].length))
                best = i;
        if (best == count_)
            return nullptr;
        const Mapping taken = kept_[best];
        Forget(best);
        // Lengths are whole huge pages, so the rest still starts on a huge-page boundary.
        if (taken.length > length)
            ::munmap(static_cast<char*>(taken.memory) + length, taken.length - length);
        return taken.memory;
    }

    // Gives every kept mapping back to the system; false when none was kept.
    bool GiveBackAll() noexcept
    {
        const std::lock_guard lock(mutex_);
        const bool any = count_ > 0;
        while (count_ > 0) {
            ::munmap(kept_[0].memory, kept_[0].length);
            Forget(0);
        }
        return any;
    }

    // Keeps the mapping, giving back the oldest kept ones beyond the bound; false when the
    // mapping alone is beyond it (the caller unmaps it). Never allocates: it runs where
    // memory is released.
    bool Keep(void* memory, std::size_t length) noexcept
    {
        if (length > kMaxKeptBytes)
            return false;
        const std::lock_guard lock(mutex_);
        while (count_ > 0 && (keptBytes_ + length > kMaxKeptBytes || count_ == kMaxKept)) {
            ::munmap(kept_[0].memory, kept_[0].length);
            Forget(0);
        }
        kept_[count_++] = {memory, length};
        keptBytes_ += length;
        return true;
    }

private:
    struct Mapping {
        void* memory;
        std::size_t length;
    };
    // A scene of half a million faces holds about 50 MiB in some 25 arrays.
    static constexpr std::size_t kMaxKeptBytes = std::size_t{256} << 20;
    static constexpr std::size_t kMaxKept = 64;

    void Forget(std::size_t i) noexcept
    {
        keptBytes_ -= kept_[i].length;
        std::copy(kept_.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                  kept_.begin() + static_cast<std::ptrdiff_t>(count_), kept_.begin() + static_cast<std::ptrdiff_t>(i));
        --count_;
    }

    std::mutex mutex_;
    std::array<Mapping, kMaxKept> kept_{};  // oldest first
    std::size_t count_ = 0;
    std::size_t keptBytes_ = 0;
};

FreedMappings& Freed()
{
    static FreedMappings freed;
    return freed;
}

// Fresh zeroed memory from the system, null when there is none. Kept mappings count against
// the process's memory limits, so before giving up they are all given back and it tries again.
void* MapFresh(std::size_t length)
{
    for (;;) {
        void* memory = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (memory != MAP_FAILED)
            return memory;
        if (!Freed().GiveBackAll())
            return nullptr;
    }
}

// Set while SceneArrayForOverwrite makes its array: a kept mapping may then be handed over as
// it is, since every element will be written before it is read.
thread_local bool tOverwriteNext = false;

} // namespace

OverwriteScope::OverwriteScope() noexcept { tOverwriteNext = true; }
OverwriteScope::~OverwriteScope() { tOverwriteNext = false; }

void* AllocateZeroedSceneMemory(std::size_t bytes)
{
    if (bytes < kMappedFrom) {
        void* memory = std::calloc(bytes == 0 ? 1 : bytes, 1);
        if (memory == nullptr && Freed().GiveBackAll())
            memory = std::calloc(bytes == 0 ? 1 : bytes, 1);
        if (memory == nullptr)
            throw std::bad_alloc();
        return memory;
    }
    const std::size_t length = MappedLength(bytes);
    if (length < bytes || length + kHugePage < length)
        throw std::bad_alloc();
    // Only an array its maker overwrites takes kept memory: any other array is fresh, zero
    // without being cleared, and faults in only the pages it touches.
    if (bytes >= kHugeFrom && tOverwriteNext) {
        if (void* kept = Freed().Take(length))
            return kept;
    }
    if (bytes < kHugeFrom) {
        void* memory = MapFresh(length);
        if (memory == nullptr)
            throw std::bad_alloc();
        return memory;
    }
    // One huge page more than needed, trimmed at both ends, so the array starts on a huge-page
    // boundary where the kernel can back it with huge pages.
    void* raw = MapFresh(length + kHugePage);
    if (raw == nullptr)
        throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = (start + kHugePage - 1) & ~(std::uintptr_t{kHugePage} - 1);
    if (aligned > start)
        ::munmap(raw, aligned - start);
    const std::uintptr_t end = start + length + kHugePage;
    if (end > aligned + length)
        ::munmap(reinterpret_cast<void*>(aligned + length), end - (aligned + length));
    // Advice only: without huge pages the memory works the same, a page at a time.
    ::madvise(reinterpret_cast<void*>(aligned), length, MADV_HUGEPAGE);
    return reinterpret_cast<void*>(aligned);
}

void FreeSceneMemory(void* memory, std::size_t bytes) noexcept
{
    if (memory == nullptr)
        return;
    if (bytes < kMappedFrom)
        std::free(memory);
    else if (bytes < kHugeFrom || !Freed().Keep(memory, MappedLength(bytes)))
        ::munmap(memory, MappedLength(bytes));
}

} // namespace gessoria
