#pragma once
// PaintingState: the tool options and sources that persist from stroke to stroke while the
// program runs — the Fill, Line and Texture Paint options, the Eraser's map-type switches,
// the texture paint source point with its scale, and the clone source.
//
// A window edits these through its controls and hands the state to the stroke controller;
// the engine reads them at every stroke. The clone source and the source point each fix
// their offset at the first dab after they were set, and keep it until they are set again.

#include "scene/MapType.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace gessoria {

enum class FillStyle : std::uint8_t { Flood = 0, Border = 1, All = 2 };
enum class LineType : std::uint8_t { Line = 0, NGon = 1, Circle = 2 };

// Switches by storage order (Colour, Bump, Opacity, SelfIllum, Shininess).
using MapTypeSwitches = std::array<bool, kMapTypeCount>;

struct ToolOptions {
    int polygonSides = 4;
    std::uint32_t fillColour = 0;  // the background colour, copied at every fill
    LineType lineType = LineType::Line;
    std::uint8_t fillStyle = 0;    // FillStyle; anything above 2 fills as All
    bool sampleMerged = false;     // "Sample Merged Layers": the fill reads the composite
    MapType referenceMap = MapType::Colour;
    int fillTolerance = 32;        // read as at least 1
    bool texturedPaint = false;    // Texture Paint tool in texture mode (else clone)
    bool settingCloneSource = false;
    MapTypeSwitches textureMaps{true, true, true, true, true};
    MapTypeSwitches eraserMaps{true, true, true, true, true};

    static constexpr float kMinTextureScale = 0.1f, kMaxTextureScale = 99.9f;
    float textureScale = 1.0f;
    // Clamped into 0.1..99.9.
    void SetTextureScale(float scale) { textureScale = std::clamp(scale, kMinTextureScale, kMaxTextureScale); }
};

// The point of the source bitmap texture painting starts from, in bitmap pixels with y
// counted from the bottom row (the order bitmap rows are stored in). marker -1: a new point,
// whose offset the next texture dab fixes.
struct SourcePoint {
    int marker = -1;
    int x = 0;
    int y = 0;
    int valid = 0;
    // Fixed by the first texture dab after the point was set: that dab's centre texel.
    int anchorColumn = 0;
    int anchorRow = 0;
    // The size of the bitmap the point was chosen on; 0 when unknown.
    int bitmapWidth = 0;
    int bitmapHeight = 0;

    void Set(int atX, int atY)
    {
        x = atX;
        y = atY;
        marker = -1;
        valid = 1;
    }
};

struct CloneSource {
    std::int32_t materialIndex = 0;
    int column = 0;
    int row = 0;
    bool set = false;
    // Target texel minus source texel, fixed by the first clone dab after the source was set.
    bool offsetFixed = false;
    int offsetColumn = 0;
    int offsetRow = 0;
};

struct PaintingState {
    ToolOptions options;
    SourcePoint source;
    CloneSource clone;
};

} // namespace gessoria
