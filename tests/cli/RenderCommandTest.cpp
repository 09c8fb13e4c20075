// gessoria-cli render, run as a user runs it.

#include "CliRun.h"
#include "io/ImageLibrary.h"

#include <filesystem>
#include <vector>

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
