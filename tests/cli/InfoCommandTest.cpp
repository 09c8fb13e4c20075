// gessoria-cli info, run as a user runs it.

#include "CliRun.h"
#include "support/ThreeDSWriter.h"

#include <QJsonArray>

#include <set>

namespace gessoria::test {
namespace {

TEST(InfoCommand, DescribesTheSampleSceneAsJson)
{
    const CliRun run = RunCli(std::string("info ") + GESSORIA_SAMPLE_DIR + "/monkey.3ds --json");
    ASSERT_EQ(run.status, 0) << run.err;
    const QJsonObject info = ParseJson(run.out);
    EXPECT_EQ(info["objectCount"].toInt(), 1);
    EXPECT_EQ(info["vertexCount"].toInt(), 2889);
    EXPECT_EQ(info["faceCount"].toInt(), 3936);
    EXPECT_EQ(info["materialCount"].toInt(), 1);
    EXPECT_GT(info["sceneScale"].toDouble(), 0.0);
    const QJsonObject object = info["objects"].toArray()[0].toObject();
    EXPECT_EQ(object["name"].toString(), "Monkey");
    EXPECT_EQ(object["faceCount"].toInt(), 3936);
    const QJsonArray materials = info["materials"].toArray();
    ASSERT_EQ(materials.size(), 2);
    EXPECT_EQ(materials[0].toObject()["name"].toString(), "Default");
    EXPECT_EQ(materials[0].toObject()["colour"].toInt(), 0xFFFFFF);
    const QJsonObject skin = materials[1].toObject();
    EXPECT_EQ(skin["colour"].toInt(), 0xE5B280);
    EXPECT_EQ(skin["shininess"].toInt(), (63 << 8) | 127);  // 25 % and 50 %
    EXPECT_EQ(skin["transparency"].toInt(), 25);
    EXPECT_EQ(skin["mapWidth"].toInt(), 256);
    EXPECT_EQ(skin["layerCounts"].toArray(), (QJsonArray{2, 2, 1, 1, 1}));
    const QJsonArray maps = skin["maps"].toArray();
    ASSERT_EQ(maps.size(), 6);
    EXPECT_EQ(maps[0].toObject()["map"].toObject()["fileName"].toString(), "skin.png");
    EXPECT_EQ(maps[0].toObject()["map"].toObject()["loaded"].toInt(), 1);
    EXPECT_EQ(maps[3].toObject()["map"].toObject()["fileName"].toString(), "skinbump.bmp");
    // The differing map sizes were decided without asking, and said so.
    EXPECT_NE(run.err.find("Texturemap Size"), std::string::npos);
}

TEST(InfoCommand, DetailListsCentredPositionsAndFaces)
{
    const auto dir = FreshDirectory("scene");
    MeshSpec mesh;
    mesh.positions = {0, 0, 0, 2, 0, 0, 0, 0, 2};
    mesh.uvs = {0, 0, 1, 0, 0, 1};
    mesh.faces = {0, 1, 2, 7};
    mesh.smoothing = {1};
    WriteFile((dir / "tri.3ds").string(), MeshFile({MeshObject(mesh)}));
    const CliRun run = RunCli("info " + (dir / "tri.3ds").string() + " --json --detail");
    ASSERT_EQ(run.status, 0) << run.err;
    const QJsonObject info = ParseJson(run.out);
    const QJsonArray positions = info["positions"].toArray();
    ASSERT_EQ(positions.size(), 3);
    EXPECT_EQ(positions[0].toArray(), (QJsonArray{-1, -1, 0}));
    const QJsonObject face = info["faces"].toArray()[0].toObject();
    EXPECT_EQ(face["vertices"].toArray(), (QJsonArray{0, 1, 2}));
    EXPECT_EQ(face["uv"].toArray(), (QJsonArray{0, 0, 65536, 0, 0, 65536}));
    EXPECT_EQ(face["flags"].toInt(), 7);
    EXPECT_EQ(face["smoothing"].toInt(), 1);
    EXPECT_EQ(face["faceNormal"].toArray(), (QJsonArray{0, 0, 1}));
    EXPECT_EQ(face["cornerNormals"].toArray().size(), 9);
}

TEST(InfoCommand, FailuresGoToStandardErrorWithAFailureStatus)
{
    const CliRun missing = RunCli("info /nonexistent/scene.3ds");
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.out.empty());
    EXPECT_NE(missing.err.find("Error: Unable to open file /nonexistent/scene.3ds"), std::string::npos);
    EXPECT_NE(missing.err.find("Gessoria experienced problems loading file: /nonexistent/scene.3ds"), std::string::npos);

    // About 1.8 MB of containers nested 300,000 deep: refused, not a stack overflow.
    const auto deep = FreshDirectory("deep") / "deep.3ds";
    WriteFile(deep.string(), NestedContainers(300000));
    const CliRun nested = RunCli("info " + deep.string());
    EXPECT_EQ(nested.status, 1);
    EXPECT_NE(nested.err.find("Gessoria experienced problems loading file: " + deep.string()), std::string::npos);

    // The line below the message says why, as the desktop program's message does.
    EXPECT_NE(missing.err.find("Gessoria experienced problems loading file: /nonexistent/scene.3ds\nno such file\n"),
              std::string::npos)
        << missing.err;
    EXPECT_NE(nested.err.find("Gessoria experienced problems loading file: " + deep.string() +
                              "\nchunks nested more than 64 deep at byte "),
              std::string::npos)
        << nested.err;
    std::ifstream sample(GESSORIA_SAMPLE_DIR "/monkey.3ds", std::ios::binary);
    std::vector<char> bytes(50000);
    sample.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    const auto cut = FreshDirectory("cut") / "cut.3ds";
    std::ofstream(cut, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    const CliRun cutShort = RunCli("info " + cut.string());
    EXPECT_EQ(cutShort.status, 1);
    EXPECT_NE(cutShort.err.find("Gessoria experienced problems loading file: " + cut.string() +
                                "\nchunk 0x4140 at byte 35202 runs past the end of the file\n"),
              std::string::npos)
        << cutShort.err;

    const CliRun usage = RunCli("info");
    EXPECT_EQ(usage.status, 2);
    EXPECT_NE(usage.err.find("usage:"), std::string::npos);
}

TEST(InfoCommand, ExtraMapPathsAreSearchedAfterTheScenesDirectory)
{
    const auto sceneDir = FreshDirectory("scene"), mapDir = FreshDirectory("maps");
    MeshSpec mesh;
    mesh.positions = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    mesh.faces = {0, 1, 2, 0};
    mesh.groups = {{"Brick", {0}}};
    WriteFile((sceneDir / "wall.3ds").string(), MeshFile({MaterialEntry("Brick", {MapChunk(0xA200, "BRICK.PNG")}), MeshObject(mesh)}));
    WriteImage(mapDir / "brick.png", 5, 3, [](int, int) { return Rgb{1, 2, 3}; });

    const CliRun without = RunCli("info " + (sceneDir / "wall.3ds").string() + " --json");
    ASSERT_EQ(without.status, 0);
    EXPECT_NE(without.err.find("BRICK.PNGcould not be found in your current map paths."), std::string::npos);
    EXPECT_EQ(ParseJson(without.out)["materials"].toArray()[1].toObject()["mapWidth"].toInt(), 300);

    const CliRun with = RunCli("info " + (sceneDir / "wall.3ds").string() + " --map-path " + mapDir.string() + " --json");
    ASSERT_EQ(with.status, 0) << with.err;
    EXPECT_EQ(ParseJson(with.out)["materials"].toArray()[1].toObject()["mapWidth"].toInt(), 5);
}

} // namespace
} // namespace gessoria::test
