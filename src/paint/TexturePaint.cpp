#include "paint/TexturePaint.h"

#include "paint/BitmapPaint.h"
#include "paint/TexelRules.h"
#include "scene/Material.h"
#include "scene/Scene.h"
#include "scene/UserInteraction.h"

#include <cmath>

namespace gessoria {
namespace {

int Wrapped(int value, int size) { return ((value % size) + size) % size; }

std::uint8_t SwitchedTypes(const MapTypeSwitches& switches)
{
    std::uint8_t types = 0;
    for (const MapType type : kAllMapTypes)
        if (switches[static_cast<std::size_t>(StorageIndex(type))])
            types |= UndoBuffer::FlagOf(type);
    return types;
}

void Refuse(const Painter& painter, const std::string& text)
{
    if (painter.ui() != nullptr)
        painter.ui()->Tell(text, MessageIcon::Warning);
}

} // namespace

void SetCloneSource(PaintingState& state, const Scene& scene, std::int32_t materialIndex, std::int32_t u, std::int32_t v)
{
    const Material& material = scene.materials[static_cast<std::size_t>(materialIndex)];
    const DabCentre texel = CentreOf(material, u, v);
    state.clone.materialIndex = materialIndex;
    state.clone.column = texel.column;
    state.clone.row = texel.row;
    state.clone.set = true;
    state.clone.offsetFixed = false;
}

std::optional<TexelRect> LayCloneFootprint(Scene& scene, const PaintingContext& context, const PaintingState& state,
                                           int dabNumber, DabCentre centre, std::int32_t materialIndex)
{
    Material& material = scene.materials[static_cast<std::size_t>(materialIndex)];
    const Material& source = scene.materials[static_cast<std::size_t>(state.clone.materialIndex)];
    if (!context.brush.AllowsDab(dabNumber) || !material.hasLayers || !source.hasLayers)
        return std::nullopt;
    struct Pair {
        Layer* target;
        const Layer* source;  // its alpha is absent for the composite
        int bytes;
    };
    Pair pairs[kMapTypeCount];
    int pairCount = 0;
    for (const MapType type : {MapType::Colour, MapType::SelfIllum, MapType::Bump, MapType::Shininess, MapType::Opacity}) {
        const int k = material.current(type);
        if (!state.options.textureMaps[static_cast<std::size_t>(StorageIndex(type))] || k < 1 || k >= material.stack(type).count())
            continue;
        // A source with fewer layers of this type gives what it shows: its composite.
        const LayerStack& from = source.stack(type);
        if (from.count() == 0)
            continue;
        pairs[pairCount++] = {&material.stack(type)[k], k < from.count() ? &from[k] : &from[0], IsColourType(type) ? 3 : 1};
    }
    const int width = material.mapWidth, height = material.mapHeight;
    const int intensity = ColourChannel(context.values.foreground, 3);
    const WashGate gate(material, context.paint);
    const int startColumn = std::clamp(centre.column, 0, width - 1), startRow = std::clamp(centre.row, 0, height - 1);
    TexelRect changed{startColumn, startColumn, startRow, startRow};
    for (int i = -kHeadCentre; i <= kHeadCentre; ++i) {
        const int row = std::clamp(centre.row + i, 0, height - 1);
        const int sourceRow = Wrapped(row - state.clone.offsetRow, source.mapHeight);
        for (int j = -kHeadCentre; j <= kHeadCentre; ++j) {
            const int weight = context.brush.Weight(kHeadCentre - i, kHeadCentre + j) * (intensity + 1);
            if (weight == 0)
                continue;
            const int column = std::clamp(centre.column + j, 0, width - 1);
            changed = {std::min(changed.x0, column), std::max(changed.x1, column), std::min(changed.y0, row), std::max(changed.y1, row)};
            if (!gate.Passes(row, column))
                continue;
            const int sourceColumn = Wrapped(column - state.clone.offsetColumn, source.mapWidth);
            for (int p = 0; p < pairCount; ++p) {
                const Pair& pair = pairs[p];
                const int sourceAlpha = pair.source->alpha.created() ? pair.source->alpha.row(sourceRow)[sourceColumn] : 255;
                const std::uint8_t* from = pair.source->image.row(sourceRow) + sourceColumn * pair.bytes;
                std::uint8_t& alpha = pair.target->alpha.row(row)[column];
                const bool untouched = alpha == 0;
                alpha = static_cast<std::uint8_t>(alpha + ((((255 - alpha) * weight) >> 16) * sourceAlpha / 256));
                std::uint8_t* value = pair.target->image.row(row) + column * pair.bytes;
                for (int b = 0; b < pair.bytes; ++b)
                    value[b] = LaidValue(value[b], from[b], weight, untouched);
            }
        }
    }
    return changed;
}

ScreenRect CloneDab(const Painter& painter, PaintingState& state, int dabNumber, DabCentre centre, std::int32_t materialIndex)
{
    if (!painter.ValidMaterial(materialIndex))
        return {};
    if (!state.clone.set || !painter.ValidMaterial(state.clone.materialIndex)) {
        Refuse(painter, kNoCloneSource);
        return {};
    }
    if (!state.clone.offsetFixed) {
        state.clone.offsetFixed = true;
        state.clone.offsetColumn = centre.column - state.clone.column;
        state.clone.offsetRow = centre.row - state.clone.row;
    }
    painter.RecordForUndo(materialIndex, SwitchedTypes(state.options.textureMaps), dabNumber, centre);
    const auto changed = LayCloneFootprint(painter.scene(), painter.context(), state, dabNumber, centre, materialIndex);
    return changed ? painter.Finish(materialIndex, *changed) : ScreenRect{};
}

int StampPixel(int texel, int anchor, int sourcePixel, float scale, int keySize)
{
    const double steps = std::floor(static_cast<double>(texel - anchor) / static_cast<double>(scale));
    return Wrapped(sourcePixel + static_cast<int>(std::fmod(steps, static_cast<double>(keySize))), keySize);
}

std::optional<TexelRect> LayTextureStampFootprint(Material& material, const PaintingContext& context,
                                                  const PaintingState& state, int dabNumber, DabCentre centre)
{
    const auto stamp = BitmapStamp::Of(context.paint);
    if (!stamp || !context.paint.imagesLoaded || !context.brush.AllowsDab(dabNumber) || !material.hasLayers)
        return std::nullopt;
    const SourcePoint& source = state.source;
    const int keyWidth = stamp->key->width(), keyHeight = stamp->key->height();
    // The point was chosen on the source view's bitmap; it is the same place on the key image.
    const int sourceX = source.bitmapWidth > 0 ? static_cast<int>(static_cast<std::int64_t>(source.x) * keyWidth / source.bitmapWidth) : source.x;
    const int sourceY = source.bitmapHeight > 0 ? static_cast<int>(static_cast<std::int64_t>(source.y) * keyHeight / source.bitmapHeight) : source.y;
    const float scale = std::clamp(state.options.textureScale, ToolOptions::kMinTextureScale, ToolOptions::kMaxTextureScale);
    const int width = material.mapWidth, height = material.mapHeight;
    const int strength = ColourChannel(context.values.foreground, 3) + 1;
    const WashGate gate(material, context.paint);
    const int startColumn = std::clamp(centre.column, 0, width - 1), startRow = std::clamp(centre.row, 0, height - 1);
    TexelRect changed{startColumn, startColumn, startRow, startRow};
    for (int i = -kHeadCentre; i <= kHeadCentre; ++i) {
        const int row = std::clamp(centre.row + i, 0, height - 1);
        const int keyY = StampPixel(row, source.anchorRow, sourceY, scale, keyHeight);
        for (int j = -kHeadCentre; j <= kHeadCentre; ++j) {
            const int mask = context.brush.Weight(kHeadCentre - i, kHeadCentre + j);
            if (mask == 0)
                continue;
            const int column = std::clamp(centre.column + j, 0, width - 1);
            changed = {std::min(changed.x0, column), std::max(changed.x1, column), std::min(changed.y0, row), std::max(changed.y1, row)};
            const int keyX = StampPixel(column, source.anchorColumn, sourceX, scale, keyWidth);
            const auto pixelAt = [&](const CDIB& image) {
                const auto x = static_cast<int>(static_cast<std::int64_t>(keyX) * image.width() / keyWidth);
                const auto y = static_cast<int>(static_cast<std::int64_t>(keyY) * image.height() / keyHeight);
                return image.row(y) + x * image.bytesPerPixel();
            };
            StampTexel(material, gate, *stamp, state.options.textureMaps, row, column, pixelAt,
                       [&](int coverage) { return (mask * strength * coverage) >> 8; });
        }
    }
    return changed;
}

ScreenRect TextureStampDab(const Painter& painter, PaintingState& state, int dabNumber, DabCentre centre,
                           std::int32_t materialIndex)
{
    if (!painter.ValidMaterial(materialIndex))
        return {};
    if (const auto refusal = BitmapPaintRefusal(painter.context().paint)) {
        Refuse(painter, *refusal);
        return {};
    }
    if (state.source.marker == -1) {
        state.source.marker = 0;
        state.source.anchorColumn = centre.column;
        state.source.anchorRow = centre.row;
    }
    painter.RecordForUndo(materialIndex, SwitchedTypes(state.options.textureMaps), dabNumber, centre);
    Material& material = painter.scene().materials[static_cast<std::size_t>(materialIndex)];
    const auto changed = LayTextureStampFootprint(material, painter.context(), state, dabNumber, centre);
    return changed ? painter.Finish(materialIndex, *changed) : ScreenRect{};
}

const CDIB* StartTextureMode(PaintingState& state, const Paint& paint, UserInteraction& ui)
{
    if (paint.specialNumber != kBitmapPaintNumber) {
        ui.Tell(kNotABitmapPaint);
        return nullptr;
    }
    if (!paint.imagesLoaded) {
        ui.Tell(kDibsNotLoaded);
        return nullptr;
    }
    // The paint's image slots in the order colour, self illum, bump, opacity, shininess.
    constexpr BitmapPaintImage kSourceOrder[] = {kImageColour, kImageSelfIllum, kImageBump, kImageOpacity, kImageShininess};
    for (const BitmapPaintImage i : kSourceOrder) {
        const auto& image = paint.images[static_cast<std::size_t>(i)];
        if (image && image->created()) {
            state.options.texturedPaint = true;
            state.options.settingCloneSource = false;
            state.source.Set(image->width() / 2, image->height() / 2);
            state.source.bitmapWidth = image->width();
            state.source.bitmapHeight = image->height();
            return image.get();
        }
    }
    ui.Tell(kNoSourceMaps);
    return nullptr;
}

void StartCloneMode(PaintingState& state) { state.options.texturedPaint = false; }

void ClickSourceView(PaintingState& state, int x, int y, int height) { state.source.Set(x, height - 1 - y); }

} // namespace gessoria
