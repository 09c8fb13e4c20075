#pragma once
// ProduceLayers: turns the bitmaps loaded for each material into its five layer stacks.
//
// Runs after the map bitmaps are loaded. A material with no bitmap asks "Bitmap Texture"
// (generate a bitmap from the diffuse colour, or render with the colour alone); one whose
// loaded maps differ in size asks "Texturemap Size" for the map size and how each map type
// is fitted (Scale, Tile, Decal). Cancelling either dialog stops the production at that
// material and returns kProductionCancelled; earlier materials keep their stacks. Every
// map bitmap is released once its material is done.

#include "scene/UserInteraction.h"

namespace gessoria {

class CDIB;
struct Scene;

constexpr int kProductionCancelled = 100;

int ProduceLayers(Scene& scene, UserInteraction& ui);

// Draws a 24-bit map (or an 8-bit one, as grey) into a 24-bit target of any size: Scale resamples it to the whole
// target, Tile repeats it from the top-left corner, Decal places it once, centred.
void DrawFitted(const CDIB& map, CDIB& target, MapFitting fitting);

} // namespace gessoria
