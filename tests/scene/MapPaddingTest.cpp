// Seam padding: which texels a material's faces cover, and how far the covered values spread.

#include "scene/CDIB.h"
#include "scene/MapPadding.h"
#include "support/RecordingInteraction.h"
#include "support/SceneBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace gessoria::test {
namespace {

int Chebyshev(int x0, int y0, int x1, int y1) { return std::max(std::abs(x0 - x1), std::abs(y0 - y1)); }

// Every texel checked against its definition, by brute force: covered texels unchanged;
// an uncovered one at distance d from the nearest covered texel takes the value of a covered
// texel at distance d when d <= padding (any d for -1), else keeps its value.
void CheckPadding(const CDIB& before, const CDIB& after, const std::vector<std::uint8_t>& covered, int padding)
{
    const int w = before.width(), h = before.height(), bytes = before.bytesPerPixel();
    const auto pixel = [&](const CDIB& image, int x, int y) {
        return std::vector<std::uint8_t>(image.row(y) + x * bytes, image.row(y) + (x + 1) * bytes);
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (covered[static_cast<std::size_t>(y * w + x)]) {
                ASSERT_EQ(pixel(after, x, y), pixel(before, x, y)) << x << "," << y;
                continue;
            }
            int nearest = 1 << 30;
            for (int v = 0; v < h; ++v)
                for (int u = 0; u < w; ++u)
                    if (covered[static_cast<std::size_t>(v * w + u)])
                        nearest = std::min(nearest, Chebyshev(x, y, u, v));
            if (nearest == 1 << 30 || (padding >= 0 && nearest > padding)) {
                ASSERT_EQ(pixel(after, x, y), pixel(before, x, y)) << x << "," << y;
                continue;
            }
            bool fromNearest = false;
            for (int v = 0; v < h && !fromNearest; ++v)
                for (int u = 0; u < w && !fromNearest; ++u)
                    fromNearest = covered[static_cast<std::size_t>(v * w + u)] && Chebyshev(x, y, u, v) == nearest &&
                                  pixel(before, u, v) == pixel(after, x, y);
            ASSERT_TRUE(fromNearest) << x << "," << y << " at distance " << nearest;
        }
}

TEST(MapPadding, FillsExactlyTheTexelsWithinThePaddingFromTheirNearestCoveredTexel)
{
    std::mt19937 random(20);
    for (int bits : {8, 24})
        for (int padding : {0, 1, 2, 5, -1})
            for (int trial = 0; trial < 4; ++trial) {
                SCOPED_TRACE(::testing::Message() << bits << " bits, padding " << padding << ", trial " << trial);
                const int w = 17 + trial, h = 13;
                CDIB image;
                ASSERT_TRUE(bits == 8 ? image.Create8(w, h) : image.Create24(w, h));
                for (auto& b : image.bits())
                    b = static_cast<std::uint8_t>(random());
                // A few islands: random rectangles, one of them a single texel.
                std::vector<std::uint8_t> covered(static_cast<std::size_t>(w * h), 0);
                for (int island = 0; island < 3; ++island) {
                    const int x0 = static_cast<int>(random() % w), y0 = static_cast<int>(random() % h);
                    const int x1 = std::min(w - 1, x0 + (island == 0 ? 0 : static_cast<int>(random() % 4)));
                    const int y1 = std::min(h - 1, y0 + (island == 0 ? 0 : static_cast<int>(random() % 3)));
                    for (int y = y0; y <= y1; ++y)
                        for (int x = x0; x <= x1; ++x)
                            covered[static_cast<std::size_t>(y * w + x)] = 1;
                }
                const CDIB before = image;
                PadTexels(image, covered, padding);
                CheckPadding(before, image, covered, padding);
            }
}

TEST(MapPadding, NothingCoveredChangesNothing)
{
    CDIB image;
    ASSERT_TRUE(image.Create8(4, 4));
    image.bits()[5] = 77;
    const CDIB before = image;
    PadTexels(image, std::vector<std::uint8_t>(16, 0), -1);
    EXPECT_TRUE(std::equal(image.bits().begin(), image.bits().end(), before.bits().begin()));
}

// A right triangle over half of a quarter of an 8 x 8 map covers the texels whose squares
// share area with it, x + y < 4; one reaching past u = 0 wraps onto the last columns.
TEST(MapPadding, CoverageHoldsTheTexelsAFaceOverlaps)
{
    RecordingInteraction ui;
    Scene s = MakeScene({ObjectSpec{{0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 1, 0, 1, 0, 1, 1}, {0, 1, 2, 3, 4, 5}, {}}}, ui);
    s.materialCount = 1;
    s.materials.push_back(MakeLayeredMaterial(8, 8, 0, 0, 0, 0));
    s.faceMaterial[0] = 1;
    s.faceMaterial[1] = 1;
    // Face 0: (0, 0), (0.5, 0), (0, 0.5). Face 1: u from -0.25 to 0 and v from 0.5 to 0.75.
    const std::int32_t half = 32768, quarter = 16384;
    s.faceU0[0] = 0, s.faceV0[0] = 0, s.faceU1[0] = half, s.faceV1[0] = 0, s.faceU2[0] = 0, s.faceV2[0] = half;
    s.faceU0[1] = -quarter, s.faceV0[1] = half, s.faceU1[1] = 0, s.faceV1[1] = half, s.faceU2[1] = -quarter,
    s.faceV2[1] = half + quarter;
    const std::vector<std::uint8_t> covered = MaterialCoverage(s, 1);
    ASSERT_EQ(covered.size(), 64u);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool first = x + y < 4;
            // Face 1 in texels: (6, 4), (8, 4), (6, 6), the lower-left half of columns 6..7,
            // rows 4..5: squares with (x - 6) + (y - 4) < 2.
            const bool second = x >= 6 && y >= 4 && y < 6 && (x - 6) + (y - 4) < 2;
            EXPECT_EQ(covered[static_cast<std::size_t>(y * 8 + x)], first || second ? 1 : 0) << x << "," << y;
        }
    // Faces of other materials cover nothing of this one.
    s.faceMaterial[1] = 0;
    EXPECT_EQ(MaterialCoverage(s, 1)[static_cast<std::size_t>(4 * 8 + 6)], 0);
}

} // namespace
} // namespace gessoria::test
