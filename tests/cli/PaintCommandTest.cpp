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

} // namespace
} // namespace gessoria::test
