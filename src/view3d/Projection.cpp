#include "view3d/Projection.h"

#include "scene/Scene.h"

#include <algorithm>
#include <cmath>
#include <system_error>
#include <thread>

namespace gessoria {
namespace {

struct Turn {
    float s1, c1, s2, c2, s3, c3;
};

Turn TurnOf(const Camera& camera, double (*radians)(std::int32_t))
{
    const double a = radians(camera.angleX), b = radians(camera.angleY), c = radians(camera.angleZ);
    return {RoundedSine(a), RoundedCosine(a), RoundedSine(b), RoundedCosine(b), RoundedSine(c), RoundedCosine(c)};
}

struct Turned {
    long double x3, y3, z2;
};

// About X, then Y, then Z, in extended precision.
inline Turned Rotate(const Turn& t, float x, float y, float z)
{
    const long double y1 = static_cast<long double>(t.c1) * y - static_cast<long double>(t.s1) * z;
    const long double z1 = static_cast<long double>(t.s1) * y + static_cast<long double>(t.c1) * z;
    const long double x2 = static_cast<long double>(t.c2) * x - static_cast<long double>(t.s2) * z1;
    const long double z2 = static_cast<long double>(t.s2) * x + static_cast<long double>(t.c2) * z1;
    const long double x3 = static_cast<long double>(t.c3) * x2 - static_cast<long double>(t.s3) * y1;
    const long double y3 = static_cast<long double>(t.s3) * x2 + static_cast<long double>(t.c3) * y1;
    return {x3, y3, z2};
}

} // namespace

double TransformRadians(std::int32_t angle)
{
    return static_cast<double>(angle & 1023) / static_cast<double>(162.97427f);
}

double ShadingRadians(std::int32_t angle)
{
    return static_cast<double>(angle & 1023) * 0.0061359378;
}

float RoundedSine(double radians)
{
    return static_cast<float>(std::sin(radians));
}

float RoundedCosine(double radians)
{
    return static_cast<float>(std::cos(radians));
}

ScreenRect ScreenRect::United(const ScreenRect& other) const
{
    if (empty())
        return other;
    if (other.empty())
        return *this;
    return {std::min(left, other.left), std::min(top, other.top), std::max(right, other.right),
            std::max(bottom, other.bottom)};
}

namespace {

ScreenRect ProjectRange(Scene& scene, std::int32_t first, std::int32_t last)
{
    const Camera& camera = scene.camera;
    const Turn turn = TurnOf(camera, TransformRadians);
    const long double cx = scene.viewWidth / 2, cy = scene.viewHeight / 2;
    ScreenRect rect;
    for (std::int32_t v = first; v < last; ++v) {
        const auto i = static_cast<std::size_t>(v);
        const Turned p = Rotate(turn, scene.positionX[i], scene.positionY[i], scene.positionZ[i]);
        const long double sx = (p.x3 + camera.panX) * camera.scale + cx;
        const long double sy = (p.y3 + camera.panY) * camera.scale + cy;
        const long double depth = static_cast<long double>(camera.depthScale) * static_cast<float>(p.z2);
        // Values beyond the 32-bit range (a far zoom) are held at its edge instead of overflowing.
        auto toInt = [](long double value) {
            return static_cast<std::int32_t>(std::clamp(value, -2147483520.0L, 2147483520.0L));
        };
        const std::int32_t x = toInt(sx), y = toInt(sy);
        scene.viewX[i] = x;
        scene.viewY[i] = y;
        scene.viewZ[i] = toInt(depth);
        rect.left = std::min(rect.left, x);
        rect.right = std::max(rect.right, x);
        rect.top = std::min(rect.top, y);
        rect.bottom = std::max(rect.bottom, y);
    }
    return rect;
}

} // namespace

ScreenRect ProjectVertices(Scene& scene)
{
    AllocateRenderArrays(scene);
    // Large scenes are split between this thread and one more; each vertex is independent.
    constexpr std::int32_t kWorthSharing = 20000;
    if (scene.vertexCount < kWorthSharing)
        return ProjectRange(scene, 0, scene.vertexCount);
    const std::int32_t half = scene.vertexCount / 2;
    ScreenRect upper;
    std::thread helper;
    try {
        helper = std::thread([&] { upper = ProjectRange(scene, half, scene.vertexCount); });
    } catch (const std::system_error&) {
        // No thread to be had (memory or process limits): this thread does it all.
        return ProjectRange(scene, 0, scene.vertexCount);
    }
    const ScreenRect lower = ProjectRange(scene, 0, half);
    helper.join();
    return lower.United(upper);
}

ProjectedPoint ProjectVertexFloat(const Scene& scene, std::int32_t vertex)
{
    const Camera& camera = scene.camera;
    const Turn t = TurnOf(camera, TransformRadians);
    const auto i = static_cast<std::size_t>(vertex);
    const float x = scene.positionX[i], y = scene.positionY[i], z = scene.positionZ[i];
    const float y1 = t.c1 * y - t.s1 * z;
    const float z1 = t.s1 * y + t.c1 * z;
    const float x2 = t.c2 * x - t.s2 * z1;
    const float z2 = t.s2 * x + t.c2 * z1;
    const float x3 = t.c3 * x2 - t.s3 * y1;
    const float y3 = t.s3 * x2 + t.c3 * y1;
    return {(x3 + camera.panX) * camera.scale + static_cast<float>(scene.viewWidth / 2),
            (y3 + camera.panY) * camera.scale + static_cast<float>(scene.viewHeight / 2), camera.depthScale * z2};
}

void ZoomExtents(Scene& scene)
{
    Camera& camera = scene.camera;
    const Turn turn = TurnOf(camera, ShadingRadians);
    float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f;
    for (std::int32_t v = 0; v < scene.vertexCount; ++v) {
        const auto i = static_cast<std::size_t>(v);
        const Turned p = Rotate(turn, scene.positionX[i], scene.positionY[i], scene.positionZ[i]);
        const auto x = static_cast<float>(p.x3), y = static_cast<float>(p.y3);
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
    }
    if (minX > maxX)
        return;  // no vertices: nothing to fit
    const float dx = maxX - minX, dy = maxY - minY;
    const float width = static_cast<float>(scene.viewWidth), height = static_cast<float>(scene.viewHeight);
    // A scene that is one point (no extent at all) keeps a scale of one pixel a unit.
    const float fit = dx == 0.0f && dy == 0.0f ? 1.0f / 0.85f
                      : dx == 0.0f            ? height / dy
                      : dy == 0.0f            ? width / dx
                                              : std::min(width / dx, height / dy);
    camera.scale = fit * 0.85f;
    camera.panX = -(minX + dx * 0.5f);
    camera.panY = -(minY + dy * 0.5f);
}

} // namespace gessoria
