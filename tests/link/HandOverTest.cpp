// A scene handed over by the reference host, at several bases, and what the program makes
// of every field; the texture coordinate cases; blocks that do not fit.

#include "link/LinkFixture.h"

#include "io/HostSceneBlock.h"
#include "io/HostSceneOpener.h"
#include "io/LittleEndian.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <sys/mman.h>
#include <unistd.h>

namespace gessoria::test {
namespace {

using reference::HostEnd;
using reference::HostScene;
using reference::Quad;
using reference::SceneBlock;

class HandOverTest : public LinkFixture {};

TEST_F(HandOverTest, EveryFieldArrivesWhateverBaseTheHostWroteAt)
{
    // 0: the block's references are plain offsets (the same address on both sides); the
    // last one wraps past 2^32 inside the block.
    for (const std::uint32_t base : {0u, 0x12340000u, 0xFFFFFF00u}) {
        SCOPED_TRACE(base);
        const auto answers = HandOver(SceneBlock(Quad(), base), base);
        ASSERT_EQ(answers.size(), 2u);
        EXPECT_EQ(answers[0].number, 2u);
        EXPECT_EQ(answers[0].wParam, static_cast<std::int64_t>(getpid()));
        EXPECT_EQ(answers[0].lParam, 0);
        EXPECT_EQ(answers[1].number, 2u);
        EXPECT_EQ(answers[1].lParam, 1);
        EXPECT_FALSE(HostEnd::Exists(blockName)) << "the reader removes the name";
        ASSERT_EQ(front.received, 1) << ui.LastReason();

        const Scene& s = session.scene;
        ASSERT_EQ(s.objectCount, 1);
        EXPECT_EQ(s.vertexCount, 4);
        ASSERT_EQ(s.faceCount, 2);
        ASSERT_EQ(s.materialCount, 1);
        EXPECT_EQ(s.objects[0].name, "Plane");
        EXPECT_EQ(s.objects[0].flags, 1);
        EXPECT_EQ(s.objects[0].faceCount, 2);
        // The box 10..12, -1..1, 5..5 is centred on the origin; the scale fits its diagonal.
        EXPECT_EQ(std::vector<float>(s.positionX.begin(), s.positionX.end()), (std::vector<float>{-1, 1, 1, -1}));
        EXPECT_EQ(std::vector<float>(s.positionY.begin(), s.positionY.end()), (std::vector<float>{-1, -1, 1, 1}));
        EXPECT_EQ(std::vector<float>(s.positionZ.begin(), s.positionZ.end()), (std::vector<float>{0, 0, 0, 0}));
        EXPECT_FLOAT_EQ(s.sceneScale, 32000.0f / std::sqrt(8.0f));
        EXPECT_EQ(s.faceVertexA[1], 0);
        EXPECT_EQ(s.faceVertexB[1], 2);
        EXPECT_EQ(s.faceVertexC[1], 3);
        EXPECT_EQ(s.faceNormalZ[0], -1.0f);
        EXPECT_EQ(s.faceFlags[0], 7);
        EXPECT_EQ(s.faceFlags[1], 5);
        EXPECT_EQ(s.faceSmoothing[0], 1u);
        EXPECT_EQ(s.faceMaterial[1], 1);
        // u as sent, v as 65536 - v, then a 1.0 kept on the map as 65535.
        EXPECT_EQ(s.faceU0[0], 0);
        EXPECT_EQ(s.faceU1[0], 65535);
        EXPECT_EQ(s.faceV0[0], 65535);
        EXPECT_EQ(s.faceV2[0], 0);
        EXPECT_EQ(s.faceU2[1], 0);
        EXPECT_EQ(s.faceV2[1], 0);

        const Material& m = s.materials[1];
        EXPECT_EQ(m.name, "Painted");
        EXPECT_EQ(m.colour, 0x336699);
        EXPECT_EQ(m.shininess, 0);
        EXPECT_EQ(m.mapSlots[kSlotTexture1].map.fileName, "SKIN.PNG");
        EXPECT_EQ(m.mapSlots[kSlotOpacity].map.fileName, "ALPHA.PNG");
        EXPECT_TRUE(m.mapSlots[kSlotBump].map.fileName.empty());
        EXPECT_EQ(m.mapWidth, 4);
        EXPECT_EQ(m.mapHeight, 3);
        // The maps became the Base Layers, row for row; the types without a map hold only
        // their Renderer Layer.
        ASSERT_EQ(m.stack(MapType::Colour).count(), 2);
        EXPECT_EQ(Rows(m.stack(MapType::Colour)[1].image), Quad().materials[0].maps[reference::kColour]->pixels);
        ASSERT_EQ(m.stack(MapType::Opacity).count(), 2);
        EXPECT_EQ(Rows(m.stack(MapType::Opacity)[1].image), Quad().materials[0].maps[reference::kOpacity]->pixels);
        EXPECT_EQ(m.stack(MapType::Bump).count(), 1);
        EXPECT_EQ(m.stack(MapType::Shininess).count(), 1);
        EXPECT_EQ(m.stack(MapType::SelfIllum).count(), 1);
        front.received = 0;
    }
    EXPECT_EQ(ui.Texts(Shown::Kind::Status).front(), "Getting Max Scene  -  Please wait...");
    EXPECT_EQ(ui.Texts(Shown::Kind::Hint).front(), "In the File Menu there are shortcuts for opening recently used files.");
    EXPECT_TRUE(ui.Dialogs().empty());
}

TEST_F(HandOverTest, TextureCoordinatesAreBroughtOntoTheMap)
{
    HostScene scene = Quad();
    // Face 0's u: 1.5, 2.25, 1.75 are all past 1.0 and lose 1.0; face 1's u: -0.5, 0.25, 0.5
    // are not all below 0 and stay.
    scene.u = {std::vector<std::int32_t>{98304, -32768}, {147456, 16384}, {114688, 32768}};
    // v before the flip: 2.0, 2.5, 3.0 become -1.0, -1.5, -2.0, all below 0: they gain 1.0,
    // after which the first is no longer below 0.
    scene.v = {std::vector<std::int32_t>{131072, 0}, {163840, 0}, {196608, 65536}};
    ASSERT_EQ(HandOver(SceneBlock(scene, 0x1000), 0x1000).size(), 2u);
    const Scene& s = session.scene;
    ASSERT_EQ(s.faceCount, 2);
    EXPECT_EQ(s.faceU0[0], 32768);
    EXPECT_EQ(s.faceU1[0], 81920);
    EXPECT_EQ(s.faceU2[0], 49152);
    EXPECT_EQ(s.faceU0[1], -32768);
    EXPECT_EQ(s.faceU1[1], 16384);
    EXPECT_EQ(s.faceU2[1], 32768);
    EXPECT_EQ(s.faceV0[0], 0);
    EXPECT_EQ(s.faceV1[0], -32768);
    EXPECT_EQ(s.faceV2[0], -65536);
    // 0, 0, 1.0 become 1.0, 1.0, 0, and a 1.0 is kept on the map as 65535.
    EXPECT_EQ(s.faceV0[1], 65535);
    EXPECT_EQ(s.faceV2[1], 0);
}

TEST(NormaliseFaceTexture, StepsWholeMapsLikeOneStepAtATime)
{
    std::array<std::int32_t, 3> u{65536 * 3 + 5, 65536 * 4, 65536 * 3};
    std::array<std::int32_t, 3> v{-65536 * 2 - 1, -65536 * 2, -65536 * 5};
    NormaliseFaceTexture(u, v);
    EXPECT_EQ(u, (std::array<std::int32_t, 3>{5, 65535, 0}));
    EXPECT_EQ(v, (std::array<std::int32_t, 3>{-1, 0, -3 * 65536}));
    // Far off the map in both directions, without overflow.
    std::array<std::int32_t, 3> far{INT32_MAX, INT32_MAX - 1, INT32_MAX - 65536};
    std::array<std::int32_t, 3> low{INT32_MIN, INT32_MIN + 1, INT32_MIN + 2};
    NormaliseFaceTexture(far, low);
    EXPECT_GE(std::min({far[0], far[1], far[2]}), 0);
    EXPECT_LT(std::min({far[0], far[1], far[2]}), 65536);
    EXPECT_GE(std::max({low[0], low[1], low[2]}), 0);
    EXPECT_LT(std::max({low[0], low[1], low[2]}), 65536);
}

TEST_F(HandOverTest, ABlockThatDoesNotFitLeavesAnEmptySceneAndSaysSo)
{
    const std::uint32_t base = 0x40000000;
    const std::vector<std::uint8_t> good = SceneBlock(Quad(), base);
    const auto size = static_cast<std::uint32_t>(good.size());
    struct Spoil {
        const char* what;
        const char* fault;  // part of the reason given below the message
        std::function<void(std::vector<std::uint8_t>&)> apply;
    };
    const std::vector<Spoil> spoils = {
        {"objects past the end", "outside the block", [&](auto& b) { le::SetU32(b, reference::kObjectsRefAt, base + size - 10); }},
        {"a face array past the end", "outside the block", [&](auto& b) { le::SetU32(b, reference::kFaceVertex0RefAt, base + size - 4); }},
        {"a face array one byte past the end", "outside the block", [&](auto& b) { le::SetU32(b, reference::kFaceVertex0RefAt, base + size - 7); }},
        {"a reference before the block", "outside the block", [&](auto& b) { le::SetU32(b, reference::kMaterialsRefAt, base - 8); }},
        {"a face count too large", "outside the block", [&](auto& b) { le::SetU32(b, reference::kFaceCountAt, 0x7FFFFFFF); }},
        {"a vertex count too large", "outside the block", [&](auto& b) { le::SetU32(b, reference::kVertexCountAt, 1000); }},
        {"a negative object count", "out of range", [&](auto& b) { le::SetU32(b, reference::kObjectCountAt, 0xFFFFFFFF); }},
        {"a material count too large", "out of range", [&](auto& b) { le::SetU32(b, reference::kMaterialCountAt, 40000); }},
        {"a corner past the vertices", "names a vertex", [&](auto& b) { le::SetU32(b, le::U32(b, reference::kFaceVertex0RefAt) - base, 4); }},
        {"an object that is not the next run", "is not the run", [&](auto& b) { le::SetU32(b, le::U32(b, reference::kObjectsRefAt) - base + 8, 1); }},
        {"a face on a material not sent", "names a material", [&](auto& b) { b[le::U32(b, 128) - base] = 2; }},
        {"a position that is not a number", "not a number", [&](auto& b) { le::SetU32(b, le::U32(b, 48) - base, 0x7FC00000); }},
        {"a map of impossible size", "100000", [&](auto& b) { le::SetU32(b, le::U32(b, reference::kMaterialsRefAt) - base + 32 + 52, 100000); }},
        {"a map past the end", "outside the block", [&](auto& b) { le::SetU32(b, le::U32(b, reference::kMaterialsRefAt) - base + 32 + 48, 1000); }},
        {"a block shorter than its header", "smaller than its header", [&](auto& b) { b.resize(100); }},
    };
    for (const Spoil& spoil : spoils) {
        SCOPED_TRACE(spoil.what);
        ASSERT_EQ(HandOver(SceneBlock(Quad(), base), base).size(), 2u);
        ASSERT_TRUE(session.scene.loaded());
        std::vector<std::uint8_t> block = good;
        spoil.apply(block);
        ui.shown.clear();
        ui.reasons.clear();
        const auto answers = HandOver(block, base);
        ASSERT_EQ(answers.size(), 2u);
        EXPECT_EQ(answers[1].lParam, 1) << "the block was collected all the same";
        EXPECT_FALSE(session.scene.loaded());
        EXPECT_EQ(front.received, -1);
        EXPECT_EQ(ui.Dialogs(), std::vector<std::string>{"Gessoria experienced problems loading file:  - Max Scene"});
        EXPECT_NE(ui.LastReason().find(spoil.fault), std::string::npos) << ui.LastReason();
        EXPECT_FALSE(HostEnd::Exists(blockName));
    }
}

TEST_F(HandOverTest, MessagesWithoutABlockOrWithACancelledQuestion)
{
    // MaxMesh naming a block that is not there.
    ASSERT_TRUE(host.Send(3, kHostHandle, 0));
    Pump();
    EXPECT_EQ(ui.Dialogs(), std::vector<std::string>{"Error 2 creating Memory share"});
    EXPECT_FALSE(host.Next(0).has_value());
    EXPECT_FALSE(session.scene.loaded());

    // The user keeps the scene they have: the block is collected and the scene stays.
    ASSERT_EQ(HandOver(SceneBlock(Quad(), 0), 0).size(), 2u);
    front.mayReplace = false;
    HostScene other = Quad();
    other.materials[0].name = "Other";
    const auto answers = HandOver(SceneBlock(other, 0), 0);
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers[1].lParam, 1);
    EXPECT_EQ(session.scene.materials[1].name, "Painted");
    EXPECT_FALSE(HostEnd::Exists(blockName));

    // A block of zero bytes cannot be mapped.
    const int fd = shm_open(blockName.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    ASSERT_GE(fd, 0);
    close(fd);
    ui.shown.clear();
    ASSERT_TRUE(host.Send(3, kHostHandle, 0));
    Pump();
    EXPECT_EQ(ui.Dialogs(), std::vector<std::string>{"Error 1 creating Memory share"});
}

} // namespace
} // namespace gessoria::test
