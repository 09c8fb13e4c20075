#include "paint/RenderedTexels.h"

#include "scene/Material.h"

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

int Wrapped(int at, int size)
{
    const int r = at % size;
    return r < 0 ? r + size : r;
}

} // namespace

RenderedTexels::RenderedTexels(const Material& material, const TexelRect& region) : region_(region)
{
    const std::int64_t texels = std::int64_t{region.x1 - region.x0 + 1} * (region.y1 - region.y0 + 1);
    if (region.x1 < region.x0 || region.y1 < region.y0 || texels > kMostTexels || !HasRenderedLayers(material))
        return;
    Gather(material, texels_);
    copied_ = true;
}

std::optional<TexelRect> RenderedTexels::ChangedSince(const Material& material) const
{
    if (!copied_ || !HasRenderedLayers(material))
        return region_;
    std::vector<std::uint8_t> now;
    Gather(material, now);
    TexelRect changed{region_.x1 + 1, region_.x0 - 1, region_.y1 + 1, region_.y0 - 1};
    const int columns = region_.x1 - region_.x0 + 1;
    for (int y = region_.y0; y <= region_.y1; ++y) {
        const std::size_t rowStart = static_cast<std::size_t>(y - region_.y0) * static_cast<std::size_t>(columns) * kBytesPerTexel;
        for (int x = region_.x0; x <= region_.x1; ++x) {
            const std::size_t at = rowStart + static_cast<std::size_t>(x - region_.x0) * kBytesPerTexel;
            bool differs = false;
            for (int b = 0; b < kBytesPerTexel; ++b)
                differs |= now[at + static_cast<std::size_t>(b)] != texels_[at + static_cast<std::size_t>(b)];
            if (differs)
                changed = {std::min(changed.x0, x), std::max(changed.x1, x), std::min(changed.y0, y), std::max(changed.y1, y)};
        }
    }
    if (changed.x1 < changed.x0)
        return std::nullopt;
    return changed;
}

void RenderedTexels::Gather(const Material& material, std::vector<std::uint8_t>& into) const
{
    const CDIB& colour = material.stack(MapType::Colour)[0].image;
    const CDIB& bump = material.stack(MapType::Bump)[0].image;
    const CDIB& selfIllum = material.stack(MapType::SelfIllum)[0].image;
    into.resize(static_cast<std::size_t>(region_.x1 - region_.x0 + 1) * static_cast<std::size_t>(region_.y1 - region_.y0 + 1) *
                kBytesPerTexel);
    std::uint8_t* out = into.data();
    for (int y = region_.y0; y <= region_.y1; ++y) {
        const int row = Wrapped(y, material.mapHeight);
        const std::uint8_t* colourRow = colour.row(row);
        const std::uint8_t* bumpRow = bump.row(row);
        const std::uint8_t* glowRow = selfIllum.row(row);
        for (int x = region_.x0; x <= region_.x1; ++x, out += kBytesPerTexel) {
            const auto column = static_cast<std::size_t>(Wrapped(x, material.mapWidth));
            const std::uint8_t* texel = colourRow + column * 3;
            out[0] = texel[0];
            out[1] = texel[1];
            out[2] = texel[2];
            out[3] = bumpRow[column];
            out[4] = glowRow[column];
        }
    }
}

} // namespace gessoria
