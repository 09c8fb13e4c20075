#include "view3d/SixAxisNavigation.h"

#include "scene/Scene.h"
#include "scene/ViewBookmarks.h"
#include "view3d/Navigation.h"
#include "view3d/Projection.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace gessoria {
namespace {

enum Axis { X, Y, Z, RX, RY, RZ };

} // namespace

bool SixAxisNavigator::Move(Scene& scene, const SixAxisMotion& motion, const SixAxisSettings& settings, bool lockLight)
{
    std::array<int, 6> counts = motion.axes;
    for (std::size_t i = 0; i < counts.size(); ++i)
        if (settings.invert[i])
            counts[i] = -counts[i];
    if (settings.singleAxis) {
        std::size_t strongest = 0;
        for (std::size_t i = 1; i < counts.size(); ++i)
            if (std::abs(counts[i]) > std::abs(counts[strongest]))
                strongest = i;
        for (std::size_t i = 0; i < counts.size(); ++i)
            if (i != strongest)
                counts[i] = 0;
    }
    std::array<int, 6> pixels{};
    bool any = false;
    for (std::size_t i = 0; i < counts.size(); ++i) {
        const float exact = static_cast<float>(counts[i]) * settings.sensitivity * kPixelsPerCount + carry_[i];
        pixels[i] = static_cast<int>(std::trunc(exact));
        carry_[i] = exact - static_cast<float>(pixels[i]);
        any = any || pixels[i] != 0;
    }
    if (!any)
        return false;

    const int mouseX = scene.lastMouseX, mouseY = scene.lastMouseY;
    // A twist to the left (positive about y) turns the scene as a drag to the left does; a
    // tilt towards the user (positive about x) as a drag downwards.
    if (pixels[RY] != 0 || pixels[RX] != 0)
        RotateDrag(scene, scene.lastMouseX - pixels[RY], scene.lastMouseY + pixels[RX], false, lockLight);
    if (pixels[RZ] != 0)
        RotateDrag(scene, scene.lastMouseX - pixels[RZ], scene.lastMouseY, true, lockLight);
    // Screen y grows downwards, the device's y upwards.
    if (pixels[X] != 0 || pixels[Y] != 0)
        PanDrag(scene, scene.lastMouseX + pixels[X], scene.lastMouseY - pixels[Y]);
    if (pixels[Z] != 0) {
        DragSnapshot start = TakeDragSnapshot(scene);
        start.lastMouseY = 0;
        // Pulling towards the user (positive z) is a drag downwards: smaller.
        ZoomDynamicDrag(scene, start, pixels[Z]);
    }
    scene.lastMouseX = mouseX;
    scene.lastMouseY = mouseY;
    return true;
}

bool PressSixAxisButton(Scene& scene, SixAxisSettings& settings, int button)
{
    if (button < 0 || button >= SixAxisSettings::kButtons)
        return false;
    switch (settings.buttons[static_cast<std::size_t>(button)]) {
    case SixAxisButtonAction::None: return false;
    case SixAxisButtonAction::ResetToFront: {
        ViewBookmarks standard;
        standard.ResetToStandardViews(scene.camera);
        for (const ViewBookmark& view : standard.entries())
            if (view.name == "Front")
                scene.camera = view.camera;
        return true;
    }
    case SixAxisButtonAction::ZoomExtents:
        if (scene.loaded())
            ZoomExtents(scene);
        return true;
    case SixAxisButtonAction::ToggleSingleAxis: settings.singleAxis = !settings.singleAxis; return false;
    }
    return false;
}

} // namespace gessoria
