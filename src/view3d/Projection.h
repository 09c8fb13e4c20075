#pragma once
// The view transform: scene vertices to screen pixels and depths, and fitting the view.
//
// ProjectVertices turns every vertex about X, then Y, then Z by the camera's angles (sines
// and cosines as 32-bit floats of angle / 162.97427, products in extended precision), adds
// the pan, multiplies by the scale and centres it in the view; screen Y grows downward and
// larger depth is nearer. The result is truncated toward zero into viewX, viewY, viewZ.

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

// Radians of an angle in AngleUnits for the vertex transform (1024 / 6.2832 units a radian)
// and for shading and fitting (6.2832 / 1024 radians a unit); only the low 10 bits count.
float TransformRadians(std::int32_t angle);
float ShadingRadians(std::int32_t angle);

} // namespace gessoria
