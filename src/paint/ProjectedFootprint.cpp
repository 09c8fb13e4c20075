#include "paint/ProjectedFootprint.h"

#include "paint/TexelCoordinates.h"
#include "scene/Scene.h"
#include "scene/TextureSeam.h"
#include "view3d/Renderer.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace gessoria {
namespace {

// Collects texels with their largest weight, tile by tile. Consecutive texels mostly fall in
// the same tile, so the last tile is tried before the map of tiles.
class CoverageBuilder {
public:
    void Add(std::int32_t material, int row, int column, std::uint8_t mask)
    {
        const int tileRow = row / CoveredTile::kSize, tileColumn = column / CoveredTile::kSize;
        const std::uint64_t key = (static_cast<std::uint64_t>(static_cast<std::uint16_t>(material)) << 40) |
                                  (static_cast<std::uint64_t>(tileRow) << 20) | static_cast<std::uint64_t>(tileColumn);
        if (key != lastKey_) {
            auto [at, added] = index_.try_emplace(key, tiles_.size());
            if (added) {
                CoveredTile tile;
                tile.material = material;
                tile.tileRow = tileRow;
                tile.tileColumn = tileColumn;
                tile.rect = {column, column, row, row};
                tiles_.push_back(tile);
                keys_.push_back(key);
            }
            lastKey_ = key;
            last_ = at->second;
        }
        CoveredTile& tile = tiles_[last_];
        std::uint8_t& m = tile.mask[static_cast<std::size_t>((row - tileRow * CoveredTile::kSize) * CoveredTile::kSize + column -
                                                             tileColumn * CoveredTile::kSize)];
        if (mask <= m)
            return;
        m = mask;
        tile.rect = {std::min(tile.rect.x0, column), std::max(tile.rect.x1, column), std::min(tile.rect.y0, row),
                     std::max(tile.rect.y1, row)};
    }

    // The nearest covered texel to the dab's centre, per material.
    void Near(std::int32_t material, int row, int column, double distance)
    {
        for (Nearest& n : nearest_)
            if (n.material == material) {
                if (distance < n.distance)
                    n = {material, {column, row}, distance};
                return;
            }
        nearest_.push_back({material, {column, row}, distance});
    }

    ProjectedCoverage Finish()
    {
        std::vector<std::size_t> order(tiles_.size());
        for (std::size_t k = 0; k < order.size(); ++k)
            order[k] = k;
        std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return keys_[a] < keys_[b]; });
        ProjectedCoverage coverage;
        coverage.tiles.reserve(tiles_.size());
        for (const std::size_t k : order)
            coverage.tiles.push_back(tiles_[k]);
        std::sort(nearest_.begin(), nearest_.end(), [](const Nearest& a, const Nearest& b) { return a.material < b.material; });
        for (const Nearest& n : nearest_)
            coverage.centres.push_back({n.material, n.texel});
        return coverage;
    }

private:
    struct Nearest {
        std::int32_t material;
        DabCentre texel;
        double distance;
    };
    std::vector<CoveredTile> tiles_;
    std::vector<std::uint64_t> keys_;
    std::unordered_map<std::uint64_t, std::size_t> index_;
    std::uint64_t lastKey_ = ~std::uint64_t{0};
    std::size_t last_ = 0;
    std::vector<Nearest> nearest_;
};

struct Point {
    double x, y;
};

Point Minus(Point a, Point b) { return {a.x - b.x, a.y - b.y}; }
double Cross(Point a, Point b) { return a.x * b.y - a.y * b.x; }
double Dot(Point a, Point b) { return a.x * b.x + a.y * b.y; }

// The point of segment ab nearest to p.
Point NearestOnSegment(Point p, Point a, Point b)
{
    const Point ab = Minus(b, a);
    const double length = Dot(ab, ab);
    const double t = length > 0.0 ? std::clamp(Dot(Minus(p, a), ab) / length, 0.0, 1.0) : 0.0;
    return {a.x + t * ab.x, a.y + t * ab.y};
}

// One face's corners in texture space (texels) and on the screen, and the affine maps between.
class FaceMaps {
public:
    FaceMaps(const Point (&uv)[3], const Point (&screen)[3], const double (&depth)[3]) : uv_{uv[0], uv[1], uv[2]}
    {
        uvArea_ = Cross(Minus(uv[1], uv[0]), Minus(uv[2], uv[0]));
        const Point s1 = Minus(screen[1], screen[0]), s2 = Minus(screen[2], screen[0]);
        screenArea_ = Cross(s1, s2);
        s0_ = screen[0];
        s1_ = s1;
        s2_ = s2;
        z0_ = depth[0];
        const double z1 = depth[1] - depth[0], z2 = depth[2] - depth[0];
        if (screenArea_ != 0.0) {
            zx_ = (z1 * s2.y - z2 * s1.y) / screenArea_;
            zy_ = (z2 * s1.x - z1 * s2.x) / screenArea_;
        }
    }

    bool Usable() const { return std::abs(uvArea_) > 1e-12 && screenArea_ != 0.0; }

    // Texture space to screen through the face's barycentric weights.
    Point ToScreen(Point q) const
    {
        const Point d = Minus(q, uv_[0]);
        const double b1 = Cross(d, Minus(uv_[2], uv_[0])) / uvArea_;
        const double b2 = Cross(Minus(uv_[1], uv_[0]), d) / uvArea_;
        return {s0_.x + b1 * s1_.x + b2 * s2_.x, s0_.y + b1 * s1_.y + b2 * s2_.y};
    }

    // Screen to texture space.
    Point ToTexture(Point p) const
    {
        const Point d = Minus(p, s0_);
        const double b1 = Cross(d, s2_) / screenArea_;
        const double b2 = Cross(s1_, d) / screenArea_;
        return {uv_[0].x + b1 * (uv_[1].x - uv_[0].x) + b2 * (uv_[2].x - uv_[0].x),
                uv_[0].y + b1 * (uv_[1].y - uv_[0].y) + b2 * (uv_[2].y - uv_[0].y)};
    }

    double DepthAt(double x, double y) const { return z0_ + zx_ * (x - s0_.x) + zy_ * (y - s0_.y); }
    double DepthPerPixel() const { return std::abs(zx_) + std::abs(zy_); }

    // Whether the texel square [column, column + 1] x [row, row + 1] overlaps the triangle
    // with some area (touching along an edge is not overlapping).
    bool Overlaps(int column, int row) const
    {
        const Point corners[4] = {{double(column), double(row)}, {column + 1.0, double(row)}, {double(column), row + 1.0},
                                  {column + 1.0, row + 1.0}};
        const double orientation = uvArea_ > 0.0 ? 1.0 : -1.0;
        for (int e = 0; e < 3; ++e) {
            const Point a = uv_[e], b = uv_[(e + 1) % 3];
            double most = -1e300;
            for (const Point& c : corners)
                most = std::max(most, orientation * Cross(Minus(b, a), Minus(c, a)));
            if (most <= 1e-9)
                return false;
        }
        return true;
    }

    // The triangle's nearest point to the texel's centre, which lies outside it.
    Point NearestTo(int column, int row) const
    {
        const Point c{column + 0.5, row + 0.5};
        Point best = NearestOnSegment(c, uv_[0], uv_[1]);
        for (int e = 1; e < 3; ++e) {
            const Point p = NearestOnSegment(c, uv_[e], uv_[(e + 1) % 3]);
            if (Dot(Minus(p, c), Minus(p, c)) < Dot(Minus(best, c), Minus(best, c)))
                best = p;
        }
        return best;
    }

private:
    Point uv_[3];
    double uvArea_ = 0.0, screenArea_ = 0.0;
    Point s0_{}, s1_{}, s2_{};
    double z0_ = 0.0, zx_ = 0.0, zy_ = 0.0;
};

// The head's weight at a screen offset from the dab's centre.
std::uint8_t HeadWeight(const Brush& brush, const ScreenDab& dab, double dx, double dy)
{
    const double scale = static_cast<double>(kHeadSize - 1) / dab.diameter;
    const long column = std::lround(dx * scale), row = std::lround(dy * scale);
    if (column < -kHeadCentre || column > kHeadCentre || row < -kHeadCentre || row > kHeadCentre)
        return 0;
    return brush.Weight(kHeadCentre - static_cast<int>(row), kHeadCentre + static_cast<int>(column));
}

struct PixelWalk {
    const Brush& brush;
    const ScreenDab& dab;
    std::int32_t material;
    CoverageBuilder& out;
};

void CoverPixel(void* context, int x, int y, int column, int row)
{
    auto& walk = *static_cast<PixelWalk*>(context);
    const double dx = x - static_cast<double>(walk.dab.x), dy = y - static_cast<double>(walk.dab.y);
    const std::uint8_t weight = HeadWeight(walk.brush, walk.dab, dx, dy);
    if (weight == 0)
        return;
    walk.out.Add(walk.material, row, column, weight);
    walk.out.Near(walk.material, row, column, dx * dx + dy * dy);
}

// One face's texels, limited to those under the dab unless `exhaustive`.
void CoverFace(Scene& scene, ViewFrame& frame, const Brush& brush, const ScreenDab& dab, std::int32_t f,
               bool exhaustive, CoverageBuilder& out)
{
    const auto i = static_cast<std::size_t>(f);
    const std::int32_t materialIndex = scene.faceMaterial[i];
    if (materialIndex < 0 || static_cast<std::size_t>(materialIndex) >= scene.materials.size())
        return;
    const Material& material = scene.materials[static_cast<std::size_t>(materialIndex)];
    const int width = material.mapWidth, height = material.mapHeight;
    if (!material.hasLayers || width < 1 || height < 1 || FaceOrientation(scene, f) <= 0)
        return;
    const std::int32_t corner[3] = {scene.faceVertexA[i], scene.faceVertexB[i], scene.faceVertexC[i]};
    Point screen[3];
    double depth[3];
    double left = 1e300, right = -1e300, top = 1e300, bottom = -1e300;
    for (int k = 0; k < 3; ++k) {
        const auto v = static_cast<std::size_t>(corner[k]);
        screen[k] = {static_cast<double>(scene.viewX[v]), static_cast<double>(scene.viewY[v])};
        depth[k] = scene.viewZ[v];
        left = std::min(left, screen[k].x);
        right = std::max(right, screen[k].x);
        top = std::min(top, screen[k].y);
        bottom = std::max(bottom, screen[k].y);
    }
    // The head's outer cells reach half a cell beyond D / 2.
    const double reach = dab.diameter * (kHeadCentre + 0.5) / (kHeadSize - 1);
    const double faceTop = top, faceBottom = bottom;
    left = std::max(left, dab.x - reach);
    right = std::min(right, dab.x + reach);
    top = std::max(top, dab.y - reach);
    bottom = std::min(bottom, dab.y + reach);
    if (left > right || top > bottom)
        return;

    PixelWalk pixels{brush, dab, materialIndex, out};
    const int topRow = exhaustive ? static_cast<int>(faceTop) : static_cast<int>(std::floor(top));
    const int bottomRow = exhaustive ? static_cast<int>(faceBottom) : static_cast<int>(std::ceil(bottom));
    VisitVisibleTexels(scene, frame, f, topRow, bottomRow + 1, CoverPixel, &pixels);

    const FaceTexture texture = RepairedTexture(scene, i);
    Point uv[3];
    for (int k = 0; k < 3; ++k)
        uv[k] = {static_cast<double>(texture.u[k]) * width / 65536.0, static_cast<double>(texture.v[k]) * height / 65536.0};
    const FaceMaps maps(uv, screen, depth);
    if (!maps.Usable())
        return;

    // The texels worth walking: the triangle's, within what the part of the screen under the
    // dab maps to (the map is affine, so the corners' images bound it). A texel's point lies
    // within 0.71 of its centre, so texels up to 1.21 beyond that box can still count.
    double u0 = std::min({uv[0].x, uv[1].x, uv[2].x}), u1 = std::max({uv[0].x, uv[1].x, uv[2].x});
    double v0 = std::min({uv[0].y, uv[1].y, uv[2].y}), v1 = std::max({uv[0].y, uv[1].y, uv[2].y});
    if (!exhaustive) {
        double a0 = 1e300, a1 = -1e300, b0 = 1e300, b1 = -1e300;
        for (const Point p : {Point{left, top}, Point{right, top}, Point{left, bottom}, Point{right, bottom}}) {
            const Point q = maps.ToTexture(p);
            a0 = std::min(a0, q.x);
            a1 = std::max(a1, q.x);
            b0 = std::min(b0, q.y);
            b1 = std::max(b1, q.y);
        }
        u0 = std::max(u0, a0 - 2.0);
        u1 = std::min(u1, a1 + 2.0);
        v0 = std::max(v0, b0 - 2.0);
        v1 = std::min(v1, b1 + 2.0);
    }
    if (!exhaustive && (u0 > u1 || v0 > v1))
        return;
    const int firstColumn = static_cast<int>(std::floor(u0)), lastColumn = static_cast<int>(std::ceil(u1)) - 1;
    const int firstRow = static_cast<int>(std::floor(v0)), lastRow = static_cast<int>(std::ceil(v1)) - 1;
    const double slack = kDepthSlack + maps.DepthPerPixel();
    const TexelTriangle triangle(texture.u, texture.v, width, height);
    for (int row = firstRow; row <= lastRow; ++row)
        for (int column = firstColumn; column <= lastColumn; ++column) {
            // A texel belongs to the face that holds its centre; one between islands, whose
            // centre no face holds, to every face that overlaps it.
            const int r = WrapTexel(row, height), c = WrapTexel(column, width);
            Point q{column + 0.5, row + 0.5};
            if (!triangle.HoldsCentre(column, row)) {
                if (scene.texelOwners.Owned(scene, materialIndex, r, c) || !maps.Overlaps(column, row))
                    continue;
                q = maps.NearestTo(column, row);
            }
            const Point at = maps.ToScreen(q);
            const std::uint8_t weight = HeadWeight(brush, dab, at.x - dab.x, at.y - dab.y);
            if (weight == 0)
                continue;
            const int px = static_cast<int>(std::floor(at.x)), py = static_cast<int>(std::floor(at.y));
            if (px < 0 || py < 0 || px >= frame.width() || py >= frame.height())
                continue;
            if (maps.DepthAt(px, py) < frame.Depth(px, py) - slack)
                continue;
            out.Add(materialIndex, r, c, weight);
            out.Near(materialIndex, r, c, (at.x - dab.x) * (at.x - dab.x) + (at.y - dab.y) * (at.y - dab.y));
        }
}

} // namespace

DabCentre ProjectedCoverage::CentreOf(std::int32_t material) const
{
    for (const Centre& c : centres)
        if (c.material == material)
            return c.texel;
    return {};
}

namespace {

ProjectedCoverage Cover(Scene& scene, ViewFrame& frame, const Brush& brush, const ScreenDab& dab, bool exhaustive)
{
    CoverageBuilder out;
    if (!scene.loaded() || !frame.created())
        return out.Finish();
    std::vector<std::int32_t> faces;
    if (exhaustive) {
        for (std::int32_t f = 0; f < scene.faceCount; ++f)
            faces.push_back(f);
    } else {
        scene.screenIndex.Refresh(scene);
        const double reach = dab.diameter * (kHeadCentre + 0.5) / (kHeadSize - 1);
        faces = scene.screenIndex.CandidatesIn(static_cast<int>(std::floor(dab.x - reach)), static_cast<int>(std::floor(dab.y - reach)),
                                               static_cast<int>(std::ceil(dab.x + reach)), static_cast<int>(std::ceil(dab.y + reach)));
    }
    std::size_t object = 0;
    for (const std::int32_t f : faces) {
        while (object + 1 < scene.objects.size() && f >= scene.objects[object].firstFace + scene.objects[object].faceCount)
            ++object;
        if (!scene.faceDrawn[static_cast<std::size_t>(f)] || (scene.objects[object].flags & kObjectFrozen))
            continue;
        CoverFace(scene, frame, brush, dab, f, exhaustive, out);
    }
    return out.Finish();
}

} // namespace

ProjectedCoverage CoverProjectedDab(Scene& scene, ViewFrame& frame, const Brush& brush, const ScreenDab& dab)
{
    return Cover(scene, frame, brush, dab, false);
}

ProjectedCoverage CoverProjectedDabExhaustively(Scene& scene, ViewFrame& frame, const Brush& brush, const ScreenDab& dab)
{
    return Cover(scene, frame, brush, dab, true);
}

} // namespace gessoria
