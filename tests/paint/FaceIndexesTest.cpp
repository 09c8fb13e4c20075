// The indexes the pick and the redraw use, against scanning every face of a real scene.

#include "io/SceneFileOpener.h"
#include "paint/PickFace.h"
#include "scene/Scene.h"
#include "support/RecordingInteraction.h"
#include "view3d/Projection.h"
#include "view3d/Renderer.h"
#include "scene/TextureSeam.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>

namespace gessoria::test {
namespace {

constexpr int kWidth = 200, kHeight = 150;

Scene RenderedSample(ViewFrame& frame)
{
    Scene s;
    ResetScene(s);
    s.viewWidth = kWidth;
    s.viewHeight = kHeight;
    s.mapPaths.Append(GESSORIA_SAMPLE_DIR);
    RecordingInteraction ui;
    EXPECT_TRUE(OpenSceneFile(s, std::string(GESSORIA_SAMPLE_DIR) + "/monkey.3ds", ui));
    s.camera.angleY += 60;  // a three-quarter view: faces overlap and some face away
    EXPECT_TRUE(frame.Create(kWidth, kHeight));
    Renderer().RenderScene(s, frame, {3, false, false}, {});
    return s;
}

// The pick with no index: every drawn face of every unfrozen object, the nearest wins and a
// later face wins a tie. `projected` holds every vertex projected in single precision.
std::int32_t ScanPick(const Scene& s, const std::vector<ProjectedPoint>& projected, int x, int y)
{
    std::int32_t result = -1;
    float best = -32000.0f;
    const float px = static_cast<float>(x), py = static_cast<float>(y);
    for (const SceneObject& object : s.objects) {
        if (object.flags & kObjectFrozen)
            continue;
        for (std::int32_t f = object.firstFace; f < object.firstFace + object.faceCount; ++f) {
            const auto i = static_cast<std::size_t>(f);
            if (!s.faceDrawn[i])
                continue;
            const ProjectedPoint p[3] = {projected[static_cast<std::size_t>(s.faceVertexA[i])],
                                         projected[static_cast<std::size_t>(s.faceVertexB[i])],
                                         projected[static_cast<std::size_t>(s.faceVertexC[i])]};
            if (!((p[0].y - p[1].y) * (px - p[1].x) <= (py - p[1].y) * (p[0].x - p[1].x) &&
                  (p[1].y - p[2].y) * (px - p[2].x) <= (p[1].x - p[2].x) * (py - p[2].y) &&
                  (p[2].y - p[0].y) * (px - p[0].x) <= (p[2].x - p[0].x) * (py - p[0].y)))
                continue;
            const float dx1 = p[1].x - p[0].x, dy1 = p[1].y - p[0].y, dz1 = p[1].z - p[0].z;
            const float dx2 = p[2].x - p[0].x, dy2 = p[2].y - p[0].y, dz2 = p[2].z - p[0].z;
            const float nx = dy1 * dz2 - dz1 * dy2, ny = dz1 * dx2 - dx1 * dz2, nz = dx1 * dy2 - dy1 * dx2;
            const float z = p[0].z - (nx * (px - p[0].x) + ny * (py - p[0].y)) / nz;
            if (std::isfinite(z) && z >= best) {
                best = z;
                result = f;
            }
        }
    }
    return result;
}

TEST(FaceIndexes, PicksMatchAScanOfEveryFace)
{
    ViewFrame frame;
    Scene s = RenderedSample(frame);
    s.objects[0].flags = 0;
    std::vector<ProjectedPoint> projected;
    for (std::int32_t v = 0; v < s.vertexCount; ++v)
        projected.push_back(ProjectVertexFloat(s, v));
    int hits = 0;
    for (int y = 0; y < kHeight; y += 3)
        for (int x = 0; x < kWidth; x += 3) {
            const std::int32_t expected = ScanPick(s, projected, x, y);
            ASSERT_EQ(PickFace(s, x, y).face, expected) << x << "," << y;
            hits += expected >= 0;
        }
    EXPECT_GT(hits, 300);
}

TEST(FaceIndexes, EveryPixelOfADrawnFacesScreenBoxListsTheFace)
{
    // The full scan's first test keeps a face for every pixel within its corners' box.
    ViewFrame frame;
    Scene s = RenderedSample(frame);
    s.screenIndex.Refresh(s);
    int listed = 0;
    for (std::int32_t f = 0; f < s.faceCount; ++f) {
        const auto i = static_cast<std::size_t>(f);
        if (!s.faceDrawn[i])
            continue;
        const std::size_t v[3] = {static_cast<std::size_t>(s.faceVertexA[i]), static_cast<std::size_t>(s.faceVertexB[i]),
                                  static_cast<std::size_t>(s.faceVertexC[i])};
        const int x0 = std::max({0, std::min({s.viewX[v[0]], s.viewX[v[1]], s.viewX[v[2]]})});
        const int x1 = std::min({kWidth - 1, std::max({s.viewX[v[0]], s.viewX[v[1]], s.viewX[v[2]]})});
        const int y0 = std::max({0, std::min({s.viewY[v[0]], s.viewY[v[1]], s.viewY[v[2]]})});
        const int y1 = std::min({kHeight - 1, std::max({s.viewY[v[0]], s.viewY[v[1]], s.viewY[v[2]]})});
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                const std::vector<std::int32_t>* cell = s.screenIndex.Candidates(x, y);
                ASSERT_NE(cell, nullptr);
                ASSERT_TRUE(std::binary_search(cell->begin(), cell->end(), f)) << "face " << f << " at " << x << "," << y;
                ++listed;
            }
    }
    EXPECT_GT(listed, 1000);
}

TEST(FaceIndexes, EveryFaceThatCanMeetATextureRectangleIsACandidate)
{
    ViewFrame frame;
    Scene s = RenderedSample(frame);
    s.textureIndex.Refresh(s);
    const FractionRect rects[] = {{0, 2048, 0, 2048},         {30000, 34000, 20000, 26000}, {60000, 65536, 100, 65536},
                                  {0, 65536, 32768, 33000},   {65000, 65536, 0, 600},       {12345, 12346, 54321, 54322}};
    // A coordinate range, taken modulo one map, meets [low, high).
    auto meets = [](const std::int64_t (&w)[3], std::int64_t low, std::int64_t high) {
        const std::int64_t first = std::min({w[0], w[1], w[2]}), last = std::max({w[0], w[1], w[2]});
        if (last - first >= 65536)
            return true;
        for (std::int64_t shift = (first >> 16) - 1; shift <= (last >> 16) + 1; ++shift)
            if (last >= low + shift * 65536 && first < high + shift * 65536)
                return true;
        return false;
    };
    int needed = 0;
    for (const FractionRect& rect : rects) {
        // By material; the rectangle given alone and among others.
        for (std::int32_t m = 0; m <= s.materialCount; ++m) {
            const std::vector<std::int32_t> candidates = s.textureIndex.Candidates(m, rect);
            ASSERT_TRUE(std::is_sorted(candidates.begin(), candidates.end()));
            const std::vector<std::int32_t> together = s.textureIndex.Candidates(m, std::vector<FractionRect>{rects[0], rect});
            for (std::int32_t f = 0; f < s.faceCount; ++f) {
                const auto i = static_cast<std::size_t>(f);
                const auto [u, v] = RepairedTexture(s, i);
                if (s.faceMaterial[i] != m || !meets(u, rect.left, rect.right) || !meets(v, rect.top, rect.bottom))
                    continue;
                ++needed;
                ASSERT_TRUE(std::binary_search(candidates.begin(), candidates.end(), f)) << "face " << f;
                ASSERT_TRUE(std::binary_search(together.begin(), together.end(), f)) << "face " << f;
            }
        }
    }
    EXPECT_GT(needed, 100);
}

TEST(FaceIndexes, ScreenCandidatesAreEveryCellsFacesOnceAscending)
{
    ViewFrame frame;
    Scene s = RenderedSample(frame);
    s.screenIndex.Refresh(s);
    // Inside the view, across its edges, one pixel, and a box covering it all.
    const int boxes[][4] = {{10, 10, 60, 40}, {-20, -5, 30, 200}, {100, 70, 100, 70}, {0, 0, kWidth - 1, kHeight - 1}, {150, 20, 400, 149}};
    std::size_t total = 0;
    for (const auto& b : boxes) {
        std::set<std::int32_t> expected;
        for (int y = std::max(b[1], 0); y <= std::min(b[3], kHeight - 1); ++y)
            for (int x = std::max(b[0], 0); x <= std::min(b[2], kWidth - 1); ++x)
                if (const std::vector<std::int32_t>* cell = s.screenIndex.Candidates(x, y))
                    expected.insert(cell->begin(), cell->end());
        const std::vector<std::int32_t> candidates = s.screenIndex.CandidatesIn(b[0], b[1], b[2], b[3]);
        EXPECT_EQ(candidates, std::vector<std::int32_t>(expected.begin(), expected.end())) << b[0] << "," << b[1];
        total += candidates.size();
    }
    EXPECT_GT(total, 500u);
}

TEST(FaceIndexes, TheOwnershipMapHoldsExactlyTheTexelsWhoseCentreAFaceHolds)
{
    ViewFrame frame;
    Scene s = RenderedSample(frame);
    int owned = 0;
    for (std::int32_t m = 0; m <= s.materialCount; ++m) {
        const Material& material = s.materials[static_cast<std::size_t>(m)];
        const int width = material.mapWidth, height = material.mapHeight;
        const std::uint8_t* map = s.texelOwners.OwnedMap(s, m);
        if (map == nullptr)
            continue;
        // Every texel of every face's texture box, one repetition beyond, decided alone.
        std::vector<std::uint8_t> expected(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
        for (std::int32_t f = 0; f < s.faceCount; ++f) {
            const auto i = static_cast<std::size_t>(f);
            if (s.faceMaterial[i] != m)
                continue;
            const FaceTexture t = RepairedTexture(s, i);
            const TexelTriangle triangle(t.u, t.v, width, height);
            const auto c0 = static_cast<int>(std::floor(static_cast<double>(std::min({t.u[0], t.u[1], t.u[2]})) * width / 65536.0)) - 1;
            const auto c1 = static_cast<int>(std::ceil(static_cast<double>(std::max({t.u[0], t.u[1], t.u[2]})) * width / 65536.0)) + 1;
            const auto r0 = static_cast<int>(std::floor(static_cast<double>(std::min({t.v[0], t.v[1], t.v[2]})) * height / 65536.0)) - 1;
            const auto r1 = static_cast<int>(std::ceil(static_cast<double>(std::max({t.v[0], t.v[1], t.v[2]})) * height / 65536.0)) + 1;
            for (int r = r0; r <= r1; ++r)
                for (int c = c0; c <= c1; ++c)
                    if (triangle.HoldsCentre(c, r))
                        expected[static_cast<std::size_t>(((r % height + height) % height) * width + (c % width + width) % width)] = 1;
        }
        for (std::size_t k = 0; k < expected.size(); ++k) {
            ASSERT_EQ(map[k] != 0, expected[k] != 0) << "material " << m << " texel " << k % width << "," << k / width;
            owned += expected[k];
        }
    }
    EXPECT_GT(owned, 1000);
}

TEST(FaceIndexes, StepsAlongARowGiveTheEdgeFunctionsOfEachCentre)
{
    // Random triangles, thin and degenerate ones, and corners on texel centres (edges through
    // centres), across map repetitions: stepping a row agrees with working each centre out.
    std::mt19937 random(18);
    std::uniform_int_distribution<std::int64_t> coordinate(-70000, 140000);
    int held = 0, checked = 0;
    for (int n = 0; n < 400; ++n) {
        std::int64_t u[3], v[3];
        for (int k = 0; k < 3; ++k) {
            u[k] = coordinate(random);
            v[k] = coordinate(random);
        }
        if (n % 4 == 1) {  // on texel centres of a 64 x 64 map
            for (int k = 0; k < 3; ++k) {
                u[k] = u[k] / 1024 * 1024 + 512;
                v[k] = v[k] / 1024 * 1024 + 512;
            }
        } else if (n % 4 == 2) {  // collinear
            u[2] = 2 * u[1] - u[0];
            v[2] = 2 * v[1] - v[0];
        } else if (n % 4 == 3) {  // small: a few texels
            for (int k = 1; k < 3; ++k) {
                u[k] = u[0] + (u[k] % 4096);
                v[k] = v[0] + (v[k] % 4096);
            }
        }
        const TexelTriangle triangle(u, v, 64, 64);
        const int c0 = static_cast<int>(std::min({u[0], u[1], u[2]}) * 64 / 65536) - 2;
        const int c1 = static_cast<int>(std::max({u[0], u[1], u[2]}) * 64 / 65536) + 2;
        const int r0 = static_cast<int>(std::min({v[0], v[1], v[2]}) * 64 / 65536) - 2;
        const int r1 = static_cast<int>(std::max({v[0], v[1], v[2]}) * 64 / 65536) + 2;
        for (int r = r0; r <= r1; r += 3) {
            TexelTriangle::Sides sides = triangle.SidesAt(c0, r);
            for (int c = c0; c <= c1; ++c, triangle.NextColumn(sides)) {
                const TexelTriangle::Sides fresh = triangle.SidesAt(c, r);
                ASSERT_TRUE(std::equal(std::begin(sides.side), std::end(sides.side), std::begin(fresh.side))) << n << ": " << c << "," << r;
                // Held: no side negative or no side positive (edges included).
                const std::int64_t least = std::min({fresh.side[0], fresh.side[1], fresh.side[2]});
                const std::int64_t most = std::max({fresh.side[0], fresh.side[1], fresh.side[2]});
                ASSERT_EQ(TexelTriangle::Holds(sides), least >= 0 || most <= 0) << n << ": " << c << "," << r;
                held += TexelTriangle::Holds(sides);
                ++checked;
            }
        }
    }
    EXPECT_GT(held, 1000);
    EXPECT_GT(checked, held);
}

} // namespace
} // namespace gessoria::test
