#pragma once
// DabSpacer: where a projected stroke lays its dabs along the pointer's screen path.
//
// The first dab falls where the stroke starts; after it a dab falls every `spacing` pixels
// measured along the path, however far apart the pointer's events are, the distance left over
// at an event carried on to the next segment. A stylus's pressure is interpolated linearly
// along each segment between the two events' values (rounded to the nearest step).

#include <optional>
#include <vector>

namespace gessoria {

struct Brush;

struct PathPoint {
    float x = 0.0f;
    float y = 0.0f;
    std::optional<int> pressure;
};

class DabSpacer {
public:
    explicit DabSpacer(double spacing = 1.0) : spacing_(spacing < 1.0 ? 1.0 : spacing) {}

    // The path starts (or, without a dab, continues) at p.
    void Start(const PathPoint& p)
    {
        last_ = p;
        travelled_ = 0.0;
    }
    // The dabs along the segment from the last point to p.
    std::vector<PathPoint> MoveTo(const PathPoint& p);

    double spacing() const { return spacing_; }

private:
    double spacing_;
    PathPoint last_;
    double travelled_ = 0.0;  // along the path since the last dab
};

// The projected stroke's spacing: a quarter of the diameter for a brush whose spacing is
// "Natural", else the brush's x spacing in pixels; at least one pixel.
double ProjectedSpacing(const Brush& brush, int diameter);

} // namespace gessoria
