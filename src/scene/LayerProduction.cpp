#include "scene/LayerProduction.h"

#include "scene/Material.h"
#include "scene/Scene.h"

#include <stb_image_resize.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace gessoria {
namespace {

int ClampDimension(int value)
{
    return std::clamp(std::abs(value), 1, CDIB::kMaxDimension);
}

void CopyRowSpan(const CDIB& map, int mapY, int mapX0, CDIB& target, int y, int x0, int count)
{
    std::memcpy(target.row(y) + x0 * 3, map.row(mapY) + mapX0 * 3, static_cast<std::size_t>(count) * 3);
}

void DrawScaled(const CDIB& map, CDIB& target)
{
    if (map.width() == target.width() && map.height() == target.height()) {
        target.CopyPixelsFrom(map);
        return;
    }
    stbir_resize_uint8(map.row(0), map.width(), map.height(), static_cast<int>(map.stride()), target.row(0),
                       target.width(), target.height(), static_cast<int>(target.stride()), 3);
}

void DrawTiled(const CDIB& map, CDIB& target)
{
    for (int y = 0; y < target.height(); ++y) {
        const int mapY = y % map.height();
        for (int x = 0; x < target.width(); x += map.width())
            CopyRowSpan(map, mapY, 0, target, y, x, std::min(map.width(), target.width() - x));
    }
}

void DrawDecal(const CDIB& map, CDIB& target)
{
    const int offsetX = target.width() / 2 - map.width() / 2;
    const int offsetY = target.height() / 2 - map.height() / 2;
    const int x0 = std::max(offsetX, 0), x1 = std::min(offsetX + map.width(), target.width());
    if (x0 >= x1)
        return;
    for (int y = std::max(offsetY, 0); y < std::min(offsetY + map.height(), target.height()); ++y)
        CopyRowSpan(map, y - offsetY, x0 - offsetX, target, y, x0, x1 - x0);
}

struct ProductionPlan {
    bool generated = false;  // no bitmap: the Base Layer is made from the diffuse colour
    int width = 0;
    int height = 0;
    std::array<MapFitting, kMapTypeCount> fitting{};
};

enum class PlanOutcome { Layers, ColourOnly, Cancelled };

PlanOutcome AskForGeneratedBitmap(const Material& material, ProductionPlan& plan, UserInteraction& ui)
{
    const auto answer = ui.AskBitmapTexture({material.name, 300, 300});
    if (!answer)
        return PlanOutcome::Cancelled;
    if (answer->choice == BitmapTextureChoice::UseDiffuseForRendering)
        return PlanOutcome::ColourOnly;
    plan.generated = true;
    plan.width = ClampDimension(answer->x);
    plan.height = ClampDimension(answer->y);
    return PlanOutcome::Layers;
}

PlanOutcome PlanMaterial(Material& material, ProductionPlan& plan, UserInteraction& ui)
{
    bool anyLoaded = false;
    TextureMapSizeRequest request{material.name, {}, 0, 0};
    for (int slot = 0; slot < kMapSlotCount; ++slot) {
        const MapRef& map = material.mapSlots[static_cast<std::size_t>(slot)].map;
        const MapRef& mask = material.mapSlots[static_cast<std::size_t>(slot)].mask;
        anyLoaded = anyLoaded || map.loaded || mask.loaded;
        if (map.loaded && map.bitmap && map.bitmap->created())
            request.maps.push_back({slot, map.fileName, map.bitmap->width(), map.bitmap->height()});
    }
    if (!anyLoaded)
        return AskForGeneratedBitmap(material, plan, ui);
    // Only masks were found: there is no map to take a size from, so the material is
    // treated as one without a bitmap instead of making layers of no size.
    if (request.maps.empty())
        return AskForGeneratedBitmap(material, plan, ui);

    bool sizesDiffer = false;
    for (const auto& map : request.maps) {
        request.x = std::max(request.x, map.width);
        request.y = std::max(request.y, map.height);
        sizesDiffer = sizesDiffer || map.width != request.maps.front().width || map.height != request.maps.front().height;
    }
    plan.width = request.x;
    plan.height = request.y;
    plan.fitting.fill(MapFitting::Scale);
    if (sizesDiffer) {
        const auto answer = ui.AskTextureMapSize(request);
        if (!answer)
            return PlanOutcome::Cancelled;
        plan.width = ClampDimension(answer->x);
        plan.height = ClampDimension(answer->y);
        plan.fitting = answer->fitting;
    }
    return PlanOutcome::Layers;
}

bool AddLayer(LayerStack& stack, MapType type, int width, int height, std::string_view name, bool withAlpha)
{
    Layer layer;
    const bool made = IsColourType(type) ? layer.image.Create24(width, height) : layer.image.Create8(width, height);
    if (!made || (withAlpha && !layer.alpha.Create8(width, height)))
        return false;
    if (withAlpha)
        layer.alpha.Fill(255);
    layer.name = name;
    stack.layers.push_back(std::move(layer));
    return true;
}

bool BuildColourStack(Material& material, const ProductionPlan& plan)
{
    LayerStack& stack = material.stack(MapType::Colour);
    if (!AddLayer(stack, MapType::Colour, plan.width, plan.height, kRendererLayerName, false))
        return false;
    const MapRef& map = material.mapSlots[kSlotTexture1].map;
    const auto blue = static_cast<std::uint8_t>(material.colour & 0xFF);
    const auto green = static_cast<std::uint8_t>((material.colour >> 8) & 0xFF);
    const auto red = static_cast<std::uint8_t>((material.colour >> 16) & 0xFF);
    if (plan.generated) {
        if (!AddLayer(stack, MapType::Colour, plan.width, plan.height, kGeneratedBaseLayerName, true))
            return false;
        stack[0].image.Fill24(blue, green, red);
        stack[1].image.Fill24(blue, green, red);
        material.setCurrent(MapType::Colour, 1);
    } else if (map.loaded && map.bitmap && map.bitmap->created()) {
        if (!AddLayer(stack, MapType::Colour, plan.width, plan.height, BaseLayerName(MapType::Colour), true))
            return false;
        DrawFitted(*map.bitmap, stack[0].image, plan.fitting[StorageIndex(MapType::Colour)]);
        stack[1].image.CopyPixelsFrom(stack[0].image);
        material.setCurrent(MapType::Colour, 1);
    } else {
        stack[0].image.Fill(RendererFill(MapType::Colour));
    }
    return true;
}

bool BuildGreyStack(Material& material, MapType type, const ProductionPlan& plan)
{
    LayerStack& stack = material.stack(type);
    if (!AddLayer(stack, type, plan.width, plan.height, kRendererLayerName, false))
        return false;
    const MapRef& map = material.mapSlots[static_cast<std::size_t>(SlotForMapType(type))].map;
    if (!(map.loaded && map.bitmap && map.bitmap->created())) {
        stack[0].image.Fill(RendererFill(type));
        return true;
    }
    CDIB scratch;
    if (!scratch.Create24(plan.width, plan.height) ||
        !AddLayer(stack, type, plan.width, plan.height, BaseLayerName(type), true))
        return false;
    DrawFitted(*map.bitmap, scratch, plan.fitting[StorageIndex(type)]);
    CDIB& grey = stack[0].image;
    for (int y = 0; y < plan.height; ++y) {
        const std::uint8_t* in = scratch.row(y);
        std::uint8_t* out = grey.row(y);
        for (int x = 0; x < plan.width; ++x, in += 3)
            out[x] = static_cast<std::uint8_t>((in[0] + in[1] + in[2]) / 3);
    }
    stack[1].image.CopyPixelsFrom(grey);
    material.setCurrent(type, 1);
    return true;
}

void ReleaseMapBitmaps(Material& material)
{
    for (auto& slot : material.mapSlots) {
        slot.map.ReleaseBitmap();
        slot.mask.ReleaseBitmap();
    }
}

} // namespace

void DrawFitted(const CDIB& map, CDIB& target, MapFitting fitting)
{
    // Grey maps (a modelling host sends its single-channel maps as such) are drawn as the
    // grey colour they stand for.
    if (map.created() && map.bitCount() == 8) {
        CDIB colour;
        if (!colour.Create24(map.width(), map.height()))
            return;
        for (int y = 0; y < map.height(); ++y) {
            const std::uint8_t* in = map.row(y);
            std::uint8_t* out = colour.row(y);
            for (int x = 0; x < map.width(); ++x, out += 3)
                out[0] = out[1] = out[2] = in[x];
        }
        DrawFitted(colour, target, fitting);
        return;
    }
    if (!map.created() || !target.created() || map.bitCount() != 24 || target.bitCount() != 24)
        return;
    switch (fitting) {
    case MapFitting::Scale: DrawScaled(map, target); break;
    case MapFitting::Tile: DrawTiled(map, target); break;
    case MapFitting::Decal: DrawDecal(map, target); break;
    }
}

int ProduceLayers(Scene& scene, UserInteraction& ui)
{
    ui.SetStatusText("Producing paint layers...");
    for (int i = 1; i <= scene.materialCount; ++i) {
        Material& material = scene.materials[static_cast<std::size_t>(i)];
        for (auto& stack : material.stacks)
            stack.Clear();
        material.hasLayers = 0;

        ProductionPlan plan;
        const PlanOutcome outcome = PlanMaterial(material, plan, ui);
        if (outcome == PlanOutcome::Cancelled)
            return kProductionCancelled;
        if (outcome == PlanOutcome::Layers) {
            material.currentLayer.fill(0);
            material.mapWidth = plan.width;
            material.mapHeight = plan.height;
            bool built = BuildColourStack(material, plan);
            for (const MapType type : {MapType::Bump, MapType::SelfIllum, MapType::Opacity, MapType::Shininess})
                built = built && BuildGreyStack(material, type, plan);
            // Out of memory for a layer: the material is drawn with its colour rather than
            // left with a half-built stack.
            if (built) {
                material.hasLayers = 1;
            } else {
                for (auto& stack : material.stacks)
                    stack.Clear();
                material.currentLayer.fill(0);
            }
        }
        ReleaseMapBitmaps(material);
    }
    return 0;
}

} // namespace gessoria
