#pragma once
// The bitmap paint (5000) and what texture stamping shares with it.
//
// A bitmap paint lays its images instead of a brush head: each dab stamps one tile of them
// (in dab order or at random), wrapped around the texture edges. The key image is the first
// used one of colour, bump, self illum, opacity and shininess; it sizes the stamp. Coverage
// is 256, or the alpha image's pixel, and 0 where the key image shows the colour of its
// first pixel when "alpha from top left" is set. Each used map type is painted as the
// ordinary paint does, toward the image's pixel.

#include "paint/Dab.h"
#include "paint/TexelRules.h"
#include "scene/Material.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>

namespace gessoria {

// The order a stamp writes the map types in.
constexpr MapType kStampOrder[] = {MapType::Colour, MapType::SelfIllum, MapType::Bump, MapType::Shininess, MapType::Opacity};

// The images a dab reads, each with the map type it paints.
struct BitmapStamp {
    std::array<const CDIB*, kBitmapPaintImageCount> images{};  // by BitmapPaintImage; null when unused or absent
    const CDIB* key = nullptr;
    bool keyed = false;
    std::array<std::uint8_t, 3> keyValue{};

    // The used images of a paint whose images are loaded; nothing when no image of the five
    // map types is used.
    static std::optional<BitmapStamp> Of(const Paint& paint);
};

constexpr const char* kImagesNotLoaded =
    "Images for paint haven't loaded.  Try deselecting this paint,  and re-selecting";
constexpr const char* kNoBitmapPaintMaps =
    "At least one of Colour, Bump, Self Illum, Opacity, or Shininess maps must exist in the bitmap paint.\nCheck path "
    "settings for bitmaps in paint editor";

// The two refusals, in order, or nothing.
std::optional<std::string> BitmapPaintRefusal(const Paint& paint);

// The image of a map type (BitmapPaintImage), or -1 for none.
int ImageForMapType(MapType type);

// One texel of a stamp: coverage from the alpha image and the key colour, then every used
// map type whose layer is selected (and `allowed`, by storage index) painted toward its
// image's pixel by weightOf(coverage), as the ordinary paint lays a value. pixelAt(image)
// gives the pixel of an image (a CDIB of the stamp) for this texel.
template <typename PixelAt, typename WeightOf>
void StampTexel(Material& material, const WashGate& gate, const BitmapStamp& stamp,
                const std::array<bool, kMapTypeCount>& allowed, int row, int column, PixelAt pixelAt, WeightOf weightOf)
{
    int coverage = 256;
    if (const CDIB* alpha = stamp.images[kImageAlpha])
        coverage = *pixelAt(*alpha);
    if (stamp.keyed) {
        const std::uint8_t* key = pixelAt(*stamp.key);
        if (std::equal(key, key + stamp.key->bytesPerPixel(), stamp.keyValue.begin()))
            coverage = 0;
    }
    const int weight = weightOf(coverage);
    if (weight == 0 || !gate.Passes(row, column))
        return;
    for (const MapType type : kStampOrder) {
        const CDIB* image = stamp.images[static_cast<std::size_t>(ImageForMapType(type))];
        const int k = material.current(type);
        LayerStack& stack = material.stack(type);
        if (image == nullptr || !allowed[static_cast<std::size_t>(StorageIndex(type))] || k < 1 || k >= stack.count())
            continue;
        Layer& layer = stack[k];
        std::uint8_t& alpha = layer.alpha.row(row)[column];
        const bool untouched = alpha == 0;
        AccumulateAlpha(alpha, weight);
        const int bytes = IsColourType(type) ? 3 : 1;
        std::uint8_t* value = layer.image.row(row) + column * bytes;
        const std::uint8_t* pixel = pixelAt(*image);
        for (int b = 0; b < bytes; ++b)
            value[b] = LaidValue(value[b], pixel[b], weight, untouched);
    }
}

// Where a bitmap paint's dab falls: rows x columns texels from (top, left), which may run
// past the map edges and wrap; nothing when the stamp has no size.
struct BitmapFootprint {
    int top = 0, left = 0, rows = 0, columns = 0;
    int tileColumn = 0, tileRow = 0;
    int scaledWidth = 0, scaledHeight = 0;  // Ws, Hs: the key image's size times the scale
};
std::optional<BitmapFootprint> BitmapFootprintOf(const Paint& paint, const BitmapStamp& stamp, float scale, int dabNumber,
                                                 DabCentre centre, PaintRandom& random);

// The footprint alone (the brush's dab limit applies): the changed rectangle, which may run
// past the map edges, or nothing.
std::optional<TexelRect> LayBitmapFootprint(Material& material, const PaintingContext& context, int dabNumber,
                                            DabCentre centre);

// The whole dab: refusals, undo record of the wrapped stamp, footprint, composite, redraw.
ScreenRect BitmapPaintDab(const Painter& painter, int dabNumber, DabCentre centre, std::int32_t materialIndex);

// The composite and redraw of a rectangle that may run past the map edges, in up to four
// pieces inside the map.
ScreenRect FinishWrapped(const Painter& painter, std::int32_t materialIndex, const TexelRect& changed);

} // namespace gessoria
