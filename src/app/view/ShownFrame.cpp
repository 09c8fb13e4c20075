#include "app/view/ShownFrame.h"

#include "scene/HelperThread.h"

#include <cstring>

namespace gessoria::app {

void BgrRowToRgb32(const std::uint8_t* bgr, std::uint32_t* out, int count)
{
    int x = 0;
    // Four pixels from three little-endian words: a = B0 G0 R0 B1, b = G1 R1 B2 G2,
    // c = R2 B3 G3 R3 (the first byte lowest).
    for (; x + 4 <= count; x += 4, bgr += 12) {
        std::uint32_t a, b, c;
        std::memcpy(&a, bgr, 4);
        std::memcpy(&b, bgr + 4, 4);
        std::memcpy(&c, bgr + 8, 4);
        out[x] = 0xFF000000u | (a & 0xFFFFFFu);
        out[x + 1] = 0xFF000000u | (a >> 24) | ((b & 0xFFFFu) << 8);
        out[x + 2] = 0xFF000000u | (b >> 16) | ((c & 0xFFu) << 16);
        out[x + 3] = 0xFF000000u | (c >> 8);
    }
    for (; x < count; ++x, bgr += 3)
        out[x] = 0xFF000000u | (std::uint32_t{bgr[2]} << 16) | (std::uint32_t{bgr[1]} << 8) | bgr[0];
}

void ShownFrame::Resize(int width, int height)
{
    if (image_.width() != width || image_.height() != height)
        image_ = QImage(width, height, QImage::Format_RGB32);
}

void ShownFrame::Convert(const std::uint8_t* rows, std::size_t stride, const QRect& rect)
{
    const QRect r = rect & image_.rect();
    // bits() detaches a shared image, once, here on this thread; the rows are then written
    // through plain addresses, from both cores when the rectangle is large.
    std::uint8_t* const bits = image_.bits();
    const auto imageStride = static_cast<std::size_t>(image_.bytesPerLine());
    // Converts the rectangle's rows [first, last).
    auto convert = [&](int first, int last) {
        for (int y = first; y < last; ++y)
            BgrRowToRgb32(rows + static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(r.left()) * 3,
                          reinterpret_cast<std::uint32_t*>(bits + static_cast<std::size_t>(y) * imageStride) + r.left(), r.width());
    };
    // A frame's worth of pixels (a turn of the view repaints most of it) is shared with the
    // second core, which is idle while the window paints; a dab's few are not worth a wake-up.
    constexpr qsizetype kWorthSharing = 100000;
    const int end = r.bottom() + 1;
    if (r.isEmpty() || qsizetype{r.width()} * r.height() < kWorthSharing) {
        convert(r.top(), end);
        return;
    }
    const int middle = r.top() + r.height() / 2;
    Helper helper = StartHelper([&] { convert(middle, end); });
    convert(r.top(), middle);
    helper.Finish();
}

} // namespace gessoria::app
