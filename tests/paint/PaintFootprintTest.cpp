// The special paints, grouped by rule: amount-scaled shading, targets that change from dab
// to dab, cell and band patterns, alpha-only paints, paints that read the layer below, the
// refusals and the random source they share with dirtiness.

#include "paint/PaintFootprint.h"
#include "scene/LayerOperations.h"
#include "scene/Material.h"
#include "scene/Scene.h"
#include "support/RecordingInteraction.h"
#include "support/SceneBuilder.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <set>

namespace gessoria::test {
namespace {

constexpr int kMap = 64;

struct Canvas {
    RecordingInteraction ui;
    Material m = MakeLayeredMaterial(kMap, kMap, 200, 60, 30, 200);
    Brush brush = DefaultBrush();
    Paint paint = DefaultPaint();
    PaintValues values;
    PaintRandom random;

    explicit Canvas(int special, int amount = 128)
    {
        paint.specialNumber = special;
        paint.specialA = amount;
        values.foreground = 0xFF0000FF;  // red, full intensity
        values.background = 0xFF00FF00;  // green
    }
    PaintingContext Context() { return {brush, paint, values, random, PaintTool::Brush}; }
    // A head that weighs only the centre (or one offset) fully.
    void SingleTexelHead(int row = kHeadCentre, int column = kHeadCentre)
    {
        brush.head.fill(0);
        brush.head[static_cast<std::size_t>(row * kHeadSize + column)] = 255;
    }
    void SquareHead() { brush.head.fill(255); }
    Layer& AddLayer(MapType type = MapType::Colour)
    {
        NewLayer(m, type, ui);
        return m.stack(type)[m.current(type)];
    }
    void Dab(int n = 1, int column = 32, int row = 32) { LayPaintFootprint(m, Context(), n, DabCentre{column, row}); }
    std::uint8_t* Texel(MapType type, int layer, int column, int row)
    {
        const int bytes = IsColourType(type) ? 3 : 1;
        return m.stack(type)[layer].image.row(row) + column * bytes;
    }
};

TEST(SpecialPaint, DarkenAndLightenScaleByTheAmountAndKeepTheAlpha)
{
    Canvas darken(2, 255);
    darken.SingleTexelHead();
    darken.paint.bumpMap = darken.paint.shininessMap = 1;
    darken.Dab();
    EXPECT_EQ(darken.Texel(MapType::Colour, 1, 32, 32)[0], 2);  // 200 - (65025 x 200 >> 16)
    EXPECT_EQ(darken.Texel(MapType::Bump, 1, 32, 32)[0], 2);
    EXPECT_EQ(darken.m.stack(MapType::Colour)[1].alpha.row(32)[32], 255);

    Canvas weak(2, 0);  // A = 0 acts as 1: w = 255, too little to move 200
    weak.SingleTexelHead();
    weak.Dab();
    EXPECT_EQ(weak.Texel(MapType::Colour, 1, 32, 32)[0], 200);

    Canvas lighten(3, 255);
    lighten.SingleTexelHead();
    lighten.Dab();
    EXPECT_EQ(lighten.Texel(MapType::Colour, 1, 32, 32)[2], 30 + ((65025 * 225) >> 16));

    // Without paint beneath: Colour stays, Shininess takes its current value.
    Canvas bare(2, 255);
    bare.SingleTexelHead();
    bare.paint.shininessMap = 1;
    bare.values.shininess = 77;
    Layer& colour = bare.AddLayer(MapType::Colour);
    Layer& shine = bare.AddLayer(MapType::Shininess);
    colour.image.row(32)[32 * 3] = 99;
    bare.Dab();
    EXPECT_EQ(colour.image.row(32)[32 * 3], 99);
    EXPECT_EQ(shine.image.row(32)[32], 77);
    EXPECT_EQ(shine.alpha.row(32)[32], 0);
}

TEST(SpecialPaint, GradientRunsFromForegroundToBackgroundOverTheStroke)
{
    Canvas c(5);
    c.SingleTexelHead();
    Layer& layer = c.AddLayer();
    const auto greenAt = [&](int n) {
        layer.alpha.row(32)[32] = 0;  // an untouched texel takes the target outright
        c.Dab(n);
        return layer.image.row(32)[32 * 3 + 1];
    };
    EXPECT_EQ(greenAt(1), 255 * 1 / 255);
    EXPECT_EQ(greenAt(128), 128);
    EXPECT_EQ(greenAt(254), 254);
    EXPECT_EQ(greenAt(255), 255);  // background reached
    EXPECT_EQ(layer.image.row(32)[32 * 3 + 2], 0);
    EXPECT_EQ(greenAt(400), 255);  // and kept
    c.brush.dabCount = 10;         // a limited brush sets the length
    EXPECT_EQ(greenAt(5), 255 * 5 / 10);
}

TEST(SpecialPaint, CheckersAndBandsCountCellsTowardZero)
{
    Canvas c(11, 8);
    c.SquareHead();
    Layer& layer = c.AddLayer();
    c.Dab(1, 15, 15);  // covers columns and rows 0..30
    const auto green = [&](int x, int y) { return layer.image.row(y)[x * 3 + 1]; };
    EXPECT_EQ(green(0, 0), 255);   // bg
    EXPECT_EQ(green(7, 7), 255);
    EXPECT_EQ(green(8, 0), 0);     // fg (red)
    EXPECT_EQ(green(15, 7), 0);
    EXPECT_EQ(green(8, 8), 255);
    EXPECT_EQ(green(16, 0), 255);

    // Column -1, clamped onto column 0, is still in cell 0: the background.
    Canvas edge(11, 8);
    edge.SingleTexelHead(kHeadCentre, kHeadCentre - 1);
    Layer& edgeLayer = edge.AddLayer();
    edge.Dab(1, 0, 3);
    EXPECT_EQ(edgeLayer.image.row(3)[1], 255);

    Canvas bands(23, 4);  // horizontal bands 4 rows high, fg in even bands
    bands.SquareHead();
    Layer& banded = bands.AddLayer();
    bands.Dab(1, 15, 15);
    EXPECT_EQ(banded.image.row(3)[2], 255);
    EXPECT_EQ(banded.image.row(4)[1], 255);
    EXPECT_EQ(banded.image.row(4)[2], 0);

    Canvas vertical(24, 4);
    vertical.SquareHead();
    vertical.paint.bumpMap = 1;
    Layer& bump = vertical.AddLayer(MapType::Bump);
    vertical.Dab(1, 15, 15);
    EXPECT_EQ(bump.image.row(0)[3], 255 / 3);  // grey(fg)
    EXPECT_EQ(bump.image.row(0)[4], 255 / 3);  // grey(bg), the same grey here
}

TEST(SpecialPaint, AlphaPaintsLeaveValuesAndTheBaseLayerAlone)
{
    Canvas remover(21);
    remover.SquareHead();
    Layer& layer = remover.AddLayer();
    layer.alpha.Fill(1);
    layer.alpha.row(32)[33] = 200;
    remover.m.stack(MapType::Colour)[1].alpha.Fill(100);
    remover.Dab();
    EXPECT_EQ(layer.alpha.row(32)[32], 1);  // never removed completely
    EXPECT_EQ(layer.alpha.row(32)[33], 200 - ((55 * 65280) >> 16));

    Canvas intensify(20);
    intensify.SingleTexelHead();
    Layer& thin = intensify.AddLayer();
    thin.alpha.row(32)[32] = 100;
    thin.image.row(32)[32 * 3] = 9;
    intensify.Dab();
    EXPECT_EQ(thin.alpha.row(32)[32], 100 + ((155 * 65280) >> 16));
    EXPECT_EQ(thin.image.row(32)[32 * 3], 9);

    Canvas base(21);
    base.SingleTexelHead();
    base.m.stack(MapType::Colour)[1].alpha.Fill(100);
    base.Dab();
    EXPECT_EQ(base.m.stack(MapType::Colour)[1].alpha.row(32)[32], 100);
}

TEST(SpecialPaint, PaintsThatReadTheLayerBelow)
{
    Canvas inverse(9);
    inverse.SquareHead();
    Layer& layer = inverse.AddLayer();
    inverse.Dab();
    EXPECT_EQ(layer.image.row(32)[32 * 3], static_cast<std::uint8_t>(~200));
    inverse.Dab(2);  // the complement of layer 1 again, not of itself
    EXPECT_EQ(layer.image.row(32)[32 * 3], static_cast<std::uint8_t>(~200));
    EXPECT_EQ(layer.image.row(32)[32 * 3 + 2], static_cast<std::uint8_t>(~30));

    // The base texel (blue 200, green 60, red 30) gives 10 + 60 + 200 = 270 > 255: foreground.
    Canvas chiaro(8, 255);
    chiaro.SingleTexelHead();
    Layer& light = chiaro.AddLayer();
    chiaro.Dab();
    EXPECT_EQ(light.image.row(32)[32 * 3 + 2], 255);
    EXPECT_EQ(light.image.row(32)[32 * 3 + 1], 0);
    chiaro.m.stack(MapType::Colour)[1].image.Fill24(100, 60, 30);  // 170: background
    chiaro.Dab();
    EXPECT_EQ(light.image.row(32)[32 * 3 + 1], 255);

    // Multiply on an untouched paint-layer texel multiplies the layer below; on the Base Layer,
    // which has none, the texel's own value.
    Canvas multiply(6);
    multiply.SingleTexelHead();
    multiply.values.foreground = 0xFF808080;
    Layer& felt = multiply.AddLayer();
    felt.image.Fill24(0, 0, 0);
    multiply.Dab();
    EXPECT_EQ(felt.image.row(32)[32 * 3], 200 + ((((200 * 128) >> 8) - 200) * 65280 >> 16));
    Canvas onBase(6);
    onBase.SingleTexelHead();
    onBase.values.foreground = 0xFF808080;
    onBase.m.stack(MapType::Colour)[1].alpha.Fill(0);
    onBase.m.stack(MapType::Colour)[1].image.Fill24(50, 50, 50);
    onBase.Dab();
    EXPECT_EQ(onBase.Texel(MapType::Colour, 1, 32, 32)[0], 50 + ((((50 * 128) >> 8) - 50) * 65280 >> 16));

    // Pointillist takes the layer below at the centre where it has paint.
    Canvas dots(7);
    dots.SquareHead();
    dots.m.stack(MapType::Colour)[1].image.row(32)[32 * 3] = 17;
    Layer& dotted = dots.AddLayer();
    dots.Dab();
    EXPECT_EQ(dotted.image.row(40)[40 * 3], 17);
}

TEST(SpecialPaint, RefusalsComeInOrderForEveryDabAndChangeNothing)
{
    struct Case {
        int special;
        bool selfIllumBase;
        bool colourBase;
        const char* text;
    };
    const Case cases[] = {
        {7, true, false, "You can not apply Pointillist Paint to the Base Self Illumination Layer"},
        {7, false, true, "You can not apply Pointillist Paint to the Base Colour Layer"},
        {14, true, false, "You can not apply Self Masking Paint to the Base Self Illumination Layer"},
        {9, true, false, "Can't paint Inverse on the Self Illumination base layer, please add a layer"},
        {8, false, true, "Can't paint Chiaroscuro on the base layer, please add a layer"},
    };
    for (const Case& k : cases) {
        RecordingInteraction ui;
        Scene scene = MakePaintableSquare(40, 30, kMap, kMap, 90, 90, ui);
        Material& m = scene.materials[1];
        NewLayer(m, MapType::Colour, ui);
        NewLayer(m, MapType::SelfIllum, ui);
        NewLayer(m, MapType::Bump, ui);  // Bump stays on layer 2 throughout
        if (k.colourBase) m.setCurrent(MapType::Colour, 1);
        if (k.selfIllumBase) m.setCurrent(MapType::SelfIllum, 1);
        m.setCurrent(MapType::Shininess, 1);  // also a base layer, but checked last
        Brush brush = DefaultBrush();
        Paint paint = DefaultPaint();
        paint.specialNumber = k.special;
        paint.selfIllumMap = paint.bumpMap = paint.shininessMap = 1;
        PaintValues values;
        PaintRandom random;
        ViewFrame frame;
        ASSERT_TRUE(frame.Create(40, 30));
        const RenderOptions options{2, false, false};
        const LightingSettings lighting;
        const Painter painter(scene, frame, options, lighting, {brush, paint, values, random, PaintTool::Brush}, &ui);
        std::vector<std::vector<std::uint8_t>> before;
        for (const MapType type : kAllMapTypes)
            for (int layer = 1; layer < m.stack(type).count(); ++layer)
                before.emplace_back(m.stack(type)[layer].image.bits().begin(), m.stack(type)[layer].image.bits().end());
        painter.Dab(1, 32768, 32768, 1);
        painter.Dab(2, 32768, 32768, 1);
        EXPECT_EQ(ui.Dialogs(), (std::vector<std::string>{k.text, k.text})) << k.special;
        std::size_t n = 0;
        for (const MapType type : kAllMapTypes)
            for (int layer = 1; layer < m.stack(type).count(); ++layer) {
                const auto a = m.stack(type)[layer].image.bits();
                EXPECT_TRUE(std::equal(a.begin(), a.end(), before[n++].begin())) << k.special;
            }
    }
    // Pointillist's Shininess text has no "Paint" in it.
    Paint shine = DefaultPaint();
    shine.specialNumber = 7;
    shine.colourMap = 0;
    shine.shininessMap = 1;
    const Material m = MakeLayeredMaterial(8, 8, 0, 0, 0, 0);
    EXPECT_EQ(SpecialPaintRefusal(shine, m), "You can not apply Pointillist to the Base Shininess Layer");
}

TEST(SpecialPaint, RandomVariationsDrawFromTheSharedSource)
{
    // Randomise Luma draws once per dab (amount, direction, then a direction and amount for
    // each of the four 8-bit values); with dirtiness the ordinary per-texel draws follow.
    Canvas luma(17, 100);
    luma.SingleTexelHead();
    PaintRandom expected = luma.random;
    luma.Dab();
    for (int k = 0; k < 10; ++k)
        expected.Next();
    EXPECT_EQ(luma.random.Next(), expected.Next());

    Canvas dirty(17, 100);
    dirty.SingleTexelHead();
    dirty.paint.dirtiness = 50;
    PaintRandom same = dirty.random;
    dirty.Dab();
    for (int k = 0; k < 12; ++k)
        same.Next();
    EXPECT_EQ(dirty.random.Next(), same.Next());

    // Brushed varies its working colour at every painted texel, so a streak is not flat.
    Canvas brushed(15, 80);
    brushed.SquareHead();
    Layer& layer = brushed.AddLayer();
    brushed.Dab();
    std::set<int> reds;
    for (int x = 20; x < 44; ++x)
        reds.insert(layer.image.row(32)[x * 3 + 2]);
    EXPECT_GT(reds.size(), 3u);

    // Alpha Checkers: equal-parity cells keep their value; the others take the current value,
    // dirt-varied, on an 8-bit map.
    Canvas checkers(12, 4);
    checkers.SquareHead();
    checkers.paint.colourMap = 0;
    checkers.paint.bumpMap = 1;
    checkers.paint.dirtiness = 255;
    checkers.values.bump = 128;
    checkers.Dab(1, 15, 15);
    std::set<int> varied;
    for (int x = 0; x < 31; ++x) {
        const int v = checkers.Texel(MapType::Bump, 1, x, 1)[0];
        if ((x / 4) % 2 == 0)
            EXPECT_EQ(v, 200) << x;
        else
            varied.insert(v);
    }
    EXPECT_GT(varied.size(), 3u);
}

TEST(SpecialPaint, BlurAveragesTheNeighbourhoodByTheAmount)
{
    Canvas c(13, 255);
    c.SingleTexelHead();
    Layer& base = c.m.stack(MapType::Colour)[1];
    base.image.row(32)[32 * 3] = 255;  // one bright texel among 200s
    c.Dab();
    const int mean = (8 * 200 + 255) / 9;
    EXPECT_EQ(base.image.row(32)[32 * 3], 255 + (((mean - 255) * 65025) >> 16));
    // Wrapped neighbours at the corner: the texel reads the opposite edges.
    Canvas corner(13, 255);
    corner.SingleTexelHead();
    corner.m.stack(MapType::Colour)[1].image.row(kMap - 1)[(kMap - 1) * 3] = 29;
    corner.Dab(1, 0, 0);
    EXPECT_EQ(corner.Texel(MapType::Colour, 1, 0, 0)[0], 200 + ((((8 * 200 + 29) / 9 - 200) * 65025) >> 16));
}

// The dirtiness variation as the paints describe it: an odd first draw lightens, the second
// draw mod (amount + 1) is how far; lighten c + ((256 - c) x r >> 8), darken c - (c x r >> 8).
std::array<int, 3> Varied(std::array<int, 3> bgr, bool lighten, int r)
{
    for (int& c : bgr)
        c = lighten ? c + (((256 - c) * r) >> 8) : c - ((c * r) >> 8);
    return bgr;
}

std::array<int, 3> TexelOf(const Layer& layer, int column, int row)
{
    const std::uint8_t* t = layer.image.row(row) + column * 3;
    return {t[0], t[1], t[2]};
}

// One row per special paint whose value rule no other test here pins: a single fully
// weighted texel, set up so that only the paint's own rule gives the expected bytes (blue,
// green, red). The base texel is (200, 60, 30) with alpha 255; a new layer is transparent.
// Darken, Lighten, Gradient, Pointillist, Chiaroscuro, Inverse, Checkers, Blur, the alpha
// paints and the bands are pinned by the tests above.
TEST(SpecialPaint, EveryValueRuleGivesItsOwnTexel)
{
    constexpr std::uint32_t kMixed = 0xFF4080C0;  // blue 64, green 128, red 192
    struct Row {
        const char* name;
        int special;
        int amount;
        std::function<Layer&(Canvas&)> setup;  // returns the layer to look at
        std::function<std::array<int, 3>(Canvas&, PaintRandom)> expected;  // from the source as it was
        int alpha;                                                          // expected alpha
        int column = 32, row = 32;                                          // the dab's centre and the texel
    };
    const auto base = [](Canvas& c) -> Layer& { return c.m.stack(MapType::Colour)[1]; };
    const auto fresh = [](Canvas& c) -> Layer& {
        Layer& layer = c.AddLayer();
        std::fill_n(layer.image.row(32) + 32 * 3, 3, std::uint8_t{9});
        return layer;
    };
    const auto fixed = [](std::array<int, 3> v) { return [v](Canvas&, PaintRandom) { return v; }; };
    const std::vector<Row> rows = {
        // Each channel toward grey(texel) = 96 by (128 x 256 / 256) x 255.
        {"Desaturate", 4, 128, base, fixed({148, 77, 62}), 255},
        // Painted texel: c toward c x fg / 256 by X = 255 x 129.
        {"Multiply", 6, 128,
         [&](Canvas& c) -> Layer& {
             c.values.foreground = 0x80808080;
             return base(c);
         },
         fixed({149, 44, 22}), 255},
        // By white at full intensity: c x 255 / 256, one below c.
        {"Multiply by white", 6, 128,
         [&](Canvas& c) -> Layer& {
             c.values.foreground = 0xFFFFFFFF;
             return base(c);
         },
         fixed({199, 59, 29}), 255},
        // Below (blue 100, green 50, red 30): 30 / 3 + 50 + 100 = 160, not above A = 160: bg.
        {"Chiaroscuro at the threshold", 8, 160,
         [&](Canvas& c) -> Layer& {
             std::uint8_t* below = c.Texel(MapType::Colour, 1, 32, 32);
             below[0] = 100;
             below[1] = 50;
             return fresh(c);
         },
         fixed({0, 255, 0}), 254},
        // Within the window around bg: grey(texel) 96 x fg >> 8.
        {"Replace Paint", 10, 128,
         [&](Canvas& c) -> Layer& {
             c.values.foreground = 0xFF4080FF;
             c.values.background = 0xFFC83C1E;
             return base(c);
         },
         fixed({24, 48, 95}), 255},
        // The top of the window, bg_c + ((256 - bg_c) x A >> 8), is still inside: grey 176 x fg >> 8.
        {"Replace Paint at the top of the window", 10, 128,
         [&](Canvas& c) -> Layer& {
             c.values.foreground = 0xFF4080FF;
             c.values.background = 0xFFC83C1E;
             std::uint8_t* texel = c.Texel(MapType::Colour, 1, 32, 32);
             texel[0] = 228;
             texel[1] = 158;
             texel[2] = 143;
             return base(c);
         },
         fixed({44, 88, 175}), 255},
        // Column cell 8 and row cell 8 have equal parity: the value stays, only the alpha grows.
        {"Alpha Checkers", 12, 4, fresh, fixed({9, 9, 9}), 254},
        // The layer below matches bg, the layer itself does not: fg set outright.
        {"Self Masking", 14, 128,
         [&](Canvas& c) -> Layer& {
             c.values.background = 0xFFC83C1E;
             return fresh(c);
         },
         fixed({0, 0, 255}), 254},
        // The dab's own colour varied once by amount A, set outright.
        {"Brushed", 15, 80,
         [&](Canvas& c) -> Layer& {
             c.values.foreground = kMixed;
             return fresh(c);
         },
         [](Canvas&, PaintRandom r) {
             const bool lighten = r.Next() % 2 == 1;
             return Varied({64, 128, 192}, lighten, r.Next() % 81);
         },
         254},
        // Painted texel: bg + (fg - bg) x X >> 16, X = 255 x 129, whatever the texel held.
        {"Halo", 16, 0,
         [](Canvas& c) -> Layer& {
             c.values.foreground = 0x800000FF;
             return c.m.stack(MapType::Colour)[1];
         },
         fixed({0, 127, 127}), 255},
        // Untouched texel: fg itself.
        {"Halo on a new layer", 16, 0, fresh, fixed({0, 0, 255}), 254},
        // r = rand mod A, then one coin for all three channels (A = 30 < the first draw, 41,
        // so mod A and mod (A + 1) differ).
        {"Randomise Luma", 17, 30,
         [&](Canvas& c) -> Layer& {
             c.values.foreground = kMixed;
             return fresh(c);
         },
         [](Canvas&, PaintRandom r) {
             const int amount = r.Next() % 30;
             return Varied({64, 128, 192}, r.Next() % 2 == 1, amount);
         },
         254},
        // Bump 200 (>= 128) lightens fg by it.
        {"Drybrush on a high bump", 18, 0,
         [&](Canvas& c) -> Layer& {
             c.values.foreground = kMixed;
             return fresh(c);
         },
         fixed({214, 228, 242}), 254},
        // Bump 100 darkens fg: c - c x 100 / 256.
        {"Drybrush on a low bump", 18, 0,
         [&](Canvas& c) -> Layer& {
             c.values.foreground = kMixed;
             c.m.stack(MapType::Bump)[0].image.row(32)[32] = 100;
             return fresh(c);
         },
         fixed({39, 78, 117}), 254},
        // Bump 128 already lightens: c + ((256 - c) x 128 >> 8).
        {"Drybrush on a middle bump", 18, 0,
         [&](Canvas& c) -> Layer& {
             c.values.foreground = kMixed;
             c.m.stack(MapType::Bump)[0].image.row(32)[32] = 128;
             return fresh(c);
         },
         fixed({160, 192, 224}), 254},
        // Where nothing is painted fg is set but stays invisible: the alpha remains 0.
        {"Alpha Masked", 19, 0, fresh, fixed({0, 0, 255}), 0},
        // One coin, then each channel (blue, green, red) its own rand mod A.
        {"Rainbow", 22, 100,
         [&](Canvas& c) -> Layer& {
             c.values.foreground = kMixed;
             return fresh(c);
         },
         [](Canvas&, PaintRandom r) {
             const bool lighten = r.Next() % 2 == 1;
             std::array<int, 3> out{};
             const std::array<int, 3> fg{64, 128, 192};
             for (int k = 0; k < 3; ++k)
                 out[static_cast<std::size_t>(k)] = Varied(fg, lighten, r.Next() % 100)[static_cast<std::size_t>(k)];
             return out;
         },
         254},
        // Five rows above the map (row -5, clamped onto row 0) lie in band -5 / 4 = -1: odd, bg.
        {"Horizontal Bands above the map", 23, 4,
         [](Canvas& c) -> Layer& {
             c.SingleTexelHead(kHeadCentre + 5, kHeadCentre);
             return c.AddLayer();
         },
         fixed({0, 255, 0}), 254, 32, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Canvas c(row.special, row.amount);
        c.SingleTexelHead();
        Layer& layer = row.setup(c);
        const PaintRandom before = c.random;
        c.Dab(1, row.column, row.row);
        EXPECT_EQ(TexelOf(layer, row.column, row.row), row.expected(c, before));
        EXPECT_EQ(layer.alpha.row(row.row)[row.column], row.alpha);
    }
}

} // namespace
} // namespace gessoria::test
