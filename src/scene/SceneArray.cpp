#include "scene/SceneArray.h"

#include "scene/SceneMemoryReserve.h"

#include <cstdint>
#include <cstdlib>
#include <sys/mman.h>

namespace gessoria {
namespace {

constexpr std::size_t kPage = 4096;
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
    const std::size_t unit = bytes >= kHugeFrom ? kHugePageBytes : kPage;
    return (bytes + unit - 1) & ~(unit - 1);
}

} // namespace

void* AllocateZeroedSceneMemory(std::size_t bytes)
{
    if (bytes < kMappedFrom) {
        void* memory = std::calloc(bytes == 0 ? 1 : bytes, 1);
        if (memory == nullptr)
            throw std::bad_alloc();
        return memory;
    }
    const std::size_t length = MappedLength(bytes);
    if (length < bytes || length + kHugePageBytes < length)
        throw std::bad_alloc();
    if (bytes < kHugeFrom) {
        void* memory = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (memory == MAP_FAILED)
            throw std::bad_alloc();
        return memory;
    }
    if (SceneMemoryReserve* reserve = CurrentSceneMemoryReserve())
        if (void* taken = reserve->Take(length))
            return taken;
    void* memory = MapHugePages(length);
    if (memory == nullptr)
        throw std::bad_alloc();
    return memory;
}

void* MapHugePages(std::size_t length)
{
    if (length == 0 || length % kHugePageBytes != 0 || length + kHugePageBytes < length)
        return nullptr;
    // One huge page more than needed, trimmed at both ends, so the memory starts on a huge-page
    // boundary where the kernel can back it with huge pages.
    void* raw = ::mmap(nullptr, length + kHugePageBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = (start + kHugePageBytes - 1) & ~(std::uintptr_t{kHugePageBytes} - 1);
    if (aligned > start)
        ::munmap(raw, aligned - start);
    const std::uintptr_t end = start + length + kHugePageBytes;
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
    else
        ::munmap(memory, MappedLength(bytes));
}

} // namespace gessoria
