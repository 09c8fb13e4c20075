#pragma once
// One dab, from texture coordinates to the redrawn view.
//
// LayDab dispatches on the current paint's special number: the ordinary paint (numbers 1,
// 0 and any number without a routine) writes the 31 x 31 footprint of the brush head
// around the texel under (u, v) into the selected layers of every map type the paint
// writes, then the changed texels are recomposited and the faces of the material redrawn
// where they are visible. While undo is on, the texels the dab may change are recorded
// first. The special paints and the bitmap paint have no routine yet and
// lay nothing.

#include "paint/Brush.h"
#include "paint/Paint.h"
#include "paint/PaintRandom.h"
#include "scene/UndoBuffer.h"
#include "scene/Compositing.h"
#include "view3d/Renderer.h"

#include <cstdint>
#include <optional>

namespace gessoria {

struct Material;
struct Scene;

struct PaintingContext {
    const Brush& brush;
    const Paint& paint;
    const PaintValues& values;
    PaintRandom& random;
    PaintTool tool = PaintTool::Brush;
};

// The ordinary paint's footprint alone: the changed texel rectangle, or nothing when the
// brush's dab limit stops it.
std::optional<TexelRect> LayOrdinaryFootprint(Material& material, const PaintingContext& context, int dabNumber,
                                              std::int32_t u, std::int32_t v);

// The whole dab: footprint, composite, redraw. Returns the screen rectangle to repaint.
ScreenRect LayDab(Scene& scene, ViewFrame& frame, const RenderOptions& options, const LightingSettings& lighting,
                  const PaintingContext& context, int dabNumber, std::int32_t u, std::int32_t v, std::int32_t materialIndex);

// Before a dab, while undo is on: the undo buffer records the 31 x 31 texels around the dab's
// texel in the given map types (UndoBuffer flag bits).
void RecordForUndo(Scene& scene, std::int32_t materialIndex, std::uint8_t mapTypes, int dabNumber, std::int32_t u,
                   std::int32_t v);

// After a dab changed texels: the composite over them, then the redraw of the material's
// visible faces there (not while the Line tool draws). Returns the screen rectangle to repaint.
ScreenRect FinishDab(Scene& scene, ViewFrame& frame, const RenderOptions& options, const LightingSettings& lighting,
                     PaintTool tool, std::int32_t materialIndex, const TexelRect& changed);

// A changed texel rectangle as 16.16 fractions of the map, for the redraw.
FractionRect ToFractions(const TexelRect& texels, int width, int height);

} // namespace gessoria
