#pragma once
// SceneMemoryReserve: zeroed memory made ready for a scene's arrays before their sizes are known.
//
// A loader that waits on something else (a library reading a model on one core) can have the
// other core map and fault in the memory the scene's arrays are expected to take, so filling
// them afterwards does not stop at every fresh page for the system to zero it. While a
// reserve is in use on a thread (Use), that thread's scene arrays of huge-page size are taken
// from it in order, as long as it has room; the others, and every array once it is full, are
// mapped as usual. The memory is fresh from the system, so it is zero whether or not it was
// faulted in, and an array taken from it is released like any other. What no array took goes
// back to the system when the reserve ends.
//
// A wrong estimate costs nothing but the faulting: too small, and the later arrays fault in
// as they are filled; too large, and the rest is returned unused.

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace gessoria {

class SceneMemoryReserve {
public:
    // Maps `bytes` (rounded up to huge pages), without touching it; nothing when 0 or when the
    // system refuses the mapping.
    explicit SceneMemoryReserve(std::size_t bytes);
    ~SceneMemoryReserve();
    SceneMemoryReserve(const SceneMemoryReserve&) = delete;
    SceneMemoryReserve& operator=(const SceneMemoryReserve&) = delete;

    // Faults the memory in, a huge page at a time, until it is all in or `stop` is set. For
    // another thread, while this one waits; nothing is taken from the reserve meanwhile.
    void Prepare(const std::atomic<bool>& stop);

    // Scene arrays of huge-page size made on this thread while it lives come from `reserve`.
    class Use {
    public:
        explicit Use(SceneMemoryReserve& reserve);
        ~Use();
        Use(const Use&) = delete;
        Use& operator=(const Use&) = delete;

    private:
        SceneMemoryReserve* previous_;
    };

    // `length` bytes (a whole number of huge pages) from the front of what is left, or nullptr
    // when too little is left.
    void* Take(std::size_t length);

private:
    std::uintptr_t next_ = 0;  // on a huge-page boundary
    std::uintptr_t end_ = 0;
};

// The reserve in use on this thread, or nullptr.
SceneMemoryReserve* CurrentSceneMemoryReserve();

} // namespace gessoria
