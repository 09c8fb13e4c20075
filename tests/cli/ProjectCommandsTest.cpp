// gessoria-cli with projects: painting into one, drawing and describing one, converting to one.

#include "CliRun.h"

#include <QJsonArray>

#include <filesystem>

namespace gessoria::test {
namespace {

const std::string kMonkey = std::string(GESSORIA_SAMPLE_DIR) + "/monkey.3ds";
const std::string kLibraries = std::string(" --brushes ") + GESSORIA_SAMPLE_DIR + "/../Brushes.Dat --paints " +
                               GESSORIA_SAMPLE_DIR + "/../Paints.Dat";

TEST(ProjectCommands, APaintedProjectDrawsTheScriptsLastFrameAndConvertsUnchanged)
{
    const auto dir = FreshDirectory("paint");
    std::ofstream(dir / "script.txt") << "foreground 0xFF0000FF\n"
                                         "layer add Skin colour Marks\n"
                                         "render\n"
                                         "stroke 200,150 205,150 230,160\n"
                                         "foreground 0xFF00FF00\n"
                                         "stroke 100,100 120,140\n";
    const std::string paint = "paint " + kMonkey + " --size 400x300 --level 3 --ambient 20000 --view left --script " +
                              (dir / "script.txt").string() + kLibraries;
    const CliRun frame = RunCli(paint + " -o " + (dir / "frame.png").string());
    ASSERT_EQ(frame.status, 0) << frame.err;
    const CliRun project = RunCli(paint + " -o " + (dir / "painted.gsr").string());
    ASSERT_EQ(project.status, 0) << project.err;
    EXPECT_TRUE(std::filesystem::exists(dir / "painted.gsr" / "M1CA2.tif"));

    // Size, level, lighting and camera come from the project.
    const CliRun again = RunCli("render " + (dir / "painted.gsr").string() + " -o " + (dir / "again.png").string());
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(ReadText(dir / "again.png"), ReadText(dir / "frame.png"));
    // An option given overrides what the project stores.
    const CliRun other = RunCli("render " + (dir / "painted.gsr").string() + " --level 4 -o " + (dir / "other.png").string());
    ASSERT_EQ(other.status, 0) << other.err;
    EXPECT_NE(ReadText(dir / "other.png"), ReadText(dir / "frame.png"));

    const CliRun info = RunCli("info " + (dir / "painted.gsr").string() + " --json");
    ASSERT_EQ(info.status, 0) << info.err;
    const auto json = ParseJson(info.out);
    EXPECT_EQ(json["faceCount"].toInt(), 3936);
    EXPECT_EQ(json["materials"].toArray()[1].toObject()["layerCounts"].toArray()[0].toInt(), 3);

    const CliRun convert = RunCli("convert " + (dir / "painted.gsr").string() + " " + (dir / "copy.gsr").string());
    ASSERT_EQ(convert.status, 0) << convert.err;
    EXPECT_EQ(ReadText(dir / "copy.gsr" / "copy.gsr"), ReadText(dir / "painted.gsr" / "painted.gsr"));
    EXPECT_EQ(ReadText(dir / "copy.gsr" / "M1CM2.tif"), ReadText(dir / "painted.gsr" / "M1CM2.tif"));
}

TEST(ProjectCommands, ConvertSavesAnySceneAndRefusesOtherOutputs)
{
    const auto dir = FreshDirectory("convert");
    const CliRun convert = RunCli("convert " + kMonkey + " " + (dir / "monkey.gsr").string() + kLibraries);
    ASSERT_EQ(convert.status, 0) << convert.err;
    const CliRun scene = RunCli("info " + kMonkey + " --json");
    const CliRun project = RunCli("info " + (dir / "monkey.gsr").string() + " --json");
    ASSERT_EQ(project.status, 0) << project.err;
    EXPECT_EQ(ParseJson(project.out), ParseJson(scene.out));

    EXPECT_EQ(RunCli("convert " + kMonkey + " " + (dir / "monkey.png").string()).status, 2);
    std::ofstream(dir / "broken.gsr") << "not a project";
    const CliRun broken = RunCli("info " + (dir / "broken.gsr").string());
    EXPECT_EQ(broken.status, 1);
    EXPECT_NE(broken.err.find("Bad Project file (4).  Cannot load"), std::string::npos) << broken.err;
}

} // namespace
} // namespace gessoria::test
