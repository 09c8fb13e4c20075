// gessoria-cli info, run as a user runs it.

#include "io/ImageLibrary.h"
#include "support/TestFiles.h"
#include "support/ThreeDSWriter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace gessoria::test {
namespace {

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

CliRun RunCli(const std::string& arguments)
{
    const auto errPath = FreshDirectory("cli") / "stderr.txt";
    const std::string command = std::string(GESSORIA_CLI) + " " + arguments + " 2>" + errPath.string();
    CliRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return run;
    char buffer[65536];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.out.append(buffer, n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream err(errPath);
    std::stringstream text;
    text << err.rdbuf();
    run.err = text.str();
    return run;
}

QJsonObject ParseJson(const std::string& text)
{
    const auto document = QJsonDocument::fromJson(QByteArray::fromStdString(text));
    EXPECT_TRUE(document.isObject()) << text.substr(0, 200);
    return document.object();
}

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

namespace gessoria::test {
namespace {

TEST(LibraryCommand, ListsTheStarterLibraryWithHeads)
{
    const std::string data = std::string(GESSORIA_SAMPLE_DIR) + "/..";
    const CliRun run = RunCli("library --brushes " + data + "/Brushes.Dat --paints " + data + "/Paints.Dat --json");
    ASSERT_EQ(run.status, 0) << run.err;
    const QJsonObject library = ParseJson(run.out);
    const QJsonArray brushes = library["brushes"].toArray();
    ASSERT_GE(brushes.size(), 10);
    EXPECT_EQ(brushes[0].toObject()["name"].toString(), "<Default Brush>");
    const QJsonArray head = brushes[0].toObject()["head"].toArray();
    ASSERT_EQ(head.size(), 31);
    EXPECT_EQ(head[15].toArray().size(), 31);
    EXPECT_EQ(head[15].toArray()[15].toInt(), 255);
    const QJsonArray paints = library["paints"].toArray();
    int bitmapPaints = 0;
    std::set<int> specials;
    for (const auto& p : paints) {
        bitmapPaints += p.toObject()["bitmapPaint"].toInt() != 0;
        specials.insert(p.toObject()["specialNumber"].toInt());
    }
    EXPECT_GE(bitmapPaints, 2);
    for (int n = 2; n <= 24; ++n)
        EXPECT_TRUE(specials.contains(n)) << n;
}

TEST(LibraryCommand, MissingLibrariesAreReportedAsStartUpDoes)
{
    const auto dir = FreshDirectory("empty");
    const CliRun run = RunCli("library --brushes " + (dir / "Brushes.Dat").string() + " --paints " + (dir / "Paints.Dat").string());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("There was a problem opening Brushes.Dat, please make sure it is located in: " +
                           (dir / "Brushes.Dat").string()),
              std::string::npos);
    EXPECT_NE(run.out.find("<Default Paint>"), std::string::npos);
}

} // namespace
} // namespace gessoria::test

namespace gessoria::test {
namespace {

TEST(PaintCommand, ScriptsPaintUndoRedoAndWriteALayer)
{
    const auto dir = FreshDirectory("paint");
    std::ofstream(dir / "script.txt") << "# a red dab on a new layer, undone and redone\n"
                                         "foreground 0xFF0000FF\n"
                                         "layer add Skin colour Marks\n"
                                         "stroke 200,150 205,150\n"
                                         "undo\n";
    const std::string base = std::string("paint ") + GESSORIA_SAMPLE_DIR + "/monkey.3ds --size 400x300 --script " +
                             (dir / "script.txt").string() + " --brushes " + GESSORIA_SAMPLE_DIR + "/../Brushes.Dat --paints " +
                             GESSORIA_SAMPLE_DIR + "/../Paints.Dat";
    const CliRun undone = RunCli(base + " -o " + (dir / "undone.png").string() + " --layer Skin:colour:2");
    ASSERT_EQ(undone.status, 0) << undone.err;
    std::ofstream(dir / "script.txt", std::ios::app) << "redo\n";
    const CliRun redone = RunCli(base + " -o " + (dir / "redone.png").string() + " --layer Skin:colour:2 --time");
    ASSERT_EQ(redone.status, 0) << redone.err;
    EXPECT_NE(redone.out.find(" us per dab"), std::string::npos);

    auto count = [](const std::filesystem::path& path) {
        auto image = LibraryImage::Open(path);
        EXPECT_TRUE(image.has_value());
        int red = 0;
        const auto rows = image->PackedRows();
        for (std::size_t i = 0; i + 2 < rows.size(); i += 3)
            red += rows[i + 2] > 200 && rows[i + 1] < 50;
        return red;
    };
    EXPECT_EQ(count(dir / "undone.png"), 0);
    EXPECT_GT(count(dir / "redone.png"), 50);

    std::ofstream(dir / "bad.txt") << "stroke nowhere\n";
    const CliRun bad = RunCli(std::string("paint ") + GESSORIA_SAMPLE_DIR + "/monkey.3ds --script " + (dir / "bad.txt").string() +
                              " -o " + (dir / "x.png").string());
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("script line 1"), std::string::npos);
}

} // namespace
} // namespace gessoria::test
