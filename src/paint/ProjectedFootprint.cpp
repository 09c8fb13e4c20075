#include "paint/ProjectedFootprint.h"

#include "scene/HelperThread.h"
#include "scene/Scene.h"
#include "scene/TexelCoordinates.h"
#include "scene/TextureSeam.h"
#include "view3d/Renderer.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <unordered_map>
#include <utility>

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

    // A texel a walk found under the dab: its weight, and its screen offset from the dab's
    // centre for the nearest-texel search.
    void Cover(std::int32_t material, int row, int column, std::uint8_t weight, double dx, double dy)
    {
        Add(material, row, column, weight);
        Near(material, row, column, dx * dx + dy * dy);
    }

    // Adds what another builder collected from faces that come after this one's.
    void Merge(const CoverageBuilder& later)
    {
        for (const CoveredTile& tile : later.tiles_)
            for (int row = tile.rect.y0; row <= tile.rect.y1; ++row)
                for (int column = tile.rect.x0; column <= tile.rect.x1; ++column)
                    if (const std::uint8_t mask = tile.At(row, column); mask != 0)
                        Add(tile.material, row, column, mask);
        for (const Nearest& n : later.nearest_)
            Near(n.material, n.texel.row, n.texel.column, n.distance);
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

// Candidate faces from which a second thread pays for its start.
constexpr std::size_t kFacesWorthASecondCore = 512;

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
        const Point e1 = Minus(uv[1], uv[0]), e2 = Minus(uv[2], uv[0]);
        if (uvArea_ != 0.0) {
            b1u_ = e2.y / uvArea_;
            b1v_ = -e2.x / uvArea_;
            b2u_ = -e1.y / uvArea_;
            b2v_ = e1.x / uvArea_;
        }
        z0_ = depth[0];
        const double z1 = depth[1] - depth[0], z2 = depth[2] - depth[0];
        if (screenArea_ != 0.0) {
            zx_ = (z1 * s2.y - z2 * s1.y) / screenArea_;
            zy_ = (z2 * s1.x - z1 * s2.x) / screenArea_;
        }
    }

    bool Usable() const { return std::abs(uvArea_) > 1e-12 && screenArea_ != 0.0; }

    // Texture space to screen through the face's barycentric weights, which are affine in
    // the texture point: their coefficients are worked out once per face.
    Point ToScreen(Point q) const
    {
        const double du = q.x - uv_[0].x, dv = q.y - uv_[0].y;
        const double b1 = du * b1u_ + dv * b1v_, b2 = du * b2u_ + dv * b2v_;
        return {s0_.x + b1 * s1_.x + b2 * s2_.x, s0_.y + b1 * s1_.y + b2 * s2_.y};
    }

    // The columns of the texels in row `row` that may hold their centre in the triangle or
    // overlap it: those meeting the triangle's extent [low, high] across the strip between
    // the row's edges (a centre inside lies in it; so does some point of an overlapping
    // texel), taken a millionth of a texel wider so rounding never drops one. False when the
    // strip misses the triangle.
    bool ColumnsOf(int row, int& first, int& last) const
    {
        const double top = row, bottom = row + 1.0;
        double low = 1e300, high = -1e300;
        for (int k = 0; k < 3; ++k) {
            const Point a = uv_[k], b = uv_[(k + 1) % 3];
            if (a.y >= top && a.y <= bottom) {
                low = std::min(low, a.x);
                high = std::max(high, a.x);
            }
            if (a.y == b.y)
                continue;
            for (const double y : {top, bottom})
                if ((a.y < y) != (b.y < y)) {
                    const double x = a.x + (b.x - a.x) * (y - a.y) / (b.y - a.y);
                    low = std::min(low, x);
                    high = std::max(high, x);
                }
        }
        if (low > high)
            return false;
        first = static_cast<int>(std::floor(low - 1e-6));
        last = static_cast<int>(std::ceil(high + 1e-6)) - 1;
        return true;
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
    double b1u_ = 0.0, b1v_ = 0.0, b2u_ = 0.0, b2v_ = 0.0;
    Point s0_{}, s1_{}, s2_{};
    double z0_ = 0.0, zx_ = 0.0, zy_ = 0.0;
};

// Rounds half away from zero, as std::lround does, without a library call: the walks ask it
// twice for every pixel and texel. Callers keep |x| well inside the range of int.
int RoundHalfAway(double x)
{
    return x >= 0.0 ? static_cast<int>(x + 0.5) : -static_cast<int>(0.5 - x);
}

// The brush head stretched over the dab's screen square: a screen offset from the dab's
// centre reads the cell nearest to it. Made once per dab, asked for every pixel and texel.
class ScreenHead {
public:
    static constexpr int kOutside = kHeadSize;

    ScreenHead(const Brush& brush, const ScreenDab& dab)
        : brush_(brush), x_(dab.x), y_(dab.y), scale_(static_cast<double>(kHeadSize - 1) / dab.diameter)
    {
    }

    double x() const { return x_; }
    double y() const { return y_; }

    // The cell offset (-kHeadCentre..kHeadCentre) for a screen offset, or kOutside.
    int Cell(double offset) const
    {
        const double cell = offset * scale_;
        // Beyond the outer cells' halves: nothing (and far offsets never reach the rounding).
        if (std::abs(cell) >= kHeadCentre + 1.0)
            return kOutside;
        const int rounded = RoundHalfAway(cell);
        return rounded < -kHeadCentre || rounded > kHeadCentre ? kOutside : rounded;
    }

    // The weight of a cell row and column offset from Cell().
    std::uint8_t WeightOfCells(int row, int column) const
    {
        if (row == kOutside || column == kOutside)
            return 0;
        return brush_.Weight(kHeadCentre - row, kHeadCentre + column);
    }

    std::uint8_t Weight(double dx, double dy) const
    {
        const int row = Cell(dy);
        return row == kOutside ? 0 : WeightOfCells(row, Cell(dx));
    }

private:
    const Brush& brush_;
    double x_, y_, scale_;
};

struct PixelWalk {
    const ScreenHead& head;
    std::int32_t material;
    CoverageBuilder& out;
    // The head row of the last pixel's screen row: the rasteriser visits a row at a time.
    int lastY = -1;
    int rowCell = ScreenHead::kOutside;
};

void CoverPixel(void* context, int x, int y, int column, int row)
{
    auto& walk = *static_cast<PixelWalk*>(context);
    const double dx = x - walk.head.x(), dy = y - walk.head.y();
    if (y != walk.lastY) {
        walk.lastY = y;
        walk.rowCell = walk.head.Cell(dy);
    }
    if (walk.rowCell == ScreenHead::kOutside)
        return;
    const std::uint8_t weight = walk.head.WeightOfCells(walk.rowCell, walk.head.Cell(dx));
    if (weight == 0)
        return;
    walk.out.Cover(walk.material, row, column, weight, dx, dy);
}

// The pixel walk of a face walked whole: every visible pixel is noted, weighed or not.
void NotePixel(void* context, int x, int y, int column, int row)
{
    static_cast<FaceWalkRecord*>(context)->Add({static_cast<double>(x), static_cast<double>(y), row, column});
}

// What the walks found on a face, weighed by the head where this dab lies; what CoverPixel and
// the texel walk add, in the order they add it.
void Weigh(std::span<const FoundPoint> points, const ScreenHead& head, std::int32_t material, CoverageBuilder& out)
{
    for (const FoundPoint& p : points) {
        const double dx = p.x - head.x(), dy = p.y - head.y();
        const std::uint8_t weight = head.Weight(dx, dy);
        if (weight == 0)
            continue;
        out.Cover(material, p.row, p.column, weight, dx, dy);
    }
}

// How a face is walked: for this dab alone, or whole and noted for the stroke's next dabs.
struct FaceWalk {
    bool exhaustive = false;
    const FaceWalkMemory* memory = nullptr;  // what earlier dabs found, if kept
    FaceWalkRecord* record = nullptr;        // where faces walked whole are noted, if kept
};

// A face's corners on the screen, with their depths, and the screen box the walks keep to.
struct FaceOnScreen {
    Point corners[3];
    double depth[3];
    double faceTop, faceBottom;
    double left, right, top, bottom;
};

// The two walks over a face; each found point is weighed and added or, with a record, noted
// there unweighed.
void WalkFace(Scene& scene, ViewFrame& frame, const ScreenHead& head, const ScreenDab& dab, std::int32_t f,
              const FaceOnScreen& on, bool exhaustive, FaceWalkRecord* record, CoverageBuilder& out)
{
    if (FaceOrientation(scene, f) <= 0)
        return;
    const auto i = static_cast<std::size_t>(f);
    const std::int32_t materialIndex = scene.faceMaterial[i];
    const Material& material = scene.materials[static_cast<std::size_t>(materialIndex)];
    const int width = material.mapWidth, height = material.mapHeight;
    const Point(&screen)[3] = on.corners;
    const double left = on.left, right = on.right, top = on.top, bottom = on.bottom;

    PixelWalk pixels{head, materialIndex, out};
    const int topRow = exhaustive ? static_cast<int>(on.faceTop) : static_cast<int>(std::floor(top));
    const int bottomRow = exhaustive ? static_cast<int>(on.faceBottom) : static_cast<int>(std::ceil(bottom));
    if (record != nullptr)
        VisitVisibleTexels(scene, frame, f, topRow, bottomRow + 1, NotePixel, record);
    else
        VisitVisibleTexels(scene, frame, f, topRow, bottomRow + 1, CoverPixel, &pixels);

    const FaceTexture texture = RepairedTexture(scene, i);
    Point uv[3];
    for (int k = 0; k < 3; ++k)
        uv[k] = {static_cast<double>(texture.u[k]) * width / 65536.0, static_cast<double>(texture.v[k]) * height / 65536.0};
    const FaceMaps maps(uv, screen, on.depth);
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
    const std::uint8_t* owned = scene.texelOwners.OwnedMap(scene, materialIndex);
    // Working out the triangle's own columns of each row pays once a face spans several
    // texels; narrower, the few columns beside it are passed over texel by texel (mostly held
    // by a neighbour).
    const bool bySpans = !exhaustive && lastColumn - firstColumn >= 8;
    for (int row = firstRow; row <= lastRow; ++row) {
        int rowFirst = firstColumn, rowLast = lastColumn;
        if (bySpans) {
            int from = 0, to = 0;
            if (!maps.ColumnsOf(row, from, to))
                continue;
            rowFirst = std::max(rowFirst, from);
            rowLast = std::min(rowLast, to);
        }
        // Along the row the edge functions step by constants and the wrapped column by one;
        // the walk with no limits decides each texel from scratch, as a check on the stepping.
        const int r = WrapTexel(row, height);
        const std::uint8_t* ownedRow = owned + static_cast<std::size_t>(r) * static_cast<std::size_t>(width);
        TexelTriangle::Sides sides = triangle.SidesAt(rowFirst, row);
        int c = WrapTexel(rowFirst, width);
        for (int column = rowFirst; column <= rowLast; ++column, triangle.NextColumn(sides), c = c + 1 == width ? 0 : c + 1) {
            // A texel belongs to the face that holds its centre; one between islands, whose
            // centre no face holds, to every face that overlaps it.
            const bool held = exhaustive ? triangle.HoldsCentre(column, row) : TexelTriangle::Holds(sides);
            if (!held && (ownedRow[c] != 0 || !maps.Overlaps(column, row)))
                continue;
            const Point at = maps.ToScreen(held ? Point{column + 0.5, row + 0.5} : maps.NearestTo(column, row));
            // Noted texels are weighed later, by each dab that reaches them.
            std::uint8_t weight = 0;
            if (record == nullptr) {
                weight = head.Weight(at.x - dab.x, at.y - dab.y);
                if (weight == 0)
                    continue;
            }
            // On the view the position is not negative, so truncation is its floor.
            if (!(at.x >= 0.0 && at.y >= 0.0 && at.x < frame.width() && at.y < frame.height()))
                continue;
            const int px = static_cast<int>(at.x), py = static_cast<int>(at.y);
            if (maps.DepthAt(px, py) < frame.Depth(px, py) - slack)
                continue;
            if (record != nullptr) {
                record->Add({at.x, at.y, r, c});
                continue;
            }
            out.Cover(materialIndex, r, c, weight, at.x - dab.x, at.y - dab.y);
        }
    }
}

// One face's texels, limited to those under the dab unless `exhaustive`. A face that lies
// wholly under the dab is walked whole (the limits leave it as it is); with a record to keep
// it in, what the walks find is noted and then weighed, in the order the walks found it.
void CoverFace(Scene& scene, ViewFrame& frame, const ScreenHead& head, const ScreenDab& dab, std::int32_t f,
               const FaceWalk& how, CoverageBuilder& out)
{
    const auto i = static_cast<std::size_t>(f);
    const std::int32_t materialIndex = scene.faceMaterial[i];
    if (materialIndex < 0 || static_cast<std::size_t>(materialIndex) >= scene.materials.size())
        return;
    const Material& material = scene.materials[static_cast<std::size_t>(materialIndex)];
    if (!material.hasLayers || material.mapWidth < 1 || material.mapHeight < 1)
        return;
    if (how.memory != nullptr)
        if (const std::optional<std::span<const FoundPoint>> found = how.memory->Find(f)) {
            Weigh(*found, head, materialIndex, out);
            return;
        }
    const std::int32_t corner[3] = {scene.faceVertexA[i], scene.faceVertexB[i], scene.faceVertexC[i]};
    FaceOnScreen on;
    double left = 1e300, right = -1e300, top = 1e300, bottom = -1e300;
    for (int k = 0; k < 3; ++k) {
        const auto v = static_cast<std::size_t>(corner[k]);
        on.corners[k] = {static_cast<double>(scene.viewX[v]), static_cast<double>(scene.viewY[v])};
        on.depth[k] = scene.viewZ[v];
        left = std::min(left, on.corners[k].x);
        right = std::max(right, on.corners[k].x);
        top = std::min(top, on.corners[k].y);
        bottom = std::max(bottom, on.corners[k].y);
    }
    // The head's outer cells reach half a cell beyond D / 2.
    const double reach = dab.diameter * (kHeadCentre + 0.5) / (kHeadSize - 1);
    on.faceTop = top;
    on.faceBottom = bottom;
    const bool whole = left >= dab.x - reach && right <= dab.x + reach && top >= dab.y - reach && bottom <= dab.y + reach;
    on.left = std::max(left, dab.x - reach);
    on.right = std::min(right, dab.x + reach);
    on.top = std::max(top, dab.y - reach);
    on.bottom = std::min(bottom, dab.y + reach);
    // Faces beside the dab are many and cheap to pass over: the box goes before the
    // orientation.
    if (on.left > on.right || on.top > on.bottom)
        return;
    if (whole && !how.exhaustive && how.record != nullptr && how.record->points() < FaceWalkMemory::kMostPoints / 2) {
        how.record->Begin(f);
        WalkFace(scene, frame, head, dab, f, on, false, how.record, out);
        Weigh(how.record->Last(), head, materialIndex, out);
    } else {
        WalkFace(scene, frame, head, dab, f, on, how.exhaustive, nullptr, out);
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

// Covers the faces [begin, end) of an ascending list into `out`, skipping faces the frame did
// not draw and faces of frozen objects.
void CoverFaces(Scene& scene, ViewFrame& frame, const ScreenHead& head, const ScreenDab& dab, const std::int32_t* begin,
                const std::int32_t* end, const FaceWalk& how, CoverageBuilder& out)
{
    if (begin == end)
        return;
    // The object holding the first face; the rest follow in order.
    auto object = static_cast<std::size_t>(
        std::upper_bound(scene.objects.begin(), scene.objects.end(), *begin,
                         [](std::int32_t f, const SceneObject& o) { return f < o.firstFace + o.faceCount; }) -
        scene.objects.begin());
    object = std::min(object, scene.objects.size() - 1);
    for (const std::int32_t* at = begin; at != end; ++at) {
        const std::int32_t f = *at;
        while (object + 1 < scene.objects.size() && f >= scene.objects[object].firstFace + scene.objects[object].faceCount)
            ++object;
        if (!scene.faceDrawn[static_cast<std::size_t>(f)] || (scene.objects[object].flags & kObjectFrozen))
            continue;
        CoverFace(scene, frame, head, dab, f, how, out);
    }
}

ProjectedCoverage Cover(Scene& scene, ViewFrame& frame, const Brush& brush, const ScreenDab& dab, bool exhaustive,
                        FaceWalkMemory* memory)
{
    CoverageBuilder out;
    if (!scene.loaded() || !frame.created() || scene.objects.empty())
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
    const ScreenHead head(brush, dab);
    if (memory != nullptr)
        memory->Prepare(scene, frame);
    FaceWalkRecord records[2];
    const FaceWalk earlierHalf{exhaustive, memory, memory != nullptr ? &records[0] : nullptr};
    const FaceWalk laterHalf{exhaustive, memory, memory != nullptr ? &records[1] : nullptr};
    const std::int32_t* first = faces.data();
    const std::int32_t* last = faces.data() + faces.size();
    // Many faces under the dab: the second core covers the later half. Each half collects its
    // own texels; merged with the earlier half first, they give what one walk in face order
    // gives (largest weights, and the first of equally near centres).
    if (!exhaustive && faces.size() >= kFacesWorthASecondCore) {
        // Built here, once per material, so the two walks only read the ownership maps.
        std::int32_t lastMaterial = -1;
        for (const std::int32_t f : faces)
            if (const std::int32_t m = scene.faceMaterial[static_cast<std::size_t>(f)]; m != lastMaterial) {
                scene.texelOwners.OwnedMap(scene, m);
                lastMaterial = m;
            }
        const std::int32_t* middle = first + faces.size() / 2;
        CoverageBuilder later;
        Helper helper = StartHelper([&] { CoverFaces(scene, frame, head, dab, middle, last, laterHalf, later); });
        CoverFaces(scene, frame, head, dab, first, middle, earlierHalf, out);
        helper.Finish();
        out.Merge(later);
    } else {
        CoverFaces(scene, frame, head, dab, first, last, earlierHalf, out);
    }
    if (memory != nullptr) {
        memory->Keep(std::move(records[0]));
        memory->Keep(std::move(records[1]));
    }
    return out.Finish();
}

} // namespace

ProjectedCoverage CoverProjectedDab(Scene& scene, ViewFrame& frame, const Brush& brush, const ScreenDab& dab,
                                    FaceWalkMemory* memory)
{
    return Cover(scene, frame, brush, dab, false, memory);
}

ProjectedCoverage CoverProjectedDabExhaustively(Scene& scene, ViewFrame& frame, const Brush& brush, const ScreenDab& dab)
{
    return Cover(scene, frame, brush, dab, true, nullptr);
}

} // namespace gessoria
