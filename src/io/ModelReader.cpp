#include "io/ModelReader.h"

#include "io/PackedValues.h"
#include "scene/CDIB.h"
#include "scene/HelperThread.h"
#include "scene/MapConversion.h"
#include "scene/Scene.h"
#include "scene/SceneMemoryReserve.h"
#include "scene/UserInteraction.h"

#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <set>
#include <span>
#include <string_view>
#include <strings.h>
#include <vector>

namespace gessoria {
namespace {

constexpr int kFailed = 1;

constexpr const char* kModelExtensions[] = {"obj", "gltf", "glb", "fbx", "dae", "ply", "stl"};

// Triangles only, texture coordinates of every mapping kind turned into UVs with their
// transforms applied, and assimp's own consistency check over what its readers produced.
constexpr unsigned kImportSteps =
    aiProcess_Triangulate | aiProcess_GenUVCoords | aiProcess_TransformUVCoords | aiProcess_ValidateDataStructure;

constexpr std::uint16_t kAllEdgesVisible = 7;
constexpr std::uint32_t kSmoothedTogether = 1;

// What a triangle corner on one assimp vertex becomes: its object vertex and its 16.16
// texture coordinates (0 without a UV channel), converted once per vertex, not per corner.
struct CornerTarget {
    std::int32_t vertex = -1;
    std::int32_t u = 0;
    std::int32_t v = 0;
};

// One mesh joined into object vertices, holding everything the scene takes from the mesh, so
// the model itself can be released before the scene is filled: `local` maps each assimp
// vertex a triangle uses to its corner values; `positions` are the object's vertices as the
// mesh has them (before any node's transform), `triangles` the mesh's triangles in file order
// as assimp vertices.
struct JoinedMesh {
    std::vector<CornerTarget> local;
    std::vector<aiVector3D> positions;
    std::vector<std::array<std::uint32_t, 3>> triangles;
    std::string name;
    unsigned material = 0;
    bool hasTextureCoordinates = false;
    bool valid = true;  // false when a corner names a vertex the mesh does not have

    // The mesh's name, material and whether it has texture coordinates, and room for its
    // vertices and faces, so joining it allocates nothing.
    void Prepare(const aiMesh& mesh)
    {
        name = mesh.mName.C_Str();
        material = mesh.mMaterialIndex;
        hasTextureCoordinates = mesh.mTextureCoords[0] != nullptr;
        local.reserve(mesh.mNumVertices);
        positions.reserve(mesh.mNumVertices);
        triangles.reserve(mesh.mNumFaces);
    }
};

std::uint32_t Bits(float value)
{
    return std::bit_cast<std::uint32_t>(value + 0.0f);  // -0 joins +0
}

// The bits that decide whether two corners are one vertex: the position, and the normal
// where the mesh has normals.
struct CornerKey {
    std::array<std::uint32_t, 6> bits{};

    CornerKey(const aiMesh& mesh, std::uint32_t vertex)
    {
        const aiVector3D& p = mesh.mVertices[vertex];
        bits[0] = Bits(p.x);
        bits[1] = Bits(p.y);
        bits[2] = Bits(p.z);
        if (mesh.mNormals != nullptr) {
            const aiVector3D& n = mesh.mNormals[vertex];
            bits[3] = Bits(n.x);
            bits[4] = Bits(n.y);
            bits[5] = Bits(n.z);
        }
    }
    // Three products of independent 64-bit halves of the key, so they run side by side,
    // folded and mixed once.
    std::uint64_t Hash() const
    {
        const auto pair = [this](std::size_t i) { return std::uint64_t{bits[i]} << 32 | bits[i + 1]; };
        std::uint64_t h = pair(0) * 0x9E3779B97F4A7C15ull + pair(2) * 0xC2B2AE3D27D4EB4Full +
                          pair(4) * 0x165667B19E3779F9ull;
        h ^= h >> 32;
        h *= 0xFF51AFD7ED558CCDull;
        return h ^ (h >> 29);
    }
    bool operator==(const CornerKey&) const = default;
};

bool IsTriangle(const aiFace& face)
{
    return face.mNumIndices == 3 && face.mIndices != nullptr;
}

// The join's working memory, kept from mesh to mesh so a model's meshes share one
// allocation of each instead of making and freeing their own.
class JoinScratch {
public:
    struct FirstUse {
        std::uint32_t vertex;
        std::uint64_t hash;
    };
    // Open addressing over object vertices; each slot keeps 32 bits of its key's hash beside
    // the vertex, so a probe touches the mesh's arrays only when those bits agree.
    struct Slot {
        std::int32_t vertex;
        std::uint32_t tag;
    };

    // Room for joining a mesh of `vertexCount` vertices, so the join itself allocates nothing.
    void Prepare(std::size_t vertexCount)
    {
        FirstUses(vertexCount);
        Sources(vertexCount);
        Room(table_, tableSize_, TableCapacity(vertexCount));
    }
    // The table size for `count` vertices: at most two thirds full, so probes stay short.
    static std::size_t TableCapacity(std::size_t count)
    {
        std::size_t capacity = 16;
        while (2 * capacity < 3 * count)
            capacity *= 2;
        return capacity;
    }
    // Room for `count` first uses; the contents are left as they are.
    FirstUse* FirstUses(std::size_t count) { return Room(firstUse_, firstUseSize_, count); }
    // Room for `count` object vertices' assimp vertices; the contents are left as they are.
    std::uint32_t* Sources(std::size_t count) { return Room(source_, sourceSize_, count); }
    // `capacity` empty slots.
    Slot* EmptyTable(std::size_t capacity)
    {
        Slot* table = Room(table_, tableSize_, capacity);
        std::fill_n(table, capacity, Slot{-1, 0});
        return table;
    }

private:
    template <typename T>
    static T* Room(std::unique_ptr<T[]>& buffer, std::size_t& size, std::size_t count)
    {
        if (count > size) {
            buffer = std::make_unique_for_overwrite<T[]>(count);
            size = count;
        }
        return buffer.get();
    }

    std::unique_ptr<FirstUse[]> firstUse_;
    std::size_t firstUseSize_ = 0;
    std::unique_ptr<std::uint32_t[]> source_;
    std::size_t sourceSize_ = 0;
    std::unique_ptr<Slot[]> table_;
    std::size_t tableSize_ = 0;
};

// Joins the corners of a mesh's triangles that share position and normal, into `joined` as
// prepared for the mesh; not valid when a
// corner names a vertex the mesh does not have. Object vertices are numbered in the order
// the triangles first use them.
//
// Two passes, so the hash table's cache misses overlap instead of queueing: the first walks
// the triangles, listing each vertex at its first use with its key's hash and its texture
// coordinates; the second joins the listed vertices in that order, each probe's slot fetched
// from memory a few vertices ahead of its turn.
void JoinCorners(const aiMesh& mesh, JoinedMesh& joined, JoinScratch& scratch)
{
    joined.local.assign(mesh.mNumVertices, CornerTarget{});
    CornerTarget* const local = joined.local.data();
    const aiVector3D* uv = mesh.mTextureCoords[0];
    const std::uint32_t vertexCount = mesh.mNumVertices;
    JoinScratch::FirstUse* const firstUse = scratch.FirstUses(vertexCount);
    std::size_t listed = 0;
    for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
        const aiFace& face = mesh.mFaces[f];
        if (!IsTriangle(face))
            continue;
        const std::array<std::uint32_t, 3> corners{face.mIndices[0], face.mIndices[1], face.mIndices[2]};
        for (const std::uint32_t vertex : corners) {
            if (vertex >= vertexCount) {
                joined.valid = false;
                return;
            }
            CornerTarget& target = local[vertex];
            if (target.vertex >= 0)
                continue;
            target.vertex = 0;  // listed; the join below gives the real number
            if (uv != nullptr) {
                target.u = TextureFixedPoint(uv[vertex].x);
                target.v = TextureFixedPoint(uv[vertex].y);
            }
            firstUse[listed++] = {vertex, CornerKey(mesh, vertex).Hash()};
        }
        joined.triangles.push_back(corners);
    }

    const std::size_t capacity = JoinScratch::TableCapacity(listed);
    JoinScratch::Slot* const table = scratch.EmptyTable(capacity);
    constexpr std::size_t kAhead = 16;
    std::uint32_t* const source = scratch.Sources(listed);
    std::int32_t vertices = 0;
    for (std::size_t i = 0; i < listed; ++i) {
        if (i + kAhead < listed)
            __builtin_prefetch(&table[firstUse[i + kAhead].hash & (capacity - 1)]);
        const auto [vertex, hash] = firstUse[i];
        const CornerKey key(mesh, vertex);
        const auto tag = static_cast<std::uint32_t>(hash >> 32);
        std::size_t slot = hash & (capacity - 1);
        while (table[slot].vertex >= 0 &&
               !(table[slot].tag == tag && CornerKey(mesh, source[static_cast<std::size_t>(table[slot].vertex)]) == key))
            slot = (slot + 1) & (capacity - 1);
        if (table[slot].vertex < 0) {
            table[slot] = {vertices, tag};
            source[static_cast<std::size_t>(vertices++)] = vertex;
            joined.positions.push_back(mesh.mVertices[vertex]);
        }
        local[vertex].vertex = table[slot].vertex;
    }
}

// A mesh as a node places it.
struct Placement {
    unsigned mesh = 0;
    aiMatrix4x4 transform;
    std::string name;
};

std::vector<Placement> PlaceMeshes(const aiScene& scene)
{
    std::vector<Placement> placements;
    std::vector<std::pair<const aiNode*, aiMatrix4x4>> pending;
    if (scene.mRootNode != nullptr)
        pending.emplace_back(scene.mRootNode, scene.mRootNode->mTransformation);
    while (!pending.empty()) {
        const auto [node, transform] = pending.back();
        pending.pop_back();
        for (unsigned i = 0; i < node->mNumMeshes; ++i)
            if (node->mMeshes[i] < scene.mNumMeshes)
                placements.push_back({node->mMeshes[i], transform, node->mName.C_Str()});
        // Children are pushed last to first so the walk meets them in file order.
        for (unsigned c = node->mNumChildren; c-- > 0;)
            if (node->mChildren[c] != nullptr)
                pending.emplace_back(node->mChildren[c], transform * node->mChildren[c]->mTransformation);
    }
    return placements;
}

// Joins the meshes the placements use, on two cores where there are several: each core
// takes a run of meshes in order, about half the faces each, with working memory made here
// beforehand so neither allocates while it joins.
std::vector<JoinedMesh> JoinMeshes(const aiScene& model, const std::vector<Placement>& placements)
{
    std::vector<JoinedMesh> joined(model.mNumMeshes);
    std::vector<unsigned> order;  // each joined mesh once, in the order placements first use it
    std::vector<bool> listed(model.mNumMeshes, false);
    for (const Placement& placement : placements) {
        const aiMesh* mesh = model.mMeshes[placement.mesh];
        if (mesh == nullptr || mesh->mVertices == nullptr || listed[placement.mesh])
            continue;
        listed[placement.mesh] = true;
        order.push_back(placement.mesh);
        joined[placement.mesh].Prepare(*mesh);
    }
    const std::size_t split = SecondHalfStart(order.size(), [&](std::size_t i) { return model.mMeshes[order[i]]->mNumFaces; });

    const auto joinRun = [&](std::size_t begin, std::size_t end, JoinScratch& scratch) {
        for (std::size_t i = begin; i < end; ++i)
            JoinCorners(*model.mMeshes[order[i]], joined[order[i]], scratch);
    };
    const auto prepare = [&](std::size_t begin, std::size_t end, JoinScratch& scratch) {
        for (std::size_t i = begin; i < end; ++i)
            scratch.Prepare(model.mMeshes[order[i]]->mNumVertices);
    };
    JoinScratch first, second;
    prepare(0, split, first);
    if (split < order.size()) {
        prepare(split, order.size(), second);
        Helper helper = StartHelper([&] { joinRun(split, order.size(), second); });
        joinRun(0, split, first);
        helper.Finish();
    } else {
        joinRun(0, order.size(), first);
    }
    return joined;
}

// A name cut to the object field and different from every name given before.
std::string UniqueName(std::string name, std::set<std::string>& taken)
{
    if (name.empty())
        name = "Object";
    std::string candidate = name.substr(0, SceneObject::kMaxName);
    for (int n = 2; taken.count(candidate) != 0; ++n) {
        const std::string suffix = "." + std::to_string(n);
        candidate = name.substr(0, SceneObject::kMaxName - suffix.size()) + suffix;
    }
    taken.insert(candidate);
    return candidate;
}

// --- Materials ----------------------------------------------------------------------------

struct ModelContext {
    const aiScene& scene;
    std::filesystem::path directory;  // empty when the model was read from memory
    std::vector<std::string>& notices;
};

bool ImagePath(const aiMaterial& material, aiTextureType type, aiString& path)
{
    return material.GetTextureCount(type) > 0 && material.GetTexture(type, 0, &path) == AI_SUCCESS && path.length > 0;
}

// An uncompressed stored image (mWidth x mHeight texels, blue, green, red, alpha, the first
// row the image's top) as the bytes of a 32-bit top-down BMP file; empty when a side is 0 or
// beyond what a bitmap may hold.
std::vector<std::uint8_t> TexelsAsBitmapFile(const aiTexture& texture)
{
    const std::uint32_t width = texture.mWidth, height = texture.mHeight;
    if (texture.pcData == nullptr || width == 0 || height == 0 || width > CDIB::kMaxDimension ||
        height > CDIB::kMaxDimension)
        return {};
    const std::uint32_t pixelBytes = width * height * 4;
    std::vector<std::uint8_t> file;
    file.reserve(54 + pixelBytes);
    const auto put16 = [&](std::uint32_t v) {
        file.push_back(static_cast<std::uint8_t>(v));
        file.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    const auto put32 = [&](std::uint32_t v) {
        put16(v & 0xFFFF);
        put16(v >> 16);
    };
    file.push_back('B');
    file.push_back('M');
    put32(54 + pixelBytes);
    put32(0);
    put32(54);               // pixels follow the two headers
    put32(40);               // BITMAPINFOHEADER
    put32(width);
    put32(0u - height);      // negative: the first row stored is the top row
    put16(1);
    put16(32);
    put32(0);                // no compression
    put32(pixelBytes);
    put32(2835);             // 72 dots per inch
    put32(2835);
    put32(0);
    put32(0);
    for (std::uint32_t i = 0; i < width * height; ++i) {
        const aiTexel& texel = texture.pcData[i];
        file.insert(file.end(), {texel.b, texel.g, texel.r, texel.a});
    }
    return file;
}

// Points `ref` at the image the material names: its bytes when the model holds the image,
// else the file resolved against the model's directory, with the bare name for the Map Paths.
void ReferImage(MapRef& ref, const aiString& path, const std::string& materialName, const ModelContext& context)
{
    const auto [texture, index] = context.scene.GetEmbeddedTextureAndIndex(path.C_Str());
    if (texture != nullptr) {
        const std::string stored = std::filesystem::path(texture->mFilename.C_Str()).filename().string();
        if (texture->mHeight != 0) {
            // Texels rather than a file: handed to the image library as the bitmap file they
            // would be, under the stored name with a .bmp ending.
            auto bitmap = TexelsAsBitmapFile(*texture);
            if (bitmap.empty()) {
                context.notices.push_back(materialName + ": an image stored in the model as " +
                                          std::to_string(texture->mWidth) + " x " + std::to_string(texture->mHeight) +
                                          " texels is left out (at most " + std::to_string(CDIB::kMaxDimension) +
                                          " a side).");
                return;
            }
            ref.embeddedImage = std::make_shared<const std::vector<std::uint8_t>>(std::move(bitmap));
            const std::string stem = std::filesystem::path(stored).stem().string();
            ref.fileName = (stem.empty() ? "image" + std::to_string(index) : stem) + ".bmp";
            return;
        }
        if (texture->pcData == nullptr) {
            context.notices.push_back(materialName + ": an image stored in the model is empty and left out.");
            return;
        }
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(texture->pcData);
        ref.embeddedImage = std::make_shared<const std::vector<std::uint8_t>>(bytes, bytes + texture->mWidth);
        const std::string hint(texture->achFormatHint, strnlen(texture->achFormatHint, HINTMAXTEXTURELEN));
        ref.fileName = !stored.empty() ? stored : "image" + std::to_string(index) + (hint.empty() ? "" : "." + hint);
        return;
    }
    std::string text = path.C_Str();
    std::replace(text.begin(), text.end(), '\\', '/');
    const std::filesystem::path named(text);
    ref.fileName = named.filename().string();
    if (!context.directory.empty())
        ref.sourcePath = (named.is_absolute() ? named : context.directory / named).lexically_normal().string();
}

// The first image of the first type that has one.
bool ReferFirstImage(MapRef& ref, const aiMaterial& material, std::initializer_list<aiTextureType> types,
                     const std::string& materialName, const ModelContext& context)
{
    aiString path;
    for (aiTextureType type : types)
        if (ImagePath(material, type, path)) {
            ReferImage(ref, path, materialName, context);
            return true;
        }
    return false;
}

void ReadMaterial(const aiMaterial& source, Material& material, const ModelContext& context)
{
    aiString name;
    if (source.Get(AI_MATKEY_NAME, name) == AI_SUCCESS)
        material.name = std::string(name.C_Str()).substr(0, Material::kMaxName);

    aiColor4D colour(1.0f, 1.0f, 1.0f, 1.0f);
    if (source.Get(AI_MATKEY_COLOR_DIFFUSE, colour) == AI_SUCCESS || source.Get(AI_MATKEY_BASE_COLOR, colour) == AI_SUCCESS)
        material.colour = PackColour(PackedByte(colour.r), PackedByte(colour.g), PackedByte(colour.b));

    float opacity = 1.0f;
    if (source.Get(AI_MATKEY_OPACITY, opacity) == AI_SUCCESS)
        material.transparency = PackedByte(1.0f - opacity);

    // Shininess is how glossy the surface is: 1 - roughness for physically based materials,
    // else the Phong exponent's square root over 1000's (the exponent 1000 (1 - roughness)^2
    // that modelling programs write for a roughness).
    float roughness = 0.0f, exponent = 0.0f, strength = 0.0f;
    std::uint8_t gloss = 0, glossStrength = 0;
    if (source.Get(AI_MATKEY_ROUGHNESS_FACTOR, roughness) == AI_SUCCESS)
        gloss = PackedByte(1.0f - roughness);
    else if (source.Get(AI_MATKEY_SHININESS, exponent) == AI_SUCCESS)
        gloss = PackedByte(std::sqrt(std::clamp(exponent / 1000.0f, 0.0f, 1.0f)));
    if (source.Get(AI_MATKEY_SHININESS_STRENGTH, strength) == AI_SUCCESS)
        glossStrength = PackedByte(strength);
    material.shininess = static_cast<std::int16_t>((gloss << 8) | glossStrength);

    aiColor3D emissive(0.0f, 0.0f, 0.0f);
    float intensity = 1.0f;
    if (source.Get(AI_MATKEY_COLOR_EMISSIVE, emissive) == AI_SUCCESS) {
        source.Get(AI_MATKEY_EMISSIVE_INTENSITY, intensity);
        material.selfIllumPercent = PackedByte(std::max({emissive.r, emissive.g, emissive.b}) * intensity);
    }
    int twoSided = 0;
    if (source.Get(AI_MATKEY_TWOSIDED, twoSided) == AI_SUCCESS && twoSided != 0)
        material.twoSided = 1;
    int shading = aiShadingMode_Phong;
    source.Get(AI_MATKEY_SHADING_MODEL, shading);
    material.shading = shading == aiShadingMode_Flat ? 1 : shading == aiShadingMode_Gouraud ? 2 : 3;

    const std::string label = material.name.empty() ? std::string("A material") : material.name;
    auto& slots = material.mapSlots;
    ReferFirstImage(slots[kSlotTexture1].map, source, {aiTextureType_BASE_COLOR, aiTextureType_DIFFUSE}, label, context);
    ReferFirstImage(slots[kSlotOpacity].map, source, {aiTextureType_OPACITY}, label, context);
    // A normal map stands in for a missing height map, turned into the heights whose slopes
    // its normals are; a roughness map for a missing shininess map, inverted.
    MapRef& bump = slots[kSlotBump].map;
    if (!ReferFirstImage(bump, source, {aiTextureType_HEIGHT, aiTextureType_DISPLACEMENT}, label, context) &&
        ReferFirstImage(bump, source, {aiTextureType_NORMALS, aiTextureType_NORMAL_CAMERA}, label, context))
        bump.conversion = MapConversion::NormalsToHeights;
    MapRef& shininess = slots[kSlotShininess].map;
    if (!ReferFirstImage(shininess, source, {aiTextureType_SHININESS}, label, context) &&
        ReferFirstImage(shininess, source, {aiTextureType_DIFFUSE_ROUGHNESS}, label, context))
        shininess.conversion = MapConversion::RoughnessToShininess;
    if (ReferFirstImage(slots[kSlotSelfIllum].map, source, {aiTextureType_EMISSIVE, aiTextureType_EMISSION_COLOR}, label, context) ||
        material.selfIllumPercent > 0)
        material.selfIllum = 1;
    material.currentLayerOnly = 0;
}

// --- Geometry -----------------------------------------------------------------------------

// Texture coordinates across the two longest sides of the object's box, for a mesh without
// any: u along the longest axis, v along the next (X before Y before Z on ties). One pair per
// object vertex, from the placed positions before the scene is centred.
std::vector<std::array<std::int32_t, 2>> FlatCoordinates(const Scene& scene, const SceneObject& object)
{
    const SceneArray<float>* axes[3] = {&scene.positionX, &scene.positionY, &scene.positionZ};
    float low[3], extent[3];
    for (int a = 0; a < 3; ++a) {
        const auto first = axes[a]->begin() + object.firstVertex;
        const auto [lo, hi] = std::minmax_element(first, first + object.vertexCount);
        low[a] = object.vertexCount > 0 ? *lo : 0.0f;
        extent[a] = object.vertexCount > 0 ? *hi - *lo : 0.0f;
    }
    int order[3] = {0, 1, 2};
    std::stable_sort(order, order + 3, [&](int l, int r) { return extent[l] > extent[r]; });
    const auto along = [&](int axis, std::size_t vertex) {
        const float offset = (*axes[axis])[vertex] - low[axis];
        return TextureFixedPoint(extent[axis] > 0.0f ? offset / extent[axis] : 0.0f);
    };
    std::vector<std::array<std::int32_t, 2>> coordinates(static_cast<std::size_t>(object.vertexCount));
    for (std::size_t i = 0; i < coordinates.size(); ++i) {
        const std::size_t vertex = static_cast<std::size_t>(object.firstVertex) + i;
        coordinates[i] = {along(order[0], vertex), along(order[1], vertex)};
    }
    return coordinates;
}

// Writes one placed mesh's vertices as the object's, through the node's transform; false
// when a position is not finite.
bool FillPositions(Scene& scene, const JoinedMesh& joined, const aiMatrix4x4& transform, std::int32_t firstVertex)
{
    for (std::size_t i = 0; i < joined.positions.size(); ++i) {
        const aiVector3D p = transform * joined.positions[i];
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
            return false;
        // Y is up in both; the scene's Z runs the other way round (as a 3D Studio file's Y
        // does), so a model looks the same whichever format it came in.
        const std::size_t at = static_cast<std::size_t>(firstVertex) + i;
        scene.positionX[at] = p.x;
        scene.positionY[at] = p.y;
        scene.positionZ[at] = -p.z;
    }
    return true;
}

// Writes the mesh's triangles [begin, end) as the object's faces, with their face normals
// (from the object's positions, which must be in place), and with `flat`'s coordinates
// instead of the mesh's where the mesh has none.
void FillFaces(Scene& scene, const JoinedMesh& joined, const SceneObject& object, std::int16_t materialIndex,
               std::span<const std::array<std::int32_t, 2>> flat, std::size_t begin, std::size_t end)
{
    std::int32_t* const vertexA = scene.faceVertexA.data();
    std::int32_t* const vertexB = scene.faceVertexB.data();
    std::int32_t* const vertexC = scene.faceVertexC.data();
    std::int32_t* const u0 = scene.faceU0.data();
    std::int32_t* const v0 = scene.faceV0.data();
    std::int32_t* const u1 = scene.faceU1.data();
    std::int32_t* const v1 = scene.faceV1.data();
    std::int32_t* const u2 = scene.faceU2.data();
    std::int32_t* const v2 = scene.faceV2.data();
    const CornerTarget* const target = joined.local.data();
    // A corner's texture coordinates: the mesh's, or the flat mapping's for its vertex.
    const auto coordinates = [flat](const CornerTarget& corner) {
        return flat.empty() ? std::array<std::int32_t, 2>{corner.u, corner.v} : flat[static_cast<std::size_t>(corner.vertex)];
    };
    const std::int32_t firstVertex = object.firstVertex;
    const std::size_t first = static_cast<std::size_t>(object.firstFace) + begin;
    std::size_t face = first;
    for (std::size_t t = begin; t < end; ++t, ++face) {
        const auto& [one, two, three] = joined.triangles[t];
        const CornerTarget& a = target[one];
        const CornerTarget& b = target[two];
        const CornerTarget& c = target[three];
        vertexA[face] = firstVertex + a.vertex;
        vertexB[face] = firstVertex + b.vertex;
        vertexC[face] = firstVertex + c.vertex;
        const std::array<std::int32_t, 2> uvA = coordinates(a), uvB = coordinates(b), uvC = coordinates(c);
        u0[face] = uvA[0];
        v0[face] = uvA[1];
        u1[face] = uvB[0];
        v1[face] = uvB[1];
        u2[face] = uvC[0];
        v2[face] = uvC[1];
    }
    std::fill(scene.faceFlags.begin() + first, scene.faceFlags.begin() + face, kAllEdgesVisible);
    std::fill(scene.faceSmoothing.begin() + first, scene.faceSmoothing.begin() + face, kSmoothedTogether);
    std::fill(scene.faceMaterial.begin() + first, scene.faceMaterial.begin() + face, materialIndex);
    ComputeFaceNormals(scene, static_cast<std::int32_t>(first), static_cast<std::int32_t>(face));
}

int Fail(std::string& reason, std::string text)
{
    reason = std::move(text);
    return kFailed;
}

// Fills the scene, its large arrays taken from `reserve`, from the model the importer holds.
// Once the meshes are joined and the materials read, only the joined meshes are read, so the
// model is released while the scene is filled (see below).
int FillScene(Assimp::Importer& importer, const ModelContext& context, SceneMemoryReserve& reserve, Scene& scene,
              UserInteraction& ui, std::string& reason)
{
    const aiScene& model = context.scene;
    const std::vector<Placement> placements = PlaceMeshes(model);
    const std::vector<JoinedMesh> joined = JoinMeshes(model, placements);
    std::vector<const Placement*> objects;
    std::int64_t vertexTotal = 0, faceTotal = 0;
    constexpr std::int64_t kMaxTotal = std::numeric_limits<std::int32_t>::max();
    for (const Placement& placement : placements) {
        const aiMesh* mesh = model.mMeshes[placement.mesh];
        if (mesh == nullptr || mesh->mVertices == nullptr)
            continue;
        const JoinedMesh& join = joined[placement.mesh];
        if (!join.valid)
            return Fail(reason, "A face names a vertex its mesh does not have.");
        if (join.triangles.empty())
            continue;  // points and lines only
        vertexTotal += static_cast<std::int64_t>(join.positions.size());
        faceTotal += static_cast<std::int64_t>(join.triangles.size());
        if (vertexTotal > kMaxTotal || faceTotal > kMaxTotal)
            return Fail(reason, "The model holds more than 2147483647 faces or vertices.");
        objects.push_back(&placement);
    }
    if (objects.empty())
        return Fail(reason, "The model holds no triangles.");
    if (model.mNumMaterials >= static_cast<unsigned>(std::numeric_limits<std::int16_t>::max()))
        return Fail(reason, "The model holds more than 32766 materials.");

    // Only materials some placed mesh uses become scene materials, in file order: readers add
    // materials no face uses (OBJ's "DefaultMaterial"), and each would ask for a bitmap.
    std::vector<std::int16_t> sceneMaterial(model.mNumMaterials, 0);
    for (const Placement* placement : objects)
        if (const unsigned m = joined[placement->mesh].material; m < model.mNumMaterials)
            sceneMaterial[m] = 1;
    std::int16_t used = 0;
    for (std::int16_t& index : sceneMaterial)
        if (index != 0)
            index = ++used;

    scene.objectCount = static_cast<std::int32_t>(objects.size());
    scene.vertexCount = static_cast<std::int32_t>(vertexTotal);
    scene.faceCount = static_cast<std::int32_t>(faceTotal);
    scene.materialCount = used;
    {
        const SceneMemoryReserve::Use fromReserve(reserve);
        AllocateScene(scene, false, ui);
    }

    for (unsigned m = 0; m < model.mNumMaterials; ++m)
        if (sceneMaterial[m] != 0 && model.mMaterials[m] != nullptr)
            ReadMaterial(*model.mMaterials[m], scene.materials[static_cast<std::size_t>(sceneMaterial[m])], context);

    std::int32_t faces = 0, vertices = 0;
    for (std::size_t k = 0; k < objects.size(); ++k) {
        const JoinedMesh& join = joined[objects[k]->mesh];
        SceneObject& object = scene.objects[k];
        object.vertexCount = static_cast<std::int32_t>(join.positions.size());
        object.faceCount = static_cast<std::int32_t>(join.triangles.size());
        object.firstFace = faces;
        object.firstVertex = vertices;
        faces += object.faceCount;
        vertices += object.vertexCount;
    }
    // The fill goes on both cores. The helper writes the vertices and centres them while this
    // core releases assimp's model; then both take the faces, a run at a time, each face with
    // its normal, which needs the centred positions. Every run writes its own faces only.
    struct FaceRun {
        std::size_t object, begin, end;
    };
    constexpr std::size_t kRunFaces = 16384;
    std::vector<FaceRun> runs;
    for (std::size_t k = 0; k < objects.size(); ++k) {
        const std::size_t count = joined[objects[k]->mesh].triangles.size();
        for (std::size_t begin = 0; begin < count; begin += kRunFaces)
            runs.push_back({k, begin, std::min(begin + kRunFaces, count)});
    }
    std::vector<std::vector<std::array<std::int32_t, 2>>> flat(objects.size());
    std::atomic<bool> finite = true;
    std::atomic<bool> centred = false;
    std::atomic<std::size_t> nextRun = 0;
    const auto fillRuns = [&] {
        for (std::size_t r = nextRun++; r < runs.size(); r = nextRun++) {
            const FaceRun& run = runs[r];
            const JoinedMesh& join = joined[objects[run.object]->mesh];
            const std::int16_t material = join.material < sceneMaterial.size() ? sceneMaterial[join.material] : 0;
            FillFaces(scene, join, scene.objects[run.object], material, flat[run.object], run.begin, run.end);
        }
    };
    Helper fill = StartHelper([&] {
        for (std::size_t k = 0; k < objects.size() && finite; ++k) {
            const JoinedMesh& join = joined[objects[k]->mesh];
            finite = FillPositions(scene, join, objects[k]->transform, scene.objects[k].firstVertex);
            if (finite && !join.hasTextureCoordinates)
                flat[k] = FlatCoordinates(scene, scene.objects[k]);
        }
        if (finite)
            CentreScene(scene);
        centred = true;
        centred.notify_one();
        if (finite)
            fillRuns();
    });
    importer.FreeScene();
    centred.wait(false);
    if (finite)
        fillRuns();
    fill.Finish();
    if (!finite)
        return Fail(reason, "A vertex position is not a finite number.");

    std::set<std::string> names;
    std::vector<std::string> unmapped;
    for (std::size_t k = 0; k < objects.size(); ++k) {
        SceneObject& object = scene.objects[k];
        const JoinedMesh& join = joined[objects[k]->mesh];
        object.name = UniqueName(!objects[k]->name.empty() ? objects[k]->name : join.name, names);
        if (!join.hasTextureCoordinates)
            unmapped.push_back(object.name);
    }

    if (!unmapped.empty()) {
        std::string list;
        for (const std::string& name : unmapped)
            list += (list.empty() ? "" : ", ") + name;
        context.notices.push_back("No texture coordinates in " + list +
                                  ": each is mapped flat across the two longest sides of its box.");
    }
    if (!context.notices.empty()) {
        std::string text;
        for (const std::string& notice : context.notices)
            text += (text.empty() ? "" : "\n") + notice;
        ui.Tell(text, MessageIcon::Warning);
    }
    return 0;
}

// Files assimp's readers would never finish with, refused from their first bytes: a PLY
// header that does not end (a line "end_header") within its first 64 KiB sends assimp's PLY
// reader into an endless loop.
constexpr std::size_t kHeaderBytes = 64 * 1024;

bool IsEndlessForAssimp(std::span<const std::uint8_t> head, const std::string& extension, std::string& reason)
{
    if (strcasecmp(extension.c_str(), "ply") != 0)
        return false;
    const std::string_view text(reinterpret_cast<const char*>(head.data()), std::min(head.size(), kHeaderBytes));
    // The keyword must stand on a line of its own: inside another word it ends nothing.
    constexpr std::string_view kEnd = "end_header";
    for (std::size_t at = text.find(kEnd); at != std::string_view::npos; at = text.find(kEnd, at + 1)) {
        const std::size_t after = at + kEnd.size();
        const bool lineStart = at > 0 && text[at - 1] == '\n';
        const bool lineEnd = after >= text.size() || text[after] == '\n' || text[after] == '\r' || text[after] == ' ' ||
                             text[after] == '\t';
        if (lineStart && lineEnd)
            return false;
    }
    reason = "The PLY header does not end (no end_header line in its first 64 KiB).";
    return true;
}

int ReadWith(Assimp::Importer& importer, const aiScene* model, const std::filesystem::path& directory,
             SceneMemoryReserve& reserve, Scene& scene, UserInteraction& ui, std::string& reason)
{
    if (model == nullptr)
        return Fail(reason, importer.GetErrorString());
    std::vector<std::string> notices;
    const ModelContext context{*model, directory, notices};
    return FillScene(importer, context, reserve, scene, ui, reason);
}

// The scene memory a model file of `fileBytes` is expected to take, to be faulted in while
// assimp reads it. A binary file (GLB, binary PLY, STL and FBX) packs its positions, indices
// and coordinates, and its scene's arrays take about four times its size (3.8 on the dense
// sample); a text file about as much as itself (1.3). Images inside a file make it larger
// than its geometry: the estimate is capped, and whatever is not taken is returned.
std::size_t ExpectedSceneBytes(std::uintmax_t fileBytes, const std::string& extension)
{
    constexpr std::uintmax_t kCap = std::uintmax_t{256} << 20;
    const bool binary = strcasecmp(extension.c_str(), "glb") == 0 || strcasecmp(extension.c_str(), "ply") == 0 ||
                        strcasecmp(extension.c_str(), "stl") == 0 || strcasecmp(extension.c_str(), "fbx") == 0;
    const std::uintmax_t expected = binary ? fileBytes / 4 * 15 : fileBytes / 4 * 5;
    return static_cast<std::size_t>(std::min(expected, kCap));
}

// Reads with assimp on this core while the other faults in the memory the scene is expected
// to take (assimp's reading is one thread's work, the longest step of an open).
template <typename Read>
const aiScene* ReadPreparingMemory(SceneMemoryReserve& reserve, Read&& read)
{
    std::atomic<bool> done = false;
    Helper prepare = StartHelper([&] { reserve.Prepare(done); });
    const aiScene* model = read();
    done = true;
    prepare.Finish();
    return model;
}

} // namespace

bool IsModelExtension(const std::string& extension)
{
    return std::any_of(std::begin(kModelExtensions), std::end(kModelExtensions),
                       [&](const char* known) { return strcasecmp(extension.c_str(), known) == 0; });
}

int ReadModelFile(const std::string& path, Scene& scene, UserInteraction& ui, std::string& reason)
{
    std::ifstream file(path, std::ios::binary);
    std::vector<std::uint8_t> head(kHeaderBytes);
    file.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(std::max<std::streamsize>(file.gcount(), 0)));
    const std::string dotted = std::filesystem::path(path).extension().string();
    const std::string extension = dotted.empty() ? dotted : dotted.substr(1);
    if (IsEndlessForAssimp(head, extension, reason))
        return kFailed;
    std::error_code sizeUnknown;
    const std::uintmax_t fileBytes = std::filesystem::file_size(path, sizeUnknown);
    SceneMemoryReserve reserve(sizeUnknown ? 0 : ExpectedSceneBytes(fileBytes, extension));
    Assimp::Importer importer;
    const aiScene* model = ReadPreparingMemory(reserve, [&] { return importer.ReadFile(path, kImportSteps); });
    return ReadWith(importer, model, std::filesystem::absolute(path).parent_path(), reserve, scene, ui, reason);
}

int ReadModelData(std::span<const std::uint8_t> file, const std::string& extension, Scene& scene, UserInteraction& ui,
                  std::string& reason)
{
    if (IsEndlessForAssimp(file, extension, reason))
        return kFailed;
    SceneMemoryReserve reserve(ExpectedSceneBytes(file.size(), extension));
    Assimp::Importer importer;
    const aiScene* model = ReadPreparingMemory(reserve, [&] {
        return importer.ReadFileFromMemory(file.data(), file.size(), kImportSteps, extension.c_str());
    });
    return ReadWith(importer, model, {}, reserve, scene, ui, reason);
}

} // namespace gessoria
