#include "paint/BitmapPaint.h"

#include "scene/Scene.h"
#include "scene/UserInteraction.h"

#include <cmath>

namespace gessoria {
namespace {

// The images of the five map types in key order.
constexpr BitmapPaintImage kKeyOrder[] = {kImageColour, kImageBump, kImageSelfIllum, kImageOpacity, kImageShininess};

int Wrapped(int value, int size) { return ((value % size) + size) % size; }

} // namespace

int ImageForMapType(MapType type)
{
    switch (type) {
    case MapType::Colour: return kImageColour;
    case MapType::Bump: return kImageBump;
    case MapType::SelfIllum: return kImageSelfIllum;
    case MapType::Opacity: return kImageOpacity;
    case MapType::Shininess: return kImageShininess;
    }
    return -1;
}

std::optional<BitmapStamp> BitmapStamp::Of(const Paint& paint)
{
    BitmapStamp stamp;
    for (int i = 0; i < kBitmapPaintImageCount; ++i) {
        const auto& image = paint.images[static_cast<std::size_t>(i)];
        if (paint.useImage[static_cast<std::size_t>(i)] && image && image->created())
            stamp.images[static_cast<std::size_t>(i)] = image.get();
    }
    for (const BitmapPaintImage i : kKeyOrder)
        if (stamp.images[static_cast<std::size_t>(i)] != nullptr) {
            stamp.key = stamp.images[static_cast<std::size_t>(i)];
            break;
        }
    if (stamp.key == nullptr)
        return std::nullopt;
    if (paint.alphaFromTopLeft) {
        stamp.keyed = true;
        const auto bits = stamp.key->bits();
        std::copy_n(bits.begin(), stamp.key->bytesPerPixel(), stamp.keyValue.begin());
    }
    return stamp;
}

std::optional<std::string> BitmapPaintRefusal(const Paint& paint)
{
    if (!paint.imagesLoaded)
        return std::string(kImagesNotLoaded);
    // A used map type whose image is absent counts as unused, so a stamp always has a key image.
    if (!BitmapStamp::Of(paint))
        return std::string(kNoBitmapPaintMaps);
    return std::nullopt;
}

std::optional<BitmapFootprint> BitmapFootprintOf(const Paint& paint, const BitmapStamp& stamp, float scale, int dabNumber,
                                                 DabCentre centre, PaintRandom& random)
{
    const float s = scale == 0.0f ? 1.0f : scale;
    BitmapFootprint f;
    f.scaledWidth = static_cast<int>(static_cast<float>(stamp.key->width()) * s);
    f.scaledHeight = static_cast<int>(static_cast<float>(stamp.key->height()) * s);
    const int xTiling = std::max(paint.xTiling, 1), yTiling = std::max(paint.yTiling, 1);
    f.columns = f.scaledWidth / xTiling;
    f.rows = f.scaledHeight / yTiling;
    if (f.columns <= 0 || f.rows <= 0)
        return std::nullopt;
    const int tiles = xTiling * yTiling;
    const int index = paint.tileSequence == 0 ? (((dabNumber - 1) % tiles) + tiles) % tiles : random.Next() % tiles;
    f.tileColumn = index % xTiling;
    f.tileRow = yTiling - 1 - index / xTiling;
    f.top = centre.row - f.rows / 2;
    f.left = centre.column - f.columns / 2;
    return f;
}

std::optional<TexelRect> LayBitmapFootprint(Material& material, const PaintingContext& context, int dabNumber,
                                            DabCentre centre)
{
    const auto stamp = BitmapStamp::Of(context.paint);
    if (!stamp || !context.paint.imagesLoaded || !context.brush.AllowsDab(dabNumber) || !material.hasLayers)
        return std::nullopt;
    const auto f = BitmapFootprintOf(context.paint, *stamp, context.bitmapPaintScale, dabNumber, centre, context.random);
    if (!f)
        return std::nullopt;
    const int width = material.mapWidth, height = material.mapHeight;
    const int strength = ColourChannel(context.values.foreground, 3) + 1;
    const WashGate gate(material, context.paint);
    const std::array<bool, kMapTypeCount> all{true, true, true, true, true};
    for (int i = 0; i < f->rows; ++i) {
        const int row = Wrapped(f->top + i, height);
        const std::int64_t sourceRow = i + static_cast<std::int64_t>(f->rows) * f->tileRow;
        for (int j = 0; j < f->columns; ++j) {
            const int column = Wrapped(f->left + j, width);
            const std::int64_t sourceColumn = j + static_cast<std::int64_t>(f->columns) * f->tileColumn;
            const auto pixelAt = [&](const CDIB& image) {
                const auto x = static_cast<int>(sourceColumn * image.width() / f->scaledWidth);
                const auto y = static_cast<int>(sourceRow * image.height() / f->scaledHeight);
                return image.row(y) + x * image.bytesPerPixel();
            };
            StampTexel(material, gate, *stamp, all, row, column, pixelAt, [&](int coverage) { return strength * coverage; });
        }
    }
    return TexelRect{f->left, f->left + f->columns - 1, f->top, f->top + f->rows - 1};
}

ScreenRect FinishWrapped(const Painter& painter, std::int32_t materialIndex, const TexelRect& changed)
{
    const Material& material = painter.scene().materials[static_cast<std::size_t>(materialIndex)];
    const int width = material.mapWidth, height = material.mapHeight;
    // A rectangle wider than the map covers all of it once.
    TexelRect r = changed;
    if (r.x1 - r.x0 + 1 >= width)
        r.x0 = 0, r.x1 = width - 1;
    if (r.y1 - r.y0 + 1 >= height)
        r.y0 = 0, r.y1 = height - 1;
    const int shiftX = r.x0 >= 0 ? (r.x0 / width) * width : -((-r.x0 + width - 1) / width) * width;
    const int shiftY = r.y0 >= 0 ? (r.y0 / height) * height : -((-r.y0 + height - 1) / height) * height;
    r = {r.x0 - shiftX, r.x1 - shiftX, r.y0 - shiftY, r.y1 - shiftY};
    // Now x0 and y0 lie in the map; a run past the far edge continues from 0.
    const TexelRect columns[2] = {{r.x0, std::min(r.x1, width - 1), 0, 0}, {0, r.x1 - width, 0, 0}};
    const TexelRect rows[2] = {{0, 0, r.y0, std::min(r.y1, height - 1)}, {0, 0, 0, r.y1 - height}};
    ScreenRect repaint;
    for (const TexelRect& c : columns)
        for (const TexelRect& w : rows)
            if (c.x1 >= c.x0 && w.y1 >= w.y0)
                repaint = repaint.United(painter.Finish(materialIndex, {c.x0, c.x1, w.y0, w.y1}));
    return repaint;
}

ScreenRect BitmapPaintDab(const Painter& painter, int dabNumber, DabCentre centre, std::int32_t materialIndex)
{
    const PaintingContext& context = painter.context();
    if (const auto refusal = BitmapPaintRefusal(context.paint)) {
        if (painter.ui() != nullptr)
            painter.ui()->Tell(*refusal, MessageIcon::Warning);
        return {};
    }
    Material& material = painter.scene().materials[static_cast<std::size_t>(materialIndex)];
    if (!material.hasLayers)
        return {};
    // The record covers exactly the stamp's texels, wrapped as the stamp wraps. Its size is
    // worked out from the same random state the stamp will draw its tile from, so a copy is
    // used for the record.
    PaintRandom probe = context.random;
    if (const auto f = BitmapFootprintOf(context.paint, *BitmapStamp::Of(context.paint), context.bitmapPaintScale, dabNumber,
                                         centre, probe))
        painter.RecordForUndo(materialIndex, 0x1F, dabNumber, {f->left + f->columns / 2, f->top + f->rows / 2}, f->rows,
                              f->columns, true);
    const auto changed = LayBitmapFootprint(material, context, dabNumber, centre);
    return changed ? FinishWrapped(painter, materialIndex, *changed) : ScreenRect{};
}

} // namespace gessoria
