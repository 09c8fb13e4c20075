#include "io/ModelWriter.h"

#include "io/FileBytes.h"
#include "scene/Scene.h"

#include <assimp/Exporter.hpp>
#include <assimp/material.h>
#include <assimp/scene.h>

#include <bit>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <strings.h>

namespace gessoria {
namespace {

const char* ExporterFormat(const std::string& extension)
{
    if (strcasecmp(extension.c_str(), "glb") == 0) return "glb2";
    if (strcasecmp(extension.c_str(), "gltf") == 0) return "gltf2";
    if (strcasecmp(extension.c_str(), "obj") == 0) return "obj";
    return nullptr;
}

std::string ExtensionOf(const std::filesystem::path& path)
{
    const std::string extension = path.extension().string();
    return extension.empty() ? extension : extension.substr(1);
}

// The exported map files a material's model refers to: the map type's word, its texture kind.
struct MapImage {
    MapType type;
    const char* word;
    aiTextureType texture;
};
constexpr MapImage kMapImages[] = {
    {MapType::Colour, "colour", aiTextureType_DIFFUSE},
    {MapType::Bump, "bump", aiTextureType_HEIGHT},
    {MapType::Opacity, "opacity", aiTextureType_OPACITY},
    {MapType::Shininess, "shininess", aiTextureType_SHININESS},
    {MapType::SelfIllum, "selfillum", aiTextureType_EMISSIVE},
};

// Images stored inside the model (GLB): each map file's bytes once, referred to as "*index".
class EmbeddedImages {
public:
    explicit EmbeddedImages(bool embed) : embed_(embed) {}

    // The path a material names the image by; empty when it cannot be read.
    std::string Refer(const std::filesystem::path& file)
    {
        if (!embed_)
            return file.filename().string();
        const auto bytes = ReadFileBytes(file);
        if (!bytes || bytes->empty())
            return {};
        auto texture = std::make_unique<aiTexture>();
        texture->mWidth = static_cast<unsigned>(bytes->size());
        texture->mHeight = 0;  // compressed: mWidth bytes of an image file
        texture->pcData = new aiTexel[(bytes->size() + sizeof(aiTexel) - 1) / sizeof(aiTexel)];
        std::memcpy(texture->pcData, bytes->data(), bytes->size());
        std::strncpy(texture->achFormatHint, "png", HINTMAXTEXTURELEN - 1);
        texture->mFilename = aiString(file.filename().string());
        textures_.push_back(std::move(texture));
        return "*" + std::to_string(textures_.size() - 1);
    }
    void MoveInto(aiScene& scene)
    {
        if (textures_.empty())
            return;
        scene.mNumTextures = static_cast<unsigned>(textures_.size());
        scene.mTextures = new aiTexture*[textures_.size()];
        for (std::size_t i = 0; i < textures_.size(); ++i)
            scene.mTextures[i] = textures_[i].release();
    }

private:
    bool embed_;
    std::vector<std::unique_ptr<aiTexture>> textures_;
};

aiMaterial* MakeMaterial(const Material& material, const std::string& fileName, const std::filesystem::path& directory,
                         EmbeddedImages& images)
{
    auto* made = new aiMaterial();
    const aiString name(material.name);
    made->AddProperty(&name, AI_MATKEY_NAME);
    const aiColor4D diffuse(static_cast<float>((material.colour >> 16) & 0xFF) / 255.0f,
                            static_cast<float>((material.colour >> 8) & 0xFF) / 255.0f,
                            static_cast<float>(material.colour & 0xFF) / 255.0f, 1.0f);
    made->AddProperty(&diffuse, 1, AI_MATKEY_COLOR_DIFFUSE);
    if (material.transparency > 0) {
        const float opacity = 1.0f - static_cast<float>(material.transparency) / 255.0f;
        made->AddProperty(&opacity, 1, AI_MATKEY_OPACITY);
    }
    if (!material.hasLayers)
        return made;
    for (const MapImage& image : kMapImages) {
        // Colour always; the others only where the material has layers of them to show.
        if (image.type != MapType::Colour && material.stack(image.type).count() < 2)
            continue;
        const std::string path = images.Refer(directory / (fileName + "_" + image.word + ".png"));
        if (path.empty())
            continue;
        const aiString reference(path);
        made->AddProperty(&reference, AI_MATKEY_TEXTURE(image.texture, 0));
    }
    return made;
}

struct CornerKey {
    std::int32_t vertex, u, v;
    std::uint32_t nx, ny, nz;
    bool operator==(const CornerKey&) const = default;
};
struct CornerKeyHash {
    std::size_t operator()(const CornerKey& k) const
    {
        std::uint64_t h = 0x9E3779B97F4A7C15ull;
        for (std::uint32_t word : {std::uint32_t(k.vertex), std::uint32_t(k.u), std::uint32_t(k.v), k.nx, k.ny, k.nz})
            h = (h ^ word) * 0xFF51AFD7ED558CCDull;
        return static_cast<std::size_t>(h ^ (h >> 29));
    }
};

// One mesh of the faces of `object` that use `materialIndex`; null when there are none.
aiMesh* MakeMesh(const Scene& scene, const SceneObject& object, int materialIndex)
{
    std::vector<std::size_t> faces;
    for (std::int32_t f = object.firstFace; f < object.firstFace + object.faceCount; ++f)
        if (scene.faceMaterial[static_cast<std::size_t>(f)] == materialIndex)
            faces.push_back(static_cast<std::size_t>(f));
    if (faces.empty())
        return nullptr;
    auto* mesh = new aiMesh();
    mesh->mName = aiString(object.name);
    mesh->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
    mesh->mMaterialIndex = static_cast<unsigned>(materialIndex);
    mesh->mNumFaces = static_cast<unsigned>(faces.size());
    mesh->mFaces = new aiFace[faces.size()];
    const SceneArray<std::int32_t>* corners[3] = {&scene.faceVertexA, &scene.faceVertexB, &scene.faceVertexC};
    const SceneArray<std::int32_t>* u[3] = {&scene.faceU0, &scene.faceU1, &scene.faceU2};
    const SceneArray<std::int32_t>* v[3] = {&scene.faceV0, &scene.faceV1, &scene.faceV2};
    // Corners that agree in vertex, texture coordinates and normal share one written vertex.
    std::unordered_map<CornerKey, unsigned, CornerKeyHash> shared;
    shared.reserve(faces.size() * 2);
    std::vector<aiVector3D> positions, normals, uvs;
    for (std::size_t i = 0; i < faces.size(); ++i) {
        const std::size_t f = faces[i];
        aiFace& face = mesh->mFaces[i];
        face.mNumIndices = 3;
        face.mIndices = new unsigned[3];
        for (std::size_t k = 0; k < 3; ++k) {
            const auto vertex = (*corners[k])[f];
            const auto& n = scene.cornerNormals[f];
            const CornerKey key{vertex, (*u[k])[f], (*v[k])[f], std::bit_cast<std::uint32_t>(n[3 * k]),
                                std::bit_cast<std::uint32_t>(n[3 * k + 1]), std::bit_cast<std::uint32_t>(n[3 * k + 2])};
            const auto [entry, made] = shared.try_emplace(key, static_cast<unsigned>(positions.size()));
            face.mIndices[k] = entry->second;
            if (!made)
                continue;
            const auto at = static_cast<std::size_t>(vertex);
            positions.emplace_back(scene.positionX[at], scene.positionY[at], -scene.positionZ[at]);
            normals.emplace_back(n[3 * k], n[3 * k + 1], -n[3 * k + 2]);
            uvs.emplace_back(static_cast<float>(key.u) / 65536.0f, static_cast<float>(key.v) / 65536.0f, 0.0f);
        }
    }
    mesh->mNumVertices = static_cast<unsigned>(positions.size());
    mesh->mVertices = new aiVector3D[positions.size()];
    mesh->mNormals = new aiVector3D[positions.size()];
    mesh->mTextureCoords[0] = new aiVector3D[positions.size()];
    mesh->mNumUVComponents[0] = 2;
    std::copy(positions.begin(), positions.end(), mesh->mVertices);
    std::copy(normals.begin(), normals.end(), mesh->mNormals);
    std::copy(uvs.begin(), uvs.end(), mesh->mTextureCoords[0]);
    return mesh;
}

} // namespace

bool IsModelExportExtension(const std::string& extension)
{
    return ExporterFormat(extension) != nullptr;
}

bool ExportModel(Scene& scene, const std::filesystem::path& path, int padding, std::string& error)
{
    const char* format = ExporterFormat(ExtensionOf(path));
    if (format == nullptr || !scene.loaded()) {
        error = "cannot write a model as " + path.filename().string();
        return false;
    }
    const std::filesystem::path directory = path.parent_path().empty() ? std::filesystem::path(".") : path.parent_path();
    MapExportOptions maps;
    maps.padding = padding;
    std::vector<std::filesystem::path> written;
    if (!ExportMaps(scene, directory, maps, written, error))
        return false;

    aiScene model;
    EmbeddedImages images(std::string(format) == "glb2");
    const std::vector<std::string> fileNames = MaterialFileNames(scene);
    model.mNumMaterials = static_cast<unsigned>(scene.materialCount) + 1;
    model.mMaterials = new aiMaterial*[model.mNumMaterials];
    for (int m = 0; m <= scene.materialCount; ++m)
        model.mMaterials[m] = MakeMaterial(scene.materials[static_cast<std::size_t>(m)],
                                           fileNames[static_cast<std::size_t>(m)], directory, images);
    images.MoveInto(model);

    std::vector<aiMesh*> meshes;
    model.mRootNode = new aiNode("Scene");
    std::vector<aiNode*> nodes;
    for (const SceneObject& object : scene.objects) {
        auto* node = new aiNode(object.name);
        std::vector<unsigned> own;
        for (int m = 0; m <= scene.materialCount; ++m)
            if (aiMesh* mesh = MakeMesh(scene, object, m)) {
                own.push_back(static_cast<unsigned>(meshes.size()));
                meshes.push_back(mesh);
            }
        node->mNumMeshes = static_cast<unsigned>(own.size());
        node->mMeshes = new unsigned[own.size()];
        std::copy(own.begin(), own.end(), node->mMeshes);
        node->mParent = model.mRootNode;
        nodes.push_back(node);
    }
    model.mRootNode->addChildren(static_cast<unsigned>(nodes.size()), nodes.data());
    model.mNumMeshes = static_cast<unsigned>(meshes.size());
    model.mMeshes = new aiMesh*[meshes.size()];
    std::copy(meshes.begin(), meshes.end(), model.mMeshes);

    Assimp::Exporter exporter;
    if (exporter.Export(&model, format, path.string()) != AI_SUCCESS) {
        error = exporter.GetErrorString();
        return false;
    }
    return true;
}

} // namespace gessoria
