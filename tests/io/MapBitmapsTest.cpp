// Finding map bitmaps along the Map Paths and loading image files.

#include "io/MapBitmaps.h"
#include "scene/MapPaths.h"
#include "scene/Material.h"
#include "support/RecordingInteraction.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <fstream>

namespace gessoria::test {
namespace {

constexpr const char* kNotFound = "could not be found in your current map paths. Would you like to locate it manually?";

Rgb Red(int, int) { return {200, 0, 0}; }

void WriteBytes(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(MapBitmaps, FirstMapPathWinsAndNamesMatchWithoutCase)
{
    const auto first = FreshDirectory("first"), second = FreshDirectory("second");
    WriteImage(first / "brick.png", 4, 2, Red);
    WriteImage(second / "BRICK.PNG", 8, 8, Red);
    MapPathList paths;
    paths.Append(second.string() + "-missing");
    paths.Append(first.string());
    paths.Append(second.string());
    MapRef ref;
    ref.fileName = "BRICK.PNG";
    RecordingInteraction ui;
    EXPECT_EQ(FindMapBitmap(ref, paths, ui), 0);
    ASSERT_EQ(ref.loaded, 1);
    EXPECT_EQ(ref.bitmap->width(), 4);
    EXPECT_TRUE(ui.Dialogs().empty());
}

TEST(MapBitmaps, RowsArriveBottomRowFirst)
{
    const auto dir = FreshDirectory("maps");
    WriteImage(dir / "rows.png", 3, 4, [](int, int y) { return Rgb{static_cast<std::uint8_t>(y * 10), 0, 0}; });
    CDIB bitmap;
    RecordingInteraction ui;
    ASSERT_TRUE(LoadImageFile(bitmap, (dir / "rows.png").string(), ui));
    EXPECT_EQ(bitmap.row(0)[2], 30);  // the image's bottom row
    EXPECT_EQ(bitmap.row(3)[2], 0);   // its top row
}

TEST(MapBitmaps, MissingFileAsksAndDecliningCountsNoFailure)
{
    MapPathList paths;
    paths.Append(FreshDirectory("empty").string());
    MapRef ref;
    ref.fileName = "wood.tga";
    RecordingInteraction ui;
    EXPECT_EQ(FindMapBitmap(ref, paths, ui), 0);
    EXPECT_EQ(ref.loaded, 0);
    EXPECT_EQ(ui.Dialogs(), std::vector<std::string>{std::string("wood.tga") + kNotFound});
}

TEST(MapBitmaps, LocatingByHandLoadsAndOffersToAddTheDirectory)
{
    const auto textures = FreshDirectory("textures");
    WriteImage(textures / "brick.png", 2, 2, Red);
    MapPathList paths;
    MapRef ref;
    ref.fileName = "brick.png";
    RecordingInteraction ui;
    ui.yesNo = {true, true};
    ui.files.push_back((textures / "brick.png").string());
    EXPECT_EQ(FindMapBitmap(ref, paths, ui), 0);
    EXPECT_EQ(ref.loaded, 1);
    EXPECT_EQ(ui.shown[1].kind, Shown::Kind::FileChooser);
    EXPECT_EQ(ui.shown[1].text, "brick.png");
    EXPECT_EQ(ui.shown[1].title, "All Files (*.*) |*.*||");
    EXPECT_EQ(ui.Dialogs().back(), "Would you like to add this directory to your Map Path list?");
    ASSERT_EQ(paths.count(), 1);
    EXPECT_EQ(paths.paths()[0], textures.string());

    // Cancelling the chooser is one failure.
    MapRef other;
    other.fileName = "none.png";
    ui.yesNo = {true};
    ui.files.push_back(std::nullopt);
    EXPECT_EQ(FindMapBitmap(other, paths, ui), 1);
    EXPECT_EQ(other.loaded, 0);
}

TEST(MapBitmaps, ABareFileNameLocatedByHandAddsTheCurrentDirectory)
{
    // A chooser may hand back a name without a directory; the directory added is then ".",
    // never an empty entry, which would name no directory and end the list at the next start.
    const auto textures = FreshDirectory("bare");
    WriteImage(textures / "stone.png", 2, 2, Red);
    const auto before = std::filesystem::current_path();
    std::filesystem::current_path(textures);
    MapPathList paths;
    MapRef ref;
    ref.fileName = "stone.png";
    RecordingInteraction ui;
    ui.yesNo = {true, true};
    ui.files.push_back(std::string("stone.png"));
    const int failures = FindMapBitmap(ref, paths, ui);
    std::filesystem::current_path(before);
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(ref.loaded, 1);
    ASSERT_EQ(paths.count(), 1);
    EXPECT_EQ(paths.paths()[0], ".");
}

TEST(MapBitmaps, FullMapPathListKeepsTheLocatedBitmap)
{
    const auto textures = FreshDirectory("textures");
    WriteImage(textures / "brick.png", 2, 2, Red);
    MapPathList paths;
    for (int i = 0; i < MapPathList::kMaxPaths; ++i)
        paths.Append("/nowhere/" + std::to_string(i));
    MapRef ref;
    ref.fileName = "brick.png";
    RecordingInteraction ui;
    ui.yesNo = {true, true};
    ui.files.push_back((textures / "brick.png").string());
    EXPECT_EQ(FindMapBitmap(ref, paths, ui), 0);
    EXPECT_EQ(ref.loaded, 1);
    EXPECT_EQ(ui.Dialogs().back(), "Sorry, you can only have 32 Map Paths and those are already used");
    EXPECT_EQ(paths.count(), 32);
}

TEST(MapBitmaps, GifIsRefusedByNameAndByContent)
{
    const auto dir = FreshDirectory("gif");
    const std::string gif("GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00!\xf9\x04\x01\x00\x00\x00\x00,"
                          "\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;", 43);
    WriteBytes(dir / "wood.GIF", gif);
    WriteBytes(dir / "wood.tga", gif);
    WriteBytes(dir / "wood.mat", gif);
    CDIB bitmap;
    RecordingInteraction ui;
    EXPECT_FALSE(LoadImageFile(bitmap, (dir / "wood.GIF").string(), ui));
    EXPECT_FALSE(LoadImageFile(bitmap, (dir / "wood.tga").string(), ui));
    EXPECT_TRUE(LoadImageFile(bitmap, (dir / "wood.mat").string(), ui));
    EXPECT_EQ(bitmap.width(), 1);
    ASSERT_EQ(ui.Dialogs().size(), 2u);
    EXPECT_TRUE(ui.Dialogs()[0].starts_with("Due to Compuserve's GIF licensing requirements. Gessoria does not support"));
    EXPECT_TRUE(ui.Dialogs()[1].starts_with("Much as we admire your persistance trying to load a GIF by renaming it"));
}

TEST(MapBitmaps, CorruptFileFoundOnAMapPathIsOneFailure)
{
    const auto dir = FreshDirectory("maps");
    WriteBytes(dir / "broken.png", "\x89PNG\r\n\x1a\n garbage");
    MapPathList paths;
    paths.Append(dir.string());
    MapRef ref;
    ref.fileName = "broken.png";
    RecordingInteraction ui;
    EXPECT_EQ(FindMapBitmap(ref, paths, ui), 1);
    EXPECT_EQ(ref.loaded, 0);
    EXPECT_EQ(ref.bitmap, nullptr);
    EXPECT_EQ(ui.Dialogs(), std::vector<std::string>{(dir / "broken.png").string() + "  -  file load error.  Possibly corrupt file."});
}

TEST(MapBitmaps, NamesCannotReachOutsideTheMapPath)
{
    const auto dir = FreshDirectory("inner");
    WriteImage(dir.parent_path() / "outside.png", 2, 2, Red);
    EXPECT_FALSE(FindFileInDirectory(dir.string(), "../outside.png").has_value());
    EXPECT_TRUE(FindFileInDirectory(dir.parent_path().string(), "OUTSIDE.png").has_value());
}

TEST(MapPathsDialog, OkDropsOneTrailingSeparatorAndAddingStopsAt32)
{
    MapPathList list;
    list.Append("/old");
    MapPathsDialogModel dialog(list);
    RecordingInteraction ui;
    EXPECT_TRUE(dialog.Add("/maps/", ui));
    EXPECT_FALSE(dialog.Add("", ui));
    EXPECT_EQ(dialog.horizontalExtent(), 60);
    ui.directories.push_back("/chosen");
    EXPECT_TRUE(dialog.Browse(ui));
    EXPECT_TRUE(dialog.Add("/", ui));
    dialog.Delete(0);
    dialog.Accept(list);
    EXPECT_EQ(list.paths(), (std::vector<std::string>{"/maps", "/chosen", "/"}));  // a root stays a root
    EXPECT_FALSE(list.Append(""));

    while (dialog.entries().size() < 32)
        dialog.Add("/x", ui);
    ui.shown.clear();
    EXPECT_FALSE(dialog.Add("/one-more", ui));
    EXPECT_FALSE(dialog.Browse(ui));
    ASSERT_EQ(ui.shown.size(), 2u);
    EXPECT_EQ(ui.shown[0].text, "Cant have more than 32 map paths defined.  Sorry.");
    EXPECT_EQ(ui.shown[0].title, "Too many Map Paths");
}

} // namespace
} // namespace gessoria::test
