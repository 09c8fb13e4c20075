#include "scene/Scene.h"
#include "support/RecordingInteraction.h"
#include "support/SceneBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace gessoria::test {
namespace {

TEST(Scene, CentringMakesTheBoundingBoxSymmetricAndSetsTheScale)
{
    RecordingInteraction ui;
    Scene s = MakeScene({{{1, 2, 3, 5, 10, 3, 3, 4, 7}, {0, 1, 2}, {}}}, ui);
    CentreScene(s);
    EXPECT_FLOAT_EQ(s.positionX[0], -2.0f);
    EXPECT_FLOAT_EQ(s.positionX[1], 2.0f);
    EXPECT_FLOAT_EQ(s.positionY[0], -4.0f);
    EXPECT_FLOAT_EQ(s.positionY[1], 4.0f);
    EXPECT_FLOAT_EQ(s.positionZ[2], 2.0f);
    EXPECT_FLOAT_EQ(s.sceneScale, 32000.0f / std::sqrt(16.0f + 64.0f + 16.0f));
    EXPECT_EQ(s.camera.depthScale, s.sceneScale);
}

TEST(Scene, CentringStartsTheBoxAtPlusMinus32000)
{
    RecordingInteraction ui;
    // Every vertex beyond +32000 on X: the box still includes the start minimum.
    Scene s = MakeScene({{{40000, 0, 0, 50000, 1, 1, 45000, 0, 1}, {0, 1, 2}, {}}}, ui);
    CentreScene(s);
    EXPECT_FLOAT_EQ(s.positionX[0], 40000.0f - 41000.0f);
}

TEST(Scene, SinglePointSceneHasAFiniteScale)
{
    RecordingInteraction ui;
    Scene s = MakeScene({{{5, 5, 5}, {}, {}}}, ui);
    CentreScene(s);
    EXPECT_EQ(s.positionX[0], 0.0f);
    EXPECT_TRUE(std::isfinite(s.sceneScale));
    EXPECT_GT(s.sceneScale, 0.0f);
}

TEST(Scene, AllocationMakesDefaultMaterialAndFreeEmptiesEverything)
{
    RecordingInteraction ui;
    Scene s;
    ResetScene(s);
    s.objectCount = 1;
    s.vertexCount = 3;
    s.faceCount = 1;
    s.materialCount = 2;
    s.undo = {true, 1};
    AllocateScene(s, false, ui);
    ASSERT_EQ(s.materials.size(), 3u);
    EXPECT_EQ(s.materials[0].name, "Default");
    EXPECT_EQ(s.materials[0].colour, 0xFFFFFF);
    EXPECT_EQ(s.faceMaterial[0], 0);
    EXPECT_EQ(s.undoBuffer.size(), 1048576u);
    EXPECT_EQ(s.cornerNormals.size(), 1u);

    s.mapPaths.Append("/maps");
    FreeScene(s);
    EXPECT_EQ(s.objectCount, -1);
    EXPECT_TRUE(s.materials.empty());
    EXPECT_TRUE(s.positionX.empty());
    EXPECT_FALSE(s.undoBuffer.allocated());
    EXPECT_EQ(s.mapPaths.count(), 1);  // the Map Path list outlives the scene
    FreeScene(s);                      // freeing nothing is harmless
    EXPECT_EQ(s.objectCount, -1);
}

TEST(Scene, ArraysStartAtZeroAndTheRenderersArraysComeWithTheFirstProjection)
{
    RecordingInteraction ui;
    Scene s;
    ResetScene(s);
    s.undo.enabled = false;
    s.objectCount = 1;
    s.vertexCount = 3;
    s.faceCount = 600000;  // large enough for the per-face arrays to be mapped on their own
    AllocateScene(s, false, ui);
    for (const auto* array : {&s.faceU0, &s.faceV2, &s.faceVertexC}) {
        ASSERT_EQ(array->size(), 600000u);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(array->data()) % (2u << 20), 0u);  // on a huge-page boundary
        EXPECT_TRUE(std::all_of(array->begin(), array->end(), [](std::int32_t v) { return v == 0; }));
    }
    EXPECT_TRUE(std::all_of(s.cornerNormals.begin(), s.cornerNormals.end(),
                            [](const std::array<float, 9>& n) { return n == std::array<float, 9>{}; }));
    EXPECT_TRUE(std::all_of(s.faceSmoothing.begin(), s.faceSmoothing.end(), [](std::uint32_t v) { return v == 0; }));
    EXPECT_EQ(s.faceMaterial[599999], 0);
    EXPECT_EQ(s.positionY[2], 0.0f);
    EXPECT_TRUE(s.viewX.empty());
    EXPECT_TRUE(s.cornerIntensity.empty());
    EXPECT_TRUE(s.cornerLightNormals.empty());

    AllocateRenderArrays(s);
    EXPECT_EQ(s.viewZ.size(), 3u);
    EXPECT_EQ(s.cornerIntensity.size(), 600000u);
    ASSERT_EQ(s.cornerLightNormals.size(), 600000u);
    s.cornerLightNormals[7][8] = 5;
    AllocateRenderArrays(s);  // present already: kept as they are
    EXPECT_EQ(s.cornerLightNormals[7][8], 5);
}

TEST(Scene, ResetRestoresTheCameraAndTools)
{
    Scene s;
    s.camera.angleX = 7;
    s.camera.scale = 3.0f;
    s.positionTool = 2;
    s.wireAcceleration = 5;
    s.paintTool = PaintTool::Fill;
    ResetScene(s);
    EXPECT_EQ(s.camera.angleX, 512);
    EXPECT_EQ(s.camera.lightB, 512);
    EXPECT_EQ(s.camera.lightA, 512);
    EXPECT_EQ(s.camera.scale, -1.0f);
    EXPECT_EQ(s.positionTool, 0);
    EXPECT_EQ(s.wireAcceleration, 1);
    EXPECT_EQ(s.wireCountdown, 1);
    EXPECT_EQ(s.paintTool, PaintTool::None);
    EXPECT_EQ(s.objectCount, -1);
}

TEST(Scene, AllocationFailureMessagesNameTheArray)
{
    EXPECT_EQ(AllocationFailureMessage(1), "Couldn't allocate memory for vertices.\nApplication Terminating Ungracefully");
    EXPECT_EQ(AllocationFailureMessage(2),
              "Couldn't allocate memory for vertex (U, V) information\nApplication Terminating Ungracefully");
    EXPECT_EQ(AllocationFailureMessage(8),
              "Couldn't allocate memory for object start vertex array.\nApplication Terminating Ungracefully");
    EXPECT_EQ(AllocationFailureMessage(42),
              "Couldn't allocate memory.  Generally out of memory.\nApplication Terminating Ungracefully");
}

TEST(SceneDeathTest, AllocationFailureEndsTheProgramWithAFailureStatus)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            RecordingInteraction ui;
            ReportAllocationFailure(3, ui);
        },
        testing::ExitedWithCode(1), "");
}

} // namespace
} // namespace gessoria::test
