// The Fill tool's weights, connected runs and blocks, and the Line tool's shapes, laid
// through the stroke controller as a window drives them.

#include "paint/FillTool.h"
#include "paint/LineTool.h"
#include "PaintBoard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace gessoria::test {
namespace {

// A material with only a Bump stack (layer 0 and a base layer of `grey`), enough for masks.
Material BumpOnly(int width, int height, std::uint8_t grey)
{
    Material m;
    m.mapWidth = width;
    m.mapHeight = height;
    m.hasLayers = 1;
    LayerStack& stack = m.stack(MapType::Bump);
    stack.layers.resize(2);
    for (Layer& layer : stack.layers)
        layer.image.Create8(width, height);
    stack[1].image.Fill(grey);
    stack[1].alpha.Create8(width, height);
    stack[1].alpha.Fill(255);
    m.setCurrent(MapType::Bump, 1);
    return m;
}

ToolOptions Options(FillStyle style, int tolerance, MapType reference = MapType::Colour)
{
    ToolOptions options;
    options.fillStyle = static_cast<std::uint8_t>(style);
    options.fillTolerance = tolerance;
    options.referenceMap = reference;
    return options;
}

std::uint8_t MaskAt(const std::vector<std::uint8_t>& mask, int width, int x, int y)
{
    return mask[static_cast<std::size_t>(y * width + x)];
}

TEST(FillMask, FloodWeighsByDistanceAndStopsAtTheEdge)
{
    Material m = MakeLayeredMaterial(32, 32, 100, 100, 100, 0);
    Layer& base = m.stack(MapType::Colour)[1];
    for (int y = 0; y < 32; ++y)
        for (int x = 16; x < 32; ++x)
            base.image.row(y)[x * 3] = 250;  // the right half is another colour
    base.image.row(5)[5 * 3 + 1] = 116;        // distance 16 from the seed colour
    base.image.row(6)[5 * 3 + 2] = 133;        // distance 33: beyond the tolerance
    const auto mask = FillMask(m, Options(FillStyle::Flood, 32), 2, 2);
    ASSERT_EQ(mask.size(), 32u * 32u);
    EXPECT_EQ(MaskAt(mask, 32, 2, 2), 255);
    EXPECT_EQ(MaskAt(mask, 32, 5, 5), 128);  // 255 - 16 x 255 / 32
    EXPECT_EQ(MaskAt(mask, 32, 5, 6), 0);
    EXPECT_EQ(MaskAt(mask, 32, 15, 31), 255);
    EXPECT_EQ(MaskAt(mask, 32, 16, 0), 0);

    // Border spreads up to texels of the fill colour; a seed of that colour fills nothing.
    ToolOptions border = Options(FillStyle::Border, 32);
    border.fillColour = 0xFF646464;  // grey 100, the seed's colour
    const auto none = FillMask(m, border, 2, 2);
    EXPECT_EQ(std::count(none.begin(), none.end(), 0), 32 * 32);
    border.fillColour = 0xFF000000;  // black: distance 173 everywhere on the left, beyond 32
    const auto left = FillMask(m, border, 2, 2);
    EXPECT_EQ(MaskAt(left, 32, 2, 2), 255);
    EXPECT_EQ(MaskAt(left, 32, 20, 2), 255);  // the right half is no border either

    // Style bytes above 2 fill everything, as All does.
    ToolOptions odd = Options(FillStyle::Flood, 32);
    odd.fillStyle = 7;
    const auto all = FillMask(m, odd, 2, 2);
    EXPECT_EQ(std::count(all.begin(), all.end(), 255), 32 * 32);
}

TEST(FillMask, LayersAboveTheBaseFloodTheirAlpha)
{
    Material m = MakeLayeredMaterial(32, 32, 100, 100, 100, 0);
    RecordingInteraction ui;
    NewLayer(m, MapType::Colour, ui);  // alpha 0 everywhere
    Layer& layer = m.stack(MapType::Colour)[2];
    for (int y = 0; y < 32; ++y)
        layer.alpha.row(y)[10] = 200;  // a wall of paint
    layer.alpha.row(3)[4] = 16;
    const auto mask = FillMask(m, Options(FillStyle::Flood, 32), 2, 2);
    EXPECT_EQ(MaskAt(mask, 32, 0, 0), 255);
    EXPECT_EQ(MaskAt(mask, 32, 4, 3), 255 - 16 * 255 / 32);
    EXPECT_EQ(MaskAt(mask, 32, 10, 5), 0);
    EXPECT_EQ(MaskAt(mask, 32, 11, 5), 0);  // behind the wall

    // Seeded on paint: weights count only where the layer is opaque.
    layer.alpha.Fill(255);
    layer.alpha.row(0)[1] = 254;
    const auto opaque = FillMask(m, Options(FillStyle::Flood, 32), 2, 2);
    EXPECT_EQ(MaskAt(opaque, 32, 0, 1), 255);
    EXPECT_EQ(MaskAt(opaque, 32, 1, 0), 0);

    // Sample merged reads the composite instead.
    ToolOptions merged = Options(FillStyle::Flood, 32);
    merged.sampleMerged = true;
    CompositeAll(m);
    const auto composite = FillMask(m, merged, 2, 2);
    EXPECT_EQ(MaskAt(composite, 32, 1, 0), 255);
}

// Weights between half the tolerance and the tolerance, on a Bump row whose texels lie at
// chosen distances from the reference (tolerance 32, half 16).
TEST(FillMask, RampsBetweenHalfTheToleranceAndTheTolerance)
{
    Material m = BumpOnly(8, 1, 100);
    std::uint8_t* row = m.stack(MapType::Bump)[1].image.row(0);
    const std::uint8_t values[8] = {100, 124, 117, 131, 132, 140, 116, 140};
    std::copy(std::begin(values), std::end(values), row);

    // Flood from the seed (100): 255 - dist x 255 / 32, 0 from dist 32 on.
    const auto flood = FillMask(m, Options(FillStyle::Flood, 32, MapType::Bump), 0, 0);
    const std::vector<std::uint8_t> floodWeights = {255, 255 - 24 * 255 / 32, 255 - 17 * 255 / 32, 255 - 31 * 255 / 32,
                                                    0, 0, 0, 0};
    EXPECT_EQ(flood, floodWeights);
    EXPECT_EQ(flood[1], 64);

    // Border against grey 100, seeded at dist 40: 0 up to 16, (dist - 16) x 255 / 16 up to 32,
    // 255 beyond; the run stops at the texel of dist 16.
    ToolOptions border = Options(FillStyle::Border, 32, MapType::Bump);
    border.fillColour = 0xFF646464;
    row[0] = 140;
    const auto ramp = FillMask(m, border, 0, 0);
    const std::vector<std::uint8_t> borderWeights = {255, (24 - 16) * 255 / 16, (17 - 16) * 255 / 16, (31 - 16) * 255 / 16,
                                                     255, 255, 0, 0};
    EXPECT_EQ(ramp, borderWeights);
    EXPECT_EQ(ramp[1], 127);
}

// The flood as first described: the seed's run, then recursively, column by column, the runs
// below and above it. Small maps only.
void RecursiveRun(std::vector<std::uint8_t>& mask, const std::vector<std::uint8_t>& weights, int width, int height, int x,
                  int y)
{
    const auto at = [&](int cx, int cy) { return static_cast<std::size_t>(cy * width + cx); };
    const auto open = [&](int cx, int cy) { return weights[at(cx, cy)] != 0 && mask[at(cx, cy)] == 0; };
    mask[at(x, y)] = weights[at(x, y)];
    int left = x, right = x;
    while (left > 0 && open(left - 1, y)) {
        --left;
        mask[at(left, y)] = weights[at(left, y)];
    }
    while (right < width - 1 && open(right + 1, y)) {
        ++right;
        mask[at(right, y)] = weights[at(right, y)];
    }
    for (const int row : {y + 1, y - 1})
        for (int c = left; c <= right; ++c)
            if (row >= 0 && row < height && open(c, row))
                RecursiveRun(mask, weights, width, height, c, row);
}

TEST(FillMask, TheRunStackFillsWhatTheRecursiveFloodFills)
{
    Material m = BumpOnly(64, 64, 0);
    Layer& base = m.stack(MapType::Bump)[1];
    PaintRandom random(7);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            base.image.row(y)[x] = static_cast<std::uint8_t>(random.Next() % 4 == 0 ? 200 : random.Next() % 16);
    for (const int tolerance : {10, 30, 60}) {
        const ToolOptions options = Options(FillStyle::Flood, tolerance, MapType::Bump);
        std::vector<std::uint8_t> weights(64 * 64);
        const int seed = base.image.row(10)[10];
        for (int i = 0; i < 64 * 64; ++i) {
            const int d = std::abs(base.image.row(i / 64)[i % 64] - seed);
            weights[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(d == 0 ? 255 : d > tolerance ? 0 : 255 - d * 255 / tolerance);
        }
        std::vector<std::uint8_t> expected(64 * 64, 0);
        if (weights[10 * 64 + 10] != 0)
            RecursiveRun(expected, weights, 64, 64, 10, 10);
        const auto filled = std::count_if(expected.begin(), expected.end(), [](std::uint8_t w) { return w != 0; });
        EXPECT_GT(filled, 1000);      // a region of its own,
        EXPECT_LT(filled, 64 * 50);   // not the whole map
        EXPECT_EQ(FillMask(m, options, 10, 10), expected) << tolerance;
    }
}

TEST(FillMask, AHugeWindingRegionFillsWithoutRecursion)
{
    // A serpentine of 4096 rows: each wall row is open at one end only, alternately, so the
    // region is one long path through every open row.
    constexpr int kSize = 4096;
    Material m = BumpOnly(kSize, kSize, 0);
    Layer& base = m.stack(MapType::Bump)[1];
    for (int y = 1; y < kSize; y += 2) {
        std::fill_n(base.image.row(y), kSize, std::uint8_t{255});
        base.image.row(y)[(y / 2) % 2 == 0 ? kSize - 1 : 0] = 0;
    }
    const auto mask = FillMask(m, Options(FillStyle::Flood, 1, MapType::Bump), 0, 0);
    const auto filled = std::count(mask.begin(), mask.end(), std::uint8_t{255});
    EXPECT_EQ(filled, static_cast<long>(kSize / 2) * kSize + kSize / 2);
    EXPECT_EQ(MaskAt(mask, kSize, 5, kSize - 2), 255);
}

TEST(FillTool, BlocksLandExactlyOnTheMaskedTexels)
{
    for (const int mapSize : {64, 100}) {  // 64 divides 65536 x 31, 100 does not
        PaintBoard board(mapSize);
        board.scene.paintTool = PaintTool::Fill;
        board.values.foreground = 0xFF0000FF;
        Material& m = board.material();
        Layer& base = m.stack(MapType::Colour)[1];
        for (int y = 10; y < 40; ++y)
            for (int x = 20; x < 50; ++x)
                base.image.row(y)[x * 3] = 90;  // a 30 x 30 square to flood
        CompositeAll(m);
        board.Click(35 * PaintBoard::kSize / mapSize, 20 * PaintBoard::kSize / mapSize);
        for (int y = 0; y < mapSize; ++y)
            for (int x = 0; x < mapSize; ++x) {
                const bool inside = x >= 20 && x < 50 && y >= 10 && y < 40;
                EXPECT_EQ(base.image.row(y)[x * 3 + 2], inside ? 254 : 50) << mapSize << ": " << x << ", " << y;
            }
    }
}

TEST(FillTool, AllReachesTheLastColumnOfEveryMapWidth)
{
    for (const int mapSize : {16, 47, 64}) {  // 16 and 47 are 16 more than a multiple of 31
        PaintBoard board(mapSize);
        board.scene.paintTool = PaintTool::Fill;
        board.painting.options.fillStyle = static_cast<std::uint8_t>(FillStyle::All);
        board.values.foreground = 0xFF00FF00;
        board.Click(10, 10);
        int unpainted = 0;
        for (int y = 0; y < mapSize; ++y)
            for (int x = 0; x < mapSize; ++x)
                unpainted += board.Texel(x, y)[1] != 254;
        EXPECT_EQ(unpainted, 0) << mapSize;
    }
}

TEST(FillTool, AllCoversTexelsNoFaceUsesAndUndoesAsOneStroke)
{
    PaintBoard board;
    // The faces use only the left half of the map.
    for (auto* u : {&board.scene.faceU0, &board.scene.faceU1, &board.scene.faceU2})
        for (auto& value : *u)
            value /= 2;
    board.scene.undo.enabled = true;
    board.scene.undoBuffer.Allocate(8u << 20);
    Renderer().RenderScene(board.scene, board.frame, board.render, board.lighting);
    board.scene.paintTool = PaintTool::Fill;
    board.painting.options.fillStyle = static_cast<std::uint8_t>(FillStyle::All);
    board.values.foreground = 0xFF00FF00;
    board.Click(10, 10);
    EXPECT_EQ(board.Texel(60, 60)[1], 254);
    EXPECT_EQ(board.Texel(0, 0)[1], 254);
    EXPECT_TRUE(board.scene.undoBuffer.Undo(board.scene, false));
    EXPECT_EQ(board.Texel(60, 60)[1], 50);
    EXPECT_EQ(board.Texel(0, 0)[1], 50);

    // A refusing paint is told once, not once per block.
    board.paint.specialNumber = 9;  // Inverse on the base layer
    board.Click(10, 10);
    EXPECT_EQ(board.ui.Dialogs().size(), 1u);
}

TEST(LineTool, ShapesFromAnchorAndRelease)
{
    EXPECT_EQ(ScreenLinePoints({0, 0}, {-3, 7}),
              (std::vector<ScreenPoint>{{0, 0}, {0, 1}, {0, 2}, {-1, 3}, {-1, 4}, {-2, 5}, {-2, 6}, {-3, 7}}));
    EXPECT_TRUE(ScreenLinePoints({4, 4}, {4, 4}).empty());
    const auto circle = ShapeCorners(LineType::Circle, 4, {50, 50}, {50, 80});
    ASSERT_EQ(circle.size(), 51u);  // the release point, 49 corners, the release point again
    EXPECT_EQ(circle.front(), (ScreenPoint{50, 80}));
    for (const ScreenPoint& p : circle)
        EXPECT_NEAR(std::hypot(p.x - 50, p.y - 50), 30, 1.5);
    const auto square = ShapeCorners(LineType::NGon, 4, {50, 50}, {50, 80});
    ASSERT_EQ(square.size(), 5u);
    EXPECT_EQ(square[1].x, 20);  // a quarter turn from the first corner
    EXPECT_NEAR(square[1].y, 50, 1);
    EXPECT_NEAR(square[2].x, 50, 1);
    EXPECT_EQ(square[2].y, 20);
}

TEST(LineTool, LaysDabsAlongTheShapeAtButtonUp)
{
    PaintBoard board;
    SelectPaintTool(board.scene, PaintTool::Line, board.paint, board.ui);
    board.SingleTexelHead();
    board.values.foreground = 0xFF0000FF;
    StrokeController stroke = board.Controller();
    stroke.ButtonDown({20, 30});
    stroke.Move({50, 30});
    EXPECT_EQ(board.Texel(25, 30)[2], 50);  // nothing before the button comes up
    const ScreenRect repaint = stroke.ButtonUp({60, 30});
    EXPECT_EQ(stroke.dabCounter(), 41);
    for (int x = 20; x <= 60; ++x)
        EXPECT_EQ(board.Texel(x, 30)[2], 254) << x;
    EXPECT_EQ(board.Texel(61, 30)[2], 50);
    EXPECT_EQ(repaint.right, PaintBoard::kSize - 1);
    EXPECT_GT(board.frame.image().row(30)[40 * 3 + 2], 200);  // the composite and the frame are current
    EXPECT_LT(board.frame.image().row(30)[40 * 3 + 1], 100);

    // A circle of radius 0 lays nothing.
    board.painting.options.lineType = LineType::Circle;
    StrokeController dot = board.Controller();
    dot.ButtonDown({50, 50});
    dot.ButtonUp({50, 50});
    EXPECT_EQ(dot.dabCounter(), 0);
    EXPECT_EQ(board.Texel(50, 50)[2], 50);

    // With spacing, a dab falls only where the grid cell changes: every 10 texels.
    board.painting.options.lineType = LineType::Line;
    board.brush.dabSpacing = static_cast<int>(DabSpacing::Manual);
    board.brush.xSpacing = board.brush.ySpacing = 10;
    StrokeController spaced = board.Controller();
    spaced.ButtonDown({10, 45});
    spaced.ButtonUp({50, 45});
    EXPECT_EQ(spaced.dabCounter(), 4);
    EXPECT_EQ(board.Texel(20, 45)[2], 254);
    EXPECT_EQ(board.Texel(21, 45)[2], 50);
    EXPECT_EQ(board.Texel(10, 45)[2], 50);  // cell 0 is where the grid starts

    // The long-lines warning comes with a bitmap paint only.
    EXPECT_TRUE(board.ui.Texts(Shown::Kind::Warning).empty());
    board.paint.specialNumber = kBitmapPaintNumber;
    SelectPaintTool(board.scene, PaintTool::Line, board.paint, board.ui);
    EXPECT_EQ(board.ui.Texts(Shown::Kind::Warning), std::vector<std::string>{kWarningLineWithBitmapPaint});
}

} // namespace
} // namespace gessoria::test
