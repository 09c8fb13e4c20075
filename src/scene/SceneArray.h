#pragma once
// SceneArray: the vector type of the scene's per-vertex and per-face arrays.
//
// A new array's elements are zero bytes (0, 0.0f) without the program writing them: arrays
// of 64 KiB and more are mapped from the system, whose fresh pages are zero and cost nothing
// until first touched, and smaller ones come from calloc. Resizing default-initialises, so
// it never writes either; a loader's own writes are the first touch. Arrays of half a MiB and more
// start on a 2 MiB boundary and are offered transparent huge pages (madvise), so where the
// system provides them the first touch faults once per 2 MiB instead of once per 4 KiB page.
// This is what makes opening a scene of half a million faces cheap. Files are read into
// the same kind of memory (ReadFileBytes).
//
// Only for element types whose zero bytes are their zero value (numbers and arrays of them).
// Grow an array only by making a new one: resizing within an array's capacity leaves the
// new elements as whatever that memory held.

#include <cstddef>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

namespace gessoria {

// Zeroed memory for `bytes` (at least 16-byte aligned); throws std::bad_alloc.
void* AllocateZeroedSceneMemory(std::size_t bytes);
// Releases what AllocateZeroedSceneMemory returned for the same byte count.
void FreeSceneMemory(void* memory, std::size_t bytes) noexcept;
// The huge page scene memory is mapped in.
inline constexpr std::size_t kHugePageBytes = std::size_t{2} << 20;
// `length` bytes (a whole number of huge pages) mapped from the system on a huge-page
// boundary and offered huge pages, untouched (so zero); nullptr when the length is not such a
// number or the system refuses. Released with munmap, in any whole huge pages.
void* MapHugePages(std::size_t length);

template <typename T>
class SceneAllocator {
    static_assert(std::is_trivially_default_constructible_v<T> && std::is_trivially_destructible_v<T>);

public:
    using value_type = T;

    SceneAllocator() = default;
    template <typename U>
    SceneAllocator(const SceneAllocator<U>&) noexcept {}

    T* allocate(std::size_t n)
    {
        if (n > static_cast<std::size_t>(-1) / sizeof(T))
            throw std::bad_array_new_length();
        return static_cast<T*>(AllocateZeroedSceneMemory(n * sizeof(T)));
    }
    void deallocate(T* p, std::size_t n) noexcept { FreeSceneMemory(p, n * sizeof(T)); }

    // Default-initialisation: the zeroed memory stays untouched.
    template <typename U>
    void construct(U* p) noexcept
    {
        ::new (static_cast<void*>(p)) U;
    }
    template <typename U, typename... Args>
    void construct(U* p, Args&&... args)
    {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }

    template <typename U>
    bool operator==(const SceneAllocator<U>&) const noexcept { return true; }
};

template <typename T>
using SceneArray = std::vector<T, SceneAllocator<T>>;

} // namespace gessoria
