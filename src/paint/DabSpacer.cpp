#include "paint/DabSpacer.h"

#include "paint/Brush.h"

#include <algorithm>
#include <cmath>

namespace gessoria {

std::vector<PathPoint> DabSpacer::MoveTo(const PathPoint& p)
{
    std::vector<PathPoint> dabs;
    const double dx = static_cast<double>(p.x) - last_.x, dy = static_cast<double>(p.y) - last_.y;
    const double length = std::hypot(dx, dy);
    double at = spacing_ - travelled_;  // distance along this segment to the next dab
    for (; at <= length; at += spacing_) {
        const double t = at / length;
        PathPoint dab{static_cast<float>(last_.x + dx * t), static_cast<float>(last_.y + dy * t), p.pressure};
        if (last_.pressure && p.pressure)
            dab.pressure = static_cast<int>(std::lround(*last_.pressure + (*p.pressure - *last_.pressure) * t));
        dabs.push_back(dab);
    }
    travelled_ = length - (at - spacing_);
    last_ = p;
    return dabs;
}

double ProjectedSpacing(const Brush& brush, int diameter)
{
    if (brush.dabSpacing == static_cast<int>(DabSpacing::Natural))
        return std::max(1.0, diameter / 4.0);
    return std::max(1, brush.xSpacing);
}

} // namespace gessoria
