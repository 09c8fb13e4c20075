#pragma once
// PickFace: the face under a point of the main view and the texture coordinates there.
//
// Only faces the last frame drew with a textured material can be hit, and frozen objects
// are passed over. Faces are first rejected by their integer screen box and depths, then
// tested in single precision; the nearest wins, a later face at equal depth winning the
// tie. u and v are interpolated linearly on screen and truncated to 16.16, after the
// seam repair for faces marked as wrapping.

#include <cstdint>

namespace gessoria {

struct Scene;

struct PickResult {
    std::int32_t face = -1;  // -1: nothing under the point
    std::int32_t u = 0;
    std::int32_t v = 0;
};

// Refreshes the scene's screen index when a new frame was rendered since it was built.
PickResult PickFace(Scene& scene, int x, int y);

} // namespace gessoria
