#pragma once
// BitmapView: the engine half of a window that shows one layer of one map type of one
// material as a flat image.
//
// The view keeps a display bitmap of the layer's size and depth holding what is shown: the
// Renderer Layer as it is, any other layer composited over a background by its alpha (black,
// or with "Alpha Checks" 8 x 8 squares of 190 and 255). Display rows are in the layers' order
// (row 0 = texel row 0, the image's bottom row); the window shows the last row at its top, so
// view pixel (x, y) at zoom z shows texel (x / z, height - 1 - y / z). The view is told of
// changed texels through BitmapViewSet (the scene's layer view sink) and recomposes only
// those. Zoom steps by 1.428571 and 0.7; the scroll size is the bitmap size times the zoom.

#include "scene/CDIB.h"
#include "scene/Compositing.h"
#include "scene/MapType.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace gessoria {

struct Material;
struct Scene;

// The label of a map type in the view's title: "Colour", "Illum", "Bump", "Shiny", "Opacity".
const char* BitmapViewTypeLabel(MapType type);

class BitmapView {
public:
    static constexpr float kZoomInFactor = 1.428571f;
    static constexpr float kZoomOutFactor = 0.7f;
    static constexpr std::uint8_t kLightSquare = 190, kDarkSquare = 255;

    // A view of an existing layer; check valid() before use.
    BitmapView(Scene& scene, std::int32_t materialIndex, MapType type, int layerIndex);

    bool valid() const;
    std::int32_t materialIndex() const { return materialIndex_; }
    MapType mapType() const { return type_; }
    int layerIndex() const { return layerIndex_; }
    Material& material() const;
    // True when the view's material is this one (whatever became of its layer).
    bool Shows(const Material& material) const;
    Scene& scene() const { return scene_; }

    // "Material: <name>  -  Type: <label>  -  Layer: <index> "
    std::string Title() const;
    // "<layer name> - <file name of the material's map of this type>"
    std::string FileText() const;
    // The window's title: Title() + "  -  File: " + FileText().
    std::string WindowTitle() const { return Title() + "  -  File: " + FileText(); }

    // Recomposes the display over an inclusive texel rectangle, clamped to the bitmap; the
    // rectangle is noted as changed for the window (see TakeChanged).
    void Compose(TexelRect rect);
    void ComposeAll();
    const CDIB& display() const { return display_; }

    bool checkers() const { return checkers_; }
    void ToggleCheckers();
    bool showMesh() const { return mesh_; }
    void ToggleMesh() { mesh_ = !mesh_; }

    float zoom() const { return zoom_; }
    void ZoomIn() { zoom_ *= kZoomInFactor; }
    void ZoomOut() { zoom_ *= kZoomOutFactor; }
    void NoZoom() { zoom_ = 1.0f; }
    // A zoom kept from an earlier run; nothing changes for a zoom that is not positive.
    void SetZoom(float zoom)
    {
        if (zoom > 0.0f)
            zoom_ = zoom;
    }
    int scrollWidth() const;
    int scrollHeight() const;

    // The texel column and row shown at a point of the scrolled view (in view pixels).
    int ColumnAt(int viewX) const;
    int RowAt(int viewY) const;

    // The texel rectangle recomposed since the last call, for the window to repaint (empty
    // when x1 < x0).
    TexelRect TakeChanged();

    // The material's texture mesh: each face's three edges between its corners' texels
    // (their texture coordinates' fractions times the bitmap size), in display rows.
    struct MeshEdge {
        int x0, y0, x1, y1;
    };
    std::vector<MeshEdge> MeshEdges() const;
    // The mesh drawn into a copy of the display, white on colour layers and 255 on grey ones.
    CDIB WithMesh() const;

private:
    Scene& scene_;
    std::int32_t materialIndex_;
    MapType type_;
    int layerIndex_;
    CDIB display_;
    float zoom_ = 1.0f;
    bool checkers_ = false;
    bool mesh_ = false;
    TexelRect changed_{0, -1, 0, -1};
};

// The open bitmap views, at most one per layer; the scene's layer view sink. Every rebuilt
// Renderer Layer rectangle of a material is recomposed in each view of that material. Views
// of layers that are destroyed or moved, and every view when the scene goes, are closed.
class BitmapViewSet : public LayerViewSink {
public:
    // The view of the layer: the existing one (to bring forward) or a new one; null when the
    // material has no such layer ("Material has no texture.  No layers defined" for none).
    BitmapView* Open(Scene& scene, std::int32_t materialIndex, MapType type, int layerIndex);
    void Close(const BitmapView* view);
    // Takes a view out of the set for a window that is closing and still refers to it; the
    // layer gets a new view when opened again and the taken one hears of no more changes.
    std::unique_ptr<BitmapView> Take(const BitmapView* view);
    BitmapView* Find(std::int32_t materialIndex, MapType type, int layerIndex) const;
    std::size_t size() const { return views_.size(); }

    void LayerTexelsChanged(const Material& material, const TexelRect& rect) override;
    void LayersRemoved(const Material& material, MapType type, int fromLayer) override;
    void SceneFreed() override { views_.clear(); }
    // The views LayersRemoved would close, for a front end that closes their windows first.
    std::vector<BitmapView*> ViewsOfLayers(const Material& material, MapType type, int fromLayer) const;
    std::vector<BitmapView*> Views() const;

private:
    std::vector<std::unique_ptr<BitmapView>> views_;
};

constexpr const char* kNoLayersMessage = "Material has no texture.  No layers defined";

} // namespace gessoria
