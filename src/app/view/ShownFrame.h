#pragma once
// ShownFrame: the view's frame in the window system's own pixel format.
//
// The engine draws its frame as 24-bit blue, green, red rows. Painting those onto a window
// makes Qt convert every pixel through its general path, about 2.5 ms for a 1920 x 1080
// frame on the build machine, a sixth of a frame at 60 a second. The view keeps a 32-bit
// copy instead and converts only the rectangles it is about to paint, with a conversion
// written for this one format (about 0.6 ms for the whole frame, shared between both cores
// when most of the frame is painted); drawing 32-bit pixels onto a 32-bit window is a plain
// copy.

#include <QImage>
#include <QRect>

#include <cstddef>
#include <cstdint>

namespace gessoria::app {

class ShownFrame {
public:
    // Matches the frame's size (a new, unconverted image when it changed).
    void Resize(int width, int height);
    // Converts `rect` (clipped to the image) of the frame's rows, 24-bit blue, green, red,
    // `stride` bytes apart, into the image.
    void Convert(const std::uint8_t* rows, std::size_t stride, const QRect& rect);
    const QImage& image() const { return image_; }

private:
    QImage image_;
};

// One row of `count` blue, green, red pixels as 0xFFRRGGBB words.
void BgrRowToRgb32(const std::uint8_t* bgr, std::uint32_t* out, int count);

} // namespace gessoria::app
