#pragma once
// Lighting: one ambient term and one directional spot light, both 16.16 intensities.
//
// The light's direction comes from the camera's light angles A and B; light C only turns the
// frame the bump shading works in. FaceIntensity is the rule every render level uses:
// I = ambient + trunc(diffuse x (n . L)) for a surface facing the light, ambient alone
// otherwise, or ambient + |d| for both sides with DualLight.

#include "scene/Camera.h"

#include <cstdint>

namespace gessoria {

struct LightingSettings {
    std::int32_t ambientLevel = 12288;
    std::int32_t diffuseLevel = 53248;
    bool dualLight = false;
    bool lockLight = false;
    bool autoUpdate = false;
    std::uint8_t backgroundColour = 144;
};

struct LightVector {
    float x, y, z;
};

// L = (sin A, cos A sin B, cos A cos B), angles converted by x 0.0061359378.
LightVector LightDirection(const Camera& camera);

// The light's sines and cosines for one frame.
struct LightFrame {
    float sinA, cosA, sinB, cosB, sinC, cosC;
    explicit LightFrame(const Camera& camera);
};

// The intensity for a diffuse term d already computed. Inline, like FaceIntensity: the
// renderer asks for it per corner of every face and per pixel of the bumped level.
inline std::int32_t IntensityFromDiffuse(std::int32_t d, const LightingSettings& settings)
{
    if (settings.dualLight)
        return settings.ambientLevel + (d < 0 ? -d : d);
    return d >= 0 ? settings.ambientLevel + d : settings.ambientLevel;
}

// 16.16 intensity for a unit normal.
inline std::int32_t FaceIntensity(float nx, float ny, float nz, const LightFrame& light, const LightingSettings& settings)
{
    const float dot = nx * light.sinA + (ny * light.sinB + nz * light.cosB) * light.cosA;
    const auto d = static_cast<std::int32_t>(static_cast<float>(settings.diffuseLevel) * dot);
    return IntensityFromDiffuse(d, settings);
}

// The lighting controls page's sliders. Moving one slider keeps the two strengths within
// 65536 together; the strengths and the backdrop reach the view only through Apply (at
// once while Auto-Update is on).
class LightingPage {
public:
    explicit LightingPage(const LightingSettings& settings);

    int ambient() const { return ambient_; }
    int spot() const { return spot_; }
    int backdrop() const { return backdrop_; }

    // Each returns true when the settings were applied (Auto-Update): redraw the view.
    bool MoveSpot(int value, LightingSettings& settings);
    bool MoveAmbient(int value, LightingSettings& settings);
    bool MoveBackdrop(int value, LightingSettings& settings);
    bool FullAmbient(LightingSettings& settings);
    bool FullSpot(LightingSettings& settings);
    bool Mix(LightingSettings& settings);
    // "Apply To Scene".
    void Apply(LightingSettings& settings) const;

private:
    bool Changed(LightingSettings& settings) const;

    int ambient_;
    int spot_;
    int backdrop_;
};

} // namespace gessoria
