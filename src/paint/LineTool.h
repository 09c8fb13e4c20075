#pragma once
// The Line tool's geometry: the screen points a line, a regular polygon or a circle is laid
// along, from the button-down point (the anchor) to the button-up point.
//
// A line runs from the anchor to the release point. A polygon of n sides (a circle is one of
// 50) is centred on the anchor with its first corner at the release point; its sides are
// laid one screen line after another, the last back to the release point. A screen line
// visits max(|dx|, |dy|) + 1 points, each coordinate stepped by integer division toward
// zero; a line of zero length visits none.

#include "paint/ToolOptions.h"

#include <vector>

namespace gessoria {

struct ScreenPoint {
    int x = 0;
    int y = 0;
    bool operator==(const ScreenPoint&) const = default;
};

constexpr int kCircleSides = 50;

// The corners the shape's screen lines join, in order: for a line its two ends, for a
// polygon or circle the release point, the corners after it and the release point again.
std::vector<ScreenPoint> ShapeCorners(LineType type, int sides, ScreenPoint anchor, ScreenPoint release);

// The points of one screen line.
std::vector<ScreenPoint> ScreenLinePoints(ScreenPoint from, ScreenPoint to);

} // namespace gessoria
