// gessoria-cli paint's selection, clipboard, text and bitmap view commands.

#include "CliRun.h"
#include "io/ImageLibrary.h"

#include <filesystem>

namespace gessoria::test {
namespace {

std::string Arguments(const std::filesystem::path& script, const std::filesystem::path& output, const std::string& layer)
{
    return std::string("paint ") + GESSORIA_SAMPLE_DIR + "/monkey.3ds --size 400x300 --script " + script.string() + " -o " +
           output.string() + " --layer " + layer;
}

std::vector<std::uint8_t> Rows(const std::filesystem::path& path)
{
    auto image = LibraryImage::Open(path);
    EXPECT_TRUE(image.has_value()) << path;
    return image ? image->PackedRows() : std::vector<std::uint8_t>{};
}

int Differences(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b)
{
    int n = 0;
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        n += a[i] != b[i];
    return n;
}

TEST(BitmapCommands, CopyPastePlaceAndDropChangeTheLayerOnlyWhereDropped)
{
    const auto dir = FreshDirectory("bitmap-cli");
    std::ofstream(dir / "none.txt") << "tool selection\nselect 180,130 220,160\ncopy\npaste\nplace 150,110\n";
    std::ofstream(dir / "drop.txt") << "tool selection\nselect 180,130 220,160\ncopy\npaste\nplace 150,110\ndrop\n";
    const CliRun none = RunCli(Arguments(dir / "none.txt", dir / "none.png", "Skin:colour:1"));
    ASSERT_EQ(none.status, 0) << none.err;
    const CliRun drop = RunCli(Arguments(dir / "drop.txt", dir / "drop.png", "Skin:colour:1"));
    ASSERT_EQ(drop.status, 0) << drop.err;
    // Placing alone writes nothing into the layer; the drop does, in a patch of the copy's size.
    const int changed = Differences(Rows(dir / "none.png"), Rows(dir / "drop.png"));
    EXPECT_GT(changed, 10);
    EXPECT_LT(changed, 256 * 256 * 3 / 4);

    std::ofstream(dir / "bad.txt") << "place 150,110\n";
    const CliRun bad = RunCli(Arguments(dir / "bad.txt", dir / "bad.png", "Skin:colour:1"));
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("script line 1"), std::string::npos);
}

TEST(BitmapCommands, PastedFileTextAndBitmapViewCommands)
{
    const auto dir = FreshDirectory("bitmap-cli-view");
    std::ofstream(dir / "view.txt") << "paste-file " << GESSORIA_SAMPLE_DIR << "/skinbump.bmp\n"
                                       "place 200,150\ndrop\n"
                                       "text \"Hello there\" \"Sans Serif\" 30\nplace 200,100\ndrop\n"
                                       "bitmap-view Skin colour 0\nflip h\n"
                                       "bitmap-view Skin colour 1\nrotate 180\ninvert\nreduce 16\n"
                                       "export " << (dir / "view.png").string() << "\n"
                                       "export " << (dir / "mesh.tga").string() << " mesh\n"
                                       "tool brush\nforeground 0xFF0000FF\nbitmap-stroke 10,10 60,10\n";
    const CliRun run = RunCli(Arguments(dir / "view.txt", dir / "layer.png", "Skin:colour:1"));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("The text has been created"), std::string::npos);
    EXPECT_GT(Differences(Rows(dir / "view.png"), Rows(dir / "mesh.tga")), 100);
    EXPECT_EQ(Rows(dir / "view.png").size(), 256u * 256 * 3);

    std::ofstream(dir / "gif.txt") << "bitmap-view Skin colour 1\nexport " << (dir / "x.gif").string() << "\n";
    const CliRun gif = RunCli(Arguments(dir / "gif.txt", dir / "x.png", "Skin:colour:1"));
    EXPECT_EQ(gif.status, 1);
    EXPECT_NE(gif.err.find("Gif Format not supported"), std::string::npos);
}

} // namespace
} // namespace gessoria::test
