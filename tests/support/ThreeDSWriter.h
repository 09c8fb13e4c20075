#pragma once
// Builds 3D Studio chunk data in memory, so tests can make exactly the file they need —
// well-formed or broken in one precise way.

#include <cstdint>
#include <string>
#include <vector>

namespace gessoria::test {

class ChunkBuilder {
public:
    explicit ChunkBuilder(std::uint16_t id) : id_(id) {}

    ChunkBuilder& U8(std::uint8_t v);
    ChunkBuilder& U16(std::uint16_t v);
    ChunkBuilder& U32(std::uint32_t v);
    ChunkBuilder& F32(float v);
    ChunkBuilder& Str(const std::string& s);  // with its NUL
    ChunkBuilder& Raw(const std::vector<std::uint8_t>& bytes);
    ChunkBuilder& Child(const ChunkBuilder& child);

    // The chunk with its header; lengthAdjust is added to the stored length (to break it).
    std::vector<std::uint8_t> Build(std::int64_t lengthAdjust = 0) const;

private:
    std::uint16_t id_;
    std::vector<std::uint8_t> data_;
};

struct MeshSpec {
    std::string name = "Box";
    std::vector<float> positions;      // x, y, z per vertex (file axes)
    std::vector<float> uvs;            // u, v per texture vertex; empty: no texture chunk
    bool emptyTextureChunk = false;    // with no uvs, a texture chunk of count 0
    std::vector<std::uint16_t> faces;  // a, b, c, flags per face
    std::vector<std::uint32_t> smoothing;  // per face; empty: no smoothing chunk
    struct Group {
        std::string material;
        std::vector<std::uint16_t> faces;
    };
    std::vector<Group> groups;
    bool hidden = false;
    bool mapping = false;
};

ChunkBuilder MeshObject(const MeshSpec& mesh);
ChunkBuilder ColourBytes(std::uint16_t id, std::uint8_t r, std::uint8_t g, std::uint8_t b);
ChunkBuilder PercentInt(std::uint16_t id, std::int16_t percent);
ChunkBuilder PercentFloat(std::uint16_t id, float value);
ChunkBuilder MapChunk(std::uint16_t id, const std::string& fileName, std::uint16_t flags = 0);
ChunkBuilder MaterialEntry(const std::string& name, const std::vector<ChunkBuilder>& parts = {});

// A mesh file (root 0x4D4D, mesh data 0x3D3D) holding the given chunks.
std::vector<std::uint8_t> MeshFile(const std::vector<ChunkBuilder>& contents);

// A mesh file whose mesh-data containers nest `levels` deep, each holding only the next.
std::vector<std::uint8_t> NestedContainers(std::size_t levels);

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

} // namespace gessoria::test
