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
#include <cstdint>

// The loops over a face's quantities run a handful of times each; unrolled, their per-face and
// per-pixel bookkeeping disappears.
#define GESSORIA_UNROLL _Pragma("GCC unroll 8")

namespace gessoria {

// Left uninitialised unless value-initialised (RasterCorner<K>{}): the renderer sets every
// member of a few hundred thousand corners a frame, and zeroing them first costs more than
// setting them.
template <int K>
struct RasterCorner {
    std::int32_t x;
    std::int32_t y;
    std::array<std::int64_t, K> q;
};

// A quantity's modulus, or 0 for one that does not wrap.
template <int K>
using RasterModuli = std::array<std::int64_t, K>;

namespace raster {

// Truncating division. While the numerator's magnitude is below 2^53 the quotient of the two
// doubles truncates to the exact integer quotient: the rounding error of the double division is
// below |quotient| x 2^-53, which is less than 1 / |denominator|, the least distance from a
// quotient that is not a whole number to the nearest whole number. (A denominator too large for
// a double to hold exactly exceeds such a numerator, and both quotients are then 0.) The double
// divider is pipelined where the integer one is not, and a frame divides a few times per
// quantity per face.
inline std::int64_t Divide(std::int64_t numerator, std::int64_t denominator)
{
    constexpr std::uint64_t kExact = std::uint64_t{1} << 53;
    if (static_cast<std::uint64_t>(numerator) + (kExact - 1) < 2 * kExact - 1)
        return static_cast<std::int64_t>(static_cast<double>(numerator) / static_cast<double>(denominator));
    return numerator / denominator;
}

inline std::int64_t Reduce(std::int64_t value, std::int64_t modulus)
{
    if (modulus == 0 || (value >= 0 && value < modulus))
        return value;
    const std::int64_t r = value % modulus;
    return r < 0 ? r + modulus : r;
}

} // namespace raster

// The depths (quantity 0 >> 16) a face's pixels can take, from its corners' quantity 0, so a
// face can be found hidden before it is set up. A row's left-edge value lies between the
// corners' (each step is truncated toward zero). Across a row the gradient is the middle row's
// change, at most the corners' range, over that row's whole columns; the middle row is the
// widest, so no row walks more than its columns plus three, and the gradient carries a pixel at
// most four times the range beyond the corners.
struct DepthReach {
    std::int64_t farthest;
    std::int64_t nearest;
};

inline DepthReach ReachOfDepths(std::int64_t q0, std::int64_t q1, std::int64_t q2)
{
    // Nested pairs: GCC compiles std::min({...}) to branches, which a frame of half a million
    // faces could not foresee.
    const std::int64_t low = std::min(q0, std::min(q1, q2)), high = std::max(q0, std::max(q1, q2));
    return {(low - 4 * (high - low)) >> 16, (high + 4 * (high - low)) >> 16};
}

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

// Wrapping has bit k set for each quantity k that wraps (its modulus is not 0); it lets the
// per-pixel step know at compile time which quantities wrap. Only the rows of the frame from
// firstRow to lastRow (exclusive) are drawn, so drawing a frame in bands gives exactly the
// pixels of drawing it whole.
template <int K, unsigned Wrapping = 0, DepthTest Test = DepthTest::Nearer, typename Pixel>
void Rasterise(ViewFrame& frame, const std::array<RasterCorner<K>, 3>& c, const RasterModuli<K>& moduli, Pixel&& pixel,
               int firstRow, int lastRow)
{
    // Top first; corners of equal Y keep their order.
    int t = 0, m = 1, b = 2;
    if (c[m].y < c[t].y)
        std::swap(t, m);
    if (c[b].y < c[m].y) {
        std::swap(m, b);
        if (c[m].y < c[t].y)
            std::swap(t, m);
    }
    const RasterCorner<K>& top = c[t];
    const RasterCorner<K>& mid = c[m];
    const RasterCorner<K>& bottom = c[b];
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
    const int rowBegin = std::max(top.y, std::max(firstRow, 0));
    const int rowEnd = std::min(bottom.y, std::min(lastRow, frame.height()));

    // Each edge's X on a row. Stepping row by row adds the same truncated step every time, so
    // a row's value is its start plus the step times the rows walked.
    auto longXAt = [&](int y) { return static_cast<std::int64_t>(top.x) * 65536 + longStepX * (y - top.y); };
    auto shortXAt = [&](int y) {
        return y < mid.y ? static_cast<std::int64_t>(top.x) * 65536 + upperStepX * (y - top.y)
                         : static_cast<std::int64_t>(mid.x) * 65536 + lowerStepX * (y - mid.y);
    };
    auto columnsOf = [&](int y, int& x0, int& x1) {
        const std::int64_t l = longXAt(y), r = shortXAt(y);
        const std::int64_t left = longLeft ? l : r, right = longLeft ? r : l;
        if (left >= static_cast<std::int64_t>(width + 1) * 65536 || right < 0)  // left / 65536 > width
            return false;
        x0 = static_cast<int>(std::max<std::int64_t>(0, left >> 16));
        x1 = static_cast<int>(std::min<std::int64_t>(width, right >> 16));
        return x0 < x1;
    };

    // Most faces of a dense mesh cover no pixel at all, or only a few rows of the band: find
    // the first and last rows with a column to draw before any other quantity is set up.
    // Their columns are kept: most faces draw one or two rows.
    int firstX0 = 0, firstX1 = 0, lastX0 = 0, lastX1 = 0;
    int firstDrawn = rowBegin;
    while (firstDrawn < rowEnd && !columnsOf(firstDrawn, firstX0, firstX1))
        ++firstDrawn;
    if (firstDrawn >= rowEnd)
        return;
    int lastDrawn = rowEnd - 1;
    while (lastDrawn > firstDrawn && !columnsOf(lastDrawn, lastX0, lastX1))
        --lastDrawn;
    if (lastDrawn == firstDrawn) {
        lastX0 = firstX0;
        lastX1 = firstX1;
    }

    // Only the left edge's quantities are ever read, and a step only matters when a drawn
    // row lies beyond the edge's first row. The long edge's step also gives the gradient, and
    // the gradient only matters where a row has more than one column or starts left of the
    // frame: most faces of a dense mesh draw one pixel a row, and they need neither. What is
    // needed is worked out once, the first time it is.
    std::array<std::int64_t, K> longStepQ{}, upperStepQ{}, lowerStepQ{};
    bool haveLongStep = false;
    auto needLongStep = [&] {
        if (haveLongStep)
            return;
        haveLongStep = true;
        GESSORIA_UNROLL
        for (int k = 0; k < K; ++k)
            longStepQ[k] = raster::Divide(bottom.q[k] - top.q[k], longRows);
    };
    if (longLeft && lastDrawn > top.y)
        needLongStep();
    if (!longLeft && !flatTop && std::max(firstDrawn, top.y + 1) < std::min(mid.y, lastDrawn + 1))
        GESSORIA_UNROLL
        for (int k = 0; k < K; ++k)
            upperStepQ[k] = raster::Divide(mid.q[k] - top.q[k], upperRows);
    if (!longLeft && lowerRows > 0 && lastDrawn > mid.y)
        GESSORIA_UNROLL
        for (int k = 0; k < K; ++k)
            lowerStepQ[k] = raster::Divide(bottom.q[k] - mid.q[k], lowerRows);

    // One gradient per quantity, measured on the middle corner's row.
    std::array<std::int64_t, K> gradient{}, wrappedGradient{};
    bool haveGradient = false;
    auto needGradient = [&] {
        if (haveGradient)
            return;
        haveGradient = true;
        std::int64_t distance;
        std::array<std::int64_t, K> longAtMid = top.q;
        if (flatTop) {
            distance = static_cast<std::int64_t>(mid.x - top.x) * 65536;
        } else {
            needLongStep();
            distance = static_cast<std::int64_t>(mid.x) * 65536 - longXAt(mid.y);
            GESSORIA_UNROLL
            for (int k = 0; k < K; ++k)
                longAtMid[k] = top.q[k] + longStepQ[k] * upperRows;
        }
        const std::int64_t columns = distance >> 16;
        GESSORIA_UNROLL
        for (int k = 0; k < K; ++k) {
            gradient[k] = columns == 0 ? 0 : raster::Divide(mid.q[k] - longAtMid[k], columns);
            if ((Wrapping >> k) & 1u)
                wrappedGradient[k] = raster::Reduce(gradient[k], moduli[k]);
        }
    };

    std::int16_t* depth = frame.depth();
    CDIB& image = frame.image();

    for (int y = firstDrawn; y <= lastDrawn; ++y) {
        int x0 = y == firstDrawn ? firstX0 : lastX0, x1 = y == firstDrawn ? firstX1 : lastX1;
        if (y != firstDrawn && y != lastDrawn && !columnsOf(y, x0, x1))
            continue;
        const bool fromTop = longLeft || y < mid.y;
        const std::array<std::int64_t, K>& edgeStart = fromTop ? top.q : mid.q;
        const std::array<std::int64_t, K>& edgeStep = longLeft ? longStepQ : (y < mid.y ? upperStepQ : lowerStepQ);
        const std::int64_t edgeRows = y - (fromTop ? top.y : mid.y);
        std::array<std::int64_t, K> q;
        GESSORIA_UNROLL
        for (int k = 0; k < K; ++k)
            q[k] = edgeStart[k] + edgeStep[k] * edgeRows;
        const std::int64_t startColumn = (longLeft ? longXAt(y) : shortXAt(y)) >> 16;
        if (startColumn < 0 || x1 - x0 > 1)
            needGradient();
        if (startColumn < 0)
            GESSORIA_UNROLL
            for (int k = 0; k < K; ++k)
                q[k] += gradient[k] * -startColumn;
        GESSORIA_UNROLL
        for (int k = 0; k < K; ++k)
            if ((Wrapping >> k) & 1u)
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
            GESSORIA_UNROLL
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

} // namespace gessoria
