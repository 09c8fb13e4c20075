#pragma once
// Floater: a free-standing piece of a material's texture — its colour, the four grey map
// types and an alpha image for each — lifted from a selection, pasted from the clipboard or
// made from a text, shown over the surface while it is moved and finally dropped into the
// layers.
//
// Contract: the ten images are all width x height, Colour 24-bit and the rest 8-bit, in the
// floater order Colour, Bump, Self Illumination, Opacity, Shininess (values, then alphas).
// Like the layers, image row 0 is the row at texel row `top`. Positions may lie anywhere: a
// floater texel (x, y) lands on material texel ((left + x) mod W, (top + y) mod H), wrapped
// upward for negative values. A floater never changes a layer except through Drop and the
// Cut erase; showing it only rebuilds the Renderer Layer over its rectangle.

#include "scene/CDIB.h"
#include "scene/Compositing.h"
#include "scene/MapType.h"

#include <array>
#include <cstdint>

namespace gessoria {

struct Material;

constexpr std::array<MapType, kMapTypeCount> kFloaterOrder{MapType::Colour, MapType::Bump, MapType::SelfIllum,
                                                           MapType::Opacity, MapType::Shininess};

// Position of a map type in the floater order.
constexpr int FloaterSlot(MapType type)
{
    for (int k = 0; k < kMapTypeCount; ++k)
        if (kFloaterOrder[static_cast<std::size_t>(k)] == type)
            return k;
    return 0;
}

struct Floater {
    static constexpr std::uint8_t kLifted = 2, kPasted = 3;

    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t materialIndex = 0;
    std::uint8_t state = 0;
    std::uint8_t present = 0;
    std::array<std::uint8_t, kMapTypeCount> carries{};  // floater order
    std::array<CDIB, kMapTypeCount> values;             // floater order; Colour 24-bit
    std::array<CDIB, kMapTypeCount> alphas;             // floater order
    // Made by the Text tool: dropped as weights through the current paint, not as images.
    bool fromText = false;

    // Fresh, zeroed images of the size; false (and no images) when the size cannot be had.
    bool Create(int newWidth, int newHeight);

    CDIB& value(MapType type) { return values[static_cast<std::size_t>(FloaterSlot(type))]; }
    const CDIB& value(MapType type) const { return values[static_cast<std::size_t>(FloaterSlot(type))]; }
    CDIB& alpha(MapType type) { return alphas[static_cast<std::size_t>(FloaterSlot(type))]; }
    const CDIB& alpha(MapType type) const { return alphas[static_cast<std::size_t>(FloaterSlot(type))]; }
    bool Carries(MapType type) const { return carries[static_cast<std::size_t>(FloaterSlot(type))] != 0; }

    // The texel rectangle it covers (inclusive; may run past the map edges).
    TexelRect Rect() const { return {left, left + width - 1, top, top + height - 1}; }
};

// The texels under the corners (16.16, low bits) of a selection, ordered so x0 <= x1, y0 <= y1.
TexelRect SelectedTexels(const Material& material, std::int32_t u0, std::int32_t v0, std::int32_t u1, std::int32_t v1);

// Lifts a rectangle of the material into a new floater: for every map type whose current
// layer is a paint or base layer, that layer's values and alpha; the other types are left
// out (zero, not carried). State 2, present. False when the images cannot be made.
bool LiftIntoFloater(Floater& floater, const Material& material, std::int32_t materialIndex, const TexelRect& texels);

// What Cut leaves behind in each map type the floater carries: on a Base Layer the clean
// value (Colour the background colour word 0xSSBBGGRR, Bump 128 flat, the others 0), on a
// paint layer a transparent alpha. The Renderer Layer is not rebuilt here.
void EraseUnderFloater(const Floater& floater, Material& material, std::uint32_t background);

// Centres the floater on the texel under (u, v).
void CentreFloaterOn(Floater& floater, const Material& material, std::int32_t u, std::int32_t v);

// Rebuilds the Renderer Layers over the floater's rectangle as if it were dropped, leaving
// the layers unchanged: what the user sees while moving it.
void ShowFloaterPreview(const Floater& floater, Material& material);

// Lays an image floater into the current layers (alpha a + ((255 - a) x K >> 8), value F
// where a was 0, else value + ((F - value) x K >> 8)) and rebuilds each carried type's
// Renderer Layer texel at once (weighting each layer by its own alpha). Returns the changed
// rectangle grown by one texel on every side.
TexelRect LayFloater(const Floater& floater, Material& material);

} // namespace gessoria
