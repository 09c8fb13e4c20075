// gessoria-cli paint's tool commands: fill, line shapes, special paints, texture paint
// options, and the lines it refuses.

#include "CliRun.h"
#include "io/ImageLibrary.h"

#include <filesystem>

namespace gessoria::test {
namespace {

std::string PaintArguments(const std::filesystem::path& script, const std::filesystem::path& output,
                           const std::string& extra = " --layer Skin:colour:2")
{
    return std::string("paint ") + GESSORIA_SAMPLE_DIR + "/monkey.3ds --size 400x300 --script " + script.string() +
           " -o " + output.string() + " --time" + extra;
}

// Texels of the written layer whose colour is exactly blue, green, red.
int CountColour(const std::filesystem::path& path, int blue, int green, int red)
{
    auto image = LibraryImage::Open(path);
    EXPECT_TRUE(image.has_value());
    int n = 0;
    const auto rows = image->PackedRows();
    for (std::size_t i = 0; i + 2 < rows.size(); i += 3)
        n += rows[i] == blue && rows[i + 1] == green && rows[i + 2] == red;
    return n;
}

TEST(PaintToolCommands, FillsAndLinesThroughTheCurrentPaint)
{
    const auto dir = FreshDirectory("paint-tools");
    std::ofstream(dir / "fill.txt") << "layer add Skin colour\n"
                                       "tool fill\n"
                                       "fill-style all\n"
                                       "foreground 0xFF00FF00\n"
                                       "stroke 200,150\n";
    const CliRun fill = RunCli(PaintArguments(dir / "fill.txt", dir / "fill.png"));
    ASSERT_EQ(fill.status, 0) << fill.err;
    EXPECT_NE(fill.out.find("fill "), std::string::npos);
    EXPECT_EQ(CountColour(dir / "fill.png", 0, 255, 0), 256 * 256);  // the whole map, used or not

    std::ofstream(dir / "shapes.txt") << "layer add Skin colour\n"
                                         "tool line\n"
                                         "line-type ngon\n"
                                         "sides 6\n"
                                         "special 11 4\n"
                                         "foreground 0xFF0000FF\n"
                                         "stroke 200,150 200,190\n"
                                         "line-type circle\n"
                                         "stroke 200,150 200,150\n";
    const CliRun shapes = RunCli(PaintArguments(dir / "shapes.txt", dir / "shapes.png"));
    ASSERT_EQ(shapes.status, 0) << shapes.err;
    EXPECT_NE(shapes.out.find("line tool shape"), std::string::npos);
    // Checkers of red and the grey background along the hexagon.
    EXPECT_GT(CountColour(dir / "shapes.png", 0, 0, 255), 20);
    EXPECT_GT(CountColour(dir / "shapes.png", 128, 128, 128), 20);
}

TEST(PaintToolCommands, RefusalsAreToldAndBadLinesStopTheScript)
{
    const auto dir = FreshDirectory("paint-tool-refusals");
    std::ofstream(dir / "refused.txt") << "special 9\n"
                                          "stroke 200,150 202,150\n"
                                          "tool texture\n"
                                          "texture-mode texture\n"
                                          "stroke 200,150\n";
    const CliRun refused = RunCli(PaintArguments(dir / "refused.txt", dir / "refused.png", ""));
    ASSERT_EQ(refused.status, 0) << refused.err;
    EXPECT_NE(refused.err.find("Can't paint Inverse on the Colour base layer, please add a layer"), std::string::npos);
    EXPECT_NE(refused.err.find("Please select a valid Bitmap Paint first"), std::string::npos);
    EXPECT_NE(refused.err.find("Please select a clone source"), std::string::npos);

    for (const char* line : {"special 25", "special 3 256", "fill-style flooded", "fill-reference alpha", "sample-merged yes",
                             "line-type spiral", "sides 0", "texture-mode paint", "texture-maps colour,glow",
                             "texture-scale big", "tool pencil"}) {
        std::ofstream(dir / "bad.txt") << line << '\n';
        const CliRun bad = RunCli(PaintArguments(dir / "bad.txt", dir / "bad.png"));
        EXPECT_EQ(bad.status, 1) << line;
        EXPECT_NE(bad.err.find("script line 1"), std::string::npos) << line;
    }
}

} // namespace
} // namespace gessoria::test
