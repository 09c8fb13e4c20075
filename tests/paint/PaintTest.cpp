// Paints, the paint library file, bitmap paint images and the paint table's flows.

#include "paint/BrushTable.h"
#include "paint/PaintKinds.h"
#include "paint/PaintTable.h"
#include "support/RecordingInteraction.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace gessoria::test {
namespace {

TEST(Paints, DefaultsAndCurrentValues)
{
    const Paint paint = DefaultPaint();
    EXPECT_EQ(paint.name, "<Default Paint>");
    EXPECT_EQ(paint.specialNumber, 1);
    EXPECT_EQ(paint.colourMap, 1);
    EXPECT_EQ(paint.specialA, 128);
    const PaintValues values;
    EXPECT_EQ(ColourChannel(values.foreground, 3), 255);
    EXPECT_EQ(ColourChannel(values.background, 0), 0x80);
    EXPECT_EQ(values.opacity, 0);
    EXPECT_EQ(values.bump, 255);
}

TEST(Paints, KindsListTheTwentyFourPaintsThenTheBitmapPaint)
{
    const auto kinds = PaintKinds();
    ASSERT_EQ(kinds.size(), 25u);
    for (int i = 0; i < 24; ++i)
        EXPECT_EQ(kinds[static_cast<std::size_t>(i)].number, i + 1);
    EXPECT_EQ(kinds[24].number, 5000);
    EXPECT_STREQ(PaintKindFor(13).name, "Blur");
    EXPECT_STREQ(PaintKindFor(13).sliderLabel, "Amount");
    EXPECT_EQ(PaintKindFor(9).sliderLabel, nullptr);
    EXPECT_STREQ(PaintKindFor(24).sliderLabel, "Width");
    EXPECT_STREQ(PaintKindFor(0).name, "<Default>");  // unknown numbers paint as the ordinary paint
    EXPECT_TRUE(std::string(PaintKindFor(10).description).starts_with("Replace paint compares the colourit paints over"));
}

Paint Ordinary(const std::string& name)
{
    Paint p = DefaultPaint();
    p.name = name;
    p.notes = "note";
    p.aoeLevel = 7;
    p.washHighlight = 2;
    p.bumpMap = 1;
    p.specialNumber = 13;
    p.dirtiness = 9;
    p.specialA = 20;
    p.specialB = 21;
    return p;
}

TEST(PaintLibrary, OrdinaryPaintsOmitTheBitmapKeysAndReadBackWithFileDefaults)
{
    PaintTable table;
    RecordingInteraction ui;
    table.SaveToScene(Ordinary("Blurry"), ui);
    const auto path = FreshDirectory("lib") / "Paints.Dat";
    ASSERT_TRUE(table.WriteLibrary(path));
    EXPECT_EQ(ReadText(path), "[General]\r\nPaintCount=1\r\n\r\n[Paint_1]\r\nName=Blurry\r\nNotes=note\r\nAOE Level=7\r\n"
                              "Wash / Highlight=2\r\nColour Map=1\r\nSelf Illumination Map=0\r\nBump Map=1\r\n"
                              "Shininess Map=0\r\nOpacity Map=0\r\nSpecial Paint No.=13\r\nBitmap Paint=0\r\nWetness=0\r\n"
                              "Dirtiness=9\r\nSpecial A: =20\r\nSpecial B: =21\r\n");
    PaintTable back;
    ASSERT_TRUE(back.ReadLibrary(path));
    ASSERT_EQ(back.count(), 2);
    const Paint& p = back.at(1);
    EXPECT_EQ(p.specialA, 20);
    EXPECT_EQ(p.xTiling, 1);
    EXPECT_EQ(p.yTiling, 1);
    EXPECT_EQ(p.alphaFromTopLeft, 1);
    EXPECT_EQ(p.washHighlight, 2);
}

TEST(PaintLibrary, BitmapPaintKeysFollowInTheirOrder)
{
    Paint bitmap = Ordinary("Tiles");
    bitmap.bitmapPaint = 1;
    bitmap.xTiling = 2;
    bitmap.yTiling = 3;
    bitmap.tileSequence = 1;
    bitmap.useImage = {1, 0, 1, 0, 1, 0};
    bitmap.alphaFromTopLeft = 0;
    bitmap.paths = {"c.png", "b.png", "s.png", "o.png", "h.png", "a.png"};
    PaintTable table;
    RecordingInteraction ui;
    table.SaveToScene(bitmap, ui);
    const auto path = FreshDirectory("lib") / "Paints.Dat";
    ASSERT_TRUE(table.WriteLibrary(path));
    const std::string text = ReadText(path);
    EXPECT_NE(text.find("Special B: =21\r\nX Tiling=2\r\nY Tiling=3\r\nTile Sequence=1\r\nUse Colour BitMap=1\r\n"
                        "Use Bump BitMap=0\r\nUse Self Illum BitMap=1\r\nUse Opacity BitMap=0\r\nUse Shininess BitMap=1\r\n"
                        "Use Alpha BitMap=0\r\nAlpha From Top Left=0\r\nColour Path=c.png\r\nBump Path=b.png\r\n"
                        "Self Illum Path=s.png\r\nShininess Path=h.png\r\nOpacity Path=o.png\r\nAlpha Path=a.png\r\n"),
              std::string::npos)
        << text;
    PaintTable back;
    back.ReadLibrary(path);
    EXPECT_EQ(back.at(1).paths, bitmap.paths);
    EXPECT_EQ(back.at(1).useImage, bitmap.useImage);
}

TEST(PaintLibrary, MissingSpecialNumberReadsAsZeroAndCountsAreLimited)
{
    const auto dir = FreshDirectory("lib");
    std::ofstream(dir / "Paints.Dat") << "[General]\nPaintCount=120\n[Paint_1]\nName=Plain\n";
    PaintTable table;
    ASSERT_TRUE(table.ReadLibrary(dir / "Paints.Dat"));
    EXPECT_EQ(table.count(), 100);
    EXPECT_EQ(table.at(1).specialNumber, 0);
    EXPECT_EQ(table.at(1).specialA, 0);
    EXPECT_EQ(table.at(2).name, "Paint_2");
    EXPECT_EQ(table.at(2).colourMap, 1);

    PaintTable empty;
    EXPECT_FALSE(empty.ReadLibrary(dir / "nothing.Dat"));
    EXPECT_FALSE(empty.WriteLibrary(dir / "out.Dat"));
    EXPECT_FALSE(std::filesystem::exists(dir / "out.Dat"));
}

TEST(PaintTableFlows, BitmapPaintImagesLoadOnSelectAndAreFreedOnDeselectAndDelete)
{
    const auto dir = FreshDirectory("images");
    WriteImage(dir / "colour.png", 40, 20, [](int x, int) { return Rgb{static_cast<std::uint8_t>(x), 0, 0}; });
    WriteImage(dir / "bump.png", 8, 8, [](int, int) { return Rgb{30, 60, 90}; });
    Paint bitmap = DefaultPaint();
    bitmap.name = "Stamp";
    bitmap.bitmapPaint = 1;
    bitmap.xTiling = 2;
    bitmap.paths[kImageColour] = (dir / "colour.png").string();
    bitmap.paths[kImageBump] = (dir / "bump.png").string();
    PaintTable table;
    RecordingInteraction ui;
    table.SaveToScene(bitmap, ui);
    Brush brush = DefaultBrush();
    brush.dabSpacing = static_cast<int>(DabSpacing::Auto);

    ASSERT_TRUE(table.Select(1, brush, 1.0f, ui));
    const Paint& selected = table.at(1);
    EXPECT_EQ(selected.imagesLoaded, 1);
    EXPECT_EQ(selected.specialNumber, 5000);
    ASSERT_TRUE(selected.images[kImageColour]);
    EXPECT_EQ(selected.images[kImageColour]->bitCount(), 24);
    ASSERT_TRUE(selected.images[kImageBump]);
    EXPECT_EQ(selected.images[kImageBump]->bitCount(), 8);
    const int grey = selected.images[kImageBump]->row(0)[0];  // (30, 60, 90) reduced to grey
    EXPECT_GT(grey, 30);
    EXPECT_LT(grey, 90);
    EXPECT_EQ(brush.xSpacing, 20);
    EXPECT_EQ(brush.ySpacing, 20);

    table.Select(0, brush, 1.0f, ui);
    EXPECT_EQ(table.at(1).imagesLoaded, 0);
    EXPECT_FALSE(table.at(1).images[kImageColour]);

    table.Select(1, brush, 1.0f, ui);
    EXPECT_EQ(table.at(1).imagesLoaded, 1);
    auto image = table.at(1).images[kImageColour];
    ui.yesNo.push_back(true);
    ASSERT_TRUE(table.Delete(1, ui));
    EXPECT_EQ(image.use_count(), 1);  // only this test still holds it
    EXPECT_EQ(table.currentIndex(), 0);

    // A missing image is reported and leaves the paint unloaded.
    bitmap.paths[kImageBump] = (dir / "missing.png").string();
    table.SaveToScene(bitmap, ui);
    table.Select(1, brush, 1.0f, ui);
    EXPECT_EQ(table.at(1).imagesLoaded, 0);
    EXPECT_EQ(ui.Dialogs().back(), (dir / "missing.png").string() + "  -  file load error.  Possibly corrupt file.");
}

TEST(PaintTableFlows, DeletingAnotherPaintFreesTheImagesOfTheOneThatStopsBeingCurrent)
{
    const auto dir = FreshDirectory("others");
    WriteImage(dir / "tile.png", 8, 4, [](int, int) { return Rgb{1, 2, 3}; });
    PaintTable table;
    RecordingInteraction ui;
    for (const char* name : {"First", "Second"}) {
        Paint bitmap = DefaultPaint();
        bitmap.name = name;
        bitmap.bitmapPaint = 1;
        bitmap.paths[kImageColour] = (dir / "tile.png").string();
        table.SaveToScene(bitmap, ui);
    }
    Brush brush = DefaultBrush();
    ASSERT_TRUE(table.Select(2, brush, 1.0f, ui));
    ASSERT_EQ(table.at(2).imagesLoaded, 1);
    const auto image = table.at(2).images[kImageColour];

    ui.yesNo.push_back(true);
    ASSERT_TRUE(table.Delete(1, ui));
    EXPECT_EQ(table.currentIndex(), 0);
    ASSERT_EQ(table.at(1).name, "Second");
    EXPECT_EQ(table.at(1).imagesLoaded, 0);
    EXPECT_FALSE(table.at(1).images[kImageColour]);
    EXPECT_EQ(image.use_count(), 1);  // only this test still holds it
}

TEST(PaintTableFlows, CreateReplaceScratchAndRefusals)
{
    PaintTable table;
    RecordingInteraction ui;
    EXPECT_FALSE(table.Delete(0, ui));
    ASSERT_TRUE(table.NewScratch(ui));
    EXPECT_EQ(table.current().name, "stababanda");
    EXPECT_EQ(table.current().aoeLevel, 128);
    Paint edit = table.current();
    edit.name = "Fresh";
    table.SaveEdited(edit, ui);  // the scratch paint is overwritten without asking
    table.EditorClosed();
    EXPECT_EQ(table.count(), 2);
    EXPECT_EQ(table.current().name, "Fresh");

    edit.dirtiness = 50;
    ui.yesNo.push_back(true);
    table.SaveEdited(edit, ui);
    EXPECT_EQ(table.current().dirtiness, 50);
    edit.name = "Second";
    ui.yesNo.push_back(true);
    table.SaveEdited(edit, ui);
    EXPECT_EQ(table.count(), 3);

    table.NewScratch(ui);
    table.EditorClosed();
    EXPECT_EQ(table.count(), 3);
    EXPECT_EQ(table.currentIndex(), 0);

    while (table.count() < PaintTable::kMaxPaints) {
        Paint p = DefaultPaint();
        p.name = "p" + std::to_string(table.count());
        table.SaveToScene(p, ui);
    }
    EXPECT_FALSE(table.NewScratch(ui));
    edit.name = "Overflow";
    table.SaveToScene(edit, ui);
    EXPECT_EQ(table.count(), 100);
    const auto dialogs = ui.Dialogs();
    EXPECT_EQ(dialogs[0], "Paint 0, the default paint, cannot be deleted.");
    EXPECT_EQ(dialogs[1], "Replace existing Fresh?");
    EXPECT_EQ(dialogs[2], "Create a new Paint called Second? If you select 'No' the paint you edited will be replaced.");
    EXPECT_EQ(dialogs[3], "A maximum of 100 Paints are allowed, to add a new Paint, delete an existing one first.");
    EXPECT_EQ(dialogs[4], "Can't create more than 100 Paints.  Sorry");
}

} // namespace
} // namespace gessoria::test
