#include "view3d/WireLine.h"

#include <algorithm>
#include <atomic>

namespace gessoria {
namespace {

__extension__ typedef __int128 Wide;

Wide FloorDiv(Wide a, Wide b)  // b > 0
{
    const Wide q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

Wide CeilDiv(Wide a, Wide b)  // b > 0
{
    return -FloorDiv(-a, b);
}

// The steps [first, last] of a line of n steps along its major axis a (x when XMajor), from
// a0 with minor coordinate b0, crossing d along the minor axis: a = a0 + sa i, b = b0 + sb m(i),
// with m(i) = floor((2 i d + n) / 2n), the nearest whole minor offset. The remainder of
// 2 i d + n over 2n grows by 2d a step and, as d <= n, passes 2n at most once. Both stay below
// 2^35, so the walk needs no wide arithmetic.
template <bool XMajor, typename Int>
void WalkLine(CDIB& image, Int a0, Int b0, int sa, int sb, Int n, Int d, Int first, Int last, std::uint8_t value)
{
    const auto twiceN = static_cast<std::int64_t>(2 * n), twiceD = static_cast<std::int64_t>(2 * d);
    std::int64_t m = 0, remainder = static_cast<std::int64_t>(n);
    if (first > 0) {
        const Int start = 2 * first * d + n;
        m = static_cast<std::int64_t>(start / twiceN);
        remainder = static_cast<std::int64_t>(start % twiceN);
    }
    auto a = static_cast<std::int64_t>(a0 + sa * first);
    const auto b = static_cast<std::int64_t>(b0);
    for (auto steps = static_cast<std::int64_t>(last - first); steps >= 0; --steps) {
        const std::int64_t minor = b + sb * m;
        const int x = static_cast<int>(XMajor ? a : minor), y = static_cast<int>(XMajor ? minor : a);
        std::uint8_t* p = image.row(y) + x * 3;
        // Every line of a frame writes the same ink, so lines drawn on two threads at once
        // give the same picture in any order; relaxed atomic stores make that sharing sound.
        std::atomic_ref<std::uint8_t>(p[0]).store(value, std::memory_order_relaxed);
        std::atomic_ref<std::uint8_t>(p[1]).store(value, std::memory_order_relaxed);
        std::atomic_ref<std::uint8_t>(p[2]).store(value, std::memory_order_relaxed);
        a += sa;
        remainder += twiceD;
        if (remainder >= twiceN) {
            remainder -= twiceN;
            ++m;
        }
    }
}

template <typename Int>
void WalkLine(CDIB& image, bool xMajor, Int a0, Int b0, int sa, int sb, Int n, Int d, Int first, Int last, std::uint8_t value)
{
    if (xMajor)
        WalkLine<true>(image, a0, b0, sa, sb, n, d, first, last, value);
    else
        WalkLine<false>(image, a0, b0, sa, sb, n, d, first, last, value);
}

// A line that leaves the frame: only its steps inside are walked. Coordinates span the whole
// 32-bit range, so products of two of them need more than 64 bits.
[[gnu::noinline]] void DrawClippedLine(ViewFrame& frame, bool xMajor, Wide a0, Wide b0, int sa, int sb, Wide n, Wide d,
                                       std::uint8_t value)
{
    // The pixels inside the frame on each axis: [0, aMax] and [0, bMax].
    const Wide aMax = xMajor ? frame.width() - 1 : frame.height() - 1;
    const Wide bMax = xMajor ? frame.height() - 1 : frame.width() - 1;
    Wide first = 0, last = n - 1;
    // Steps whose major coordinate lies in 0 .. aMax.
    if (sa > 0) {
        first = std::max(first, -a0);
        last = std::min(last, aMax - a0);
    } else {
        first = std::max(first, a0 - aMax);
        last = std::min(last, a0);
    }
    // Steps whose minor offset m(i) lies in [low, high], the offsets that keep b inside.
    const Wide low = sb > 0 ? -b0 : b0 - bMax;
    const Wide high = sb > 0 ? bMax - b0 : b0;
    if (d == 0) {
        if (low > 0 || high < 0)
            return;
    } else {
        // m(i) >= low  <=>  2 i d + n >= 2 n low;  m(i) <= high  <=>  2 i d + n < 2 n (high + 1).
        first = std::max(first, CeilDiv(2 * n * low - n, 2 * d));
        last = std::min(last, CeilDiv(2 * n * (high + 1) - n, 2 * d) - 1);
    }
    if (first > last)
        return;
    WalkLine<Wide>(frame.image(), xMajor, a0, b0, sa, sb, n, d, first, last, value);
}

} // namespace

void DrawWireLine(ViewFrame& frame, std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1, std::uint8_t value)
{
    const std::int64_t dx = std::int64_t{x1} - x0, dy = std::int64_t{y1} - y0;
    const std::int64_t adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
    const bool xMajor = adx >= ady;
    const std::int64_t n = xMajor ? adx : ady, d = xMajor ? ady : adx;
    if (n == 0)
        return;
    const std::int32_t a0 = xMajor ? x0 : y0, b0 = xMajor ? y0 : x0;
    const int sa = (xMajor ? dx : dy) > 0 ? 1 : -1, sb = (xMajor ? dy : dx) > 0 ? 1 : -1;
    // Most edges lie inside the frame: every step is drawn, with no clipping to work out, and
    // every quantity fits 64 bits.
    const auto width = static_cast<unsigned>(frame.width()), height = static_cast<unsigned>(frame.height());
    if (static_cast<unsigned>(x0) < width && static_cast<unsigned>(x1) < width && static_cast<unsigned>(y0) < height &&
        static_cast<unsigned>(y1) < height)
        WalkLine<std::int64_t>(frame.image(), xMajor, a0, b0, sa, sb, n, d, 0, n - 1, value);
    else
        DrawClippedLine(frame, xMajor, a0, b0, sa, sb, n, d, value);
}

} // namespace gessoria
