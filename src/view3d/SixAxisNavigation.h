#pragma once
// A six-axis controller (3D mouse) moving the view as the position tools do.
//
// One motion report holds three pushes (x right, y up, z towards the user) and three
// twists about those axes, in the device's counts. Each count becomes a fraction of a
// pixel of mouse drag (kPixelsPerCount times the sensitivity; the fractions left over are
// carried to the next report, so a slow push still moves) and that drag is handed to the
// very calls the position tools' drags make:
// - the twist about y and the tilt about x are a Rotate drag (left/right, up/down),
// - the roll about z is a Rotate drag with Ctrl (about the Z axis),
// - the pushes along x and y are a Pan drag, the push along z a Zoom Dynamic drag
//   (pushing in enlarges).
// An inverted axis counts the other way; with Single Axis on, only the axis pushed
// hardest in a report moves the view. The scene's last mouse position is left as it was,
// so a mouse drag going on at the same time goes on undisturbed.

#include <array>
#include <cstdint>

namespace gessoria {

struct Scene;

enum class SixAxisButtonAction : std::int8_t { None = 0, ResetToFront = 1, ZoomExtents = 2, ToggleSingleAxis = 3 };

struct SixAxisSettings {
    static constexpr int kButtons = 3;
    float sensitivity = 1.0f;  // 0.1 .. 10
    // x, y, z, rx, ry, rz
    std::array<bool, 6> invert{};
    bool singleAxis = false;
    std::array<SixAxisButtonAction, kButtons> buttons{SixAxisButtonAction::ResetToFront,
                                                      SixAxisButtonAction::ZoomExtents,
                                                      SixAxisButtonAction::ToggleSingleAxis};
};

struct SixAxisMotion {
    // x, y, z, rx, ry, rz in device counts
    std::array<int, 6> axes{};
};

class SixAxisNavigator {
public:
    // Pixels of drag per device count at sensitivity 1.
    static constexpr float kPixelsPerCount = 1.0f / 32.0f;

    // Moves the camera by one motion report; true when it changed.
    bool Move(Scene& scene, const SixAxisMotion& motion, const SixAxisSettings& settings, bool lockLight);
    // Forgets the fractions carried over (after the view was set some other way).
    void Reset() { carry_ = {}; }

private:
    std::array<float, 6> carry_{};
};

// A button press (buttons numbered from 0): runs the action the settings give it. Reset
// To Front gives the camera the "Front" standard view's angles, light and pan, keeping the
// zoom; Zoom Extents fits the scene; Toggle Single Axis switches the setting. True when the
// view may have changed.
bool PressSixAxisButton(Scene& scene, SixAxisSettings& settings, int button);

} // namespace gessoria
