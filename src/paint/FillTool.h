#pragma once
// The Fill tool: a mask of weights over the whole map, laid through the current paint.
//
// Flood weighs each texel by its distance from the seed texel of the reference map, Border
// by its distance from the fill colour (so the fill spreads up to a border drawn in it), All
// weighs every texel 255. Flood and Border then keep only the texels connected to the seed
// through rows of non-zero weight (filled run by run with an explicit stack, so any map size
// fills without a deep call stack). The mask is cut into 31 x 31 blocks, each laid as one
// dab whose brush head is the block, through the paint dispatcher, or through texture
// stamping for a bitmap paint.

#include "paint/Dab.h"
#include "paint/ToolOptions.h"

#include <vector>

namespace gessoria {

// Weights 0..255 per texel, row by row (width x height); empty when the reference map
// cannot be read.
std::vector<std::uint8_t> FillMask(const Material& material, const ToolOptions& options, int seedColumn, int seedRow);

// The whole fill at the hit (u, v): mask, blocks, then one composite and redraw of the
// rectangle of non-zero mask texels. Returns the screen rectangle to repaint.
ScreenRect Fill(const Painter& painter, PaintingState& state, std::int32_t u, std::int32_t v, std::int32_t materialIndex);

// Lays a mask of weights (width x height of the material, row by row) through the current
// paint in 31 x 31 blocks, as the fill does, then composites and redraws the rectangle of
// non-zero weights. A paint that refuses the material is told once and nothing is laid.
ScreenRect LayWeights(const Painter& painter, PaintingState& state, const std::vector<std::uint8_t>& mask, std::int32_t materialIndex);

} // namespace gessoria
