#include "scene/LayerOperations.h"

#include "scene/Material.h"
#include "scene/UserInteraction.h"

#include <utility>

namespace gessoria {
namespace {

bool Editable(const Material& material, MapType type)
{
    return material.hasLayers && material.stack(type).count() > 0;
}

// Views of layers that are about to be destroyed or moved close first.
void CloseViews(LayerViewSink* views, const Material& material, MapType type, int fromLayer)
{
    if (views != nullptr)
        views->LayersRemoved(material, type, fromLayer);
}

LayerEdit Recomposite(Material& material, LayerViewSink* views)
{
    CompositeAll(material, PaintTool::None, views);
    return LayerEdit::Changed;
}

} // namespace

LayerEdit NewLayer(Material& material, MapType type, UserInteraction& ui)
{
    if (!Editable(material, type))
        return LayerEdit::Unchanged;
    LayerStack& stack = material.stack(type);
    if (stack.count() >= LayerStack::kMaxLayers) {
        ui.Tell("Can't create more than 20 layers.");
        return LayerEdit::Unchanged;
    }
    const auto name = ui.AskText("New Layer Name", std::string(NewLayerName(type)));
    if (!name)
        return LayerEdit::Unchanged;

    const CDIB& renderer = stack[0].image;
    Layer layer;
    const bool made = renderer.bitCount() == 24 ? layer.image.Create24(renderer.width(), renderer.height())
                                                : layer.image.Create8(renderer.width(), renderer.height());
    if (!made || !layer.alpha.Create8(renderer.width(), renderer.height()))
        return LayerEdit::Unchanged;
    layer.image.Fill(NewLayerFill(type));
    // A layer that becomes the Base Layer is opaque; later ones start fully transparent.
    layer.alpha.Fill(stack.count() == 1 ? 255 : 0);
    layer.name = *name;
    stack.layers.push_back(std::move(layer));
    material.setCurrent(type, stack.count() - 1);
    return LayerEdit::Changed;
}

LayerEdit DeleteLayer(Material& material, MapType type, UserInteraction& ui, LayerViewSink* views)
{
    if (!Editable(material, type))
        return LayerEdit::Unchanged;
    const int index = material.current(type);
    if (index == 0) {
        ui.Tell("Can't delete Renderer layer");
        return LayerEdit::Unchanged;
    }
    if (!ui.Ask("Do you really want to delete this layer?"))
        return LayerEdit::Unchanged;
    // The deleted layer's view and those of the layers above, which move down one place.
    CloseViews(views, material, type, index);
    LayerStack& stack = material.stack(type);
    stack.layers.erase(stack.layers.begin() + index);
    material.setCurrent(type, index - 1);
    material.currentLayerOnly = 0;
    return Recomposite(material, views);
}

LayerEdit PromoteLayer(Material& material, MapType type, UserInteraction& ui, LayerViewSink* views)
{
    if (!Editable(material, type))
        return LayerEdit::Unchanged;
    const int index = material.current(type);
    if (index <= 1) {
        ui.Tell("Can't promote Renderer layer, or Layer 1");
        return LayerEdit::Unchanged;
    }
    CloseViews(views, material, type, 0);
    LayerStack& stack = material.stack(type);
    std::swap(stack[index], stack[index - 1]);
    material.setCurrent(type, index - 1);
    return Recomposite(material, views);
}

LayerEdit DemoteLayer(Material& material, MapType type, UserInteraction& ui, LayerViewSink* views)
{
    if (!Editable(material, type))
        return LayerEdit::Unchanged;
    const int index = material.current(type);
    LayerStack& stack = material.stack(type);
    if (index == 0 || index >= stack.count() - 1) {
        ui.Tell("Can't demote Renderer layer, or Top Layer");
        return LayerEdit::Unchanged;
    }
    CloseViews(views, material, type, 0);
    std::swap(stack[index], stack[index + 1]);
    material.setCurrent(type, index + 1);
    return Recomposite(material, views);
}

LayerEdit CollapseAll(Material& material, MapType type, LayerViewSink* views)
{
    if (!Editable(material, type))
        return LayerEdit::Unchanged;
    LayerStack& stack = material.stack(type);
    if (stack.count() < 3)
        return LayerEdit::Unchanged;
    const bool wasSelectedAlone = material.currentLayerOnly;
    if (wasSelectedAlone) {
        // The Renderer Layer shows the selected layer alone; rebuild the real composite
        // first so the collapse keeps every layer's contribution.
        material.currentLayerOnly = 0;
        CompositeAll(material, PaintTool::None, views);
    }
    CloseViews(views, material, type, 2);
    stack[1].image.CopyPixelsFrom(stack[0].image);
    stack.layers.resize(2);
    material.setCurrent(type, 1);
    if (wasSelectedAlone)
        Recomposite(material, views);
    return LayerEdit::Changed;
}

LayerEdit SelectLayer(Material& material, MapType type, int index, LayerViewSink* views)
{
    if (!Editable(material, type) || index < 0 || index >= material.stack(type).count())
        return LayerEdit::Unchanged;
    material.setCurrent(type, index);
    if (!material.currentLayerOnly)
        return LayerEdit::Changed;
    material.currentLayerOnlyType = type;
    return Recomposite(material, views);
}

LayerEdit SetCurrentLayerOnly(Material& material, MapType type, bool on, LayerViewSink* views)
{
    if (!Editable(material, type))
        return LayerEdit::Unchanged;
    material.currentLayerOnly = on ? 1 : 0;
    material.currentLayerOnlyType = type;
    return Recomposite(material, views);
}

std::vector<LayerListEntry> LayerListEntries(const Material& material, MapType type)
{
    std::vector<LayerListEntry> entries;
    if (!Editable(material, type))
        return entries;
    const LayerStack& stack = material.stack(type);
    for (int i = stack.count() - 1; i >= 1; --i)
        entries.push_back({stack[i].name, i});
    entries.push_back({std::string(kRendererLayerListEntry), 0});
    return entries;
}

} // namespace gessoria
