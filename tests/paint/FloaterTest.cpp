// Floaters: the two clipboard blocks, lifting, Cut's erase, the wrapped drop, undo of both,
// clipboard failures, and select-copy-paste-place-drop on the sample scene.

#include "io/LittleEndian.h"
#include "io/SceneFileOpener.h"
#include "paint/ClipboardCodec.h"
#include "paint/FloaterEditor.h"
#include "scene/Material.h"
#include "scene/Scene.h"
#include "support/RecordingInteraction.h"
#include "support/PaintedSquare.h"
#include "support/SceneBuilder.h"

#include <gtest/gtest.h>

namespace gessoria::test {
namespace {

constexpr int kView = 64, kMap = 16;

struct Bench : PaintedSquare {
    MemoryClipboard clipboard;
    FloaterEditor editor;

    Bench() : PaintedSquare(kMap) {}
    Painter MakePainter() { return PaintedSquare::MakePainter(PaintTool::Selection); }
    // A selection drag between two view pixels (one view pixel is a quarter texel).
    void Select(int x0, int y0, int x1, int y1)
    {
        const Painter p = MakePainter();
        editor.Press(p, PickFace(scene, x0, y0), x0, y0, false);
        editor.Move(p, PickFace(scene, x1, y1), x1, y1);
    }
    // Gives every image of the material a pattern of its own, so copies can be told apart.
    void Pattern()
    {
        std::uint32_t seed = 1;
        for (const MapType type : kAllMapTypes)
            for (CDIB* image : {&material().stack(type)[1].image, &material().stack(type)[1].alpha})
                for (auto& b : image->bits())
                    b = static_cast<std::uint8_t>((seed = seed * 1103515245u + 12345u) >> 16);
        CompositeAll(material());
    }
};

const LayerStack& Stack(const std::array<LayerStack, kMapTypeCount>& stacks, MapType type)
{
    return stacks[static_cast<std::size_t>(type)];
}

Floater Sized(int width, int height)
{
    Floater f;
    EXPECT_TRUE(f.Create(width, height));
    return f;
}

TEST(ClipboardBlocks, PrivateBlockPadsColourAndGreyRowsAndReadsBack)
{
    Floater f = Sized(3, 2);
    std::uint8_t n = 1;
    for (auto& image : f.values)
        for (auto& b : image.bits())
            b = n++;
    for (auto& image : f.alphas)
        for (auto& b : image.bits())
            b = n++;
    const auto block = EncodeFloaterBlock(f);
    // Colour rows of 12 bytes and 8-bit rows of 4 bytes.
    ASSERT_EQ(block.size(), 8u + 12 * 2 + 9 * 4 * 2);
    EXPECT_EQ(le::U32(block, 0), 3u);
    EXPECT_EQ(le::U32(block, 4), 2u);
    EXPECT_EQ(block[8 + 12], f.values[0].row(1)[0]);
    EXPECT_EQ(block[8 + 24], f.values[1].row(0)[0]);
    EXPECT_EQ(block[8 + 24 + 8 * 8 + 4], f.alphas[4].row(1)[0]);

    const auto back = DecodeFloaterBlock(block);
    ASSERT_TRUE(back.has_value());
    for (int k = 0; k < kMapTypeCount; ++k) {
        EXPECT_TRUE(std::equal(back->values[k].bits().begin(), back->values[k].bits().end(), f.values[k].bits().begin()));
        EXPECT_TRUE(std::equal(back->alphas[k].bits().begin(), back->alphas[k].bits().end(), f.alphas[k].bits().begin()));
    }
    EXPECT_EQ(back->state, Floater::kPasted);
    EXPECT_EQ(back->present, 1);

    // A short block, or sizes no floater can have, are refused.
    EXPECT_FALSE(DecodeFloaterBlock(std::span(block).first(block.size() - 1)));
    auto huge = block;
    huge[3] = 0x7F;
    EXPECT_FALSE(DecodeFloaterBlock(huge));
}

std::vector<std::uint8_t> DibHeader(int width, int height, int bits, int colours)
{
    std::vector<std::uint8_t> dib;
    le::PutU32(dib, 40);
    le::PutI32(dib, width);
    le::PutI32(dib, height);
    le::PutU16(dib, 1);
    le::PutU16(dib, static_cast<std::uint16_t>(bits));
    le::PutU32(dib, 0);
    le::PutU32(dib, 0);
    le::PutI32(dib, 0);
    le::PutI32(dib, 0);
    le::PutU32(dib, static_cast<std::uint32_t>(colours));
    le::PutU32(dib, 0);
    return dib;
}

TEST(ClipboardBlocks, PalettePasteBecomesAnOpaqueColourFloater)
{
    auto dib = DibHeader(2, 2, 8, 256);
    for (int i = 0; i < 256; ++i)
        le::PutU32(dib, static_cast<std::uint32_t>(i == 7 ? 0x00112233 : i == 9 ? 0x00445566 : 0));
    // Bottom-up rows of 4 bytes: bottom row 7 7, top row 9 7.
    dib.insert(dib.end(), {7, 7, 0, 0, 9, 7, 0, 0});
    const auto f = DecodeDibBlock(dib);
    ASSERT_TRUE(f.has_value());
    EXPECT_EQ(f->width, 2);
    EXPECT_EQ(f->height, 2);
    EXPECT_EQ(f->values[0].bitCount(), 24);
    // Row 0 is the bitmap's bottom row, as the layers hold images; bytes blue, green, red.
    EXPECT_EQ(f->values[0].row(0)[0], 0x33);
    EXPECT_EQ(f->values[0].row(0)[2], 0x11);
    EXPECT_EQ(f->values[0].row(1)[0], 0x66);
    for (const auto b : f->alphas[0].bits())
        EXPECT_EQ(b, 255);
    EXPECT_EQ(f->carries, (std::array<std::uint8_t, 5>{1, 0, 0, 0, 0}));
    for (const auto b : f->alphas[1].bits())
        EXPECT_EQ(b, 0);
}

TEST(ClipboardBlocks, TopDownBitmapPastesWithAPositiveHeight)
{
    // Height -3: rows top first.
    auto dib = DibHeader(1, -3, 24, 0);
    dib.insert(dib.end(), {1, 1, 1, 0, 2, 2, 2, 0, 3, 3, 3, 0});
    const auto f = DecodeDibBlock(dib);
    ASSERT_TRUE(f.has_value());
    EXPECT_EQ(f->height, 3);
    EXPECT_EQ(f->values[0].row(0)[0], 3);  // the bottom row first
    EXPECT_EQ(f->values[0].row(2)[0], 1);
    EXPECT_FALSE(DecodeDibBlock(std::span(dib).first(45)));
}

TEST(ClipboardBlocks, CopiedDibShowsTheCompositeEvenOverATransparentLayer)
{
    Bench b;
    Material& m = b.material();
    // A transparent red paint layer, selected: the copy lifts it, the DIB shows what is seen.
    Layer layer;
    layer.image.Create24(kMap, kMap);
    layer.image.Fill24(0, 0, 255);
    layer.alpha.Create8(kMap, kMap);
    m.stack(MapType::Colour).layers.push_back(std::move(layer));
    m.setCurrent(MapType::Colour, 2);
    CompositeAll(m);
    b.Select(4, 4, 15, 11);  // texels 1..3 by 1..2
    b.editor.Copy(b.MakePainter(), b.clipboard);
    const auto dib = b.clipboard.Get(ClipFormat::Dib);
    ASSERT_TRUE(dib.has_value());
    ASSERT_EQ(dib->size(), 44u + 12 * 2);
    EXPECT_EQ(le::U32(*dib, 4), 3u);
    EXPECT_EQ(le::U32(*dib, 8), 2u);
    EXPECT_EQ(le::U16(*dib, 14), 24u);
    const std::uint8_t* composite = m.stack(MapType::Colour)[0].image.row(1) + 3;
    EXPECT_EQ((*dib)[40], composite[0]);
    EXPECT_EQ((*dib)[42], composite[2]);
    EXPECT_EQ((*dib)[42], 10);  // the transparent red layer barely shows
    EXPECT_EQ(b.editor.floater().value(MapType::Colour).row(0)[2], 255);
}

TEST(FloaterCommands, CopyThenPasteRestoresAllTenImages)
{
    Bench b;
    b.Pattern();
    b.Select(8, 8, 31, 19);
    ASSERT_TRUE(b.editor.CanCopy());
    b.editor.Copy(b.MakePainter(), b.clipboard);
    const Floater copied = b.editor.floater();
    EXPECT_FALSE(b.editor.selection().exists);
    EXPECT_TRUE(b.editor.selection().selectionMode);
    EXPECT_EQ(copied.width, 6);
    EXPECT_EQ(copied.height, 3);
    EXPECT_EQ(copied.left, 2);
    EXPECT_EQ(copied.top, 2);

    b.editor.Paste(b.MakePainter(), b.clipboard);
    const Floater& pasted = b.editor.floater();
    ASSERT_TRUE(pasted.present);
    EXPECT_EQ(pasted.state, Floater::kPasted);
    EXPECT_FALSE(b.editor.selection().selectionMode);
    EXPECT_EQ(b.scene.paintTool, PaintTool::Selection);
    for (int k = 0; k < kMapTypeCount; ++k) {
        EXPECT_EQ(pasted.values[k].bits().size(), copied.values[k].bits().size());
        EXPECT_TRUE(std::equal(pasted.values[k].bits().begin(), pasted.values[k].bits().end(), copied.values[k].bits().begin())) << k;
        EXPECT_TRUE(std::equal(pasted.alphas[k].bits().begin(), pasted.alphas[k].bits().end(), copied.alphas[k].bits().begin())) << k;
    }
}

TEST(FloaterCommands, CutErasesBaseLayersToCleanValuesAndPaintLayersToTransparentThenUndoes)
{
    Bench b;
    Material& m = b.material();
    Layer layer;
    layer.image.Create8(kMap, kMap);
    layer.image.Fill(77);
    layer.alpha.Create8(kMap, kMap);
    layer.alpha.Fill(200);
    m.stack(MapType::Shininess).layers.push_back(std::move(layer));
    m.setCurrent(MapType::Shininess, 2);
    b.scene.undo.enabled = true;
    b.scene.undoBuffer.Allocate(1 << 20);
    b.values.background = 0x00332211;  // red 0x11, green 0x22, blue 0x33
    const auto before = m.stacks;
    b.Select(4, 4, 11, 7);  // texels 1..2 by 1
    b.editor.Cut(b.MakePainter(), b.clipboard);
    EXPECT_EQ(m.stack(MapType::Colour)[1].image.row(1)[3 * 1], 0x33);
    EXPECT_EQ(m.stack(MapType::Colour)[1].image.row(1)[3 * 2 + 2], 0x11);
    EXPECT_EQ(m.stack(MapType::Bump)[1].image.row(1)[2], 128);
    EXPECT_EQ(m.stack(MapType::Opacity)[1].image.row(1)[1], 0);
    EXPECT_EQ(m.stack(MapType::Shininess)[2].alpha.row(1)[1], 0);
    EXPECT_EQ(m.stack(MapType::Shininess)[2].image.row(1)[1], 77);
    EXPECT_EQ(m.stack(MapType::Shininess)[1].image.row(1)[1], 100);  // not the selected layer
    EXPECT_EQ(m.stack(MapType::Colour)[1].image.row(1)[3 * 3], 10);   // outside the rectangle
    EXPECT_EQ(m.stack(MapType::Colour)[0].image.row(1)[3], 0x33);   // rebuilt
    EXPECT_TRUE(b.clipboard.Has(ClipFormat::Floater));

    ASSERT_TRUE(b.scene.undoBuffer.Undo(b.scene, false));
    for (const MapType type : kAllMapTypes)
        for (int i = 1; i < m.stack(type).count(); ++i) {
            const auto& now = m.stack(type)[i];
            const auto& was = Stack(before, type)[i];
            EXPECT_TRUE(std::equal(now.image.bits().begin(), now.image.bits().end(), was.image.bits().begin()));
            EXPECT_TRUE(std::equal(now.alpha.bits().begin(), now.alpha.bits().end(), was.alpha.bits().begin()));
        }
}

TEST(FloaterCommands, DropWrapsRoundTheMapBlendsByAlphaAndUndoes)
{
    Bench b;
    Material& m = b.material();
    b.scene.undo.enabled = true;
    b.scene.undoBuffer.Allocate(1 << 20);
    Floater f = Sized(4, 1);
    f.value(MapType::Colour).Fill24(200, 200, 200);
    f.alpha(MapType::Colour).Fill(128);
    f.carries = {1, 0, 0, 0, 0};
    f.present = 1;
    ASSERT_TRUE(b.clipboard.Set(ClipFormat::Floater, EncodeFloaterBlock(f)));
    b.editor.Paste(b.MakePainter(), b.clipboard);
    ASSERT_TRUE(b.editor.floater().present);
    // Texel (0, 5) lies at view (0..3, 20..23): centred there the floater covers columns
    // -2..1, that is 14, 15, 0 and 1.
    b.editor.Press(b.MakePainter(), PickFace(b.scene, 1, 21), 1, 21, false);
    ASSERT_TRUE(b.editor.selection().floating);
    EXPECT_EQ(b.editor.floater().left, -2);
    // The preview shows on the Renderer Layer only, exactly as the drop will leave it.
    EXPECT_EQ(m.stack(MapType::Colour)[1].image.row(5)[3 * 15], 10);
    EXPECT_EQ(m.stack(MapType::Colour)[0].image.row(5)[3 * 15], (105 * 255) >> 8);

    PaintingState state;
    b.editor.DeselectAll(b.MakePainter(), state);
    for (const int column : {14, 15, 0, 1}) {
        EXPECT_EQ(m.stack(MapType::Colour)[1].image.row(5)[3 * column], 10 + ((190 * 128) >> 8)) << column;
        EXPECT_EQ(m.stack(MapType::Colour)[1].alpha.row(5)[column], 255);
        // Rebuilt with the layer's alpha itself as the weight: 0 + (105 x 255 >> 8).
        EXPECT_EQ(m.stack(MapType::Colour)[0].image.row(5)[3 * column], (105 * 255) >> 8) << column;
    }
    EXPECT_EQ(m.stack(MapType::Colour)[1].image.row(5)[3 * 2], 10);
    EXPECT_EQ(m.stack(MapType::Colour)[1].image.row(4)[0], 10);

    ASSERT_TRUE(b.scene.undoBuffer.Undo(b.scene, false));
    for (const int column : {14, 15, 0, 1})
        EXPECT_EQ(m.stack(MapType::Colour)[1].image.row(5)[3 * column], 10);
}

TEST(FloaterCommands, DropOnATransparentPaintLayerTakesTheFloaterOutright)
{
    Bench b;
    Material& m = b.material();
    Layer layer;
    layer.image.Create8(kMap, kMap);
    layer.alpha.Create8(kMap, kMap);
    m.stack(MapType::Bump).layers.push_back(std::move(layer));
    m.setCurrent(MapType::Bump, 2);
    Floater f = Sized(1, 1);
    f.value(MapType::Bump).Fill(90);
    f.alpha(MapType::Bump).Fill(64);
    f.carries = {0, 1, 0, 0, 0};
    f.left = 3;
    f.top = 4;
    const TexelRect changed = LayFloater(f, m);
    EXPECT_EQ(changed.x0, 2);
    EXPECT_EQ(changed.x1, 4);
    EXPECT_EQ(m.stack(MapType::Bump)[2].image.row(4)[3], 90);
    EXPECT_EQ(m.stack(MapType::Bump)[2].alpha.row(4)[3], (255 * 64) >> 8);
    // Bump starts at 128, the base layer (100, alpha 255) then the new layer (90, alpha 63).
    const int base = 128 + (((100 - 128) * 255) >> 8);
    EXPECT_EQ(m.stack(MapType::Bump)[0].image.row(4)[3], base + (((90 - base) * 63) >> 8));
}

TEST(FloaterCommands, UndoFirstFixesAFloatingFloaterThenTakesItBack)
{
    Bench b;
    b.scene.undo.enabled = true;
    b.scene.undoBuffer.Allocate(1 << 20);
    b.Pattern();
    const auto before = b.material().stacks;
    b.Select(8, 8, 31, 19);
    b.editor.Copy(b.MakePainter(), b.clipboard);
    b.editor.Paste(b.MakePainter(), b.clipboard);
    b.editor.Press(b.MakePainter(), PickFace(b.scene, 40, 40), 40, 40, false);
    PaintingState state;
    EXPECT_FALSE(b.editor.FixBeforeUndo(b.MakePainter(), state).empty());
    EXPECT_FALSE(b.editor.selection().floating);
    const CDIB& layer = b.material().stack(MapType::Colour)[1].image;
    EXPECT_FALSE(std::equal(layer.bits().begin(), layer.bits().end(), Stack(before, MapType::Colour)[1].image.bits().begin()));
    ASSERT_TRUE(b.scene.undoBuffer.Undo(b.scene, false));
    EXPECT_TRUE(std::equal(layer.bits().begin(), layer.bits().end(), Stack(before, MapType::Colour)[1].image.bits().begin()));
    EXPECT_TRUE(b.editor.FixBeforeUndo(b.MakePainter(), state).empty());  // nothing floating: nothing to fix
}

class FailingClipboard : public MemoryClipboard {
public:
    bool openFails = false, setFails = false;
    bool Open() override { return !openFails && MemoryClipboard::Open(); }
    bool Set(ClipFormat format, std::vector<std::uint8_t> block) override
    {
        return !setFails && MemoryClipboard::Set(format, std::move(block));
    }
};

TEST(FloaterCommands, ClipboardFailuresAreToldAndChangeNothing)
{
    Bench b;
    const auto before = b.material().stacks;
    FailingClipboard clipboard;
    clipboard.openFails = true;
    b.Select(4, 4, 11, 7);
    b.editor.Cut(b.MakePainter(), clipboard);
    EXPECT_EQ(b.ui.Dialogs(), (std::vector<std::string>{"Couldn't copy data to ClipBoard"}));
    EXPECT_TRUE(std::equal(Stack(before, MapType::Colour)[1].image.bits().begin(), Stack(before, MapType::Colour)[1].image.bits().end(),
                           b.material().stack(MapType::Colour)[1].image.bits().begin()));
    EXPECT_TRUE(b.editor.selection().exists);

    clipboard.openFails = false;
    clipboard.setFails = true;
    b.editor.Copy(b.MakePainter(), clipboard);
    EXPECT_EQ(b.ui.Dialogs().back(), "Unable to set clipbaord data");
    EXPECT_EQ(b.ui.Dialogs()[b.ui.Dialogs().size() - 2], "Unable to set clipoard data");
    EXPECT_FALSE(b.editor.floater().present);

    MemoryClipboard empty;
    b.editor.Paste(b.MakePainter(), empty);
    EXPECT_EQ(b.ui.Dialogs().back(), "Couldn't get data from ClipBoard");
    EXPECT_FALSE(b.editor.floater().present);
    EXPECT_TRUE(b.editor.selection().selectionMode);
}

TEST(FloaterCommands, SelectCopyPastePlaceDropOnTheSampleChangesExactlyThePlacedTexels)
{
    RecordingInteraction ui;
    Scene scene;
    ResetScene(scene);
    scene.mapPaths.Append(GESSORIA_SAMPLE_DIR);
    scene.viewWidth = 400;
    scene.viewHeight = 300;
    ASSERT_TRUE(OpenSceneFile(scene, std::string(GESSORIA_SAMPLE_DIR) + "/monkey.3ds", ui));
    ViewFrame frame;
    ASSERT_TRUE(frame.Create(400, 300));
    const RenderOptions options{2, false, false};
    const LightingSettings lighting;
    Renderer().RenderScene(scene, frame, options, lighting);
    Brush brush = DefaultBrush();
    Paint paint = DefaultPaint();
    PaintValues values;
    PaintRandom random;
    // The painter keeps references: everything it is given outlives it.
    const Painter painter(scene, frame, options, lighting, {brush, paint, values, random, PaintTool::Selection}, &ui);
    MemoryClipboard clipboard;
    FloaterEditor editor;
    PaintingState state;

    const PickResult a = PickFace(scene, 190, 140), c = PickFace(scene, 215, 160), target = PickFace(scene, 150, 120);
    ASSERT_GE(a.face, 0);
    ASSERT_GE(target.face, 0);
    editor.Press(painter, a, 190, 140, false);
    editor.Move(painter, c, 215, 160);
    editor.Copy(painter, clipboard);
    editor.Paste(painter, clipboard);
    const Floater floater = editor.floater();
    ASSERT_GT(floater.width * floater.height, 4);
    const auto before = scene.materials[1].stacks;
    editor.Press(painter, target, 150, 120, false);
    editor.DeselectAll(painter, state);

    // A literal reference: every floater pixel lands on its wrapped texel of each base layer
    // (opaque over opaque: value + ((F - value) x 255 >> 8)); nothing else changes.
    const Material& m = scene.materials[1];
    const int left = static_cast<int>((static_cast<std::int64_t>(target.u & 0xFFFF) * m.mapWidth) >> 16) - floater.width / 2;
    const int top = static_cast<int>((static_cast<std::int64_t>(target.v & 0xFFFF) * m.mapHeight) >> 16) - floater.height / 2;
    const auto wrap = [](int value, int size) { return (value % size + size) % size; };
    for (const MapType type : {MapType::Colour, MapType::Bump}) {
        const int bytes = IsColourType(type) ? 3 : 1;
        CDIB expected = Stack(before, type)[1].image;
        for (int y = 0; y < floater.height; ++y)
            for (int x = 0; x < floater.width; ++x)
                for (int ch = 0; ch < bytes; ++ch) {
                    std::uint8_t& t = expected.row(wrap(top + y, m.mapHeight))[bytes * wrap(left + x, m.mapWidth) + ch];
                    t = static_cast<std::uint8_t>(t + (((floater.value(type).row(y)[bytes * x + ch] - t) * 255) >> 8));
                }
        int changed = 0;
        const CDIB& now = m.stack(type)[1].image;
        for (int y = 0; y < m.mapHeight; ++y)
            for (int x = 0; x < bytes * m.mapWidth; ++x) {
                ASSERT_EQ(now.row(y)[x], expected.row(y)[x]) << x / bytes << "," << y;
                changed += now.row(y)[x] != Stack(before, type)[1].image.row(y)[x];
            }
        EXPECT_GT(changed, 0);
    }
}

} // namespace
} // namespace gessoria::test
