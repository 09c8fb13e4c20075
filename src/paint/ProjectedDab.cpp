#include "paint/ProjectedDab.h"

#include "paint/PaintFootprint.h"
#include "scene/Material.h"
#include "scene/Scene.h"
#include "scene/TexelTiles.h"
#include "scene/UserInteraction.h"

#include <algorithm>

namespace gessoria {
namespace {

struct PaintTexels {
    FootprintRules rules;
    void operator()(int row, int column, int mask) { rules.Texel(row, column, row, column, mask); }
};

struct EraseTexels {
    EraserRules rules;
    void operator()(int row, int column, int mask) { rules.Texel(row, column, mask); }
};

// makeRules(material, centre) gives a material's texel rules; refuses(material) whether the
// dab leaves a material alone.
template <typename MakeRules, typename Refuses>
ScreenRect LayCoverage(const Painter& painter, ProjectedStroke& stroke, std::uint8_t mapTypes, const ProjectedCoverage& coverage,
                       MakeRules&& makeRules, Refuses&& refuses)
{
    Scene& scene = painter.scene();
    std::vector<std::int32_t> painted;  // ascending, as the coverage lists its materials
    for (const ProjectedCoverage::Centre& c : coverage.centres)
        if (painter.ValidMaterial(c.material) && scene.materials[static_cast<std::size_t>(c.material)].hasLayers &&
            !refuses(scene.materials[static_cast<std::size_t>(c.material)]))
            painted.push_back(c.material);
    auto paints = [&](std::int32_t m) { return std::binary_search(painted.begin(), painted.end(), m); };

    // Every rectangle is recorded before any texel changes.
    bool recorded = false;
    for (const CoveredTile& tile : coverage.tiles)
        if (paints(tile.material)) {
            painter.RecordRegionForUndo(tile.material, mapTypes, !stroke.recorded, recorded, tile.rect);
            recorded = stroke.recorded = true;
        }

    ScreenRect repaint;
    const auto& tiles = coverage.tiles;
    for (std::size_t first = 0; first < tiles.size();) {
        const std::int32_t m = tiles[first].material;
        std::size_t end = first;
        while (end < tiles.size() && tiles[end].material == m)
            ++end;
        if (paints(m)) {
            Material& material = scene.materials[static_cast<std::size_t>(m)];
            auto rules = makeRules(material, coverage.CentreOf(m));
            TexelTiles changed(material.mapWidth, material.mapHeight);
            for (std::size_t t = first; t < end; ++t) {
                const CoveredTile& tile = tiles[t];
                for (int row = tile.rect.y0; row <= tile.rect.y1; ++row)
                    for (int column = tile.rect.x0; column <= tile.rect.x1; ++column)
                        if (const std::uint8_t mask = tile.At(row, column); mask != 0)
                            rules(row, column, mask);
                CompositeChangedStacks(material, tile.rect, mapTypes, painter.context().tool, scene.layerViews);
                changed.Add(tile.rect);
            }
            if (painter.context().tool != PaintTool::Line)
                repaint = repaint.United(
                    RedrawMaterialTiles(scene, painter.frame(), m, changed, painter.renderOptions(), painter.lighting()));
        }
        first = end;
    }
    return repaint;
}

} // namespace

ScreenRect ProjectedPaintDab(const Painter& painter, ProjectedStroke& stroke, int dabNumber, const ScreenDab& dab)
{
    const PaintingContext& context = painter.context();
    if (!context.brush.AllowsDab(dabNumber))
        return {};
    const ProjectedCoverage coverage = CoverProjectedDab(painter.scene(), painter.frame(), context.brush, dab, &stroke.walks);
    // A refusal is told once per dab, for the first material that refuses.
    bool told = false;
    auto refuses = [&](const Material& material) {
        const auto refusal = SpecialPaintRefusal(context.paint, material);
        if (refusal && !told && painter.ui() != nullptr) {
            painter.ui()->Tell(*refusal, MessageIcon::Warning);
            told = true;
        }
        return refusal.has_value();
    };
    return LayCoverage(
        painter, stroke, WrittenMapTypes(context.paint), coverage,
        [&](Material& material, DabCentre centre) {
            return PaintTexels{FootprintRules(material, context, dabNumber, centre)};
        },
        refuses);
}

ScreenRect ProjectedEraserDab(const Painter& painter, ProjectedStroke& stroke, const EraserSwitches& switches, int dabNumber,
                              const ScreenDab& dab)
{
    const PaintingContext& context = painter.context();
    if (!context.brush.AllowsDab(dabNumber))
        return {};
    const std::uint8_t erased = ErasedMapTypes(switches);
    const ProjectedCoverage coverage = CoverProjectedDab(painter.scene(), painter.frame(), context.brush, dab, &stroke.walks);
    return LayCoverage(
        painter, stroke, erased, coverage,
        [&](Material& material, DabCentre) { return EraseTexels{EraserRules(material, context, switches)}; },
        [](const Material&) { return false; });
}

} // namespace gessoria
