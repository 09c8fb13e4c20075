#include "io/ProjectFile.h"

#include "io/ByteStream.h"
#include "io/FileBytes.h"
#include "io/ImageLibrary.h"
#include "io/ProjectCommit.h"
#include "io/ProjectLock.h"
#include "scene/Scene.h"
#include "scene/UserInteraction.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <new>
#include <set>
#include <system_error>
#include <unistd.h>

namespace gessoria {
namespace {

constexpr const char* kSignature = "Gessoria Project File\n";
constexpr const char* kVersion = "V01.00\n";
constexpr std::size_t kHeaderSize = 140;
constexpr std::size_t kChecksumSize = 8;
constexpr std::size_t kSceneStart = kHeaderSize + kChecksumSize;
constexpr std::size_t kObjectRecordSize = 36;
constexpr std::size_t kMaterialRecordSize = 627;
constexpr std::size_t kMapRefSize = 48;
constexpr std::size_t kBookmarkMinimumSize = 1 + 10 * 4;
// The arrays of one face (six texture coordinates, face normal, corners, nine corner
// normals, flags, smoothing, material) and of one vertex (position).
constexpr std::size_t kFaceBytes = 6 * 4 + 3 * 4 + 3 * 4 + 9 * 4 + 2 + 4 + 2;
constexpr std::size_t kVertexBytes = 3 * 4;
constexpr int kMaxLayerIndex = LayerStack::kMaxLayers - 1;
constexpr int kMaxWireAcceleration = 50;
constexpr int kLastPositionTool = 5;  // None, Rotate, Zoom Dynamic, Zoom Region, Pan, Move Lights

// Where the header holds the four counts.
constexpr std::size_t kCountsAt = 64;

constexpr char TypeLetter(MapType type)
{
    switch (type) {
    case MapType::Colour: return 'C';
    case MapType::Bump: return 'B';
    case MapType::Opacity: return 'O';
    case MapType::SelfIllum: return 'I';
    case MapType::Shininess: return 'S';
    }
    return '?';
}

// Whether part E holds names (and the directory images) for this stack: Colour names only
// with hasLayers set; the other types whenever they have layers.
bool StackStored(std::uint8_t hasLayers, MapType type, int count)
{
    return count > 0 && (type != MapType::Colour || hasLayers != 0);
}

// --- Writing ------------------------------------------------------------------------------

void WriteHeader(const Scene& scene, const ProjectWindowState& window, ByteWriter& out)
{
    out.FixedText(kSignature, 32);
    out.FixedText(kVersion, 16);
    for (const std::int32_t edge : window.frameRect)
        out.I32(edge);
    out.I32(scene.objectCount);
    out.I32(scene.vertexCount);
    out.I32(scene.faceCount);
    out.I32(scene.materialCount);
    const Camera& c = scene.camera;
    for (const std::int32_t angle : {c.angleX, c.angleY, c.angleZ, c.lightB, c.lightA, c.lightC})
        out.I32(angle);
    out.F32(c.panX);
    out.F32(c.panY);
    out.F32(c.scale);
    out.F32(scene.sceneScale);
    out.U8(static_cast<std::uint8_t>(scene.positionTool));
    out.U8(scene.wireAcceleration);
    out.I32(static_cast<std::int32_t>(scene.bookmarks.entries().size()));
    out.U8(window.paintWizard);
    out.I32(window.cursorId);
    out.I32(window.beepOnWarning);
    out.U8(scene.undo.enabled ? 1 : 0);
    out.I32(scene.undo.sizeMegabytes);
}

void WriteChecksum(ByteWriter& out)
{
    const ProjectChecksum checksum = ChecksumOf(out.bytes());
    out.U32(checksum.sum);
    out.U32(checksum.xorValue);
}

void WriteMapRef(const MapRef& ref, ByteWriter& out)
{
    out.FixedText(ref.fileName, 13);
    out.Zeros(1);
    out.U8(static_cast<std::uint8_t>(ref.tiling));
    out.U8(ref.mirror);
    out.U8(ref.negative);
    out.Zeros(3);
    for (const float value : {ref.uScale, ref.vScale, ref.uOffset, ref.vOffset, ref.rotation})
        out.F32(value);
    out.U8(ref.loaded);
    out.Zeros(3);
    out.Zeros(4);  // the bitmap reference, meaningless in a file
}

void WriteMaterial(const Material& m, ByteWriter& out)
{
    out.FixedText(m.name, 18);
    out.I32(m.colour);
    out.I16(m.shininess);
    out.U8(m.transparency);
    out.U8(m.selfIllumPercent);
    out.U8(m.transparency);
    out.U8(m.selfIllumPercent);
    out.U8(m.shading);
    out.U8(m.twoSided);
    out.U8(m.selfIllum);
    out.I32(m.mapWidth);
    out.I32(m.mapHeight);
    for (const MapSlot& slot : m.mapSlots) {
        WriteMapRef(slot.map, out);
        WriteMapRef(slot.mask, out);
    }
    out.U8(m.hasLayers);
    for (const std::uint8_t current : m.currentLayer)
        out.U8(current);
    out.U8(m.currentLayerOnly);
    for (const LayerStack& stack : m.stacks)
        out.U8(static_cast<std::uint8_t>(stack.count()));
}

void WriteObjectsAndMaterials(const Scene& scene, ByteWriter& out)
{
    for (const SceneObject& object : scene.objects) {
        out.I32(object.vertexCount);
        out.I32(object.faceCount);
        out.I32(object.firstFace);
        out.I32(object.firstVertex);
        out.FixedText(object.name, 16);
        out.Zeros(2);
        out.U8(object.flags);
        out.Zeros(1);
    }
    for (const Material& material : scene.materials)
        WriteMaterial(material, out);
}

// The geometry between the materials and the bookmarks, as sections in file order: the
// texture corners, positions, face normals, face corners, the corner normals stored as nine
// arrays, face flags, smoothing groups and face materials. A scene keeps these as long as it
// is loaded, so they can be written a slice at a time.
constexpr int kGeometrySections = 6 + 3 + 3 + 3 + 9 + 3;

std::size_t GeometryCount(const Scene& scene, int section)
{
    return section >= 15 && section < 24 ? scene.cornerNormals.size()
           : section < 6                 ? scene.faceU0.size()
           : section < 9                 ? scene.positionX.size()
           : section < 12                ? scene.faceNormalX.size()
           : section < 15                ? scene.faceVertexA.size()
           : section == 24               ? scene.faceFlags.size()
           : section == 25               ? scene.faceSmoothing.size()
                                         : scene.faceMaterial.size();
}

// Elements [from, to) of one section.
void WriteGeometry(const Scene& scene, int section, std::size_t from, std::size_t to, ByteWriter& out)
{
    const auto slice = [&](const auto& array) { out.Array(std::span(array).subspan(from, to - from)); };
    if (section < 6) {
        const SceneArray<std::int32_t>* uv[] = {&scene.faceU0, &scene.faceV0, &scene.faceU1,
                                                &scene.faceV1, &scene.faceU2, &scene.faceV2};
        slice(*uv[section]);
    } else if (section < 9) {
        const SceneArray<float>* position[] = {&scene.positionX, &scene.positionY, &scene.positionZ};
        slice(*position[section - 6]);
    } else if (section < 12) {
        const SceneArray<float>* normal[] = {&scene.faceNormalX, &scene.faceNormalY, &scene.faceNormalZ};
        slice(*normal[section - 9]);
    } else if (section < 15) {
        const SceneArray<std::int32_t>* corner[] = {&scene.faceVertexA, &scene.faceVertexB, &scene.faceVertexC};
        slice(*corner[section - 12]);
    } else if (section < 24) {
        const auto component = static_cast<std::size_t>(section - 15);
        for (std::size_t i = from; i < to; ++i)
            out.F32(scene.cornerNormals[i][component]);
    } else if (section == 24) {
        slice(scene.faceFlags);
    } else if (section == 25) {
        slice(scene.faceSmoothing);
    } else {
        slice(scene.faceMaterial);
    }
}

void WriteBookmarks(const Scene& scene, ByteWriter& out)
{
    for (const ViewBookmark& bookmark : scene.bookmarks.entries()) {
        out.String(bookmark.name);
        const Camera& c = bookmark.camera;
        for (const std::int32_t angle : {c.angleX, c.angleY, c.angleZ, c.lightB, c.lightA, c.lightC})
            out.I32(angle);
        for (const float value : {c.panX, c.panY, c.scale, c.depthScale})
            out.F32(value);
    }
}

void WriteScene(const Scene& scene, ByteWriter& out)
{
    WriteObjectsAndMaterials(scene, out);
    for (int section = 0; section < kGeometrySections; ++section)
        WriteGeometry(scene, section, 0, GeometryCount(scene, section), out);
    WriteBookmarks(scene, out);
}

// Calls visit(material, type, index) for every stored layer in the order of part E.
template <typename Visit>
void ForEachStoredLayer(const Scene& scene, Visit&& visit)
{
    for (int m = 1; m <= scene.materialCount; ++m) {
        const Material& material = scene.materials[static_cast<std::size_t>(m)];
        for (const MapType type : kAllMapTypes) {
            const int count = material.stack(type).count();
            if (!StackStored(material.hasLayers, type, count))
                continue;
            for (int k = 0; k < count; ++k)
                visit(m, type, k);
        }
    }
}

// --- Reading ------------------------------------------------------------------------------

struct Counts {
    std::int32_t objects = 0, vertices = 0, faces = 0, materials = 0, bookmarks = 0;
};

std::int32_t I32At(std::span<const std::uint8_t> bytes, std::size_t at)
{
    ByteReader in(bytes, at);
    return in.I32();
}

// The counts fit the file: everything they describe, at its smallest, lies inside it.
bool CountsFit(const Counts& c, std::size_t fileSize)
{
    if (c.objects < 0 || c.vertices < 0 || c.faces < 0 || c.materials < 0 || c.materials > INT16_MAX ||
        c.bookmarks < 0 || c.bookmarks > ViewBookmarks::kMaxBookmarks)
        return false;
    const std::uint64_t needed = kSceneStart + std::uint64_t(c.objects) * kObjectRecordSize +
                                 (std::uint64_t(c.materials) + 1) * kMaterialRecordSize +
                                 std::uint64_t(c.faces) * kFaceBytes + std::uint64_t(c.vertices) * kVertexBytes +
                                 std::uint64_t(c.bookmarks) * kBookmarkMinimumSize + kChecksumSize;
    return needed <= fileSize;
}

// Offsets of the scene's parts, from the counts.
struct SceneLayout {
    std::size_t objects, materials, arrays, vertexIndices, faceMaterials;
};

SceneLayout LayoutOf(const Counts& c)
{
    SceneLayout layout{};
    const std::size_t faces = static_cast<std::size_t>(c.faces);
    const std::size_t vertices = static_cast<std::size_t>(c.vertices);
    layout.objects = kSceneStart;
    layout.materials = layout.objects + static_cast<std::size_t>(c.objects) * kObjectRecordSize;
    layout.arrays = layout.materials + (static_cast<std::size_t>(c.materials) + 1) * kMaterialRecordSize;
    layout.vertexIndices = layout.arrays + faces * 6 * 4 + vertices * kVertexBytes + faces * 3 * 4;
    layout.faceMaterials = layout.vertexIndices + faces * (3 * 4 + 9 * 4 + 2 + 4);
    return layout;
}

// Checks, in the bytes themselves, what the scene arrays must agree on: objects that follow
// one another over exactly the counted faces and vertices, layer stacks within their limit
// with a map size any layer can have, and faces that name existing vertices and materials.
bool SceneFitsItself(std::span<const std::uint8_t> bytes, const Counts& c, const SceneLayout& layout)
{
    std::int64_t faces = 0, vertices = 0;
    for (std::int32_t k = 0; k < c.objects; ++k) {
        ByteReader in(bytes, layout.objects + static_cast<std::size_t>(k) * kObjectRecordSize);
        const std::int32_t vertexCount = in.I32(), faceCount = in.I32(), firstFace = in.I32(), firstVertex = in.I32();
        if (vertexCount < 0 || faceCount < 0 || firstFace != faces || firstVertex != vertices)
            return false;
        faces += faceCount;
        vertices += vertexCount;
    }
    if (faces != c.faces || vertices != c.vertices)
        return false;

    // Material 0 ("Default") never has layers in a project; its counts are not used.
    for (std::int32_t m = 1; m <= c.materials; ++m) {
        ByteReader in(bytes, layout.materials + static_cast<std::size_t>(m) * kMaterialRecordSize + 31);
        const std::int32_t width = in.I32(), height = in.I32();
        in.Skip(kMapSlotCount * 2 * kMapRefSize);
        const std::uint8_t hasLayers = in.U8();
        std::array<std::uint8_t, kMapTypeCount> current{}, counts{};
        for (auto& value : current)
            value = in.U8();
        in.U8();
        bool anyLayers = false;
        for (const MapType type : kAllMapTypes) {
            const auto t = static_cast<std::size_t>(type);
            counts[t] = in.U8();
            if (counts[t] > LayerStack::kMaxLayers || (counts[t] > 0 && current[t] >= counts[t]))
                return false;
            anyLayers = anyLayers || StackStored(hasLayers, type, counts[t]);
        }
        if (anyLayers && (width < 1 || height < 1 || width > CDIB::kMaxDimension || height > CDIB::kMaxDimension))
            return false;
    }

    const std::size_t faceCount = static_cast<std::size_t>(c.faces);
    for (std::size_t corner = 0; corner < 3; ++corner) {
        ByteReader in(bytes, layout.vertexIndices + corner * faceCount * 4);
        for (std::size_t f = 0; f < faceCount; ++f) {
            const std::int32_t vertex = in.I32();
            if (vertex < 0 || vertex >= c.vertices)
                return false;
        }
    }
    ByteReader in(bytes, layout.faceMaterials);
    for (std::size_t f = 0; f < faceCount; ++f) {
        const std::int16_t material = in.I16();
        if (material < 0 || material > c.materials)
            return false;
    }
    return true;
}

void ReadHeader(ByteReader& in, Scene& scene, ProjectWindowState& window, Counts& counts)
{
    in.Skip(48);
    for (std::int32_t& edge : window.frameRect)
        edge = in.I32();
    counts.objects = in.I32();
    counts.vertices = in.I32();
    counts.faces = in.I32();
    counts.materials = in.I32();
    Camera& c = scene.camera;
    for (std::int32_t* angle : {&c.angleX, &c.angleY, &c.angleZ, &c.lightB, &c.lightA, &c.lightC})
        *angle = in.I32();
    c.panX = in.F32();
    c.panY = in.F32();
    c.scale = in.F32();
    scene.sceneScale = in.F32();
    c.depthScale = scene.sceneScale;
    scene.positionTool = in.I8();
    scene.wireAcceleration = in.U8();
    counts.bookmarks = in.I32();
    window.paintWizard = in.U8();
    window.cursorId = in.I32();
    window.beepOnWarning = in.I32();
    scene.undo.enabled = in.U8() != 0;
    scene.undo.sizeMegabytes = in.I32();
}

void ReadMapRef(ByteReader& in, MapRef& ref)
{
    ref.fileName = in.FixedText(13);
    in.Skip(1);
    ref.tiling = static_cast<MapTiling>(in.U8());
    ref.mirror = in.U8();
    ref.negative = in.U8();
    in.Skip(3);
    for (float* value : {&ref.uScale, &ref.vScale, &ref.uOffset, &ref.vOffset, &ref.rotation})
        *value = in.F32();
    ref.loaded = in.U8();
    in.Skip(3 + 4);  // the bitmap reference is cleared: no bitmap comes with a project
    ref.bitmap.reset();
}

void ReadMaterial(ByteReader& in, Material& m, std::array<std::uint8_t, kMapTypeCount>& counts)
{
    m.name = in.FixedText(18);
    m.colour = in.I32();
    m.shininess = in.I16();
    in.Skip(2);  // transparency and self-illumination again below
    m.transparency = in.U8();
    m.selfIllumPercent = in.U8();
    m.shading = in.U8();
    m.twoSided = in.U8();
    m.selfIllum = in.U8();
    m.mapWidth = in.I32();
    m.mapHeight = in.I32();
    for (MapSlot& slot : m.mapSlots) {
        ReadMapRef(in, slot.map);
        ReadMapRef(in, slot.mask);
    }
    m.hasLayers = in.U8();
    for (std::uint8_t& current : m.currentLayer)
        current = in.U8();
    m.currentLayerOnly = in.U8();
    m.currentLayerOnlyType = MapType::Colour;
    for (std::uint8_t& count : counts)
        count = in.U8();
}

bool ReadScene(ByteReader& in, Scene& scene, const Counts& counts)
{
    const auto faces = static_cast<std::size_t>(counts.faces);
    const auto vertices = static_cast<std::size_t>(counts.vertices);
    for (SceneObject& object : scene.objects) {
        object.vertexCount = in.I32();
        object.faceCount = in.I32();
        object.firstFace = in.I32();
        object.firstVertex = in.I32();
        object.name = in.FixedText(16);
        in.Skip(2);
        object.flags = in.U8();
        in.Skip(1);
    }
    for (std::size_t m = 0; m < scene.materials.size(); ++m) {
        Material& material = scene.materials[m];
        std::array<std::uint8_t, kMapTypeCount> layerCounts{};
        ReadMaterial(in, material, layerCounts);
        for (const MapType type : kAllMapTypes) {
            const int count = layerCounts[static_cast<std::size_t>(type)];
            // A stack part E holds no names for (material 0's never) has no layers.
            const bool stored = m > 0 && StackStored(material.hasLayers, type, count);
            material.stack(type).layers.resize(stored ? static_cast<std::size_t>(count) : 0);
        }
    }
    for (auto* uv : {&scene.faceU0, &scene.faceV0, &scene.faceU1, &scene.faceV1, &scene.faceU2, &scene.faceV2})
        in.Array(*uv, faces);
    in.Array(scene.positionX, vertices);
    in.Array(scene.positionY, vertices);
    in.Array(scene.positionZ, vertices);
    in.Array(scene.faceNormalX, faces);
    in.Array(scene.faceNormalY, faces);
    in.Array(scene.faceNormalZ, faces);
    in.Array(scene.faceVertexA, faces);
    in.Array(scene.faceVertexB, faces);
    in.Array(scene.faceVertexC, faces);
    for (std::size_t component = 0; component < 9; ++component)
        for (auto& corners : scene.cornerNormals)
            corners[component] = in.F32();
    in.Array(scene.faceFlags, faces);
    in.Array(scene.faceSmoothing, faces);
    in.Array(scene.faceMaterial, faces);

    std::vector<ViewBookmark> bookmarks(static_cast<std::size_t>(counts.bookmarks));
    for (ViewBookmark& bookmark : bookmarks) {
        bookmark.name = in.String();
        Camera& c = bookmark.camera;
        for (std::int32_t* angle : {&c.angleX, &c.angleY, &c.angleZ, &c.lightB, &c.lightA, &c.lightC})
            *angle = in.I32();
        for (float* value : {&c.panX, &c.panY, &c.scale, &c.depthScale})
            *value = in.F32();
    }
    scene.bookmarks.Assign(std::move(bookmarks));
    return !in.failed();
}

bool ReadLayerNames(ByteReader& in, Scene& scene)
{
    for (int m = 1; m <= scene.materialCount && !in.failed(); ++m)
        for (LayerStack& stack : scene.materials[static_cast<std::size_t>(m)].stacks)
            for (Layer& layer : stack.layers)
                layer.name = in.String();
    return !in.failed();
}

// --- Layer images ---------------------------------------------------------------------------

constexpr const char* kImageLoadError = "  -  file load error.\nPossibly corrupt or missing file.";
constexpr const char* kNotEnoughMemoryToLoad = "Not enough memory to load ";
// How long a save waits for another program's save of the same project to end.
constexpr std::chrono::milliseconds kLockPatience{3000};

enum class LayerImageRead { Read, Unreadable, OutOfMemory };

// Whether a block the size of a decoded image can be had at all: an image whose decoder gave
// up although the memory for it cannot be had failed for want of memory, not for its file.
bool RoomForImage(int width, int height)
{
    // Stored through a volatile pointer so the compiler cannot leave the allocation out.
    void* volatile block = std::malloc(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4 + 65536);
    const bool room = block != nullptr;
    std::free(block);
    return room;
}

// Reads one layer or alpha image of exactly the given size and depth, rows as the image
// library hands them out (a layer written and read again keeps its rows). Memory the image
// library cannot get inside its own calls ends the whole load (std::bad_alloc, caught by
// LoadProject): its state may not survive such a failure.
LayerImageRead ReadLayerImage(const std::filesystem::path& path, int width, int height, int bits, CDIB& into)
{
    ImageReadFailure failure = ImageReadFailure::None;
    auto image = LibraryImage::Open(path, &failure);
    if (!image)
        return failure == ImageReadFailure::OutOfMemory || !RoomForImage(width, height) ? LayerImageRead::OutOfMemory
                                                                                         : LayerImageRead::Unreadable;
    if (image->width() != width || image->height() != height || image->bitsPerPixel() != bits)
        return LayerImageRead::Unreadable;
    try {
        const bool made = bits == 24 ? into.Create24(width, height) : into.Create8(width, height);
        if (!made)
            return LayerImageRead::OutOfMemory;
        const std::vector<std::uint8_t> rows = image->PackedRows();
        if (rows.size() != into.bits().size())
            return LayerImageRead::Unreadable;
        std::memcpy(into.bits().data(), rows.data(), rows.size());
        return LayerImageRead::Read;
    } catch (const std::bad_alloc&) {
        return LayerImageRead::OutOfMemory;
    }
}

bool WriteLayerImage(const CDIB& bitmap, const std::filesystem::path& path)
{
    auto image = LibraryImage::FromBitmap(bitmap);
    if (!image)
        return false;
    image->FlipVertically();
    return image->Save(path, ImageSaveFormat::Tiff, FileSync::Staged);
}

// A layer that cannot be read becomes blank at the material's size: its type's new-layer
// value (the Renderer Layer its fill), transparent alpha.
bool MakeBlank(CDIB& bitmap, int width, int height, int bits, std::uint8_t value)
{
    if (!(bits == 24 ? bitmap.Create24(width, height) : bitmap.Create8(width, height)))
        return false;
    bitmap.Fill(value);
    return true;
}

// False when even a blank could not be made for an image: the scene cannot be had.
bool LoadLayerImages(Scene& scene, const std::filesystem::path& directory, UserInteraction& ui)
{
    bool complete = true;
    ForEachStoredLayer(scene, [&](int m, MapType type, int k) {
        if (!complete)
            return;
        Material& material = scene.materials[static_cast<std::size_t>(m)];
        Layer& layer = material.stack(type)[k];
        const int width = material.mapWidth, height = material.mapHeight;
        const int bits = type == MapType::Colour ? 24 : 8;
        // An image that cannot be read leaves a blank in its place and is remembered, so a
        // save keeps the file rather than write the blank over it.
        const auto read = [&](const std::filesystem::path& path, int depth, CDIB& into, std::uint8_t blank,
                              std::string& unread) {
            const LayerImageRead outcome = ReadLayerImage(path, width, height, depth, into);
            if (outcome == LayerImageRead::Read)
                return;
            if (outcome == LayerImageRead::OutOfMemory)
                ui.Tell(kNotEnoughMemoryToLoad + path.string(), MessageIcon::Error);
            else
                ui.Tell(path.string() + kImageLoadError);
            complete = complete && MakeBlank(into, width, height, depth, blank);
            unread = path.string();
        };
        read(directory / LayerImageName(m, type, k, false), bits, layer.image,
             k == 0 ? RendererFill(type) : NewLayerFill(type), layer.unreadImageFile);
        if (k == 0)
            return;
        read(directory / LayerImageName(m, type, k, true), 8, layer.alpha, 0, layer.unreadAlphaFile);
    });
    return complete;
}

// The material count of the project already at `file`, read from its header (0 when none).
std::int32_t EarlierMaterialCount(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::array<std::uint8_t, kCountsAt + 16> head{};
    if (!in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size())))
        return 0;
    return std::clamp<std::int32_t>(I32At(head, kCountsAt + 12), 0, INT16_MAX);
}

// The memory every stored layer and alpha of the scene takes once loaded.
std::uint64_t LayerBytes(const Scene& scene)
{
    std::uint64_t bytes = 0;
    ForEachStoredLayer(scene, [&](int m, MapType type, int k) {
        const Material& material = scene.materials[static_cast<std::size_t>(m)];
        const std::uint64_t rows = static_cast<std::uint64_t>(std::max(material.mapHeight, 0));
        bytes += CDIB::StrideFor(material.mapWidth, type == MapType::Colour ? 24 : 8) * rows;
        if (k > 0)
            bytes += CDIB::StrideFor(material.mapWidth, 8) * rows;
    });
    return bytes;
}

// The line below a refusal's message: the file, and what its code means.
std::string ProjectErrorMeaning(ProjectError error, const std::filesystem::path& file)
{
    switch (error) {
    case ProjectError::None: return {};
    case ProjectError::HeaderText: return file.string() + ": the file does not begin as a Gessoria project does";
    case ProjectError::HeaderSum:
    case ProjectError::HeaderXor: return file.string() + ": the project's header does not match its checksum";
    case ProjectError::TrailingSum:
    case ProjectError::TrailingXor:
        return file.string() + ": the file does not match its checksum (it was cut short or changed after it was saved)";
    case ProjectError::Structure:
        return file.string() + ": its counts, lengths or indices do not fit the file or each other";
    case ProjectError::Unreadable: {
        std::error_code status;
        if (!std::filesystem::exists(file, status))
            return "No such file or directory";
        return std::filesystem::is_regular_file(file, status) ? "The file cannot be read" : "Not a file";
    }
    }
    return {};
}

} // namespace

std::vector<std::string> UnreadLayerImages(const Scene& scene)
{
    std::vector<std::string> unread;
    ForEachStoredLayer(scene, [&](int m, MapType type, int k) {
        const Layer& layer = scene.materials[static_cast<std::size_t>(m)].stack(type)[k];
        for (const std::string* file : {&layer.unreadImageFile, &layer.unreadAlphaFile})
            if (!file->empty())
                unread.push_back(*file);
    });
    return unread;
}

// Layers that hold a blank because their image could not be read when the project was
// opened keep that file as it is, unless the user answers that the layers as they are now
// go over them. A front end that asks nobody keeps the files.
bool KeepUnreadImages(const Scene& scene, UserInteraction& ui)
{
    std::vector<std::string> present;
    for (const std::string& unread : UnreadLayerImages(scene)) {
        std::error_code error;
        if (std::filesystem::is_regular_file(unread, error))
            present.push_back(unread);
    }
    if (present.empty())
        return true;
    const std::string what =
        present.size() == 1 ? present.front() : present.front() + " and " + std::to_string(present.size() - 1) + " more";
    return !ui.Ask("These layer images could not be read when the project was opened, so their layers are blank: " +
                   what + ".\nWrite the layers as they are now over those files?");
}

std::string ProjectErrorMessage(ProjectError error, const std::string& path)
{
    switch (error) {
    case ProjectError::None: return {};
    case ProjectError::HeaderText:
    case ProjectError::HeaderSum:
    case ProjectError::HeaderXor:
        return "Bad Project file. (" + std::to_string(static_cast<int>(error)) + ")  Cannot load";
    case ProjectError::TrailingSum:
    case ProjectError::TrailingXor:
    case ProjectError::Structure:
        return "Bad Project file (" + std::to_string(static_cast<int>(error)) + ").  Cannot load";
    case ProjectError::Unreadable: return "Error: Unable to open file " + path;
    }
    return {};
}

ProjectChecksum ChecksumOf(std::span<const std::uint8_t> bytes)
{
    ProjectChecksum checksum;
    const std::size_t words = bytes.size() / 4;
    const std::uint8_t* p = bytes.data();
    for (std::size_t i = 0; i < words; ++i, p += 4) {
        const std::uint32_t word = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                                   (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
        checksum.sum += word;
        checksum.xorValue ^= word;
    }
    return checksum;
}

std::string LayerImageName(int material, MapType type, int index, bool alpha)
{
    return "M" + std::to_string(material) + TypeLetter(type) + (alpha ? "A" : "M") + std::to_string(index) + ".tif";
}

std::vector<std::uint8_t> EncodeProject(const Scene& scene, const ProjectSettings& settings)
{
    ByteWriter out;
    out.bytes().reserve(kSceneStart + scene.objects.size() * kObjectRecordSize +
                        scene.materials.size() * kMaterialRecordSize + scene.faceMaterial.size() * kFaceBytes +
                        scene.positionX.size() * kVertexBytes + 65536);
    WriteHeader(scene, settings.WindowState(), out);
    WriteChecksum(out);
    WriteScene(scene, out);
    settings.Write(scene, out);
    ForEachStoredLayer(scene, [&](int m, MapType type, int k) {
        out.String(scene.materials[static_cast<std::size_t>(m)].stack(type)[k].name);
    });
    WriteChecksum(out);
    return std::move(out.bytes());
}

SteppedProjectEncoding::SteppedProjectEncoding(const Scene& scene, const ProjectSettings& settings,
                                               std::vector<std::uint8_t> buffer)
    : identity_(IdentityOf(scene))
{
    buffer.clear();
    out_.bytes() = std::move(buffer);
    out_.bytes().reserve(kSceneStart + scene.objects.size() * kObjectRecordSize +
                         scene.materials.size() * kMaterialRecordSize + scene.faceMaterial.size() * kFaceBytes +
                         scene.positionX.size() * kVertexBytes + 65536);
    WriteHeader(scene, settings.WindowState(), out_);
    WriteChecksum(out_);
    WriteObjectsAndMaterials(scene, out_);
    WriteBookmarks(scene, tail_);
    settings.Write(scene, tail_);
    ForEachStoredLayer(scene, [&](int m, MapType type, int k) {
        tail_.String(scene.materials[static_cast<std::size_t>(m)].stack(type)[k].name);
    });
}

SteppedProjectEncoding::Identity SteppedProjectEncoding::IdentityOf(const Scene& scene)
{
    return {scene.materials.data(), scene.positionX.data(), scene.faceVertexA.data(), scene.cornerNormals.data(),
            scene.faceCount, scene.vertexCount};
}

bool SteppedProjectEncoding::Continue(const Scene& scene, std::chrono::steady_clock::time_point until)
{
    // Slices small enough that the clock is looked at a few times a millisecond.
    constexpr std::size_t kSlice = 16384;
    if (!(IdentityOf(scene) == identity_))
        return false;
    while (section_ < kGeometrySections) {
        const std::size_t count = GeometryCount(scene, section_);
        const std::size_t to = std::min(count, next_ + kSlice);
        WriteGeometry(scene, section_, next_, to, out_);
        next_ = to;
        if (next_ == count) {
            ++section_;
            next_ = 0;
        }
        if (std::chrono::steady_clock::now() >= until)
            break;
    }
    return true;
}

bool SteppedProjectEncoding::done() const
{
    return section_ == kGeometrySections;
}

std::vector<std::uint8_t> SteppedProjectEncoding::Finish()
{
    out_.Raw(tail_.bytes());
    tail_.bytes().clear();
    WriteChecksum(out_);
    return std::move(out_.bytes());
}

ProjectError DecodeProject(std::span<const std::uint8_t> bytes, Scene& attempt, ProjectSettings& settings,
                           ProjectWindowState& window, UserInteraction& ui)
{
    // The whole file first: nothing of a file whose trailing checksum is wrong is looked at.
    if (bytes.size() < kChecksumSize)
        return ProjectError::TrailingSum;
    const auto body = bytes.first(bytes.size() - kChecksumSize);
    const ProjectChecksum whole = ChecksumOf(body);
    ByteReader trailer(bytes, body.size());
    if (trailer.U32() != whole.sum)
        return ProjectError::TrailingSum;
    if (trailer.U32() != whole.xorValue)
        return ProjectError::TrailingXor;

    if (body.size() < 32 || std::string(ByteReader(body).FixedText(32)) != kSignature)
        return ProjectError::HeaderText;
    if (body.size() < kSceneStart)
        return ProjectError::Structure;

    ByteReader in(body);
    Counts counts;
    ReadHeader(in, attempt, window, counts);
    const ProjectChecksum header = ChecksumOf(body.first(kHeaderSize));
    if (in.U32() != header.sum)
        return ProjectError::HeaderSum;
    if (in.U32() != header.xorValue)
        return ProjectError::HeaderXor;

    // A tool or a wire-frame step the view does not have cannot be right.
    if (attempt.positionTool < 0 || attempt.positionTool > kLastPositionTool ||
        attempt.wireAcceleration < 1 || attempt.wireAcceleration > kMaxWireAcceleration)
        return ProjectError::Structure;
    // Counts, runs, layer counts and face indices are checked in the bytes before anything
    // is allocated for them.
    if (!CountsFit(counts, bytes.size()))
        return ProjectError::Structure;
    const SceneLayout layout = LayoutOf(counts);
    if (!SceneFitsItself(body, counts, layout))
        return ProjectError::Structure;

    attempt.objectCount = counts.objects;
    attempt.vertexCount = counts.vertices;
    attempt.faceCount = counts.faces;
    attempt.materialCount = counts.materials;
    // The undo ring is made by the caller once the file has been accepted.
    const UndoSettings undo = attempt.undo;
    attempt.undo.enabled = false;
    AllocateScene(attempt, true, ui);
    attempt.undo = undo;

    if (!ReadScene(in, attempt, counts) || !settings.Read(in, attempt) || in.failed() || !ReadLayerNames(in, attempt) ||
        in.position() != body.size())
        return ProjectError::Structure;
    attempt.loadedState = attempt.LeadingState();
    return ProjectError::None;
}

std::filesystem::path ProjectFilePath(const std::filesystem::path& path)
{
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        return path / path.filename();
    return path;
}

ProjectSnapshot DescribeProjectSave(const Scene& scene, const ProjectSettings& settings, bool keepUnread)
{
    ProjectSnapshot snapshot = ListProjectImages(scene, keepUnread);
    snapshot.file = EncodeProject(scene, settings);
    return snapshot;
}

ProjectSnapshot ListProjectImages(const Scene& scene, bool keepUnread)
{
    ProjectSnapshot snapshot;
    snapshot.materialCount = scene.materialCount;
    ForEachStoredLayer(scene, [&](int m, MapType type, int k) {
        const Layer& layer = scene.materials[static_cast<std::size_t>(m)].stack(type)[k];
        for (const bool alpha : {false, true}) {
            if (alpha && k == 0)
                continue;
            ProjectSnapshot::Image image;
            image.name = LayerImageName(m, type, k, alpha);
            image.bitmap = alpha ? &layer.alpha : &layer.image;
            const std::string& unread = alpha ? layer.unreadAlphaFile : layer.unreadImageFile;
            std::error_code error;
            if (keepUnread && !unread.empty() && std::filesystem::is_regular_file(unread, error))
                image.keepFile = unread;
            image.material = m;
            image.type = type;
            image.layer = k;
            image.alpha = alpha;
            snapshot.images.push_back(std::move(image));
        }
    });
    return snapshot;
}

ProjectWriteResult WriteProjectSnapshot(const ProjectSnapshot& snapshot, const std::filesystem::path& path)
{
    ClearWriteFailure();
    bool madeDirectory = false;
    std::optional<ProjectLock> lock;
    auto fail = [&](std::string reason = {}) {
        ProjectWriteResult result;
        result.reason = reason.empty() ? LastWriteFailure() : std::move(reason);
        lock.reset();
        // A first save that failed takes the directory it made with it (empty by now).
        if (madeDirectory) {
            std::error_code ignored;
            std::filesystem::remove(path, ignored);
        }
        return result;
    };
    // A first save makes a directory of the chosen name to hold the file and its images.
    std::error_code error;
    if (!std::filesystem::exists(ProjectFilePath(path), error) && !std::filesystem::exists(path, error)) {
        std::error_code making;
        madeDirectory = std::filesystem::create_directory(path, making);
        // Another program's first save of the same project may have made it meanwhile.
        if (!madeDirectory && !std::filesystem::is_directory(path, error)) {
            NoteWriteFailure(making ? making.value() : EEXIST);
            return fail();
        }
    }
    // Resolved only now: another program's first save may have made the directory since the
    // path was first looked at, and the file is then inside it (saving onto the directory
    // itself would fail with "Is a directory" instead of waiting for that save).
    const std::filesystem::path file = ProjectFilePath(path);
    const std::filesystem::path directory = file.parent_path().empty() ? "." : file.parent_path();
    const std::string fileName = file.filename().string();

    // One save of a project at a time: a second waits a little, then names the first.
    lock.emplace(directory, fileName);
    if (!lock->Acquire(kLockPatience))
        return fail(path.string() + " is being saved by another program (pid " + std::to_string(lock->holder()) + ")");
    ProjectCommit commit(directory, fileName);
    if (!commit.Begin())
        return fail();
    std::vector<std::string> written;
    bool imagesWritten = true;
    for (const ProjectSnapshot::Image& image : snapshot.images) {
        if (!imagesWritten)
            break;
        if (!image.keepFile.empty()) {
            std::error_code copyError;
            imagesWritten = std::filesystem::copy_file(image.keepFile, commit.Staged(image.name), copyError) && !copyError;
            if (!imagesWritten)
                NoteWriteFailure(copyError ? copyError.value() : EIO);
        } else {
            imagesWritten = image.bitmap != nullptr && WriteLayerImage(*image.bitmap, commit.Staged(image.name));
        }
        written.push_back(image.name);
    }
    const std::vector<std::uint8_t>& bytes = snapshot.file;
    if (!imagesWritten || !WriteFileBytes(commit.Staged(fileName), bytes.data(), bytes.size(), FileSync::Staged)) {
        commit.Abandon();
        return fail();
    }
    written.push_back(fileName);

    // Images of an earlier save that this one does not replace.
    const std::set<std::string> replaced(written.begin(), written.end());
    std::vector<std::string> stale;
    const std::int32_t materials = std::max(snapshot.materialCount, EarlierMaterialCount(file));
    for (int m = 1; m <= materials; ++m)
        for (const MapType type : kAllMapTypes)
            for (int k = 0; k <= kMaxLayerIndex; ++k)
                for (const bool alpha : {false, true}) {
                    const std::string name = LayerImageName(m, type, k, alpha);
                    if (!replaced.contains(name) && std::filesystem::exists(directory / name, error))
                        stale.push_back(name);
                }
    if (!commit.Commit(written, stale))
        return fail();
    ProjectWriteResult result;
    result.file = file;
    return result;
}

std::optional<std::filesystem::path> SaveProject(const Scene& scene, const ProjectSettings& settings,
                                                 const std::filesystem::path& path, UserInteraction& ui)
{
    ui.SetStatusText("Saving file " + path.string() + "  -  Please wait...");
    const bool keepUnread = KeepUnreadImages(scene, ui);
    const ProjectWriteResult result = WriteProjectSnapshot(DescribeProjectSave(scene, settings, keepUnread), path);
    if (!result.file)
        ui.TellWithReason("Error: Unable to save file " + path.string(), result.reason, MessageIcon::Error);
    ui.SetStatusText("Ready");
    return result.file;
}

bool LoadProject(Scene& attempt, ProjectSettings& settings, const std::filesystem::path& path, UserInteraction& ui)
{
    const std::filesystem::path file = ProjectFilePath(path);
    const std::filesystem::path directory = file.parent_path().empty() ? "." : file.parent_path();
    auto fail = [&](ProjectError error) {
        ui.TellWithReason(ProjectErrorMessage(error, file.string()), ProjectErrorMeaning(error, file), MessageIcon::Error);
        FreeScene(attempt);
        attempt.objectCount = -1;
        return false;
    };
    // A save that stopped after its commit is finished first, so the file and its images
    // always belong to the same save.
    RecoverProjectSave(directory, file.filename().string());
    const auto bytes = ReadFileBytes(file);
    if (!bytes)
        return fail(ProjectError::Unreadable);
    ProjectWindowState window;
    const ProjectError error = DecodeProject(*bytes, attempt, settings, window, ui);
    if (error != ProjectError::None)
        return fail(error);
    // Layers whose maps together need more memory than the machine has are refused before
    // a single one is allocated.
    const std::uint64_t needed = LayerBytes(attempt);
    const std::uint64_t machine = static_cast<std::uint64_t>(sysconf(_SC_PHYS_PAGES)) *
                                  static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
    if (machine > 0 && needed > machine) {
        ui.TellWithReason("Not enough memory to open " + file.string(),
                          "Its layers need " + std::to_string(needed >> 20) + " MB; this machine has " +
                              std::to_string(machine >> 20) + " MB.",
                          MessageIcon::Error);
        FreeScene(attempt);
        attempt.objectCount = -1;
        return false;
    }
    bool imagesLoaded = false;
    try {
        imagesLoaded = LoadLayerImages(attempt, directory, ui);
    } catch (const std::bad_alloc&) {
    }
    if (!imagesLoaded) {
        ui.Tell("Not enough memory to open " + file.string(), MessageIcon::Error);
        FreeScene(attempt);
        attempt.objectCount = -1;
        return false;
    }
    AllocateUndoRing(attempt, ui);
    settings.Apply(window);
    return true;
}

} // namespace gessoria
