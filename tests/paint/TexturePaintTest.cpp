// The Texture Paint tool (clone and texture stamping, with their sources) and the bitmap
// paint's stamps, refusals and exact undo records.

#include "paint/BitmapPaint.h"
#include "paint/TexturePaint.h"
#include "PaintBoard.h"

#include <gtest/gtest.h>

namespace gessoria::test {
namespace {

// An image whose every pixel tells where it is: colour (x, y, 7) or grey x + 16 y.
std::shared_ptr<CDIB> PositionImage(int width, int height, bool colour)
{
    auto image = std::make_shared<CDIB>();
    colour ? image->Create24(width, height) : image->Create8(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = image->row(y) + x * image->bytesPerPixel();
            if (colour) {
                p[0] = static_cast<std::uint8_t>(x);
                p[1] = static_cast<std::uint8_t>(y);
                p[2] = 7;
            } else {
                p[0] = static_cast<std::uint8_t>(x + 16 * y);
            }
        }
    return image;
}

void MakeBitmapPaint(Paint& paint, int width, int height)
{
    paint.specialNumber = kBitmapPaintNumber;
    paint.bitmapPaint = 1;
    paint.images[kImageColour] = PositionImage(width, height, true);
    paint.useImage[kImageColour] = 1;
    paint.imagesLoaded = 1;
}

TEST(BitmapPaint, RefusesInOrderAndForEveryDab)
{
    PaintBoard board;
    board.paint.specialNumber = kBitmapPaintNumber;
    const Painter painter = board.MakePainter();
    painter.Dab(1, 0, 0, 1);
    board.paint.imagesLoaded = 1;
    painter.Dab(2, 0, 0, 1);
    board.paint.useImage[kImageColour] = 1;  // used, but no image: still nothing to stamp
    painter.Dab(3, 0, 0, 1);
    EXPECT_EQ(board.ui.Dialogs(), (std::vector<std::string>{kImagesNotLoaded, kNoBitmapPaintMaps, kNoBitmapPaintMaps}));
}

TEST(BitmapPaint, StampsTilesInDabOrderWrappedAroundTheEdges)
{
    PaintBoard board;
    MakeBitmapPaint(board.paint, 8, 4);
    board.paint.xTiling = 2;  // two 4 x 4 tiles
    board.values.foreground = 0xFFFFFFFF;
    Layer& base = board.Selected();
    const auto pixel = [&](int x, int y) { return base.image.row(y) + x * 3; };

    // Dab 1 lays tile 0 (pixels 0..3) from column 30 - 2 and row 20 - 2.
    LayBitmapFootprint(board.material(), board.MakePainter().context(), 1, {30, 20});
    EXPECT_EQ(pixel(28, 18)[0], 0);
    EXPECT_EQ(pixel(31, 21)[0], 3);
    EXPECT_EQ(pixel(31, 21)[1], 3);
    EXPECT_EQ(pixel(32, 21)[2], 50);  // outside the stamp
    // Dab 2 lays tile 1 (pixels 4..7).
    LayBitmapFootprint(board.material(), board.MakePainter().context(), 2, {30, 20});
    EXPECT_EQ(pixel(28, 18)[0], 4);

    // Centred on the corner, the stamp wraps: its first row and column land on the far edges.
    const auto changed = LayBitmapFootprint(board.material(), board.MakePainter().context(), 1, {0, 0});
    ASSERT_TRUE(changed.has_value());
    EXPECT_EQ(changed->x0, -2);
    EXPECT_EQ(pixel(PaintBoard::kSize - 2, PaintBoard::kSize - 2)[0], 0);
    EXPECT_EQ(pixel(1, 1)[0], 3);

    // The key colour (the first pixel) is transparent.
    board.paint.alphaFromTopLeft = 1;
    LayBitmapFootprint(board.material(), board.MakePainter().context(), 1, {10, 40});
    EXPECT_EQ(pixel(8, 38)[2], 50);
    EXPECT_EQ(pixel(9, 38)[0], 1);
}

TEST(BitmapPaint, UndoRestoresExactlyTheWrappedStamp)
{
    PaintBoard board;
    board.scene.undo.enabled = true;
    board.scene.undoBuffer.Allocate(1u << 20);
    MakeBitmapPaint(board.paint, 40, 40);  // larger than a brush footprint
    Material& m = board.material();
    NewLayer(m, MapType::Colour, board.ui);
    const std::vector<std::uint8_t> before(board.Selected().image.bits().begin(), board.Selected().image.bits().end());
    const std::vector<std::uint8_t> alphaBefore(board.Selected().alpha.bits().begin(), board.Selected().alpha.bits().end());
    board.MakePainter().Dab(1, 0, 0, 1);  // centred on texel (0, 0): wraps on both axes
    const std::vector<std::uint8_t> after(board.Selected().image.bits().begin(), board.Selected().image.bits().end());
    ASSERT_NE(after, before);
    ASSERT_TRUE(board.scene.undoBuffer.Undo(board.scene, true));
    EXPECT_TRUE(std::equal(before.begin(), before.end(), board.Selected().image.bits().begin()));
    EXPECT_TRUE(std::equal(alphaBefore.begin(), alphaBefore.end(), board.Selected().alpha.bits().begin()));
    ASSERT_TRUE(board.scene.undoBuffer.Redo(board.scene));
    EXPECT_TRUE(std::equal(after.begin(), after.end(), board.Selected().image.bits().begin()));
}

TEST(Clone, NeedsASourceThenCopiesThroughAFixedOffset)
{
    PaintBoard board;
    board.scene.paintTool = PaintTool::TexturePaint;
    board.SingleTexelHead();
    Material& m = board.material();
    NewLayer(m, MapType::Colour, board.ui);
    Layer& base = m.stack(MapType::Colour)[1];
    base.image.row(10)[10 * 3] = 201;
    base.image.row(11)[12 * 3] = 202;
    Layer& layer2 = board.Selected();
    layer2.image.row(10)[10 * 3] = 33;  // the source reads the same layer index as it paints
    layer2.alpha.row(10)[10] = 255;

    board.Click(40, 40);
    EXPECT_EQ(board.ui.Dialogs(), std::vector<std::string>{kNoCloneSource});

    board.painting.options.settingCloneSource = true;
    board.Click(10, 10);
    EXPECT_FALSE(board.painting.options.settingCloneSource);  // one click records one source
    EXPECT_EQ(board.Texel(10, 10)[0], 33);
    board.Click(40, 40);  // fixes the offset (30, 30)
    EXPECT_EQ(board.Texel(40, 40)[0], 33);
    EXPECT_EQ(layer2.alpha.row(40)[40], (254 * 255) / 256);
    board.Click(42, 41);  // a later stroke keeps the offset
    EXPECT_EQ(board.Texel(42, 41)[0], 0);  // layer 2 at (12, 11) is empty
    EXPECT_EQ(layer2.alpha.row(41)[42], 0);

    // A source material with fewer layers than the painted layer's index gives its composite.
    board.scene.materials.push_back(MakeLayeredMaterial(8, 8, 0, 0, 0, 0));
    board.scene.materialCount = 2;
    Material& source = board.scene.materials[2];
    source.stack(MapType::Colour)[0].image.Fill24(77, 78, 79);
    board.painting.clone = {2, 0, 0, true, true, 0, 0};
    ASSERT_TRUE(LayCloneFootprint(board.scene, board.MakePainter().context(), board.painting, 1, {20, 30}, 1));
    EXPECT_EQ(board.Texel(20, 30)[0], 77);
    EXPECT_EQ(board.Texel(20, 30)[2], 79);
}

TEST(TexturePaint, StampsTheBitmapFromTheSourcePointThroughTheHead)
{
    PaintBoard board;
    RecordingInteraction& ui = board.ui;
    EXPECT_EQ(StartTextureMode(board.painting, board.paint, ui), nullptr);
    board.paint.specialNumber = kBitmapPaintNumber;
    EXPECT_EQ(StartTextureMode(board.painting, board.paint, ui), nullptr);
    board.paint.imagesLoaded = 1;
    EXPECT_EQ(StartTextureMode(board.painting, board.paint, ui), nullptr);
    EXPECT_EQ(ui.Dialogs(), (std::vector<std::string>{kNotABitmapPaint, kDibsNotLoaded, kNoSourceMaps}));
    EXPECT_FALSE(board.painting.options.texturedPaint);

    // Only the bump slot present: the source view shows it.
    board.paint.images[kImageBump] = PositionImage(16, 8, false);
    EXPECT_EQ(StartTextureMode(board.painting, board.paint, ui), board.paint.images[kImageBump].get());
    EXPECT_EQ(board.painting.source.x, 8);
    EXPECT_EQ(board.painting.source.y, 4);
    ClickSourceView(board.painting, 0, 0, 256);
    EXPECT_EQ(board.painting.source.y, 255);

    MakeBitmapPaint(board.paint, 16, 16);
    StartTextureMode(board.painting, board.paint, ui);  // the colour image now, source at (8, 8)
    board.scene.paintTool = PaintTool::TexturePaint;
    board.brush.head.fill(255);
    board.Click(30, 20);  // anchors the source point at texel (30, 20)
    EXPECT_EQ(board.Texel(30, 20)[0], 8);
    EXPECT_EQ(board.Texel(30, 20)[1], 8);
    EXPECT_EQ(board.Texel(33, 18)[0], 11);
    EXPECT_EQ(board.Texel(40, 20)[0], 2);  // 8 + 10 wrapped into 16 pixels

    board.painting.options.SetTextureScale(2.0f);
    board.Click(30, 40);
    EXPECT_EQ(board.Texel(31, 40)[0], 8);  // half a pixel per texel
    EXPECT_EQ(board.Texel(32, 40)[0], 9);
    EXPECT_EQ(board.Texel(29, 40)[0], 7);

    board.painting.options.SetTextureScale(150.0f);
    EXPECT_FLOAT_EQ(board.painting.options.textureScale, 99.9f);
    board.painting.options.SetTextureScale(0.0f);
    EXPECT_FLOAT_EQ(board.painting.options.textureScale, 0.1f);
}

} // namespace
} // namespace gessoria::test

namespace gessoria::test {
namespace {

TEST(ToolSwitches, TheTexturePaintAndEraserWriteOnlyTheirSwitchedTypes)
{
    PaintBoard board;
    board.scene.paintTool = PaintTool::TexturePaint;
    board.SingleTexelHead();
    Material& m = board.material();
    m.stack(MapType::Colour)[1].image.row(5)[5 * 3] = 9;
    m.stack(MapType::Bump)[1].image.row(5)[5] = 19;
    board.painting.options.textureMaps = {false, true, false, false, false};  // Bump alone
    board.painting.options.settingCloneSource = true;
    board.Click(5, 5);
    board.Click(30, 30);
    EXPECT_EQ(board.Texel(30, 30, MapType::Bump)[0], 128 + (((19 - 128) * 65280) >> 16));
    EXPECT_EQ(board.Texel(30, 30)[0], 50);

    board.scene.paintTool = PaintTool::Eraser;
    board.painting.options.eraserMaps = {true, false, false, false, false};  // Colour alone
    board.values.background = 0xFF000000;
    board.Click(30, 30);
    EXPECT_EQ(board.Texel(30, 30)[0], 50 + ((65280 * (0 - 50)) >> 16));
    EXPECT_EQ(board.Texel(30, 30, MapType::Bump)[0], 128 + (((19 - 128) * 65280) >> 16));
}

} // namespace
} // namespace gessoria::test
