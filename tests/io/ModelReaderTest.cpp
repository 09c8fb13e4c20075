// Opening models written by other programs (assimp's own exporter, Blender, by hand) through
// the open flow, as File > Open and gessoria-cli do.

#include "io/ImageLibrary.h"
#include "io/MapBitmaps.h"
#include "io/ModelReader.h"
#include "io/SceneFileOpener.h"
#include "scene/Scene.h"
#include "support/RecordingInteraction.h"
#include "support/TestFiles.h"
#include "view3d/Renderer.h"

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>

#include <cmath>
#include <cstring>
#include <map>

namespace gessoria::test {
namespace {

const std::string kModels = std::string(GESSORIA_TEST_DATA_DIR) + "/models/";
const std::string kBlender = std::string(GESSORIA_TEST_DATA_DIR) + "/../../../shared/samples/blender/";

bool Open(Scene& s, const std::string& path, RecordingInteraction& ui)
{
    ResetScene(s);
    s.mapPaths.Clear();
    s.mapPaths.Append(std::filesystem::path(path).parent_path().string());
    s.viewWidth = 160;
    s.viewHeight = 120;
    return OpenSceneFile(s, path, ui);
}

int MaterialNamed(const Scene& s, const std::string& name)
{
    for (int m = 1; m <= s.materialCount; ++m)
        if (s.materials[static_cast<std::size_t>(m)].name == name)
            return m;
    return -1;
}

const SceneObject* ObjectNamed(const Scene& s, const std::string& name)
{
    for (const SceneObject& o : s.objects)
        if (o.name == name)
            return &o;
    return nullptr;
}

std::array<float, 3> Corner(const Scene& s, std::size_t face, int corner)
{
    const auto& n = s.cornerNormals[face];
    return {n[static_cast<std::size_t>(corner * 3)], n[static_cast<std::size_t>(corner * 3 + 1)], n[static_cast<std::size_t>(corner * 3 + 2)]};
}

std::array<float, 3> FaceNormal(const Scene& s, std::size_t face)
{
    return {s.faceNormalX[face], s.faceNormalY[face], s.faceNormalZ[face]};
}

std::array<float, 3> Position(const Scene& s, std::int32_t vertex)
{
    const auto v = static_cast<std::size_t>(vertex);
    return {s.positionX[v], s.positionY[v], s.positionZ[v]};
}

std::int32_t CornerVertex(const Scene& s, std::size_t face, int corner)
{
    return corner == 0 ? s.faceVertexA[face] : corner == 1 ? s.faceVertexB[face] : s.faceVertexC[face];
}

// Normalising a normal again moves it by an ulp at most.
void ExpectNear(const std::array<float, 3>& a, const std::array<float, 3>& b)
{
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_NEAR(a[i], b[i], 1e-6f) << i;
}

bool SameBytes(const CDIB& a, const CDIB& b)
{
    return a.width() == b.width() && a.height() == b.height() && a.bitCount() == b.bitCount() &&
           std::memcmp(a.bits().data(), b.bits().data(), a.stride() * static_cast<std::size_t>(a.height())) == 0;
}

// The box: six quads with hard edges in two materials, a two-triangle roof whose ridge
// normals the file joins at one end only, and a triangle without texture coordinates.
TEST(ModelReader, OpensTheBoxInEveryFormatWithItsCountsMaterialsAndImages)
{
    CDIB checker;
    RecordingInteraction imageUi;
    ASSERT_TRUE(LoadImageFile(checker, kModels + "textures/checker.png", imageUi));

    // What each writer keeps of the materials: assimp's FBX writer drops the emissive colour,
    // its Collada writer the diffuse colour of a textured material.
    struct Written {
        const char* file;
        bool diffuse, emissive;
    };
    for (const auto [file, diffuse, emissive] : {Written{"box.obj", true, true}, Written{"box.gltf", true, true},
                                                 Written{"box.glb", true, true}, Written{"box_embedded.glb", true, true},
                                                 Written{"box.fbx", true, false}, Written{"box.dae", false, true}}) {
        SCOPED_TRACE(file);
        Scene s;
        RecordingInteraction ui;
        ASSERT_TRUE(Open(s, kModels + file, ui)) << (ui.Dialogs().empty() ? "" : ui.Dialogs().back());
        const bool twoRoofs = std::string(file) == "box_embedded.glb";
        EXPECT_EQ(s.faceCount, 12 + 2 + 1 + (twoRoofs ? 2 : 0));
        // Box corners: 6 sides x 4; roof: the joined ridge end, the split one twice, two eaves.
        EXPECT_EQ(s.vertexCount, 24 + 5 + 3 + (twoRoofs ? 5 : 0));
        // Centred on the origin, as every scene is once read.
        for (const auto* axis : {&s.positionX, &s.positionY, &s.positionZ}) {
            const auto [low, high] = std::minmax_element(axis->begin(), axis->end());
            EXPECT_NEAR(*low + *high, 0.0f, 1e-4f * (*high - *low));
        }
        // The reader makes the face normals, so the open does not: each is the normalised cross
        // product of the centred face's edges.
        for (std::size_t f = 0; f < static_cast<std::size_t>(s.faceCount); ++f) {
            const auto a = Position(s, CornerVertex(s, f, 0)), b = Position(s, CornerVertex(s, f, 1)),
                       c = Position(s, CornerVertex(s, f, 2));
            std::array<float, 3> n{(b[1] - a[1]) * (c[2] - a[2]) - (c[1] - a[1]) * (b[2] - a[2]),
                                   (c[0] - a[0]) * (b[2] - a[2]) - (b[0] - a[0]) * (c[2] - a[2]),
                                   (b[0] - a[0]) * (c[1] - a[1]) - (c[0] - a[0]) * (b[1] - a[1])};
            const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
            for (float& component : n)
                component /= length;
            EXPECT_EQ(FaceNormal(s, f), n) << "face " << f;
        }

        const int painted = MaterialNamed(s, "Painted");
        const int plain = MaterialNamed(s, "Plain");
        ASSERT_GT(painted, 0);
        ASSERT_GT(plain, 0);
        std::map<int, int> facesOf;
        for (std::size_t f = 0; f < static_cast<std::size_t>(s.faceCount); ++f)
            ++facesOf[s.faceMaterial[f]];
        EXPECT_EQ(facesOf[plain], 4);
        EXPECT_EQ(facesOf[painted], 8 + 2 + 1 + (twoRoofs ? 2 : 0));

        const Material& p = s.materials[static_cast<std::size_t>(painted)];
        if (diffuse) {
            EXPECT_EQ(p.colour, PackColour(204, 51, 25));
        }
        ASSERT_EQ(p.stack(MapType::Colour).count(), 2);
        EXPECT_TRUE(SameBytes(p.stack(MapType::Colour)[1].image, checker));
        const Material& q = s.materials[static_cast<std::size_t>(plain)];
        EXPECT_EQ(q.colour, PackColour(0, 127, 255));
        if (emissive) {
            EXPECT_EQ(q.selfIllumPercent, 102);
            EXPECT_EQ(q.selfIllum, 1);
        }
        // Both parts of the box keep the object's name (assimp's FBX writer makes the second
        // part an object of its own, named after its material).
        const SceneObject* second = ObjectNamed(s, std::string(file) == "box.fbx" ? "Plain" : "Box.2");
        ASSERT_NE(ObjectNamed(s, "Box"), nullptr);
        ASSERT_NE(second, nullptr);
        EXPECT_EQ(ObjectNamed(s, "Box")->faceCount, 8);
        EXPECT_EQ(second->faceCount, 4);
        EXPECT_EQ(q.transparency, 63);

        // Every box side is flat: each corner keeps its face's normal.
        for (std::int32_t f = 0; f < s.faceCount; ++f) {
            if (s.faceMaterial[static_cast<std::size_t>(f)] != plain)
                continue;
            for (int k = 0; k < 3; ++k)
                ExpectNear(Corner(s, static_cast<std::size_t>(f), k), FaceNormal(s, static_cast<std::size_t>(f)));
        }

        // The roof: the two faces share one scene vertex at the joined ridge end, where both
        // corners take the average of the two faces; at the split end each keeps its own.
        const SceneObject* roof = ObjectNamed(s, "Roof");
        ASSERT_NE(roof, nullptr);
        ASSERT_EQ(roof->faceCount, 2);
        const auto f0 = static_cast<std::size_t>(roof->firstFace), f1 = f0 + 1;
        const auto n0 = FaceNormal(s, f0), n1 = FaceNormal(s, f1);
        int joined = 0, split = 0;
        for (int a = 0; a < 3; ++a)
            for (int b = 0; b < 3; ++b) {
                const auto pa = Position(s, CornerVertex(s, f0, a)), pb = Position(s, CornerVertex(s, f1, b));
                if (pa != pb)
                    continue;
                if (CornerVertex(s, f0, a) == CornerVertex(s, f1, b)) {
                    ++joined;
                    EXPECT_EQ(Corner(s, f0, a), Corner(s, f1, b));
                    EXPECT_NE(Corner(s, f0, a), n0);
                    const float length = std::hypot(n0[0] + n1[0], n0[1] + n1[1], n0[2] + n1[2]);
                    EXPECT_NEAR(Corner(s, f0, a)[1], (n0[1] + n1[1]) / length, 1e-6);
                } else {
                    ++split;
                    ExpectNear(Corner(s, f0, a), n0);
                    ExpectNear(Corner(s, f1, b), n1);
                }
            }
        EXPECT_EQ(joined, 1);
        EXPECT_EQ(split, 1);

        // The triangle has no texture coordinates: flat across x (2 long) and y (1 long).
        const SceneObject* tri = ObjectNamed(s, "Tri");
        ASSERT_NE(tri, nullptr);
        const auto t = static_cast<std::size_t>(tri->firstFace);
        EXPECT_EQ((std::array{s.faceU0[t], s.faceV0[t], s.faceU1[t], s.faceV1[t], s.faceU2[t], s.faceV2[t]}),
                  (std::array{0, 0, 65536, 0, 0, 65536}));
        const auto warnings = ui.Dialogs();
        EXPECT_EQ(std::count(warnings.begin(), warnings.end(),
                             "No texture coordinates in Tri: each is mapped flat across the two longest sides of its box."),
                  1);
    }
}

// Formats without materials or texture coordinates still give every face and vertex.
TEST(ModelReader, PlyAndStlOpenWithTheirFacesAndAFlatMapping)
{
    for (const char* file : {"box.ply", "box.stl"}) {
        SCOPED_TRACE(file);
        Scene s;
        RecordingInteraction ui;
        ui.bitmapTexture.push_back(BitmapTextureAnswer{BitmapTextureChoice::GenerateFromDiffuse, 16, 16});
        ASSERT_TRUE(Open(s, kModels + file, ui)) << (ui.Dialogs().empty() ? "" : ui.Dialogs().back());
        EXPECT_EQ(s.faceCount, 15);
        EXPECT_GE(s.materialCount, 1);
        if (std::string(file) == "box.ply")
            continue;  // assimp's PLY writer keeps the texture coordinates
        // STL stores none: every object is mapped flat, within the map.
        for (std::size_t f = 0; f < static_cast<std::size_t>(s.faceCount); ++f)
            for (std::int32_t c : {s.faceU0[f], s.faceV0[f], s.faceU1[f], s.faceV1[f], s.faceU2[f], s.faceV2[f]}) {
                EXPECT_GE(c, 0);
                EXPECT_LE(c, 65536);
            }
    }
}

TEST(ModelReader, ObjMaterialsKeepTheirBumpImageShininessAndCornerCoordinates)
{
    Scene s;
    RecordingInteraction ui;
    ASSERT_TRUE(Open(s, kModels + "box.obj", ui));
    const Material& p = s.materials[static_cast<std::size_t>(MaterialNamed(s, "Painted"))];
    ASSERT_EQ(p.stack(MapType::Bump).count(), 2);
    // The bump image runs from 0 to 224 left to right; the grey level is the same.
    EXPECT_EQ(p.stack(MapType::Bump)[1].image.row(0)[7], 224);
    EXPECT_EQ(p.stack(MapType::Bump)[1].image.row(0)[0], 0);
    // Ns 250: shininess sqrt(0.25) = 0.5 in the high byte.
    EXPECT_EQ(p.shininess >> 8, 127);
    EXPECT_EQ(p.mapSlots[kSlotTexture1].map.fileName, "checker.png");
    // The +X side's first quad corner (vt 1) and the opposite one (vt 3) on the first face.
    const SceneObject* box = ObjectNamed(s, "Box");
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(box->faceCount, 8);
    const auto f = static_cast<std::size_t>(box->firstFace);
    EXPECT_EQ((std::array{s.faceU0[f], s.faceV0[f], s.faceU1[f], s.faceV1[f], s.faceU2[f], s.faceV2[f]}),
              (std::array{0, 0, 65536, 0, 65536, 65536}));
}

TEST(ModelReader, NodeTransformsPlaceEveryInstanceOfAMesh)
{
    Scene s;
    RecordingInteraction ui;
    ASSERT_TRUE(Open(s, kModels + "box_embedded.glb", ui));
    const SceneObject* roof = ObjectNamed(s, "Roof");
    const SceneObject* copy = ObjectNamed(s, "RoofCopy");
    ASSERT_NE(roof, nullptr);
    ASSERT_NE(copy, nullptr);
    ASSERT_EQ(roof->vertexCount, copy->vertexCount);
    // The copy is the roof doubled and moved up by 10 from the roof's place moved by 4
    // along the file's -Z (the scene's +Z): copy - 2 x roof is the same for every vertex.
    const auto offset = [&](std::int32_t i) {
        const auto a = Position(s, roof->firstVertex + i), b = Position(s, copy->firstVertex + i);
        return std::array{b[0] - 2 * a[0], b[1] - 2 * a[1], b[2] - 2 * a[2]};
    };
    for (std::int32_t i = 1; i < roof->vertexCount; ++i)
        for (int a = 0; a < 3; ++a)
            EXPECT_NEAR(offset(i)[static_cast<std::size_t>(a)], offset(0)[static_cast<std::size_t>(a)], 1e-4);
    const SceneObject* box = ObjectNamed(s, "Box");
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(box->faceCount, 8);
    // The roof sits 4 further along the scene's Z than it would in the box's own frame.
    float roofZ = -1e9f, boxZ = -1e9f;
    for (std::int32_t i = 0; i < roof->vertexCount; ++i)
        roofZ = std::max(roofZ, Position(s, roof->firstVertex + i)[2]);
    for (std::int32_t i = 0; i < box->vertexCount; ++i)
        boxZ = std::max(boxZ, Position(s, box->firstVertex + i)[2]);
    EXPECT_NEAR(roofZ - boxZ, 3.0f, 1e-5);  // 4 further than the box ridge at 0 against the side at 1
}

TEST(ModelReader, BadModelsAreRefusedWithTheReasonAndLeaveTheSceneAsItWas)
{
    const auto dir = FreshDirectory("model_reader_bad");
    Scene s;
    RecordingInteraction ui;
    ASSERT_TRUE(Open(s, kModels + "box.obj", ui));
    const std::int32_t faces = s.faceCount;

    // A GLB cut short, a face naming a vertex that does not exist, a file without triangles.
    auto glb = ReadText(kModels + "box_embedded.glb");
    glb.resize(glb.size() / 2);
    WriteBytes(dir / "cut.glb", std::vector<std::uint8_t>(glb.begin(), glb.end()));
    const std::string obj = "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 9\n";
    WriteBytes(dir / "corner.obj", std::vector<std::uint8_t>(obj.begin(), obj.end()));
    const std::string lines = "v 0 0 0\nv 1 0 0\nl 1 2\n";
    WriteBytes(dir / "lines.obj", std::vector<std::uint8_t>(lines.begin(), lines.end()));
    // A PLY header that never ends would keep assimp's reader busy for ever.
    std::string endless = "ply\nformat ascii 1.0\nelement vertex 3\n";
    endless.append(4000, 'x');
    WriteBytes(dir / "endless.ply", std::vector<std::uint8_t>(endless.begin(), endless.end()));
    const std::string hidden = "ply\nformat ascii 1.0\nelement vertex 3\npropertyend_header\n0 0 0\n";
    WriteBytes(dir / "hidden.ply", std::vector<std::uint8_t>(hidden.begin(), hidden.end()));
    for (const char* name : {"cut.glb", "corner.obj", "lines.obj", "endless.ply", "hidden.ply"}) {
        SCOPED_TRACE(name);
        RecordingInteraction failing;
        const std::string path = (dir / name).string();
        EXPECT_FALSE(OpenSceneFile(s, path, failing));
        ASSERT_FALSE(failing.Dialogs().empty());
        const std::string message = failing.Dialogs().back();
        const std::string head = "Gessoria experienced problems loading file: " + path + "\n";
        EXPECT_EQ(message.substr(0, head.size()), head);
        EXPECT_GT(message.size(), head.size());  // the reason follows
        EXPECT_EQ(s.faceCount, faces);
    }
    RecordingInteraction failing;
    EXPECT_FALSE(OpenSceneFile(s, (dir / "lines.obj").string(), failing));
    EXPECT_EQ(failing.Dialogs().back(),
              "Gessoria experienced problems loading file: " + (dir / "lines.obj").string() + "\nThe model holds no triangles.");
}

// An OBJ's normal map (norm) and roughness map (map_Pr) give the Bump and Shininess layers;
// too many materials for the 16-bit face material are refused before the scene is made.
TEST(ModelReader, NormalAndRoughnessImagesGiveBumpAndShininessAndTooManyMaterialsAreRefused)
{
    const auto dir = FreshDirectory("model_reader_limits");
    std::filesystem::create_directories(dir / "textures");
    std::filesystem::copy_file(kModels + "textures/bumps.png", dir / "textures/bumps.png");
    const std::string mtl = "newmtl Rough\nKd 1 1 1\nnorm textures/bumps.png\nmap_Pr textures/bumps.png\n";
    const std::string obj = "mtllib rough.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nusemtl Rough\nf 1/1 2/1 3/1\n";
    WriteBytes(dir / "rough.mtl", std::vector<std::uint8_t>(mtl.begin(), mtl.end()));
    WriteBytes(dir / "rough.obj", std::vector<std::uint8_t>(obj.begin(), obj.end()));
    Scene s;
    RecordingInteraction ui;
    ASSERT_TRUE(Open(s, (dir / "rough.obj").string(), ui));
    for (const std::string& dialog : ui.Dialogs())
        EXPECT_EQ(dialog.find("left out"), std::string::npos) << dialog;
    const Material& rough = s.materials[static_cast<std::size_t>(MaterialNamed(s, "Rough"))];
    EXPECT_EQ(rough.mapSlots[kSlotBump].map.conversion, MapConversion::NormalsToHeights);
    EXPECT_EQ(rough.mapSlots[kSlotShininess].map.conversion, MapConversion::RoughnessToShininess);
    ASSERT_EQ(rough.stack(MapType::Bump).count(), 2);
    ASSERT_EQ(rough.stack(MapType::Shininess).count(), 2);
    // The image is grey, 0 to 224 left to right: its inverse, 255 to 31.
    const CDIB& shininess = rough.stack(MapType::Shininess)[1].image;
    EXPECT_EQ(shininess.row(0)[0], 255);
    EXPECT_EQ(shininess.row(0)[(shininess.width() - 1) * shininess.bytesPerPixel()], 31);

    std::string many = "mtllib many.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nusemtl m32766\nf 1 2 3\n", manyMtl;
    for (int m = 0; m < 32767; ++m)
        manyMtl += "newmtl m" + std::to_string(m) + "\n";
    WriteBytes(dir / "many.mtl", std::vector<std::uint8_t>(manyMtl.begin(), manyMtl.end()));
    WriteBytes(dir / "many.obj", std::vector<std::uint8_t>(many.begin(), many.end()));
    RecordingInteraction refused;
    EXPECT_FALSE(Open(s, (dir / "many.obj").string(), refused));
    EXPECT_EQ(refused.Dialogs().back(), "Gessoria experienced problems loading file: " + (dir / "many.obj").string() +
                                            "\nThe model holds more than 32766 materials.");
}

ViewFrame RenderStill(Scene& s)
{
    ViewFrame frame;
    EXPECT_TRUE(frame.Create(s.viewWidth, s.viewHeight));
    Renderer().RenderScene(s, frame, RenderOptions{3, false, false}, LightingSettings{});
    return frame;
}

// Blender's two files of one model: the same counts, the same image, nearly the same frame.
// A grid of 300,000 triangles as a binary PLY file with texture coordinates: a mesh large
// enough that the join's hash table wraps and probes far.
std::filesystem::path WriteLargeGrid()
{
    constexpr std::uint32_t kSide = 388;
    const std::filesystem::path path = FreshDirectory("large_grid") / "grid.ply";
    std::string header = "ply\nformat binary_little_endian 1.0\nelement vertex " + std::to_string(kSide * kSide) +
                         "\nproperty float x\nproperty float y\nproperty float z\nproperty float s\nproperty float t\n"
                         "element face " +
                         std::to_string(2 * (kSide - 1) * (kSide - 1)) +
                         "\nproperty list uchar int vertex_indices\nend_header\n";
    std::vector<std::uint8_t> bytes(header.begin(), header.end());
    const auto put = [&](const auto value) {
        const auto* raw = reinterpret_cast<const std::uint8_t*>(&value);
        bytes.insert(bytes.end(), raw, raw + sizeof(value));
    };
    for (std::uint32_t y = 0; y < kSide; ++y)
        for (std::uint32_t x = 0; x < kSide; ++x) {
            const float u = static_cast<float>(x) / (kSide - 1), v = static_cast<float>(y) / (kSide - 1);
            put(u * 10.0f);
            put(std::sin(u * 7.0f) * std::cos(v * 5.0f));
            put(v * 10.0f);
            put(u);
            put(v);
        }
    for (std::uint32_t y = 0; y + 1 < kSide; ++y)
        for (std::uint32_t x = 0; x + 1 < kSide; ++x) {
            const std::uint32_t at = y * kSide + x;
            // Two triangles a square, each a count byte and three 32-bit indices.
            const std::uint32_t triangles[2][3] = {{at, at + 1, at + kSide + 1}, {at, at + kSide + 1, at + kSide}};
            for (const auto& triangle : triangles) {
                put(std::uint8_t{3});
                for (const std::uint32_t corner : triangle)
                    put(corner);
            }
        }
    WriteBytes(path, bytes);
    return path;
}

// The corner join done the slow way, straight from assimp's meshes: each placed mesh's
// triangle corners in order, a corner taking the number of the first earlier corner with the
// same position and normal bits (-0 as +0), else the next number.
std::vector<std::int32_t> SlowlyJoinedCorners(const std::string& path)
{
    Assimp::Importer importer;
    const aiScene* model = importer.ReadFile(path, aiProcess_Triangulate | aiProcess_GenUVCoords |
                                                       aiProcess_TransformUVCoords | aiProcess_ValidateDataStructure);
    std::vector<std::int32_t> corners;
    if (model == nullptr)
        return corners;
    const auto bits = [](float value) { return std::bit_cast<std::uint32_t>(value + 0.0f); };
    std::vector<const aiNode*> pending{model->mRootNode};
    std::int32_t firstVertex = 0;
    while (!pending.empty()) {
        const aiNode* node = pending.back();
        pending.pop_back();
        for (unsigned i = 0; i < node->mNumMeshes; ++i) {
            const aiMesh& mesh = *model->mMeshes[node->mMeshes[i]];
            std::map<std::array<std::uint32_t, 6>, std::int32_t> numbers;
            for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
                if (mesh.mFaces[f].mNumIndices != 3)
                    continue;
                for (unsigned k = 0; k < 3; ++k) {
                    const unsigned v = mesh.mFaces[f].mIndices[k];
                    const aiVector3D p = mesh.mVertices[v];
                    const aiVector3D n = mesh.mNormals != nullptr ? mesh.mNormals[v] : aiVector3D();
                    const std::array<std::uint32_t, 6> key{bits(p.x), bits(p.y), bits(p.z), bits(n.x), bits(n.y), bits(n.z)};
                    const auto [at, added] = numbers.emplace(key, static_cast<std::int32_t>(numbers.size()));
                    corners.push_back(firstVertex + at->second);
                }
            }
            firstVertex += static_cast<std::int32_t>(numbers.size());
        }
        for (unsigned c = node->mNumChildren; c-- > 0;)
            pending.push_back(node->mChildren[c]);
    }
    return corners;
}

TEST(ModelReader, CornersJoinAsTheSlowWayJoinsThem)
{
    for (const std::string& path : {kBlender + "suzanne.glb", kBlender + "suzanne.obj", kModels + "box.glb",
                                    kModels + "box.obj", kModels + "box.dae", kModels + "box.fbx",
                                    WriteLargeGrid().string()}) {
        SCOPED_TRACE(path);
        RecordingInteraction ui;
        Scene s;
        ResetScene(s);
        std::string reason;
        ASSERT_EQ(ReadModelFile(path, s, ui, reason), 0) << reason;
        const std::vector<std::int32_t> expected = SlowlyJoinedCorners(path);
        ASSERT_EQ(expected.size(), 3 * static_cast<std::size_t>(s.faceCount));
        std::size_t mismatches = 0;
        for (std::size_t f = 0; f < static_cast<std::size_t>(s.faceCount); ++f)
            for (int k = 0; k < 3; ++k)
                mismatches += CornerVertex(s, f, k) != expected[3 * f + static_cast<std::size_t>(k)];
        EXPECT_EQ(mismatches, 0u);
        EXPECT_EQ(s.vertexCount, expected.empty() ? 0 : *std::max_element(expected.begin(), expected.end()) + 1);

        // The reader makes the face normals run by run on two cores; over the whole scene at
        // once they come out the same.
        const std::array byRuns{s.faceNormalX, s.faceNormalY, s.faceNormalZ};
        ComputeFaceNormals(s, 0, s.faceCount);
        EXPECT_TRUE((byRuns == std::array{s.faceNormalX, s.faceNormalY, s.faceNormalZ}));
    }
}

TEST(ModelReader, BlenderSuzanneOpensAsGlbAndAsObjAndRendersTheSameFrame)
{
    Scene glb, obj;
    RecordingInteraction ui;
    ASSERT_TRUE(Open(glb, kBlender + "suzanne.glb", ui));
    ASSERT_TRUE(Open(obj, kBlender + "suzanne.obj", ui));
    EXPECT_EQ(glb.faceCount, obj.faceCount);
    EXPECT_EQ(glb.vertexCount, obj.vertexCount);
    EXPECT_GT(glb.faceCount, 1000);
    ASSERT_EQ(glb.materialCount >= 1 && obj.materialCount >= 1, true);
    const Material& g = glb.materials[static_cast<std::size_t>(glb.faceMaterial[0])];
    const Material& o = obj.materials[static_cast<std::size_t>(obj.faceMaterial[0])];
    ASSERT_EQ(g.stack(MapType::Colour).count(), 2);
    ASSERT_EQ(o.stack(MapType::Colour).count(), 2);
    EXPECT_TRUE(SameBytes(g.stack(MapType::Colour)[1].image, o.stack(MapType::Colour)[1].image));

    const ViewFrame a = RenderStill(glb), b = RenderStill(obj);
    int differing = 0, covered = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width() * 3; ++x) {
            differing += std::abs(a.image().row(y)[x] - b.image().row(y)[x]) > 8;
            covered += a.image().row(y)[x] != a.image().row(0)[0];
        }
    EXPECT_GT(covered, a.width() * a.height() / 4);
    // The two writers round positions and texture coordinates differently in the last digits.
    EXPECT_LT(differing, a.width() * a.height() * 3 / 100);
}

} // namespace
} // namespace gessoria::test
