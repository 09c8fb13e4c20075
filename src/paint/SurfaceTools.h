#pragma once
// The Sampler and the Eraser: tools that read or take paint off the surface at a hit.
//
// The Sampler copies the Colour composite's texel into a colour word, keeping the word's
// strength. The Eraser lays the brush footprint like a dab but moves each switched-on map
// type's current layer toward its clean value (Colour toward the background colour,
// Self Illumination and Shininess toward 0, Bump toward 128, Opacity toward 255) and thins
// the alpha of paint layers; the Base Layer keeps its alpha and layer 0 is never touched.

#include "paint/Dab.h"

#include <array>
#include <cstdint>

namespace gessoria {

struct Material;

// Switches by storage order (Colour, Bump, Opacity, SelfIllum, Shininess).
using EraserSwitches = std::array<bool, kMapTypeCount>;

void SampleColour(const Material& material, std::int32_t u, std::int32_t v, std::uint32_t& target);

// The eraser's treatment of one texel, made ready for a dab on one material: each switched-on
// map type's selected layer moves toward its clean value by the head weight (times the
// foreground strength + 1), and paint layers lose alpha. Used by the 31 x 31 footprint and by
// the projected dab.
class EraserRules {
public:
    EraserRules(Material& material, const PaintingContext& context, const EraserSwitches& switches);
    void Texel(int row, int column, int mask);

private:
    Material& material_;
    const EraserSwitches& switches_;
    int strength_;
    int clean_[3];
};

// The eraser's footprint alone: the changed texel rectangle, or nothing when the dab limit stops it.
std::optional<TexelRect> EraseFootprint(Material& material, const PaintingContext& context, const EraserSwitches& switches,
                                        int dabNumber, std::int32_t u, std::int32_t v);

// The switched-on map types as UndoBuffer flag bits.
std::uint8_t ErasedMapTypes(const EraserSwitches& switches);

// The whole eraser dab: undo record, footprint, composite, redraw.
ScreenRect EraserDab(const Painter& painter, const EraserSwitches& switches, int dabNumber, std::int32_t u, std::int32_t v,
                     std::int32_t materialIndex);

} // namespace gessoria
