// gessoria-cli paint, run as a user runs it.

#include "CliRun.h"
#include "io/ImageLibrary.h"

#include <filesystem>

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

TEST(PaintCommand, ProjectionScriptsFillInTheDabsBetweenStrokePointsAndRefuseBadSizes)
{
    const auto dir = FreshDirectory("projection");
    // The same two far-apart points: in texture space two dabs, in projection mode a band.
    auto paint = [&](const std::string& name, const std::string& mode) {
        std::ofstream(dir / (name + ".txt")) << "foreground 0xFF0000FF\n" << mode << "stroke 150,150 250,150\n";
        return RunCli(std::string("paint ") + GESSORIA_SAMPLE_DIR + "/monkey.3ds --size 400x300 --script " +
                      (dir / (name + ".txt")).string() + " -o " + (dir / (name + ".png")).string() + " --time");
    };
    const CliRun plain = paint("plain", "");
    const CliRun projected = paint("projected", "projection on\nbrush-size 12\n");
    ASSERT_EQ(plain.status, 0) << plain.err;
    ASSERT_EQ(projected.status, 0) << projected.err;
    EXPECT_NE(projected.out.find("us per projected dab"), std::string::npos);
    EXPECT_NE(projected.out.find("projected stroke of 2 events, 34 dabs"), std::string::npos) << projected.out;
    // Along the middle of the stroke, red where the object is under it.
    auto reds = [](const std::filesystem::path& path) {
        auto image = LibraryImage::Open(path);
        EXPECT_TRUE(image.has_value());
        const auto rows = image->PackedRows();
        int red = 0;
        for (int x = 160; x < 240; ++x) {
            const std::size_t at = (static_cast<std::size_t>(150) * 400 + static_cast<std::size_t>(x)) * 3;
            red += rows[at + 2] > 150 && rows[at + 1] < 80 && rows[at] < 80;
        }
        return red;
    };
    EXPECT_LT(reds(dir / "plain.png"), 40);
    EXPECT_GT(reds(dir / "projected.png"), 70);

    for (const char* bad : {"brush-size 0", "brush-size 1001", "projection maybe"}) {
        std::ofstream(dir / "bad.txt") << bad << "\n";
        const CliRun refused = RunCli(std::string("paint ") + GESSORIA_SAMPLE_DIR + "/monkey.3ds --script " +
                                      (dir / "bad.txt").string() + " -o " + (dir / "x.png").string());
        EXPECT_EQ(refused.status, 1) << bad;
        EXPECT_NE(refused.err.find("script line 1"), std::string::npos) << bad;
    }
}

} // namespace
} // namespace gessoria::test
