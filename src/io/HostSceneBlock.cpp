#include "io/HostSceneBlock.h"

#include "io/HostBlockLayout.h"
#include "io/LittleEndian.h"
#include "scene/Scene.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

namespace gessoria {
namespace {

constexpr std::int32_t kOne = 65536;

// The block with the writer's base: references become offsets, and every array is checked
// for room before its offset is handed out.
class HostBlock {
public:
    HostBlock(std::span<const std::uint8_t> bytes, std::uint32_t base) : bytes_(bytes), base_(base) {}

    std::span<const std::uint8_t> bytes() const { return bytes_; }
    std::int32_t I32(std::size_t at) const { return static_cast<std::int32_t>(le::U32(bytes_, at)); }

    // The offset of `count` elements of `size` bytes named by the reference at `field`;
    // nothing when they do not fit inside the block.
    std::optional<std::size_t> Array(std::size_t field, std::size_t count, std::size_t size) const
    {
        const std::size_t offset = host::Relocated(le::U32(bytes_, field), base_);
        if (count > std::numeric_limits<std::size_t>::max() / size || !le::Has(bytes_, offset, count * size))
            return std::nullopt;
        return offset;
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::uint32_t base_;
};

std::string FixedText(std::span<const std::uint8_t> bytes, std::size_t at, std::size_t size, std::size_t keep)
{
    const char* text = reinterpret_cast<const char*>(bytes.data() + at);
    std::size_t length = 0;
    while (length < size && length < keep && text[length] != '\0')
        ++length;
    return std::string(text, length);
}

// The offsets of the per-face and per-vertex arrays, all checked.
struct ArrayOffsets {
    std::array<std::size_t, 3> u{}, v{}, position{}, normal{}, corner{};
    std::size_t flags = 0, smoothing = 0, material = 0;
};

bool Fail(std::string& reason, const std::string& text)
{
    reason = text;
    return false;
}

bool LocateArrays(const HostBlock& block, std::size_t faces, std::size_t vertices, ArrayOffsets& at, std::string& reason)
{
    const auto locate = [&](std::size_t field, std::size_t count, std::size_t size, std::size_t& offset) {
        if (count == 0)
            return true;  // the reference of an empty array is never used
        const auto found = block.Array(field, count, size);
        if (found)
            offset = *found;
        return found.has_value();
    };
    for (int k = 0; k < 3; ++k)
        if (!locate(host::kFaceURef[k], faces, 4, at.u[k]) || !locate(host::kFaceVRef[k], faces, 4, at.v[k]) ||
            !locate(host::kPositionRef[k], vertices, 4, at.position[k]) ||
            !locate(host::kFaceNormalRef[k], faces, 4, at.normal[k]) ||
            !locate(host::kFaceVertexRef[k], faces, 4, at.corner[k]))
            return Fail(reason, "a face or vertex array lies outside the block");
    if (!locate(host::kFaceFlagsRef, faces, 2, at.flags) || !locate(host::kFaceSmoothingRef, faces, 4, at.smoothing) ||
        !locate(host::kFaceMaterialRef, faces, 2, at.material))
        return Fail(reason, "a face array lies outside the block");
    return true;
}

bool ReadObjects(const HostBlock& block, Scene& scene, std::string& reason)
{
    const auto records = block.Array(host::kObjectsRef, scene.objects.size(), host::kObjectRecordSize);
    if (!records && !scene.objects.empty())
        return Fail(reason, "the object records lie outside the block");
    // Objects are contiguous runs that together make up the scene's faces and vertices.
    std::int64_t nextFace = 0;
    std::int64_t nextVertex = 0;
    for (std::size_t k = 0; k < scene.objects.size(); ++k) {
        const std::size_t at = *records + k * host::kObjectRecordSize;
        SceneObject& object = scene.objects[k];
        object.vertexCount = block.I32(at + host::kObjectVertexCount);
        object.faceCount = block.I32(at + host::kObjectFaceCount);
        object.firstFace = block.I32(at + host::kObjectFirstFace);
        object.firstVertex = block.I32(at + host::kObjectFirstVertex);
        object.name = FixedText(block.bytes(), at + host::kObjectName, host::kObjectNameSize, host::kObjectNameSize);
        object.flags = block.bytes()[at + host::kObjectFlags];
        if (object.vertexCount < 0 || object.faceCount < 0 || object.firstFace != nextFace ||
            object.firstVertex != nextVertex)
            return Fail(reason, "object " + std::to_string(k + 1) + " is not the run after the one before it");
        nextFace += object.faceCount;
        nextVertex += object.vertexCount;
    }
    if (nextFace != scene.faceCount || nextVertex != scene.vertexCount)
        return Fail(reason, "the objects do not make up the scene's faces and vertices");
    return true;
}

bool ReadVertices(const HostBlock& block, const ArrayOffsets& at, Scene& scene, std::string& reason)
{
    SceneArray<float>* axes[3] = {&scene.positionX, &scene.positionY, &scene.positionZ};
    const std::span<const std::uint8_t> bytes = block.bytes();
    for (int axis = 0; axis < 3; ++axis) {
        float* out = axes[axis]->data();
        for (std::size_t i = 0; i < axes[axis]->size(); ++i) {
            out[i] = le::F32(bytes, at.position[axis] + 4 * i);
            if (!std::isfinite(out[i]))
                return Fail(reason, "vertex " + std::to_string(i) + " has a position that is not a number");
        }
    }
    CentreScene(scene);
    return true;
}

bool ReadFaces(const HostBlock& block, const ArrayOffsets& at, Scene& scene, std::string& reason)
{
    const std::span<const std::uint8_t> bytes = block.bytes();
    const auto faces = static_cast<std::size_t>(scene.faceCount);
    SceneArray<std::int32_t>* corners[3] = {&scene.faceVertexA, &scene.faceVertexB, &scene.faceVertexC};
    SceneArray<std::int32_t>* us[3] = {&scene.faceU0, &scene.faceU1, &scene.faceU2};
    SceneArray<std::int32_t>* vs[3] = {&scene.faceV0, &scene.faceV1, &scene.faceV2};
    SceneArray<float>* normals[3] = {&scene.faceNormalX, &scene.faceNormalY, &scene.faceNormalZ};
    const auto vertices = static_cast<std::uint32_t>(scene.vertexCount);
    for (std::size_t f = 0; f < faces; ++f) {
        std::array<std::int32_t, 3> u{}, v{};
        for (int k = 0; k < 3; ++k) {
            const std::uint32_t vertex = le::U32(bytes, at.corner[k] + 4 * f);
            if (vertex >= vertices)
                return Fail(reason, "face " + std::to_string(f) + " names a vertex the scene does not have");
            (*corners[k])[f] = static_cast<std::int32_t>(vertex);
            const float normal = le::F32(bytes, at.normal[k] + 4 * f);
            if (!std::isfinite(normal))
                return Fail(reason, "face " + std::to_string(f) + " has a normal that is not a number");
            (*normals[k])[f] = normal;
            u[static_cast<std::size_t>(k)] = static_cast<std::int32_t>(le::U32(bytes, at.u[k] + 4 * f));
            // The host's v runs up the map, the scene's down it (wrapping like the host's own
            // 32-bit arithmetic for values far outside the map).
            v[static_cast<std::size_t>(k)] =
                static_cast<std::int32_t>(static_cast<std::uint32_t>(kOne) - le::U32(bytes, at.v[k] + 4 * f));
        }
        NormaliseFaceTexture(u, v);
        for (int k = 0; k < 3; ++k) {
            (*us[k])[f] = u[static_cast<std::size_t>(k)];
            (*vs[k])[f] = v[static_cast<std::size_t>(k)];
        }
        const auto material = static_cast<std::int16_t>(le::U16(bytes, at.material + 2 * f));
        if (material < 0 || material > scene.materialCount)
            return Fail(reason, "face " + std::to_string(f) + " names a material the scene does not have");
        scene.faceMaterial[f] = material;
        scene.faceFlags[f] = le::U16(bytes, at.flags + 2 * f);
        scene.faceSmoothing[f] = le::U32(bytes, at.smoothing + 4 * f);
    }
    return true;
}

// One present map descriptor into its map slot, as a loaded bitmap.
bool ReadMap(const HostBlock& block, std::size_t at, MapRef& slot, std::string& reason)
{
    const std::int32_t height = block.I32(at + host::kMapHeight);
    const std::int32_t width = block.I32(at + host::kMapWidth);
    const bool colour = block.I32(at + host::kMapBitsPerPixel) == 24;
    if (width < 1 || height < 1 || width > CDIB::kMaxDimension || height > CDIB::kMaxDimension)
        return Fail(reason, "a map is " + std::to_string(width) + " x " + std::to_string(height) + " pixels");
    const std::size_t rowBytes = static_cast<std::size_t>(width) * (colour ? 3 : 1);
    const auto pixels = block.Array(at + host::kMapPixelsRef, static_cast<std::size_t>(height), rowBytes);
    if (!pixels)
        return Fail(reason, "a map's pixels lie outside the block");
    auto bitmap = std::make_unique<CDIB>();
    if (!(colour ? bitmap->Create24(width, height) : bitmap->Create8(width, height)))
        return Fail(reason, "a map's bitmap cannot be made");
    for (int y = 0; y < height; ++y)
        std::memcpy(bitmap->row(y), block.bytes().data() + *pixels + static_cast<std::size_t>(y) * rowBytes, rowBytes);
    slot.bitmap = std::move(bitmap);
    slot.loaded = 1;
    slot.fileName = FixedText(block.bytes(), at + host::kMapName, host::kMapNameSize, MapRef::kMaxFileName);
    return true;
}

bool ReadMaterials(const HostBlock& block, Scene& scene, std::string& reason)
{
    const auto count = static_cast<std::size_t>(scene.materialCount);
    const auto records = block.Array(host::kMaterialsRef, count, host::kMaterialRecordSize);
    if (!records && count > 0)
        return Fail(reason, "the material records lie outside the block");
    for (std::size_t i = 1; i <= count; ++i) {
        const std::size_t at = *records + (i - 1) * host::kMaterialRecordSize;
        Material& material = scene.materials[i];
        material = Material{};
        material.name = FixedText(block.bytes(), at + host::kMaterialName, host::kMaterialNameSize, Material::kMaxName);
        material.colour = block.I32(at + host::kMaterialColour);
        for (int d = 0; d < host::kDescriptorCount; ++d) {
            const std::size_t descriptor = at + host::kDescriptorOffset[static_cast<std::size_t>(d)];
            if (block.bytes()[descriptor + host::kMapPresent] == 0)
                continue;
            const int slot = SlotForMapType(host::kDescriptorType[static_cast<std::size_t>(d)]);
            if (!ReadMap(block, descriptor, material.mapSlots[static_cast<std::size_t>(slot)].map, reason))
                return Fail(reason, "material " + std::to_string(i) + ": " + reason);
        }
    }
    return true;
}

} // namespace

void NormaliseFaceTexture(std::array<std::int32_t, 3>& u, std::array<std::int32_t, 3>& v)
{
    // Whole steps of 1.0 at once: the same result as stepping one at a time, without a
    // hostile coordinate far off the map costing thousands of steps.
    for (std::array<std::int32_t, 3>* values : {&u, &v}) {
        std::array<std::int32_t, 3>& c = *values;
        const std::int64_t low = std::min({c[0], c[1], c[2]});
        if (low >= kOne) {
            const std::int64_t shift = (low / kOne) * kOne;
            for (std::int32_t& value : c)
                value = static_cast<std::int32_t>(value - shift);
        }
    }
    for (std::array<std::int32_t, 3>* values : {&u, &v}) {
        std::array<std::int32_t, 3>& c = *values;
        const std::int64_t high = std::max({c[0], c[1], c[2]});
        if (high < 0) {
            const std::int64_t shift = ((-high + kOne - 1) / kOne) * kOne;
            for (std::int32_t& value : c)
                value = static_cast<std::int32_t>(value + shift);
        }
    }
    for (std::array<std::int32_t, 3>* values : {&u, &v})
        for (std::int32_t& value : *values)
            if (value == kOne)
                value = kOne - 1;
}

bool ReadHostSceneBlock(std::span<const std::uint8_t> bytes, std::uint32_t writerBase, Scene& scene,
                        UserInteraction& ui, std::string& reason)
{
    if (bytes.size() < host::kHeaderSize)
        return Fail(reason, "the block is smaller than its header");
    const HostBlock block(bytes, writerBase);
    const std::int32_t objects = block.I32(host::kObjectCount);
    const std::int32_t vertices = block.I32(host::kVertexCount);
    const std::int32_t faces = block.I32(host::kFaceCount);
    const std::int32_t materials = block.I32(host::kMaterialCount);
    if (objects < 0 || vertices < 0 || faces < 0 || materials < 0 ||
        materials > std::numeric_limits<std::int16_t>::max())
        return Fail(reason, "a count of the header is out of range");

    // Every array and record must fit before the scene is allocated, so a block can never
    // make the program allocate more than its own size suggests.
    ArrayOffsets at;
    if (!LocateArrays(block, static_cast<std::size_t>(faces), static_cast<std::size_t>(vertices), at, reason))
        return false;
    if (objects > 0 && !block.Array(host::kObjectsRef, static_cast<std::size_t>(objects), host::kObjectRecordSize))
        return Fail(reason, "the object records lie outside the block");
    if (materials > 0 &&
        !block.Array(host::kMaterialsRef, static_cast<std::size_t>(materials), host::kMaterialRecordSize))
        return Fail(reason, "the material records lie outside the block");

    scene.objectCount = objects;
    scene.vertexCount = vertices;
    scene.faceCount = faces;
    scene.materialCount = materials;
    AllocateScene(scene, false, ui);
    return ReadObjects(block, scene, reason) && ReadVertices(block, at, scene, reason) &&
           ReadFaces(block, at, scene, reason) && ReadMaterials(block, scene, reason);
}

} // namespace gessoria
