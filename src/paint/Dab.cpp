#include "paint/Dab.h"

#include "paint/BitmapPaint.h"
#include "paint/PaintFootprint.h"
#include "scene/Material.h"
#include "scene/Scene.h"
#include "scene/TexelCoordinates.h"
#include "scene/UserInteraction.h"

#include <algorithm>

namespace gessoria {

DabCentre CentreOf(const Material& material, std::int32_t u, std::int32_t v)
{
    return {TexelOf(u, material.mapWidth), TexelOf(v, material.mapHeight)};
}

WashGate::WashGate(const Material& material, const Paint& paint) : mode_(paint.washHighlight), level_(paint.aoeLevel)
{
    const int k = material.current(MapType::Bump);
    if (mode_ != 0 && k >= 1 && k < material.stack(MapType::Bump).count())
        bump_ = &material.stack(MapType::Bump)[k];
}

bool WashGate::Passes(int row, int column) const
{
    if (bump_ == nullptr)
        return true;
    const int b = bump_->image.row(row)[column];
    return mode_ == 1 ? level_ >= b : mode_ == 2 ? b >= level_ : true;
}

// The texels a dab centred there can change: its head's box, held to the map (which has
// texels) as the footprint holds its rows and columns.
TexelRect HeadBox(const Material& material, DabCentre centre)
{
    const int lastColumn = material.mapWidth - 1, lastRow = material.mapHeight - 1;
    return {std::clamp(centre.column - kHeadCentre, 0, lastColumn), std::clamp(centre.column + kHeadCentre, 0, lastColumn),
            std::clamp(centre.row - kHeadCentre, 0, lastRow), std::clamp(centre.row + kHeadCentre, 0, lastRow)};
}

FractionRect ToFractions(const TexelRect& texels, int width, int height)
{
    return {static_cast<std::int64_t>(texels.x0) * 65536 / width, static_cast<std::int64_t>(texels.x1 + 1) * 65536 / width,
            static_cast<std::int64_t>(texels.y0) * 65536 / height, static_cast<std::int64_t>(texels.y1 + 1) * 65536 / height};
}

Painter Painter::WithBrush(const Brush& brush) const
{
    return Painter(scene_, frame_, options_, lighting_,
                   {brush, context_.paint, context_.values, context_.random, context_.tool, context_.bitmapPaintScale}, ui_);
}

Painter Painter::WithTool(PaintTool tool) const
{
    return Painter(scene_, frame_, options_, lighting_,
                   {context_.brush, context_.paint, context_.values, context_.random, tool, context_.bitmapPaintScale}, ui_);
}

bool Painter::ValidMaterial(std::int32_t materialIndex) const
{
    return materialIndex >= 0 && materialIndex <= scene_.materialCount &&
           static_cast<std::size_t>(materialIndex) < scene_.materials.size();
}

void Painter::RecordForUndo(std::int32_t materialIndex, std::uint8_t mapTypes, int dabNumber, DabCentre centre, int rows,
                            int columns, bool wraps) const
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
    footprint.wraps = wraps;
    scene_.undoBuffer.RecordDab(scene_, footprint);
}

void Painter::RecordRegionForUndo(std::int32_t materialIndex, std::uint8_t mapTypes, bool firstOfStroke, bool continuesDab,
                                  const TexelRect& rect) const
{
    const Material& material = scene_.materials[static_cast<std::size_t>(materialIndex)];
    if (!scene_.undo.enabled || !scene_.undoBuffer.allocated() || !material.hasLayers)
        return;
    DabFootprint footprint = DabFootprint::OfRect(materialIndex, rect, mapTypes);
    footprint.firstOfStroke = firstOfStroke;
    footprint.continuesDab = continuesDab;
    scene_.undoBuffer.RecordDab(scene_, footprint);
}

ScreenRect Painter::Finish(std::int32_t materialIndex, const TexelRect& changed, const RenderedTexels* before) const
{
    Material& material = scene_.materials[static_cast<std::size_t>(materialIndex)];
    CompositeRegion(material, changed, context_.tool, scene_.layerViews);
    if (context_.tool == PaintTool::Line)
        return {};
    const std::optional<TexelRect> redrawn = before != nullptr ? before->ChangedSince(material, changed) : changed;
    if (!redrawn)
        return {};
    return RedrawMaterialRegion(scene_, frame_, materialIndex, ToFractions(*redrawn, material.mapWidth, material.mapHeight),
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
    if (!ValidMaterial(materialIndex))
        return {};
    Material& material = scene_.materials[static_cast<std::size_t>(materialIndex)];
    if (context_.paint.specialNumber == kBitmapPaintNumber)
        return BitmapPaintDab(*this, dabNumber, centre, materialIndex);
    // A refusal is told again at every dab of the stroke, and nothing is recorded or painted.
    if (const auto refusal = SpecialPaintRefusal(context_.paint, material)) {
        if (ui_ != nullptr)
            ui_->Tell(*refusal, MessageIcon::Warning);
        return {};
    }
    RecordForUndo(materialIndex, WrittenMapTypes(context_.paint), dabNumber, centre);
    // The texels the dab can change, as the view draws them now. The Line tool redraws
    // nothing per dab (its caller redraws once), so it needs no copy.
    std::optional<RenderedTexels> before;
    if (context_.tool != PaintTool::Line && material.mapWidth > 0 && material.mapHeight > 0)
        before.emplace(material, HeadBox(material, centre));
    const auto changed = LayPaintFootprint(material, context_, dabNumber, centre);
    return changed ? Finish(materialIndex, *changed, before ? &*before : nullptr) : ScreenRect{};
}

} // namespace gessoria
