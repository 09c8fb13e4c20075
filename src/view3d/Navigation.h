#pragma once
// How the user moves the view: the position tools' drags, the arrow keys, "Light To Front",
// the view bookmarks with the six standard views, and the rotation benchmark.
//
// Each operation changes the Scene's Camera (and its last mouse position) only; the caller
// renders afterwards. One pixel of a rotate drag is one AngleUnit.

#include "scene/Camera.h"
#include "scene/ViewBookmarks.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace gessoria {

struct Scene;
class UserInteraction;

enum class PositionTool : std::int8_t { None = 0, Rotate = 1, ZoomDynamic = 2, ZoomRegion = 3, Pan = 4, MoveLights = 5 };

// Cursor resources the view shows for the tools.
enum CursorId : int { kCursorNone = -1, kCursorZAxis = 160, kCursorZoom = 161, kCursorRotate = 162, kCursorPan = 163, kCursorZoomRegion = 167 };

// The state at mouse-down that drags measure from: counts, view size, camera, last mouse.
struct DragSnapshot {
    std::int32_t objectCount = -1;
    std::int32_t viewWidth = 0;
    std::int32_t viewHeight = 0;
    Camera camera;
    std::int32_t lastMouseX = 0;
    std::int32_t lastMouseY = 0;
};

DragSnapshot TakeDragSnapshot(const Scene& scene);

// Rotate: horizontal movement turns about Y (about Z with Ctrl), vertical about X; with the
// light locked the light turns by the same amounts. Returns the cursor to show.
int RotateDrag(Scene& scene, int x, int y, bool ctrl, bool lockLight);
// Zoom Dynamic: dragging up from the mouse-down point enlarges; back at the start the
// snapshot's scale returns exactly.
void ZoomDynamicDrag(Scene& scene, const DragSnapshot& snapshot, int y);
void PanDrag(Scene& scene, int x, int y);
void MoveLightsDrag(Scene& scene, int x, int y);
// Zoom Region's mouse-up: the rectangle from the snapshot's mouse position to (x, y) fills
// the view. A rectangle without width or height changes nothing.
void ZoomRegionFinish(Scene& scene, const DragSnapshot& snapshot, int x, int y);

enum class ArrowKey { Left, Right, Up, Down };
void ArrowKeyTurn(Camera& camera, ArrowKey key, bool ctrl);

// The benchmark command: 100 frames turning angle Y from 0 to 99, timed; shows "Starting"
// and then the elapsed minutes and seconds. Angle Y stays at 99.
void RunRotationBenchmark(Scene& scene, const std::function<void()>& renderFrame, UserInteraction& ui,
                          const std::function<std::chrono::steady_clock::time_point()>& now = std::chrono::steady_clock::now);

} // namespace gessoria
