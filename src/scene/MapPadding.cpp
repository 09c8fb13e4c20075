#include "scene/MapPadding.h"

#include "scene/CDIB.h"
#include "scene/Scene.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace gessoria {
namespace {

struct Point {
    double x, y;
};

double Cross(Point a, Point b, Point c)
{
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

// Whether the triangle and the unit square at (i, j) share area: no edge of the triangle
// has the whole square on its outside (or on its line). The square's own axes are settled by
// the caller, which only asks about squares that overlap the triangle's bounding box.
bool Overlaps(const std::array<Point, 3>& t, double orientation, int i, int j)
{
    const Point corners[4] = {{double(i), double(j)}, {i + 1.0, double(j)}, {double(i), j + 1.0}, {i + 1.0, j + 1.0}};
    for (int e = 0; e < 3; ++e) {
        const Point a = t[static_cast<std::size_t>(e)], b = t[static_cast<std::size_t>((e + 1) % 3)];
        double inside = -1.0;
        for (const Point& q : corners)
            inside = std::max(inside, Cross(a, b, q) * orientation);
        if (inside <= 0.0)
            return false;
    }
    return true;
}

void CoverTriangle(std::array<Point, 3> t, int width, int height, std::vector<std::uint8_t>& covered)
{
    const double orientation = Cross(t[0], t[1], t[2]) > 0.0 ? 1.0 : -1.0;
    if (Cross(t[0], t[1], t[2]) == 0.0)
        return;  // no area, nothing covered
    // Move the triangle by whole maps so its box starts inside the map; the maps repeat.
    const double shiftX = std::floor(std::min({t[0].x, t[1].x, t[2].x}) / width) * width;
    const double shiftY = std::floor(std::min({t[0].y, t[1].y, t[2].y}) / height) * height;
    for (Point& p : t) {
        p.x -= shiftX;
        p.y -= shiftY;
    }
    const double maxX = std::max({t[0].x, t[1].x, t[2].x}), maxY = std::max({t[0].y, t[1].y, t[2].y});
    const double minX = std::min({t[0].x, t[1].x, t[2].x}), minY = std::min({t[0].y, t[1].y, t[2].y});
    // A face spanning more than two whole maps covers every texel of its rows anyway; the
    // walk stops there rather than visiting each repeat.
    const int lastI = static_cast<int>(std::min(std::ceil(maxX) - 1.0, minX + 2.0 * width));
    const int lastJ = static_cast<int>(std::min(std::ceil(maxY) - 1.0, minY + 2.0 * height));
    for (int j = static_cast<int>(std::floor(minY)); j <= lastJ; ++j)
        for (int i = static_cast<int>(std::floor(minX)); i <= lastI; ++i)
            if (Overlaps(t, orientation, i, j))
                covered[static_cast<std::size_t>(j % height) * static_cast<std::size_t>(width) + static_cast<std::size_t>(i % width)] = 1;
}

} // namespace

std::vector<std::uint8_t> MaterialCoverage(const Scene& scene, int material)
{
    const Material& m = scene.materials[static_cast<std::size_t>(material)];
    if (!m.hasLayers || m.mapWidth < 1 || m.mapHeight < 1)
        return {};
    const int width = m.mapWidth, height = m.mapHeight;
    std::vector<std::uint8_t> covered(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    const auto texel = [](std::int32_t coordinate, int size) { return static_cast<double>(coordinate) / 65536.0 * size; };
    for (std::size_t f = 0; f < static_cast<std::size_t>(scene.faceCount); ++f) {
        if (scene.faceMaterial[f] != material)
            continue;
        CoverTriangle({Point{texel(scene.faceU0[f], width), texel(scene.faceV0[f], height)},
                       Point{texel(scene.faceU1[f], width), texel(scene.faceV1[f], height)},
                       Point{texel(scene.faceU2[f], width), texel(scene.faceV2[f], height)}},
                      width, height, covered);
    }
    return covered;
}

void PadTexels(CDIB& image, std::span<const std::uint8_t> covered, int padding)
{
    const int width = image.width(), height = image.height();
    const std::size_t texels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (padding == 0 || covered.size() != texels || !image.created())
        return;
    const std::size_t pixelBytes = static_cast<std::size_t>(image.bytesPerPixel());
    std::vector<std::uint8_t> reached(covered.begin(), covered.end());
    std::vector<std::int32_t> queue;
    queue.reserve(texels);
    for (std::size_t t = 0; t < texels; ++t)
        if (reached[t])
            queue.push_back(static_cast<std::int32_t>(t));
    if (queue.empty())
        return;
    constexpr int kSteps[8][2] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}};
    std::size_t begin = 0;
    for (int distance = 1; (padding < 0 || distance <= padding) && begin < queue.size(); ++distance) {
        const std::size_t end = queue.size();
        for (std::size_t q = begin; q < end; ++q) {
            const int x = queue[q] % width, y = queue[q] / width;
            const std::uint8_t* from = image.row(y) + static_cast<std::size_t>(x) * pixelBytes;
            for (const auto& step : kSteps) {
                const int nx = x + step[0], ny = y + step[1];
                if (nx < 0 || ny < 0 || nx >= width || ny >= height)
                    continue;
                const std::size_t at = static_cast<std::size_t>(ny) * static_cast<std::size_t>(width) + static_cast<std::size_t>(nx);
                if (reached[at])
                    continue;
                reached[at] = 1;
                // The texel it was reached from already holds its nearest covered value.
                std::memcpy(image.row(ny) + static_cast<std::size_t>(nx) * pixelBytes, from, pixelBytes);
                queue.push_back(static_cast<std::int32_t>(at));
            }
        }
        begin = end;
    }
}

} // namespace gessoria
