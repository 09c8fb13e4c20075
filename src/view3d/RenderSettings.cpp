#include "view3d/RenderSettings.h"

#include <algorithm>

namespace gessoria {

void ApplyRenderingOptions(const RenderingOptionsAnswer& answer, RenderSettings& settings, bool& dualLight,
                           std::uint8_t& wireAcceleration)
{
    settings.stillLevel = answer.staticLevel;
    settings.moveLevel = answer.moveLevel;
    settings.forceTwoSided = answer.renderTwoSided;
    dualLight = answer.lightBothSides;
    wireAcceleration = static_cast<std::uint8_t>(std::clamp(answer.acceleration, 1, 50));
    settings.currentLevel = settings.stillLevel;
}

} // namespace gessoria
