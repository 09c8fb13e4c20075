// Projection painting: what a dab laid on the screen covers (against the walk with none of its
// limits, every texel of every face and every pixel tested), strokes across the sample's
// seams, hidden faces, the path between pointer events, undo over several materials, and the
// eraser.

#include "io/SceneFileOpener.h"
#include "paint/DabSpacer.h"
#include "paint/ProjectedDab.h"
#include "paint/StrokeController.h"
#include "scene/LayerOperations.h"
#include "scene/Material.h"
#include "scene/TextureSeam.h"
#include "support/RecordingInteraction.h"
#include "support/SceneBuilder.h"

#include "support/WithoutThreads.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <tuple>

namespace gessoria::test {
namespace {

using TexelKey = std::tuple<std::int32_t, int, int>;  // material, row, column
using Weights = std::map<TexelKey, int>;

Weights WeightsOf(const ProjectedCoverage& coverage)
{
    Weights weights;
    for (const CoveredTile& tile : coverage.tiles)
        for (int row = tile.tileRow * CoveredTile::kSize; row < (tile.tileRow + 1) * CoveredTile::kSize; ++row)
            for (int column = tile.tileColumn * CoveredTile::kSize; column < (tile.tileColumn + 1) * CoveredTile::kSize; ++column)
                if (const int m = tile.At(row, column); m != 0)
                    weights[{tile.material, row, column}] = m;
    return weights;
}

// Every byte of every layer (values and alphas) of the scene's materials.
std::vector<std::uint8_t> LayerBytes(const Scene& scene)
{
    std::vector<std::uint8_t> bytes;
    auto add = [&](const CDIB& image) {
        if (!image.created())
            return;
        for (int y = 0; y < image.height(); ++y)
            bytes.insert(bytes.end(), image.row(y), image.row(y) + image.width() * image.bytesPerPixel());
    };
    for (const Material& m : scene.materials)
        for (const MapType type : kAllMapTypes)
            for (const Layer& layer : m.stack(type).layers) {
                add(layer.image);
                add(layer.alpha);
            }
    return bytes;
}

// The first texels where two coverages differ, for a failure's message.
std::string Difference(const Weights& fast, const Weights& slow)
{
    std::string text;
    int shown = 0;
    for (const auto& [key, w] : fast)
        if (auto it = slow.find(key); (it == slow.end() || it->second != w) && shown++ < 8)
            text += " fast " + std::to_string(std::get<0>(key)) + ":" + std::to_string(std::get<1>(key)) + "," +
                    std::to_string(std::get<2>(key)) + "=" + std::to_string(w) + " slow " +
                    (it == slow.end() ? std::string("-") : std::to_string(it->second));
    for (const auto& [key, w] : slow)
        if (!fast.count(key) && shown++ < 16)
            text += " missing " + std::to_string(std::get<0>(key)) + ":" + std::to_string(std::get<1>(key)) + "," +
                    std::to_string(std::get<2>(key)) + "=" + std::to_string(w);
    return text + " (" + std::to_string(fast.size()) + " against " + std::to_string(slow.size()) + ")";
}

// ---- The sample ----

struct Sample {
    RecordingInteraction ui;
    Scene scene;
    ViewFrame frame;
    RenderOptions render{4, false, false};
    LightingSettings lighting;
    Brush brush = DefaultBrush();
    Paint paint = DefaultPaint();
    PaintValues values;
    PaintRandom random;
    PaintingState painting;

    Sample(int width, int height, int turnY = 0)
    {
        ResetScene(scene);
        scene.mapPaths.Append(GESSORIA_SAMPLE_DIR);
        scene.viewWidth = width;
        scene.viewHeight = height;
        EXPECT_TRUE(OpenSceneFile(scene, std::string(GESSORIA_SAMPLE_DIR) + "/monkey.3ds", ui));
        scene.camera.angleY += turnY;
        EXPECT_TRUE(frame.Create(width, height));
        scene.paintTool = PaintTool::Brush;
        values.foreground = 0xFF00FF00u;  // full strength, pure green
        Render();
    }
    void Render() { Renderer().RenderScene(scene, frame, render, lighting); }
    StrokeController Controller(int diameter)
    {
        StrokeEnvironment environment{scene, frame, render, lighting, brush, paint, values, random};
        environment.painting = &painting;
        environment.projection = {true, diameter};
        return StrokeController(environment, ui);
    }
    void Stroke(int diameter, const std::vector<std::pair<int, int>>& points)
    {
        StrokeController stroke = Controller(diameter);
        stroke.ButtonDown({points[0].first, points[0].second});
        for (std::size_t k = 1; k < points.size(); ++k)
            stroke.Move({points[k].first, points[k].second});
        stroke.ButtonUp({points.back().first, points.back().second});
    }
    std::vector<std::uint8_t> Pixels() const
    {
        const CDIB& image = frame.image();
        std::vector<std::uint8_t> bytes;
        for (int y = 0; y < image.height(); ++y)
            bytes.insert(bytes.end(), image.row(y), image.row(y) + image.width() * 3);
        return bytes;
    }
    // Full weight within the head's circle, none outside.
    void HardRoundHead()
    {
        for (int r = 0; r < kHeadSize; ++r)
            for (int c = 0; c < kHeadSize; ++c)
                brush.head[static_cast<std::size_t>(r * kHeadSize + c)] =
                    (r - kHeadCentre) * (r - kHeadCentre) + (c - kHeadCentre) * (c - kHeadCentre) <= 15 * 15 ? 255 : 0;
    }
    bool Object(int x, int y) const { return frame.Depth(x, y) != ViewFrame::kFarthest; }
};

// The same texels with the same weights, the same tiles with the same bounds, and the same
// centre for the paints that read one. Returns the texels compared.
int ExpectSameCoverage(const ProjectedCoverage& fastCoverage, const ProjectedCoverage& slowCoverage, const ScreenDab& dab)
{
    const Weights fast = WeightsOf(fastCoverage), slow = WeightsOf(slowCoverage);
    EXPECT_TRUE(fast == slow) << "dab at " << dab.x << "," << dab.y << " of " << dab.diameter << ":" << Difference(fast, slow);
    EXPECT_EQ(fastCoverage.tiles.size(), slowCoverage.tiles.size());
    for (std::size_t t = 0; t < std::min(fastCoverage.tiles.size(), slowCoverage.tiles.size()); ++t) {
        const TexelRect a = fastCoverage.tiles[t].rect, b = slowCoverage.tiles[t].rect;
        EXPECT_TRUE(a.x0 == b.x0 && a.x1 == b.x1 && a.y0 == b.y0 && a.y1 == b.y1) << "tile " << t;
    }
    EXPECT_EQ(fastCoverage.centres.size(), slowCoverage.centres.size());
    for (std::size_t k = 0; k < std::min(fastCoverage.centres.size(), slowCoverage.centres.size()); ++k) {
        EXPECT_EQ(fastCoverage.centres[k].texel.column, slowCoverage.centres[k].texel.column);
        EXPECT_EQ(fastCoverage.centres[k].texel.row, slowCoverage.centres[k].texel.row);
    }
    return static_cast<int>(slow.size());
}

TEST(ProjectedFootprint, MatchesTheLiteralReferenceOnTheSample)
{
    // A three-quarter view: faces overlap, some face away, islands meet at seams.
    Sample sample(320, 240, 60);
    int checked = 0;
    // The last dab reaches most of the head, enough faces for the walk to share them
    // between two threads.
    for (const auto& [x, y, d] : {std::tuple{160, 120, 40}, std::tuple{150, 100, 9}, std::tuple{175, 140, 120},
                                  std::tuple{120, 90, 3}, std::tuple{200, 130, 60}, std::tuple{160, 120, 300}}) {
        const ScreenDab dab{float(x), float(y), d};
        checked += ExpectSameCoverage(CoverProjectedDab(sample.scene, sample.frame, sample.brush, dab),
                                      CoverProjectedDabExhaustively(sample.scene, sample.frame, sample.brush, dab), dab);
    }
    EXPECT_GT(checked, 500);
}

TEST(ProjectedFootprint, DabsWeighingWhatEarlierDabsFoundMatchTheLiteralReference)
{
    // A stroke's dabs, a quarter of their size apart, with one memory of the faces they walked;
    // then the view turns, and the memory must not give the old frame's points.
    Sample sample(320, 240, 60);
    FaceWalkMemory memory;
    int checked = 0;
    auto dabsAcross = [&](int y, int diameter) {
        for (int x = 60; x <= 260; x += std::max(1, diameter / 4)) {
            const ScreenDab dab{float(x) + 0.25f, float(y), diameter};
            checked += ExpectSameCoverage(CoverProjectedDab(sample.scene, sample.frame, sample.brush, dab, &memory),
                                          CoverProjectedDabExhaustively(sample.scene, sample.frame, sample.brush, dab), dab);
        }
    };
    dabsAcross(120, 40);
    dabsAcross(110, 120);  // enough faces under each for two threads
    const std::size_t kept = memory.faces();
    EXPECT_GT(kept, 100u);
    sample.scene.camera.angleY += 25;
    sample.Render();
    dabsAcross(125, 40);
    EXPECT_GT(checked, 5000);
}

TEST(ProjectedFootprint, ALargeDabWithNoThreadToBeHadIsWalkedOnOneThread)
{
    // A dab over most of the head shares its faces with a second thread. In a child process
    // where no thread can start (each asks for more memory than there is), the dab is
    // covered all the same, with the same texels, and the frame renders as well.
    Sample sample(320, 240, 60);
    const ScreenDab dab{160.0f, 120.0f, 300};
    const Weights withThreads = WeightsOf(CoverProjectedDab(sample.scene, sample.frame, sample.brush, dab));
    ASSERT_GT(withThreads.size(), 500u);
    EXPECT_EQ(ExitStatusWithoutThreads([&] {
                  const Weights alone = WeightsOf(CoverProjectedDab(sample.scene, sample.frame, sample.brush, dab));
                  sample.Render();
                  return alone == withThreads ? 0 : 5;
              }),
              0);
}

TEST(ProjectedStroke, CrossesTheSampleSeamsWithoutHolesAndPaintsNothingAwayFromIt)
{
    // Level 4 at 1024 x 768: the stroke runs across the face, over the islands' borders.
    Sample sample(1024, 768);
    sample.HardRoundHead();
    const auto before = sample.Pixels();
    // Paint is laid texel by texel, and here a texel is up to 6 pixels across: a texel whose
    // centre the dab reaches shows up to that far beyond the dab's edge.
    constexpr int kDiameter = 20, kRow = 330, kFrom = 380, kTo = 640, kTexel = 7;
    sample.Stroke(kDiameter, {{kFrom, kRow}, {kTo, kRow}});
    sample.Render();
    const auto after = sample.Pixels();
    int core = 0, holes = 0, changedAway = 0;
    for (int y = 0; y < 768; ++y)
        for (int x = 0; x < 1024; ++x) {
            const std::size_t at = (static_cast<std::size_t>(y) * 1024 + static_cast<std::size_t>(x)) * 3;
            const bool changed = !std::equal(&before[at], &before[at] + 3, &after[at]);
            // The middle of the band: its pixels must all show the new paint.
            if (x >= kFrom + 4 && x <= kTo - 4 && std::abs(y - kRow) <= kDiameter / 4 && sample.Object(x, y)) {
                ++core;
                const bool green = after[at + 1] > after[at] + 8 && after[at + 1] > after[at + 2] + 8;
                holes += !(changed && green);
            }
            // Well away from the band nothing may change.
            const double dx = x < kFrom ? kFrom - x : x > kTo ? x - kTo : 0;
            const double dy = std::abs(y - kRow);
            if (std::hypot(dx, dy) > kDiameter / 2.0 + kTexel && changed)
                ++changedAway;
        }
    EXPECT_GT(core, 2000);
    EXPECT_EQ(holes, 0) << "of " << core;
    // Where two islands abut in the map, a texel on their border shows on both: the few pixels
    // that change away from the band are such texels seen under the brush (a texture-space
    // stroke changed 45,505 pixels away from itself here).
    EXPECT_LT(changedAway, core / 200);
}

TEST(ProjectedStroke, PaintsNothingOnTheSideAwayFromTheViewer)
{
    // The stroke across the front; the back, seen by turning the head round, is as it was.
    Sample sample(400, 300);
    sample.scene.camera.angleY += 512;
    sample.Render();
    const auto backBefore = sample.Pixels();
    sample.scene.camera.angleY -= 512;
    sample.Render();
    const auto front = sample.Pixels();
    sample.Stroke(60, {{150, 130}, {250, 130}, {250, 170}});
    sample.Render();
    EXPECT_TRUE(sample.Pixels() != front);
    sample.scene.camera.angleY += 512;
    sample.Render();
    const auto back = sample.Pixels();
    int changed = 0;
    for (std::size_t i = 0; i < back.size(); i += 3)
        changed += !std::equal(&back[i], &back[i] + 3, &backBefore[i]);
    // Only texels on the border of an island seen from the front may show on the back.
    EXPECT_LE(changed, 10);
}

// A scene made in memory, rendered at Flat Textured under full light, with what a stroke needs.
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

    // `make` builds the scene for a view of width x height.
    Board(int width, int height, const std::function<Scene(UserInteraction&)>& make) : scene(make(ui))
    {
        scene.paintTool = PaintTool::Brush;
        EXPECT_TRUE(frame.Create(width, height));
        Render();
    }
    // A square over the whole view whose map lines up texel for pixel, grey 50.
    Board(int width, int height)
        : Board(width, height, [&](UserInteraction& u) { return MakePaintableSquare(width, height, width, height, 50, 128, u); })
    {
    }
    void Render() { Renderer().RenderScene(scene, frame, render, lighting); }
    StrokeController Projecting(int diameter)
    {
        StrokeEnvironment environment{scene, frame, render, lighting, brush, paint, values, random};
        environment.projection = {true, diameter};
        return StrokeController(environment, ui);
    }
    // Button down at the first point, a move to each other, button up at the last.
    void Stroke(int diameter, const std::vector<std::pair<int, int>>& points)
    {
        StrokeController stroke = Projecting(diameter);
        stroke.ButtonDown({points[0].first, points[0].second});
        for (std::size_t k = 1; k < points.size(); ++k)
            stroke.Move({points[k].first, points[k].second});
        stroke.ButtonUp({points.back().first, points.back().second});
    }
    const Layer& ColourBase() const { return scene.materials[1].stack(MapType::Colour)[1]; }
};

// Two squares on one material, the near one in front of the far one: the near one uses the
// map's left half, the far one its right half.
struct Layered : Board {
    Layered()
        : Board(100, 100, [](UserInteraction& u) {
              Scene made = MakeScreenScene({{10, 10, 20, 10, 90, 20, 90, 10, 20},
                                             {90, 10, 20, 10, 90, 20, 90, 90, 20},
                                             {10, 10, 5, 10, 90, 5, 90, 10, 5},
                                             {90, 10, 5, 10, 90, 5, 90, 90, 5}},
                                            100, 100, u);
              made.materialCount = 1;
              made.materials.resize(2);
              made.materials[1] = MakeLayeredMaterial(64, 32, 50, 50, 50, 128);
              made.faceMaterial = {1, 1, 1, 1};
              const std::int32_t half = 32768, one = 65536;
              // Near square: u 0..0.5; far square: u 0.5..1.
              made.faceU0 = {0, half, half, one};
              made.faceV0 = {0, 0, 0, 0};
              made.faceU1 = {0, 0, half, half};
              made.faceV1 = {one, one, one, one};
              made.faceU2 = {half, half, one, one};
              made.faceV2 = {0, one, 0, one};
              return made;
          })
    {
    }
};

TEST(ProjectedDab, OnlyTheNearOfTwoOverlappingFacesIsPainted)
{
    Layered board;
    const Weights covered = WeightsOf(CoverProjectedDab(board.scene, board.frame, board.brush, {50, 50, 40}));
    ASSERT_FALSE(covered.empty());
    for (const auto& [key, weight] : covered)
        EXPECT_LT(std::get<2>(key), 32) << "texel of the hidden square, column " << std::get<2>(key);
    const Weights slow = WeightsOf(CoverProjectedDabExhaustively(board.scene, board.frame, board.brush, {50, 50, 40}));
    EXPECT_TRUE(covered == slow) << Difference(covered, slow);
}

TEST(ProjectedDab, TheDabsCentreIsTheTexelUnderItsCentre)
{
    // The near square maps x 10..90 to columns 0..32 and y 10..90 to rows 0..32: the texel
    // nearest to the dab's centre on the screen is the one under it (Pointillist's centre).
    Layered board;
    for (const auto& [x, y] : {std::pair{50, 50}, std::pair{30, 70}, std::pair{72, 24}}) {
        const ProjectedCoverage covered = CoverProjectedDab(board.scene, board.frame, board.brush, {float(x), float(y), 30});
        ASSERT_EQ(covered.centres.size(), 1u);
        const DabCentre centre = covered.centres[0].texel;
        EXPECT_NEAR(centre.column, (x - 10) * 32 / 80, 1) << "dab at " << x << "," << y;
        EXPECT_NEAR(centre.row, (y - 10) * 32 / 80, 1) << "dab at " << x << "," << y;
    }
}

TEST(ProjectedDab, AFrozenObjectTakesNoPaint)
{
    Layered board;
    board.scene.objects[0].flags = kObjectFrozen;
    board.Render();
    ASSERT_TRUE(board.scene.faceDrawn[0]);
    EXPECT_TRUE(CoverProjectedDab(board.scene, board.frame, board.brush, {50, 50, 40}).tiles.empty());
}

TEST(ProjectedDab, NeverPaintsAFaceTurnedAwayEvenWhenItIsDrawn)
{
    RecordingInteraction ui;
    // Wound the other way round on screen: drawn only because two-sided drawing is forced.
    Scene scene = MakeScreenScene({{0, 0, 5, 100, 0, 5, 0, 100, 5}}, 100, 100, ui);
    scene.materialCount = 1;
    scene.materials.resize(2);
    scene.materials[1] = MakeLayeredMaterial(16, 16, 50, 50, 50, 128);
    scene.faceMaterial = {1};
    scene.faceU0 = {0};
    scene.faceV0 = {0};
    scene.faceU1 = {65535};
    scene.faceV1 = {0};
    scene.faceU2 = {0};
    scene.faceV2 = {65535};
    ViewFrame frame;
    ASSERT_TRUE(frame.Create(100, 100));
    Renderer().RenderScene(scene, frame, {2, true, false}, {65536, 0});
    ASSERT_TRUE(scene.faceDrawn[0]);
    Brush brush = DefaultBrush();
    EXPECT_TRUE(CoverProjectedDab(scene, frame, brush, {30, 30, 200}).tiles.empty());
}

TEST(ProjectedDab, CoversEveryTexelATriangleTouchesNotOnlyThoseWithTheirCentreInside)
{
    // One face, small on the screen and large in the map (no pixel shows most of its texels),
    // whose texture corners fall between texel centres: the texels it only partly covers
    // along its edges, which no face holds by their centre, are painted too.
    RecordingInteraction ui;
    Scene scene = MakeScreenScene({{0, 0, 5, 0, 10, 5, 10, 0, 5}}, 100, 100, ui);
    scene.materialCount = 1;
    scene.materials.resize(2);
    scene.materials[1] = MakeLayeredMaterial(64, 64, 50, 50, 50, 128);
    scene.faceMaterial = {1};
    const std::int32_t a = 1024 + 1000 / 16, b = 40 * 1024 + 700 * 1024 / 1000;  // texels 1.06 and 40.7
    scene.faceU0 = {a};
    scene.faceV0 = {a};
    scene.faceU1 = {a};
    scene.faceV1 = {b};
    scene.faceU2 = {b};
    scene.faceV2 = {a};
    ViewFrame frame;
    ASSERT_TRUE(frame.Create(100, 100));
    Renderer().RenderScene(scene, frame, {2, false, false}, {65536, 0});
    Brush brush = DefaultBrush();
    brush.head.fill(255);
    const Weights covered = WeightsOf(CoverProjectedDab(scene, frame, brush, {3, 3, 200}));
    // The triangle (1.06, 1.06), (1.06, 40.7), (40.7, 1.06) overlaps texel (column c, row r)
    // exactly when c, r >= 1 and c + r <= 41; along the hypotenuse the texels with
    // c + r = 41 have their centres outside it.
    Weights expected;
    for (int row = 1; row <= 40; ++row)
        for (int column = 1; column + row <= 41; ++column)
            expected[{1, row, column}] = 255;
    EXPECT_TRUE(covered == expected) << Difference(covered, expected);
}

TEST(ProjectedDab, ATexelHeldByAnotherIslandIsLeftToIt)
{
    // Two islands that meet at u = 10.3 in the map: the near one small on the screen under the
    // dab, the other far away. Texel column 10 straddles the border with its centre in the far
    // island: the dab leaves it alone, or the far island would take the paint.
    RecordingInteraction ui;
    Scene scene = MakeScreenScene({{0, 0, 5, 0, 8, 5, 4, 0, 5}, {4, 0, 5, 0, 8, 5, 4, 8, 5},
                                   {60, 60, 5, 60, 68, 5, 64, 60, 5}, {64, 60, 5, 60, 68, 5, 64, 68, 5}},
                                  100, 100, ui);
    scene.materialCount = 1;
    scene.materials.resize(2);
    scene.materials[1] = MakeLayeredMaterial(64, 64, 50, 50, 50, 128);
    scene.faceMaterial = {1, 1, 1, 1};
    const std::int32_t border = 10 * 1024 + 300 * 1024 / 1000, right = 20 * 1024, bottom = 20 * 1024;
    scene.faceU0 = {0, border, border, right};
    scene.faceV0 = {0, 0, 0, 0};
    scene.faceU1 = {0, 0, border, border};
    scene.faceV1 = {bottom, bottom, bottom, bottom};
    scene.faceU2 = {border, border, right, right};
    scene.faceV2 = {0, bottom, 0, bottom};
    ViewFrame frame;
    ASSERT_TRUE(frame.Create(100, 100));
    Renderer().RenderScene(scene, frame, {2, false, false}, {65536, 0});
    Brush brush = DefaultBrush();
    brush.head.fill(255);
    const Weights covered = WeightsOf(CoverProjectedDab(scene, frame, brush, {2, 4, 20}));
    Weights expected;
    for (int row = 0; row < 20; ++row)
        for (int column = 0; column <= 9; ++column)
            expected[{1, row, column}] = 255;
    EXPECT_TRUE(covered == expected) << Difference(covered, expected);
}

TEST(ProjectedStroke, AFastStrokeOfFourPointsGivesAnUnbrokenBand)
{
    // 800 x 200 view filled by one square whose map lines up texel for pixel.
    Board board(800, 200);
    board.values.foreground = 0xFF0000FFu;
    StrokeController stroke = board.Projecting(16);
    stroke.ButtonDown({50, 100});
    stroke.Move({250, 100});
    stroke.Move({450, 100});
    stroke.Move({650, 100});
    stroke.ButtonUp({650, 100});
    // Natural spacing is a quarter of the diameter: 600 / 4 dabs after the first.
    EXPECT_EQ(stroke.dabCounter(), 1 + 600 / 4);
    const Layer& base = board.ColourBase();
    for (int x = 50; x <= 650; ++x)
        ASSERT_NE(base.image.row(100)[x * 3 + 2], 50) << "gap at column " << x;
    EXPECT_EQ(base.image.row(100)[660 * 3 + 2], 50);
}

TEST(ProjectedStroke, ALineToolShapeLaysProjectedDabsAlongItsScreenLine)
{
    Board board(800, 200);
    board.scene.paintTool = PaintTool::Line;
    board.values.foreground = 0xFF0000FFu;
    StrokeController stroke = board.Projecting(60);
    stroke.ButtonDown({50, 100});
    stroke.ButtonUp({650, 100});
    // A dab at the start and every 15 pixels after it; the band is 60 pixels wide, more than
    // the 31 texels of a texture-space dab.
    EXPECT_EQ(stroke.dabCounter(), 1 + 600 / 15);
    const Layer& base = board.ColourBase();
    for (int x = 50; x <= 650; ++x)
        ASSERT_NE(base.image.row(100)[x * 3 + 2], 50) << "gap at column " << x;
    EXPECT_NE(base.image.row(120)[300 * 3 + 2], 50);
    EXPECT_EQ(base.image.row(100)[700 * 3 + 2], 50);
}

TEST(ProjectedStroke, UndoAndRedoGiveBackTheLayersExactlyOverSeveralMaterials)
{
    // Two squares side by side on two materials, each with a paint layer; strokes cross from
    // one to the other.
    Board board(200, 100, [](UserInteraction& ui) {
        Scene scene = MakeScreenScene({{0, 0, 5, 0, 100, 5, 100, 0, 5},
                                       {100, 0, 5, 0, 100, 5, 100, 100, 5},
                                       {100, 0, 5, 100, 100, 5, 200, 0, 5},
                                       {200, 0, 5, 100, 100, 5, 200, 100, 5}},
                                      200, 100, ui);
        scene.materialCount = 2;
        scene.materials.resize(3);
        scene.materials[1] = MakeLayeredMaterial(64, 64, 50, 50, 50, 128);
        scene.materials[2] = MakeLayeredMaterial(32, 48, 90, 90, 90, 128);
        for (const int m : {1, 2}) {
            EXPECT_EQ(NewLayer(scene.materials[static_cast<std::size_t>(m)], MapType::Colour, ui), LayerEdit::Changed);
            CompositeAll(scene.materials[static_cast<std::size_t>(m)]);
        }
        scene.faceMaterial = {1, 1, 2, 2};
        MapSquares(scene);
        return scene;
    });
    Scene& scene = board.scene;
    scene.undo.enabled = true;
    ASSERT_TRUE(scene.undoBuffer.Allocate(4 << 20));
    board.paint.bumpMap = 1;
    board.values.foreground = 0xC0FF2040u;
    auto layers = [&] { return LayerBytes(scene); };
    const auto start = layers();
    board.Stroke(30, {{40, 30}, {160, 30}});
    const auto afterFirst = layers();
    board.Stroke(30, {{60, 70}, {100, 50}, {150, 80}});
    const auto afterSecond = layers();
    ASSERT_TRUE(afterFirst != start);
    ASSERT_TRUE(afterSecond != afterFirst);

    ASSERT_TRUE(scene.undoBuffer.Undo(scene, false));
    EXPECT_TRUE(layers() == afterFirst);
    ASSERT_TRUE(scene.undoBuffer.Undo(scene, false));
    EXPECT_TRUE(layers() == start);
    ASSERT_TRUE(scene.undoBuffer.Redo(scene));
    EXPECT_TRUE(layers() == afterFirst);
    ASSERT_TRUE(scene.undoBuffer.Redo(scene));
    EXPECT_TRUE(layers() == afterSecond);

    // Undo Single takes back the whole of the last dab, which spans both materials.
    board.Stroke(30, {{100, 50}});
    ASSERT_TRUE(layers() != afterSecond);
    ASSERT_TRUE(scene.undoBuffer.Undo(scene, true));
    EXPECT_TRUE(layers() == afterSecond);
}

TEST(ProjectedStroke, UndoAfterTheRingWrapsRedoesToTheSameBytes)
{
    Board board(120, 120);
    Scene& scene = board.scene;
    scene.undo.enabled = true;
    ASSERT_TRUE(scene.undoBuffer.Allocate(200000));
    board.values.foreground = 0x80102030u;
    std::vector<std::pair<int, int>> points{{10, 10}};
    for (int k = 1; k <= 12; ++k)
        points.emplace_back(10 + 8 * k, k % 2 ? 100 : 20);
    points.emplace_back(106, 20);
    board.Stroke(50, points);
    const auto painted = LayerBytes(scene);
    // The stroke's early records were overwritten: undo takes back what the ring holds.
    ASSERT_TRUE(scene.undoBuffer.Undo(scene, false));
    EXPECT_FALSE(scene.undoBuffer.undoAvailable());
    EXPECT_TRUE(LayerBytes(scene) != painted);
    ASSERT_TRUE(scene.undoBuffer.Redo(scene));
    EXPECT_TRUE(LayerBytes(scene) == painted);
}

TEST(ProjectedStroke, TheEraserProjectsToo)
{
    Sample sample(400, 300);
    ASSERT_EQ(NewLayer(sample.scene.materials[1], MapType::Colour, sample.ui), LayerEdit::Changed);
    const auto withLayer = LayerBytes(sample.scene);
    sample.Stroke(50, {{180, 140}, {220, 150}});
    ASSERT_TRUE(LayerBytes(sample.scene) != withLayer);
    sample.scene.paintTool = PaintTool::Eraser;
    sample.values.foreground = 0xFF000000u;
    // Erasing the same path with a hard, larger head thins the paint layer's alpha as far as
    // the eraser goes (a share of it is taken off, so 1 stays where there was paint).
    sample.brush.head.fill(255);
    sample.Stroke(80, {{180, 140}, {220, 150}});
    const Layer& layer = sample.scene.materials[1].stack(MapType::Colour)[2];
    for (int y = 0; y < layer.alpha.height(); ++y)
        for (int x = 0; x < layer.alpha.width(); ++x)
            ASSERT_LE(layer.alpha.row(y)[x], 1) << x << "," << y;
}

TEST(DabSpacer, LaysDabsEverySpacingAlongThePathCarryingTheRemainder)
{
    DabSpacer spacer(10.0);
    spacer.Start({0, 0, 0});
    EXPECT_TRUE(spacer.MoveTo({6, 0, 60}).empty());
    const auto dabs = spacer.MoveTo({6, 28, 60});  // 34 along the path: dabs at 10, 20, 30
    ASSERT_EQ(dabs.size(), 3u);
    EXPECT_FLOAT_EQ(dabs[0].x, 6);
    EXPECT_FLOAT_EQ(dabs[0].y, 4);
    EXPECT_FLOAT_EQ(dabs[2].y, 24);
    // Pressure runs linearly between the events' values.
    DabSpacer pressed(5.0);
    pressed.Start({0, 0, 0});
    const auto ramp = pressed.MoveTo({20, 0, 100});
    ASSERT_EQ(ramp.size(), 4u);
    EXPECT_EQ(*ramp[0].pressure, 25);
    EXPECT_EQ(*ramp[3].pressure, 100);
}

} // namespace
} // namespace gessoria::test
