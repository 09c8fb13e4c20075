#pragma once
// PaintTool: the painting tool in use in the main view (none after a scene is reset).

#include <cstdint>

namespace gessoria {

enum class PaintTool : std::int32_t {
    None = 0,
    Brush = 1,
    Fill = 2,
    Line = 3,
    TexturePaint = 4,
    Text = 5,
    Selection = 6,
    Eraser = 8,
    Sampler = 9,
    StylusEraser = 5000,  // the eraser for one event, while the stylus's eraser end is down
};

} // namespace gessoria
