// Opening scene files as a user does, on files written by other programs.

#include "io/SceneFileOpener.h"
#include "scene/Scene.h"
#include "support/RecordingInteraction.h"
#include "support/TestFiles.h"
#include "support/ThreeDSWriter.h"

#include <gtest/gtest.h>

#include <cmath>

namespace gessoria::test {
namespace {

const std::string kSample = std::string(GESSORIA_SAMPLE_DIR) + "/monkey.3ds";
const std::string kMulti = std::string(GESSORIA_TEST_DATA_DIR) + "/multi/multi_assimp.3ds";

Scene EmptySceneWithPaths(const std::vector<std::string>& paths)
{
    Scene s;
    ResetScene(s);
    for (const auto& p : paths)
        s.mapPaths.Append(p);
    return s;
}

TEST(SceneFileOpener, OpensTheSampleWithItsMapsAndNormals)
{
    Scene s = EmptySceneWithPaths({GESSORIA_SAMPLE_DIR});
    RecordingInteraction ui;
    ASSERT_TRUE(OpenSceneFile(s, kSample, ui));
    EXPECT_EQ(s.objectCount, 1);
    EXPECT_EQ(s.vertexCount, 2889);
    EXPECT_EQ(s.faceCount, 3936);
    ASSERT_EQ(s.materialCount, 1);
    const Material& skin = s.materials[1];
    EXPECT_EQ(skin.name, "Skin");
    EXPECT_EQ(skin.colour, 0xE5B280);
    // skin.png is 256 x 256 and skinbump.bmp 128 x 128: the size question takes the larger.
    ASSERT_EQ(ui.textureMapSizeRequests.size(), 1u);
    EXPECT_EQ(skin.mapWidth, 256);
    EXPECT_EQ(skin.mapHeight, 256);
    EXPECT_EQ(skin.stack(MapType::Colour).count(), 2);
    EXPECT_EQ(skin.stack(MapType::Bump).count(), 2);
    EXPECT_EQ(skin.stack(MapType::Opacity).count(), 1);
    for (std::size_t f = 0; f < static_cast<std::size_t>(s.faceCount); ++f) {
        const float length = std::hypot(s.faceNormalX[f], s.faceNormalY[f], s.faceNormalZ[f]);
        ASSERT_TRUE(length == 0.0f || std::abs(length - 1.0f) < 1e-5f) << f;
        ASSERT_NE(s.cornerNormals[static_cast<std::size_t>(f)][0], 1000.0f) << f;
    }
    EXPECT_EQ(ui.Texts(Shown::Kind::Status).front(), "Reading file " + kSample + "  -  Please wait...");
    EXPECT_EQ(ui.Texts(Shown::Kind::Status)[1], "Reading in material bitmaps for monkey.3ds  -  Please wait...");
    EXPECT_TRUE(ui.Dialogs().empty());
    EXPECT_EQ(s.loadedState.faceCount, 3936);
    EXPECT_EQ(s.camera.scale, -1.0f);  // no view size yet: not fitted

    Scene viewed = EmptySceneWithPaths({GESSORIA_SAMPLE_DIR});
    viewed.viewWidth = 640;
    viewed.viewHeight = 480;
    ASSERT_TRUE(OpenSceneFile(viewed, kSample, ui));
    EXPECT_GT(viewed.camera.scale, 0.0f);
    ASSERT_EQ(viewed.bookmarks.entries().size(), 6u);
    EXPECT_EQ(viewed.bookmarks.entries()[5].name, "Bottom");
    EXPECT_EQ(viewed.bookmarks.entries()[5].camera.scale, viewed.camera.scale);
    EXPECT_EQ(s.loadedState.sceneScale, s.sceneScale);
}

TEST(SceneFileOpener, OpensAFileWithFloatColoursAndOneMeshPerMaterial)
{
    Scene s = EmptySceneWithPaths({std::string(GESSORIA_TEST_DATA_DIR) + "/multi"});
    RecordingInteraction ui;
    ASSERT_TRUE(OpenSceneFile(s, kMulti, ui));
    EXPECT_EQ(s.objectCount, 4);
    EXPECT_EQ(s.materialCount, 5);
    EXPECT_EQ(s.vertexCount, 14 + 323 + 396 + 264);
    EXPECT_EQ(s.faceCount, 12 + 528 + 512 + 256);
    EXPECT_EQ(s.objects[1].name, "3DSMesh_1_");
    EXPECT_EQ(s.materials[2].name, "Gold_1");
    EXPECT_EQ(s.materials[2].colour, PackColour(229, 191, 51));
    EXPECT_EQ(s.materials[2].mapWidth, 128);  // gold.tga, run-length encoded
    EXPECT_EQ(s.materials[2].stack(MapType::Shininess).count(), 2);
    EXPECT_EQ(s.materials[5].mapWidth, 100);  // wood.tif
    EXPECT_EQ(s.materials[5].stack(MapType::Opacity).count(), 2);
    EXPECT_EQ(s.materials[1].stack(MapType::SelfIllum).count(), 2);  // glow.png
    // "Unused_3" has no bitmap: generated from its diffuse colour at 300 x 300.
    EXPECT_EQ(ui.Texts(Shown::Kind::BitmapTexture), std::vector<std::string>{"Unused_3"});
    EXPECT_EQ(s.materials[4].mapWidth, 300);
    for (int f = 0; f < 12; ++f)
        EXPECT_EQ(s.faceMaterial[static_cast<std::size_t>(f)], 5);
}

TEST(SceneFileOpener, AFailedOpenKeepsTheSceneTheUserHad)
{
    Scene s = EmptySceneWithPaths({GESSORIA_SAMPLE_DIR});
    RecordingInteraction ui;
    ASSERT_TRUE(OpenSceneFile(s, kSample, ui));

    const auto dir = FreshDirectory("bad");
    const auto broken = (dir / "broken.3ds").string();
    WriteFile(broken, {0x4D, 0x4D, 0xFF, 0xFF, 0, 0});
    ui.shown.clear();
    EXPECT_FALSE(OpenSceneFile(s, broken, ui));
    EXPECT_EQ(ui.Dialogs(), std::vector<std::string>{"Gessoria experienced problems loading file: " + broken});
    EXPECT_EQ(s.faceCount, 3936);
    EXPECT_EQ(s.materials[1].stack(MapType::Colour).count(), 2);

    ui.shown.clear();
    EXPECT_FALSE(OpenSceneFile(s, (dir / "project.gsr").string(), ui));
    EXPECT_EQ(ui.Dialogs().size(), 1u);
}

TEST(SceneFileOpener, UnreadableMapFailsTheLoadWithTheMaterialsMessage)
{
    const auto dir = FreshDirectory("scene");
    MeshSpec mesh;
    mesh.positions = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    mesh.uvs = {0, 0, 1, 0, 0, 1};
    mesh.faces = {0, 1, 2, 7};
    mesh.groups = {{"Bad", {0}}};
    const auto path = (dir / "scene.3ds").string();
    WriteFile(path, MeshFile({MaterialEntry("Bad", {MapChunk(0xA200, "bad.png")}), MeshObject(mesh)}));
    WriteFile((dir / "bad.png").string(), {0x89, 'P', 'N', 'G'});
    Scene s = EmptySceneWithPaths({dir.string()});
    RecordingInteraction ui;
    EXPECT_FALSE(OpenSceneFile(s, path, ui));
    EXPECT_EQ(ui.Dialogs().back(), "Problems loading materials for file: " + path);
    EXPECT_EQ(s.objectCount, -1);
}

TEST(SceneFileOpener, CancellingAProductionDialogFailsTheLoad)
{
    const auto dir = FreshDirectory("scene");
    const auto path = (dir / "plain.3ds").string();
    WriteFile(path, MeshFile({MaterialEntry("Plain")}));
    Scene s = EmptySceneWithPaths({dir.string()});
    RecordingInteraction ui;
    ui.bitmapTexture.push_back(std::nullopt);
    EXPECT_FALSE(OpenSceneFile(s, path, ui));
    EXPECT_EQ(ui.Dialogs().back(), "Problems loading materials for file: " + path);
}

} // namespace
} // namespace gessoria::test
