#pragma once
// One wire-frame edge drawn into the ViewFrame, clipped to it.
//
// The line runs from (x0, y0) towards (x1, y1); the end point itself is not drawn, so edges
// that meet share their corner pixel once. Along the major axis every step sets one pixel,
// the minor coordinate rounded to the nearest pixel (halves towards the end point). Only the
// steps that fall inside the frame are visited, so an edge of any length costs at most one
// pass over the frame's width or height, and a zoomed-in wire frame shows every edge that
// crosses the view.

#include "view3d/ViewFrame.h"

#include <cstdint>

namespace gessoria {

void DrawWireLine(ViewFrame& frame, std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1, std::uint8_t value);

} // namespace gessoria
