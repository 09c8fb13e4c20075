#pragma once
// MapType: the five map types of a material, and the three orders they appear in.
//
// Storage order (material records, files) is the enum's value. The Layers panel shows the
// types in another order; convert with the functions below, never by casting.

#include <array>
#include <cstdint>
#include <string_view>

namespace gessoria {

enum class MapType : int {
    Colour = 0,
    Bump = 1,
    Opacity = 2,
    SelfIllum = 3,
    Shininess = 4,
};

constexpr int kMapTypeCount = 5;

constexpr std::array<MapType, kMapTypeCount> kAllMapTypes{
    MapType::Colour, MapType::Bump, MapType::Opacity, MapType::SelfIllum, MapType::Shininess};

constexpr int StorageIndex(MapType type) { return static_cast<int>(type); }

// Layers panel tab order: Colour, Self Illum, Bump, Shininess, Opacity.
constexpr int PanelTabIndex(MapType type)
{
    constexpr std::array<int, kMapTypeCount> tab{0, 2, 4, 1, 3};
    return tab[static_cast<std::size_t>(type)];
}

constexpr MapType MapTypeFromPanelTab(int tab)
{
    constexpr std::array<MapType, kMapTypeCount> type{
        MapType::Colour, MapType::SelfIllum, MapType::Bump, MapType::Shininess, MapType::Opacity};
    return type[static_cast<std::size_t>(tab)];
}

constexpr bool IsColourType(MapType type) { return type == MapType::Colour; }

// Value the Renderer Layer is filled with when the material has no map of this type
// (Colour: grey 128 in each channel).
constexpr std::uint8_t RendererFill(MapType type)
{
    switch (type) {
    case MapType::Colour: return 128;
    case MapType::Bump: return 128;
    case MapType::Opacity: return 255;
    case MapType::SelfIllum: return 0;
    case MapType::Shininess: return 0;
    }
    return 0;
}

// Value a new paint layer starts with.
constexpr std::uint8_t NewLayerFill(MapType type)
{
    switch (type) {
    case MapType::Colour: return 0;
    case MapType::Bump: return 128;
    case MapType::Opacity: return 255;
    case MapType::SelfIllum: return 0;
    case MapType::Shininess: return 0;
    }
    return 0;
}

// Start value of the composite before layer 1 is blended in.
constexpr int CompositeStart(MapType type) { return type == MapType::Bump ? 128 : 0; }

constexpr std::string_view NewLayerName(MapType type)
{
    switch (type) {
    case MapType::Colour: return "New Colour Layer";
    case MapType::Bump: return "New Bump Layer";
    case MapType::Opacity: return "New Opacity Layer";
    case MapType::SelfIllum: return "New Self Illum Layer";
    case MapType::Shininess: return "New Shininess Layer";
    }
    return {};
}

constexpr std::string_view BaseLayerName(MapType type)
{
    switch (type) {
    case MapType::Colour: return "Colour Base Layer";
    case MapType::Bump: return "Bump Base Layer";
    case MapType::Opacity: return "Opacity Base Layer";
    case MapType::SelfIllum: return "Illum Base Layer";
    case MapType::Shininess: return "Shininess Base Layer";
    }
    return {};
}

constexpr std::string_view kGeneratedBaseLayerName = "Paint Base Layer";
constexpr std::string_view kRendererLayerName = "Renderer Layer (view only)";
constexpr std::string_view kRendererLayerListEntry = "Renderer Layer (View Only)";

} // namespace gessoria
