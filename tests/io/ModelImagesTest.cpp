// Images of models that hold other values than the map types paint, or that hold pixels
// rather than files: a normal map becomes the heights it was made from, a roughness map the
// inverted shininess, and texels stored in the model become its Colour layer.

#include "io/MapBitmaps.h"
#include "io/ModelReader.h"
#include "io/SceneFileOpener.h"
#include "scene/Scene.h"
#include "support/RecordingInteraction.h"
#include "support/TestFiles.h"

#include <assimp/Exporter.hpp>
#include <assimp/material.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>

namespace gessoria::test {
namespace {

constexpr int kSide = 32;

// A one-quad glTF whose material names the given images (empty: none), with its buffer in
// quad.bin beside it. The quad's texture coordinates cover the whole map once.
void WriteQuadGltf(const std::filesystem::path& dir, const std::string& colour, const std::string& normals,
                   const std::string& metallicRoughness)
{
    const float positions[] = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
    const float uvs[] = {0, 1, 1, 1, 1, 0, 0, 0};
    const std::uint16_t indices[] = {0, 1, 2, 0, 2, 3};
    std::vector<std::uint8_t> buffer(sizeof positions + sizeof uvs + sizeof indices);
    std::memcpy(buffer.data(), positions, sizeof positions);
    std::memcpy(buffer.data() + sizeof positions, uvs, sizeof uvs);
    std::memcpy(buffer.data() + sizeof positions + sizeof uvs, indices, sizeof indices);
    WriteBytes(dir / "quad.bin", buffer);

    std::string images, textures, material;
    int index = 0;
    const auto texture = [&](const std::string& file) {
        images += std::string(index ? "," : "") + "{\"uri\":\"" + file + "\"}";
        textures += std::string(index ? "," : "") + "{\"source\":" + std::to_string(index) + "}";
        return "{\"index\":" + std::to_string(index++) + "}";
    };
    std::string pbr = "\"roughnessFactor\":1.0";
    if (!colour.empty())
        pbr += ",\"baseColorTexture\":" + texture(colour);
    if (!metallicRoughness.empty())
        pbr += ",\"metallicRoughnessTexture\":" + texture(metallicRoughness);
    material = "{\"name\":\"Skin\",\"pbrMetallicRoughness\":{" + pbr + "}";
    if (!normals.empty())
        material += ",\"normalTexture\":" + texture(normals);
    material += "}";
    const std::string gltf =
        "{\"asset\":{\"version\":\"2.0\"},\"scene\":0,\"scenes\":[{\"nodes\":[0]}],"
        "\"nodes\":[{\"mesh\":0,\"name\":\"Quad\"}],"
        "\"meshes\":[{\"primitives\":[{\"attributes\":{\"POSITION\":0,\"TEXCOORD_0\":1},\"indices\":2,\"material\":0}]}],"
        "\"materials\":[" + material + "],\"textures\":[" + textures + "],\"images\":[" + images + "],"
        "\"buffers\":[{\"uri\":\"quad.bin\",\"byteLength\":" + std::to_string(buffer.size()) + "}],"
        "\"bufferViews\":[{\"buffer\":0,\"byteOffset\":0,\"byteLength\":48},"
        "{\"buffer\":0,\"byteOffset\":48,\"byteLength\":32},{\"buffer\":0,\"byteOffset\":80,\"byteLength\":12}],"
        "\"accessors\":[{\"bufferView\":0,\"componentType\":5126,\"count\":4,\"type\":\"VEC3\",\"min\":[0,0,0],\"max\":[1,1,0]},"
        "{\"bufferView\":1,\"componentType\":5126,\"count\":4,\"type\":\"VEC2\"},"
        "{\"bufferView\":2,\"componentType\":5123,\"count\":6,\"type\":\"SCALAR\"}]}";
    WriteBytes(dir / "quad.gltf", std::vector<std::uint8_t>(gltf.begin(), gltf.end()));
}

bool OpenWithMaps(Scene& s, const std::filesystem::path& path, RecordingInteraction& ui)
{
    ResetScene(s);
    s.mapPaths.Clear();
    s.mapPaths.Append(path.parent_path().string());
    s.viewWidth = 160;
    s.viewHeight = 120;
    return OpenSceneFile(s, path.string(), ui);
}

const Material& OnlyMaterial(const Scene& s)
{
    return s.materials[static_cast<std::size_t>(s.faceMaterial[0])];
}

std::uint8_t Channel(double value)
{
    return static_cast<std::uint8_t>(std::lround(std::clamp(value, 0.0, 255.0)));
}

// A height field with a bump, a ridge and a tilt, so that a sign or axis mixed up anywhere
// gives another picture; its slopes, with y counted from the image's top row.
double Height(double x, double y)
{
    return 12.0 * std::exp(-((x - 11.0) * (x - 11.0) + (y - 19.0) * (y - 19.0)) / 30.0) + 0.25 * x + 3.0 * std::sin(y / 5.0);
}
double SlopeX(double x, double y)
{
    return 12.0 * std::exp(-((x - 11.0) * (x - 11.0) + (y - 19.0) * (y - 19.0)) / 30.0) * -2.0 * (x - 11.0) / 30.0 + 0.25;
}
double SlopeYDown(double x, double y)
{
    return 12.0 * std::exp(-((x - 11.0) * (x - 11.0) + (y - 19.0) * (y - 19.0)) / 30.0) * -2.0 * (y - 19.0) / 30.0 +
           0.6 * std::cos(y / 5.0);
}

TEST(ModelImages, ANormalMapBecomesTheBumpHeightsItWasMadeFromAndARoughnessMapTheInvertedShininess)
{
    const auto dir = FreshDirectory("model_images_normals");
    // The normal map of the height field: (-dh/dx, -dh/dy up, 1) normalised, each component
    // stored as (n + 1) / 2 x 255 with green pointing up the image.
    WriteImage(dir / "normals.png", kSide, kSide, [](int x, int y) {
        const double nx = -SlopeX(x, y), ny = SlopeYDown(x, y), length = std::sqrt(nx * nx + ny * ny + 1.0);
        return Rgb{Channel((nx / length + 1.0) * 127.5), Channel((ny / length + 1.0) * 127.5), Channel((1.0 / length + 1.0) * 127.5)};
    });
    // Roughness in green, metalness in blue, red unused.
    WriteImage(dir / "rough.png", kSide, kSide, [](int x, int y) {
        return Rgb{77, static_cast<std::uint8_t>(x * 8 + y / 4), static_cast<std::uint8_t>(200 - y)};
    });
    WriteImage(dir / "colour.png", kSide, kSide, [](int, int) { return Rgb{90, 60, 30}; });
    WriteQuadGltf(dir, "colour.png", "normals.png", "rough.png");

    Scene s;
    RecordingInteraction ui;
    ASSERT_TRUE(OpenWithMaps(s, dir / "quad.gltf", ui)) << (ui.Dialogs().empty() ? "" : ui.Dialogs().back());
    const Material& m = OnlyMaterial(s);
    ASSERT_EQ(m.stack(MapType::Bump).count(), 2);
    ASSERT_EQ(m.stack(MapType::Shininess).count(), 2);
    const CDIB& bump = m.stack(MapType::Bump)[1].image;
    const CDIB& shininess = m.stack(MapType::Shininess)[1].image;
    ASSERT_EQ(bump.width(), kSide);
    ASSERT_EQ(bump.height(), kSide);

    // The layer's rows run from the image's bottom row up.
    double lowest = 1e9, highest = -1e9;
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            lowest = std::min(lowest, Height(x, y));
            highest = std::max(highest, Height(x, y));
        }
    int worst = 0, total = 0;
    for (int row = 0; row < kSide; ++row)
        for (int x = 0; x < kSide; ++x) {
            const int y = kSide - 1 - row;
            const int expected = static_cast<int>(std::lround((Height(x, y) - lowest) / (highest - lowest) * 255.0));
            const int error = std::abs(bump.row(row)[x * bump.bytesPerPixel()] - expected);
            worst = std::max(worst, error);
            total += error;
        }
    // Eight-bit normals and the trapezoid steps cost a few levels, no more.
    EXPECT_LE(worst, 6);
    EXPECT_LE(total, kSide * kSide * 2);

    for (int row = 0; row < kSide; ++row)
        for (int x = 0; x < kSide; ++x) {
            const int y = kSide - 1 - row;
            ASSERT_EQ(shininess.row(row)[x * shininess.bytesPerPixel()], 255 - (x * 8 + y / 4)) << x << "," << y;
        }
}

// A normal map alone, without the colour image, still gives heights: a flat one gives mid grey.
TEST(ModelImages, AFlatNormalMapGivesAnEvenBump)
{
    const auto dir = FreshDirectory("model_images_flat");
    WriteImage(dir / "normals.png", 8, 8, [](int, int) { return Rgb{128, 128, 255}; });
    WriteImage(dir / "colour.png", 8, 8, [](int, int) { return Rgb{1, 2, 3}; });
    WriteQuadGltf(dir, "colour.png", "normals.png", "");
    Scene s;
    RecordingInteraction ui;
    ASSERT_TRUE(OpenWithMaps(s, dir / "quad.gltf", ui));
    const CDIB& bump = OnlyMaterial(s).stack(MapType::Bump)[1].image;
    for (int row = 0; row < 8; ++row)
        for (int x = 0; x < 8; ++x)
            ASSERT_EQ(bump.row(row)[x * bump.bytesPerPixel()], 128);
}

// A model carrying its image as texels (assimp's uncompressed aiTexture): written with
// assimp's own exporter, read back, and its Colour layer is the picture the texels make.
TEST(ModelImages, TexelsStoredInTheModelBecomeItsColourLayer)
{
    constexpr unsigned kWidth = 4, kHeight = 2;
    const auto texelColour = [](unsigned x, unsigned y) {
        return Rgb{static_cast<std::uint8_t>(40 + 50 * x), static_cast<std::uint8_t>(100 * y + 7), static_cast<std::uint8_t>(x * y * 30)};
    };
    aiScene model;
    model.mRootNode = new aiNode("Root");
    model.mRootNode->mNumMeshes = 1;
    model.mRootNode->mMeshes = new unsigned[1]{0};
    model.mNumMeshes = 1;
    model.mMeshes = new aiMesh*[1];
    aiMesh* mesh = model.mMeshes[0] = new aiMesh();
    mesh->mName = "Quad";
    mesh->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
    mesh->mNumVertices = 4;
    mesh->mVertices = new aiVector3D[4]{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    mesh->mTextureCoords[0] = new aiVector3D[4]{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    mesh->mNumUVComponents[0] = 2;
    mesh->mNumFaces = 2;
    mesh->mFaces = new aiFace[2];
    for (unsigned f = 0; f < 2; ++f) {
        mesh->mFaces[f].mNumIndices = 3;
        mesh->mFaces[f].mIndices = f == 0 ? new unsigned[3]{0, 1, 2} : new unsigned[3]{0, 2, 3};
    }
    model.mNumMaterials = 1;
    model.mMaterials = new aiMaterial*[1];
    model.mMaterials[0] = new aiMaterial();
    const aiString name("Stored"), texturePath("*0");
    model.mMaterials[0]->AddProperty(&name, AI_MATKEY_NAME);
    model.mMaterials[0]->AddProperty(&texturePath, AI_MATKEY_TEXTURE_DIFFUSE(0));
    model.mNumTextures = 1;
    model.mTextures = new aiTexture*[1];
    aiTexture* texture = model.mTextures[0] = new aiTexture();
    texture->mWidth = kWidth;
    texture->mHeight = kHeight;
    texture->pcData = new aiTexel[kWidth * kHeight];
    for (unsigned y = 0; y < kHeight; ++y)
        for (unsigned x = 0; x < kWidth; ++x) {
            const Rgb c = texelColour(x, y);
            texture->pcData[y * kWidth + x] = aiTexel{c.b, c.g, c.r, 255};
        }
    Assimp::Exporter exporter;
    const aiExportDataBlob* blob = exporter.ExportToBlob(&model, "assbin");
    ASSERT_NE(blob, nullptr) << exporter.GetErrorString();
    const std::span<const std::uint8_t> bytes(static_cast<const std::uint8_t*>(blob->data), blob->size);

    Scene s;
    ResetScene(s);
    RecordingInteraction ui;
    std::string reason;
    ASSERT_EQ(ReadModelData(bytes, "assbin", s, ui, reason), 0) << reason;
    const Material& m = OnlyMaterial(s);
    EXPECT_EQ(m.mapSlots[kSlotTexture1].map.fileName, "image0.bmp");
    EXPECT_TRUE(ui.Dialogs().empty()) << ui.Dialogs().front();
    ASSERT_EQ(LoadMaterialBitmaps(s, ui), 0);
    ASSERT_EQ(m.stack(MapType::Colour).count(), 2);

    // The same picture written as an ordinary image file (first row the top) loads to the
    // same layer bytes.
    const auto dir = FreshDirectory("model_images_texels");
    WriteImage(dir / "same.png", kWidth, kHeight, [&](int x, int y) { return texelColour(static_cast<unsigned>(x), static_cast<unsigned>(y)); });
    CDIB expected;
    ASSERT_TRUE(LoadImageFile(expected, (dir / "same.png").string(), ui));
    const CDIB& colour = m.stack(MapType::Colour)[1].image;
    ASSERT_EQ(colour.width(), static_cast<int>(kWidth));
    ASSERT_EQ(colour.height(), static_cast<int>(kHeight));
    for (int row = 0; row < static_cast<int>(kHeight); ++row)
        EXPECT_EQ(std::memcmp(colour.row(row), expected.row(row), kWidth * 3), 0) << row;
}

} // namespace
} // namespace gessoria::test
