// Compositing and the Layers panel operations.

#include "scene/Compositing.h"
#include "scene/LayerOperations.h"
#include "scene/Material.h"
#include "support/RecordingInteraction.h"
#include "support/SceneBuilder.h"

#include <gtest/gtest.h>

namespace gessoria::test {
namespace {

std::uint8_t Texel(const Material& m, MapType type, int layer, int x, int y, int channel = 0)
{
    const CDIB& image = m.stack(type)[layer].image;
    return image.row(y)[x * image.bytesPerPixel() + channel];
}

TEST(Compositing, AlphaBlendRoundsTowardMinusInfinity)
{
    Material m = MakeLayeredMaterial(4, 4, 10, 20, 30, 100);
    RecordingInteraction ui;
    ASSERT_EQ(NewLayer(m, MapType::Colour, ui), LayerEdit::Changed);
    CompositeAll(m);
    // A black layer with alpha 0 still moves each non-zero channel down by one.
    EXPECT_EQ(Texel(m, MapType::Colour, 0, 1, 1, 0), 9);
    EXPECT_EQ(Texel(m, MapType::Colour, 0, 1, 1, 2), 29);

    // Alpha 255 replaces exactly; alpha 127 blends by (diff * 128) >> 8.
    Layer& top = m.stack(MapType::Colour)[2];
    top.image.row(2)[2 * 3] = 200;
    top.alpha.row(2)[2] = 255;
    top.image.row(3)[3 * 3] = 0;
    top.alpha.row(3)[3] = 127;
    CompositeRegion(m, {2, 3, 2, 3});
    EXPECT_EQ(Texel(m, MapType::Colour, 0, 2, 2, 0), 200);
    EXPECT_EQ(Texel(m, MapType::Colour, 0, 3, 3, 0), 10 + ((0 - 10) * 128 >> 8));  // 5
}

TEST(Compositing, RectanglesWrapAroundTheMapEdges)
{
    Material m = MakeLayeredMaterial(4, 4, 0, 0, 0, 50);
    Layer& base = m.stack(MapType::Bump)[1];
    base.image.Fill(90);  // changed without compositing yet
    CompositeRegion(m, {3, 4, -1, 0});  // columns 3 and 0, rows 3 and 0
    EXPECT_EQ(Texel(m, MapType::Bump, 0, 3, 3), 90);
    EXPECT_EQ(Texel(m, MapType::Bump, 0, 0, 0), 90);
    EXPECT_EQ(Texel(m, MapType::Bump, 0, 3, 0), 90);
    EXPECT_EQ(Texel(m, MapType::Bump, 0, 1, 1), 50);
    EXPECT_EQ(Texel(m, MapType::Bump, 0, 2, 3), 50);
}

TEST(Compositing, CurrentLayerOnlyShowsTheSelectedLayerAlone)
{
    Material m = MakeLayeredMaterial(2, 2, 10, 20, 30, 100);
    SetCurrentLayerOnly(m, MapType::Bump, true);
    // An 8-bit layer shows as grey in the Colour Renderer Layer; the other types go to 0.
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(Texel(m, MapType::Colour, 0, 0, 0, c), (100 * 256) >> 8);
    EXPECT_EQ(Texel(m, MapType::Bump, 0, 0, 0), 0);
    EXPECT_EQ(Texel(m, MapType::Opacity, 0, 1, 1), 0);

    SetCurrentLayerOnly(m, MapType::Bump, false);
    EXPECT_EQ(Texel(m, MapType::Colour, 0, 0, 0, 2), 30);
    EXPECT_EQ(Texel(m, MapType::Bump, 0, 0, 0), 100);
}

TEST(LayerOperations, NewLayerNamesFillsAndLimits)
{
    Material m = MakeLayeredMaterial(2, 2, 1, 2, 3, 4);
    RecordingInteraction ui;
    ui.texts.push_back(std::string("Highlights"));
    ASSERT_EQ(NewLayer(m, MapType::Bump, ui), LayerEdit::Changed);
    EXPECT_EQ(ui.shown.back().title, "New Layer Name");
    EXPECT_EQ(ui.shown.back().text, "New Bump Layer");
    const LayerStack& bump = m.stack(MapType::Bump);
    ASSERT_EQ(bump.count(), 3);
    EXPECT_EQ(bump[2].name, "Highlights");
    EXPECT_EQ(bump[2].image.row(1)[1], 128);
    EXPECT_EQ(bump[2].alpha.row(1)[1], 0);
    EXPECT_EQ(m.current(MapType::Bump), 2);

    ui.texts.push_back(std::nullopt);  // cancelled
    EXPECT_EQ(NewLayer(m, MapType::Bump, ui), LayerEdit::Unchanged);
    EXPECT_EQ(bump.count(), 3);

    while (m.stack(MapType::Bump).count() < LayerStack::kMaxLayers)
        NewLayer(m, MapType::Bump, ui);
    ui.shown.clear();
    EXPECT_EQ(NewLayer(m, MapType::Bump, ui), LayerEdit::Unchanged);
    EXPECT_EQ(ui.Dialogs(), std::vector<std::string>{"Can't create more than 20 layers."});
    EXPECT_EQ(m.stack(MapType::Bump).count(), 20);
}

TEST(LayerOperations, NewBaseLayerIsOpaque)
{
    Material m = MakeLayeredMaterial(2, 2, 1, 2, 3, 4);
    m.stack(MapType::Opacity).layers.resize(1);
    m.setCurrent(MapType::Opacity, 0);
    RecordingInteraction ui;
    NewLayer(m, MapType::Opacity, ui);
    EXPECT_EQ(m.stack(MapType::Opacity)[1].alpha.row(0)[0], 255);
    EXPECT_EQ(m.stack(MapType::Opacity)[1].image.row(0)[0], 255);
}

TEST(LayerOperations, DeleteAsksRefusesTheRendererLayerAndRecomposites)
{
    Material m = MakeLayeredMaterial(2, 2, 1, 2, 3, 40);
    RecordingInteraction ui;
    m.setCurrent(MapType::Bump, 0);
    EXPECT_EQ(DeleteLayer(m, MapType::Bump, ui), LayerEdit::Unchanged);
    EXPECT_EQ(ui.Dialogs(), std::vector<std::string>{"Can't delete Renderer layer"});

    m.setCurrent(MapType::Bump, 1);
    ui.shown.clear();
    ui.yesNo.push_back(false);
    EXPECT_EQ(DeleteLayer(m, MapType::Bump, ui), LayerEdit::Unchanged);
    EXPECT_EQ(ui.Dialogs(), std::vector<std::string>{"Do you really want to delete this layer?"});
    EXPECT_EQ(m.stack(MapType::Bump).count(), 2);

    ui.yesNo.push_back(true);
    m.currentLayerOnly = 1;
    EXPECT_EQ(DeleteLayer(m, MapType::Bump, ui), LayerEdit::Changed);
    EXPECT_EQ(m.stack(MapType::Bump).count(), 1);
    EXPECT_EQ(m.current(MapType::Bump), 0);
    EXPECT_EQ(m.currentLayerOnly, 0);
    // Only the Renderer Layer is left: the composite shows the start value.
    EXPECT_EQ(Texel(m, MapType::Bump, 0, 1, 1), 128);
}

TEST(LayerOperations, PromoteAndDemoteSwapNeighboursWithinLimits)
{
    Material m = MakeLayeredMaterial(2, 2, 1, 2, 3, 40);
    RecordingInteraction ui;
    ui.texts = {std::string("A"), std::string("B")};
    NewLayer(m, MapType::Colour, ui);
    NewLayer(m, MapType::Colour, ui);
    ui.shown.clear();

    EXPECT_EQ(DemoteLayer(m, MapType::Colour, ui), LayerEdit::Unchanged);  // top layer
    m.setCurrent(MapType::Colour, 1);
    EXPECT_EQ(PromoteLayer(m, MapType::Colour, ui), LayerEdit::Unchanged);  // layer 1
    m.setCurrent(MapType::Colour, 0);
    EXPECT_EQ(DemoteLayer(m, MapType::Colour, ui), LayerEdit::Unchanged);
    EXPECT_EQ(ui.Dialogs(), (std::vector<std::string>{"Can't demote Renderer layer, or Top Layer",
                                                      "Can't promote Renderer layer, or Layer 1",
                                                      "Can't demote Renderer layer, or Top Layer"}));

    m.setCurrent(MapType::Colour, 3);
    EXPECT_EQ(PromoteLayer(m, MapType::Colour, ui), LayerEdit::Changed);
    EXPECT_EQ(m.stack(MapType::Colour)[2].name, "B");
    EXPECT_EQ(m.stack(MapType::Colour)[3].name, "A");
    EXPECT_EQ(m.current(MapType::Colour), 2);
    EXPECT_EQ(DemoteLayer(m, MapType::Colour, ui), LayerEdit::Changed);
    EXPECT_EQ(m.stack(MapType::Colour)[3].name, "B");
    EXPECT_EQ(m.current(MapType::Colour), 3);

    const auto list = LayerListEntries(m, MapType::Colour);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list.front().name, "B");
    EXPECT_EQ(list[2].name, "Colour Base Layer");
    EXPECT_EQ(list.back().name, "Renderer Layer (View Only)");
    EXPECT_EQ(list.back().layerIndex, 0);
}

TEST(LayerOperations, CollapseKeepsTheCompositeInLayerOne)
{
    Material m = MakeLayeredMaterial(2, 2, 100, 100, 100, 40);
    RecordingInteraction ui;
    // Collapse on two layers does nothing.
    EXPECT_EQ(CollapseAll(m, MapType::Colour), LayerEdit::Unchanged);

    NewLayer(m, MapType::Colour, ui);
    Layer& paint = m.stack(MapType::Colour)[2];
    paint.image.Fill(200);
    paint.alpha.Fill(255);
    CompositeAll(m);
    // Showing the paint layer alone must not leak into the collapse.
    SetCurrentLayerOnly(m, MapType::Colour, true);
    m.stack(MapType::Colour)[2].alpha.row(0)[0] = 127;
    EXPECT_EQ(CollapseAll(m, MapType::Colour), LayerEdit::Changed);
    const LayerStack& colour = m.stack(MapType::Colour);
    EXPECT_EQ(colour.count(), 2);
    EXPECT_EQ(m.current(MapType::Colour), 1);
    EXPECT_EQ(m.currentLayerOnly, 0);
    EXPECT_EQ(colour[1].image.row(1)[3], 200);
    EXPECT_EQ(colour[1].image.row(0)[0], 100 + ((200 - 100) * 128 >> 8));
    EXPECT_EQ(Texel(m, MapType::Bump, 0, 0, 0), 40);
}

TEST(LayerOperations, MaterialWithoutLayersIsLeftAlone)
{
    Material m;
    RecordingInteraction ui;
    EXPECT_EQ(NewLayer(m, MapType::Colour, ui), LayerEdit::Unchanged);
    EXPECT_EQ(DeleteLayer(m, MapType::Colour, ui), LayerEdit::Unchanged);
    EXPECT_EQ(SelectLayer(m, MapType::Colour, 0), LayerEdit::Unchanged);
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_TRUE(LayerListEntries(m, MapType::Colour).empty());
}

} // namespace
} // namespace gessoria::test
