#include "view3d/WireLine.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>

namespace gessoria {
namespace {

// Coordinates span the whole 32-bit range, so products of two of them need more than 64 bits.
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

} // namespace

void DrawWireLine(ViewFrame& frame, std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1, std::uint8_t value)
{
    const bool xMajor = std::llabs(static_cast<long long>(x1) - x0) >= std::llabs(static_cast<long long>(y1) - y0);
    // Work along the major axis a, the minor axis b: a = a0 + sa i, b = b0 + sb m(i) for the
    // steps i = 0 .. n - 1, with m(i) = floor((2 i d + n) / 2n), the nearest whole minor offset.
    const Wide a0 = xMajor ? x0 : y0, b0 = xMajor ? y0 : x0;
    const Wide a1 = xMajor ? x1 : y1, b1 = xMajor ? y1 : x1;
    const Wide n = a1 > a0 ? a1 - a0 : a0 - a1;
    const Wide d = b1 > b0 ? b1 - b0 : b0 - b1;
    if (n == 0)
        return;
    const int sa = a1 > a0 ? 1 : -1, sb = b1 > b0 ? 1 : -1;
    // The pixels inside the frame on each axis: [0, aMax] and [0, bMax].
    const Wide aMax = xMajor ? frame.width() - 1 : frame.height() - 1;
    const Wide bMax = xMajor ? frame.height() - 1 : frame.width() - 1;

    // Most edges lie inside the frame: every step is drawn, with no clipping to work out.
    const bool inside = x0 >= 0 && x1 >= 0 && y0 >= 0 && y1 >= 0 && x0 < frame.width() && x1 < frame.width() &&
                        y0 < frame.height() && y1 < frame.height();
    Wide first = 0, last = n - 1;
    if (!inside) {
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
    }
    if (first > last)
        return;
    // m(i) step by step: the remainder of 2 i d + n over 2n grows by 2d a step and, as d <= n,
    // passes 2n at most once. Both stay below 2^35, so the walk needs no wide arithmetic.
    const auto twiceN = static_cast<std::int64_t>(2 * n), twiceD = static_cast<std::int64_t>(2 * d);
    std::int64_t m = 0, remainder = static_cast<std::int64_t>(n);
    if (first > 0) {
        const Wide start = 2 * first * d + n;
        m = static_cast<std::int64_t>(start / twiceN);
        remainder = static_cast<std::int64_t>(start % twiceN);
    }
    CDIB& image = frame.image();
    auto a = static_cast<std::int64_t>(a0 + sa * first);
    const auto b = static_cast<std::int64_t>(b0);
    for (auto steps = static_cast<std::int64_t>(last - first); steps >= 0; --steps) {
        const std::int64_t minor = b + sb * m;
        const int x = static_cast<int>(xMajor ? a : minor), y = static_cast<int>(xMajor ? minor : a);
        std::uint8_t* p = image.row(y) + x * 3;
        // Every line of a frame writes the same ink, so lines drawn on two threads at once
        // give the same picture in any order; relaxed atomic stores make that sharing sound.
        for (int k = 0; k < 3; ++k)
            std::atomic_ref<std::uint8_t>(p[k]).store(value, std::memory_order_relaxed);
        a += sa;
        remainder += twiceD;
        if (remainder >= twiceN) {
            remainder -= twiceN;
            ++m;
        }
    }
}

} // namespace gessoria
