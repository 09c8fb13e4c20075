#pragma once
// The triangle scan converter every render level shares.
//
// Fixed point 16.16 edge walking: edges start at the corner's X x 65536 and step per row by
// (X_end - X_start) x 65536 / (Y_end - Y_start), truncated. Every interpolated quantity
// steps down the left edge the same way and across a row by one constant gradient per
// triangle, taken at the middle corner's row. Rows run from the top corner's Y up to but not
// including the bottom corner's; columns from max(0, L >> 16) up to but not including
// min(width, R >> 16). A pixel is written only where its depth (quantity 0, >> 16, as a
// signed 16-bit value) is strictly nearer than the buffer's, so ties keep the first face.
// Quantities marked as wrapping (texture U and V) are kept modulo their map size.
//
// The pixel callback decides the colour and returns a PixelAction.

#include "view3d/ViewFrame.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>

namespace gessoria {

template <int K>
struct RasterCorner {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::array<std::int64_t, K> q{};
};

// A quantity's modulus, or 0 for one that does not wrap.
template <int K>
using RasterModuli = std::array<std::int64_t, K>;

namespace raster {

// Truncating division, in 32 bits whenever both operands fit: a 64-bit divide costs several
// times as much, and a frame divides a few times per quantity per face.
inline std::int64_t Divide(std::int64_t numerator, std::int64_t denominator)
{
    constexpr std::int64_t kLow = INT32_MIN, kHigh = INT32_MAX;
    if (numerator >= kLow && numerator <= kHigh && denominator >= kLow && denominator <= kHigh && !(numerator == kLow && denominator == -1))
        return static_cast<std::int32_t>(numerator) / static_cast<std::int32_t>(denominator);
    return numerator / denominator;
}

inline std::int64_t Reduce(std::int64_t value, std::int64_t modulus)
{
    if (modulus == 0)
        return value;
    const std::int64_t r = value % modulus;
    return r < 0 ? r + modulus : r;
}

} // namespace raster

// Wrapping has bit k set for each quantity k that wraps (its modulus is not 0); it lets the
// per-pixel step know at compile time which quantities wrap. Rows of the frame from firstRow
// to lastRow (exclusive) are drawn; the others are only
// stepped over. Drawing a frame in bands gives exactly the pixels of drawing it whole.
// What the pixel callback did with a pixel that passed the depth test.
enum class PixelAction {
    Write,   // it wrote the colour: the depth is stored (Nearer)
    Skip,    // nothing written; go on with the row
    EndRow,  // nothing written; the rest of the row is not drawn
};

enum class DepthTest {
    Nearer,  // draw where strictly nearer than the buffer, and store the depth
    Equal,   // redraw only where the buffer holds exactly this depth; the buffer is kept
};

template <int K, unsigned Wrapping = 0, DepthTest Test = DepthTest::Nearer, typename Pixel>
void Rasterise(ViewFrame& frame, std::array<RasterCorner<K>, 3> c, const RasterModuli<K>& moduli, Pixel&& pixel,
               int firstRow, int lastRow)
{
    // Top first; corners of equal Y keep their order.
    if (c[1].y < c[0].y)
        std::swap(c[0], c[1]);
    if (c[2].y < c[1].y) {
        std::swap(c[1], c[2]);
        if (c[1].y < c[0].y)
            std::swap(c[0], c[1]);
    }
    const RasterCorner<K>& top = c[0];
    const RasterCorner<K>& mid = c[1];
    const RasterCorner<K>& bottom = c[2];
    if (top.y == bottom.y)
        return;

    const std::int64_t longRows = bottom.y - top.y;
    const std::int64_t longStepX = raster::Divide(static_cast<std::int64_t>(bottom.x - top.x) * 65536, longRows);

    const bool flatTop = top.y == mid.y;
    const std::int64_t upperRows = mid.y - top.y;
    const std::int64_t upperStepX = flatTop ? 0 : raster::Divide(static_cast<std::int64_t>(mid.x - top.x) * 65536, upperRows);
    const std::int64_t lowerRows = bottom.y - mid.y;
    const std::int64_t lowerStepX = lowerRows == 0 ? 0 : raster::Divide(static_cast<std::int64_t>(bottom.x - mid.x) * 65536, lowerRows);
    const bool longLeft = flatTop ? top.x < mid.x : longStepX < upperStepX;

    const int width = frame.width();
    const int rowBegin = std::max({top.y, firstRow, 0});
    const int rowEnd = std::min({bottom.y, lastRow, frame.height()});

    // Most faces of a dense mesh cover no pixel at all: walk the edges alone first and
    // leave before any other quantity is set up when no row has a column to draw.
    {
        bool covers = false;
        std::int64_t longX = static_cast<std::int64_t>(top.x) * 65536, shortX = longX, shortStepX = upperStepX;
        for (int y = top.y; y < rowEnd && !covers; ++y) {
            if (y == mid.y) {
                shortX = static_cast<std::int64_t>(mid.x) * 65536;
                shortStepX = lowerStepX;
            }
            if (y >= rowBegin) {
                const std::int64_t left = longLeft ? longX : shortX, right = longLeft ? shortX : longX;
                covers = !(left / 65536 > width || right < 0) &&
                         std::max<std::int64_t>(0, left >> 16) < std::min<std::int64_t>(width, right >> 16);
            }
            longX += longStepX;
            shortX += shortStepX;
        }
        if (!covers)
            return;
    }

    std::array<std::int64_t, K> longStepQ{};
    for (int k = 0; k < K; ++k)
        longStepQ[k] = raster::Divide(bottom.q[k] - top.q[k], longRows);

    // One gradient per quantity, measured on the middle corner's row.
    std::int64_t distance;
    std::array<std::int64_t, K> longAtMid = top.q;
    if (flatTop) {
        distance = static_cast<std::int64_t>(mid.x - top.x) * 65536;
    } else {
        distance = static_cast<std::int64_t>(mid.x) * 65536 - (static_cast<std::int64_t>(top.x) * 65536 + longStepX * upperRows);
        for (int k = 0; k < K; ++k)
            longAtMid[k] = top.q[k] + longStepQ[k] * upperRows;
    }
    const std::int64_t columns = distance >> 16;
    std::array<std::int64_t, K> gradient{}, wrappedGradient{};
    for (int k = 0; k < K; ++k) {
        gradient[k] = columns == 0 ? 0 : raster::Divide(mid.q[k] - longAtMid[k], columns);
        wrappedGradient[k] = raster::Reduce(gradient[k], moduli[k]);
    }

    std::int64_t longX = static_cast<std::int64_t>(top.x) * 65536;
    std::array<std::int64_t, K> longQ = top.q;
    std::int64_t shortX = longX, shortStepX = upperStepX;
    std::array<std::int64_t, K> shortQ = top.q, shortStepQ{};
    if (!flatTop)
        for (int k = 0; k < K; ++k)
            shortStepQ[k] = raster::Divide(mid.q[k] - top.q[k], upperRows);

    std::int16_t* depth = frame.depth();
    CDIB& image = frame.image();

    for (int y = top.y; y < bottom.y; ++y) {
        if (y == mid.y) {
            shortX = static_cast<std::int64_t>(mid.x) * 65536;
            shortStepX = lowerStepX;
            shortQ = mid.q;
            for (int k = 0; k < K; ++k)
                shortStepQ[k] = raster::Divide(bottom.q[k] - mid.q[k], lowerRows);
        }
        if (y >= rowEnd)
            break;
        if (y >= rowBegin) {
            const std::int64_t left = longLeft ? longX : shortX;
            const std::int64_t right = longLeft ? shortX : longX;
            const std::array<std::int64_t, K>& leftQ = longLeft ? longQ : shortQ;
            if (!(left / 65536 > width || right < 0)) {
                const std::int64_t startColumn = left >> 16;
                const int x0 = static_cast<int>(std::max<std::int64_t>(0, startColumn));
                const int x1 = static_cast<int>(std::min<std::int64_t>(width, right >> 16));
                std::array<std::int64_t, K> q = leftQ;
                if (left < 0)
                    for (int k = 0; k < K; ++k)
                        q[k] += gradient[k] * -startColumn;
                for (int k = 0; k < K; ++k)
                    q[k] = raster::Reduce(q[k], moduli[k]);
                std::int16_t* depthRow = depth + static_cast<std::ptrdiff_t>(y) * width;
                std::uint8_t* colourRow = image.row(y);
                for (int x = x0; x < x1; ++x) {
                    const auto z = static_cast<std::int16_t>(static_cast<std::uint16_t>(q[0] >> 16));
                    if (Test == DepthTest::Nearer ? depthRow[x] < z : depthRow[x] == z) {
                        std::uint8_t* out = colourRow + x * 3;
                        const PixelAction action = pixel(x, y, q, out);
                        if (action == PixelAction::EndRow)
                            break;
                        if (Test == DepthTest::Nearer && action == PixelAction::Write)
                            depthRow[x] = z;
                    }
                    for (int k = 0; k < K; ++k) {
                        if (!((Wrapping >> k) & 1u)) {
                            q[k] += gradient[k];
                        } else {
                            q[k] += wrappedGradient[k];
                            if (q[k] >= moduli[k])
                                q[k] -= moduli[k];
                        }
                    }
                }
            }
        }
        longX += longStepX;
        shortX += shortStepX;
        for (int k = 0; k < K; ++k) {
            longQ[k] += longStepQ[k];
            shortQ[k] += shortStepQ[k];
        }
    }
}

} // namespace gessoria
