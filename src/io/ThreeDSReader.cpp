#include "io/ThreeDSReader.h"

#include "io/ChunkTree.h"
#include "io/FileBytes.h"
#include "io/LittleEndian.h"
#include "io/PackedValues.h"
#include "scene/Scene.h"
#include "scene/UserInteraction.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <optional>
#include <strings.h>

namespace gessoria {
namespace {

constexpr int kFailed = 1;

// Chunk ids.
enum : std::uint16_t {
    kMeshData = 0x3D3D,
    kMaterialEntry = 0xAFFF,
    kMaterialName = 0xA000,
    kDiffuse = 0xA020,
    kShininess = 0xA040,
    kShininessStrength = 0xA041,
    kTransparency = 0xA050,
    kSelfIllumPercent = 0xA084,
    kSelfIllumFlag = 0xA080,
    kTwoSided = 0xA081,
    kWire = 0xA085,
    kShading = 0xA100,
    kMapFileName = 0xA300,
    kMapFlags = 0xA351,
    kMapUScale = 0xA354,
    kMapVScale = 0xA356,
    kMapUOffset = 0xA358,
    kMapVOffset = 0xA35A,
    kMapRotation = 0xA35C,
    kNamedObject = 0x4000,
    kHidden = 0x4010,
    kTriangleMesh = 0x4100,
    kVertices = 0x4110,
    kFaces = 0x4120,
    kFaceMaterial = 0x4130,
    kTexVertices = 0x4140,
    kSmoothing = 0x4150,
    kMapping = 0x4170,
    kColourFloat = 0x0010,
    kColourBytes = 0x0011,
    kColourBytesLinear = 0x0012,
    kColourFloatLinear = 0x0013,
    kPercentInt = 0x0030,
    kPercentFloat = 0x0031,
};

// Map and mask chunk ids per slot.
constexpr std::uint16_t kMapChunk[6] = {0xA200, 0xA33A, 0xA210, 0xA230, 0xA33C, 0xA33D};
constexpr std::uint16_t kMaskChunk[6] = {0xA33E, 0xA340, 0xA342, 0xA344, 0xA346, 0xA34A};

// A NUL-terminated string at the start of `data`, cut to `limit` characters.
std::string CString(std::span<const std::uint8_t> data, std::size_t limit)
{
    const auto nul = std::find(data.begin(), data.end(), std::uint8_t{0});
    const auto length = std::min(static_cast<std::size_t>(nul - data.begin()), limit);
    return std::string(reinterpret_cast<const char*>(data.data()), length);
}

std::string HexId(std::uint16_t id)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(id));
    return text;
}

bool IsColourChunk(std::uint16_t id)
{
    return id == kColourBytes || id == kColourBytesLinear || id == kColourFloat || id == kColourFloatLinear;
}

// A colour container's value into `colour` (the linear form overrides the plain one);
// false when a colour chunk is too short.
bool ReadColour(const Chunk& container, std::int32_t& colour)
{
    std::optional<std::int32_t> plain, linear;
    for (const Chunk& c : container.children) {
        if (!IsColourChunk(c.id))
            continue;
        const bool bytes = c.id == kColourBytes || c.id == kColourBytesLinear;
        if (!le::Has(c.data, 0, bytes ? 3 : 12))
            return false;
        const std::int32_t value =
            bytes ? PackColour(c.data[0], c.data[1], c.data[2])
                  : PackColour(PackedByte(le::F32(c.data, 0)), PackedByte(le::F32(c.data, 4)), PackedByte(le::F32(c.data, 8)));
        (c.id == kColourBytesLinear || c.id == kColourFloatLinear ? linear : plain) = value;
    }
    if (linear || plain)
        colour = linear ? *linear : *plain;
    return true;
}

// A percentage container's value into `byte` as truncate(value x 255); false when a
// percentage chunk is too short.
bool ReadPercentage(const Chunk& container, std::uint8_t& byte)
{
    for (const Chunk& c : container.children) {
        if (c.id == kPercentInt) {
            if (!le::Has(c.data, 0, 2))
                return false;
            byte = PackedByte(static_cast<float>(static_cast<std::int16_t>(le::U16(c.data, 0))) / 100.0f);
        } else if (c.id == kPercentFloat) {
            if (!le::Has(c.data, 0, 4))
                return false;
            byte = PackedByte(le::F32(c.data, 0));
        }
    }
    return true;
}

bool ReadMapRef(const Chunk& chunk, MapRef& ref)
{
    for (const Chunk& c : chunk.children) {
        switch (c.id) {
        case kMapFileName:
            ref.fileName = CString(c.data, MapRef::kMaxFileName);
            break;
        case kMapFlags: {
            if (!le::Has(c.data, 0, 2))
                return false;
            const std::uint16_t flags = le::U16(c.data, 0);
            ref.tiling = !(flags & 1) ? MapTiling::Tile : (flags & 16) ? MapTiling::Decal : MapTiling::Both;
            ref.mirror = (flags & 2) ? 1 : 0;
            ref.negative = (flags & 8) ? 1 : 0;
            break;
        }
        case kMapUScale: case kMapVScale: case kMapUOffset: case kMapVOffset: case kMapRotation: {
            if (!le::Has(c.data, 0, 4))
                return false;
            const float value = le::F32(c.data, 0);
            float* field = c.id == kMapUScale    ? &ref.uScale
                           : c.id == kMapVScale  ? &ref.vScale
                           : c.id == kMapUOffset ? &ref.uOffset
                           : c.id == kMapVOffset ? &ref.vOffset
                                                 : &ref.rotation;
            *field = value;
            break;
        }
        default:
            break;
        }
    }
    return true;
}

bool ReadMaterial(const Chunk& entry, Material& material, std::string& reason)
{
    bool wire = false;
    for (const Chunk& c : entry.children) {
        bool wellFormed = true;
        switch (c.id) {
        case kMaterialName:
            material.name = CString(c.data, Material::kMaxName);
            break;
        case kDiffuse:
            wellFormed = ReadColour(c, material.colour);
            break;
        case kShininess:
        case kShininessStrength: {
            auto high = static_cast<std::uint8_t>((material.shininess >> 8) & 0xFF);
            auto low = static_cast<std::uint8_t>(material.shininess & 0xFF);
            wellFormed = ReadPercentage(c, c.id == kShininess ? high : low);
            material.shininess = static_cast<std::int16_t>((high << 8) | low);
            break;
        }
        case kTransparency:
            wellFormed = ReadPercentage(c, material.transparency);
            break;
        case kSelfIllumPercent:
            wellFormed = ReadPercentage(c, material.selfIllumPercent);
            break;
        case kShading:
            wellFormed = le::Has(c.data, 0, 2);
            if (wellFormed)
                material.shading = static_cast<std::uint8_t>(le::U16(c.data, 0) & 0xFF);
            break;
        case kWire:
            wire = true;
            break;
        case kTwoSided:
            material.twoSided = 1;
            break;
        case kSelfIllumFlag:
            material.selfIllum = 1;
            break;
        default:
            for (int slot = 0; slot < kMapSlotCount; ++slot) {
                auto& target = material.mapSlots[static_cast<std::size_t>(slot)];
                if (c.id == kMapChunk[slot])
                    wellFormed = ReadMapRef(c, target.map);
                else if (c.id == kMaskChunk[slot])
                    wellFormed = ReadMapRef(c, target.mask);
            }
            break;
        }
        if (!wellFormed) {
            reason = "material \"" + material.name + "\": chunk " + HexId(c.id) + " is too short for its value";
            return false;
        }
    }
    // A wire-frame material shades 0 wherever its shading chunk stands.
    if (wire)
        material.shading = 0;
    material.currentLayerOnly = 0;
    return true;
}

// One named object with a triangle mesh, checked against its own chunks.
struct MeshInput {
    std::string name;
    bool hidden = false;
    bool mapping = false;
    std::span<const std::uint8_t> vertices;   // count x (x, y, z)
    std::span<const std::uint8_t> texture;    // count x (u, v), or empty: no texture vertices
    std::span<const std::uint8_t> faces;      // count x (a, b, c, flags)
    std::span<const std::uint8_t> smoothing;  // count x uint32, or empty
    const Chunk* faceChunk = nullptr;
    std::int32_t vertexCount = 0;
    std::int32_t textureCount = 0;
    std::int32_t faceCount = 0;
};

// A list chunk: a 16-bit count then count records of `recordSize` bytes, all inside the chunk.
std::optional<std::pair<std::int32_t, std::span<const std::uint8_t>>> CountedList(const Chunk& chunk, std::size_t recordSize)
{
    if (!le::Has(chunk.data, 0, 2))
        return std::nullopt;
    const std::uint16_t count = le::U16(chunk.data, 0);
    if (!le::Has(chunk.data, 2, recordSize * count))
        return std::nullopt;
    return std::pair{static_cast<std::int32_t>(count), chunk.data.subspan(2, recordSize * count)};
}

bool AllFinite(std::span<const std::uint8_t> floats)
{
    for (std::size_t at = 0; at + 4 <= floats.size(); at += 4)
        if (!std::isfinite(le::F32(floats, at)))
            return false;
    return true;
}

std::optional<MeshInput> CheckMesh(const Chunk& object, const Chunk& mesh, std::string& reason)
{
    MeshInput input;
    input.name = CString(object.data, SceneObject::kMaxName);
    input.hidden = object.Find(kHidden) != nullptr;
    input.mapping = mesh.Find(kMapping) != nullptr;
    const std::string named = "object \"" + input.name + "\": ";
    const auto fail = [&reason](std::string why) {
        reason = std::move(why);
        return std::nullopt;
    };

    if (const Chunk* vertices = mesh.Find(kVertices)) {
        const auto list = CountedList(*vertices, 12);
        if (!list)
            return fail(named + "the vertex list holds fewer vertices than it counts");
        if (!AllFinite(list->second))
            return fail(named + "a vertex position is not a finite number");
        std::tie(input.vertexCount, input.vertices) = *list;
    }
    if (const Chunk* texture = mesh.Find(kTexVertices)) {
        const auto list = CountedList(*texture, 8);
        if (!list)
            return fail(named + "the texture vertex list holds fewer vertices than it counts");
        if (!AllFinite(list->second))
            return fail(named + "a texture vertex is not a finite number");
        std::tie(input.textureCount, input.texture) = *list;
    }
    if (const Chunk* faces = mesh.Find(kFaces)) {
        const auto list = CountedList(*faces, 8);
        if (!list)
            return fail(named + "the face list holds fewer faces than it counts");
        std::tie(input.faceCount, input.faces) = *list;
        input.faceChunk = faces;
        // A texture list may be shorter than the vertex list; only the corners read it.
        const int limit = input.textureCount > 0 ? std::min(input.vertexCount, input.textureCount) : input.vertexCount;
        for (std::size_t at = 0; at < input.faces.size(); at += 8) {
            const int highest = std::max({int{le::U16(input.faces, at)}, int{le::U16(input.faces, at + 2)},
                                          int{le::U16(input.faces, at + 4)}});
            if (highest < limit)
                continue;
            const bool texture = highest < input.vertexCount;
            return fail(named + "face " + std::to_string(at / 8) + " names " + (texture ? "texture vertex " : "vertex ") +
                        std::to_string(highest) + " of " +
                        std::to_string(texture ? input.textureCount : input.vertexCount));
        }
        if (const Chunk* smoothing = faces->Find(kSmoothing)) {
            if (!le::Has(smoothing->data, 0, 4 * static_cast<std::size_t>(input.faceCount)))
                return fail(named + "the smoothing groups cover fewer than its " + std::to_string(input.faceCount) +
                            " faces");
            input.smoothing = smoothing->data;
        }
        for (const Chunk& group : faces->children) {
            if (group.id != kFaceMaterial)
                continue;
            const auto nul = std::find(group.data.begin(), group.data.end(), std::uint8_t{0});
            if (nul == group.data.end())
                return fail(named + "a material group's name has no end");
            const Chunk members{group.id, group.data.subspan(static_cast<std::size_t>(nul - group.data.begin()) + 1), {}};
            const auto indices = CountedList(members, 2);
            const std::string groupName = "material group \"" + CString(group.data, Material::kMaxName) + "\" ";
            if (!indices)
                return fail(named + groupName + "holds fewer faces than it counts");
            for (std::int32_t i = 0; i < indices->first; ++i)
                if (const int face = le::U16(indices->second, static_cast<std::size_t>(i) * 2); face >= input.faceCount)
                    return fail(named + groupName + "names face " + std::to_string(face) + " of " +
                                std::to_string(input.faceCount));
        }
    }
    return input;
}

// Fills object k's arrays from its checked input, starting at faces F and vertices V.
// `fixedTexture` is scratch for the texture vertices in 16.16, converted once per vertex
// rather than once per corner.
bool FillMesh(Scene& scene, const MeshInput& input, std::int32_t firstFace, std::int32_t firstVertex,
              SceneArray<std::array<std::int32_t, 2>>& fixedTexture, UserInteraction& ui, std::string& reason)
{
    float* const x = scene.positionX.data() + firstVertex;
    float* const y = scene.positionY.data() + firstVertex;
    float* const z = scene.positionZ.data() + firstVertex;
    for (std::int32_t i = 0; i < input.vertexCount; ++i) {
        const std::size_t at = static_cast<std::size_t>(i) * 12;
        x[i] = le::F32(input.vertices, at);
        y[i] = le::F32(input.vertices, at + 8);  // the file's Z is up
        z[i] = le::F32(input.vertices, at + 4);
    }
    const bool textured = !input.texture.empty();
    if (textured) {
        if (fixedTexture.size() < static_cast<std::size_t>(input.textureCount))
            fixedTexture = SceneArray<std::array<std::int32_t, 2>>(static_cast<std::size_t>(input.textureCount));
        for (std::int32_t t = 0; t < input.textureCount; ++t) {
            const std::size_t at = static_cast<std::size_t>(t) * 8;
            fixedTexture[static_cast<std::size_t>(t)] = {TextureFixedPoint(le::F32(input.texture, at)), TextureFixedPoint(le::F32(input.texture, at + 4))};
        }
    }
    std::int32_t* const vertexA = scene.faceVertexA.data() + firstFace;
    std::int32_t* const vertexB = scene.faceVertexB.data() + firstFace;
    std::int32_t* const vertexC = scene.faceVertexC.data() + firstFace;
    std::uint16_t* const flags = scene.faceFlags.data() + firstFace;
    std::int32_t* const u[3] = {scene.faceU0.data() + firstFace, scene.faceU1.data() + firstFace, scene.faceU2.data() + firstFace};
    std::int32_t* const v[3] = {scene.faceV0.data() + firstFace, scene.faceV1.data() + firstFace, scene.faceV2.data() + firstFace};
    for (std::int32_t j = 0; j < input.faceCount; ++j) {
        const std::size_t at = static_cast<std::size_t>(j) * 8;
        const std::uint16_t corner[3] = {le::U16(input.faces, at), le::U16(input.faces, at + 2), le::U16(input.faces, at + 4)};
        vertexA[j] = corner[0] + firstVertex;
        vertexB[j] = corner[1] + firstVertex;
        vertexC[j] = corner[2] + firstVertex;
        flags[j] = le::U16(input.faces, at + 6);
        if (textured)
            for (int k = 0; k < 3; ++k) {
                const auto& uv = fixedTexture[corner[k]];
                u[k][j] = uv[0];
                v[k][j] = uv[1];
            }
    }
    if (!input.smoothing.empty()) {
        std::uint32_t* const smoothing = scene.faceSmoothing.data() + firstFace;
        for (std::int32_t j = 0; j < input.faceCount; ++j)
            smoothing[j] = le::U32(input.smoothing, static_cast<std::size_t>(j) * 4);
    }
    if (input.faceChunk == nullptr)
        return true;
    for (const Chunk& group : input.faceChunk->children) {
        if (group.id != kFaceMaterial)
            continue;
        // Names are compared as stored: cut to the material name field.
        const std::string name = CString(group.data, Material::kMaxName);
        int found = -1;
        for (int m = 0; m <= scene.materialCount; ++m)
            if (scene.materials[static_cast<std::size_t>(m)].name == name)
                found = m;
        if (found < 0) {
            ui.Tell(name + "  -  Eeep!  No definition in Mesh file!", MessageIcon::Error);
            reason = "object \"" + input.name + "\": material \"" + name + "\" has no definition in the file";
            return false;
        }
        const std::size_t listAt = std::find(group.data.begin(), group.data.end(), std::uint8_t{0}) - group.data.begin() + 1;
        const std::uint16_t count = le::U16(group.data, listAt);
        for (std::uint16_t i = 0; i < count; ++i)
            scene.faceMaterial[static_cast<std::size_t>(firstFace + le::U16(group.data, listAt + 2 + 2 * static_cast<std::size_t>(i)))] =
                static_cast<std::int16_t>(found);
    }
    return true;
}

// Why a file could not be read whole.
std::string UnreadableReason(const std::string& path)
{
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status))
        return "no such file";
    if (std::filesystem::is_directory(status))
        return "a folder, not a file";
    if (!std::filesystem::is_regular_file(status))
        return "not a regular file";
    return "the file could not be read";
}

} // namespace

int ReadMeshData(std::span<const std::uint8_t> file, Scene& scene, UserInteraction& ui)
{
    std::string reason;
    return ReadMeshData(file, scene, ui, reason);
}

int ReadMeshData(std::span<const std::uint8_t> file, Scene& scene, UserInteraction& ui, std::string& reason)
{
    const auto tree = ChunkTree::Parse(file, &reason);
    if (!tree)
        return kFailed;

    std::vector<const Chunk*> materialEntries;
    std::vector<MeshInput> meshes;
    std::int64_t vertexTotal = 0, faceTotal = 0;
    if (const Chunk* meshData = tree->root().Find(kMeshData)) {
        for (const Chunk& c : meshData->children) {
            if (c.id == kMaterialEntry) {
                materialEntries.push_back(&c);
            } else if (c.id == kNamedObject) {
                const Chunk* mesh = c.Find(kTriangleMesh);
                if (mesh == nullptr)
                    continue;  // lights, cameras
                auto input = CheckMesh(c, *mesh, reason);
                if (!input)
                    return kFailed;
                vertexTotal += input->vertexCount;
                faceTotal += input->faceCount;
                meshes.push_back(std::move(*input));
            }
        }
    }
    // Face materials are 16-bit indices; both totals must fit the 32-bit counts.
    constexpr std::int64_t kMaxTotal = std::numeric_limits<std::int32_t>::max();
    if (materialEntries.size() >= static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max())) {
        reason = "the file defines " + std::to_string(materialEntries.size()) + " materials, more than " +
                 std::to_string(std::numeric_limits<std::int16_t>::max() - 1);
        return kFailed;
    }
    if (vertexTotal > kMaxTotal || faceTotal > kMaxTotal) {
        reason = "the file holds " + std::to_string(vertexTotal) + " vertices and " + std::to_string(faceTotal) +
                 " faces, more than " + std::to_string(kMaxTotal) + " of either";
        return kFailed;
    }

    scene.objectCount = static_cast<std::int32_t>(meshes.size());
    scene.vertexCount = static_cast<std::int32_t>(vertexTotal);
    scene.faceCount = static_cast<std::int32_t>(faceTotal);
    scene.materialCount = static_cast<std::int32_t>(materialEntries.size());
    AllocateScene(scene, false, ui);

    for (std::size_t i = 0; i < materialEntries.size(); ++i)
        if (!ReadMaterial(*materialEntries[i], scene.materials[i + 1], reason))
            return kFailed;

    std::int32_t faces = 0, vertices = 0;
    SceneArray<std::array<std::int32_t, 2>> fixedTexture;
    for (std::size_t k = 0; k < meshes.size(); ++k) {
        const MeshInput& input = meshes[k];
        SceneObject& object = scene.objects[k];
        object.vertexCount = input.vertexCount;
        object.faceCount = input.faceCount;
        object.firstFace = faces;
        object.firstVertex = vertices;
        object.name = input.name;
        object.flags = static_cast<std::uint8_t>((input.hidden ? kObjectHidden : 0) | (input.mapping ? kObjectHasMapping : 0));
        if (!FillMesh(scene, input, faces, vertices, fixedTexture, ui, reason))
            return kFailed;
        faces += input.faceCount;
        vertices += input.vertexCount;
    }
    CentreScene(scene);
    return 0;
}

int ReadMeshFile(const std::string& path, const std::string& extension, Scene& scene, UserInteraction& ui)
{
    std::string reason;
    return ReadMeshFile(path, extension, scene, ui, reason);
}

int ReadMeshFile(const std::string& path, const std::string& extension, Scene& scene, UserInteraction& ui,
                 std::string& reason)
{
    if (strcasecmp(extension.c_str(), "3ds") != 0 && strcasecmp(extension.c_str(), "prj") != 0) {
        reason = "not a 3D Studio file (." + extension + ")";
        return kFailed;
    }
    const auto bytes = ReadFileBytes(path);
    if (!bytes) {
        ui.Tell("Error: Unable to open file " + path, MessageIcon::Error);
        reason = UnreadableReason(path);
        return kFailed;
    }
    return ReadMeshData(*bytes, scene, ui, reason);
}

} // namespace gessoria
