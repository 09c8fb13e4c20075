#pragma once
// The view transform: scene vertices to screen pixels and depths, and fitting the view.
//
// ProjectVertices turns every vertex about X, then Y, then Z by the camera's angles (sines
// and cosines of angle / 162.97427 rounded to 32-bit floats, products in extended precision), adds
// the pan, multiplies by the scale and centres it in the view; screen Y grows downward and
// larger depth is nearer. The result is truncated toward zero into viewX, viewY, viewZ.

#include <algorithm>
#include <cstdint>

namespace gessoria {

struct Scene;

struct ScreenRect {
    std::int32_t left = 32000;
    std::int32_t top = 32000;
    std::int32_t right = -32000;
    std::int32_t bottom = -32000;

    bool empty() const { return left > right || top > bottom; }
    ScreenRect United(const ScreenRect& other) const;
    // Grows the rectangle to hold the pixel (x, y) of a view; inline, as a redraw calls it for
    // every pixel it writes. View pixels lie well inside the empty rectangle's bounds.
    void Include(std::int32_t x, std::int32_t y)
    {
        left = std::min(left, x);
        top = std::min(top, y);
        right = std::max(right, x);
        bottom = std::max(bottom, y);
    }
};

// Projects every vertex and returns their screen bounding rectangle.
ScreenRect ProjectVertices(Scene& scene);

// One vertex through the same transform in single precision, untruncated: screen x, y and
// depth as the pick uses them.
struct ProjectedPoint {
    float x, y, z;
};
ProjectedPoint ProjectVertexFloat(const Scene& scene, std::int32_t vertex);

// Fits every vertex into the view at 85% of its size: sets the scale and pan.
void ZoomExtents(Scene& scene);

// Radians of an angle in AngleUnits for the vertex transform (divided by the single-precision
// 162.97427, 1024 / 6.2832 units a radian) and for shading and fitting (times 0.0061359378,
// 6.2832 / 1024 radians a unit), in double; only the low 10 bits count.
double TransformRadians(std::int32_t angle);
double ShadingRadians(std::int32_t angle);
// Sine and cosine taken in double and rounded once to the 32-bit floats the transform and
// the lighting keep.
float RoundedSine(double radians);
float RoundedCosine(double radians);

} // namespace gessoria
