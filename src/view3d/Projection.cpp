#include "view3d/Projection.h"

#include "scene/HelperThread.h"
#include "scene/Scene.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

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

// Values beyond the 32-bit range (a far zoom) are held at its edge instead of overflowing.
constexpr long double kLimit = 2147483520.0L;

std::int32_t ToPixel(long double value)
{
    return static_cast<std::int32_t>(std::clamp(value, -kLimit, kLimit));
}

// One vertex exactly as the transform is defined, in extended precision.
void ProjectExactly(const Scene& scene, const Turn& turn, std::size_t i, std::int32_t& x, std::int32_t& y, std::int32_t& z)
{
    const Camera& camera = scene.camera;
    const long double cx = scene.viewWidth / 2, cy = scene.viewHeight / 2;
    const Turned p = Rotate(turn, scene.positionX[i], scene.positionY[i], scene.positionZ[i]);
    x = ToPixel((p.x3 + camera.panX) * camera.scale + cx);
    y = ToPixel((p.y3 + camera.panY) * camera.scale + cy);
    z = ToPixel(static_cast<long double>(camera.depthScale) * static_cast<float>(p.z2));
}

// The same in double precision, which the processor does many times faster than extended
// precision, when that provably gives the same integers; false when the vertex must go through
// ProjectExactly.
//
// Every product of a float by a float is exact in double, and each of the few roundings on the
// way to sx (or sy, z2) errs by at most 2^-53 of a value no larger than
// |scale| x (2 (|x| + |y| + |z|) + |pan|) + |sx| + |centre|; the extended-precision values err far
// less. Some twenty such errors are below `slack`, 2^-40 of that size. Truncation toward zero
// is monotonic, so when sx - slack and sx + slack truncate alike, so does the exact value; the
// depth's float is the same when z2 - slack and z2 + slack round to the same float, and the depth
// is then a product of two floats, exact in double.
inline bool ProjectQuickly(const Camera& camera, const Turn& t, double cx, double cy, float px, float py, float pz,
                           std::int32_t& x, std::int32_t& y, std::int32_t& z)
{
    const double fx = px, fy = py, fz = pz;
    const double y1 = static_cast<double>(t.c1) * fy - static_cast<double>(t.s1) * fz;
    const double z1 = static_cast<double>(t.s1) * fy + static_cast<double>(t.c1) * fz;
    const double x2 = static_cast<double>(t.c2) * fx - static_cast<double>(t.s2) * z1;
    const double z2 = static_cast<double>(t.s2) * fx + static_cast<double>(t.c2) * z1;
    const double x3 = static_cast<double>(t.c3) * x2 - static_cast<double>(t.s3) * y1;
    const double y3 = static_cast<double>(t.s3) * x2 + static_cast<double>(t.c3) * y1;
    const double scale = camera.scale;
    const double sx = (x3 + static_cast<double>(camera.panX)) * scale + cx;
    const double sy = (y3 + static_cast<double>(camera.panY)) * scale + cy;
    constexpr double kSlack = 0x1p-40;
    constexpr double kFar = 0x1p30;  // well inside the 32-bit range, so nothing is clamped
    const double size = std::abs(fx) + std::abs(fy) + std::abs(fz);
    const double slackX = kSlack * (std::abs(scale) * (2 * size + std::abs(static_cast<double>(camera.panX))) + std::abs(sx) + std::abs(cx) + 1);
    const double slackY = kSlack * (std::abs(scale) * (2 * size + std::abs(static_cast<double>(camera.panY))) + std::abs(sy) + std::abs(cy) + 1);
    const double slackZ = kSlack * (2 * size + 1);
    if (!(std::abs(sx) < kFar && std::abs(sy) < kFar))
        return false;
    const auto x0 = static_cast<std::int32_t>(sx - slackX), y0 = static_cast<std::int32_t>(sy - slackY);
    if (x0 != static_cast<std::int32_t>(sx + slackX) || y0 != static_cast<std::int32_t>(sy + slackY))
        return false;
    const auto depth = static_cast<float>(z2);
    if (static_cast<float>(z2 - slackZ) != depth || static_cast<float>(z2 + slackZ) != depth)
        return false;
    const double d = static_cast<double>(camera.depthScale) * static_cast<double>(depth);
    if (!(std::abs(d) < kFar))
        return false;
    x = x0;
    y = y0;
    z = static_cast<std::int32_t>(d);
    return true;
}

#ifdef __SSE2__
// ProjectQuickly for two vertices at once, one in each half of SSE2's double-precision
// registers: every operation is the same IEEE operation, in the same order, on each half, so
// each vertex comes out exactly as ProjectQuickly gives it. The camera's values are spread
// over both halves once, for a whole range of vertices.
class PairProjector {
public:
    PairProjector(const Camera& camera, const Turn& t, double cx, double cy)
        : c1_(All(t.c1)), s1_(All(t.s1)), c2_(All(t.c2)), s2_(All(t.s2)), c3_(All(t.c3)), s3_(All(t.s3)),
          panX_(All(camera.panX)), panY_(All(camera.panY)), scale_(All(camera.scale)), cx_(All(cx)), cy_(All(cy)),
          absScale_(All(std::abs(static_cast<double>(camera.scale)))), absPanX_(All(std::abs(static_cast<double>(camera.panX)))),
          absPanY_(All(std::abs(static_cast<double>(camera.panY)))), absCx_(All(std::abs(cx))), absCy_(All(std::abs(cy))),
          depthScale_(All(camera.depthScale))
    {
    }

    // Vertices i and i + 1 into x, y, z; false (and nothing written) when either fails one of
    // ProjectQuickly's tests, and the caller takes them one at a time.
    bool operator()(const float* px, const float* py, const float* pz, std::int32_t* x, std::int32_t* y, std::int32_t* z) const
    {
        const __m128d fx = Pair(px), fy = Pair(py), fz = Pair(pz);
        const __m128d y1 = _mm_sub_pd(_mm_mul_pd(c1_, fy), _mm_mul_pd(s1_, fz));
        const __m128d z1 = _mm_add_pd(_mm_mul_pd(s1_, fy), _mm_mul_pd(c1_, fz));
        const __m128d x2 = _mm_sub_pd(_mm_mul_pd(c2_, fx), _mm_mul_pd(s2_, z1));
        const __m128d z2 = _mm_add_pd(_mm_mul_pd(s2_, fx), _mm_mul_pd(c2_, z1));
        const __m128d x3 = _mm_sub_pd(_mm_mul_pd(c3_, x2), _mm_mul_pd(s3_, y1));
        const __m128d y3 = _mm_add_pd(_mm_mul_pd(s3_, x2), _mm_mul_pd(c3_, y1));
        const __m128d sx = _mm_add_pd(_mm_mul_pd(_mm_add_pd(x3, panX_), scale_), cx_);
        const __m128d sy = _mm_add_pd(_mm_mul_pd(_mm_add_pd(y3, panY_), scale_), cy_);
        const __m128d twiceSize = _mm_mul_pd(All(2.0), _mm_add_pd(_mm_add_pd(Abs(fx), Abs(fy)), Abs(fz)));
        const __m128d slackX = Slack(twiceSize, absPanX_, sx, absCx_), slackY = Slack(twiceSize, absPanY_, sy, absCy_);
        const __m128d slackZ = _mm_mul_pd(All(0x1p-40), _mm_add_pd(twiceSize, All(1.0)));
        const __m128d far = All(0x1p30);
        int passed = _mm_movemask_pd(_mm_and_pd(_mm_cmplt_pd(Abs(sx), far), _mm_cmplt_pd(Abs(sy), far)));
        const __m128i x0 = _mm_cvttpd_epi32(_mm_sub_pd(sx, slackX)), y0 = _mm_cvttpd_epi32(_mm_sub_pd(sy, slackY));
        const __m128i same = _mm_and_si128(_mm_cmpeq_epi32(x0, _mm_cvttpd_epi32(_mm_add_pd(sx, slackX))),
                                           _mm_cmpeq_epi32(y0, _mm_cvttpd_epi32(_mm_add_pd(sy, slackY))));
        passed &= _mm_movemask_ps(_mm_castsi128_ps(same));
        const __m128 depth = _mm_cvtpd_ps(z2);
        const __m128 sameDepth = _mm_and_ps(_mm_cmpeq_ps(_mm_cvtpd_ps(_mm_sub_pd(z2, slackZ)), depth),
                                            _mm_cmpeq_ps(_mm_cvtpd_ps(_mm_add_pd(z2, slackZ)), depth));
        passed &= _mm_movemask_ps(sameDepth);
        const __m128d d = _mm_mul_pd(depthScale_, _mm_cvtps_pd(depth));
        passed &= _mm_movemask_pd(_mm_cmplt_pd(Abs(d), far));
        if ((passed & 3) != 3)
            return false;
        _mm_storel_epi64(reinterpret_cast<__m128i*>(x), x0);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(y), y0);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(z), _mm_cvttpd_epi32(d));
        return true;
    }

private:
    static __m128d All(double v) { return _mm_set1_pd(v); }
    static __m128d Abs(__m128d v) { return _mm_andnot_pd(_mm_set1_pd(-0.0), v); }
    static __m128d Pair(const float* p)  // two adjacent floats, widened
    {
        double both;
        std::memcpy(&both, p, sizeof both);
        return _mm_cvtps_pd(_mm_castpd_ps(_mm_load_sd(&both)));
    }
    // 2^-40 (|scale| (2 size + |pan|) + |screen| + |centre| + 1), summed in ProjectQuickly's order.
    __m128d Slack(__m128d twiceSize, __m128d absPan, __m128d screen, __m128d absCentre) const
    {
        const __m128d sum = _mm_add_pd(_mm_mul_pd(absScale_, _mm_add_pd(twiceSize, absPan)), Abs(screen));
        return _mm_mul_pd(All(0x1p-40), _mm_add_pd(_mm_add_pd(sum, absCentre), All(1.0)));
    }

    __m128d c1_, s1_, c2_, s2_, c3_, s3_, panX_, panY_, scale_, cx_, cy_, absScale_, absPanX_, absPanY_, absCx_, absCy_, depthScale_;
};
#endif

ScreenRect ProjectRange(Scene& scene, std::int32_t first, std::int32_t last)
{
    const Camera& camera = scene.camera;
    const Turn turn = TurnOf(camera, TransformRadians);
    const double cx = scene.viewWidth / 2, cy = scene.viewHeight / 2;
    const float* px = scene.positionX.data();
    const float* py = scene.positionY.data();
    const float* pz = scene.positionZ.data();
    std::int32_t* outX = scene.viewX.data();
    std::int32_t* outY = scene.viewY.data();
    std::int32_t* outZ = scene.viewZ.data();
    ScreenRect rect;
    auto projectOne = [&](std::size_t i) {
        if (!ProjectQuickly(camera, turn, cx, cy, px[i], py[i], pz[i], outX[i], outY[i], outZ[i]))
            ProjectExactly(scene, turn, i, outX[i], outY[i], outZ[i]);
    };
    std::int32_t v = first;
#ifdef __SSE2__
    const PairProjector projectPair(camera, turn, cx, cy);
    for (; v + 1 < last; v += 2) {
        const auto i = static_cast<std::size_t>(v);
        if (!projectPair(px + i, py + i, pz + i, outX + i, outY + i, outZ + i)) {
            projectOne(i);
            projectOne(i + 1);
        }
        rect.Include(outX[i], outY[i]);
        rect.Include(outX[i + 1], outY[i + 1]);
    }
#endif
    for (; v < last; ++v) {
        const auto i = static_cast<std::size_t>(v);
        projectOne(i);
        rect.Include(outX[i], outY[i]);
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
    Helper helper = StartHelper([&] { upper = ProjectRange(scene, half, scene.vertexCount); });
    const ScreenRect lower = ProjectRange(scene, 0, half);
    helper.Finish();
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
