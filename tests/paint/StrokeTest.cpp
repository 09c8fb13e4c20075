// Strokes from pointer events: tools, dab counting, the spacing grid, pressure, the stylus
// eraser, sampling and the hints and warnings.

#include "paint/PaintableLayers.h"
#include "paint/StrokeController.h"
#include "scene/LayerOperations.h"
#include "scene/Material.h"
#include "support/RecordingInteraction.h"
#include "support/SceneBuilder.h"

#include <gtest/gtest.h>

#include <set>

namespace gessoria::test {
namespace {

constexpr int kWidth = 100, kHeight = 100;

// A square over the whole view whose 100 x 100 map lines up texel for pixel.
struct Board {
    RecordingInteraction ui;
    Scene scene;
    ViewFrame frame;
    RenderOptions render{2, false, false};
    LightingSettings lighting{65536, 0};
    Brush brush = DefaultBrush();
    Paint paint = DefaultPaint();
    PaintValues values;
    PaintRandom random;

    // A view wider than the square leaves `margin` pixels beside it on either side; texel x
    // then lies under pixel x + margin.
    explicit Board(int margin = 0)
    {
        scene = MakePaintableSquare(kWidth, kHeight, kWidth, kHeight, 50, 128, ui);
        scene.paintTool = PaintTool::Brush;
        EXPECT_TRUE(frame.Create(kWidth + 2 * margin, kHeight));
        Renderer().RenderScene(scene, frame, render, lighting);
    }

    StrokeController Controller() { return StrokeController({scene, frame, render, lighting, brush, paint, values, random}, ui); }
    Layer& ColourBase() { return scene.materials[1].stack(MapType::Colour)[1]; }
    int Red(int x, int y) { return ColourBase().image.row(y)[x * 3 + 2]; }
    // Texels whose red differs from the starting 50.
    std::set<std::pair<int, int>> Painted()
    {
        std::set<std::pair<int, int>> painted;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                if (Red(x, y) != 50)
                    painted.insert({x, y});
        return painted;
    }
};

TEST(Stroke, EveryMoveOnTheObjectLaysOneNumberedDab)
{
    Board board;
    board.brush.dabCount = 2;
    board.values.foreground = 0xFF0000FF;  // red
    StrokeController stroke = board.Controller();
    EXPECT_FALSE(stroke.ButtonDown({20, 20}).empty());
    EXPECT_EQ(stroke.dabCounter(), 1);
    EXPECT_GT(board.Red(20, 20), 220);
    stroke.Move({50, 20});
    stroke.Move({80, 20});  // third dab: beyond the brush's limit of two
    EXPECT_EQ(stroke.dabCounter(), 3);
    EXPECT_GT(board.Red(50, 20), 220);
    EXPECT_EQ(board.Red(80, 20), 50);
    stroke.Move({150, 20});  // off the object: nothing, and no count
    EXPECT_EQ(stroke.dabCounter(), 3);
    stroke.ButtonUp({80, 20});
}

TEST(Stroke, ManualSpacingSnapsToAGridAnchoredAtTheFirstDab)
{
    Board board;
    board.brush.dabSpacing = static_cast<int>(DabSpacing::Manual);
    board.brush.xSpacing = board.brush.ySpacing = 10;
    board.brush.head.fill(0);
    board.brush.head[15 * 31 + 15] = 255;  // a single-texel head shows exactly where dabs land
    board.values.foreground = 0xFF0000FF;
    StrokeController stroke = board.Controller();
    stroke.ButtonDown({40, 40});
    const auto first = board.Painted();
    ASSERT_EQ(first.size(), 1u);
    const auto [x0, y0] = *first.begin();  // the grid's origin
    std::set<std::pair<int, int>> expected = first;
    stroke.Move({x0 + 4, y0});  // cell 0: no dab
    EXPECT_EQ(stroke.dabCounter(), 1);
    stroke.Move({x0 + 6, y0 + 1});  // cell 1: a dab exactly on its grid point
    EXPECT_EQ(stroke.dabCounter(), 2);
    expected.insert({x0 + 10, y0});
    EXPECT_EQ(board.Painted(), expected);
    stroke.Move({x0 - 3, y0});  // back to cell 0: a new cell, a dab on the origin again
    EXPECT_EQ(stroke.dabCounter(), 3);
    stroke.Move({x0 - 6, y0});  // beyond half a step left: cell -1
    expected.insert({x0 - 10, y0});
    EXPECT_EQ(board.Painted(), expected);
}

TEST(Stroke, CtrlSamplesAndTheCounterStillAdvances)
{
    Board board;
    for (int y = 28; y <= 32; ++y)
        for (int x = 28; x <= 32; ++x)
            board.ColourBase().image.row(y)[x * 3 + 1] = 200;  // green texels
    CompositeAll(board.scene.materials[1]);
    board.values.foreground = 0x7F000000;
    StrokeController stroke = board.Controller();
    stroke.ButtonDown({10, 10, true});
    stroke.Move({30, 30, true});
    EXPECT_EQ(stroke.dabCounter(), 2);
    EXPECT_EQ(board.values.foreground, 0x7F32C832u);  // strength kept, red 50, green 200, blue 50
    EXPECT_EQ(board.Red(30, 30), 50);                 // nothing painted

    board.scene.paintTool = PaintTool::Sampler;
    StrokeController sampler = board.Controller();
    sampler.ButtonDown({5, 5, true});
    EXPECT_EQ(board.values.background & 0xFFFFFF, 0x323232u);
}

TEST(Stroke, PressureScalesTheStrengthForTheDabOnly)
{
    EXPECT_EQ(PressureScaled(0xFF123456u, 128) >> 24, 254u);
    EXPECT_EQ(PressureScaled(0xFF123456u, 64) >> 24, 126u);
    EXPECT_EQ(PressureScaled(0xFF123456u, 0), 0x00123456u);
    Board board;
    board.values.foreground = 0xFF0000FF;
    StrokeController stroke({board.scene, board.frame, board.render, board.lighting, board.brush, board.paint, board.values,
                             board.random, {true, true, true, true, true}, true},
                            board.ui);
    stroke.ButtonDown({20, 20, false, 64});
    EXPECT_EQ(board.values.foreground, 0xFF0000FFu);
    EXPECT_GT(board.Red(20, 20), 50);
    EXPECT_LT(board.Red(20, 20), 255);
}

TEST(Stroke, TheStylusEraserErasesForOneEvent)
{
    Board board;
    board.values.foreground = 0xFF0000FF;
    board.values.background = 0xFF000000;  // black
    StrokeController stroke = board.Controller();
    stroke.ButtonDown({20, 20});
    EXPECT_GT(board.Red(20, 20), 220);
    stroke.Move({20, 20, false, std::nullopt, true});  // turned over: erased toward the background
    EXPECT_LT(board.Red(20, 20), 30);
    EXPECT_EQ(board.scene.paintTool, PaintTool::Brush);
    stroke.Move({60, 60, false, std::nullopt, false});
    EXPECT_GT(board.Red(60, 60), 220);
}

TEST(Eraser, PaintLayersLoseAlphaTheBaseLayerKeepsIt)
{
    Board board;
    Material& m = board.scene.materials[1];
    NewLayer(m, MapType::Colour, board.ui);
    m.stack(MapType::Colour)[2].alpha.Fill(200);
    m.stack(MapType::Colour)[2].image.Fill(100);
    PaintingContext context{board.brush, board.paint, board.values, board.random, PaintTool::Eraser};
    board.values.background = 0xFFFFFFFF;
    EraseFootprint(m, context, {true, true, true, true, true}, 1, 32768, 32768);
    const Layer& paint = m.stack(MapType::Colour)[2];
    EXPECT_EQ(paint.alpha.row(50)[50], 200 - ((65280 * 200) >> 16));
    EXPECT_EQ(paint.image.row(50)[50 * 3], 100 + ((65280 * (255 - 100)) >> 16));
    EXPECT_EQ(paint.alpha.row(50)[90], 200);  // outside the cone

    m.setCurrent(MapType::Colour, 1);
    m.setCurrent(MapType::Bump, 1);
    m.stack(MapType::Bump)[1].image.Fill(0);
    EraseFootprint(m, context, {false, true, false, false, false}, 1, 32768, 32768);
    EXPECT_EQ(m.stack(MapType::Colour)[1].alpha.row(50)[50], 255);
    EXPECT_EQ(m.stack(MapType::Colour)[1].image.row(50)[50 * 3], 50);  // its switch is off
    EXPECT_EQ(m.stack(MapType::Bump)[1].image.row(50)[50], (128 * 65280) >> 16);
}

TEST(Stroke, HintsAndThePaintableLayerWarning)
{
    Board board;
    board.paint.bumpMap = 1;
    board.scene.materials[1].setCurrent(MapType::Bump, 0);
    StrokeController stroke = board.Controller();
    stroke.ButtonDown({20, 20});
    EXPECT_EQ(board.ui.Texts(Shown::Kind::Warning), std::vector<std::string>{std::string(kNoPaintableLayer) + "Bump "});

    board.scene.paintTool = PaintTool::None;
    board.Controller().ButtonDown({20, 20});
    board.render.level = 1;
    board.scene.paintTool = PaintTool::Brush;
    board.Controller().ButtonDown({20, 20});
    Scene empty;
    ResetScene(empty);
    empty.paintTool = PaintTool::Brush;
    StrokeController none({empty, board.frame, board.render, board.lighting, board.brush, board.paint, board.values, board.random},
                          board.ui);
    none.ButtonDown({1, 1});
    EXPECT_EQ(board.ui.Texts(Shown::Kind::Hint),
              (std::vector<std::string>{StrokeController::kHintNoTool, StrokeController::kHintLowRenderLevel,
                                        StrokeController::kHintNoScene}));
}

TEST(Stroke, AStrokeBesideTheObjectStartsAtItsFirstHit)
{
    // The grid of a spaced brush is anchored where the stroke first meets the object.
    Board board(10);
    board.brush.dabSpacing = static_cast<int>(DabSpacing::Manual);
    board.brush.xSpacing = board.brush.ySpacing = 10;
    board.brush.head.fill(0);
    board.brush.head[15 * 31 + 15] = 255;
    board.values.foreground = 0xFF0000FF;
    StrokeController stroke = board.Controller();
    EXPECT_TRUE(stroke.ButtonDown({3, 40}).empty());  // beside the square
    EXPECT_EQ(stroke.dabCounter(), 0);
    stroke.Move({30, 40});  // about texel 20: the first dab, number 1, the grid's origin
    EXPECT_EQ(stroke.dabCounter(), 1);
    const auto first = board.Painted();
    ASSERT_EQ(first.size(), 1u);
    const auto [x0, y0] = *first.begin();
    stroke.Move({x0 + 13, 40});  // three texels on: the same cell, nothing
    EXPECT_EQ(board.Painted(), first);
    stroke.Move({x0 + 17, 40});  // seven texels on: cell 1, laid on its grid point
    EXPECT_EQ(stroke.dabCounter(), 2);
    EXPECT_EQ(board.Painted(), (std::set<std::pair<int, int>>{{x0, y0}, {x0 + 10, y0}}));
}

TEST(Stroke, TheFirstDabLaidIsNumberOneForTheDabLimitAndForUndo)
{
    Board board(10);
    board.scene.undo = {true, 1};
    ASSERT_TRUE(board.scene.undoBuffer.Allocate(1 << 20));
    board.values.foreground = 0xFF0000FF;
    StrokeController first = board.Controller();
    first.ButtonDown({30, 30});  // on the square
    first.Move({40, 30});
    first.ButtonUp({40, 30});
    const auto afterFirst = board.Painted();

    board.brush.dabCount = 1;  // a brush that lays one dab a stroke
    StrokeController second = board.Controller();
    second.ButtonDown({2, 80});  // beside the square
    second.Move({60, 80});       // the stroke's one dab
    second.Move({80, 80});       // beyond the limit
    second.ButtonUp({80, 80});
    EXPECT_GT(board.Red(50, 80), 220);
    EXPECT_EQ(board.Red(70, 80), 50);

    // Undo takes back the second stroke alone.
    ASSERT_TRUE(board.scene.undoBuffer.Undo(board.scene, false));
    EXPECT_EQ(board.Painted(), afterFirst);
}

TEST(Stroke, OnlyTheBrushAndTheStylusEraserFollowPressure)
{
    Board pressed, plain;
    for (Board* board : {&pressed, &plain}) {
        board->scene.paintTool = PaintTool::Eraser;
        board->values.foreground = 0xFF000000;
        board->values.background = 0xFF0000FF;  // erasing turns the texels red
    }
    StrokeController withPen({pressed.scene, pressed.frame, pressed.render, pressed.lighting, pressed.brush, pressed.paint,
                              pressed.values, pressed.random, {true, true, true, true, true}, true},
                             pressed.ui);
    withPen.ButtonDown({20, 20, false, 0});
    plain.Controller().ButtonDown({20, 20});
    EXPECT_EQ(pressed.Painted(), plain.Painted());
    EXPECT_GT(pressed.Red(20, 20), 220);

    // The stylus's eraser end does follow it: no pressure, (next to) no erasing.
    Board stylus;
    stylus.values.foreground = 0xFF000000;
    stylus.values.background = 0xFF0000FF;
    StrokeController turned({stylus.scene, stylus.frame, stylus.render, stylus.lighting, stylus.brush, stylus.paint,
                             stylus.values, stylus.random, {true, true, true, true, true}, true},
                            stylus.ui);
    turned.ButtonDown({20, 20, false, 0, true});
    EXPECT_LT(stylus.Red(20, 20), 60);
}

TEST(Stroke, TheStylusEraserWithCtrlSamplesTheBackground)
{
    Board board;
    for (int y = 28; y <= 32; ++y)
        for (int x = 28; x <= 32; ++x)
            board.ColourBase().image.row(y)[x * 3 + 1] = 200;
    CompositeAll(board.scene.materials[1]);
    board.values.background = 0x11000000;
    StrokeController stroke = board.Controller();
    stroke.ButtonDown({30, 30, true, std::nullopt, true});
    EXPECT_EQ(board.values.background, 0x1132C832u);
    EXPECT_TRUE(board.Painted().empty());  // nothing erased
    EXPECT_EQ(board.scene.paintTool, PaintTool::Brush);
}

TEST(Stroke, TheLowLevelHintComesBeforeTheNoToolHint)
{
    Board board;
    board.scene.paintTool = PaintTool::None;
    board.render.level = 1;
    board.Controller().ButtonDown({20, 20});
    EXPECT_EQ(board.ui.Texts(Shown::Kind::Hint),
              (std::vector<std::string>{StrokeController::kHintLowRenderLevel, StrokeController::kHintNoTool}));
    // A level outside 0..4 draws flat shaded, so it earns the hint too.
    for (const int level : {7, -3}) {
        Board odd;
        odd.render.level = level;
        odd.Controller().ButtonDown({20, 20});
        EXPECT_EQ(odd.ui.Texts(Shown::Kind::Hint), std::vector<std::string>{StrokeController::kHintLowRenderLevel}) << level;
    }
}

} // namespace
} // namespace gessoria::test
