#include "paint/PaintFootprint.h"

#include "paint/TexelRules.h"
#include "scene/Material.h"

#include <algorithm>
#include <array>

namespace gessoria {
namespace {

// The map types in the order a dab writes them, with the paint's switch for each.
struct WrittenType {
    MapType type;
    int Paint::*enabled;
};
constexpr WrittenType kPaintOrder[] = {{MapType::Colour, &Paint::colourMap},
                                       {MapType::SelfIllum, &Paint::selfIllumMap},
                                       {MapType::Bump, &Paint::bumpMap},
                                       {MapType::Shininess, &Paint::shininessMap},
                                       {MapType::Opacity, &Paint::opacityMap}};

// One written map type of the dab: its selected layer k (1 or more) and the layer below.
struct PaintTarget {
    MapType type;
    Layer* layer;
    const Layer* below;  // layer k - 1 when k >= 2
    int k;
    int bytes;
};

// Everything a rule reads: the dab's prepared values and the texel being painted.
struct DabRun {
    const PaintingContext& context;
    Material& material;
    int dabNumber;
    DabCentre centre;
    int amount;      // slider A, 0 counting as 1
    int intensity;
    int dirtiness;
    std::uint8_t fg[3];      // blue, green, red
    std::uint8_t bg[3];
    std::uint8_t colour[3];  // the colour this dab lays; per-dab and per-texel preparations change it
    std::array<std::uint8_t, kMapTypeCount> current{};   // by storage index, likewise
    std::array<std::uint8_t, kMapTypeCount> plain{};     // the current values as set, before any variation
    std::array<std::array<std::uint8_t, 3>, kMapTypeCount> pointTarget{};
    PaintTarget targets[kMapTypeCount];
    int targetCount = 0;

    // The texel.
    int row = 0, column = 0, unclampedRow = 0, unclampedColumn = 0;
    int weight = 0;        // X = mask x (intensity + 1)
    int amountWeight = 0;  // (A x (intensity + 1) >> 8) x mask

    std::uint8_t Current(const PaintTarget& t) const { return current[static_cast<std::size_t>(StorageIndex(t.type))]; }
    const std::uint8_t* Below(const PaintTarget& t) const
    {
        return t.below ? t.below->image.row(row) + column * t.bytes : nullptr;
    }
    // The dirtiness variation of c (bytes channels, one amount for all), or c when the paint is clean.
    void DirtVary(std::uint8_t* out, const std::uint8_t* c, int bytes)
    {
        const Dirt dirt = dirtiness >= 1 ? Dirt::Draw(context.random, dirtiness) : Dirt{};
        for (int b = 0; b < bytes; ++b)
            out[b] = dirtiness >= 1 ? dirt.Applied(c[b]) : c[b];
    }
};

void LayAll(std::uint8_t* value, const std::uint8_t* target, int bytes, int weight, bool untouched)
{
    for (int b = 0; b < bytes; ++b)
        value[b] = LaidValue(value[b], target[b], weight, untouched);
}

// The ordinary paint's treatment of one texel: alpha accumulated, the target dirt-varied,
// laid by the weight.
void PaintLikeOrdinary(DabRun& d, const PaintTarget& t, std::uint8_t* value, std::uint8_t& alpha, const std::uint8_t* target)
{
    const bool untouched = alpha == 0;
    AccumulateAlpha(alpha, d.weight);
    std::uint8_t varied[3];
    d.DirtVary(varied, target, t.bytes);
    LayAll(value, varied, t.bytes, d.weight, untouched);
}

// Alpha accumulated, the target laid as it is.
void PaintPlain(DabRun& d, const PaintTarget& t, std::uint8_t* value, std::uint8_t& alpha, const std::uint8_t* target)
{
    const bool untouched = alpha == 0;
    AccumulateAlpha(alpha, d.weight);
    LayAll(value, target, t.bytes, d.weight, untouched);
}

bool IsColour(const PaintTarget& t) { return t.type == MapType::Colour; }

// ---- Rules, one per paint: (dab, target, value bytes, alpha) ----

void Ordinary(DabRun& d, const PaintTarget& t, std::uint8_t* value, std::uint8_t& alpha)
{
    const std::uint8_t current = d.Current(t);
    PaintLikeOrdinary(d, t, value, alpha, IsColour(t) ? d.colour : &current);
}

// Darken and Lighten: where there is paint, every map type moves by the amount; where there
// is none, Shininess and Opacity take their current values and the others stay.
template <bool kLighten>
void Shade(DabRun& d, const PaintTarget& t, std::uint8_t* value, std::uint8_t& alpha)
{
    if (alpha == 0) {
        if (t.type == MapType::Shininess || t.type == MapType::Opacity)
            value[0] = d.Current(t);
        return;
    }
    for (int b = 0; b < t.bytes; ++b)
        value[b] = static_cast<std::uint8_t>(kLighten ? value[b] + ((d.amountWeight * (255 - value[b])) >> 16)
                                                      : value[b] - ((d.amountWeight * value[b]) >> 16));
}

void Desaturate(DabRun& d, const PaintTarget& t, std::uint8_t* value, std::uint8_t& alpha)
{
    if (!IsColour(t))
        return Ordinary(d, t, value, alpha);
    if (alpha == 0)
        return;
    const std::uint8_t grey = Grey(value);
    for (int b = 0; b < 3; ++b)
        value[b] = BlendToward(value[b], grey, d.amountWeight);
}

// The dab's colour as it is (its grey on the 8-bit map types): Gradient's colour of the dab,
// Brushed's streaking working colour.
void DabColour(DabRun& d, const PaintTarget& t, std::uint8_t* value, std::uint8_t& alpha)
{
    const std::uint8_t grey = Grey(d.colour);
    PaintPlain(d, t, value, alpha, IsColour(t) ? d.colour : &grey);
}

// Multiply on a texel without paint multiplies the layer below, or on the Base Layer (which
// has none) the texel's own value.
void Multiply(DabRun& d, const PaintTarget& t, std::uint8_t* value, std::uint8_t& alpha)
{
    if (!IsColour(t))
        return Ordinary(d, t, value, alpha);
    const bool untouched = alpha == 0;
    AccumulateAlpha(alpha, d.weight);
    const std::uint8_t* below = d.Below(t);
    for (int c = 0; c < 3; ++c) {
        if (!untouched) {
            value[c] = BlendToward(value[c], value[c] * d.fg[c] / 256, d.weight);
            continue;
        }
        const int b = below ? below[c] : value[c];
        value[c] = static_cast<std::uint8_t>(b + ((((b * d.fg[c]) >> 8) - b) * d.weight >> 16));
    }
}

void Pointillist(DabRun& d, const PaintTarget& t, std::uint8_t* value, std::uint8_t& alpha)
{
    PaintLikeOrdinary(d, t, value, alpha, d.pointTarget[static_cast<std::size_t>(StorageIndex(t.type))].data());
}

void Chiaroscuro(DabRun& d, const PaintTarget& t, std::uint8_t* value, std::uint8_t& alpha)
{
    if (!IsColour(t))
        return Ordinary(d, t, value, alpha);
    AccumulateAlpha(alpha, d.weight);
    const std::uint8_t* below = d.Below(t);
    const std::uint8_t* seen = below ? below : value;
    const int s = seen[2] / 3 + seen[1] + seen[0];
    std::copy_n(s > d.amount ? d.fg : d.bg, 3, value);
}

void Inverse(DabRun& d, const PaintTarget& t, std::uint8_t* value, std::uint8_t& alpha)
{
    AccumulateAlpha(alpha, d.weight);
    const std::uint8_t* below = d.Below(t);
    for (int b = 0; b < t.bytes; ++b)
        value[b] = static_cast<std::uint8_t>(~(below ? below[b] : value[b]));
}

// Within the window [c - (A x c >> 8), c + ((256 - c) x A >> 8)] around c.
bool WithinTolerance(int value, int c, int amount)
{
    return value >= c - ((amount * c) >> 8) && value <= c + (((256 - c) * amount) >> 8);
}

bool ColourWithin(const std::uint8_t* texel, const std::uint8_t* c, int amount)
{
    return WithinTolerance(texel[0], c[0], amount) && WithinTolerance(texel[1], c[1], amount) &&
           WithinTolerance(texel[2], c[2], amount);
}

void ReplacePaint(DabRun& d, const PaintTarget& t, std::uint8_t* value, std::uint8_t&)
{
    if (IsColour(t)) {
        if (ColourWithin(value, d.bg, d.amount)) {
            const int grey = Grey(value);
            for (int c = 0; c < 3; ++c)
                value[c] = static_cast<std::uint8_t>((grey * d.fg[c]) >> 8);
        }
        return;
    }
    if (WithinTolerance(value[0], Grey(d.bg), d.amount))
        value[0] = d.Current(t);
}

// Equal parity of the column and row cells (division toward zero).
bool SameParityCell(const DabRun& d)
{
    return ((d.unclampedColumn / d.amount) & 1) == ((d.unclampedRow / d.amount) & 1);
}

// Foreground or background, as the cell or band says; fg is dirt-varied, the 8-bit map types
// take the colours' greys.
void Alternate(DabRun& d, const PaintTarget& t, std::uint8_t* value, std::uint8_t& alpha, bool fgHere)
{
    std::uint8_t target[3];
    if (IsColour(t)) {
        if (fgHere)
            d.DirtVary(target, d.fg, 3);
        else
            std::copy_n(d.bg, 3, target);
    } else {
        target[0] = Grey(fgHere ? d.fg : d.bg);
    }
    PaintPlain(d, t, value, alpha, target);
}

void Checkers(DabRun& d, const PaintTarget& t, std::uint8_t* value, std::uint8_t& alpha)
{
    Alternate(d, t, value, alpha, !SameParityCell(d));
}

// The equal-parity cells keep their value and only gain alpha; the others take the dirt-varied
// foreground, or on the 8-bit map types the dirt-varied current value.
void AlphaCheckers(DabRun& d, const PaintTarget& t, std::uint8_t* value, std::uint8_t& alpha)
{
    if (SameParityCell(d)) {
        AccumulateAlpha(alpha, d.weight);
        return;
    }
    const std::uint8_t current = d.Current(t);
    PaintLikeOrdinary(d, t, value, alpha, IsColour(t) ? d.fg : &current);
}

void Blur(DabRun& d, const PaintTarget& t, std::uint8_t* value, std::uint8_t& alpha)
{
    const int width = d.material.mapWidth, height = d.material.mapHeight;
    int sums[3] = {0, 0, 0};
    int alphaSum = 0;
    for (int dy = -1; dy <= 1; ++dy) {
        const int y = (d.row + dy + height) % height;
        for (int dx = -1; dx <= 1; ++dx) {
            const int x = (d.column + dx + width) % width;
            const std::uint8_t* texel = t.layer->image.row(y) + x * t.bytes;
            for (int b = 0; b < t.bytes; ++b)
                sums[b] += texel[b];
            alphaSum += t.layer->alpha.row(y)[x];
        }
    }
    const bool untouched = alpha == 0;
    alpha = BlendToward(alpha, alphaSum / 9, d.amountWeight);
    for (int b = 0; b < t.bytes; ++b)
        value[b] = LaidValue(value[b], static_cast<std::uint8_t>(sums[b] / 9), d.amountWeight, untouched);
}

void SelfMasking(DabRun& d, const PaintTarget& t, std::uint8_t* value, std::uint8_t& alpha)
{
    const std::uint8_t* below = d.Below(t);
    const std::uint8_t* seen = below ? below : value;
    if (IsColour(t)) {
        if (ColourWithin(seen, d.bg, d.amount))
            PaintLikeOrdinary(d, t, value, alpha, d.fg);
        return;
    }
    const bool untouched = alpha == 0;
    AccumulateAlpha(alpha, d.weight);
    if (!WithinTolerance(seen[0], Grey(d.bg), d.amount))
        return;
    const std::uint8_t current = d.Current(t);
    std::uint8_t target;
    d.DirtVary(&target, &current, 1);
    value[0] = LaidValue(value[0], target, d.weight, untouched);
}

// The working colour streaks: varied at every painted texel, never reset within the dab.
void BrushedTexel(DabRun& d)
{
    const Dirt dirt = Dirt::Draw(d.context.random, d.amount);
    for (std::uint8_t& c : d.colour)
        c = dirt.Applied(c);
}

void Halo(DabRun& d, const PaintTarget& t, std::uint8_t* value, std::uint8_t& alpha)
{
    if (!IsColour(t))
        return Ordinary(d, t, value, alpha);
    const bool untouched = alpha == 0;
    AccumulateAlpha(alpha, d.weight);
    std::uint8_t target[3];
    d.DirtVary(target, d.fg, 3);
    for (int c = 0; c < 3; ++c)
        value[c] = untouched ? target[c] : BlendToward(d.bg[c], target[c], d.weight);
}

// With dirtiness the per-texel variation of the plain foreground and values replaces the
// dab's varied ones.
void RandomisedLuma(DabRun& d, const PaintTarget& t, std::uint8_t* value, std::uint8_t& alpha)
{
    if (d.dirtiness < 1)
        return Ordinary(d, t, value, alpha);
    const std::uint8_t plain = d.plain[static_cast<std::size_t>(StorageIndex(t.type))];
    PaintLikeOrdinary(d, t, value, alpha, IsColour(t) ? d.fg : &plain);
}

void Drybrush(DabRun& d, const PaintTarget& t, std::uint8_t* value, std::uint8_t& alpha)
{
    if (!IsColour(t))
        return Ordinary(d, t, value, alpha);
    const LayerStack& bump = d.material.stack(MapType::Bump);
    const int s = bump.count() > 0 ? bump[0].image.row(d.row)[d.column] : 128;
    std::uint8_t target[3];
    for (int c = 0; c < 3; ++c)
        target[c] = static_cast<std::uint8_t>(s >= 128 ? d.fg[c] + (((256 - d.fg[c]) * s) >> 8) : d.fg[c] - d.fg[c] * s / 256);
    PaintPlain(d, t, value, alpha, target);
}

void AlphaMasked(DabRun& d, const PaintTarget& t, std::uint8_t* value, std::uint8_t& alpha)
{
    if (!IsColour(t))
        return Ordinary(d, t, value, alpha);
    std::uint8_t target[3];
    d.DirtVary(target, d.fg, 3);
    LayAll(value, target, 3, d.weight, alpha == 0);
}

void AlphaIntensify(DabRun& d, const PaintTarget& t, std::uint8_t*, std::uint8_t& alpha)
{
    if (alpha != 0 && t.k >= 2)
        AccumulateAlpha(alpha, d.weight);
}

// Thins the alpha of paint layers but never clears it: at least 1 stays.
void AlphaRemover(DabRun& d, const PaintTarget& t, std::uint8_t*, std::uint8_t& alpha)
{
    if (t.k < 2)
        return;
    const int a = std::min<int>(alpha, 250);
    if (a > 0)
        alpha = static_cast<std::uint8_t>(std::max(a - (((255 - a) * d.weight) >> 16), 1));
}

void HorizontalBands(DabRun& d, const PaintTarget& t, std::uint8_t* value, std::uint8_t& alpha)
{
    Alternate(d, t, value, alpha, ((d.unclampedRow / d.amount) & 1) == 0);
}

void VerticalBands(DabRun& d, const PaintTarget& t, std::uint8_t* value, std::uint8_t& alpha)
{
    Alternate(d, t, value, alpha, ((d.unclampedColumn / d.amount) & 1) == 0);
}

// ---- Once-per-dab preparations ----

// The gradient runs from fg to bg over the brush's dab limit, or 255 dabs when unlimited.
void PrepareGradient(DabRun& d)
{
    const int length = d.context.brush.dabCount > 0 ? d.context.brush.dabCount : 255;
    const int m = std::min(d.dabNumber, length);
    for (int c = 0; c < 3; ++c)
        d.colour[c] = static_cast<std::uint8_t>(d.fg[c] + (d.bg[c] - d.fg[c]) * m / length);
}

// One target per map type: the layer below at the dab's centre where it has paint, else the
// foreground or current value.
void PreparePointillist(DabRun& d)
{
    const int row = std::clamp(d.centre.row, 0, d.material.mapHeight - 1);
    const int column = std::clamp(d.centre.column, 0, d.material.mapWidth - 1);
    for (int i = 0; i < d.targetCount; ++i) {
        const PaintTarget& t = d.targets[i];
        auto& target = d.pointTarget[static_cast<std::size_t>(StorageIndex(t.type))];
        if (t.below && t.below->alpha.row(row)[column] != 0)
            std::copy_n(t.below->image.row(row) + column * t.bytes, t.bytes, target.begin());
        else if (IsColour(t))
            std::copy_n(d.fg, 3, target.begin());
        else
            target[0] = d.Current(t);
    }
}

// Each 8-bit current value gets its own direction and amount rand() mod (A + 1).
void VaryCurrentValues(DabRun& d)
{
    for (const MapType type : kAllMapTypes)
        if (!IsColourType(type)) {
            std::uint8_t& value = d.current[static_cast<std::size_t>(StorageIndex(type))];
            value = Dirt::Draw(d.context.random, d.amount).Applied(value);
        }
}

void PrepareRandomiseLuma(DabRun& d)
{
    Dirt dirt;
    dirt.r = d.context.random.Next() % d.amount;
    dirt.lighten = d.context.random.Next() % 2 == 1;
    for (std::uint8_t& c : d.colour)
        c = dirt.Applied(c);
    VaryCurrentValues(d);
}

void PrepareRainbow(DabRun& d)
{
    Dirt dirt;
    dirt.lighten = d.context.random.Next() % 2 == 1;
    for (std::uint8_t& c : d.colour) {
        dirt.r = d.context.random.Next() % d.amount;
        c = dirt.Applied(c);
    }
    VaryCurrentValues(d);
}

using Rule = void (*)(DabRun&, const PaintTarget&, std::uint8_t*, std::uint8_t&);

// How a special paint refuses a Base Layer.
enum class Refusal { None, EveryWrittenBase, ColourBase };

struct SpecialRule {
    Rule rule;
    void (*prepareDab)(DabRun&) = nullptr;
    void (*prepareTexel)(DabRun&) = nullptr;
    Refusal refusal = Refusal::None;
    // The refusal texts by map type in refusal order (Colour, Self Illumination, Bump, Opacity, Shininess).
    std::array<const char*, kMapTypeCount> messages{};
};

// Indexed by paint number; entry 0 and 1 are the ordinary paint.
const std::array<SpecialRule, 25> kRules{{
    {Ordinary},
    {Ordinary},
    {Shade<false>},  // 2 Darken
    {Shade<true>},   // 3 Lighten
    {Desaturate},
    {DabColour, PrepareGradient},  // 5 Gradient
    {Multiply},
    {Pointillist, PreparePointillist, nullptr, Refusal::EveryWrittenBase,
     {"You can not apply Pointillist Paint to the Base Colour Layer",
      "You can not apply Pointillist Paint to the Base Self Illumination Layer",
      "You can not apply Pointillist Paint to the Base Bump Layer",
      "You can not apply Pointillist Paint to the Base Opacity Layer",
      "You can not apply Pointillist to the Base Shininess Layer"}},
    {Chiaroscuro, nullptr, nullptr, Refusal::ColourBase,
     {"Can't paint Chiaroscuro on the base layer, please add a layer"}},
    {Inverse, nullptr, nullptr, Refusal::EveryWrittenBase,
     {"Can't paint Inverse on the Colour base layer, please add a layer",
      "Can't paint Inverse on the Self Illumination base layer, please add a layer",
      "Can't paint Inverse on the Bump base layer, please add a layer",
      "Can't paint Inverse on the Opacity base layer, please add a layer",
      "Can't paint Inverse on the Shininess base layer, please add a layer"}},
    {ReplacePaint},
    {Checkers},
    {AlphaCheckers},
    {Blur},
    {SelfMasking, nullptr, nullptr, Refusal::EveryWrittenBase,
     {"You can not apply Self Masking Paint to the Base Colour Layer",
      "You can not apply Self Masking Paint to the Base Self Illumination Layer",
      "You can not apply Self Masking Paint to the Base Bump Layer",
      "You can not apply Self Masking Paint to the Base Opacity Layer",
      "You can not apply Self Masking Paint to the Base Shininess Layer"}},
    {DabColour, nullptr, BrushedTexel},  // 15 Brushed
    {Halo},
    {RandomisedLuma, PrepareRandomiseLuma},
    {Drybrush},
    {AlphaMasked},
    {AlphaIntensify},
    {AlphaRemover},
    {Ordinary, PrepareRainbow},  // 22 Rainbow
    {HorizontalBands},
    {VerticalBands},
}};

const SpecialRule& RuleFor(int number)
{
    return kRules[static_cast<std::size_t>(number >= 0 && number <= 24 ? number : 1)];
}

constexpr MapType kRefusalOrder[] = {MapType::Colour, MapType::SelfIllum, MapType::Bump, MapType::Opacity, MapType::Shininess};

bool Writes(const Paint& paint, MapType type)
{
    for (const WrittenType& w : kPaintOrder)
        if (w.type == type)
            return paint.*w.enabled != 0;
    return false;
}

} // namespace

std::uint8_t WrittenMapTypes(const Paint& paint)
{
    std::uint8_t written = 0;
    for (const WrittenType& w : kPaintOrder)
        if (paint.*w.enabled)
            written |= UndoBuffer::FlagOf(w.type);
    return written;
}

std::optional<std::string> SpecialPaintRefusal(const Paint& paint, const Material& material)
{
    const SpecialRule& rule = RuleFor(paint.specialNumber);
    if (!material.hasLayers)
        return std::nullopt;
    if (rule.refusal == Refusal::ColourBase && material.current(MapType::Colour) == 1)
        return rule.messages[0];
    if (rule.refusal == Refusal::EveryWrittenBase)
        for (std::size_t i = 0; i < kMapTypeCount; ++i)
            if (Writes(paint, kRefusalOrder[i]) && material.current(kRefusalOrder[i]) == 1)
                return rule.messages[i];
    return std::nullopt;
}

std::optional<TexelRect> LayPaintFootprint(Material& material, const PaintingContext& context, int dabNumber,
                                           std::int32_t u, std::int32_t v)
{
    return LayPaintFootprint(material, context, dabNumber, CentreOf(material, u, v));
}

struct FootprintRules::Run {
    DabRun d;
    const SpecialRule& special;
    int amountScale;
    WashGate gate;
};

FootprintRules::FootprintRules(Material& material, const PaintingContext& context, int dabNumber, DabCentre centre)
{
    const Paint& paint = context.paint;
    const PaintValues& values = context.values;
    const SpecialRule& special = RuleFor(paint.specialNumber);
    DabRun d{context, material, dabNumber, centre, std::max(paint.specialA, 1), ColourChannel(values.foreground, 3),
             paint.dirtiness,
             {ColourChannel(values.foreground, 2), ColourChannel(values.foreground, 1), ColourChannel(values.foreground, 0)},
             {ColourChannel(values.background, 2), ColourChannel(values.background, 1), ColourChannel(values.background, 0)},
             {}, {}, {}, {}, {}};
    std::copy_n(d.fg, 3, d.colour);
    d.current[static_cast<std::size_t>(StorageIndex(MapType::Bump))] = values.bump;
    d.current[static_cast<std::size_t>(StorageIndex(MapType::SelfIllum))] = values.selfIllum;
    d.current[static_cast<std::size_t>(StorageIndex(MapType::Opacity))] = values.opacity;
    d.current[static_cast<std::size_t>(StorageIndex(MapType::Shininess))] = values.shininess;
    d.plain = d.current;
    for (const WrittenType& w : kPaintOrder) {
        const int k = material.current(w.type);
        LayerStack& stack = material.stack(w.type);
        if (paint.*w.enabled && k >= 1 && k < stack.count())
            d.targets[d.targetCount++] = {w.type, &stack[k], k >= 2 ? &stack[k - 1] : nullptr, k, IsColourType(w.type) ? 3 : 1};
    }
    if (special.prepareDab)
        special.prepareDab(d);
    const int amountScale = (d.amount * (d.intensity + 1)) >> 8;
    run_ = std::make_unique<Run>(Run{d, special, amountScale, WashGate(material, paint)});
}

FootprintRules::~FootprintRules() = default;

void FootprintRules::Texel(int row, int column, int unclampedRow, int unclampedColumn, int mask)
{
    DabRun& d = run_->d;
    if (!run_->gate.Passes(row, column))
        return;
    d.row = row;
    d.column = column;
    d.unclampedRow = unclampedRow;
    d.unclampedColumn = unclampedColumn;
    d.weight = mask * (d.intensity + 1);
    d.amountWeight = run_->amountScale * mask;
    if (run_->special.prepareTexel)
        run_->special.prepareTexel(d);
    for (int t = 0; t < d.targetCount; ++t) {
        Layer& layer = *d.targets[t].layer;
        run_->special.rule(d, d.targets[t], layer.image.row(row) + column * d.targets[t].bytes, layer.alpha.row(row)[column]);
    }
}

std::optional<TexelRect> LayPaintFootprint(Material& material, const PaintingContext& context, int dabNumber,
                                           DabCentre centre)
{
    if (!context.brush.AllowsDab(dabNumber) || !material.hasLayers)
        return std::nullopt;
    FootprintRules rules(material, context, dabNumber, centre);
    const int width = material.mapWidth, height = material.mapHeight;
    const int startColumn = std::clamp(centre.column, 0, width - 1), startRow = std::clamp(centre.row, 0, height - 1);
    TexelRect changed{startColumn, startColumn, startRow, startRow};
    for (int i = -kHeadCentre; i <= kHeadCentre; ++i) {
        const int unclampedRow = centre.row + i;
        const int row = std::clamp(unclampedRow, 0, height - 1);
        for (int j = -kHeadCentre; j <= kHeadCentre; ++j) {
            const int mask = context.brush.Weight(kHeadCentre - i, kHeadCentre + j);
            if (mask == 0)
                continue;
            const int unclampedColumn = centre.column + j;
            const int column = std::clamp(unclampedColumn, 0, width - 1);
            changed = {std::min(changed.x0, column), std::max(changed.x1, column), std::min(changed.y0, row),
                       std::max(changed.y1, row)};
            rules.Texel(row, column, unclampedRow, unclampedColumn, mask);
        }
    }
    return changed;
}

} // namespace gessoria
