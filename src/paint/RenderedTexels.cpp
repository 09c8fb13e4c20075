#include "paint/RenderedTexels.h"

#include "scene/Material.h"

#include <algorithm>

namespace gessoria {
namespace {

// Whether the material has the three Renderer Layers at its map's size.
bool HasRenderedLayers(const Material& m)
{
    if (!m.hasLayers || m.mapWidth < 1 || m.mapHeight < 1)
        return false;
    for (const MapType type : {MapType::Colour, MapType::Bump, MapType::SelfIllum}) {
        if (m.stack(type).count() == 0)
            return false;
        const CDIB& image = m.stack(type)[0].image;
        if (image.width() != m.mapWidth || image.height() != m.mapHeight ||
            image.bytesPerPixel() != (type == MapType::Colour ? 3 : 1))
            return false;
    }
    return true;
}

} // namespace

RenderedTexels::RenderedTexels(const Material& material, const TexelRect& region) : region_(region)
{
    if (!HasRenderedLayers(material))
        return;
    texels_.reserve(static_cast<std::size_t>(region.x1 - region.x0 + 1) * static_cast<std::size_t>(region.y1 - region.y0 + 1));
    ForEachTexel(material, [&](int, int, const Texel& texel) { texels_.push_back(texel); });
}

std::optional<TexelRect> RenderedTexels::ChangedSince(const Material& material, const TexelRect& changed) const
{
    if (texels_.empty() || !HasRenderedLayers(material))
        return changed;
    TexelRect differing{region_.x1 + 1, region_.x0 - 1, region_.y1 + 1, region_.y0 - 1};
    std::size_t k = 0;
    ForEachTexel(material, [&](int column, int row, const Texel& texel) {
        if (texel != texels_[k++])
            differing = {std::min(differing.x0, column), std::max(differing.x1, column), std::min(differing.y0, row),
                         std::max(differing.y1, row)};
    });
    if (differing.x1 < differing.x0)
        return std::nullopt;
    return differing;
}

template <typename Visit>
void RenderedTexels::ForEachTexel(const Material& material, Visit&& visit) const
{
    const CDIB& colour = material.stack(MapType::Colour)[0].image;
    const CDIB& bump = material.stack(MapType::Bump)[0].image;
    const CDIB& selfIllum = material.stack(MapType::SelfIllum)[0].image;
    for (int row = region_.y0; row <= region_.y1; ++row) {
        const std::uint8_t* colourRow = colour.row(row);
        const std::uint8_t* bumpRow = bump.row(row);
        const std::uint8_t* glowRow = selfIllum.row(row);
        for (int column = region_.x0; column <= region_.x1; ++column) {
            const auto at = static_cast<std::size_t>(column);
            const std::uint8_t* texel = colourRow + at * 3;
            visit(column, row, Texel{texel[0], texel[1], texel[2], bumpRow[at], glowRow[at]});
        }
    }
}

} // namespace gessoria
