#pragma once
// RenderedTexels: which texels of a region the 3D view would now draw differently.
//
// The view draws a textured face from three Renderer Layers: Colour, Bump and Self
// Illumination. Copied before a dab is composited and asked afterwards, this gives the bounds
// of the texels where any of the three changed, so a dab laid over paint of its own colour
// redraws nothing and one that changes only a sliver of its footprint (the leading edge of a
// stroke's next dab) redraws that sliver. What the view shows outside those bounds is what it
// showed before, texel for texel.

#include "scene/Compositing.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace gessoria {

struct Material;

class RenderedTexels {
public:
    // Copies the region's texels (inside the map) from the three Renderer Layers; nothing
    // when the material lacks them.
    RenderedTexels(const Material& material, const TexelRect& region);

    // The bounds of the region's texels that now differ from the copy; nothing when none
    // does; `changed`, the texels the dab reports it changed, when nothing was copied.
    std::optional<TexelRect> ChangedSince(const Material& material, const TexelRect& changed) const;

private:
    using Texel = std::array<std::uint8_t, 5>;  // colour B, G, R, bump, self illumination

    // Calls visit(column, row, texel) for every texel of the region, row by row, as the three
    // layers hold it now.
    template <typename Visit>
    void ForEachTexel(const Material& material, Visit&& visit) const;

    TexelRect region_;
    std::vector<Texel> texels_;  // empty when nothing was copied
};

} // namespace gessoria
