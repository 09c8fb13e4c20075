#pragma once
// CompositeRegion: rebuilds the Renderer Layers (layer 0) of a material from its layers.
//
// For each texel of the inclusive rectangle (coordinates wrap around the map edges), each
// stack starts at its start value (0, Bump 128) and blends layers 1..count-1 upward:
// v = v + ((layer - v) * (alpha + 1)) >> 8, an arithmetic shift. While the material shows
// its selected layer alone, the Colour Renderer Layer shows that layer times its alpha (an
// 8-bit layer as grey) and the other Renderer Layers are 0. Afterwards the open layer views
// of the material are told to redraw the rectangle, unless the Line tool is drawing.

#include "scene/MapType.h"
#include "scene/PaintTool.h"

#include <cstdint>

namespace gessoria {

struct Material;

struct TexelRect {
    int x0 = 0, x1 = 0, y0 = 0, y1 = 0;  // inclusive; may run past the map edges
};

// Told which texels of which material changed, so open layer views can redraw them, and
// which layers go away or change places, so views of them close before they show another
// layer's pixels.
class LayerViewSink {
public:
    virtual ~LayerViewSink() = default;
    virtual void LayerTexelsChanged(const Material& material, const TexelRect& rect) = 0;
    // Layers `fromLayer` and up of one map type are about to be destroyed or moved.
    virtual void LayersRemoved(const Material& material, MapType type, int fromLayer) = 0;
    // Every material is about to go (the scene is freed or replaced).
    virtual void SceneFreed() = 0;
};

void CompositeRegion(Material& material, const TexelRect& rect, PaintTool tool = PaintTool::None,
                     LayerViewSink* views = nullptr);

// The same where only some stacks changed since the Renderer Layers were last composited:
// `changed` holds UndoBuffer::FlagOf of each map type whose layers changed, and the other
// stacks' Renderer Layers, which compositing would give back unchanged, are left as they are.
void CompositeChangedStacks(Material& material, const TexelRect& rect, std::uint8_t changed, PaintTool tool = PaintTool::None,
                            LayerViewSink* views = nullptr);

// The whole map of the material.
void CompositeAll(Material& material, PaintTool tool = PaintTool::None, LayerViewSink* views = nullptr);

} // namespace gessoria
