#include "io/ChunkTree.h"

#include "io/LittleEndian.h"

#include <algorithm>

namespace gessoria {
namespace {

constexpr std::size_t kHeaderSize = 6;

// The deepest nesting parsed. A well-formed file nests six levels (root, mesh data, named
// object, triangle mesh, faces, material group); containers nested inside themselves could
// otherwise go as deep as the file is long and exhaust the stack, here and when the tree is
// destroyed.
constexpr int kMaxDepth = 64;

// How a chunk's data is laid out: a leaf, or a container whose sub-chunks follow `prefix`
// bytes of its own data.
struct ChunkLayout {
    enum class Kind { Leaf, Container, Malformed } kind = Kind::Leaf;
    std::size_t prefix = 0;
};

bool IsPlainContainer(std::uint16_t id)
{
    switch (id) {
    case 0x4D4D: case 0xC23D: case 0x3DAA:                 // roots
    case 0x3D3D:                                            // mesh data
    case 0xAFFF:                                            // material entry
    case 0xA010: case 0xA020: case 0xA030:                  // colours
    case 0xA040: case 0xA041: case 0xA050: case 0xA052: case 0xA053: case 0xA084:  // percentages
    case 0xA200: case 0xA33E: case 0xA33A: case 0xA340:     // texture 1 and 2, masks
    case 0xA210: case 0xA342: case 0xA230: case 0xA344:     // opacity, bump, masks
    case 0xA33C: case 0xA346: case 0xA33D: case 0xA34A:     // shininess, self illumination, masks
    case 0x4100:                                            // triangle mesh
        return true;
    default:
        return false;
    }
}

ChunkLayout LayoutOf(std::uint16_t id, std::span<const std::uint8_t> data)
{
    if (IsPlainContainer(id))
        return {ChunkLayout::Kind::Container, 0};
    if (id == 0x4000) {  // named object: a NUL-terminated name, then sub-chunks
        const auto nul = std::find(data.begin(), data.end(), std::uint8_t{0});
        if (nul == data.end())
            return {ChunkLayout::Kind::Malformed, 0};
        return {ChunkLayout::Kind::Container, static_cast<std::size_t>(nul - data.begin()) + 1};
    }
    if (id == 0x4120) {  // faces: a count and four words per face, then sub-chunks
        if (!le::Has(data, 0, 2))
            return {ChunkLayout::Kind::Malformed, 0};
        const std::size_t prefix = 2 + 8 * static_cast<std::size_t>(le::U16(data, 0));
        if (prefix > data.size())
            return {ChunkLayout::Kind::Malformed, 0};
        return {ChunkLayout::Kind::Container, prefix};
    }
    return {};
}

bool ParseChildren(Chunk& parent, std::span<const std::uint8_t> area, int depth)
{
    if (depth > kMaxDepth)
        return false;
    std::size_t at = 0;
    while (at < area.size()) {
        if (!le::Has(area, at, kHeaderSize))
            return false;
        const std::uint16_t id = le::U16(area, at);
        const std::uint32_t length = le::U32(area, at + 2);
        if (length < kHeaderSize || length > area.size() - at)
            return false;
        Chunk child;
        child.id = id;
        child.data = area.subspan(at + kHeaderSize, length - kHeaderSize);
        const ChunkLayout layout = LayoutOf(id, child.data);
        if (layout.kind == ChunkLayout::Kind::Malformed)
            return false;
        if (layout.kind == ChunkLayout::Kind::Container && !ParseChildren(child, child.data.subspan(layout.prefix), depth + 1))
            return false;
        parent.children.push_back(std::move(child));
        at += length;
    }
    return true;
}

} // namespace

const Chunk* Chunk::Find(std::uint16_t childId) const
{
    for (const Chunk& child : children)
        if (child.id == childId)
            return &child;
    return nullptr;
}

std::optional<ChunkTree> ChunkTree::Parse(std::span<const std::uint8_t> file)
{
    if (!le::Has(file, 0, kHeaderSize))
        return std::nullopt;
    const std::uint16_t id = le::U16(file, 0);
    const std::uint32_t length = le::U32(file, 2);
    if (length < kHeaderSize || length > file.size())
        return std::nullopt;
    if (id != 0x4D4D && id != 0xC23D && id != 0x3DAA)
        return std::nullopt;
    ChunkTree tree;
    tree.root_.id = id;
    tree.root_.data = file.subspan(kHeaderSize, length - kHeaderSize);
    if (!ParseChildren(tree.root_, tree.root_.data, 1))
        return std::nullopt;
    return tree;
}

} // namespace gessoria
