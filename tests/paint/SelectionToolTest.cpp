// The Selection tool from the pointer: the stroke controller hands its presses and moves to
// the floater editor; the preview shows what the drop leaves whatever layer is current in
// each map type; placing puts the Warning Window out; a new text discards a floating floater.

#include "paint/ClipboardCodec.h"
#include "paint/FloaterEditor.h"
#include "paint/StrokeController.h"
#include "scene/Material.h"
#include "support/PaintedSquare.h"

#include <gtest/gtest.h>

namespace gessoria::test {
namespace {

constexpr int kMap = 16;

struct SelectionBench : PaintedSquare {
    MemoryClipboard clipboard;
    FloaterEditor editor;
    PaintingState state;

    SelectionBench() : PaintedSquare(kMap) {}
    Painter MakePainter() { return PaintedSquare::MakePainter(PaintTool::Selection); }
    StrokeController Stroke(FloaterEditor* floaters)
    {
        StrokeEnvironment environment{scene, frame, options, lighting, brush, paint, values, random};
        environment.painting = &state;
        environment.floaters = floaters;
        return StrokeController(environment, ui);
    }
    // A paint layer over the base of a map type, its values and alpha patterned.
    void AddPatternedLayer(MapType type, std::uint32_t seed)
    {
        Layer layer;
        const bool colour = IsColourType(type);
        ASSERT_TRUE(colour ? layer.image.Create24(kMap, kMap) : layer.image.Create8(kMap, kMap));
        ASSERT_TRUE(layer.alpha.Create8(kMap, kMap));
        for (CDIB* image : {&layer.image, &layer.alpha})
            for (auto& b : image->bits())
                b = static_cast<std::uint8_t>((seed = seed * 1103515245u + 12345u) >> 16);
        material().stack(type).layers.push_back(std::move(layer));
        material().setCurrent(type, material().stack(type).count() - 1);
    }
    std::vector<std::uint8_t> Shown(MapType type)
    {
        const auto bits = material().stack(type)[0].image.bits();
        return {bits.begin(), bits.end()};
    }
};

Floater PatternedFloater(int width, int height)
{
    Floater f;
    EXPECT_TRUE(f.Create(width, height));
    std::uint32_t seed = 7;
    for (int k = 0; k < kMapTypeCount; ++k)
        for (CDIB* image : {&f.values[static_cast<std::size_t>(k)], &f.alphas[static_cast<std::size_t>(k)]})
            for (auto& b : image->bits())
                b = static_cast<std::uint8_t>((seed = seed * 1103515245u + 12345u) >> 16);
    f.carries = {1, 1, 1, 1, 1};
    f.present = 1;
    return f;
}

TEST(SelectionTool, PointerPressesAndMovesSelectThroughTheStrokeController)
{
    SelectionBench b;
    b.scene.paintTool = PaintTool::Selection;
    {
        StrokeController stroke = b.Stroke(&b.editor);
        stroke.ButtonDown(PointerEvent(8, 8));
        stroke.Move(PointerEvent(30, 20));
        stroke.ButtonUp(PointerEvent(30, 20));
    }
    ASSERT_TRUE(b.editor.selection().exists);
    EXPECT_EQ(b.editor.selection().x0, 8);
    EXPECT_EQ(b.editor.selection().x1, 30);
    EXPECT_EQ(b.editor.selection().y1, 20);
    EXPECT_EQ(b.editor.selection().materialIndex, 1);

    // A press inside the selection lifts it (Ctrl: a copy, the layers untouched).
    const auto before = b.material().stacks;
    {
        StrokeController stroke = b.Stroke(&b.editor);
        stroke.ButtonDown(PointerEvent(12, 12, true));
        stroke.ButtonUp(PointerEvent(12, 12, true));
    }
    EXPECT_FALSE(b.editor.selection().exists);
    EXPECT_FALSE(b.editor.selection().selectionMode);
    EXPECT_EQ(b.editor.floater().width, 30 / 4 - 8 / 4 + 1);
    EXPECT_EQ(b.material().stack(MapType::Colour)[1].image.bits()[0], before[0][1].image.bits()[0]);
    // The next press places it and a move carries it along.
    {
        StrokeController stroke = b.Stroke(&b.editor);
        stroke.ButtonDown(PointerEvent(40, 40));
        EXPECT_TRUE(b.editor.selection().floating);
        const int left = b.editor.floater().left;
        stroke.Move(PointerEvent(48, 40));
        EXPECT_EQ(b.editor.floater().left, left + 2);
    }
    // Without an editor the tool does nothing; beside the object neither.
    FloaterEditor untouched;
    StrokeController none = b.Stroke(nullptr);
    none.ButtonDown(PointerEvent(8, 8));
    EXPECT_FALSE(untouched.selection().exists);
}

TEST(SelectionTool, PreviewShowsWhatTheDropLeavesWhateverLayerIsCurrent)
{
    SelectionBench b;
    Material& m = b.material();
    // Colour paints into a half-transparent paint layer, Opacity into its base layer, and Bump
    // has the Renderer Layer selected, so the floater cannot lay Bump at all.
    b.AddPatternedLayer(MapType::Colour, 3);
    b.AddPatternedLayer(MapType::Shininess, 5);
    m.setCurrent(MapType::Bump, 0);
    CompositeAll(m);
    ASSERT_TRUE(b.clipboard.Set(ClipFormat::Floater, EncodeFloaterBlock(PatternedFloater(5, 3))));
    b.editor.Paste(b.MakePainter(), b.clipboard);
    b.ui.warningsPutOut = 0;
    b.editor.Press(b.MakePainter(), PickFace(b.scene, 30, 30), 30, 30, false);
    ASSERT_TRUE(b.editor.selection().floating);
    EXPECT_EQ(b.ui.warningsPutOut, 1);  // placing answers the placement warning

    std::vector<std::vector<std::uint8_t>> preview;
    for (const MapType type : kAllMapTypes)
        preview.push_back(b.Shown(type));
    const auto bumpLayers = m.stack(MapType::Bump).layers[1].image.bits();
    const std::vector<std::uint8_t> bumpBase(bumpLayers.begin(), bumpLayers.end());

    b.editor.DeselectAll(b.MakePainter(), b.state);
    std::size_t k = 0;
    for (const MapType type : kAllMapTypes)
        EXPECT_EQ(b.Shown(type), preview[k++]) << StorageIndex(type);
    const auto bumpAfter = m.stack(MapType::Bump).layers[1].image.bits();
    EXPECT_TRUE(std::equal(bumpAfter.begin(), bumpAfter.end(), bumpBase.begin()));
}

TEST(SelectionTool, ANewTextDiscardsTheFloaterBeingPlaced)
{
    SelectionBench b;
    CompositeAll(b.material());
    const auto shown = b.Shown(MapType::Colour);
    ASSERT_TRUE(b.clipboard.Set(ClipFormat::Floater, EncodeFloaterBlock(PatternedFloater(4, 4))));
    b.editor.Paste(b.MakePainter(), b.clipboard);
    b.editor.Press(b.MakePainter(), PickFace(b.scene, 30, 30), 30, 30, false);
    ASSERT_NE(b.Shown(MapType::Colour), shown);

    Floater text = PatternedFloater(3, 2);
    text.fromText = true;
    EXPECT_FALSE(b.editor.TakeTextFloater(b.MakePainter(), std::move(text)).empty());
    EXPECT_EQ(b.Shown(MapType::Colour), shown);
    EXPECT_FALSE(b.editor.selection().floating);
    EXPECT_EQ(b.editor.floater().width, 3);
}

TEST(SelectionTool, APastedBlockLeavesTheMapTypesItsAlphaDoesNotCover)
{
    SelectionBench b;
    Material& m = b.material();
    // Paint layers whose every texel is transparent: a map type laid there, even with a zero
    // coverage, would take the floater's values outright.
    for (const MapType type : kAllMapTypes) {
        b.AddPatternedLayer(type, 11 + static_cast<std::uint32_t>(StorageIndex(type)));
        m.stack(type)[m.current(type)].alpha.Fill(0);
    }
    CompositeAll(m);
    // Bump and Opacity come with all-zero alphas.
    Floater f = PatternedFloater(5, 3);
    for (const MapType type : {MapType::Bump, MapType::Opacity})
        f.alpha(type).Fill(0);
    ASSERT_TRUE(b.clipboard.Set(ClipFormat::Floater, EncodeFloaterBlock(f)));
    const auto before = m.stacks;

    b.editor.Paste(b.MakePainter(), b.clipboard);
    b.editor.Press(b.MakePainter(), PickFace(b.scene, 30, 30), 30, 30, false);
    ASSERT_TRUE(b.editor.selection().floating);
    b.editor.DeselectAll(b.MakePainter(), b.state);

    const auto same = [&](MapType type) {
        const LayerStack& now = m.stack(type);
        const LayerStack& was = before[static_cast<std::size_t>(StorageIndex(type))];
        for (int k = 1; k < now.count(); ++k)
            for (const auto& [a, z] : {std::pair{&now[k].image, &was[k].image}, std::pair{&now[k].alpha, &was[k].alpha}})
                if (!std::equal(a->bits().begin(), a->bits().end(), z->bits().begin()))
                    return false;
        return true;
    };
    EXPECT_TRUE(same(MapType::Bump));
    EXPECT_TRUE(same(MapType::Opacity));
    EXPECT_FALSE(same(MapType::Colour));
    EXPECT_FALSE(same(MapType::Shininess));
}

// A clipboard that keeps count of its opening and closing and can refuse to be emptied.
class CountingClipboard : public MemoryClipboard {
public:
    int open = 0;
    bool emptyFails = false;
    bool Open() override { return ++open, true; }
    bool Empty() override { return !emptyFails && MemoryClipboard::Empty(); }
    bool Close() override { return --open, true; }
};

TEST(SelectionTool, ClearClipboardThatCannotEmptyStillClosesIt)
{
    SelectionBench b;
    CountingClipboard clipboard;
    clipboard.emptyFails = true;
    b.editor.ClearClipboard(b.MakePainter(), clipboard);
    EXPECT_EQ(clipboard.open, 0);
    ASSERT_FALSE(b.ui.Dialogs().empty());
    EXPECT_EQ(b.ui.Dialogs().back(), FloaterEditor::kClearFailed);
}

} // namespace
} // namespace gessoria::test
