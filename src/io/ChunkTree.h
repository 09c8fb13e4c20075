#pragma once
// ChunkTree: the chunk structure of a 3D Studio file, parsed up front.
//
// A chunk is a 16-bit id, a 32-bit length counting the whole chunk with its 6-byte header,
// the chunk's own data, then its sub-chunks. Which chunks have sub-chunks, and how much own
// data precedes them, is known per id (see ChunkLayout in the .cpp); every other chunk is a
// leaf whose bytes are read on demand. Parsing fails on any chunk that runs past its parent
// or the file, or on stray bytes inside a container, so a malformed file never yields a
// partial tree, and on nesting far deeper than any 3D Studio writer produces (64 levels), so
// a hostile file cannot exhaust the stack. The first fault found is told in words, with the
// chunk's id and where it starts in the file ("chunk 0x4120 at byte 1234 runs past the end of
// the file").

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace gessoria {

struct Chunk {
    std::uint16_t id = 0;
    std::span<const std::uint8_t> data;  // own data and sub-chunks, header excluded
    std::vector<Chunk> children;

    // The first direct child with this id, or nullptr.
    const Chunk* Find(std::uint16_t childId) const;
};

class ChunkTree {
public:
    // The tree over `file` (which must outlive it), or nothing when the file is malformed,
    // with the first fault found in `reason` when one is given.
    static std::optional<ChunkTree> Parse(std::span<const std::uint8_t> file, std::string* reason = nullptr);

    const Chunk& root() const { return root_; }

private:
    Chunk root_;
};

} // namespace gessoria
