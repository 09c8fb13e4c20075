#include "paint/PickFace.h"

#include "scene/Scene.h"
#include "view3d/Projection.h"
#include "scene/TextureSeam.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

namespace gessoria {
namespace {

// The value at (x, y) of the plane through three screen points carrying values q0, q1, q2.
float PlaneValue(const ProjectedPoint (&p)[3], const float (&q)[3], float x, float y)
{
    const float dx1 = p[1].x - p[0].x, dy1 = p[1].y - p[0].y, dq1 = q[1] - q[0];
    const float dx2 = p[2].x - p[0].x, dy2 = p[2].y - p[0].y, dq2 = q[2] - q[0];
    const float nx = dy1 * dq2 - dq1 * dy2;
    const float ny = dq1 * dx2 - dx1 * dq2;
    const float nz = dx1 * dy2 - dy1 * dx2;
    return q[0] - (nx * (x - p[0].x) + ny * (y - p[0].y)) / nz;
}

} // namespace

PickResult PickFace(Scene& scene, int x, int y)
{
    PickResult result;
    if (!scene.loaded())
        return result;
    scene.screenIndex.Refresh(scene);
    float best = -32000.0f;
    const float px = static_cast<float>(x), py = static_cast<float>(y);
    ProjectedPoint winner[3]{};
    // Every face that can contain the pixel, in object and face order: from the screen index
    // when the pixel is in view, else all of them.
    std::vector<std::int32_t> everyFace;
    const std::vector<std::int32_t>* candidates = scene.screenIndex.Candidates(x, y);
    if (candidates == nullptr) {
        everyFace.resize(static_cast<std::size_t>(scene.faceCount));
        std::iota(everyFace.begin(), everyFace.end(), 0);
        candidates = &everyFace;
    }
    std::size_t object = 0;
    for (const std::int32_t f : *candidates) {
        {
            const auto i = static_cast<std::size_t>(f);
            while (object + 1 < scene.objects.size() && f >= scene.objects[object].firstFace + scene.objects[object].faceCount)
                ++object;
            if (!scene.faceDrawn[i] || (scene.objects[object].flags & kObjectFrozen))
                continue;
            const std::int32_t corner[3] = {scene.faceVertexA[i], scene.faceVertexB[i], scene.faceVertexC[i]};
            std::int32_t sx[3], sy[3], sz[3];
            for (int k = 0; k < 3; ++k) {
                const auto v = static_cast<std::size_t>(corner[k]);
                sx[k] = scene.viewX[v];
                sy[k] = scene.viewY[v];
                sz[k] = scene.viewZ[v];
            }
            if ((x < sx[0] && x < sx[1] && x < sx[2]) || (x > sx[0] && x > sx[1] && x > sx[2]) ||
                (y < sy[0] && y < sy[1] && y < sy[2]) || (y > sy[0] && y > sy[1] && y > sy[2]))
                continue;
            if (static_cast<float>(sz[0]) < best && static_cast<float>(sz[1]) < best && static_cast<float>(sz[2]) < best)
                continue;
            ProjectedPoint p[3];
            for (int k = 0; k < 3; ++k)
                p[k] = ProjectVertexFloat(scene, corner[k]);
            const bool inside = (p[0].y - p[1].y) * (px - p[1].x) <= (py - p[1].y) * (p[0].x - p[1].x) &&
                                (p[1].y - p[2].y) * (px - p[2].x) <= (p[1].x - p[2].x) * (py - p[2].y) &&
                                (p[2].y - p[0].y) * (px - p[0].x) <= (p[2].x - p[0].x) * (py - p[0].y);
            if (!inside)
                continue;
            const float depths[3] = {p[0].z, p[1].z, p[2].z};
            const float z = PlaneValue(p, depths, px, py);
            // A face seen edge-on has no plane to read a depth from.
            if (!std::isfinite(z))
                continue;
            if (z >= best) {
                best = z;
                result.face = f;
                std::copy(std::begin(p), std::end(p), std::begin(winner));
            }
        }
    }
    if (result.face < 0)
        return result;
    const auto i = static_cast<std::size_t>(result.face);
    std::int64_t u[3] = {scene.faceU0[i], scene.faceU1[i], scene.faceU2[i]};
    std::int64_t v[3] = {scene.faceV0[i], scene.faceV1[i], scene.faceV2[i]};
    RepairSeam(u, scene.faceFlags[i] & 8);
    RepairSeam(v, scene.faceFlags[i] & 16);
    const float uf[3] = {static_cast<float>(u[0]), static_cast<float>(u[1]), static_cast<float>(u[2])};
    const float vf[3] = {static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2])};
    auto toFixed = [](float value) {
        return std::isfinite(value) ? static_cast<std::int32_t>(std::clamp(value, -2147483520.0f, 2147483520.0f)) : 0;
    };
    result.u = toFixed(PlaneValue(winner, uf, px, py));
    result.v = toFixed(PlaneValue(winner, vf, px, py));
    return result;
}

} // namespace gessoria
