// Producing layer stacks from loaded map bitmaps.

#include "scene/LayerProduction.h"
#include "scene/Scene.h"
#include "support/RecordingInteraction.h"

#include <gtest/gtest.h>

namespace gessoria::test {
namespace {

// A map bitmap whose texel (x, y) is (x, y, x + y) in B, G, R.
std::unique_ptr<CDIB> Ramp(int width, int height)
{
    auto bitmap = std::make_unique<CDIB>();
    bitmap->Create24(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = bitmap->row(y) + x * 3;
            p[0] = static_cast<std::uint8_t>(x);
            p[1] = static_cast<std::uint8_t>(y);
            p[2] = static_cast<std::uint8_t>(x + y);
        }
    return bitmap;
}

void Give(Material& m, int slot, std::unique_ptr<CDIB> bitmap, bool mask = false)
{
    MapRef& ref = mask ? m.mapSlots[static_cast<std::size_t>(slot)].mask : m.mapSlots[static_cast<std::size_t>(slot)].map;
    ref.fileName = "MAP.TGA";
    ref.bitmap = std::move(bitmap);
    ref.loaded = 1;
}

Scene SceneWithMaterials(int count)
{
    Scene s;
    s.materialCount = count;
    s.materials.resize(static_cast<std::size_t>(count) + 1);
    s.materials[1].name = "Brick";
    return s;
}

TEST(LayerProduction, DifferentSizesAskForTheSizeAndTileAsChosen)
{
    Scene s = SceneWithMaterials(1);
    Material& m = s.materials[1];
    Give(m, kSlotTexture1, Ramp(256, 128));
    Give(m, kSlotBump, Ramp(64, 64));
    RecordingInteraction ui;
    TextureMapSizeAnswer answer;
    answer.x = 256;
    answer.y = 128;
    answer.fitting.fill(MapFitting::Scale);
    answer.fitting[StorageIndex(MapType::Bump)] = MapFitting::Tile;
    ui.textureMapSize.push_back(answer);

    ASSERT_EQ(ProduceLayers(s, ui), 0);
    ASSERT_EQ(ui.textureMapSizeRequests.size(), 1u);
    EXPECT_EQ(ui.textureMapSizeRequests[0].x, 256);
    EXPECT_EQ(ui.textureMapSizeRequests[0].y, 128);
    EXPECT_EQ(m.mapWidth, 256);
    EXPECT_EQ(m.mapHeight, 128);
    const LayerStack& bump = m.stack(MapType::Bump);
    ASSERT_EQ(bump.count(), 2);
    EXPECT_EQ(bump[1].name, "Bump Base Layer");
    // Tiled 4 x 2 times: texel (x, y) is the grey of the ramp at (x % 64, y % 64).
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{70, 3}, std::pair{255, 127}, std::pair{130, 100}}) {
        const int gx = x % 64, gy = y % 64;
        EXPECT_EQ(bump[1].image.row(y)[x], (gx + gy + (gx + gy)) / 3) << x << "," << y;
    }
    EXPECT_EQ(bump[1].alpha.row(5)[5], 255);
    EXPECT_EQ(m.current(MapType::Bump), 1);
    // The colour map had the chosen size already: scaled 1:1 it is copied exactly.
    const LayerStack& colour = m.stack(MapType::Colour);
    EXPECT_EQ(colour[1].name, "Colour Base Layer");
    EXPECT_EQ(colour[0].image.row(100)[200 * 3 + 2], static_cast<std::uint8_t>(300));
    EXPECT_EQ(colour[1].image.row(100)[200 * 3 + 1], 100);
    // Types without a map: Renderer Layer only, filled with the type's value.
    EXPECT_EQ(m.stack(MapType::Opacity).count(), 1);
    EXPECT_EQ(m.stack(MapType::Opacity)[0].image.row(0)[0], 255);
    EXPECT_EQ(m.stack(MapType::SelfIllum)[0].image.row(0)[0], 0);
    // Map bitmaps are gone once the layers exist.
    EXPECT_EQ(m.mapSlots[kSlotTexture1].map.bitmap, nullptr);
    EXPECT_EQ(m.mapSlots[kSlotBump].map.bitmap, nullptr);
    EXPECT_EQ(m.hasLayers, 1);
}

TEST(LayerProduction, EqualSizesNeverAskAndScaleDownWithAGoodFilter)
{
    Scene s = SceneWithMaterials(1);
    Material& m = s.materials[1];
    Give(m, kSlotTexture1, Ramp(8, 8));
    Give(m, kSlotShininess, Ramp(8, 8));
    Give(m, kSlotTexture2, Ramp(8, 8));
    RecordingInteraction ui;
    ASSERT_EQ(ProduceLayers(s, ui), 0);
    EXPECT_TRUE(ui.textureMapSizeRequests.empty());
    EXPECT_EQ(m.stack(MapType::Shininess)[1].image.row(7)[7], (7 + 7 + 14) / 3);

    // A flat map scaled down stays flat: no ringing or black edges from the resampler.
    auto flat = std::make_unique<CDIB>();
    flat->Create24(100, 60);
    flat->Fill24(40, 80, 120);
    CDIB target;
    target.Create24(33, 17);
    DrawFitted(*flat, target, MapFitting::Scale);
    for (int y = 0; y < 17; ++y)
        for (int x = 0; x < 33; ++x)
            ASSERT_EQ(target.row(y)[x * 3 + 1], 80) << x << "," << y;
}

TEST(LayerProduction, DecalIsCentredOnceAtItsOwnSize)
{
    CDIB map;
    map.Create24(2, 2);
    map.Fill24(9, 9, 9);
    CDIB target;
    target.Create24(6, 4);
    DrawFitted(map, target, MapFitting::Decal);
    // Offset (6/2 - 2/2, 4/2 - 2/2) = (2, 1).
    EXPECT_EQ(target.row(1)[2 * 3], 9);
    EXPECT_EQ(target.row(2)[3 * 3], 9);
    EXPECT_EQ(target.row(0)[2 * 3], 0);
    EXPECT_EQ(target.row(1)[4 * 3], 0);
}

TEST(LayerProduction, MaterialWithoutBitmapAsksBitmapTexture)
{
    Scene s = SceneWithMaterials(3);
    s.materials[1].colour = 0x102030;
    s.materials[2].colour = 0x405060;
    RecordingInteraction ui;
    ui.bitmapTexture.push_back(BitmapTextureAnswer{BitmapTextureChoice::GenerateFromDiffuse, -20, 10});
    ui.bitmapTexture.push_back(BitmapTextureAnswer{BitmapTextureChoice::UseDiffuseForRendering, 300, 300});
    ui.bitmapTexture.push_back(std::nullopt);

    EXPECT_EQ(ProduceLayers(s, ui), kProductionCancelled);
    const Material& generated = s.materials[1];
    EXPECT_EQ(generated.hasLayers, 1);
    EXPECT_EQ(generated.mapWidth, 20);
    EXPECT_EQ(generated.mapHeight, 10);
    const LayerStack& colour = generated.stack(MapType::Colour);
    ASSERT_EQ(colour.count(), 2);
    EXPECT_EQ(colour[1].name, "Paint Base Layer");
    for (int layer = 0; layer < 2; ++layer) {
        EXPECT_EQ(colour[layer].image.row(9)[19 * 3 + 0], 0x30);
        EXPECT_EQ(colour[layer].image.row(9)[19 * 3 + 1], 0x20);
        EXPECT_EQ(colour[layer].image.row(9)[19 * 3 + 2], 0x10);
    }
    EXPECT_EQ(generated.stack(MapType::Bump)[0].image.row(0)[0], 128);

    EXPECT_EQ(s.materials[2].hasLayers, 0);
    EXPECT_EQ(s.materials[2].stack(MapType::Colour).count(), 0);
    EXPECT_EQ(s.materials[3].hasLayers, 0);  // cancelled here
}

TEST(LayerProduction, MaskWithoutAnyMapIsTreatedAsNoBitmap)
{
    Scene s = SceneWithMaterials(1);
    Give(s.materials[1], kSlotBump, Ramp(4, 4), /*mask=*/true);
    RecordingInteraction ui;
    ASSERT_EQ(ProduceLayers(s, ui), 0);
    EXPECT_EQ(ui.Texts(Shown::Kind::BitmapTexture), std::vector<std::string>{"Brick"});
    EXPECT_EQ(s.materials[1].mapWidth, 300);
}

} // namespace
} // namespace gessoria::test
