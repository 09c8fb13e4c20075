#include "paint/LineTool.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace gessoria {

std::vector<ScreenPoint> ShapeCorners(LineType type, int sides, ScreenPoint anchor, ScreenPoint release)
{
    if (type == LineType::Line)
        return {anchor, release};
    const int n = type == LineType::Circle ? kCircleSides : std::max(sides, 1);
    const float dx = static_cast<float>(release.x - anchor.x), dy = static_cast<float>(release.y - anchor.y);
    const float r = std::sqrt(dx * dx + dy * dy);
    const float phi = std::atan2(dx, dy);
    const float m = std::cos(phi), s = std::sin(phi);
    const float step = 6.283186f / static_cast<float>(n);
    std::vector<ScreenPoint> corners{release};
    for (float theta = step; theta < 6.183186f; theta += step) {
        const float x = static_cast<float>(anchor.x) - (std::sin(theta) * r * m - std::cos(theta) * r * s);
        const float y = static_cast<float>(anchor.y) + (std::cos(theta) * r * m + std::sin(theta) * r * s);
        corners.push_back({static_cast<int>(x), static_cast<int>(y)});
    }
    corners.push_back(release);
    return corners;
}

std::vector<ScreenPoint> ScreenLinePoints(ScreenPoint from, ScreenPoint to)
{
    const int dx = to.x - from.x, dy = to.y - from.y;
    const int count = std::max(std::abs(dx), std::abs(dy));
    std::vector<ScreenPoint> points;
    if (count == 0)
        return points;
    points.reserve(static_cast<std::size_t>(count) + 1);
    for (int i = 0; i <= count; ++i)
        points.push_back({from.x + i * dx / count, from.y + i * dy / count});
    return points;
}

} // namespace gessoria
