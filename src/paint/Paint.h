#pragma once
// Paint ("Pigment"): what a dab does — which map types it writes, whether it is the
// ordinary paint, a special paint or a bitmap paint, and their parameters — and the
// current paint values that every paint lays.
//
// A bitmap paint owns its six images while it is the current paint: selecting it loads
// them, deselecting or deleting it frees them.

#include "scene/CDIB.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace gessoria {

class UserInteraction;

enum BitmapPaintImage : int {
    kImageColour = 0,
    kImageBump = 1,
    kImageSelfIllum = 2,
    kImageOpacity = 3,
    kImageShininess = 4,
    kImageAlpha = 5,
};
constexpr int kBitmapPaintImageCount = 6;

constexpr int kOrdinaryPaint = 1;
constexpr int kBitmapPaintNumber = 5000;

struct Paint {
    static constexpr std::size_t kMaxText = 255;

    std::string name;
    std::string notes;
    // Image paths by BitmapPaintImage.
    std::array<std::string, kBitmapPaintImageCount> paths;
    std::uint8_t washHighlight = 0;  // 0 normal, 1 wash, 2 highlight
    int aoeLevel = 0;
    int colourMap = 1;
    int selfIllumMap = 0;
    int bumpMap = 0;
    int shininessMap = 0;
    int opacityMap = 0;
    int specialNumber = kOrdinaryPaint;
    int bitmapPaint = 0;
    int wetness = 0;
    int dirtiness = 0;
    int xTiling = 1;
    int yTiling = 1;
    int tileSequence = 0;
    // Use flags by BitmapPaintImage.
    std::array<std::uint8_t, kBitmapPaintImageCount> useImage{};
    std::uint8_t alphaFromTopLeft = 0;
    int specialA = 128;
    int specialB = 128;

    // Not stored: the bitmap paint's images while it is current.
    std::uint8_t imagesLoaded = 0;
    std::array<std::shared_ptr<CDIB>, kBitmapPaintImageCount> images;

    // The first loaded image in the order colour, bump, self illum, opacity, shininess, alpha.
    const CDIB* FirstLoadedImage() const;
    // Loads every image whose path is set (colour as 24 bits, the others as 8); the flag
    // records success. Messages for files that cannot be read go through ui.
    void LoadImages(UserInteraction& ui);
    void FreeImages();
};

Paint DefaultPaint();

// The values an ordinary paint lays, shared by all paints. Colour words hold red in bits
// 0-7, green 8-15, blue 16-23 and the strength ("Intensity") in 24-31.
struct PaintValues {
    std::uint32_t foreground = 0xFFFFFFFFu;
    std::uint32_t background = 0xFF808080u;
    std::uint8_t bump = 255;
    std::uint8_t selfIllum = 255;
    std::uint8_t opacity = 0;
    std::uint8_t shininess = 255;
};

constexpr std::uint8_t ColourChannel(std::uint32_t word, int channel) // 0 red, 1 green, 2 blue, 3 intensity
{
    return static_cast<std::uint8_t>((word >> (8 * channel)) & 0xFF);
}

} // namespace gessoria
