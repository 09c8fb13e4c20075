#include "view3d/Navigation.h"

#include "scene/Scene.h"
#include "scene/UserInteraction.h"

#include <cmath>
#include <cstdio>

namespace gessoria {

DragSnapshot TakeDragSnapshot(const Scene& scene)
{
    return {scene.objectCount, scene.viewWidth, scene.viewHeight, scene.camera, scene.lastMouseX, scene.lastMouseY};
}

int RotateDrag(Scene& scene, int x, int y, bool ctrl, bool lockLight)
{
    Camera& camera = scene.camera;
    const int across = scene.lastMouseX - x, down = scene.lastMouseY - y;
    (ctrl ? camera.angleZ : camera.angleY) += across;
    camera.angleX += down;
    if (lockLight) {
        (ctrl ? camera.lightC : camera.lightA) += across;
        camera.lightB += down;
    }
    scene.lastMouseX = x;
    scene.lastMouseY = y;
    return ctrl ? kCursorZAxis : kCursorRotate;
}

void ZoomDynamicDrag(Scene& scene, const DragSnapshot& snapshot, int y)
{
    const int d = snapshot.lastMouseY - y;
    float factor = 1.0f;
    if (d > 0)
        factor = 1.0f + 0.005f * static_cast<float>(d);
    else if (d < 0)
        factor = 1.0f / (static_cast<float>(200 - d) * 0.005f);
    scene.camera.scale = factor * snapshot.camera.scale;
}

void PanDrag(Scene& scene, int x, int y)
{
    Camera& camera = scene.camera;
    camera.panX += static_cast<float>(x - scene.lastMouseX) / camera.scale;
    camera.panY += static_cast<float>(y - scene.lastMouseY) / camera.scale;
    scene.lastMouseX = x;
    scene.lastMouseY = y;
}

void MoveLightsDrag(Scene& scene, int x, int y)
{
    scene.camera.lightA += x - scene.lastMouseX;
    scene.camera.lightB += y - scene.lastMouseY;
    scene.lastMouseX = x;
    scene.lastMouseY = y;
}

void ZoomRegionFinish(Scene& scene, const DragSnapshot& snapshot, int x, int y)
{
    const int x0 = snapshot.lastMouseX, y0 = snapshot.lastMouseY;
    const auto w = static_cast<float>(std::abs(x - x0)), h = static_cast<float>(std::abs(y - y0));
    if (w == 0.0f || h == 0.0f)
        return;
    Camera& camera = scene.camera;
    const auto width = static_cast<float>(scene.viewWidth), height = static_cast<float>(scene.viewHeight);
    const auto minX = static_cast<float>(std::min(x0, x)), minY = static_cast<float>(std::min(y0, y));
    camera.panX += std::trunc((width / 2.0f - (minX + w * 0.5f)) / camera.scale);
    camera.panY += std::trunc((height / 2.0f - (minY + h * 0.5f)) / camera.scale);
    camera.scale *= std::min(width / w, height / h);
}

void ArrowKeyTurn(Camera& camera, ArrowKey key, bool ctrl)
{
    switch (key) {
    case ArrowKey::Left: (ctrl ? camera.angleZ : camera.angleY) += 10; break;
    case ArrowKey::Right: (ctrl ? camera.angleZ : camera.angleY) -= 10; break;
    case ArrowKey::Up: camera.angleX += 10; break;
    case ArrowKey::Down: camera.angleX -= 10; break;
    }
}

void RunRotationBenchmark(Scene& scene, const std::function<void()>& renderFrame, UserInteraction& ui,
                          const std::function<std::chrono::steady_clock::time_point()>& now)
{
    ui.Tell("Starting");
    const auto start = now();
    for (int i = 0; i < 100; ++i) {
        scene.camera.angleY = i;
        renderFrame();
    }
    const auto s = static_cast<int>(std::chrono::duration_cast<std::chrono::seconds>(now() - start).count());
    char text[96];
    std::snprintf(text, sizeof text, "Time Elapsed after %d iterations (mm:ss):-  %d:%d", 100, s / 60 - (s / 3600) * 60, s % 60);
    ui.Tell(text);
}

} // namespace gessoria
