#pragma once
// LayerStack: the layers of one map type of one material.
//
// Layer 0 is the Renderer Layer: the view-only composite the renderer samples, never
// painted and without alpha. Layer 1 is the Base Layer, layers 2 and up are paint layers;
// each of those has an 8-bit alpha (0 transparent .. 255 opaque) of the same size. A stack
// holds at most kMaxLayers layers, the Renderer Layer included. All layers of a material
// share the material's map size; Colour layers are 24-bit, the other types 8-bit.

#include "scene/CDIB.h"

#include <string>
#include <vector>

namespace gessoria {

struct Layer {
    CDIB image;
    CDIB alpha;  // not created for layer 0
    std::string name;
    // The project image this layer's bitmap or alpha could not be read from when the project
    // was opened (it holds a blank in its place): a save keeps that file as it is rather than
    // write the blank over it. Empty when the image was read.
    std::string unreadImageFile;
    std::string unreadAlphaFile;
};

struct LayerStack {
    static constexpr int kMaxLayers = 20;

    std::vector<Layer> layers;

    int count() const { return static_cast<int>(layers.size()); }
    Layer& operator[](int index) { return layers[static_cast<std::size_t>(index)]; }
    const Layer& operator[](int index) const { return layers[static_cast<std::size_t>(index)]; }
    void Clear() { layers.clear(); }
};

} // namespace gessoria
