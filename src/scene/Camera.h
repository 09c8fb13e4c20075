#pragma once
// Camera: the main view's orthographic transform state.
//
// Angles are AngleUnits: 1024 to a full turn, only the low 10 bits are used. The three
// light angles live here because view bookmarks store them with the view. scale -1 means
// the view has not been fitted to the scene yet; depthScale is the scene's sceneScale.

#include <cstdint>

namespace gessoria {

struct Camera {
    std::int32_t angleX = 512;
    std::int32_t angleY = 0;
    std::int32_t angleZ = 0;
    std::int32_t lightB = 512;
    std::int32_t lightA = 512;
    std::int32_t lightC = 0;
    float panX = 0.0f;
    float panY = 0.0f;
    float scale = -1.0f;
    float depthScale = 0.0f;

    // Back to the values a fresh program starts with; the depth scale belongs to the scene.
    void Reset()
    {
        const float depth = depthScale;
        *this = Camera{};
        depthScale = depth;
    }
};

// "Light To Front": the light comes from the viewer's side (light B := angle X,
// light C := angle Z, light A := angle Y + 512).
inline void LightToFront(Camera& camera)
{
    camera.lightB = camera.angleX;
    camera.lightC = camera.angleZ;
    camera.lightA = camera.angleY + 512;
}

} // namespace gessoria
