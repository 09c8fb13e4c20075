#include "view3d/WireLine.h"

#include <algorithm>
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
    const Wide aSize = xMajor ? frame.width() : frame.height(), bSize = xMajor ? frame.height() : frame.width();

    // Steps whose major coordinate lies in 0 .. aSize - 1.
    Wide first = 0, last = n - 1;
    if (sa > 0) {
        first = std::max(first, -a0);
        last = std::min(last, aSize - 1 - a0);
    } else {
        first = std::max(first, a0 - (aSize - 1));
        last = std::min(last, a0);
    }
    // Steps whose minor offset m(i) lies in [low, high], the offsets that keep b inside.
    const Wide low = sb > 0 ? -b0 : b0 - (bSize - 1);
    const Wide high = sb > 0 ? bSize - 1 - b0 : b0;
    if (d == 0) {
        if (low > 0 || high < 0)
            return;
    } else {
        // m(i) >= low  <=>  2 i d + n >= 2 n low;  m(i) <= high  <=>  2 i d + n < 2 n (high + 1).
        first = std::max(first, CeilDiv(2 * n * low - n, 2 * d));
        last = std::min(last, CeilDiv(2 * n * (high + 1) - n, 2 * d) - 1);
    }
    CDIB& image = frame.image();
    for (Wide i = first; i <= last; ++i) {
        const Wide m = FloorDiv(2 * i * d + n, 2 * n);
        const auto a = static_cast<int>(a0 + sa * i), b = static_cast<int>(b0 + sb * m);
        const int x = xMajor ? a : b, y = xMajor ? b : a;
        std::uint8_t* p = image.row(y) + x * 3;
        p[0] = p[1] = p[2] = value;
    }
}

} // namespace gessoria
