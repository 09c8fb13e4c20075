// gessoria-cli's commands, run as a user runs them.

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

namespace gessoria::test {
namespace {

std::vector<std::uint8_t> FramePixels(const std::filesystem::path& path, int width, int height)
{
    auto image = LibraryImage::Open(path);
    EXPECT_TRUE(image.has_value()) << path;
    if (!image)
        return {};
    EXPECT_EQ(image->width(), width);
    EXPECT_EQ(image->height(), height);
    image->ConvertTo24Bits();
    return image->PackedRows();
}

TEST(RenderCommand, WritesTheFrameInTheFormatItsNameAsksFor)
{
    const auto dir = FreshDirectory("render");
    const std::string scene = std::string(GESSORIA_SAMPLE_DIR) + "/monkey.3ds";

    const CliRun timed = RunCli("render " + scene + " --size 160x120 --level 3 --frames 3 -o " + (dir / "timed.png").string());
    ASSERT_EQ(timed.status, 0) << timed.err;
    const std::size_t last = timed.out.rfind("median ");
    ASSERT_NE(last, std::string::npos) << timed.out;
    EXPECT_TRUE(timed.out.substr(last).ends_with(" ms per frame\n")) << timed.out;

    const CliRun still = RunCli("render " + scene + " --size 160x120 --level 3 -o " + (dir / "frame.png").string());
    ASSERT_EQ(still.status, 0) << still.err;
    const std::vector<std::uint8_t> shaded = FramePixels(dir / "frame.png", 160, 120);
    ASSERT_EQ(shaded.size(), 160u * 120u * 3u);
    EXPECT_EQ(shaded[0], 144);  // the backdrop's default grey in a corner
    int covered = 0;
    for (std::size_t i = 0; i + 2 < shaded.size(); i += 3)
        covered += shaded[i] != 144 || shaded[i + 1] != 144 || shaded[i + 2] != 144;
    EXPECT_GT(covered, 160 * 120 / 10);  // the head fills a good part of the fitted view

    // The same frame in every other format a name can ask for.
    for (const char* name : {"frame.tga", "frame.bmp", "frame.tif"}) {
        const CliRun run = RunCli("render " + scene + " --size 160x120 --level 3 -o " + (dir / name).string());
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(FramePixels(dir / name, 160, 120), shaded) << name;
    }

    // The wire frame is drawn into the frame too, in black on a light backdrop.
    const CliRun wire = RunCli("render " + scene + " --size 160x120 --level 0 --background 200 -o " + (dir / "wire.png").string());
    ASSERT_EQ(wire.status, 0) << wire.err;
    int ink = 0, backdrop = 0;
    for (const std::uint8_t value : FramePixels(dir / "wire.png", 160, 120)) {
        ink += value == 0;
        backdrop += value == 200;
    }
    EXPECT_GT(ink, 300);
    EXPECT_EQ(ink + backdrop, 160 * 120 * 3);
}

TEST(RenderCommand, RefusesBadRequestsAndWritesNothing)
{
    const auto dir = FreshDirectory("render-refusals");
    const std::string scene = std::string(GESSORIA_SAMPLE_DIR) + "/monkey.3ds";
    const std::string out = (dir / "never.png").string();
    struct Case {
        std::string arguments;
        int status;
        std::string message;
    };
    const Case cases[] = {
        {"render " + scene + " --level 5 -o " + out, 2, "bad --level value: 5 (0 to 4)"},
        {"render " + scene + " --size 0x10 -o " + out, 2, "bad --size value: 0x10 (WxH)"},
        {"render " + scene + " --size 20000x10 -o " + out, 2, "bad --size value"},
        {"render " + scene + " --view sideways -o " + out, 2, "bad --view value: sideways"},
        {"render " + scene + " --angles 1,2 -o " + out, 2, "bad --angles value: 1,2 (X,Y,Z)"},
        {"render " + scene + " --frames 0 -o " + out, 2, "bad --frames value"},
        {"render " + scene + " --wobble 3 -o " + out, 2, "unknown option --wobble"},
        {"render " + scene, 2, "usage: gessoria-cli render"},
        {"render " + (dir / "missing.3ds").string() + " -o " + out, 1, ""},
        {"render " + scene + " -o " + (dir / "no-such-folder" / "frame.png").string(), 1, "cannot write"},
    };
    for (const Case& c : cases) {
        const CliRun run = RunCli(c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments << "\n" << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.arguments << "\n" << run.err;
        EXPECT_FALSE(std::filesystem::exists(out)) << c.arguments;
    }
}

} // namespace
} // namespace gessoria::test
