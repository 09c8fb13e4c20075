#pragma once
// The footprint of the ordinary paint and of the 23 special paints: one 31 x 31 loop over
// the brush head (clamped texels, the changed rectangle, the wash / highlight gate) that
// hands each painted texel of each written map type to the paint's rule.
//
// A rule is a short function of the texel's value and alpha, the layer below and the dab's
// prepared values (colours, the current values, per-dab random variations); a table names,
// per paint number, its weighting, its once-per-dab and once-per-texel preparations and its
// rule. Numbers without a rule paint as the ordinary paint. Refusals (painting on a Base
// Layer that a paint needs to see through) are checked before anything is written.

#include "paint/Dab.h"

#include <optional>
#include <string>

namespace gessoria {

// The message a paint refuses this material with, or nothing: Pointillist, Self Masking and
// Inverse refuse a written map type whose selected layer is the Base Layer (checked in the
// order Colour, Self Illumination, Bump, Opacity, Shininess), Chiaroscuro a Colour Base Layer.
std::optional<std::string> SpecialPaintRefusal(const Paint& paint, const Material& material);

// The footprint alone: the changed texel rectangle, or nothing when the brush's dab limit
// stops it. Refusals are the caller's to check first.
std::optional<TexelRect> LayPaintFootprint(Material& material, const PaintingContext& context, int dabNumber,
                                           DabCentre centre);
std::optional<TexelRect> LayPaintFootprint(Material& material, const PaintingContext& context, int dabNumber,
                                           std::int32_t u, std::int32_t v);

// Whether the number has a special paint routine (2..24).
constexpr bool IsSpecialPaint(int number) { return number >= 2 && number <= 24; }

} // namespace gessoria
