#pragma once
// Material: rendering settings, the bitmap references a scene file names, and the five
// layer stacks the user paints into.
//
// A Material starts without layers (hasLayers 0, every stack empty). Map slot bitmaps live
// only from loading until the layer stacks are produced; afterwards only the names and
// settings remain. Names are kept within their fields: 16 characters for the material,
// 12 for a bitmap file name.

#include "scene/CDIB.h"
#include "scene/LayerStack.h"
#include "scene/MapConversion.h"
#include "scene/MapType.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace gessoria {

// Tiling modes of a map reference.
enum class MapTiling : std::uint8_t { Tile = 1, Decal = 2, Both = 3 };

struct MapRef {
    static constexpr std::size_t kMaxFileName = 12;

    std::string fileName;  // empty: no map
    MapTiling tiling = MapTiling::Tile;
    std::uint8_t mirror = 0;
    std::uint8_t negative = 0;
    float uScale = 1.0f;
    float vScale = 1.0f;
    float uOffset = 0.0f;
    float vOffset = 0.0f;
    float rotation = 0.0f;
    std::uint8_t loaded = 0;
    std::unique_ptr<CDIB> bitmap;  // owned from loading until the layers are produced

    // Where a model file puts the image: a path already resolved against the model's own
    // directory, tried before the Map Paths; or the image's bytes when the model stores the
    // image inside itself. Scenes that only name a file leave both empty.
    std::string sourcePath;
    std::shared_ptr<const std::vector<std::uint8_t>> embeddedImage;
    // What the image holds when it is not the map type's own kind of value (a model's normal
    // or roughness map): the loaded bitmap is converted before it becomes a layer.
    MapConversion conversion = MapConversion::None;

    void ReleaseBitmap() { bitmap.reset(); }
};

struct MapSlot {
    MapRef map;
    MapRef mask;
};

// Map slots in the order a scene file names them.
enum MapSlotIndex : int {
    kSlotTexture1 = 0,      // Colour
    kSlotTexture2 = 1,      // found and loaded, never used
    kSlotOpacity = 2,
    kSlotBump = 3,
    kSlotShininess = 4,
    kSlotSelfIllum = 5,
};
constexpr int kMapSlotCount = 6;

// The map slot whose bitmap becomes a map type's Base Layer.
constexpr int SlotForMapType(MapType type)
{
    switch (type) {
    case MapType::Colour: return kSlotTexture1;
    case MapType::Bump: return kSlotBump;
    case MapType::Opacity: return kSlotOpacity;
    case MapType::SelfIllum: return kSlotSelfIllum;
    case MapType::Shininess: return kSlotShininess;
    }
    return kSlotTexture1;
}

struct Material {
    static constexpr std::size_t kMaxName = 16;

    std::string name;
    std::int32_t colour = 0;        // diffuse 0x00RRGGBB
    std::int16_t shininess = 0;     // high byte shininess x 255, low byte strength x 255
    std::uint8_t transparency = 0;
    std::uint8_t selfIllumPercent = 0;
    std::uint8_t shading = 0;
    std::uint8_t twoSided = 0;
    std::uint8_t selfIllum = 0;
    std::int32_t mapWidth = 0;
    std::int32_t mapHeight = 0;
    std::array<MapSlot, kMapSlotCount> mapSlots;
    std::uint8_t hasLayers = 0;
    std::array<LayerStack, kMapTypeCount> stacks;   // storage order
    std::array<std::uint8_t, kMapTypeCount> currentLayer{};
    // While currentLayerOnly is set the Renderer Layers show the selected layer of this
    // map type alone; the layer itself is always currentLayer[currentLayerOnlyType], so it
    // can never point at a layer that was deleted.
    std::uint8_t currentLayerOnly = 0;
    MapType currentLayerOnlyType = MapType::Colour;

    LayerStack& stack(MapType type) { return stacks[static_cast<std::size_t>(type)]; }
    const LayerStack& stack(MapType type) const { return stacks[static_cast<std::size_t>(type)]; }
    int current(MapType type) const { return currentLayer[static_cast<std::size_t>(type)]; }
    void setCurrent(MapType type, int index) { currentLayer[static_cast<std::size_t>(type)] = static_cast<std::uint8_t>(index); }

    // References in search order: slot 0 map, slot 0 mask, slot 1 map, ... slot 5 mask.
    MapRef& reference(int index) { auto& s = mapSlots[static_cast<std::size_t>(index / 2)]; return index % 2 ? s.mask : s.map; }
    static constexpr int kReferenceCount = 2 * kMapSlotCount;

    // Frees every layer bitmap and map bitmap; the material keeps its settings.
    void ReleaseLayers();
};

// Packs an 8-bit per channel colour as 0x00RRGGBB.
constexpr std::int32_t PackColour(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    return (static_cast<std::int32_t>(red) << 16) | (static_cast<std::int32_t>(green) << 8) | blue;
}

} // namespace gessoria
