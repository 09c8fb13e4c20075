#include "paint/TextTool.h"

#include "scene/Scene.h"
#include "scene/UserInteraction.h"

#include <algorithm>
#include <cstdio>

namespace gessoria {

std::string FontDescription(const std::string& face, double points, int weight, bool italic)
{
    char size[64];
    std::snprintf(size, sizeof size, "  %.2f point  ", points);
    return face + size + (weight > 699 ? "bold  " : "") + (italic ? "italic" : "");
}

std::optional<Floater> MakeTextFloater(const std::string& text, const TextFont& font)
{
    const auto raster = RasteriseText(text, font);
    Floater floater;
    if (!raster || !floater.Create(raster->width, raster->height))
        return std::nullopt;
    CDIB& colour = floater.value(MapType::Colour);
    CDIB& alpha = floater.alpha(MapType::Colour);
    const std::size_t stride = colour.stride();
    for (int y = 0; y < floater.height; ++y) {
        // Upside down: the text's bottom row becomes row 0.
        const std::uint8_t* in = raster->rows.data() + static_cast<std::size_t>(floater.height - 1 - y) * stride;
        std::copy_n(in, stride, colour.row(y));
        for (int x = 0; x < floater.width; ++x)
            alpha.row(y)[x] = static_cast<std::uint8_t>((in[3 * x] + in[3 * x + 1] + in[3 * x + 2]) / 3);
    }
    floater.carries[static_cast<std::size_t>(FloaterSlot(MapType::Colour))] = 1;
    floater.present = 1;
    floater.fromText = true;
    return floater;
}

std::optional<Floater> CreateText(Scene& scene, const std::string& text, const TextFont& font, UserInteraction& ui)
{
    auto floater = MakeTextFloater(text, font);
    if (!floater)
        return std::nullopt;
    ui.RaiseWarning(kTextPlacementWarning);
    scene.paintTool = PaintTool::Selection;
    return floater;
}

} // namespace gessoria
