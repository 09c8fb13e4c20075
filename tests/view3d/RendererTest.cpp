// Pixels of the render levels on tiny scenes whose every pixel is known.

#include "scene/Compositing.h"
#include "support/RecordingInteraction.h"
#include "support/SceneBuilder.h"
#include "view3d/Renderer.h"

#include <gtest/gtest.h>

#include <set>

namespace gessoria::test {
namespace {

constexpr int kWidth = 12, kHeight = 8;

struct Pixel {
    int b, g, r;
    bool operator==(const Pixel&) const = default;
};

Pixel At(const ViewFrame& frame, int x, int y)
{
    const std::uint8_t* p = frame.image().row(y) + x * 3;
    return {p[0], p[1], p[2]};
}

Scene ScreenScene(const std::vector<std::array<int, 9>>& faces, RecordingInteraction& ui)
{
    return MakeScreenScene(faces, kWidth, kHeight, ui);
}

ViewFrame Render(Scene& s, int level, const LightingSettings& lighting = {65536, 0}, bool twoSided = false)
{
    ViewFrame frame;
    EXPECT_TRUE(frame.Create(kWidth, kHeight));
    Renderer renderer;
    renderer.RenderScene(s, frame, RenderOptions{level, twoSided, false}, lighting);
    return frame;
}

std::set<std::pair<int, int>> Covered(const ViewFrame& frame, std::uint8_t background)
{
    std::set<std::pair<int, int>> covered;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (At(frame, x, y) != Pixel{background, background, background})
                covered.insert({x, y});
    return covered;
}

TEST(Renderer, OneTriangleAtIntegerCornersFillsExactlyItsPixels)
{
    RecordingInteraction ui;
    Scene s = ScreenScene({{1, 1, 10, 1, 5, 10, 5, 1, 10}}, ui);
    LightingSettings lighting{65536, 0};
    lighting.backgroundColour = 20;
    const ViewFrame frame = Render(s, 1, lighting);
    const std::set<std::pair<int, int>> expected = {{1, 1}, {2, 1}, {3, 1}, {4, 1}, {1, 2}, {2, 2},
                                                    {3, 2}, {1, 3}, {2, 3}, {1, 4}};
    EXPECT_EQ(Covered(frame, 20), expected);
    EXPECT_EQ(At(frame, 1, 1), (Pixel{255, 255, 255}));  // white "Default" at full light
    EXPECT_EQ(frame.Depth(2, 2), 10);
    EXPECT_EQ(frame.Depth(5, 5), ViewFrame::kFarthest);
}

TEST(Renderer, BackFacesAndZeroHeightFacesAreSkippedUnlessTwoSided)
{
    RecordingInteraction ui;
    Scene s = ScreenScene({{1, 1, 0, 5, 1, 0, 1, 5, 0}, {1, 6, 0, 9, 6, 0, 5, 6, 0}}, ui);
    EXPECT_TRUE(Covered(Render(s, 2), 144).empty());
    EXPECT_EQ(Covered(Render(s, 2, {65536, 0}, true), 144).size(), 10u);
}

TEST(Renderer, EqualDepthKeepsTheFirstFaceAndNearerWins)
{
    RecordingInteraction ui;
    Scene s = ScreenScene({{1, 1, 10, 1, 5, 10, 5, 1, 10}, {1, 1, 10, 1, 5, 10, 5, 1, 10}, {2, 1, 11, 2, 3, 11, 4, 1, 11}}, ui);
    s.materialCount = 3;
    s.materials.resize(4);
    s.materials[1].colour = 0xFF0000;
    s.materials[2].colour = 0x0000FF;
    s.materials[3].colour = 0x00FF00;
    s.faceMaterial = {1, 2, 3};
    const ViewFrame frame = Render(s, 1);
    EXPECT_EQ(At(frame, 1, 3), (Pixel{0, 0, 255}));  // red, drawn first
    EXPECT_EQ(At(frame, 2, 1), (Pixel{0, 255, 0}));  // green, nearer
    EXPECT_EQ(frame.Depth(2, 1), 11);
}

TEST(Renderer, FacesOnTheViewBorderStopInsideTheFrame)
{
    RecordingInteraction ui;
    // Corners on column kWidth and row kHeight: the last column and row drawn are kWidth-1, kHeight-1.
    Scene s = ScreenScene({{0, 0, 0, 0, kHeight, 0, kWidth, 0, 0}, {kWidth, 0, 0, 0, kHeight, 0, kWidth, kHeight, 0}}, ui);
    const ViewFrame frame = Render(s, 1);
    EXPECT_EQ(Covered(frame, 144).size(), static_cast<std::size_t>(kWidth * kHeight));
}

Material StripMaterial(int width)
{
    // Texel column i has blue 10 i, green 0, red 100; bump 128 and self illumination 0.
    Material m = MakeLayeredMaterial(width, 2, 0, 0, 100, 128);
    m.stack(MapType::SelfIllum)[1].image.Fill(0);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < width; ++x)
            m.stack(MapType::Colour)[1].image.row(y)[x * 3] = static_cast<std::uint8_t>(10 * x);
    CompositeAll(m);
    return m;
}

Scene TexturedStrip(RecordingInteraction& ui, std::uint16_t flags, std::array<std::int32_t, 3> u)
{
    Scene s = ScreenScene({{0, 0, 5, 0, 4, 5, 10, 0, 5}}, ui);
    s.materialCount = 1;
    s.materials.resize(2);
    s.materials[1] = StripMaterial(20);
    s.faceMaterial[0] = 1;
    s.faceFlags[0] = flags;
    s.faceU0[0] = u[0];
    s.faceU1[0] = u[1];
    s.faceU2[0] = u[2];
    return s;
}

TEST(Renderer, SeamFacesWrapOnlyWhenMarked)
{
    RecordingInteraction ui;
    const std::array<std::int32_t, 3> u = {6553, 62259, 58982};  // 0.1, 0.95, 0.9
    Scene plain = TexturedStrip(ui, 7, u);
    Scene seam = TexturedStrip(ui, 7 | 8, u);
    const ViewFrame across = Render(plain, 2);
    const ViewFrame wrapped = Render(seam, 2);
    // Half way along the top row: without the mark the texture stretches over the map's
    // middle; with it, corner A's 0.1 becomes 1.1 and the face shows the texels by the seam.
    const int plainColumn = At(across, 5, 0).b / 10, seamColumn = At(wrapped, 5, 0).b / 10;
    EXPECT_GE(plainColumn, 6);
    EXPECT_LE(plainColumn, 14);
    EXPECT_TRUE(seamColumn >= 18 || seamColumn <= 2) << seamColumn;
    EXPECT_EQ(plain.faceDrawn[0], 1);
}

TEST(Renderer, SelfIlluminationShowsThroughDarkness)
{
    RecordingInteraction ui;
    Scene s = TexturedStrip(ui, 7, {0, 0, 0});  // every pixel samples texel column 0 (blue 0, red 100)
    Material& m = s.materials[1];
    m.stack(MapType::SelfIllum)[1].image.Fill(255);
    CompositeAll(m);
    const ViewFrame lit = Render(s, 3, {0, 0});
    EXPECT_EQ(At(lit, 1, 1), (Pixel{0, 0, (100 * 65280) >> 16}));
    m.stack(MapType::SelfIllum)[1].image.Fill(0);
    CompositeAll(m);
    EXPECT_EQ(At(Render(s, 3, {0, 0}), 1, 1), (Pixel{0, 0, 0}));
}

TEST(Renderer, FlatBumpMatchesSmoothShadingAndAStepShadesOneColumn)
{
    RecordingInteraction ui;
    Scene s = TexturedStrip(ui, 7, {0, 65536 / 2, 65536});
    s.faceV1[0] = 65536 / 2;
    const LightingSettings light{12288, 53248};
    const ViewFrame smooth = Render(s, 3, light);
    const ViewFrame bumped = Render(s, 4, light);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            ASSERT_EQ(At(smooth, x, y), At(bumped, x, y)) << x << "," << y;

    // A raised column of the bump map changes the light on that column and its right-hand
    // neighbour (which compares with the texel to its left), nowhere else.
    Material& m = s.materials[1];
    for (int y = 0; y < 2; ++y)
        m.stack(MapType::Bump)[1].image.row(y)[10] = 200;
    CompositeAll(m);
    const ViewFrame stepped = Render(s, 4, light);
    std::set<int> changedColumns;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (At(stepped, x, y) != At(bumped, x, y))
                changedColumns.insert(At(bumped, x, y).b / 10);
    EXPECT_FALSE(changedColumns.empty());
    for (const int column : changedColumns)
        EXPECT_TRUE(column == 10 || column == 11) << column;
}

TEST(Renderer, OnlyTexturedLevelsMakeTexturedFacesPickable)
{
    RecordingInteraction ui;
    Scene s = ScreenScene({{0, 0, 0, 0, 4, 0, 4, 0, 0}, {5, 0, 0, 5, 4, 0, 9, 0, 0}}, ui);
    s.materialCount = 1;
    s.materials.resize(2);
    s.materials[1] = StripMaterial(4);
    s.faceMaterial = {1, 0};
    for (int level = 0; level <= 4; ++level) {
        Render(s, level);
        EXPECT_EQ(s.faceDrawn[0], level >= 2 ? 1 : 0) << level;
        EXPECT_EQ(s.faceDrawn[1], 0) << level;
    }
}

TEST(Renderer, WireFrameInkFollowsTheBackdrop)
{
    RecordingInteraction ui;
    Scene s = ScreenScene({{1, 1, 0, 1, 6, 0, 8, 1, 0}}, ui);
    LightingSettings lighting;
    lighting.backgroundColour = 127;
    const ViewFrame white = Render(s, 0, lighting);
    EXPECT_EQ(At(white, 1, 3), (Pixel{255, 255, 255}));  // on edge A-B
    EXPECT_EQ(At(white, 3, 3), (Pixel{127, 127, 127}));
    lighting.backgroundColour = 128;
    EXPECT_EQ(At(Render(s, 0, lighting), 1, 3), (Pixel{0, 0, 0}));
}

TEST(Renderer, WireFrameDrawsTheMarkedEdgesAndFastDrawOnlyTheFirst)
{
    RecordingInteraction ui;
    // A on (1, 1), B on (1, 6), C on (8, 1): pixel (1, 3) lies only on edge A-B, (3, 5) only
    // on B-C and (5, 1) only on C-A.
    Scene s = ScreenScene({{1, 1, 0, 1, 6, 0, 8, 1, 0}, {9, 6, 0, 9, 7, 0, 10, 6, 0}}, ui);
    LightingSettings lighting;
    lighting.backgroundColour = 0;
    auto edges = [&](std::uint16_t flags, bool fastDraw) {
        s.faceFlags[0] = flags;
        ViewFrame frame;
        EXPECT_TRUE(frame.Create(kWidth, kHeight));
        Renderer().RenderScene(s, frame, RenderOptions{0, false, fastDraw}, lighting);
        return std::array<bool, 3>{At(frame, 1, 3).b == 255, At(frame, 3, 5).b == 255, At(frame, 5, 1).b == 255};
    };
    EXPECT_EQ(edges(7, false), (std::array<bool, 3>{true, true, true}));
    EXPECT_EQ(edges(3, false), (std::array<bool, 3>{false, true, true}));
    EXPECT_EQ(edges(4, false), (std::array<bool, 3>{true, false, false}));
    EXPECT_EQ(edges(7, true), (std::array<bool, 3>{true, false, false}));
    EXPECT_EQ(edges(3, true), (std::array<bool, 3>{false, false, false}));
    // The object's other face marks its edges, so a face without marks shows none ...
    EXPECT_EQ(edges(0, false), (std::array<bool, 3>{false, false, false}));
    // ... but an object none of whose faces marks an edge shows them all.
    s.faceFlags[1] = 0;
    EXPECT_EQ(edges(0, false), (std::array<bool, 3>{true, true, true}));
    EXPECT_EQ(edges(0, true), (std::array<bool, 3>{true, false, false}));
}

TEST(Renderer, LevelsOutsideTheRangeDrawLikeFlatShaded)
{
    RecordingInteraction ui;
    Scene s = TexturedStrip(ui, 7, {0, 65536 / 2, 65536});
    const LightingSettings light{12288, 53248};
    const ViewFrame flat = Render(s, 1, light);
    for (const int level : {-128, -1, 5, 127}) {
        const ViewFrame odd = Render(s, level, light);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                ASSERT_EQ(At(odd, x, y), At(flat, x, y)) << level << " at " << x << "," << y;
        EXPECT_EQ(s.faceDrawn[0], 0) << level;
    }
    EXPECT_EQ(EffectiveRenderLevel(-1), 1);
    EXPECT_EQ(EffectiveRenderLevel(4), 4);
    EXPECT_STREQ(RenderLevelLabel(200), "Flat Shaded");
}

} // namespace
} // namespace gessoria::test
