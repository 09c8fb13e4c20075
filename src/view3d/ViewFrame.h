#pragma once
// ViewFrame: the main view's off-screen picture and its depth buffer.
//
// The picture is a 24-bit CDIB of the view's size (rows top-down, blue, green, red). The
// depth buffer holds one signed 16-bit value per pixel, width entries a row with no padding,
// larger meaning nearer; it keeps the last full frame's values, which the redraw after a
// dab compares against.

#include "scene/CDIB.h"
#include "scene/SceneArray.h"

#include <cstdint>
#include <vector>

namespace gessoria {

class ViewFrame {
public:
    static constexpr std::int16_t kFarthest = -32768;

    // Builds the frame for a view size; on failure the frame is left empty.
    bool Create(int width, int height);

    bool created() const { return image_.created(); }
    int width() const { return image_.width(); }
    int height() const { return image_.height(); }
    CDIB& image() { return image_; }
    const CDIB& image() const { return image_; }
    std::int16_t* depth() { return depth_.data(); }
    const std::int16_t* depth() const { return depth_.data(); }
    std::int16_t Depth(int x, int y) const { return depth_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width()) + static_cast<std::size_t>(x)]; }

    // Every colour byte to `grey`, every depth to the farthest value.
    void Clear(std::uint8_t grey);
    // The same for the rows [first, last) only.
    void ClearRows(int first, int last, std::uint8_t grey);

private:
    CDIB image_;
    SceneArray<std::int16_t> depth_;
};

} // namespace gessoria
