#include "paint/SurfaceTools.h"

#include "scene/Material.h"
#include "scene/Scene.h"
#include "scene/TexelCoordinates.h"

#include <algorithm>

namespace gessoria {
namespace {

int TexelColumn(const Material& m, std::int32_t u) { return TexelOf(u, m.mapWidth); }
int TexelRow(const Material& m, std::int32_t v) { return TexelOf(v, m.mapHeight); }

std::uint8_t Toward(int value, int clean, int weight, bool outright)
{
    if (outright)
        return static_cast<std::uint8_t>(clean);
    return static_cast<std::uint8_t>(value + (((clean - value) * weight) >> 16));
}

} // namespace

void SampleColour(const Material& material, std::int32_t u, std::int32_t v, std::uint32_t& target)
{
    if (!material.hasLayers || material.stack(MapType::Colour).count() == 0)
        return;
    const std::uint8_t* texel = material.stack(MapType::Colour)[0].image.row(TexelRow(material, v)) + TexelColumn(material, u) * 3;
    target = (target & 0xFF000000u) | (static_cast<std::uint32_t>(texel[0]) << 16) | (static_cast<std::uint32_t>(texel[1]) << 8) | texel[2];
}

EraserRules::EraserRules(Material& material, const PaintingContext& context, const EraserSwitches& switches)
    : material_(material), switches_(switches), strength_(ColourChannel(context.values.foreground, 3)),
      clean_{ColourChannel(context.values.background, 2), ColourChannel(context.values.background, 1),
             ColourChannel(context.values.background, 0)}
{
}

void EraserRules::Texel(int row, int column, int mask)
{
    const int weight = (strength_ + 1) * mask;
    for (const MapType type : kAllMapTypes) {
        const int k = material_.current(type);
        LayerStack& stack = material_.stack(type);
        if (!switches_[static_cast<std::size_t>(StorageIndex(type))] || k < 1 || k >= stack.count())
            continue;
        Layer& layer = stack[k];
        std::uint8_t& alpha = layer.alpha.row(row)[column];
        const bool outright = alpha == 0;
        if (k >= 2)
            alpha = static_cast<std::uint8_t>(alpha - ((weight * alpha) >> 16));
        if (type == MapType::Colour) {
            std::uint8_t* texel = layer.image.row(row) + column * 3;
            for (int c = 0; c < 3; ++c)
                texel[c] = Toward(texel[c], clean_[c], weight, outright);
            continue;
        }
        std::uint8_t& value = layer.image.row(row)[column];
        if (type == MapType::Bump || type == MapType::Opacity)
            value = Toward(value, type == MapType::Bump ? 128 : 255, weight, outright);
        else  // toward 0 by taking off a share of the value, which rounds the share down
            value = outright ? 0 : static_cast<std::uint8_t>(value - ((weight * value) >> 16));
    }
}

std::optional<TexelRect> EraseFootprint(Material& material, const PaintingContext& context, const EraserSwitches& switches,
                                        int dabNumber, std::int32_t u, std::int32_t v)
{
    if (!context.brush.AllowsDab(dabNumber) || !material.hasLayers)
        return std::nullopt;
    const int cu = TexelColumn(material, u), cv = TexelRow(material, v);
    EraserRules rules(material, context, switches);
    TexelRect changed{cu, cu, cv, cv};
    for (int i = -kHeadCentre; i <= kHeadCentre; ++i) {
        const int row = std::clamp(cv + i, 0, material.mapHeight - 1);
        for (int j = -kHeadCentre; j <= kHeadCentre; ++j) {
            const int mask = context.brush.Weight(kHeadCentre - i, kHeadCentre + j);
            if (mask == 0)
                continue;
            const int column = std::clamp(cu + j, 0, material.mapWidth - 1);
            changed = {std::min(changed.x0, column), std::max(changed.x1, column), std::min(changed.y0, row), std::max(changed.y1, row)};
            rules.Texel(row, column, mask);
        }
    }
    return changed;
}

std::uint8_t ErasedMapTypes(const EraserSwitches& switches)
{
    std::uint8_t erased = 0;
    for (const MapType type : kAllMapTypes)
        if (switches[static_cast<std::size_t>(StorageIndex(type))])
            erased |= UndoBuffer::FlagOf(type);
    return erased;
}

ScreenRect EraserDab(const Painter& painter, const EraserSwitches& switches, int dabNumber, std::int32_t u, std::int32_t v,
                     std::int32_t materialIndex)
{
    if (!painter.ValidMaterial(materialIndex))
        return {};
    const std::uint8_t erased = ErasedMapTypes(switches);
    Material& material = painter.scene().materials[static_cast<std::size_t>(materialIndex)];
    painter.RecordForUndo(materialIndex, erased, dabNumber, CentreOf(material, u, v));
    const auto changed = EraseFootprint(material, painter.context(), switches, dabNumber, u, v);
    return changed ? painter.Finish(materialIndex, *changed) : ScreenRect{};
}

} // namespace gessoria
