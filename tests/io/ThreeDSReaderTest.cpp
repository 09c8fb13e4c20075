// Reading 3D Studio files: fields, axes, materials and every kind of malformed input.

#include "io/ChunkTree.h"
#include "io/LittleEndian.h"
#include "io/ThreeDSReader.h"
#include "scene/Scene.h"
#include "support/RecordingInteraction.h"
#include "support/TestFiles.h"
#include "support/ThreeDSWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

namespace gessoria::test {
namespace {

MeshSpec Triangle()
{
    MeshSpec mesh;
    mesh.positions = {1, 2, 3, 4, 2, 3, 1, 6, 8};
    mesh.uvs = {0.0f, 0.0f, 0.5f, 0.25f, -1.5f, 2.0f};
    mesh.faces = {0, 1, 2, 7};
    return mesh;
}

int Read(const std::vector<std::uint8_t>& bytes, Scene& scene, RecordingInteraction& ui)
{
    ResetScene(scene);
    scene.undo.enabled = false;
    return ReadMeshData(bytes, scene, ui);
}

TEST(ThreeDSReader, ReadsAxesTextureCoordinatesAndFlags)
{
    MeshSpec mesh = Triangle();
    mesh.name = "LongObjectName";
    mesh.hidden = true;
    mesh.mapping = true;
    mesh.smoothing = {5};
    Scene s;
    RecordingInteraction ui;
    ASSERT_EQ(Read(MeshFile({MeshObject(mesh)}), s, ui), 0);
    ASSERT_EQ(s.objectCount, 1);
    EXPECT_EQ(s.objects[0].name, "LongObject");  // cut to 10 characters
    EXPECT_EQ(s.objects[0].flags, kObjectHidden | kObjectHasMapping);
    // File Z becomes Y: (1, 2, 3) is (1, 3, 2) before centring; box X 1..4, Y 3..8, Z 2..6.
    EXPECT_FLOAT_EQ(s.positionX[0], 1.0f - 2.5f);
    EXPECT_FLOAT_EQ(s.positionY[0], 3.0f - 5.5f);
    EXPECT_FLOAT_EQ(s.positionZ[0], 2.0f - 4.0f);
    EXPECT_EQ(s.faceU1[0], 32768);
    EXPECT_EQ(s.faceV1[0], 16384);
    EXPECT_EQ(s.faceU2[0], -98304);
    EXPECT_EQ(s.faceV2[0], 131072);
    EXPECT_EQ(s.faceFlags[0], 7);
    EXPECT_EQ(s.faceSmoothing[0], 5u);
    EXPECT_EQ(s.faceMaterial[0], 0);
}

TEST(ThreeDSReader, EachObjectTakesTextureCoordinatesFromItsOwnList)
{
    MeshSpec first = Triangle();
    MeshSpec second = Triangle();
    second.uvs = {0.25f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
    second.faces = {0, 2, 1, 0};
    MeshSpec untextured = Triangle();
    untextured.uvs.clear();
    untextured.smoothing = {9};
    Scene s;
    RecordingInteraction ui;
    ASSERT_EQ(Read(MeshFile({MeshObject(first), MeshObject(second), MeshObject(untextured)}), s, ui), 0);
    EXPECT_EQ(s.objects[1].firstVertex, 3);
    EXPECT_EQ(s.objects[1].firstFace, 1);
    EXPECT_EQ(s.faceVertexA[1], 3);
    EXPECT_EQ(s.faceVertexB[1], 5);
    EXPECT_EQ(s.faceU0[1], 16384);
    EXPECT_EQ(s.faceU2[2], 0);  // no texture chunk: left as allocated
    EXPECT_EQ(s.faceSmoothing[2], 9u);
}

TEST(ThreeDSReader, TextureListsNeedOnlyCoverTheCornersThatReadThem)
{
    // Four vertices, three texture vertices: the one face reads only the first three.
    MeshSpec shortList = Triangle();
    shortList.positions.insert(shortList.positions.end(), {9, 9, 9});
    Scene s;
    RecordingInteraction ui;
    ASSERT_EQ(Read(MeshFile({MeshObject(shortList)}), s, ui), 0);
    EXPECT_EQ(s.vertexCount, 4);
    EXPECT_EQ(s.faceU1[0], 32768);
    EXPECT_EQ(s.faceV2[0], 131072);

    // A corner past the list is refused.
    shortList.faces.insert(shortList.faces.end(), {0, 3, 1, 0});
    Scene t;
    EXPECT_NE(Read(MeshFile({MeshObject(shortList)}), t, ui), 0);

    // A list of count 0 means no texture vertices.
    MeshSpec empty = Triangle();
    empty.uvs.clear();
    empty.emptyTextureChunk = true;
    empty.smoothing = {4};
    Scene u;
    ASSERT_EQ(Read(MeshFile({MeshObject(empty)}), u, ui), 0);
    EXPECT_EQ(u.faceU1[0], 0);
    EXPECT_EQ(u.faceSmoothing[0], 4u);
    EXPECT_TRUE(ui.Dialogs().empty());
}

// 16.16 from a float the plain way: the product truncated toward zero, kept to the low 32
// bits (values beyond the 32-bit range wrap).
std::int32_t LiteralFixedPoint(float value)
{
    const double truncated = std::clamp(std::trunc(static_cast<double>(value) * 65536.0), -9.0e18, 9.0e18);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(static_cast<std::int64_t>(truncated))));
}

TEST(ThreeDSReader, TextureCoordinatesTruncateAndWrapAcrossTheWholeRange)
{
    MeshSpec mesh;
    mesh.positions = {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0, 2, 2, 0, 3, 1, 0};
    // Around zero, the 32-bit limits (2^15 in 16.16) and far beyond them.
    mesh.uvs = {-0.7f / 65536.0f, 0.3f,  32767.998f, -32767.998f, 32768.0f,  -32768.0f,
                -32768.004f,      1e6f, -1e10f,      3.0e38f,     65536.75f, -0.5f};
    mesh.faces = {0, 1, 2, 0, 3, 4, 5, 0, 5, 0, 3, 0};
    Scene s;
    RecordingInteraction ui;
    ASSERT_EQ(Read(MeshFile({MeshObject(mesh)}), s, ui), 0);
    for (std::size_t f = 0; f < 3; ++f) {
        const SceneArray<std::int32_t>* u[3] = {&s.faceU0, &s.faceU1, &s.faceU2};
        const SceneArray<std::int32_t>* v[3] = {&s.faceV0, &s.faceV1, &s.faceV2};
        for (std::size_t k = 0; k < 3; ++k) {
            const std::size_t t = mesh.faces[f * 4 + k];
            EXPECT_EQ((*u[k])[f], LiteralFixedPoint(mesh.uvs[t * 2])) << "face " << f << " corner " << k;
            EXPECT_EQ((*v[k])[f], LiteralFixedPoint(mesh.uvs[t * 2 + 1])) << "face " << f << " corner " << k;
        }
    }
}

// Every mesh chunk of a real file read back the plain way, corner by corner, against what
// the reader made of it.
TEST(ThreeDSReader, ARealSceneReadsAsItsChunksSayCornerByCorner)
{
    const std::string path = std::string(GESSORIA_TEST_DATA_DIR) + "/dense0/dense0.3ds";
    std::ifstream in(path, std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    Scene s;
    RecordingInteraction ui;
    ASSERT_EQ(Read(bytes, s, ui), 0);

    const auto tree = ChunkTree::Parse(bytes);
    ASSERT_TRUE(tree);
    Scene expected;
    expected.vertexCount = s.vertexCount;
    expected.positionX.resize(static_cast<std::size_t>(s.vertexCount));
    expected.positionY.resize(static_cast<std::size_t>(s.vertexCount));
    expected.positionZ.resize(static_cast<std::size_t>(s.vertexCount));
    std::size_t object = 0;
    std::int32_t firstVertex = 0, firstFace = 0;
    for (const Chunk& named : tree->root().Find(0x3D3D)->children) {
        const Chunk* mesh = named.id == 0x4000 ? named.Find(0x4100) : nullptr;
        if (mesh == nullptr)
            continue;
        ASSERT_LT(object, s.objects.size());
        EXPECT_EQ(s.objects[object].firstVertex, firstVertex);
        EXPECT_EQ(s.objects[object].firstFace, firstFace);
        const auto vertices = mesh->Find(0x4110)->data;
        const auto texture = mesh->Find(0x4140)->data;
        const Chunk* faceChunk = mesh->Find(0x4120);
        const auto faces = faceChunk->data;
        const auto smoothing = faceChunk->Find(0x4150)->data;
        const std::uint16_t vertexCount = le::U16(vertices, 0);
        for (std::size_t i = 0; i < vertexCount; ++i) {
            const auto at = static_cast<std::size_t>(firstVertex) + i;
            expected.positionX[at] = le::F32(vertices, 2 + i * 12);
            expected.positionY[at] = le::F32(vertices, 2 + i * 12 + 8);
            expected.positionZ[at] = le::F32(vertices, 2 + i * 12 + 4);
        }
        const std::uint16_t faceCount = le::U16(faces, 0);
        for (std::size_t j = 0; j < faceCount; ++j) {
            const auto f = static_cast<std::size_t>(firstFace) + j;
            const std::int32_t* vertex[3] = {&s.faceVertexA[f], &s.faceVertexB[f], &s.faceVertexC[f]};
            const std::int32_t* u[3] = {&s.faceU0[f], &s.faceU1[f], &s.faceU2[f]};
            const std::int32_t* v[3] = {&s.faceV0[f], &s.faceV1[f], &s.faceV2[f]};
            for (std::size_t k = 0; k < 3; ++k) {
                const std::uint16_t corner = le::U16(faces, 2 + j * 8 + k * 2);
                ASSERT_EQ(*vertex[k], firstVertex + corner) << "face " << f;
                ASSERT_EQ(*u[k], LiteralFixedPoint(le::F32(texture, 2 + corner * std::size_t{8}))) << "face " << f;
                ASSERT_EQ(*v[k], LiteralFixedPoint(le::F32(texture, 2 + corner * std::size_t{8} + 4))) << "face " << f;
            }
            ASSERT_EQ(s.faceFlags[f], le::U16(faces, 2 + j * 8 + 6)) << "face " << f;
            ASSERT_EQ(s.faceSmoothing[f], le::U32(smoothing, j * 4)) << "face " << f;
        }
        firstVertex += vertexCount;
        firstFace += faceCount;
        ++object;
    }
    EXPECT_EQ(object, s.objects.size());
    EXPECT_EQ(firstFace, s.faceCount);
    CentreScene(expected);
    EXPECT_EQ(s.sceneScale, expected.sceneScale);
    for (std::size_t i = 0; i < static_cast<std::size_t>(s.vertexCount); ++i) {
        ASSERT_EQ(s.positionX[i], expected.positionX[i]) << "vertex " << i;
        ASSERT_EQ(s.positionY[i], expected.positionY[i]) << "vertex " << i;
        ASSERT_EQ(s.positionZ[i], expected.positionZ[i]) << "vertex " << i;
    }
}

TEST(ThreeDSReader, WireFrameMaterialsShadeZeroWhateverTheChunkOrder)
{
    const auto wireFirst = MaterialEntry("WireFirst", {ChunkBuilder(0xA085), ChunkBuilder(0xA100).U16(3)});
    const auto wireLast = MaterialEntry("WireLast", {ChunkBuilder(0xA100).U16(3), ChunkBuilder(0xA085)});
    const auto solid = MaterialEntry("Solid", {ChunkBuilder(0xA100).U16(2)});
    Scene s;
    RecordingInteraction ui;
    ASSERT_EQ(Read(MeshFile({wireFirst, wireLast, solid, MeshObject(Triangle())}), s, ui), 0);
    EXPECT_EQ(s.materials[1].shading, 0);
    EXPECT_EQ(s.materials[2].shading, 0);
    EXPECT_EQ(s.materials[3].shading, 2);
}

TEST(ThreeDSReader, MaterialsPackColoursPercentagesAndMaps)
{
    MeshSpec mesh = Triangle();
    mesh.groups = {{"Brick", {0}}};
    const auto brick = MaterialEntry(
        "Brick", {ChunkBuilder(0xA020).Child(ColourBytes(0x0011, 1, 2, 3)).Child(ColourBytes(0x0012, 200, 100, 50)),
                  PercentInt(0xA040, 60), PercentFloat(0xA041, 0.5f), PercentInt(0xA050, 10),
                  PercentFloat(0xA084, 25.0f), ChunkBuilder(0xA100).U16(0x0103), ChunkBuilder(0xA081),
                  ChunkBuilder(0xA080), MapChunk(0xA200, "BRICK_LONG_NAME.TGA", 0x0013), MapChunk(0xA34A, "mask.tga", 0x000A),
                  ChunkBuilder(0xA230).Child(ChunkBuilder(0xA300).Str("bump.tga")).Child(ChunkBuilder(0xA354).F32(2.5f))});
    const auto glass = MaterialEntry(
        "A_Very_Long_Material_Name", {ChunkBuilder(0xA020).Child(ChunkBuilder(0x0010).F32(1.0f).F32(0.5f).F32(2.0f)),
                                      ChunkBuilder(0xA085)});
    Scene s;
    RecordingInteraction ui;
    ASSERT_EQ(Read(MeshFile({brick, glass, MeshObject(mesh)}), s, ui), 0);
    ASSERT_EQ(s.materialCount, 2);
    const Material& m = s.materials[1];
    EXPECT_EQ(m.name, "Brick");
    EXPECT_EQ(m.colour, 0xC86432);  // the linear colour overrides
    EXPECT_EQ(static_cast<std::uint16_t>(m.shininess), (153 << 8) | 127);
    EXPECT_EQ(m.transparency, 25);
    EXPECT_EQ(m.selfIllumPercent, 255);  // 25.0 x 255 kept within a byte
    EXPECT_EQ(m.shading, 3);
    EXPECT_EQ(m.twoSided, 1);
    EXPECT_EQ(m.selfIllum, 1);
    const MapRef& texture = m.mapSlots[kSlotTexture1].map;
    EXPECT_EQ(texture.fileName, "BRICK_LONG_N");
    EXPECT_EQ(texture.tiling, MapTiling::Decal);
    EXPECT_EQ(texture.mirror, 1);
    const MapRef& mask = m.mapSlots[kSlotSelfIllum].mask;
    EXPECT_EQ(mask.fileName, "mask.tga");
    EXPECT_EQ(mask.tiling, MapTiling::Tile);
    EXPECT_EQ(mask.mirror, 1);
    EXPECT_EQ(mask.negative, 1);
    EXPECT_EQ(m.mapSlots[kSlotBump].map.uScale, 2.5f);
    EXPECT_EQ(m.mapSlots[kSlotBump].map.vScale, 1.0f);
    EXPECT_EQ(s.faceMaterial[0], 1);

    const Material& g = s.materials[2];
    EXPECT_EQ(g.name, "A_Very_Long_Mate");
    EXPECT_EQ(g.colour, 0xFF7FFF);
    EXPECT_EQ(g.shading, 0);
    EXPECT_EQ(s.materials[0].name, "Default");
    EXPECT_EQ(s.materials[0].colour, 0xFFFFFF);
}

TEST(ThreeDSReader, MaterialGroupsMatchByNameWithTheHighestIndexWinning)
{
    MeshSpec mesh = Triangle();
    mesh.positions.insert(mesh.positions.end(), {0, 0, 0, 1, 1, 1, 2, 2, 2});
    mesh.uvs.clear();
    mesh.faces.insert(mesh.faces.end(), {3, 4, 5, 0, 0, 1, 2, 0});
    mesh.groups = {{"Twice", {2, 0}}, {"Default", {1}}};
    Scene s;
    RecordingInteraction ui;
    ASSERT_EQ(Read(MeshFile({MaterialEntry("Twice"), MaterialEntry("Twice"), MeshObject(mesh)}), s, ui), 0);
    EXPECT_EQ(s.faceMaterial[0], 2);
    EXPECT_EQ(s.faceMaterial[1], 0);
    EXPECT_EQ(s.faceMaterial[2], 2);

    mesh.groups = {{"twice", {0}}};  // case counts
    Scene t;
    EXPECT_NE(Read(MeshFile({MaterialEntry("Twice"), MeshObject(mesh)}), t, ui), 0);
    EXPECT_EQ(ui.Dialogs().back(), "twice  -  Eeep!  No definition in Mesh file!");
}

TEST(ThreeDSReader, NamedObjectsWithoutMeshesAreSkipped)
{
    const auto light = ChunkBuilder(0x4000).Str("Light01").Child(ChunkBuilder(0x4600).F32(0).F32(0).F32(0));
    Scene s;
    RecordingInteraction ui;
    ASSERT_EQ(Read(MeshFile({light, MeshObject(Triangle())}), s, ui), 0);
    EXPECT_EQ(s.objectCount, 1);
    EXPECT_EQ(s.vertexCount, 3);
}

TEST(ThreeDSReader, MalformedFilesFailWithoutTouchingMemoryOutOfBounds)
{
    RecordingInteraction ui;
    auto fails = [&](const std::vector<std::uint8_t>& bytes, const char* what) {
        Scene s;
        EXPECT_NE(Read(bytes, s, ui), 0) << what;
    };
    const auto good = MeshFile({MeshObject(Triangle())});
    for (std::size_t cut : {std::size_t{0}, std::size_t{5}, good.size() / 2, good.size() - 1}) {
        auto truncated = good;
        truncated.resize(cut);
        fails(truncated, "truncated");
    }
    auto longer = good;
    longer[2] = static_cast<std::uint8_t>(longer[2] + 1);
    fails(longer, "root longer than the file");
    fails(ChunkBuilder(0x4D4D).Child(ChunkBuilder(0x3D3D).Child(MeshObject(Triangle())).Raw({1, 2, 3})).Build(),
          "stray bytes inside a container");
    fails(ChunkBuilder(0x1234).Build(), "not a 3D Studio file");

    MeshSpec corner = Triangle();
    corner.faces = {0, 1, 3, 0};
    fails(MeshFile({MeshObject(corner)}), "face names a missing vertex");
    MeshSpec group = Triangle();
    group.groups = {{"Default", {1}}};
    fails(MeshFile({MeshObject(group)}), "group names a missing face");
    MeshSpec uv = Triangle();
    uv.uvs.resize(4);
    fails(MeshFile({MeshObject(uv)}), "a corner past the texture coordinates");
    MeshSpec smooth = Triangle();
    smooth.faces.insert(smooth.faces.end(), {0, 1, 2, 0});
    smooth.smoothing = {1};
    fails(MeshFile({MeshObject(smooth)}), "smoothing list shorter than the faces");
    MeshSpec nan = Triangle();
    nan.positions[4] = std::numeric_limits<float>::quiet_NaN();
    fails(MeshFile({MeshObject(nan)}), "non-finite position");

    // A vertex list whose count runs past its chunk.
    const auto countTooLarge = ChunkBuilder(0x4000).Str("Bad").Child(
        ChunkBuilder(0x4100).Child(ChunkBuilder(0x4110).U16(1000).F32(0).F32(0).F32(0)));
    fails(MeshFile({countTooLarge}), "count past its chunk");
    const auto shortColour = MaterialEntry("M", {ChunkBuilder(0xA020).Child(ChunkBuilder(0x0011).U8(1))});
    fails(MeshFile({shortColour}), "colour chunk too short");

    // Containers nested far deeper than any writer nests them (here 300,000 levels, about
    // 1.8 MB) are refused rather than parsed until the stack runs out.
    fails(NestedContainers(300000), "nesting deeper than any writer's");
    EXPECT_TRUE(ui.Dialogs().empty());
}

TEST(ThreeDSReader, ExtensionsAndUnopenableFiles)
{
    const auto dir = FreshDirectory("files");
    const auto path = (dir / "TRI.3DS").string();
    WriteFile(path, MeshFile({MeshObject(Triangle())}));
    RecordingInteraction ui;
    for (const char* extension : {"3DS", "Prj", "3ds"}) {
        Scene s;
        ResetScene(s);
        EXPECT_EQ(ReadMeshFile(path, extension, s, ui), 0) << extension;
    }
    Scene s;
    ResetScene(s);
    EXPECT_NE(ReadMeshFile(path, "gsr", s, ui), 0);
    EXPECT_NE(ReadMeshFile(path, "obj", s, ui), 0);
    EXPECT_TRUE(ui.Dialogs().empty());
    EXPECT_NE(ReadMeshFile((dir / "missing.3ds").string(), "3ds", s, ui), 0);
    EXPECT_EQ(ui.Dialogs(), std::vector<std::string>{"Error: Unable to open file " + (dir / "missing.3ds").string()});
    // A directory is no file to read, whatever it is called.
    std::filesystem::create_directory(dir / "folder.3ds");
    EXPECT_NE(ReadMeshFile((dir / "folder.3ds").string(), "3ds", s, ui), 0);
    EXPECT_EQ(ui.Dialogs().back(), "Error: Unable to open file " + (dir / "folder.3ds").string());
}

} // namespace
} // namespace gessoria::test
