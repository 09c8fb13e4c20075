// The Eraser's footprint: every map type toward its clean value, alpha on paint layers; and
// how the brush head lies on the texture under the Eraser and the ordinary paint alike.

#include "paint/PaintFootprint.h"
#include "paint/SurfaceTools.h"
#include "scene/LayerOperations.h"
#include "scene/Material.h"
#include "support/PaintingState.h"
#include "support/RecordingInteraction.h"
#include "support/SceneBuilder.h"

#include <gtest/gtest.h>

namespace gessoria::test {
namespace {

constexpr EraserSwitches kAll{true, true, true, true, true};

std::uint8_t Value(const Material& m, MapType type, int k, int x, int y, int channel = 0)
{
    return m.stack(type)[k].image.row(y)[IsColourType(type) ? x * 3 + channel : x];
}

std::uint8_t Alpha(const Material& m, MapType type, int k, int x, int y) { return m.stack(type)[k].alpha.row(y)[x]; }

TEST(Eraser, EveryMapTypeMovesTowardItsCleanValue)
{
    RecordingInteraction ui;
    Material m = MakeLayeredMaterial(64, 64, 101, 30, 200, 0);
    const std::uint8_t painted[kMapTypeCount] = {0, 40, 99, 101, 77};  // by storage order; Colour aside
    for (const MapType type : kAllMapTypes) {
        NewLayer(m, type, ui);
        Layer& layer = m.stack(type)[2];
        layer.alpha.Fill(200);
        if (IsColourType(type)) {
            for (int y = 0; y < 64; ++y)
                for (int x = 0; x < 64; ++x) {
                    layer.image.row(y)[x * 3] = 101;
                    layer.image.row(y)[x * 3 + 1] = 30;
                    layer.image.row(y)[x * 3 + 2] = 200;
                }
        } else {
            layer.image.Fill(painted[StorageIndex(type)]);
        }
    }
    m.stack(MapType::Bump)[2].image.row(32)[33] = 201;         // above the clean 128
    m.stack(MapType::SelfIllum)[2].alpha.row(32)[34] = 0;      // never painted: cleaned outright
    const CDIB composite = m.stack(MapType::Colour)[0].image;
    Painting erasing;
    erasing.brush.head.fill(128);  // with strength 255: G = 256 x 128 = 32768, half of full
    erasing.values.foreground = 0xFF000000;
    erasing.values.background = 0xFF1E140A;  // blue 30, green 20, red 10
    ASSERT_TRUE(EraseFootprint(m, erasing.Context(PaintTool::Eraser), kAll, 1, 32768, 32768).has_value());

    // Colour toward the background: c + (G (bg - c) >> 16), flooring.
    EXPECT_EQ(Value(m, MapType::Colour, 2, 32, 32, 0), 101 - 36);  // toward blue 30: + floor(-35.5)
    EXPECT_EQ(Value(m, MapType::Colour, 2, 32, 32, 1), 30 - 5);    // toward green 20
    EXPECT_EQ(Value(m, MapType::Colour, 2, 32, 32, 2), 200 - 95);  // toward red 10
    // Self Illumination and Shininess: v - (G v >> 16), the share taken rounded down.
    EXPECT_EQ(Value(m, MapType::SelfIllum, 2, 32, 32), 101 - 50);
    EXPECT_EQ(Value(m, MapType::Shininess, 2, 32, 32), 77 - 38);
    EXPECT_EQ(Value(m, MapType::SelfIllum, 2, 34, 32), 0);
    // Bump toward 128 from either side, Opacity toward 255.
    EXPECT_EQ(Value(m, MapType::Bump, 2, 32, 32), 40 + 44);
    EXPECT_EQ(Value(m, MapType::Bump, 2, 33, 32), 201 - 37);
    EXPECT_EQ(Value(m, MapType::Opacity, 2, 32, 32), 99 + 78);
    // A paint layer's alpha thins by the same share; layer 0 is left to the composite.
    for (const MapType type : kAllMapTypes)
        EXPECT_EQ(Alpha(m, type, 2, 32, 32), 100) << StorageIndex(type);
    EXPECT_EQ(Alpha(m, MapType::SelfIllum, 2, 34, 32), 0);
    EXPECT_EQ(m.stack(MapType::Colour)[0].image.row(32)[32 * 3], composite.row(32)[32 * 3]);

    // On the Base Layer the alpha stays.
    for (const MapType type : kAllMapTypes)
        m.setCurrent(type, 1);
    EraseFootprint(m, erasing.Context(PaintTool::Eraser), kAll, 1, 32768, 32768);
    for (const MapType type : kAllMapTypes)
        EXPECT_EQ(Alpha(m, type, 1, 32, 32), 255) << StorageIndex(type);
    EXPECT_EQ(Value(m, MapType::Shininess, 1, 32, 32), 0);  // the base was 0 already
}

TEST(BrushHead, LiesOnTheTextureAsTheBrushDrawsIt)
{
    // One cell of the head, row 2 and column 5: it lands 13 rows below and 10 columns left of
    // the dab's texel (head row 15 - i covers row offset i, head column 15 + j offset j), for
    // paint and eraser alike.
    for (const bool erase : {false, true}) {
        Material m = MakeLayeredMaterial(64, 64, 100, 100, 100, 100);
        Painting painting;
        painting.brush.head.fill(0);
        painting.brush.head[2 * kHeadSize + 5] = 255;
        painting.values.foreground = 0xFFFFFFFF;
        painting.values.background = 0xFF000000;
        const auto changed = erase ? EraseFootprint(m, painting.Context(PaintTool::Eraser), kAll, 1, 32768, 32768)
                                   : LayPaintFootprint(m, painting.Context(), 1, 32768, 32768);
        ASSERT_TRUE(changed.has_value());
        EXPECT_EQ(changed->x0, 32 - 10);
        EXPECT_EQ(changed->y1, 32 + 13);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                EXPECT_EQ(Value(m, MapType::Colour, 1, x, y) != 100, x == 22 && y == 45) << erase << " " << x << "," << y;
    }
}

} // namespace
} // namespace gessoria::test
