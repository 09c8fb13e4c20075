#include "view3d/Lighting.h"

#include "view3d/Projection.h"

#include <algorithm>

namespace gessoria {

LightVector LightDirection(const Camera& camera)
{
    const LightFrame light(camera);
    return {light.sinA, static_cast<float>(static_cast<double>(light.cosA) * light.sinB),
            static_cast<float>(static_cast<double>(light.cosA) * light.cosB)};
}

LightFrame::LightFrame(const Camera& camera)
{
    const double a = ShadingRadians(camera.lightA), b = ShadingRadians(camera.lightB), c = ShadingRadians(camera.lightC);
    sinA = RoundedSine(a);
    cosA = RoundedCosine(a);
    sinB = RoundedSine(b);
    cosB = RoundedCosine(b);
    sinC = RoundedSine(c);
    cosC = RoundedCosine(c);
}

LightingPage::LightingPage(const LightingSettings& settings)
    : ambient_(settings.ambientLevel), spot_(settings.diffuseLevel), backdrop_(settings.backgroundColour)
{
}

bool LightingPage::Changed(LightingSettings& settings) const
{
    if (!settings.autoUpdate)
        return false;
    Apply(settings);
    return true;
}

bool LightingPage::MoveSpot(int value, LightingSettings& settings)
{
    spot_ = std::clamp(value, 0, 65535);
    if (spot_ + ambient_ > 65535)
        ambient_ = 65536 - spot_;
    return Changed(settings);
}

bool LightingPage::MoveAmbient(int value, LightingSettings& settings)
{
    ambient_ = std::clamp(value, 0, 65535);
    if (spot_ + ambient_ > 65535)
        spot_ = 65536 - ambient_;
    return Changed(settings);
}

bool LightingPage::MoveBackdrop(int value, LightingSettings& settings)
{
    backdrop_ = std::clamp(value, 0, 255);
    return Changed(settings);
}

bool LightingPage::FullAmbient(LightingSettings& settings)
{
    ambient_ = 65535;
    spot_ = 0;
    return Changed(settings);
}

bool LightingPage::FullSpot(LightingSettings& settings)
{
    ambient_ = 0;
    spot_ = 65535;
    return Changed(settings);
}

bool LightingPage::Mix(LightingSettings& settings)
{
    ambient_ = spot_ = 32767;
    return Changed(settings);
}

void LightingPage::Apply(LightingSettings& settings) const
{
    settings.ambientLevel = ambient_;
    settings.diffuseLevel = spot_;
    settings.backgroundColour = static_cast<std::uint8_t>(backdrop_);
}

} // namespace gessoria
