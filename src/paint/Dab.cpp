#include "paint/Dab.h"

#include "paint/TexelCoordinates.h"
#include "scene/Material.h"
#include "scene/Scene.h"

#include <algorithm>

namespace gessoria {
namespace {

// The map types in the order the ordinary paint writes them, with the paint's switch for each.
struct WrittenType {
    MapType type;
    int Paint::*enabled;
};
constexpr WrittenType kPaintOrder[] = {{MapType::Colour, &Paint::colourMap},
                                       {MapType::SelfIllum, &Paint::selfIllumMap},
                                       {MapType::Bump, &Paint::bumpMap},
                                       {MapType::Shininess, &Paint::shininessMap},
                                       {MapType::Opacity, &Paint::opacityMap}};

bool IsOrdinary(int specialNumber)
{
    return specialNumber == kOrdinaryPaint || specialNumber == 0 || specialNumber < 0 ||
           (specialNumber > 24 && specialNumber != kBitmapPaintNumber);
}

// The selected layer of a type when it can be painted (index 1 or more), else nullptr.
Layer* SelectedLayer(Material& material, MapType type)
{
    const int k = material.current(type);
    LayerStack& stack = material.stack(type);
    return k >= 1 && k < stack.count() ? &stack[k] : nullptr;
}

std::uint8_t Dirty(std::uint8_t target, bool lighten, int r)
{
    return static_cast<std::uint8_t>(lighten ? target + (((256 - target) * r) >> 8) : target - ((target * r) >> 8));
}

// value + ((target - value) x weight >> 16), flooring, or the target outright on a texel
// nothing had covered.
std::uint8_t Laid(std::uint8_t value, std::uint8_t target, int weight, bool untouched)
{
    if (untouched)
        return target;
    return static_cast<std::uint8_t>(value + (((target - value) * weight) >> 16));
}

} // namespace

std::optional<TexelRect> LayOrdinaryFootprint(Material& material, const PaintingContext& context, int dabNumber,
                                              std::int32_t u, std::int32_t v)
{
    return LayOrdinaryFootprint(material, context, dabNumber, CentreOf(material, u, v));
}

std::optional<TexelRect> LayOrdinaryFootprint(Material& material, const PaintingContext& context, int dabNumber,
                                              DabCentre centre)
{
    if (!context.brush.AllowsDab(dabNumber) || !material.hasLayers)
        return std::nullopt;
    const int width = material.mapWidth, height = material.mapHeight;
    const int cu = centre.column, cv = centre.row;
    const int intensity = ColourChannel(context.values.foreground, 3);
    const Paint& paint = context.paint;
    const Layer* bumpGate = paint.washHighlight != 0 ? SelectedLayer(material, MapType::Bump) : nullptr;

    struct Target {
        Layer* layer;
        MapType type;
    };
    Target targets[5];
    int targetCount = 0;
    for (const WrittenType& w : kPaintOrder)
        if (paint.*w.enabled)
            if (Layer* layer = SelectedLayer(material, w.type))
                targets[targetCount++] = {layer, w.type};

    const std::uint8_t colour[3] = {ColourChannel(context.values.foreground, 2), ColourChannel(context.values.foreground, 1),
                                    ColourChannel(context.values.foreground, 0)};  // blue, green, red
    const int startColumn = std::clamp(cu, 0, width - 1), startRow = std::clamp(cv, 0, height - 1);
    TexelRect changed{startColumn, startColumn, startRow, startRow};
    for (int i = -kHeadCentre; i <= kHeadCentre; ++i) {
        const int row = std::clamp(cv + i, 0, height - 1);
        for (int j = -kHeadCentre; j <= kHeadCentre; ++j) {
            const int weight = context.brush.Weight(kHeadCentre - i, kHeadCentre + j) * (intensity + 1);
            if (weight == 0)
                continue;
            const int column = std::clamp(cu + j, 0, width - 1);
            changed = {std::min(changed.x0, column), std::max(changed.x1, column), std::min(changed.y0, row),
                       std::max(changed.y1, row)};
            if (bumpGate != nullptr) {
                const int b = bumpGate->image.row(row)[column];
                if ((paint.washHighlight == 1 && !(paint.aoeLevel >= b)) || (paint.washHighlight == 2 && !(b >= paint.aoeLevel)))
                    continue;
            }
            for (int t = 0; t < targetCount; ++t) {
                Layer& layer = *targets[t].layer;
                std::uint8_t& alpha = layer.alpha.row(row)[column];
                const bool untouched = alpha == 0;
                alpha = static_cast<std::uint8_t>(alpha + (((255 - alpha) * weight) >> 16));
                bool lighten = false;
                int r = 0;
                if (paint.dirtiness >= 1) {
                    lighten = context.random.Next() % 2 == 1;
                    r = context.random.Next() % (paint.dirtiness + 1);
                }
                if (targets[t].type == MapType::Colour) {
                    std::uint8_t* texel = layer.image.row(row) + column * 3;
                    for (int c = 0; c < 3; ++c)
                        texel[c] = Laid(texel[c], paint.dirtiness >= 1 ? Dirty(colour[c], lighten, r) : colour[c], weight, untouched);
                    continue;
                }
                const MapType type = targets[t].type;
                const std::uint8_t value = type == MapType::Bump        ? context.values.bump
                                           : type == MapType::SelfIllum ? context.values.selfIllum
                                           : type == MapType::Opacity   ? context.values.opacity
                                                                        : context.values.shininess;
                std::uint8_t& texel = layer.image.row(row)[column];
                texel = Laid(texel, paint.dirtiness >= 1 ? Dirty(value, lighten, r) : value, weight, untouched);
            }
        }
    }
    return changed;
}

DabCentre CentreOf(const Material& material, std::int32_t u, std::int32_t v)
{
    return {TexelOf(u, material.mapWidth), TexelOf(v, material.mapHeight)};
}

std::uint8_t WrittenMapTypes(const Paint& paint)
{
    std::uint8_t written = 0;
    for (const WrittenType& w : kPaintOrder)
        if (paint.*w.enabled)
            written |= UndoBuffer::FlagOf(w.type);
    return written;
}

FractionRect ToFractions(const TexelRect& texels, int width, int height)
{
    return {static_cast<std::int64_t>(texels.x0) * 65536 / width, static_cast<std::int64_t>(texels.x1 + 1) * 65536 / width,
            static_cast<std::int64_t>(texels.y0) * 65536 / height, static_cast<std::int64_t>(texels.y1 + 1) * 65536 / height};
}

Painter Painter::WithBrush(const Brush& brush) const
{
    return Painter(scene_, frame_, options_, lighting_,
                   {brush, context_.paint, context_.values, context_.random, context_.tool}, ui_);
}

Painter Painter::WithTool(PaintTool tool) const
{
    return Painter(scene_, frame_, options_, lighting_,
                   {context_.brush, context_.paint, context_.values, context_.random, tool}, ui_);
}

bool Painter::ValidMaterial(std::int32_t materialIndex) const
{
    return materialIndex >= 0 && materialIndex <= scene_.materialCount &&
           static_cast<std::size_t>(materialIndex) < scene_.materials.size();
}

void Painter::RecordForUndo(std::int32_t materialIndex, std::uint8_t mapTypes, int dabNumber, DabCentre centre, int rows,
                            int columns) const
{
    const Material& material = scene_.materials[static_cast<std::size_t>(materialIndex)];
    if (!scene_.undo.enabled || !scene_.undoBuffer.allocated() || !material.hasLayers)
        return;
    DabFootprint footprint;
    footprint.materialIndex = materialIndex;
    footprint.rows = rows;
    footprint.columns = columns;
    footprint.centreColumn = centre.column;
    footprint.centreRow = centre.row;
    footprint.mapTypes = mapTypes;
    footprint.firstOfStroke = dabNumber == 1;
    scene_.undoBuffer.RecordDab(scene_, footprint);
}

ScreenRect Painter::Finish(std::int32_t materialIndex, const TexelRect& changed) const
{
    Material& material = scene_.materials[static_cast<std::size_t>(materialIndex)];
    CompositeRegion(material, changed, context_.tool);
    if (context_.tool == PaintTool::Line)
        return {};
    return RedrawMaterialRegion(scene_, frame_, materialIndex, ToFractions(changed, material.mapWidth, material.mapHeight),
                                options_, lighting_);
}

ScreenRect Painter::Dab(int dabNumber, std::int32_t u, std::int32_t v, std::int32_t materialIndex) const
{
    if (!ValidMaterial(materialIndex))
        return {};
    return DabAt(dabNumber, CentreOf(scene_.materials[static_cast<std::size_t>(materialIndex)], u, v), materialIndex);
}

ScreenRect Painter::DabAt(int dabNumber, DabCentre centre, std::int32_t materialIndex) const
{
    if (!ValidMaterial(materialIndex) || !IsOrdinary(context_.paint.specialNumber))
        return {};
    RecordForUndo(materialIndex, WrittenMapTypes(context_.paint), dabNumber, centre);
    const auto changed =
        LayOrdinaryFootprint(scene_.materials[static_cast<std::size_t>(materialIndex)], context_, dabNumber, centre);
    return changed ? Finish(materialIndex, *changed) : ScreenRect{};
}

} // namespace gessoria
