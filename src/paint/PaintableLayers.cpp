#include "paint/PaintableLayers.h"

#include "paint/Paint.h"
#include "scene/Material.h"
#include "scene/UserInteraction.h"

namespace gessoria {

std::string PaintableLayerWarning(const Material& material, const Paint& paint)
{
    struct Named {
        MapType type;
        int Paint::*enabled;
        const char* name;
    };
    static constexpr Named kOrder[] = {{MapType::Bump, &Paint::bumpMap, "Bump "},
                                       {MapType::SelfIllum, &Paint::selfIllumMap, "Self Illumination "},
                                       {MapType::Opacity, &Paint::opacityMap, "Opacity "},
                                       {MapType::Shininess, &Paint::shininessMap, "Shininess "},
                                       {MapType::Colour, &Paint::colourMap, "Colour "}};
    std::string missing;
    for (const Named& n : kOrder)
        if (paint.*n.enabled && material.current(n.type) < 1)
            missing += n.name;
    return missing.empty() ? std::string() : std::string(kNoPaintableLayer) + missing;
}

void CheckPaintableLayers(const Material& material, const Paint& paint, UserInteraction& ui)
{
    const std::string warning = PaintableLayerWarning(material, paint);
    if (!warning.empty())
        ui.RaiseWarning(warning);
}

} // namespace gessoria
