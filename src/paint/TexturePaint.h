#pragma once
// The Texture Paint tool's two dabs: clone and texture stamping.
//
// Clone copies from a source place on the surface: the first clone dab after the source was
// set fixes the offset (target texel minus source texel); every footprint texel then reads
// the source material at its own texel minus the offset, wrapped, in the layer whose index
// is the painted material's selected layer of the same map type. Texture stamping lays the
// current bitmap paint's images as one continuous texture through the brush head, starting
// from the source point of the source view. Both write the map types switched on in the
// tool (texture stamping only those the bitmap paint uses too).

#include "paint/Dab.h"
#include "paint/ToolOptions.h"

namespace gessoria {

constexpr const char* kNoCloneSource = "Please select a clone source";

// A set-source click: records the material and texel under (u, v) and arms the offset.
void SetCloneSource(PaintingState& state, const Scene& scene, std::int32_t materialIndex, std::int32_t u, std::int32_t v);

// The clone dab: refusal without a source, undo record, footprint, composite, redraw.
ScreenRect CloneDab(const Painter& painter, PaintingState& state, int dabNumber, DabCentre centre,
                    std::int32_t materialIndex);
// The footprint alone (after the offset is fixed): the changed rectangle, or nothing.
std::optional<TexelRect> LayCloneFootprint(Scene& scene, const PaintingContext& context, const PaintingState& state,
                                           int dabNumber, DabCentre centre, std::int32_t materialIndex);

// The texture-stamping dab: the bitmap paint's refusals, undo record, footprint, composite, redraw.
ScreenRect TextureStampDab(const Painter& painter, PaintingState& state, int dabNumber, DabCentre centre,
                           std::int32_t materialIndex);
std::optional<TexelRect> LayTextureStampFootprint(Material& material, const PaintingContext& context,
                                                  const PaintingState& state, int dabNumber, DabCentre centre);

constexpr const char* kNotABitmapPaint = "Please select a valid Bitmap Paint first";
constexpr const char* kDibsNotLoaded = "Dibs not loaded";
constexpr const char* kNoSourceMaps = "Unable to create Texture Paint view window.  No maps available.";

// "Texture Paint" pressed: with a bitmap paint whose images are loaded, texture mode goes on
// and the source bitmap is chosen (the first present of colour, self illum, bump, opacity,
// shininess) with the source point at its centre. Returns that bitmap for the source view,
// or nothing after telling why (texture mode then stays off).
const CDIB* StartTextureMode(PaintingState& state, const Paint& paint, UserInteraction& ui);
// "Clone" pressed: texture mode off.
void StartCloneMode(PaintingState& state);
// A click in the source view at (x, y) from the top left of a bitmap `height` rows high.
void ClickSourceView(PaintingState& state, int x, int y, int height);

// The key-image pixel a texel reads: the source point plus the texel's distance from the
// anchor texel divided by the texture scale (floored), wrapped into the key image.
int StampPixel(int texel, int anchor, int sourcePixel, float scale, int keySize);

} // namespace gessoria
