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

#include <memory>
#include <optional>
#include <string>

namespace gessoria {

// The message a paint refuses this material with, or nothing: Pointillist, Self Masking and
// Inverse refuse a written map type whose selected layer is the Base Layer (checked in the
// order Colour, Self Illumination, Bump, Opacity, Shininess), Chiaroscuro a Colour Base Layer.
std::optional<std::string> SpecialPaintRefusal(const Paint& paint, const Material& material);

// A paint's rules made ready for one dab on one material: the colours, the current values and
// their per-dab variations, the layers written. Texel() then paints one texel with a head
// weight through the wash / highlight gate and the paint's rule; the caller chooses the texels
// (the 31 x 31 square around the centre, or the texels a projected dab covers on screen).
// Texels are painted in the order they are handed over, which fixes the draws of the paints
// that vary per texel.
class FootprintRules {
public:
    FootprintRules(Material& material, const PaintingContext& context, int dabNumber, DabCentre centre);
    ~FootprintRules();
    FootprintRules(const FootprintRules&) = delete;
    FootprintRules& operator=(const FootprintRules&) = delete;

    // (row, column) lies in the map; the unclamped position is where the footprint meant it
    // to be (the cells and bands of the patterned paints are counted from it). mask 1..255.
    void Texel(int row, int column, int unclampedRow, int unclampedColumn, int mask);

private:
    struct Run;
    std::unique_ptr<Run> run_;
};

// The footprint alone: the changed texel rectangle, or nothing when the brush's dab limit
// stops it. Refusals are the caller's to check first.
std::optional<TexelRect> LayPaintFootprint(Material& material, const PaintingContext& context, int dabNumber,
                                           DabCentre centre);
std::optional<TexelRect> LayPaintFootprint(Material& material, const PaintingContext& context, int dabNumber,
                                           std::int32_t u, std::int32_t v);

// Whether the number has a special paint routine (2..24).
constexpr bool IsSpecialPaint(int number) { return number >= 2 && number <= 24; }

} // namespace gessoria
