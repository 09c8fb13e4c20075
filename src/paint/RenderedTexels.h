#pragma once
// RenderedTexels: which texels of a region the 3D view would now draw differently.
//
// The view draws a textured face from three Renderer Layers: Colour, Bump and Self
// Illumination. Copied before a dab is composited and asked afterwards, this gives the bounds
// of the texels where any of the three changed, so a dab laid over paint of its own colour
// redraws nothing and one that changes only a sliver of its footprint (the leading edge of a
// stroke's next dab) redraws that sliver. What the view shows outside those bounds is what it
// showed before, texel for texel. A region too large to copy cheaply, or a material without
// the three layers, counts as changed whole.

#include "scene/Compositing.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace gessoria {

struct Material;

class RenderedTexels {
public:
    // Copies the region's texels (which may run past the map's edges and wrap) from the three
    // Renderer Layers.
    RenderedTexels(const Material& material, const TexelRect& region);

    // The bounds, in the region's coordinates, of its texels that now differ from the copy;
    // nothing when none does; the whole region when it was not copied.
    std::optional<TexelRect> ChangedSince(const Material& material) const;

private:
    // Regions of more texels than this are not copied: a fill's or a large stamp's redraw
    // costs far more than the copy would save.
    static constexpr std::int64_t kMostTexels = 256 * 256;
    static constexpr int kBytesPerTexel = 5;  // colour B, G, R, bump, self illumination

    // Each texel of the region, row by row, as the three layers hold it now.
    void Gather(const Material& material, std::vector<std::uint8_t>& into) const;

    TexelRect region_;
    bool copied_ = false;
    std::vector<std::uint8_t> texels_;
};

} // namespace gessoria
