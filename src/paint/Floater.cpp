#include "paint/Floater.h"

#include "scene/Material.h"
#include "scene/TexelCoordinates.h"

#include <algorithm>

namespace gessoria {
namespace {

// A layer texel with a floater pixel laid on it: its alpha grows by the floater's coverage K,
// its value takes F outright where the layer was transparent, else moves toward F by K / 256
// (an arithmetic, flooring shift).
inline int LaidAlpha(int a, int k) { return a + (((255 - a) * k) >> 8); }
inline int LaidValue(int a, int value, int f, int k) { return a == 0 ? f : value + (((f - value) * k) >> 8); }

// The layer a floater lays a map type into, or null when the type is not carried or its
// selected layer is the Renderer Layer (or gone).
Layer* TargetLayer(const Floater& floater, Material& material, MapType type)
{
    const int k = material.current(type);
    if (!floater.Carries(type) || k < 1 || k >= material.stack(type).count())
        return nullptr;
    return &material.stack(type)[k];
}

// One composite texel of a stack where the current layer may carry a floater pixel: the
// stack's start value, then each layer weighted by its alpha. `plusOne` selects the
// compositing rule (alpha + 1) instead of the drop's rule (alpha itself).
void CompositeTexel(const LayerStack& stack, MapType type, int x, int y, int current, const std::uint8_t* floaterValue,
                    int floaterAlpha, bool plusOne, std::uint8_t* out)
{
    const int channels = IsColourType(type) ? 3 : 1;
    for (int c = 0; c < channels; ++c) {
        int v = CompositeStart(type);
        for (int i = 1; i < stack.count(); ++i) {
            int a = stack[i].alpha.row(y)[x];
            int value = stack[i].image.row(y)[x * channels + c];
            if (i == current && floaterValue != nullptr) {
                value = LaidValue(a, value, floaterValue[c], floaterAlpha);
                a = LaidAlpha(a, floaterAlpha);
            }
            v += ((value - v) * (plusOne ? a + 1 : a)) >> 8;
        }
        out[x * channels + c] = static_cast<std::uint8_t>(v);
    }
}

} // namespace

bool Floater::Create(int newWidth, int newHeight)
{
    bool made = true;
    for (int k = 0; k < kMapTypeCount; ++k) {
        auto& image = values[static_cast<std::size_t>(k)];
        made = made && (k == 0 ? image.Create24(newWidth, newHeight) : image.Create8(newWidth, newHeight));
        made = made && alphas[static_cast<std::size_t>(k)].Create8(newWidth, newHeight);
    }
    if (!made) {
        for (int k = 0; k < kMapTypeCount; ++k) {
            values[static_cast<std::size_t>(k)].Destroy();
            alphas[static_cast<std::size_t>(k)].Destroy();
        }
        width = height = 0;
        return false;
    }
    width = newWidth;
    height = newHeight;
    carries.fill(0);
    fromText = false;
    return true;
}

TexelRect SelectedTexels(const Material& material, std::int32_t u0, std::int32_t v0, std::int32_t u1, std::int32_t v1)
{
    const int x0 = TexelOf(u0, material.mapWidth), x1 = TexelOf(u1, material.mapWidth);
    const int y0 = TexelOf(v0, material.mapHeight), y1 = TexelOf(v1, material.mapHeight);
    return {std::min(x0, x1), std::max(x0, x1), std::min(y0, y1), std::max(y0, y1)};
}

bool LiftIntoFloater(Floater& floater, const Material& material, std::int32_t materialIndex, const TexelRect& texels)
{
    if (!material.hasLayers || texels.x0 < 0 || texels.y0 < 0 || texels.x1 >= material.mapWidth ||
        texels.y1 >= material.mapHeight || !floater.Create(texels.x1 - texels.x0 + 1, texels.y1 - texels.y0 + 1))
        return false;
    floater.left = texels.x0;
    floater.top = texels.y0;
    floater.materialIndex = materialIndex;
    floater.state = Floater::kLifted;
    floater.present = 1;
    for (const MapType type : kFloaterOrder) {
        const int k = material.current(type);
        if (k < 1 || k >= material.stack(type).count())
            continue;
        const Layer& layer = material.stack(type)[k];
        CDIB& value = floater.value(type);
        CDIB& alpha = floater.alpha(type);
        const int bytes = value.bytesPerPixel();
        for (int y = 0; y < floater.height; ++y) {
            std::copy_n(layer.image.row(texels.y0 + y) + texels.x0 * bytes, floater.width * bytes, value.row(y));
            std::copy_n(layer.alpha.row(texels.y0 + y) + texels.x0, floater.width, alpha.row(y));
        }
        floater.carries[static_cast<std::size_t>(FloaterSlot(type))] = 1;
    }
    return true;
}

void EraseUnderFloater(const Floater& floater, Material& material, std::uint32_t background)
{
    const std::uint8_t backgroundBgr[3] = {static_cast<std::uint8_t>(background >> 16), static_cast<std::uint8_t>(background >> 8),
                                           static_cast<std::uint8_t>(background)};
    for (const MapType type : kFloaterOrder) {
        const int k = material.current(type);
        if (!floater.Carries(type) || k < 1 || k >= material.stack(type).count())
            continue;
        Layer& layer = material.stack(type)[k];
        const int bytes = layer.image.bytesPerPixel();
        const std::uint8_t clean = type == MapType::Bump ? 128 : 0;
        for (int r = floater.top; r < floater.top + floater.height; ++r) {
            const int y = WrapTexel(r, material.mapHeight);
            for (int c = floater.left; c < floater.left + floater.width; ++c) {
                const int x = WrapTexel(c, material.mapWidth);
                if (k >= 2) {
                    layer.alpha.row(y)[x] = 0;
                    continue;
                }
                std::uint8_t* texel = layer.image.row(y) + x * bytes;
                for (int b = 0; b < bytes; ++b)
                    texel[b] = bytes == 3 ? backgroundBgr[b] : clean;
            }
        }
    }
}

void CentreFloaterOn(Floater& floater, const Material& material, std::int32_t u, std::int32_t v)
{
    floater.left = TexelOf(u, material.mapWidth) - floater.width / 2;
    floater.top = TexelOf(v, material.mapHeight) - floater.height / 2;
}

void ShowFloaterPreview(const Floater& floater, Material& material)
{
    if (!material.hasLayers)
        return;
    const int rows = std::min(floater.height, material.mapHeight), columns = std::min(floater.width, material.mapWidth);
    for (const MapType type : kAllMapTypes) {
        LayerStack& stack = material.stack(type);
        if (stack.count() == 0)
            continue;
        const bool laid = TargetLayer(floater, material, type) != nullptr;
        const int current = laid ? material.current(type) : -1;
        const CDIB& value = floater.value(type);
        const CDIB& alpha = floater.alpha(type);
        const int bytes = value.bytesPerPixel();
        // A floater larger than the map shows, on each texel, its last pixel there, as the drop leaves it.
        for (int dy = floater.height - rows; dy < floater.height; ++dy) {
            const int y = WrapTexel(floater.top + dy, material.mapHeight);
            std::uint8_t* out = stack[0].image.row(y);
            for (int dx = floater.width - columns; dx < floater.width; ++dx) {
                const int x = WrapTexel(floater.left + dx, material.mapWidth);
                CompositeTexel(stack, type, x, y, current, laid ? value.row(dy) + dx * bytes : nullptr,
                               laid ? alpha.row(dy)[dx] : 0, !laid, out);
            }
        }
    }
}

TexelRect LayFloater(const Floater& floater, Material& material)
{
    const TexelRect rect = floater.Rect();
    const TexelRect grown{rect.x0 - 1, rect.x1 + 1, rect.y0 - 1, rect.y1 + 1};
    if (!material.hasLayers)
        return grown;
    // The layers a floater lays into, fixed for the whole drop, in the floater order.
    std::array<Layer*, kMapTypeCount> targets{};
    for (int k = 0; k < kMapTypeCount; ++k)
        targets[static_cast<std::size_t>(k)] = TargetLayer(floater, material, kFloaterOrder[static_cast<std::size_t>(k)]);
    for (int r = floater.top; r < floater.top + floater.height; ++r) {
        const int y = WrapTexel(r, material.mapHeight);
        const int fy = r - floater.top;
        for (int c = floater.left; c < floater.left + floater.width; ++c) {
            const int x = WrapTexel(c, material.mapWidth);
            const int fx = c - floater.left;
            for (int slot = 0; slot < kMapTypeCount; ++slot) {
                Layer* layer = targets[static_cast<std::size_t>(slot)];
                if (layer == nullptr)
                    continue;
                const MapType type = kFloaterOrder[static_cast<std::size_t>(slot)];
                const int k = floater.alphas[static_cast<std::size_t>(slot)].row(fy)[fx];
                const int bytes = layer->image.bytesPerPixel();
                const std::uint8_t* f = floater.values[static_cast<std::size_t>(slot)].row(fy) + fx * bytes;
                std::uint8_t* texel = layer->image.row(y) + x * bytes;
                std::uint8_t& a = layer->alpha.row(y)[x];
                for (int b = 0; b < bytes; ++b)
                    texel[b] = static_cast<std::uint8_t>(LaidValue(a, texel[b], f[b], k));
                a = static_cast<std::uint8_t>(LaidAlpha(a, k));
                LayerStack& stack = material.stack(type);
                CompositeTexel(stack, type, x, y, -1, nullptr, 0, false, stack[0].image.row(y));
            }
        }
    }
    return grown;
}

} // namespace gessoria
