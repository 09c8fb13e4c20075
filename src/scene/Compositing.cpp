#include "scene/Compositing.h"

#include "scene/Material.h"
#include "scene/UndoBuffer.h"

#include <cstdint>
#include <vector>

namespace gessoria {
namespace {

int Wrap(int value, int size)
{
    const int r = value % size;
    return r < 0 ? r + size : r;
}

// Blends one channel: v + ((layer - v) * (alpha + 1)) >> 8, flooring.
inline int Blend(int value, int layer, int alpha)
{
    return value + (((layer - value) * (alpha + 1)) >> 8);
}

// The wrapped columns of the rectangle, each visited once even when the rectangle is wider
// than the map.
std::vector<int> WrappedRange(int first, int last, int size)
{
    std::vector<int> result;
    const int span = last - first + 1;
    if (span <= 0)
        return result;
    const int n = span < size ? span : size;
    result.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        result.push_back(Wrap(first + i, size));
    return result;
}

void CompositeStack(LayerStack& stack, MapType type, const std::vector<int>& columns, const std::vector<int>& rows)
{
    if (stack.count() == 0)
        return;
    CDIB& target = stack[0].image;
    const int channels = IsColourType(type) ? 3 : 1;
    const int start = CompositeStart(type);
    // The layers' rows are found once a row, not once a texel and channel.
    struct LayerRow {
        const std::uint8_t* image;
        const std::uint8_t* alpha;
    };
    std::vector<LayerRow> layerRows(static_cast<std::size_t>(stack.count() - 1));
    for (const int y : rows) {
        std::uint8_t* out = target.row(y);
        for (int i = 1; i < stack.count(); ++i)
            layerRows[static_cast<std::size_t>(i - 1)] = {stack[i].image.row(y), stack[i].alpha.row(y)};
        for (const int x : columns) {
            for (int c = 0; c < channels; ++c) {
                int v = start;
                for (const LayerRow& layer : layerRows)
                    v = Blend(v, layer.image[x * channels + c], layer.alpha[x]);
                out[x * channels + c] = static_cast<std::uint8_t>(v);
            }
        }
    }
}

void CompositeSelectedLayerOnly(Material& material, const std::vector<int>& columns, const std::vector<int>& rows)
{
    const MapType type = material.currentLayerOnlyType;
    const Layer& selected = material.stack(type)[material.current(type)];
    const bool colour = IsColourType(type);
    for (const MapType other : kAllMapTypes) {
        LayerStack& stack = material.stack(other);
        if (stack.count() == 0)
            continue;
        CDIB& target = stack[0].image;
        const int channels = IsColourType(other) ? 3 : 1;
        for (const int y : rows) {
            std::uint8_t* out = target.row(y);
            for (const int x : columns) {
                for (int c = 0; c < channels; ++c) {
                    if (other != MapType::Colour) {
                        out[x] = 0;
                        continue;
                    }
                    const int value = selected.image.row(y)[colour ? x * 3 + c : x];
                    const int alpha = selected.alpha.row(y)[x];
                    out[x * 3 + c] = static_cast<std::uint8_t>((value * (alpha + 1)) >> 8);
                }
            }
        }
    }
}

} // namespace

void CompositeRegion(Material& material, const TexelRect& rect, PaintTool tool, LayerViewSink* views)
{
    std::uint8_t every = 0;
    for (const MapType type : kAllMapTypes)
        every |= UndoBuffer::FlagOf(type);
    CompositeChangedStacks(material, rect, every, tool, views);
}

void CompositeChangedStacks(Material& material, const TexelRect& rect, std::uint8_t changed, PaintTool tool,
                            LayerViewSink* views)
{
    if (!material.hasLayers || material.mapWidth < 1 || material.mapHeight < 1)
        return;
    const std::vector<int> columns = WrappedRange(rect.x0, rect.x1, material.mapWidth);
    const std::vector<int> rows = WrappedRange(rect.y0, rect.y1, material.mapHeight);

    const MapType onlyType = material.currentLayerOnlyType;
    // The Renderer Layer has no alpha of its own: with it selected, the full composite shows.
    const bool selectedAlone = material.currentLayerOnly && material.current(onlyType) >= 1 &&
                               material.current(onlyType) < material.stack(onlyType).count();
    if (selectedAlone) {
        CompositeSelectedLayerOnly(material, columns, rows);
    } else {
        for (const MapType type : kAllMapTypes)
            if (changed & UndoBuffer::FlagOf(type))
                CompositeStack(material.stack(type), type, columns, rows);
    }

    if (views != nullptr && tool != PaintTool::Line)
        views->LayerTexelsChanged(material, rect);
}

void CompositeAll(Material& material, PaintTool tool, LayerViewSink* views)
{
    CompositeRegion(material, {0, material.mapWidth - 1, 0, material.mapHeight - 1}, tool, views);
}

} // namespace gessoria
