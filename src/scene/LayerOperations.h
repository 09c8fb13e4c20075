#pragma once
// The Layers panel's operations on one map type of one material.
//
// Each acts on the selected layer (the type's currentLayer), refuses with the program's
// message where the operation makes no sense, and does nothing to a material without
// layers. A result of Changed tells the caller to refill the panel's list and redraw the
// main view; the operations composite the Renderer Layers themselves where needed.

#include "scene/Compositing.h"
#include "scene/MapType.h"

#include <string>
#include <vector>

namespace gessoria {

struct Material;
class UserInteraction;

enum class LayerEdit { Unchanged, Changed };

LayerEdit NewLayer(Material& material, MapType type, UserInteraction& ui);
LayerEdit DeleteLayer(Material& material, MapType type, UserInteraction& ui, LayerViewSink* views = nullptr);
LayerEdit PromoteLayer(Material& material, MapType type, UserInteraction& ui, LayerViewSink* views = nullptr);
LayerEdit DemoteLayer(Material& material, MapType type, UserInteraction& ui, LayerViewSink* views = nullptr);
LayerEdit CollapseAll(Material& material, MapType type, LayerViewSink* views = nullptr);
LayerEdit SelectLayer(Material& material, MapType type, int index, LayerViewSink* views = nullptr);
LayerEdit SetCurrentLayerOnly(Material& material, MapType type, bool on, LayerViewSink* views = nullptr);

// The panel's list, top entry first: the highest layer down to layer 1, then the Renderer
// Layer. Empty for a material without layers.
struct LayerListEntry {
    std::string name;
    int layerIndex = 0;
};
std::vector<LayerListEntry> LayerListEntries(const Material& material, MapType type);

} // namespace gessoria
