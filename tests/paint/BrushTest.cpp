// Brush heads, the brush library file and the brush table's flows.

#include "io/ImageLibrary.h"
#include "io/ProfileFile.h"
#include "paint/BrushTable.h"
#include "paint/Paint.h"
#include "support/RecordingInteraction.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <fstream>
#include <sstream>

namespace gessoria::test {
namespace {

TEST(BrushHeads, DefaultConeReachesZeroAtRadius13)
{
    const Brush brush = DefaultBrush();
    EXPECT_EQ(brush.name, "<Default Brush>");
    EXPECT_EQ(brush.Weight(15, 15), 255);
    EXPECT_EQ(brush.Weight(15, 16), 235);  // 255 - 19.615385
    EXPECT_EQ(brush.Weight(15, 28), 0);    // distance 13
    EXPECT_EQ(brush.Weight(3, 15), 19);    // distance 12: 255 - 235.38
    EXPECT_EQ(brush.Weight(0, 0), 0);
    EXPECT_EQ(brush.xSize, 31);
    EXPECT_EQ(brush.feathering, 9);
}

TEST(BrushHeads, HardCircleIsSolidInsideAndEmptyInTheCorners)
{
    const BrushHead head = DefinedHead(31, 31, 0, 0, 0);
    EXPECT_EQ(head[15 * 31 + 15], 255);
    EXPECT_EQ(head[15 * 31 + 1], 255);
    EXPECT_EQ(head[0], 0);
    EXPECT_EQ(head[30 * 31 + 30], 0);
    for (const std::uint8_t w : head)
        ASSERT_TRUE(w == 0 || w == 255);
}

TEST(BrushHeads, FullFeatheringFallsLinearlyByRing)
{
    const BrushHead head = DefinedHead(31, 31, 0, 15, 0);
    // Every weight is a ring's: trunc(255 - t x 17) for a ring t of 0.5 .. 15 in half steps.
    std::set<int> ringWeights;
    for (int half = 1; half <= 30; ++half)
        ringWeights.insert(static_cast<int>(255.0f - static_cast<float>(half) * 0.5f * 17.0f));
    for (const std::uint8_t w : head)
        ASSERT_TRUE(w == 0 || ringWeights.contains(w)) << int(w);
    // Outer rings overwrite inner ones, and truncation pulls ring t + 1 onto the cell at
    // distance t: the centre shows ring 1, and weights fall steadily outward.
    EXPECT_EQ(head[15 * 31 + 15], 238);
    for (int c = 16; c < 31; ++c)
        EXPECT_LE(head[static_cast<std::size_t>(15 * 31 + c)], head[static_cast<std::size_t>(15 * 31 + c - 1)]) << c;
    EXPECT_EQ(head[15 * 31 + 30], 0);  // ring 15 weighs 0
}

TEST(BrushHeads, RectanglesRotateAndUnknownShapesStayEmpty)
{
    const BrushHead square = DefinedHead(10, 10, 0, 0, 1);
    EXPECT_EQ(square[15 * 31 + 15], 255);
    EXPECT_EQ(square[15 * 31 + 19], 255);  // half extent 15 x 10/31 = 4.8
    EXPECT_EQ(square[15 * 31 + 21], 0);
    const BrushHead flat = DefinedHead(31, 2, 0, 0, 1);
    const BrushHead turned = DefinedHead(31, 2, 90, 0, 1);
    EXPECT_EQ(flat[15 * 31 + 2], 255);
    EXPECT_EQ(flat[2 * 31 + 15], 0);
    EXPECT_EQ(turned[2 * 31 + 15], 255);
    EXPECT_EQ(turned[15 * 31 + 2], 0);
    const BrushHead none = DefinedHead(31, 31, 0, 4, 7);
    EXPECT_TRUE(std::all_of(none.begin(), none.end(), [](std::uint8_t w) { return w == 0; }));

    BrushHead inverted = square;
    InvertHead(inverted);
    EXPECT_EQ(inverted[15 * 31 + 15], 0);
    EXPECT_EQ(inverted[0], 255);
}

TEST(BrushHeads, BitmapHeadsMustBe32By32At8Bits)
{
    const auto dir = FreshDirectory("heads");
    CDIB grey;
    grey.Create8(32, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            grey.row(y)[x] = static_cast<std::uint8_t>(y * 8 + x);
    auto image = LibraryImage::FromBitmap(grey);
    image->FlipVertically();  // stored rows: row 0 of the file's data is grey's row 0
    ASSERT_TRUE(image->Save(dir / "head.bmp", ImageSaveFormat::ByExtension));
    WriteImage(dir / "colour.bmp", 32, 32, [](int, int) { return Rgb{1, 2, 3}; });
    WriteImage(dir / "small.bmp", 31, 31, [](int, int) { return Rgb{1, 2, 3}; });

    RecordingInteraction ui;
    const auto head = LoadBitmapHead((dir / "head.bmp").string(), ui);
    ASSERT_TRUE(head.has_value()) << (ui.Dialogs().empty() ? "" : ui.Dialogs()[0]);
    EXPECT_EQ((*head)[0], 0);
    EXPECT_EQ((*head)[1 * 31 + 2], 10);
    EXPECT_EQ((*head)[30 * 31 + 30], static_cast<std::uint8_t>(30 * 8 + 30));
    EXPECT_FALSE(LoadBitmapHead((dir / "colour.bmp").string(), ui).has_value());
    EXPECT_FALSE(LoadBitmapHead((dir / "small.bmp").string(), ui).has_value());
    EXPECT_EQ(ui.Dialogs(), (std::vector<std::string>(2, "Sorry,  can only load 32 x 32 x 8bit brushes.")));
}

TEST(BrushHeads, BitmapHeadsTakeRowsInStoredOrderAndOnlyFromEightBitFiles)
{
    const auto dir = FreshDirectory("stored");
    std::vector<std::uint32_t> grey(256);
    for (std::uint32_t i = 0; i < 256; ++i)
        grey[i] = i * 0x010101u;
    std::vector<int> indices(32 * 32);  // pixel (x, y), y from the top: y x 8 + x
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            indices[static_cast<std::size_t>(y * 32 + x)] = (y * 8 + x) & 0xFF;
    WriteBytes(dir / "bottomup.bmp", PaletteBmp(8, 32, 32, grey, indices));
    WriteBytes(dir / "topdown.dib", PaletteBmp(8, 32, 32, grey, indices, true));
    std::vector<int> nibbles(indices);
    for (int& i : nibbles)
        i &= 15;
    WriteBytes(dir / "four.bmp", PaletteBmp(4, 32, 32, std::vector<std::uint32_t>(grey.begin(), grey.begin() + 16), nibbles));

    RecordingInteraction ui;
    // Mask row 0 is the first row the file stores: the bottom row of a bottom-up file...
    const auto bottomUp = LoadBitmapHead((dir / "bottomup.bmp").string(), ui);
    ASSERT_TRUE(bottomUp.has_value());
    EXPECT_EQ((*bottomUp)[0], 31 * 8);
    EXPECT_EQ((*bottomUp)[1 * 31 + 2], 30 * 8 + 2);
    // ...and the top row of a top-down one.
    const auto topDown = LoadBitmapHead((dir / "topdown.dib").string(), ui);
    ASSERT_TRUE(topDown.has_value());
    EXPECT_EQ((*topDown)[0], 0);
    EXPECT_EQ((*topDown)[1 * 31 + 2], 10);
    EXPECT_EQ((*topDown)[30 * 31 + 30], (30 * 8 + 30) & 0xFF);
    EXPECT_TRUE(ui.Dialogs().empty());

    // A 4-bit file is no 8-bit file, whatever its decoder makes of it.
    EXPECT_FALSE(LoadBitmapHead((dir / "four.bmp").string(), ui).has_value());
    EXPECT_EQ(ui.Dialogs(), std::vector<std::string>{"Sorry,  can only load 32 x 32 x 8bit brushes."});
}

Brush Sample(const std::string& name)
{
    Brush b;
    b.name = name;
    b.notes = "n";
    b.head.fill(0);
    b.head[0] = 0xAB;
    b.head[960] = 0x01;
    b.bump = 1;
    b.dabCount = 5;
    b.dabSpacing = 2;
    b.xSpacing = 3;
    b.ySpacing = 4;
    b.autoRepeat = 1;
    b.timeToFade = 6;
    b.rotation = 45;
    b.xSize = 12;
    b.ySize = 13;
    b.feathering = 2;
    b.headType = 0;
    b.shape = 1;
    return b;
}

TEST(BrushLibrary, WritesExactlyTheKnownLayout)
{
    BrushTable table;
    table.Append(Sample("First"));
    const auto path = FreshDirectory("lib") / "Brushes.Dat";
    ASSERT_TRUE(table.WriteLibrary(path));
    std::string head = "AB" + std::string(959 * 2, '0') + "01" + "AC";
    const std::string expected = "[General]\r\nBrushCount=1\r\n\r\n[Brush_1]\r\nName=First\r\nNotes=n\r\nBrushHead=" + head +
                                 "\r\nBump=1\r\nNumberOfDabs=5\r\nDabSpacing=2\r\nX Spacing=3\r\nY Spacing=4\r\n"
                                 "AutoRepeat=1\r\nTimeToFade=6\r\nRotation=45\r\nX_Size=12\r\nY_Size=13\r\n"
                                 "Feathering=2\r\nBrush_Type=0\r\nBrush_Shape=1\r\n";
    EXPECT_EQ(ReadText(path), expected);

    BrushTable back;
    ASSERT_TRUE(back.ReadLibrary(path));
    ASSERT_EQ(back.count(), 2);
    EXPECT_EQ(back.at(1).head, table.at(1).head);
    EXPECT_EQ(back.at(1).rotation, 45);
    EXPECT_EQ(back.at(1).notes, "n");
}

TEST(BrushLibrary, MissingKeysTakeTheFileDefaultsAndBadHeadsReadAsZero)
{
    const auto path = FreshDirectory("lib") / "Brushes.Dat";
    std::ofstream(path) << "[General]\nBrushCount=3\n[Brush_1]\nBrushHead=0102\n[Brush_2]\nName=Two\nX Spacing=0\n"
                           "BrushHead=" << std::string(962 * 2, '0') << "\n[Brush_3]\nBrushHead=" << std::string(961 * 2, '0') << "05\n";
    BrushTable table;
    ASSERT_TRUE(table.ReadLibrary(path));
    ASSERT_EQ(table.count(), 4);
    const Brush& first = table.at(1);
    EXPECT_EQ(first.name, "Brush_1");
    EXPECT_EQ(first.xSize, 10);
    EXPECT_EQ(first.feathering, 4);
    EXPECT_EQ(first.headType, 1);
    EXPECT_EQ(first.shape, 1);
    EXPECT_EQ(first.xSpacing, 1);  // read as at least 1
    EXPECT_TRUE(std::all_of(first.head.begin(), first.head.end(), [](std::uint8_t w) { return w == 0; }));
    EXPECT_EQ(table.at(2).name, "Two");
    EXPECT_EQ(table.at(2).xSpacing, 1);
    EXPECT_TRUE(std::all_of(table.at(3).head.begin(), table.at(3).head.end(), [](std::uint8_t w) { return w == 0; }));
}

TEST(BrushLibrary, CountsAreLimitedAndAnEmptyTableWritesNothing)
{
    const auto dir = FreshDirectory("lib");
    std::ofstream(dir / "many.Dat") << "[General]\nBrushCount=150\n";
    BrushTable table;
    ASSERT_TRUE(table.ReadLibrary(dir / "many.Dat"));
    EXPECT_EQ(table.count(), 100);

    std::ofstream(dir / "none.Dat") << "[General]\nOther=1\n";
    BrushTable empty;
    EXPECT_FALSE(empty.ReadLibrary(dir / "none.Dat"));
    EXPECT_FALSE(empty.ReadLibrary(dir / "missing.Dat"));
    EXPECT_EQ(empty.count(), 1);
    std::ofstream(dir / "keep.Dat") << "untouched";
    EXPECT_FALSE(empty.WriteLibrary(dir / "keep.Dat"));
    EXPECT_EQ(ReadText(dir / "keep.Dat"), "untouched");
}

TEST(BrushTableFlows, CreateReplaceAndNothingChanged)
{
    BrushTable table;
    table.Append(Sample("Mine"));
    RecordingInteraction ui;
    BrushEdit edit{table.current(), false};
    table.SaveEdited(edit, ui);  // nothing differs
    EXPECT_TRUE(ui.shown.empty());

    edit.values.name = "  Other  ";
    edit.values.xSize = 20;
    ui.yesNo.push_back(true);
    table.SaveEdited(edit, ui);
    EXPECT_EQ(ui.Dialogs().back(), "Create a new Brush called Other? If you select 'No' the brush you edited will be replaced.");
    ASSERT_EQ(table.count(), 3);
    EXPECT_EQ(table.currentIndex(), 2);
    EXPECT_EQ(table.current().name, "Other");
    // A defined head is recomputed from the saved shape values.
    EXPECT_EQ(table.current().head, DefinedHead(20, 13, 45, 2, 1));

    edit.values.name = "Other";
    edit.values.feathering = 5;
    ui.yesNo.push_back(false);
    table.SaveEdited(edit, ui);
    EXPECT_EQ(ui.Dialogs().back(), "Replace existing Other?");
    EXPECT_EQ(table.current().feathering, 2);
    ui.yesNo.push_back(true);
    table.SaveEdited(edit, ui);
    EXPECT_EQ(table.current().feathering, 5);

    edit.values.name = "Renamed";
    ui.yesNo.push_back(false);  // No: the edited brush is replaced
    table.SaveEdited(edit, ui);
    EXPECT_EQ(table.count(), 3);
    EXPECT_EQ(table.current().name, "Renamed");
}

TEST(BrushTableFlows, FullTableScratchBrushAndSaveToScene)
{
    BrushTable table;
    RecordingInteraction ui;
    ASSERT_TRUE(table.NewScratch(ui));
    EXPECT_EQ(table.current().name, "stababanda");
    EXPECT_EQ(table.current().xSize, 20);
    EXPECT_EQ(table.current().feathering, 15);
    table.SettingsClosed();  // still the scratch brush: removed
    EXPECT_EQ(table.count(), 1);
    EXPECT_EQ(table.currentIndex(), 0);

    table.NewScratch(ui);
    BrushEdit edit{table.current(), false};
    edit.values.name = "Kept";
    table.SaveEdited(edit, ui);  // a scratch brush is overwritten without asking
    EXPECT_TRUE(ui.Dialogs().empty());
    table.SettingsClosed();
    EXPECT_EQ(table.count(), 2);

    while (table.count() < BrushTable::kMaxBrushes)
        table.Append(Sample("x" + std::to_string(table.count())));
    EXPECT_FALSE(table.NewScratch(ui));
    edit.values.name = "One Too Many";
    table.SaveToScene(edit, ui);
    ui.yesNo.push_back(true);
    table.SaveEdited(edit, ui);
    EXPECT_EQ(ui.Dialogs(), (std::vector<std::string>{
                                "A maximum of 100 Brushes are allowed, to add a new Brush, delete an existing one first.",
                                "Can't create more than 100 brushes.  Sorry",
                                "Create a new Brush called One Too Many? If you select 'No' the brush you edited will be replaced.",
                                "A maximum of 100 Brushes are allowed, to add a new Brush, delete an existing one first."}));
    EXPECT_EQ(table.count(), 100);

    edit.values.name = table.current().name;
    edit.values.dabCount = 77;
    ui.yesNo.push_back(true);
    table.SaveToScene(edit, ui);
    EXPECT_EQ(ui.Dialogs().back(), "Do you really want to overwrite existing " + edit.values.name);
    EXPECT_EQ(table.current().dabCount, 77);
}

TEST(BrushTableFlows, DeletingMovesLaterEntriesDownAndProtectsTheDefault)
{
    BrushTable table;
    for (const char* name : {"a", "b", "c", "d"})
        table.Append(Sample(name));
    RecordingInteraction ui;
    EXPECT_FALSE(table.Delete(0, ui));
    ui.yesNo = {false, true, true};
    EXPECT_FALSE(table.Delete(2, ui));
    EXPECT_TRUE(table.Delete(2, ui));
    EXPECT_EQ(table.count(), 4);
    EXPECT_EQ(table.at(2).name, "c");
    EXPECT_EQ(table.at(3).name, "d");
    EXPECT_EQ(table.currentIndex(), 0);
    EXPECT_TRUE(table.Delete(3, ui));
    EXPECT_EQ(table.count(), 3);
    EXPECT_EQ(ui.Dialogs(), (std::vector<std::string>{"Brush 0, the default brush, cannot be deleted.",
                                                      "Do you really want to delete the current brush?",
                                                      "Do you really want to delete the current brush?",
                                                      "Do you really want to delete the current brush?"}));
}

// A bitmap paint with its images loaded, whose first image is 100 x 61 in 1 x 3 tiles.
Paint LoadedBitmapPaint()
{
    Paint paint;
    paint.bitmapPaint = 1;
    paint.imagesLoaded = 1;
    paint.xTiling = 0;
    paint.yTiling = 3;
    paint.images[kImageBump] = std::make_shared<CDIB>();
    paint.images[kImageBump]->Create8(100, 61);
    return paint;
}

TEST(BrushTableFlows, AutoSpacingFollowsTheBitmapPaintsTiles)
{
    Brush brush = Sample("auto");
    brush.dabSpacing = static_cast<int>(DabSpacing::Auto);
    Paint paint = LoadedBitmapPaint();
    ApplyAutoSpacing(brush, paint, 0.0f);
    EXPECT_EQ(paint.xTiling, 1);
    EXPECT_EQ(brush.xSpacing, 100);
    EXPECT_EQ(brush.ySpacing, 20);
    ApplyAutoSpacing(brush, paint, 0.5f);
    EXPECT_EQ(brush.xSpacing, 50);
    EXPECT_EQ(brush.ySpacing, 10);

    brush.dabSpacing = static_cast<int>(DabSpacing::Manual);
    ApplyAutoSpacing(brush, paint, 1.0f);
    EXPECT_EQ(brush.xSpacing, 50);
}

TEST(BrushTableFlows, SelectingABrushFitsAutoSpacingToTheCurrentPaint)
{
    BrushTable table;
    Brush automatic = Sample("auto");
    automatic.dabSpacing = static_cast<int>(DabSpacing::Auto);
    table.Append(automatic);
    table.Append(Sample("manual"));  // manual spacing 3 x 4
    Paint paint = LoadedBitmapPaint();

    // The paint chosen first, the brush after: the brush still follows the paint's tiles.
    ASSERT_TRUE(table.Select(1, paint, 0.5f));
    EXPECT_EQ(table.current().xSpacing, 50);
    EXPECT_EQ(table.current().ySpacing, 10);
    ASSERT_TRUE(table.Select(2, paint, 0.5f));
    EXPECT_EQ(table.current().xSpacing, 3);
    EXPECT_EQ(table.current().ySpacing, 4);
    // An ordinary paint leaves the spacing as stored.
    Paint ordinary;
    table.at(1).xSpacing = 7;
    ASSERT_TRUE(table.Select(1, ordinary, 1.0f));
    EXPECT_EQ(table.current().xSpacing, 7);
    EXPECT_FALSE(table.Select(3, paint, 1.0f));
    EXPECT_EQ(table.currentIndex(), 1);
}

TEST(BrushTableFlows, NewBrushesCarryTheSheetsBitmapHead)
{
    const auto dir = FreshDirectory("bitmap");
    BrushTable table;
    Brush stamp = Sample("Stamp");
    stamp.headType = static_cast<int>(HeadType::Bitmap);
    for (std::size_t i = 0; i < stamp.head.size(); ++i)
        stamp.head[i] = static_cast<std::uint8_t>(i * 7);
    table.Append(stamp);
    RecordingInteraction ui;

    // "Create a new Brush" (Yes) from a sheet opened on a bitmap-head brush, head untouched.
    BrushEdit edit{table.current(), false};
    edit.values.name = "Stamp Copy";
    ui.yesNo.push_back(true);
    table.SaveEdited(edit, ui);
    ASSERT_EQ(table.count(), 3);
    EXPECT_EQ(table.current().head, stamp.head);
    // "Save To Scene" under a new name.
    edit.values.name = "Stamp Scene";
    table.SaveToScene(edit, ui);
    ASSERT_EQ(table.count(), 4);
    EXPECT_EQ(table.current().head, stamp.head);

    // And so they are written to the library.
    ASSERT_TRUE(table.WriteLibrary(dir / "Brushes.Dat"));
    BrushTable reread;
    ASSERT_TRUE(reread.ReadLibrary(dir / "Brushes.Dat"));
    ASSERT_EQ(reread.count(), 4);
    EXPECT_EQ(reread.at(2).head, stamp.head);
    EXPECT_EQ(reread.at(3).head, stamp.head);
}

} // namespace
} // namespace gessoria::test
