// The scan converter against a literal reading of its rules: every edge and every quantity
// stepped row by row from the top corner, all steps and gradients divided in 64-bit integers.
// The real one skips work it can prove unneeded and divides in doubles; the pixels it visits
// (those nearer than the depth buffer) and the quantities it hands out there must be the same.

#include "view3d/Rasteriser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <tuple>
#include <vector>

namespace gessoria::test {
namespace {

constexpr int K = 3;  // depth, and two quantities that wrap
using Visit = std::tuple<int, int, std::int64_t, std::int64_t, std::int64_t>;

std::int64_t Wrap(std::int64_t value, std::int64_t modulus)
{
    const std::int64_t r = value % modulus;
    return r < 0 ? r + modulus : r;
}

std::vector<Visit> Literal(std::array<RasterCorner<K>, 3> c, const RasterModuli<K>& moduli, const ViewFrame& frame,
                           int firstRow, int lastRow)
{
    std::vector<Visit> visits;
    const int width = frame.width(), height = frame.height();
    std::stable_sort(c.begin(), c.end(), [](const auto& a, const auto& b) { return a.y < b.y; });
    const auto &top = c[0], &mid = c[1], &bottom = c[2];
    if (top.y == bottom.y)
        return visits;
    auto step = [](std::int64_t from, std::int64_t to, std::int64_t rows) { return rows == 0 ? 0 : (to - from) / rows; };
    const std::int64_t longStepX = step(std::int64_t{top.x} * 65536, std::int64_t{bottom.x} * 65536, bottom.y - top.y);
    const std::int64_t upperStepX = step(std::int64_t{top.x} * 65536, std::int64_t{mid.x} * 65536, mid.y - top.y);
    const bool flatTop = top.y == mid.y;
    const bool longLeft = flatTop ? top.x < mid.x : longStepX < upperStepX;

    std::array<std::int64_t, K> longStep{}, shortStep{}, gradient{};
    for (int k = 0; k < K; ++k) {
        longStep[k] = step(top.q[k], bottom.q[k], bottom.y - top.y);
        shortStep[k] = step(top.q[k], mid.q[k], mid.y - top.y);
    }
    const std::int64_t distance = flatTop ? std::int64_t{mid.x - top.x} * 65536
                                          : std::int64_t{mid.x} * 65536 - (std::int64_t{top.x} * 65536 + longStepX * (mid.y - top.y));
    for (int k = 0; k < K; ++k) {
        const std::int64_t longAtMid = top.q[k] + (flatTop ? 0 : longStep[k] * (mid.y - top.y));
        gradient[k] = (distance >> 16) == 0 ? 0 : (mid.q[k] - longAtMid) / (distance >> 16);
    }

    std::int64_t longX = std::int64_t{top.x} * 65536, shortX = longX, shortStepX = upperStepX;
    std::array<std::int64_t, K> longQ = top.q, shortQ = top.q;
    for (int y = top.y; y < bottom.y; ++y) {
        if (y == mid.y) {
            shortX = std::int64_t{mid.x} * 65536;
            shortStepX = step(shortX, std::int64_t{bottom.x} * 65536, bottom.y - mid.y);
            shortQ = mid.q;
            for (int k = 0; k < K; ++k)
                shortStep[k] = step(mid.q[k], bottom.q[k], bottom.y - mid.y);
        }
        const std::int64_t left = longLeft ? longX : shortX, right = longLeft ? shortX : longX;
        if (y >= std::max(0, firstRow) && y < std::min(height, lastRow) && !(left / 65536 > width || right < 0)) {
            std::array<std::int64_t, K> q = longLeft ? longQ : shortQ;
            for (int k = 0; k < K; ++k)
                if (left < 0)
                    q[k] += gradient[k] * -(left >> 16);
            for (std::int64_t x = std::max<std::int64_t>(0, left >> 16); x < std::min<std::int64_t>(width, right >> 16); ++x) {
                if (static_cast<std::int16_t>(static_cast<std::uint16_t>(q[0] >> 16)) > frame.Depth(static_cast<int>(x), y))
                    visits.emplace_back(static_cast<int>(x), y, q[0], Wrap(q[1], moduli[1]), Wrap(q[2], moduli[2]));
                for (int k = 0; k < K; ++k)
                    q[k] += gradient[k];
            }
        }
        longX += longStepX;
        shortX += shortStepX;
        for (int k = 0; k < K; ++k) {
            longQ[k] += longStep[k];
            shortQ[k] += shortStep[k];
        }
    }
    return visits;
}

TEST(Rasteriser, VisitsThePixelsAndQuantitiesOfTheLiteralWalk)
{
    constexpr int kWidth = 40, kHeight = 30;
    ViewFrame frame, empty;
    ASSERT_TRUE(frame.Create(kWidth, kHeight) && empty.Create(kWidth, kHeight));
    frame.Clear(0);
    empty.Clear(0);
    std::mt19937 random(7);
    auto between = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    int drawn = 0, hidden = 0;
    for (int trial = 0; trial < 4000; ++trial) {
        // Every third face is drawn over an empty buffer; the others over earlier "faces" at
        // some depth, which hide all, some or none of it.
        const int level = trial % 3 == 0 ? ViewFrame::kFarthest : between(-32768, 32767);
        for (int p = 0; p < kWidth * kHeight; ++p)
            frame.depth()[p] = static_cast<std::int16_t>(
                std::clamp(level + (level == ViewFrame::kFarthest ? 0 : between(-3000, 3000)), -32768, 32767));
        // Mostly small faces near or over the frame's edges, some large and some far away.
        const int reach = trial % 10 == 0 ? 4000 : (trial % 3 == 0 ? 60 : 8);
        const int cx = between(-10, kWidth + 10), cy = between(-10, kHeight + 10);
        std::array<RasterCorner<K>, 3> corners;
        for (auto& corner : corners) {
            corner.x = cx + between(-reach, reach);
            corner.y = cy + between(-reach, reach);
            corner.q[0] = std::int64_t{between(-32000, 32000)} * 65536 + between(0, 65535);
            corner.q[1] = std::int64_t{between(-3 * 64, 3 * 64)} * 65536 + between(0, 65535);
            corner.q[2] = std::int64_t{between(-50, 50)} * 65536 * 97 + between(-9999999, 9999999);
        }
        const RasterModuli<K> moduli{0, 64 * 65536, 17 * 65536};
        const int firstRow = trial % 4 == 0 ? between(-5, kHeight) : 0;
        const int lastRow = trial % 4 == 0 ? between(firstRow, kHeight + 5) : kHeight;

        std::vector<Visit> seen;
        Rasterise<K, 6u>(frame, corners, moduli, [&](int x, int y, const std::array<std::int64_t, K>& q, std::uint8_t*) {
            seen.emplace_back(x, y, q[0], q[1], q[2]);
            return PixelAction::Skip;
        }, firstRow, lastRow);
        const std::vector<Visit> expected = Literal(corners, moduli, frame, firstRow, lastRow);
        ASSERT_EQ(seen, expected) << "trial " << trial;
        drawn += expected.empty() ? 0 : 1;
        const bool onScreen = !Literal(corners, moduli, empty, firstRow, lastRow).empty();
        hidden += onScreen && expected.empty() ? 1 : 0;
    }
    EXPECT_GT(drawn, 1000);  // the trials are not all off screen or hidden,
    EXPECT_GT(hidden, 300);  // and many are on screen but wholly hidden
}

// Faces are found hidden from the reach of their depths alone, so every depth the walk gives
// must lie within it; thin faces, whose middle row is barely a column wide, carry the gradient
// well beyond their corners.
TEST(Rasteriser, EveryDepthLiesWithinTheCornersReach)
{
    constexpr int kWidth = 48, kHeight = 40;
    ViewFrame frame;
    ASSERT_TRUE(frame.Create(kWidth, kHeight));
    frame.Clear(0);
    std::mt19937 random(23);
    auto between = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    int beyondCorners = 0;
    for (int trial = 0; trial < 20000; ++trial) {
        const int reach = trial % 4 == 0 ? 30 : 4;
        const int cx = between(0, kWidth), cy = between(0, kHeight);
        const int z = between(-20000, 20000), range = trial % 2 == 0 ? 40 : 3000;
        std::array<RasterCorner<1>, 3> corners;
        for (auto& corner : corners) {
            corner.x = cx + between(-reach, reach);
            corner.y = cy + between(-reach, reach);
            corner.q[0] = std::int64_t{z + between(-range, range)} * 65536 + (trial % 3 == 0 ? between(0, 65535) : 0);
        }
        const DepthReach reachOf = ReachOfDepths(corners[0].q[0], corners[1].q[0], corners[2].q[0]);
        const std::int64_t low = std::min({corners[0].q[0], corners[1].q[0], corners[2].q[0]}) >> 16;
        const std::int64_t high = std::max({corners[0].q[0], corners[1].q[0], corners[2].q[0]}) >> 16;
        Rasterise<1>(frame, corners, RasterModuli<1>{}, [&](int x, int y, const std::array<std::int64_t, 1>& q, std::uint8_t*) {
            const std::int64_t depth = q[0] >> 16;
            EXPECT_TRUE(depth >= reachOf.farthest && depth <= reachOf.nearest)
                << "trial " << trial << " pixel " << x << "," << y << " depth " << depth;
            beyondCorners += depth < low || depth > high ? 1 : 0;
            return PixelAction::Skip;
        }, 0, kHeight);
        if (HasFailure())
            return;
    }
    EXPECT_GT(beyondCorners, 100);  // the walk does leave the corners' own range
}

TEST(Rasteriser, DivisionTruncatesExactlyLikeIntegerDivision)
{
    std::mt19937_64 random(11);
    auto check = [](std::int64_t n, std::int64_t d) { ASSERT_EQ(raster::Divide(n, d), n / d) << n << " / " << d; };
    for (int trial = 0; trial < 200000; ++trial) {
        const int bits = static_cast<int>(random() % 53);
        const std::int64_t d = static_cast<std::int64_t>(random() % (std::uint64_t{1} << (trial % 40))) + 1;
        const std::int64_t n = static_cast<std::int64_t>(random() % (std::uint64_t{1} << bits));
        const std::int64_t nearMultiple = (n / d) * d;
        for (const std::int64_t value : {n, nearMultiple, nearMultiple - 1, nearMultiple + 1})
            for (const int sign : {1, -1}) {
                check(sign * value, d);
                check(sign * value, -d);
            }
    }
    const std::int64_t big = (std::int64_t{1} << 53) - 1;
    check(big, 3);
    check(big - 1, big);
    check(-big, big - 1);
    check(big, 1);
    check(big, (std::int64_t{1} << 60) + 1);  // a denominator no double holds exactly
    check(-big, -(std::int64_t{1} << 62) - 3);
    check(std::int64_t{1} << 60, 7);  // beyond the double's reach: the integer path
}

} // namespace
} // namespace gessoria::test
