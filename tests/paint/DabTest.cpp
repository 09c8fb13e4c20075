// The pick and the ordinary paint's dab, down to the texel and the redrawn pixel.

#include "paint/Dab.h"
#include "paint/PaintFootprint.h"
#include "paint/PickFace.h"
#include "scene/LayerOperations.h"
#include "scene/Material.h"
#include "support/PaintingState.h"
#include "support/RecordingInteraction.h"
#include "support/SceneBuilder.h"

#include <gtest/gtest.h>

#include <set>

namespace gessoria::test {
namespace {

constexpr int kWidth = 40, kHeight = 30;

// A square of two faces over the whole view, textured 0..1 in u (left to right) and v.
Scene PaintableSquare(RecordingInteraction& ui)
{
    return MakePaintableSquare(kWidth, kHeight, 64, 64, 10, 100, ui);
}

TEST(PickFace, FindsTheFaceAndScreenLinearCoordinates)
{
    RecordingInteraction ui;
    Scene s = PaintableSquare(ui);
    ViewFrame frame;
    ASSERT_TRUE(frame.Create(kWidth, kHeight));
    Renderer().RenderScene(s, frame, {2, false, false}, {});
    const PickResult hit = PickFace(s, 10, 5);
    EXPECT_EQ(hit.face, 0);
    EXPECT_EQ(hit.u, 10 * 65536 / kWidth);
    EXPECT_EQ(hit.v, 5 * 65536 / kHeight);
    EXPECT_EQ(PickFace(s, 35, 25).face, 1);
    EXPECT_EQ(PickFace(s, 80, 5).face, -1);

    s.objects[0].flags |= kObjectFrozen;
    EXPECT_EQ(PickFace(s, 10, 5).face, -1);
}

TEST(PickFace, EqualDepthGoesToTheLaterFaceAndSeamsWrap)
{
    RecordingInteraction ui;
    Scene s = MakeScreenScene({{0, 0, 5, 0, 20, 5, 20, 0, 5}, {0, 0, 5, 0, 20, 5, 20, 0, 5}}, kWidth, kHeight, ui);
    s.materialCount = 1;
    s.materials.resize(2);
    s.materials[1] = MakeLayeredMaterial(8, 8, 0, 0, 0, 0);
    s.faceMaterial = {1, 1};
    // Face 1 runs from u 0.95 at corner A to 0.05 at corner C, marked as wrapping.
    s.faceU0[1] = 62259;
    s.faceU1[1] = 62259;
    s.faceU2[1] = 3276;
    s.faceFlags[1] = 7 | 8;
    ViewFrame frame;
    ASSERT_TRUE(frame.Create(kWidth, kHeight));
    Renderer().RenderScene(s, frame, {2, false, false}, {});
    const PickResult hit = PickFace(s, 10, 2);
    EXPECT_EQ(hit.face, 1);
    // Half way from 0.95 to 1.05: about 1.0, whose fraction is the texture's right edge or left edge.
    EXPECT_NEAR(hit.u, 65536, 4000);
}

TEST(OrdinaryPaint, FullStrengthOnAnUntouchedTexelTakesTheTargetOutright)
{
    Material m = MakeLayeredMaterial(64, 64, 10, 10, 10, 100);
    RecordingInteraction ui;
    NewLayer(m, MapType::Colour, ui);  // a transparent paint layer, selected
    Painting painting;
    painting.values.foreground = 0xFF0080FF;  // red 255, green 128, blue 0, intensity 255
    const auto changed = LayPaintFootprint(m, painting.Context(), 1, 32768, 32768);
    ASSERT_TRUE(changed.has_value());
    const Layer& layer = m.stack(MapType::Colour)[2];
    const std::uint8_t* centre = layer.image.row(32) + 32 * 3;
    EXPECT_EQ(centre[0], 0);
    EXPECT_EQ(centre[1], 128);
    EXPECT_EQ(centre[2], 255);
    EXPECT_EQ(layer.alpha.row(32)[32], 254);  // 255 x 65280 >> 16
    EXPECT_EQ(changed->x0, 32 - 12);          // the cone reaches 12 texels out
    EXPECT_EQ(changed->x1, 32 + 12);
}

TEST(OrdinaryPaint, EdgeDabsClampOntoTheBorderAndUnselectedTypesStayUntouched)
{
    Material m = MakeLayeredMaterial(64, 64, 10, 10, 10, 100);
    m.setCurrent(MapType::Bump, 0);  // no bump layer selected
    Painting painting;
    painting.paint.bumpMap = 1;
    painting.brush.head.fill(0);
    for (int r = 0; r < kHeadSize; ++r)
        for (int c = 0; c < kHeadSize; ++c)
            painting.brush.head[static_cast<std::size_t>(r * kHeadSize + c)] = 1;  // a tiny weight everywhere
    painting.values.foreground = 0xFFFFFFFF;
    const auto changed = LayPaintFootprint(m, painting.Context(), 1, 0, 32768);
    ASSERT_TRUE(changed.has_value());
    EXPECT_EQ(changed->x0, 0);
    EXPECT_EQ(changed->x1, 15);
    // Column 0 took sixteen blends of the same row (mask columns 0..15), column 1 one.
    const Layer& base = m.stack(MapType::Colour)[1];
    int v = 10;
    for (int k = 0; k < 16; ++k)
        v = v + (((255 - v) * 256) >> 16);
    EXPECT_EQ(base.image.row(32)[0], v);
    EXPECT_EQ(base.image.row(32)[3], 10 + (((255 - 10) * 256) >> 16));
    EXPECT_EQ(m.stack(MapType::Bump)[1].image.row(32)[0], 100);
}

TEST(OrdinaryPaint, DabLimitWashAndDirt)
{
    Material m = MakeLayeredMaterial(64, 64, 10, 10, 10, 100);
    Painting painting;
    painting.brush.dabCount = 2;
    EXPECT_TRUE(LayPaintFootprint(m, painting.Context(), 2, 0, 0).has_value());
    EXPECT_FALSE(LayPaintFootprint(m, painting.Context(), 3, 0, 0).has_value());

    Material washed = MakeLayeredMaterial(64, 64, 10, 10, 10, 100);
    painting.brush.dabCount = 0;
    painting.paint.washHighlight = 1;
    painting.paint.aoeLevel = 50;  // bump 100 is above: nothing is painted
    const auto changed = LayPaintFootprint(washed, painting.Context(), 1, 32768, 32768);
    ASSERT_TRUE(changed.has_value());
    EXPECT_EQ(washed.stack(MapType::Colour)[1].image.row(32)[32 * 3], 10);

    Material dirty = MakeLayeredMaterial(64, 64, 10, 10, 10, 100);
    painting.paint.washHighlight = 0;
    painting.paint.dirtiness = 255;
    painting.values.foreground = 0xFF808080;
    LayPaintFootprint(dirty, painting.Context(), 1, 32768, 32768);
    std::set<int> seen;
    for (int x = 28; x < 36; ++x)
        seen.insert(dirty.stack(MapType::Colour)[1].image.row(32)[x * 3]);
    EXPECT_GT(seen.size(), 2u);  // the dirt varies from texel to texel
}

TEST(OrdinaryPaint, DirtDrawsTwoNumbersPerTexelAndMapType)
{
    // Three head cells, Colour and Bump written: per cell, in row order, first Colour then Bump
    // each draw a direction (odd lightens) and r = draw mod (D + 1).
    Material m = MakeLayeredMaterial(64, 64, 10, 10, 10, 100);
    Painting painting;
    painting.paint.bumpMap = 1;
    painting.paint.dirtiness = 200;
    painting.values.foreground = 0xFF8040C0;  // red 192, green 64, blue 128
    painting.values.bump = 90;
    painting.brush.head.fill(0);
    const int cells[3][2] = {{14, 15}, {15, 15}, {15, 17}};  // head row, column
    for (const auto& c : cells)
        painting.brush.head[static_cast<std::size_t>(c[0] * kHeadSize + c[1])] = 200;
    painting.random = PaintRandom(777);
    ASSERT_TRUE(LayPaintFootprint(m, painting.Context(), 1, 32768, 32768).has_value());

    PaintRandom generator(777);
    auto dirty = [](int t, bool lighten, int r) { return lighten ? t + (((256 - t) * r) >> 8) : t - ((t * r) >> 8); };
    const int weight = 200 * 256;
    // Row offsets run from -15: head row 15 (offset 0) before head row 14 (offset +1).
    const int order[3][2] = {{15, 15}, {15, 17}, {14, 15}};
    for (const auto& c : order) {
        const int y = 32 + (15 - c[0]), x = 32 + (c[1] - 15);
        const bool colourLightens = generator.Next() % 2 == 1;
        const int colourR = generator.Next() % 201;
        const bool bumpLightens = generator.Next() % 2 == 1;
        const int bumpR = generator.Next() % 201;
        const int target[3] = {128, 64, 192};
        for (int channel = 0; channel < 3; ++channel) {
            const int t = dirty(target[channel], colourLightens, colourR);
            EXPECT_EQ(m.stack(MapType::Colour)[1].image.row(y)[x * 3 + channel], 10 + (((t - 10) * weight) >> 16)) << x << "," << y;
        }
        const int t = dirty(90, bumpLightens, bumpR);
        EXPECT_EQ(m.stack(MapType::Bump)[1].image.row(y)[x], 100 + (((t - 100) * weight) >> 16)) << x << "," << y;
    }
}

TEST(PickFace, ASeamFacePaintsTheEdgeOfTheTextureItsSideIsNearest)
{
    // A face whose u runs from 0.95 on its left (corners A, B) to 0.05 on its right (C),
    // marked as wrapping: u climbs from 0.95 through 1.0 to 1.05 across it.
    RecordingInteraction ui;
    Scene s = MakeScreenScene({{0, 0, 5, 0, 20, 5, 20, 0, 5}}, kWidth, kHeight, ui);
    s.materialCount = 1;
    s.materials.resize(2);
    s.materials[1] = MakeLayeredMaterial(8, 8, 0, 0, 0, 0);
    s.faceMaterial = {1};
    s.faceU0 = {62259};
    s.faceU1 = {62259};
    s.faceU2 = {3276};
    s.faceFlags = {7 | 8};
    ViewFrame frame;
    ASSERT_TRUE(frame.Create(kWidth, kHeight));
    Renderer().RenderScene(s, frame, {2, false, false}, {});
    Painting painting;
    painting.brush.head.fill(0);
    painting.brush.head[15 * kHeadSize + 15] = 255;
    painting.values.foreground = 0xFFFFFFFF;
    auto paintedColumns = [&](int x, int y) {
        Material& m = s.materials[1];
        m = MakeLayeredMaterial(8, 8, 0, 0, 0, 0);
        const PickResult hit = PickFace(s, x, y);
        EXPECT_EQ(hit.face, 0);
        LayPaintFootprint(m, painting.Context(), 1, hit.u, hit.v);
        std::set<int> columns;
        for (int row = 0; row < 8; ++row)
            for (int column = 0; column < 8; ++column)
                if (m.stack(MapType::Colour)[1].image.row(row)[column * 3] != 0)
                    columns.insert(column);
        return columns;
    };
    EXPECT_EQ(paintedColumns(2, 2), std::set<int>{7});   // u near 0.96: the right edge
    EXPECT_EQ(paintedColumns(17, 1), std::set<int>{0});  // u near 1.04: the left edge
}

// Whether the frame is the picture a whole render gives.
::testing::AssertionResult SameAsAWholeRender(Scene& s, const ViewFrame& frame, const RenderOptions& options,
                                              const LightingSettings& lighting)
{
    ViewFrame whole;
    whole.Create(frame.width(), frame.height());
    Renderer().RenderScene(s, whole, options, lighting);
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width() * 3; ++x)
            if (frame.image().row(y)[x] != whole.image().row(y)[x])
                return ::testing::AssertionFailure() << "pixel " << x / 3 << "," << y << " differs";
    return ::testing::AssertionSuccess();
}

int Area(const ScreenRect& r)
{
    return r.empty() ? 0 : (r.right - r.left + 1) * (r.bottom - r.top + 1);
}

// The paintable square rendered into a frame of the view's size.
struct RenderedSquare {
    RecordingInteraction ui;
    Scene s;
    ViewFrame frame;

    RenderedSquare(const RenderOptions& options, const LightingSettings& lighting) : s(PaintableSquare(ui))
    {
        frame.Create(kWidth, kHeight);
        Renderer().RenderScene(s, frame, options, lighting);
    }
};

TEST(Dab, RedrawsOnlyVisiblePixelsOfThePaintedMaterial)
{
    const LightingSettings full{65536, 0};
    const RenderOptions level3{3, false, false};
    RenderedSquare square(level3, full);
    auto& [ui, s, frame] = square;
    const std::uint8_t before = frame.image().row(15)[20 * 3 + 2];
    Painting painting;
    painting.values.foreground = 0xFF0000FF;  // red
    const PickResult hit = PickFace(s, 20, 15);
    ASSERT_GE(hit.face, 0);
    const ScreenRect repaint = Painter(s, frame, level3, full, painting.Context()).Dab(1, hit.u, hit.v, 1);
    EXPECT_FALSE(repaint.empty());
    EXPECT_NE(frame.image().row(15)[20 * 3 + 2], before);
    EXPECT_GT(frame.image().row(15)[20 * 3 + 2], 200);
    EXPECT_EQ(frame.image().row(0)[0], before);  // far from the dab: unchanged
    EXPECT_TRUE(SameAsAWholeRender(s, frame, level3, full));
}

TEST(Dab, RedrawsOnlyWhereItChangedWhatTheViewDraws)
{
    const LightingSettings lighting{40000, 30000};
    const RenderOptions bumped{4, false, false};
    RenderedSquare square(bumped, lighting);
    auto& [ui, s, frame] = square;
    Painting painting;
    painting.brush.xSize = painting.brush.ySize = 9;
    painting.brush.feathering = 0;
    painting.brush.head = DefinedHead(9, 9, 0, 0, static_cast<int>(HeadShape::Circle));
    painting.values.foreground = 0xFF2080E0u;
    const Painter painter(s, frame, bumped, lighting, painting.Context());
    const auto dabAt = [&](int x, int y) {
        const PickResult hit = PickFace(s, x, y);
        return painter.Dab(2, hit.u, hit.v, s.faceMaterial[static_cast<std::size_t>(hit.face)]);
    };

    const ScreenRect first = dabAt(20, 15);
    EXPECT_GT(Area(first), 0);
    EXPECT_TRUE(SameAsAWholeRender(s, frame, bumped, lighting));
    // The same dab again lays the colour its texels already have: nothing to redraw.
    EXPECT_EQ(Area(dabAt(20, 15)), 0);
    EXPECT_TRUE(SameAsAWholeRender(s, frame, bumped, lighting));
    // A step to the right changes only the dab's leading edge.
    const ScreenRect next = dabAt(23, 15);
    EXPECT_GT(Area(next), 0);
    EXPECT_LT(Area(next), Area(first));
    EXPECT_TRUE(SameAsAWholeRender(s, frame, bumped, lighting));
    // Bump alone is drawn too: a paint that writes only the bump redraws where it changed it.
    painting.paint.colourMap = 0;
    painting.paint.bumpMap = 1;
    painting.values.bump = 255;
    const Painter bumpPainter(s, frame, bumped, lighting, painting.Context());
    const PickResult hit = PickFace(s, 12, 10);
    EXPECT_GT(Area(bumpPainter.Dab(3, hit.u, hit.v, s.faceMaterial[static_cast<std::size_t>(hit.face)])), 0);
    EXPECT_TRUE(SameAsAWholeRender(s, frame, bumped, lighting));
}

} // namespace
} // namespace gessoria::test
