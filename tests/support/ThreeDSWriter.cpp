#include "support/ThreeDSWriter.h"

#include <bit>
#include <fstream>

namespace gessoria::test {

ChunkBuilder& ChunkBuilder::U8(std::uint8_t v)
{
    data_.push_back(v);
    return *this;
}

ChunkBuilder& ChunkBuilder::U16(std::uint16_t v)
{
    data_.push_back(static_cast<std::uint8_t>(v & 0xFF));
    data_.push_back(static_cast<std::uint8_t>(v >> 8));
    return *this;
}

ChunkBuilder& ChunkBuilder::U32(std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        data_.push_back(static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF));
    return *this;
}

ChunkBuilder& ChunkBuilder::F32(float v) { return U32(std::bit_cast<std::uint32_t>(v)); }

ChunkBuilder& ChunkBuilder::Str(const std::string& s)
{
    data_.insert(data_.end(), s.begin(), s.end());
    data_.push_back(0);
    return *this;
}

ChunkBuilder& ChunkBuilder::Raw(const std::vector<std::uint8_t>& bytes)
{
    data_.insert(data_.end(), bytes.begin(), bytes.end());
    return *this;
}

ChunkBuilder& ChunkBuilder::Child(const ChunkBuilder& child) { return Raw(child.Build()); }

std::vector<std::uint8_t> ChunkBuilder::Build(std::int64_t lengthAdjust) const
{
    ChunkBuilder header(0);
    header.U16(id_).U32(static_cast<std::uint32_t>(static_cast<std::int64_t>(data_.size()) + 6 + lengthAdjust));
    std::vector<std::uint8_t> bytes = header.data_;
    bytes.insert(bytes.end(), data_.begin(), data_.end());
    return bytes;
}

ChunkBuilder MeshObject(const MeshSpec& mesh)
{
    ChunkBuilder triMesh(0x4100);
    ChunkBuilder vertices(0x4110);
    vertices.U16(static_cast<std::uint16_t>(mesh.positions.size() / 3));
    for (const float p : mesh.positions)
        vertices.F32(p);
    triMesh.Child(vertices);
    if (!mesh.uvs.empty() || mesh.emptyTextureChunk) {
        ChunkBuilder texture(0x4140);
        texture.U16(static_cast<std::uint16_t>(mesh.uvs.size() / 2));
        for (const float t : mesh.uvs)
            texture.F32(t);
        triMesh.Child(texture);
    }
    if (mesh.mapping)
        triMesh.Child(ChunkBuilder(0x4170).Raw(std::vector<std::uint8_t>(2, 0)));
    ChunkBuilder faces(0x4120);
    faces.U16(static_cast<std::uint16_t>(mesh.faces.size() / 4));
    for (const auto w : mesh.faces)
        faces.U16(w);
    for (const auto& group : mesh.groups) {
        ChunkBuilder g(0x4130);
        g.Str(group.material).U16(static_cast<std::uint16_t>(group.faces.size()));
        for (const auto f : group.faces)
            g.U16(f);
        faces.Child(g);
    }
    if (!mesh.smoothing.empty()) {
        ChunkBuilder s(0x4150);
        for (const auto w : mesh.smoothing)
            s.U32(w);
        faces.Child(s);
    }
    triMesh.Child(faces);
    ChunkBuilder object(0x4000);
    object.Str(mesh.name);
    if (mesh.hidden)
        object.Child(ChunkBuilder(0x4010));
    object.Child(triMesh);
    return object;
}

ChunkBuilder ColourBytes(std::uint16_t id, std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    return ChunkBuilder(id).U8(r).U8(g).U8(b);
}

ChunkBuilder PercentInt(std::uint16_t id, std::int16_t percent)
{
    return ChunkBuilder(id).Child(ChunkBuilder(0x0030).U16(static_cast<std::uint16_t>(percent)));
}

ChunkBuilder PercentFloat(std::uint16_t id, float value)
{
    return ChunkBuilder(id).Child(ChunkBuilder(0x0031).F32(value));
}

ChunkBuilder MapChunk(std::uint16_t id, const std::string& fileName, std::uint16_t flags)
{
    return ChunkBuilder(id).Child(ChunkBuilder(0xA300).Str(fileName)).Child(ChunkBuilder(0xA351).U16(flags));
}

ChunkBuilder MaterialEntry(const std::string& name, const std::vector<ChunkBuilder>& parts)
{
    ChunkBuilder entry(0xAFFF);
    entry.Child(ChunkBuilder(0xA000).Str(name));
    for (const auto& part : parts)
        entry.Child(part);
    return entry;
}

std::vector<std::uint8_t> MeshFile(const std::vector<ChunkBuilder>& contents)
{
    ChunkBuilder meshData(0x3D3D);
    for (const auto& c : contents)
        meshData.Child(c);
    return ChunkBuilder(0x4D4D).Child(ChunkBuilder(0x0002).U32(3)).Child(meshData).Build();
}

std::vector<std::uint8_t> NestedContainers(std::size_t levels)
{
    // Written flat: building it from ChunkBuilders would copy every level's bytes again.
    std::vector<std::uint8_t> bytes;
    bytes.reserve(6 * (levels + 1));
    for (std::size_t level = 0; level <= levels; ++level) {
        const auto length = static_cast<std::uint32_t>(6 * (levels + 1 - level));
        const std::uint16_t id = level == 0 ? 0x4D4D : 0x3D3D;
        bytes.insert(bytes.end(), {static_cast<std::uint8_t>(id & 0xFF), static_cast<std::uint8_t>(id >> 8),
                                   static_cast<std::uint8_t>(length), static_cast<std::uint8_t>(length >> 8),
                                   static_cast<std::uint8_t>(length >> 16), static_cast<std::uint8_t>(length >> 24)});
    }
    return bytes;
}

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

} // namespace gessoria::test
