#pragma once
// The paintable-layer check made when a Brush stroke or a fill starts: the map types the
// current paint writes whose current layer in the material is the Renderer Layer (no paint
// layer selected), named in the order Bump, Self Illumination, Opacity, Shininess, Colour
// after the warning's text. The stroke goes on regardless; the warning only tells the user
// why some map types stay unpainted.

#include <string>

namespace gessoria {

struct Material;
struct Paint;
class UserInteraction;

inline constexpr const char* kNoPaintableLayer =
    "Your Material does not have a currently selected paintable layer for\nthe following Map Types that your paint "
    "is trying to paint, add layers\nin order to paint these Map types:\n\t";

// The warning's whole text, or empty when every map type the paint writes has a layer.
std::string PaintableLayerWarning(const Material& material, const Paint& paint);
// Raises that warning in the Warning Window when there is one.
void CheckPaintableLayers(const Material& material, const Paint& paint, UserInteraction& ui);

} // namespace gessoria
