#include "io/ChunkTree.h"

#include "io/LittleEndian.h"

#include <algorithm>
#include <cstdio>

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

std::string Hex(std::uint16_t id)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(id));
    return text;
}

// Parses the sub-chunks in `area` and says what is wrong with the first malformed one.
class ChildParser {
public:
    ChildParser(std::span<const std::uint8_t> file, std::string* reason) : file_(file), reason_(reason) {}

    // The chunks of `area`, the data of `parent` after its own prefix, into `parent`.
    bool Parse(Chunk& parent, std::span<const std::uint8_t> area, int depth)
    {
        if (depth > kMaxDepth)
            return Fail("chunks nested more than " + std::to_string(kMaxDepth) + " deep at byte " +
                        std::to_string(Offset(area, 0)));
        std::size_t at = 0;
        while (at < area.size()) {
            if (!le::Has(area, at, kHeaderSize))
                return Fail(Beyond("a chunk header at byte " + std::to_string(Offset(area, at)), parent, area));
            const std::uint16_t id = le::U16(area, at);
            const std::uint32_t length = le::U32(area, at + 2);
            const std::string named = "chunk " + Hex(id) + " at byte " + std::to_string(Offset(area, at));
            if (length < kHeaderSize)
                return Fail(named + " is shorter than its own header (length " + std::to_string(length) + ")");
            if (length > area.size() - at) {
                if (!FaultInsideCut(id, area.subspan(at + kHeaderSize), depth))
                    Fail(Beyond(named, parent, area.subspan(at)));
                return false;
            }
            Chunk child;
            child.id = id;
            child.data = area.subspan(at + kHeaderSize, length - kHeaderSize);
            const ChunkLayout layout = LayoutOf(id, child.data);
            if (layout.kind == ChunkLayout::Kind::Malformed)
                return Fail(named + (id == 0x4000 ? " has a name without an end"
                                                  : " lists more faces than it holds"));
            if (layout.kind == ChunkLayout::Kind::Container && !Parse(child, child.data.subspan(layout.prefix), depth + 1))
                return false;
            parent.children.push_back(std::move(child));
            at += length;
        }
        return true;
    }

    bool Fail(std::string why)
    {
        if (reason_ != nullptr)
            *reason_ = std::move(why);
        return false;
    }

    std::size_t Offset(std::span<const std::uint8_t> area, std::size_t at) const
    {
        return static_cast<std::size_t>(area.data() - file_.data()) + at;
    }

    // A chunk cut short by the end of the file: the fault told is the innermost chunk the
    // cut goes through. True when such a chunk inside `rest` (what the file holds of the
    // data of a chunk `id`) was found and told.
    bool FaultInsideCut(std::uint16_t id, std::span<const std::uint8_t> rest, int depth)
    {
        if (rest.data() + rest.size() != file_.data() + file_.size())
            return false;
        const ChunkLayout layout = LayoutOf(id, rest);
        if (layout.kind != ChunkLayout::Kind::Container)
            return false;
        Chunk inner;
        inner.id = id;
        std::string* const reason = reason_;
        std::string innerReason;
        reason_ = &innerReason;
        const bool whole = Parse(inner, rest.subspan(layout.prefix), depth + 1);
        reason_ = reason;
        if (whole)
            return false;
        Fail(std::move(innerReason));
        return true;
    }

private:
    // `what` runs past the end of its parent's data; past the file's end when the parent
    // reaches it.
    std::string Beyond(const std::string& what, const Chunk& parent, std::span<const std::uint8_t> rest) const
    {
        const bool fileEnd = rest.data() + rest.size() == file_.data() + file_.size();
        return what + " runs past the end of " + (fileEnd ? std::string("the file") : "chunk " + Hex(parent.id));
    }

    std::span<const std::uint8_t> file_;
    std::string* reason_;
};

} // namespace

const Chunk* Chunk::Find(std::uint16_t childId) const
{
    for (const Chunk& child : children)
        if (child.id == childId)
            return &child;
    return nullptr;
}

std::optional<ChunkTree> ChunkTree::Parse(std::span<const std::uint8_t> file, std::string* reason)
{
    ChildParser parser(file, reason);
    const bool rootId = le::Has(file, 0, 2) && (le::U16(file, 0) == 0x4D4D || le::U16(file, 0) == 0xC23D ||
                                                le::U16(file, 0) == 0x3DAA);
    if (!rootId || !le::Has(file, 0, kHeaderSize)) {
        parser.Fail("not a 3D Studio file");
        return std::nullopt;
    }
    const std::uint16_t id = le::U16(file, 0);
    const std::uint32_t length = le::U32(file, 2);
    if (length < kHeaderSize) {
        parser.Fail("chunk " + Hex(id) + " at byte 0 is shorter than its own header (length " + std::to_string(length) + ")");
        return std::nullopt;
    }
    if (length > file.size()) {
        if (!parser.FaultInsideCut(id, file.subspan(kHeaderSize), 0))
            parser.Fail("chunk " + Hex(id) + " at byte 0 runs past the end of the file");
        return std::nullopt;
    }
    ChunkTree tree;
    tree.root_.id = id;
    tree.root_.data = file.subspan(kHeaderSize, length - kHeaderSize);
    if (!parser.Parse(tree.root_, tree.root_.data, 1))
        return std::nullopt;
    return tree;
}

} // namespace gessoria
