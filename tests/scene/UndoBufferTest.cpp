// The undo ring: record sizes and bytes, whole-stroke and single undo, redo, and layers
// that changed under a record.

#include "paint/PaintFootprint.h"
#include "scene/LayerOperations.h"
#include "scene/Scene.h"
#include "scene/TexelCoordinates.h"
#include "scene/UndoBuffer.h"
#include "support/RecordingInteraction.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace gessoria::test {
namespace {

struct Canvas {
    Scene scene;
    Brush brush = DefaultBrush();
    Paint paint = DefaultPaint();
    PaintValues values;
    PaintRandom random;

    explicit Canvas(bool allTypes, int megabytes = 1)
    {
        RecordingInteraction ui;
        ResetScene(scene);
        scene.undo = {true, megabytes};
        scene.objectCount = 0;
        scene.materialCount = 1;
        AllocateScene(scene, false, ui);
        scene.materials[1] = MakeMaterial();
        if (allTypes)
            paint.selfIllumMap = paint.bumpMap = paint.shininessMap = paint.opacityMap = 1;
    }

    static Material MakeMaterial()
    {
        Material m;
        m.mapWidth = m.mapHeight = 64;
        m.hasLayers = 1;
        for (const MapType type : kAllMapTypes) {
            LayerStack& stack = m.stack(type);
            stack.layers.resize(2);
            for (auto& layer : stack.layers)
                IsColourType(type) ? layer.image.Create24(64, 64) : layer.image.Create8(64, 64);
            stack[1].alpha.Create8(64, 64);
            stack[1].alpha.Fill(255);
            stack[1].image.Fill(40);
            m.setCurrent(type, 1);
        }
        CompositeAll(m);
        return m;
    }

    // One ordinary dab, recorded first as the dispatcher does.
    void Dab(int n, std::int32_t u, std::int32_t v)
    {
        Material& m = scene.materials[1];
        const std::uint8_t types = static_cast<std::uint8_t>(
            (paint.colourMap ? UndoBuffer::kColour : 0) | (paint.selfIllumMap ? UndoBuffer::kSelfIllum : 0) |
            (paint.bumpMap ? UndoBuffer::kBump : 0) | (paint.opacityMap ? UndoBuffer::kOpacity : 0) |
            (paint.shininessMap ? UndoBuffer::kShininess : 0));
        Record(n, types, u, v);
        LayPaintFootprint(m, {brush, paint, values, random, PaintTool::Brush}, n, u, v);
        CompositeAll(m);
    }

    // The undo record of a dab of the given map types, as the dispatcher makes it.
    void Record(int n, std::uint8_t types, std::int32_t u, std::int32_t v)
    {
        const PaintingContext context{brush, paint, values, random, PaintTool::Brush};
        ViewFrame frame;
        const RenderOptions options;
        const LightingSettings lighting;
        Painter(scene, frame, options, lighting, context).RecordForUndo(1, types, n, CentreOf(scene.materials[1], u, v));
    }

    std::uint8_t Colour(int x, int y) const { return scene.materials[1].stack(MapType::Colour)[1].image.row(y)[x * 3]; }
    std::uint8_t Bump(int x, int y) const { return scene.materials[1].stack(MapType::Bump)[1].image.row(y)[x]; }
};

TEST(UndoBuffer, RecordsAreByteExact)
{
    Canvas canvas(false);
    canvas.Dab(1, 32768, 16384);  // centre texel (32, 16)
    const auto& ring = canvas.scene.undoBuffer.ring();
    const std::size_t size = 56 + 961 * 4;
    ASSERT_EQ(canvas.scene.undoBuffer.writePosition(), size);
    const std::uint8_t header[28] = {1, 0, 0, 0, 31, 0, 0, 0, 31, 0, 0, 0, 32, 0, 0, 0, 16, 0, 0, 0,
                                     0x10 | 0x40, 1, 1, 1, 1, 1, 0, 0};
    for (std::size_t k = 0; k < 28; ++k) {
        EXPECT_EQ(ring[k], header[k]) << k;
        EXPECT_EQ(ring[size - 28 + k], header[k]) << k;
    }
    // Body: alpha, then blue, green, red of each footprint texel before the dab.
    EXPECT_EQ(ring[28], 255);
    EXPECT_EQ(ring[29], 40);
    EXPECT_EQ(UndoBuffer::RecordSize({1, 31, 31, 0, 0, 0x1F, false}), 11588u);
}

TEST(UndoBuffer, ARecordOfSeveralTypesAndLayersIsByteExact)
{
    // Colour on layer 2, Self Illumination on layer 3, Bump and Opacity on their base layers,
    // Shininess with no layer selected (so not recorded); every byte of every layer differs.
    Canvas canvas(true);
    Material& m = canvas.scene.materials[1];
    RecordingInteraction ui;
    NewLayer(m, MapType::Colour, ui);
    NewLayer(m, MapType::SelfIllum, ui);
    NewLayer(m, MapType::SelfIllum, ui);
    m.setCurrent(MapType::Shininess, 0);
    for (const MapType type : kAllMapTypes)
        for (int k = 1; k < m.stack(type).count(); ++k) {
            Layer& layer = m.stack(type)[k];
            const int bytes = IsColourType(type) ? 3 : 1;
            for (int y = 0; y < 64; ++y)
                for (int x = 0; x < 64; ++x) {
                    layer.alpha.row(y)[x] = static_cast<std::uint8_t>(3 * x + 5 * y + 17 * k + StorageIndex(type));
                    for (int b = 0; b < bytes; ++b)
                        layer.image.row(y)[x * bytes + b] = static_cast<std::uint8_t>(7 * x + 11 * y + 29 * k + 3 * b + 13 * StorageIndex(type));
                }
        }

    for (const auto& [column, row] : {std::pair{20, 30}, std::pair{2, 62}}) {  // inside, and clamped at two edges
        UndoBuffer& buffer = canvas.scene.undoBuffer;
        const std::uint64_t start = buffer.writePosition();
        canvas.Record(1, 0x1F, TexelCoordinate(column, 64), TexelCoordinate(row, 64));
        std::vector<std::uint8_t> expected = {1, 0, 0, 0, 31, 0, 0, 0, 31, 0, 0, 0, static_cast<std::uint8_t>(column), 0, 0, 0,
                                              static_cast<std::uint8_t>(row), 0, 0, 0,
                                              // Colour, Self Illumination, Bump, Opacity; first of its stroke
                                              0x10 | 0x08 | 0x04 | 0x02 | 0x40,
                                              // selected layers of Colour, Bump, Self Illumination, Shininess, Opacity
                                              2, 1, 3, 0, 1, 0, 0};
        const std::vector<std::uint8_t> header = expected;
        for (int i = 0; i < 31; ++i)
            for (int j = 0; j < 31; ++j) {
                const int y = std::clamp(row - 15 + i, 0, 63), x = std::clamp(column - 15 + j, 0, 63);
                for (const MapType type : {MapType::Colour, MapType::SelfIllum, MapType::Bump, MapType::Opacity}) {
                    const Layer& layer = m.stack(type)[m.current(type)];
                    expected.push_back(layer.alpha.row(y)[x]);
                    const int bytes = IsColourType(type) ? 3 : 1;
                    for (int b = 0; b < bytes; ++b)
                        expected.push_back(layer.image.row(y)[x * bytes + b]);
                }
            }
        expected.insert(expected.end(), header.begin(), header.end());
        ASSERT_EQ(buffer.writePosition() - start, expected.size());
        EXPECT_EQ(expected.size(), 56u + 961u * (4 + 2 + 2 + 2));
        for (std::size_t k = 0; k < expected.size(); ++k)
            ASSERT_EQ(buffer.ring()[static_cast<std::size_t>(start) + k], expected[k]) << "byte " << k << " of the record at " << column << "," << row;
    }
}

TEST(UndoBuffer, AOneMegabyteRingHolds90FullDabsOfAHundredDabStroke)
{
    Canvas canvas(true);
    for (int n = 1; n <= 100; ++n)
        canvas.Dab(n, 65536 * (n % 64) / 64, 32768);
    UndoBuffer& undo = canvas.scene.undoBuffer;
    ASSERT_TRUE(undo.undoAvailable());
    EXPECT_TRUE(undo.Undo(canvas.scene, false));
    // 1048576 / 11588 = 90 whole records: the 10 oldest dabs are lost and stay painted.
    EXPECT_EQ(undo.writePosition(), 100u * 11588u - 90u * 11588u);
    EXPECT_FALSE(undo.undoAvailable());
    EXPECT_TRUE(undo.redoAvailable());
    EXPECT_NE(canvas.Colour(1, 32), 40);   // painted by dab 1..10, not undone
    EXPECT_EQ(canvas.Colour(60, 32), 40);  // painted only by later dabs, undone
}

TEST(UndoBuffer, UndoSingleTwiceThenRedoReplaysToTheStrokesEnd)
{
    Canvas canvas(false);
    canvas.Dab(1, 16384, 32768);
    canvas.Dab(2, 32768, 32768);
    canvas.Dab(3, 49152, 32768);
    const std::uint8_t painted = canvas.Colour(48, 32);
    UndoBuffer& undo = canvas.scene.undoBuffer;
    EXPECT_TRUE(undo.Undo(canvas.scene, true));
    EXPECT_TRUE(undo.Undo(canvas.scene, true));
    EXPECT_EQ(canvas.Colour(48, 32), 40);
    EXPECT_NE(canvas.Colour(16, 32), 40);  // dab 1 stays
    EXPECT_TRUE(undo.Redo(canvas.scene));
    EXPECT_EQ(canvas.Colour(48, 32), painted);
    EXPECT_FALSE(undo.redoAvailable());

    // Undo the whole stroke, then paint: redo is gone.
    EXPECT_TRUE(undo.Undo(canvas.scene, false));
    EXPECT_EQ(canvas.Colour(16, 32), 40);
    EXPECT_FALSE(undo.undoAvailable());
    canvas.Dab(1, 32768, 32768);
    EXPECT_FALSE(undo.redoAvailable());
    EXPECT_TRUE(undo.undoAvailable());
}

// Redo replays one stroke: it stops before the next record that starts a stroke.
TEST(UndoBuffer, RedoStopsAtTheNextStroke)
{
    Canvas canvas(false);
    canvas.Dab(1, 16384, 32768);  // first stroke
    canvas.Dab(2, 16384, 16384);
    canvas.Dab(1, 49152, 32768);  // second stroke
    canvas.Dab(2, 49152, 16384);
    const std::uint8_t first = canvas.Colour(16, 32), second = canvas.Colour(48, 32);
    UndoBuffer& undo = canvas.scene.undoBuffer;
    EXPECT_TRUE(undo.Undo(canvas.scene, false));
    EXPECT_TRUE(undo.Undo(canvas.scene, false));
    ASSERT_EQ(canvas.Colour(16, 32), 40);
    ASSERT_EQ(canvas.Colour(48, 32), 40);

    EXPECT_TRUE(undo.Redo(canvas.scene));
    EXPECT_EQ(canvas.Colour(16, 32), first);
    EXPECT_EQ(canvas.Colour(16, 16), first);
    EXPECT_EQ(canvas.Colour(48, 32), 40);  // the second stroke waits for the next Redo
    EXPECT_TRUE(undo.redoAvailable());
    EXPECT_TRUE(undo.Redo(canvas.scene));
    EXPECT_EQ(canvas.Colour(48, 32), second);
    EXPECT_FALSE(undo.redoAvailable());
}

TEST(UndoBuffer, EdgeDabsRedoExactly)
{
    Canvas canvas(false);
    canvas.Dab(1, 0, 0);  // clamped footprint: corner texels are recorded many times
    const std::uint8_t painted = canvas.Colour(0, 0);
    ASSERT_NE(painted, 40);
    UndoBuffer& undo = canvas.scene.undoBuffer;
    undo.Undo(canvas.scene, false);
    EXPECT_EQ(canvas.Colour(0, 0), 40);
    undo.Redo(canvas.scene);
    EXPECT_EQ(canvas.Colour(0, 0), painted);
}

TEST(UndoBuffer, ALayerDeletedUnderARecordIsPassedOver)
{
    Canvas canvas(true);
    Material& m = canvas.scene.materials[1];
    RecordingInteraction ui;
    NewLayer(m, MapType::Bump, ui);  // bump layer 2, selected
    canvas.Dab(1, 32768, 32768);
    ASSERT_NE(m.stack(MapType::Bump)[2].image.row(32)[32], 128);
    ui.yesNo.push_back(true);
    DeleteLayer(m, MapType::Bump, ui);  // the recorded layer 2 is gone
    EXPECT_TRUE(canvas.scene.undoBuffer.Undo(canvas.scene, false));
    EXPECT_EQ(canvas.Colour(32, 32), 40);  // the colour is restored
    EXPECT_EQ(canvas.Bump(32, 32), 40);    // the base bump layer was never painted
}

TEST(UndoBuffer, ARecordLargerThanTheRingIsNotWrittenAndEndsTheHistory)
{
    Canvas canvas(true);
    canvas.Dab(1, 32768, 32768);
    UndoBuffer& undo = canvas.scene.undoBuffer;
    ASSERT_TRUE(undo.Allocate(5000));  // smaller than one full dab record
    canvas.Dab(1, 32768, 32768);
    EXPECT_FALSE(undo.undoAvailable());
    EXPECT_EQ(undo.writePosition(), 0u);
    EXPECT_TRUE(std::all_of(undo.ring().begin(), undo.ring().end(), [](std::uint8_t b) { return b == 0; }));
    EXPECT_FALSE(undo.Undo(canvas.scene, false));
}

TEST(UndoBuffer, ConfiguringMakesANewEmptyRing)
{
    UndoBuffer buffer;
    bool use = true;
    int megabytes = 1;
    RecordingInteraction ui;
    ASSERT_TRUE(buffer.Allocate(1048576));
    EXPECT_TRUE(ConfigureUndo(buffer, use, megabytes, true, 2, ui));
    EXPECT_EQ(buffer.size(), 2u * 1048576u);
    EXPECT_FALSE(ConfigureUndo(buffer, use, megabytes, false, 2, ui));
    EXPECT_FALSE(buffer.allocated());
    EXPECT_FALSE(ConfigureUndo(buffer, use, megabytes, true, 0, ui));
    EXPECT_EQ(ui.Dialogs(), std::vector<std::string>{"Not enough memory for Undo Buffer, try a smaller size"});
}

} // namespace
} // namespace gessoria::test
