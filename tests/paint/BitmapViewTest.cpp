// Bitmap views: the display's composition, zoom, painting in the view, the image commands,
// export and print placement; the Text tool's floater.

#include "io/ImageLibrary.h"
#include "paint/BitmapImageCommands.h"
#include "paint/BitmapStroke.h"
#include "paint/FloaterEditor.h"
#include "paint/PaintableLayers.h"
#include "paint/TextTool.h"
#include "paint/TextureSourceView.h"
#include "scene/LayerOperations.h"
#include "scene/Material.h"
#include "scene/Scene.h"
#include "support/RecordingInteraction.h"
#include "support/PaintedSquare.h"
#include "support/SceneBuilder.h"
#include "support/TestFiles.h"
#include "support/WithoutThreads.h"

#include <gtest/gtest.h>

namespace gessoria::test {
namespace {

constexpr int kView = 64, kMap = 32;

struct Bench : PaintedSquare {
    BitmapViewSet views;

    Bench() : PaintedSquare(kMap)
    {
        scene.layerViews = &views;
        scene.paintTool = PaintTool::Brush;
        material().name = "Skin";
        material().mapSlots[kSlotTexture1].map.fileName = "SKIN.PNG";
    }
    Painter MakePainter() { return PaintedSquare::MakePainter(scene.paintTool); }
    // A red paint layer over the Colour base, half of it transparent.
    Layer& AddPaintLayer()
    {
        Layer layer;
        layer.image.Create24(kMap, kMap);
        layer.image.Fill24(0, 0, 200);
        layer.alpha.Create8(kMap, kMap);
        layer.name = "Marks";
        auto& layers = material().stack(MapType::Colour).layers;
        layers.push_back(std::move(layer));
        return layers.back();
    }
};

TEST(BitmapViewDisplay, CompositesOverBlackOrCheckersAndCopiesTheRendererLayer)
{
    Bench b;
    Layer& marks = b.AddPaintLayer();
    marks.alpha.row(kMap - 1)[kMap - 1] = 255;  // the last row and column too
    BitmapView* view = b.views.Open(b.scene, 1, MapType::Colour, 2);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(b.views.Open(b.scene, 1, MapType::Colour, 2), view);  // the same layer twice: one view
    EXPECT_EQ(view->WindowTitle(), "Material: Skin  -  Type: Colour  -  Layer: 2   -  File: Marks - SKIN.PNG");
    const CDIB& shown = view->display();
    // Transparent over black: red 200 x 1 >> 8 = 0.
    EXPECT_EQ(shown.row(0)[2], 0);
    EXPECT_EQ(shown.row(kMap - 1)[3 * (kMap - 1) + 2], 200);
    EXPECT_EQ(shown.row(kMap - 1)[3 * (kMap - 1)], 0);

    view->ToggleCheckers();
    // (x ^ y) & 8: 0 at (0, 0) gives 190, at (8, 0) gives 255; transparent red moves it by (200 - m) >> 8.
    EXPECT_EQ(shown.row(0)[0], 190 + ((0 - 190) >> 8));
    EXPECT_EQ(shown.row(0)[2], 190 + ((200 - 190) >> 8));
    EXPECT_EQ(shown.row(0)[3 * 8], 255 + ((0 - 255) >> 8));
    EXPECT_EQ(shown.row(8)[3 * 8 + 1], 190 + ((0 - 190) >> 8));
    EXPECT_EQ(shown.row(kMap - 1)[3 * (kMap - 1) + 2], 200);

    // Alpha changed behind the view's back shows after the texels are reported changed.
    marks.alpha.row(kMap - 1)[0] = 255;
    b.views.LayerTexelsChanged(b.material(), {0, 0, kMap - 1, kMap - 1});
    EXPECT_EQ(shown.row(kMap - 1)[2], 200);

    BitmapView* renderer = b.views.Open(b.scene, 1, MapType::Colour, 0);
    ASSERT_NE(renderer, nullptr);
    EXPECT_EQ(renderer->display().row(3)[0], b.material().stack(MapType::Colour)[0].image.row(3)[0]);
    EXPECT_EQ(b.views.Open(b.scene, 1, MapType::Colour, 5), nullptr);
}

TEST(BitmapViewDisplay, ZoomStepsAndScrollSize)
{
    Bench b;
    BitmapView* view = b.views.Open(b.scene, 1, MapType::Bump, 1);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->display().bitCount(), 8);
    view->ZoomIn();
    EXPECT_EQ(view->scrollWidth(), static_cast<int>(kMap * 1.428571f));
    view->ZoomOut();
    EXPECT_NEAR(view->zoom(), 1.0f, 1e-5f);
    view->ZoomIn();
    view->ZoomIn();
    view->NoZoom();
    EXPECT_EQ(view->zoom(), 1.0f);
    EXPECT_EQ(view->scrollHeight(), kMap);
    EXPECT_EQ(view->RowAt(0), kMap - 1);
}

TEST(BitmapViewPainting, SegmentsWalkEveryPointOrTheSpacingGrid)
{
    const auto points = SegmentPoints({0, 0}, {10, 3});
    ASSERT_EQ(points.size(), 11u);
    EXPECT_EQ(points[4], (BitmapPoint{4, 1}));
    EXPECT_EQ(points[10], (BitmapPoint{10, 3}));
    EXPECT_TRUE(SegmentPoints({5, 5}, {5, 5}).empty());
    EXPECT_EQ(GridDabs(points, 4, 4), (std::vector<BitmapPoint>{{4, 0}, {8, 0}, {8, 4}, {12, 4}}));
    // Backwards, halves round away from the first point too.
    EXPECT_EQ(GridDabs(SegmentPoints({10, 0}, {0, 0}), 4, 4), (std::vector<BitmapPoint>{{6, 0}, {2, 0}, {-2, 0}}));
}

TEST(BitmapViewPainting, DabsLandOnTheTexelShownUnderThePointAndTheViewFollows)
{
    Bench b;
    b.values.foreground = 0xFF0000FF;  // full-strength red
    BitmapView* view = b.views.Open(b.scene, 1, MapType::Colour, 1);
    ASSERT_NE(view, nullptr);
    BitmapStroke stroke(*view);
    PaintingState state;
    const EraserSwitches eraser{true, true, true, true, true};
    // View point (5, 2) shows texel column 5, row kMap - 1 - 2.
    stroke.Press(b.MakePainter(), state, eraser, {5, 2});
    const CDIB& base = b.material().stack(MapType::Colour)[1].image;
    const int painted = 10 + ((245 * 65280) >> 16);
    EXPECT_EQ(base.row(kMap - 3)[3 * 5 + 2], painted);
    EXPECT_EQ(base.row(kMap - 3)[3 * 5], 10 + ((-10 * 65280) >> 16));
    EXPECT_EQ(view->display().row(kMap - 3)[3 * 5 + 2], painted);
    stroke.Move(b.MakePainter(), state, eraser, {9, 2});
    EXPECT_EQ(stroke.dabCounter(), 5);
    stroke.Move(b.MakePainter(), state, eraser, {40, 2});  // off the bitmap past column 31
    EXPECT_EQ(stroke.dabCounter(), 5 + 22);
    EXPECT_TRUE(b.ui.Texts(Shown::Kind::Warning).empty());

    // A paint that also writes Bump, which has no paint layer selected: the stroke says so
    // when it starts, and paints on.
    b.paint.bumpMap = 1;
    b.material().setCurrent(MapType::Bump, 0);
    stroke.Press(b.MakePainter(), state, eraser, {5, 9});
    EXPECT_EQ(b.ui.Texts(Shown::Kind::Warning), std::vector<std::string>{std::string(kNoPaintableLayer) + "Bump "});
    EXPECT_EQ(stroke.dabCounter(), 1);
}

TEST(BitmapViewPainting, SamplerAndCtrlSampleTheCompositeUnderThePointInsteadOfPainting)
{
    Bench b;
    Material& m = b.material();
    CDIB& base = m.stack(MapType::Colour)[1].image;
    std::uint8_t* texel = base.row(kMap - 1 - 2) + 3 * 5;  // shown at view point (5, 2)
    texel[0] = 30, texel[1] = 20, texel[2] = 10;           // blue, green, red
    CompositeAll(m);
    const std::vector<std::uint8_t> before(base.bits().begin(), base.bits().end());
    b.values.foreground = 0x7F000000;
    b.values.background = 0x11000000;
    BitmapView* view = b.views.Open(b.scene, 1, MapType::Colour, 1);
    ASSERT_NE(view, nullptr);
    BitmapStroke stroke(*view, &b.values);
    PaintingState state;
    const EraserSwitches eraser{true, true, true, true, true};
    const std::uint32_t sampled = (30u << 16) | (20u << 8) | 10u;

    b.scene.paintTool = PaintTool::Sampler;
    stroke.Press(b.MakePainter(), state, eraser, {0, 0});
    stroke.Move(b.MakePainter(), state, eraser, {5, 2});  // only where the pointer ends matters
    EXPECT_EQ(b.values.foreground, 0x7F000000u | sampled);
    stroke.Press(b.MakePainter(), state, eraser, {5, 2}, true);
    EXPECT_EQ(b.values.background, 0x11000000u | sampled);

    b.values.foreground = b.values.background = 0;
    b.scene.paintTool = PaintTool::Brush;
    stroke.Press(b.MakePainter(), state, eraser, {5, 2}, true);
    EXPECT_EQ(b.values.foreground, sampled);
    b.scene.paintTool = PaintTool::Eraser;
    stroke.Press(b.MakePainter(), state, eraser, {5, 2}, true);
    EXPECT_EQ(b.values.background, sampled);
    EXPECT_EQ(stroke.dabCounter(), 0);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), base.bits().begin()));
}

TEST(BitmapViewPainting, TexturePaintSetsItsCloneSourceThenClonesFromIt)
{
    Bench b;
    BitmapView* view = b.views.Open(b.scene, 1, MapType::Colour, 1);
    ASSERT_NE(view, nullptr);
    CDIB& base = b.material().stack(MapType::Colour)[1].image;
    for (int row = 0; row < kMap; ++row)
        for (int column = 0; column < kMap; ++column)
            base.row(row)[3 * column] = static_cast<std::uint8_t>(8 * column);
    const std::vector<std::uint8_t> before(base.bits().begin(), base.bits().end());
    PaintingState state;
    state.options.settingCloneSource = true;
    const EraserSwitches eraser{true, true, true, true, true};
    b.scene.paintTool = PaintTool::TexturePaint;
    BitmapStroke stroke(*view, &b.values);
    stroke.Press(b.MakePainter(), state, eraser, {2, 3});
    stroke.Release(b.MakePainter(), state, eraser, {2, 3});
    EXPECT_TRUE(state.clone.set);
    EXPECT_EQ(state.clone.column, 2);
    EXPECT_EQ(state.clone.row, kMap - 1 - 3);
    EXPECT_FALSE(state.options.settingCloneSource);  // one source, then cloning again
    EXPECT_TRUE(std::equal(before.begin(), before.end(), base.bits().begin()));

    stroke.Press(b.MakePainter(), state, eraser, {10, 10});
    stroke.Move(b.MakePainter(), state, eraser, {12, 10});
    stroke.Release(b.MakePainter(), state, eraser, {12, 10});
    EXPECT_TRUE(state.clone.offsetFixed);
    EXPECT_EQ(state.clone.offsetColumn, 8);
    EXPECT_EQ(state.clone.offsetRow, -7);
    EXPECT_EQ(stroke.dabCounter(), 3);
    EXPECT_FALSE(std::equal(before.begin(), before.end(), base.bits().begin()));
}

TEST(BitmapViewPainting, LineToolLaysItsShapeAtTheReleaseAndShowsItOnce)
{
    Bench b;
    BitmapView* view = b.views.Open(b.scene, 1, MapType::Colour, 1);
    ASSERT_NE(view, nullptr);
    const CDIB& base = b.material().stack(MapType::Colour)[1].image;
    const std::vector<std::uint8_t> before(base.bits().begin(), base.bits().end());
    const std::vector<std::uint8_t> shownBefore(view->display().bits().begin(), view->display().bits().end());
    PaintingState state;
    const EraserSwitches eraser{true, true, true, true, true};
    b.scene.paintTool = PaintTool::Line;
    BitmapStroke stroke(*view, &b.values);

    // Dragging only moves the shape; the release lays it, every point of the line.
    stroke.Press(b.MakePainter(), state, eraser, {0, 0});
    stroke.Move(b.MakePainter(), state, eraser, {5, 1});
    stroke.Move(b.MakePainter(), state, eraser, {10, 3});
    EXPECT_EQ(stroke.ShapeTo(state, {10, 3}), (std::vector<BitmapPoint>{{0, 0}, {10, 3}}));
    EXPECT_EQ(stroke.dabCounter(), 0);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), base.bits().begin()));
    stroke.Release(b.MakePainter(), state, eraser, {10, 3});
    EXPECT_EQ(stroke.dabCounter(), 11);
    EXPECT_TRUE(stroke.ShapeTo(state, {10, 3}).empty());
    EXPECT_FALSE(std::equal(before.begin(), before.end(), base.bits().begin()));
    // The dabs leave the open view alone while the Line tool is current; the end shows them.
    EXPECT_FALSE(std::equal(shownBefore.begin(), shownBefore.end(), view->display().bits().begin()));

    // A square centred on (26, 16) with its first corner 10 above, reaching past the right
    // edge: each side laid from its first point, the points off the bitmap skipped.
    state.options.lineType = LineType::NGon;
    state.options.polygonSides = 4;
    stroke.Press(b.MakePainter(), state, eraser, {26, 16});
    const std::vector<BitmapPoint> corners = stroke.ShapeTo(state, {26, 6});
    ASSERT_EQ(corners.size(), 5u);
    EXPECT_EQ(corners.front(), corners.back());
    int inside = 0;
    for (std::size_t k = 1; k < corners.size(); ++k)
        for (const BitmapPoint p : SegmentPoints(corners[k - 1], corners[k]))
            inside += p.x >= 0 && p.x < kMap && p.y >= 0 && p.y < kMap;
    stroke.Release(b.MakePainter(), state, eraser, {26, 6});
    EXPECT_EQ(stroke.dabCounter(), inside);
    EXPECT_GT(inside, 20);
}

TEST(BitmapViewSet, ViewsOfDeletedOrMovedLayersCloseAndAFreedSceneClosesAll)
{
    Bench b;
    b.AddPaintLayer();
    b.AddPaintLayer();
    Material& m = b.material();
    ASSERT_NE(b.views.Open(b.scene, 1, MapType::Colour, 1), nullptr);
    ASSERT_NE(b.views.Open(b.scene, 1, MapType::Colour, 2), nullptr);
    ASSERT_NE(b.views.Open(b.scene, 1, MapType::Colour, 3), nullptr);
    ASSERT_NE(b.views.Open(b.scene, 1, MapType::Bump, 1), nullptr);
    RecordingInteraction ui;
    ui.yesNo.push_back(true);
    m.setCurrent(MapType::Colour, 2);
    // Layer 3 moves down to 2: its view would show another layer, so it closes with 2's.
    ASSERT_EQ(DeleteLayer(m, MapType::Colour, ui, b.scene.layerViews), LayerEdit::Changed);
    EXPECT_NE(b.views.Find(1, MapType::Colour, 1), nullptr);
    EXPECT_EQ(b.views.Find(1, MapType::Colour, 2), nullptr);
    EXPECT_EQ(b.views.Find(1, MapType::Colour, 3), nullptr);
    EXPECT_EQ(b.views.size(), 2u);

    b.AddPaintLayer();
    m.setCurrent(MapType::Colour, 2);
    ASSERT_EQ(PromoteLayer(m, MapType::Colour, ui, b.scene.layerViews), LayerEdit::Changed);
    EXPECT_EQ(b.views.Find(1, MapType::Colour, 1), nullptr);  // every view of the stack
    EXPECT_NE(b.views.Find(1, MapType::Bump, 1), nullptr);    // other types keep theirs

    ASSERT_NE(b.views.Open(b.scene, 1, MapType::Colour, 0), nullptr);
    m.setCurrent(MapType::Colour, 1);
    ASSERT_EQ(DemoteLayer(m, MapType::Colour, ui, b.scene.layerViews), LayerEdit::Changed);
    EXPECT_EQ(b.views.Find(1, MapType::Colour, 0), nullptr);
    // Collapsing destroys layers 2 and up: their views go, those of 0 and 1 stay.
    b.AddPaintLayer();
    ASSERT_NE(b.views.Open(b.scene, 1, MapType::Colour, 1), nullptr);
    ASSERT_NE(b.views.Open(b.scene, 1, MapType::Colour, 2), nullptr);
    ASSERT_NE(b.views.Open(b.scene, 1, MapType::Colour, 3), nullptr);
    ASSERT_EQ(CollapseAll(m, MapType::Colour, b.scene.layerViews), LayerEdit::Changed);
    EXPECT_NE(b.views.Find(1, MapType::Colour, 1), nullptr);
    EXPECT_EQ(b.views.Find(1, MapType::Colour, 2), nullptr);
    EXPECT_EQ(b.views.Find(1, MapType::Colour, 3), nullptr);

    FreeScene(b.scene);
    EXPECT_EQ(b.views.size(), 0u);
    EXPECT_EQ(b.scene.layerViews, &b.views);  // still the sink for the next scene
}

TEST(BitmapViewImage, ACommandThatCannotChangeALayerLeavesItAndSaysSo)
{
    // Turning a layer that is not square scales the turned image back to the layer's size,
    // which Qt does on threads of its own. In a child process where no thread can start, the
    // layer is left as it was and the user is told.
    RecordingInteraction ui;
    Scene scene = MakePaintableSquare(PaintedSquare::kView, PaintedSquare::kView, 64, 32, 10, 100, ui);
    BitmapViewSet views;
    scene.layerViews = &views;
    Layer layer;
    layer.image.Create24(64, 32);
    layer.image.row(3)[5] = 99;
    layer.alpha.Create8(64, 32);
    scene.materials[1].stack(MapType::Colour).layers.push_back(std::move(layer));
    BitmapView* view = views.Open(scene, 1, MapType::Colour, 1);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(ExitStatusWithoutThreads([&] {
                  const CDIB& image = scene.materials[1].stack(MapType::Colour)[1].image;
                  const std::vector<std::uint8_t> before(image.bits().begin(), image.bits().end());
                  RecordingInteraction told;
                  const bool changed = ApplyImageCommand(*view, ImageCommand::Rotate90, &told);
                  const bool same = std::equal(before.begin(), before.end(), image.bits().begin());
                  const bool said = told.shown.size() == 1 && told.shown[0].text == kImageCommandShortOfMemory;
                  return !changed && same && said ? 0 : 5;
              }),
              0);
    // With threads to be had, the same command turns the layer.
    EXPECT_TRUE(ApplyImageCommand(*view, ImageCommand::Rotate90, &ui));
}

TEST(BitmapViewImage, CommandsTurnLayerAndAlphaButNeverTheRendererLayer)
{
    Bench b;
    Material& m = b.material();
    CDIB& base = m.stack(MapType::Colour)[1].image;
    base.row(0)[0] = 1;  // the bottom-left texel as the view shows it
    m.stack(MapType::Colour)[1].alpha.row(0)[0] = 7;
    CompositeAll(m);
    BitmapView* renderer = b.views.Open(b.scene, 1, MapType::Colour, 0);
    const std::vector<std::uint8_t> before(m.stack(MapType::Colour)[0].image.bits().begin(), m.stack(MapType::Colour)[0].image.bits().end());
    EXPECT_FALSE(ApplyImageCommand(*renderer, ImageCommand::Rotate90));
    EXPECT_FALSE(ApplyImageCommand(*renderer, ImageCommand::Invert));
    EXPECT_TRUE(std::equal(before.begin(), before.end(), m.stack(MapType::Colour)[0].image.bits().begin()));

    BitmapView* view = b.views.Open(b.scene, 1, MapType::Colour, 1);
    // Clockwise on screen: the bottom-left corner goes to the top-left, which is the last row.
    ASSERT_TRUE(ApplyImageCommand(*view, ImageCommand::Rotate90));
    EXPECT_EQ(base.row(kMap - 1)[0], 1);
    EXPECT_EQ(m.stack(MapType::Colour)[1].alpha.row(kMap - 1)[0], 7);
    ASSERT_TRUE(ApplyImageCommand(*view, ImageCommand::FlipHorizontal));
    EXPECT_EQ(base.row(kMap - 1)[3 * (kMap - 1)], 1);
    ASSERT_TRUE(ApplyImageCommand(*view, ImageCommand::FlipVertical));
    EXPECT_EQ(base.row(0)[3 * (kMap - 1)], 1);
    EXPECT_EQ(m.stack(MapType::Colour)[1].alpha.row(0)[kMap - 1], 7);
    // Invert changes the colour only; the composite and the view follow.
    ASSERT_TRUE(ApplyImageCommand(*view, ImageCommand::Invert));
    EXPECT_EQ(base.row(0)[3 * (kMap - 1)], 254);
    EXPECT_EQ(base.row(5)[0], 245);
    EXPECT_EQ(m.stack(MapType::Colour)[1].alpha.row(0)[kMap - 1], 7);
    EXPECT_EQ(m.stack(MapType::Colour)[0].image.row(5)[0], 245);
    EXPECT_EQ(view->display().row(5)[0], 245);

    BitmapView* bump = b.views.Open(b.scene, 1, MapType::Bump, 1);
    ASSERT_TRUE(ApplyImageCommand(*bump, ImageCommand::Monochrome));
    for (const auto v : m.stack(MapType::Bump)[1].image.bits().first(kMap))
        EXPECT_TRUE(v == 0 || v == 255);
    ASSERT_TRUE(ApplyImageCommand(*view, ImageCommand::Grey256));
    const std::uint8_t* grey = base.row(5);
    EXPECT_TRUE(grey[0] == grey[1] && grey[1] == grey[2]);
}

TEST(BitmapViewExport, AnsweringNoSavesWithoutTheMeshAndCancelSavesNothing)
{
    Bench b;
    BitmapView* view = b.views.Open(b.scene, 1, MapType::Colour, 1);
    const auto dir = FreshDirectory("bitmapview");
    view->ToggleMesh();

    // The wait cursor shows only while the file is written, never under the questions.
    std::string busyCalls;
    const auto busy = [&busyCalls](bool on) { busyCalls += on ? '+' : '-'; };
    b.ui.saveFiles.push_back((dir / "cancel.png").string());
    b.ui.yesNoCancel.push_back(YesNoCancel::Cancel);
    EXPECT_EQ(ExportBitmapView(*view, b.ui, busy), ExportOutcome::Cancelled);
    EXPECT_EQ(busyCalls, "");
    EXPECT_FALSE(std::filesystem::exists(dir / "cancel.png"));
    EXPECT_EQ(b.ui.Dialogs().back(), kExportMeshQuestion);

    b.ui.saveFiles.push_back((dir / "plain.png").string());
    b.ui.yesNoCancel.push_back(YesNoCancel::No);
    ASSERT_EQ(ExportBitmapView(*view, b.ui, busy), ExportOutcome::Saved);
    EXPECT_EQ(busyCalls, "+-");
    b.ui.saveFiles.push_back((dir / "mesh.png").string());
    b.ui.yesNoCancel.push_back(YesNoCancel::Yes);
    ASSERT_EQ(ExportBitmapView(*view, b.ui), ExportOutcome::Saved);
    const auto count = [](const std::filesystem::path& path) {
        auto image = LibraryImage::Open(path);
        EXPECT_TRUE(image.has_value());
        int white = 0;
        for (const auto v : image->PackedRows())
            white += v == 255;
        return white;
    };
    EXPECT_EQ(count(dir / "plain.png"), 0);
    EXPECT_GT(count(dir / "mesh.png"), kMap);
    // The mesh drawn for the export is not left in the view.
    EXPECT_EQ(view->display().row(0)[0], 10);

    b.ui.saveFiles.push_back((dir / "x.GIF").string());
    EXPECT_EQ(ExportBitmapView(*view, b.ui), ExportOutcome::Refused);
    EXPECT_EQ(b.ui.Dialogs().back(), kGifRefused);
    EXPECT_EQ(ExportBitmapView(*view, b.ui), ExportOutcome::Cancelled);  // the chooser cancelled
}

TEST(BitmapViewPrint, FitsThePageKeepingTheAspectRatio)
{
    const PrintPlacement wide = FitToPage(200, 100, 1000, 800);
    EXPECT_EQ(wide.width, 1000);
    EXPECT_EQ(wide.height, 500);
    EXPECT_EQ(wide.top, 150);
    EXPECT_EQ(wide.left, 0);
    const PrintPlacement tall = FitToPage(100, 300, 1000, 800);
    EXPECT_EQ(tall.height, 800);
    EXPECT_EQ(tall.width, 266);
    EXPECT_EQ(tall.left, 367);
    EXPECT_EQ(FitToPage(0, 10, 100, 100).width, 0);
}

TEST(TextTool, TextBecomesAnUpsideDownFloaterDroppedThroughThePaint)
{
    EXPECT_EQ(FontDescription("Serif", 12.0, 700, true), "Serif  12.00 point  bold  italic");
    EXPECT_EQ(FontDescription("Serif", 9.5, 400, false), "Serif  9.50 point  ");
    Bench b;
    const auto text = CreateText(b.scene, "Hi", TextFont{"Sans Serif", 12.0, true, false}, b.ui);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(b.scene.paintTool, PaintTool::Selection);
    EXPECT_EQ(b.ui.Texts(Shown::Kind::Warning).back(), kTextPlacementWarning);
    EXPECT_FALSE(CreateText(b.scene, "", TextFont{}, b.ui).has_value());
    // The glyphs sit on the baseline: after turning, the first rows (the descent) stay dark
    // and rows above them hold the letters' white.
    const CDIB& alpha = text->alpha(MapType::Colour);
    int lit = 0;
    for (int y = 0; y < text->height; ++y)
        for (int x = 0; x < text->width; ++x) {
            const std::uint8_t* c = text->value(MapType::Colour).row(y) + 3 * x;
            EXPECT_EQ(alpha.row(y)[x], (c[0] + c[1] + c[2]) / 3);
            lit += alpha.row(y)[x] > 128;
        }
    EXPECT_GT(lit, 10);
    int lowRows = 0;
    for (int x = 0; x < text->width; ++x)
        lowRows += alpha.row(0)[x];
    EXPECT_EQ(lowRows, 0);

    FloaterEditor editor;
    editor.TakeTextFloater(b.MakePainter(), *text);
    b.values.foreground = 0xFF00FF00;  // green
    PaintingState state;
    editor.Press(b.MakePainter(), PickFace(b.scene, 32, 32), 32, 32, false);
    ASSERT_TRUE(editor.selection().floating);
    const Floater& placed = editor.floater();
    editor.DeselectAll(b.MakePainter(), state);
    int green = 0;
    const CDIB& base = b.material().stack(MapType::Colour)[1].image;
    for (int y = 0; y < placed.height; ++y)
        for (int x = 0; x < placed.width; ++x) {
            const int ty = ((placed.top + y) % kMap + kMap) % kMap, tx = ((placed.left + x) % kMap + kMap) % kMap;
            if (text->alpha(MapType::Colour).row(y)[x] == 255)
                green += base.row(ty)[3 * tx + 1] > 200 && base.row(ty)[3 * tx + 2] < 50;
        }
    EXPECT_GT(green, 5);
    EXPECT_FALSE(editor.floater().present);
}

} // namespace
} // namespace gessoria::test

namespace gessoria::test {
namespace {

TEST(TextureSourceView, OpensOnceClicksFromTheBottomRowAndClampsTheScale)
{
    RecordingInteraction ui;
    PaintingState state;
    Paint paint = DefaultPaint();
    TextureSourceView view;
    EXPECT_FALSE(view.Open(state, paint, ui));
    EXPECT_EQ(ui.Dialogs().back(), kNotABitmapPaint);
    paint.specialNumber = kBitmapPaintNumber;
    paint.imagesLoaded = true;
    auto image = std::make_shared<CDIB>();
    image->Create24(256, 256);
    paint.images[kImageShininess] = image;  // only the last slot of the preference order
    ASSERT_TRUE(view.Open(state, paint, ui));
    EXPECT_EQ(view.source(), image.get());
    EXPECT_TRUE(view.Open(state, paint, ui));  // pressed twice: the same view
    view.WindowClosed();  // closed by its frame: texture mode stays, the next press reopens
    EXPECT_TRUE(state.options.texturedPaint);
    EXPECT_FALSE(view.open());
    EXPECT_TRUE(view.Open(state, paint, ui));
    EXPECT_EQ(view.scrollWidth(), 256);
    view.Click(state, 0, 0);
    EXPECT_EQ(state.source.x, 0);
    EXPECT_EQ(state.source.y, 255);
    EXPECT_EQ(state.source.marker, -1);
    // The paint frees its images (another paint chosen): clicks still count from the bottom
    // row of the bitmap the view opened on, without touching the freed bitmap.
    paint.images[kImageShininess].reset();
    image.reset();
    view.Click(state, 3, 4, 10, 20);
    EXPECT_EQ(state.source.x, 13);
    EXPECT_EQ(state.source.y, 255 - 24);
    EXPECT_EQ(view.scrollHeight(), 256);
    view.Close(state);
    EXPECT_FALSE(view.open());
    EXPECT_FALSE(state.options.texturedPaint);

    EXPECT_EQ(SetTextureScaleText(state.options, "150"), "99.9");
    EXPECT_EQ(SetTextureScaleText(state.options, "0"), "0.1");
    EXPECT_EQ(SetTextureScaleSpin(state.options, 25), "2.5");
    EXPECT_FLOAT_EQ(state.options.textureScale, 2.5f);
}

} // namespace
} // namespace gessoria::test
