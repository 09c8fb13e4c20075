#pragma once
// The render levels in use: one while a position tool drags ("Move"), one when the view is
// still ("Static"), with the options of the "Rendering Options" dialog.

#include "view3d/Renderer.h"

namespace gessoria {

struct RenderingOptionsAnswer {
    int staticLevel = 4;
    int moveLevel = 4;
    bool renderTwoSided = false;
    bool lightBothSides = false;
    int acceleration = 1;  // 1..50
};

struct RenderSettings {
    int currentLevel = 4;
    int stillLevel = 4;
    int moveLevel = 4;
    bool forceTwoSided = false;
    bool fastDraw = false;

    RenderOptions Options() const { return {currentLevel, forceTwoSided, fastDraw}; }
    // A position tool's mouse-down and mouse-up (the caller renders after the mouse-up).
    void BeginDrag() { currentLevel = moveLevel; }
    void EndDrag() { currentLevel = stillLevel; }
};

// The dialog's OK: both levels, both flags and the wire-frame acceleration are stored and the
// current level becomes the Static one. The acceleration is kept within 1..50.
void ApplyRenderingOptions(const RenderingOptionsAnswer& answer, RenderSettings& settings, bool& dualLight,
                           std::uint8_t& wireAcceleration);

} // namespace gessoria
