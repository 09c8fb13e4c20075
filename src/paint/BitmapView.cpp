#include "paint/BitmapView.h"

#include "scene/Material.h"
#include "scene/Scene.h"

#include <algorithm>
#include <cstdlib>

namespace gessoria {
namespace {

// Bresenham's line between two pixels, clipped to the bitmap.
void DrawLine(CDIB& image, int x0, int y0, int x1, int y1)
{
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    const int bytes = image.bytesPerPixel();
    int error = dx + dy;
    for (;;) {
        if (x0 >= 0 && y0 >= 0 && x0 < image.width() && y0 < image.height())
            std::fill_n(image.row(y0) + x0 * bytes, bytes, std::uint8_t{255});
        if (x0 == x1 && y0 == y1)
            return;
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x0 += sx;
        }
        if (twice <= dx) {
            error += dx;
            y0 += sy;
        }
    }
}

// A texture coordinate's place on a map of `size` pixels: within 0..1 the coordinate times
// the size (1.0 on the last pixel, so edges along the map's border show), else its fraction.
int MeshPixel(std::int32_t coordinate, int size)
{
    if (coordinate >= 0 && coordinate <= 65536)
        return std::min(static_cast<int>((static_cast<std::int64_t>(coordinate) * size) >> 16), size - 1);
    return static_cast<int>((static_cast<std::int64_t>(coordinate & 0xFFFF) * size) >> 16);
}

} // namespace

const char* BitmapViewTypeLabel(MapType type)
{
    switch (type) {
    case MapType::Colour: return "Colour";
    case MapType::SelfIllum: return "Illum";
    case MapType::Bump: return "Bump";
    case MapType::Shininess: return "Shiny";
    case MapType::Opacity: return "Opacity";
    }
    return "";
}

BitmapView::BitmapView(Scene& scene, std::int32_t materialIndex, MapType type, int layerIndex)
    : scene_(scene), materialIndex_(materialIndex), type_(type), layerIndex_(layerIndex)
{
    if (!valid())
        return;
    const Material& m = material();
    if (IsColourType(type) ? display_.Create24(m.mapWidth, m.mapHeight) : display_.Create8(m.mapWidth, m.mapHeight))
        ComposeAll();
}

bool BitmapView::valid() const
{
    if (materialIndex_ < 0 || materialIndex_ > scene_.materialCount ||
        static_cast<std::size_t>(materialIndex_) >= scene_.materials.size())
        return false;
    const Material& m = scene_.materials[static_cast<std::size_t>(materialIndex_)];
    if (!m.hasLayers || layerIndex_ < 0 || layerIndex_ >= m.stack(type_).count())
        return false;
    // A view made before the layer changed size no longer shows it.
    const CDIB& image = m.stack(type_)[layerIndex_].image;
    return !display_.created() || (image.width() == display_.width() && image.height() == display_.height());
}

Material& BitmapView::material() const { return scene_.materials[static_cast<std::size_t>(materialIndex_)]; }

bool BitmapView::Shows(const Material& material) const
{
    return materialIndex_ >= 0 && static_cast<std::size_t>(materialIndex_) < scene_.materials.size() &&
           &scene_.materials[static_cast<std::size_t>(materialIndex_)] == &material;
}

std::string BitmapView::Title() const
{
    return "Material: " + material().name + "  -  Type: " + BitmapViewTypeLabel(type_) + "  -  Layer: " +
           std::to_string(layerIndex_) + " ";
}

std::string BitmapView::FileText() const
{
    const Material& m = material();
    return m.stack(type_)[layerIndex_].name + " - " + m.mapSlots[static_cast<std::size_t>(SlotForMapType(type_))].map.fileName;
}

void BitmapView::Compose(TexelRect rect)
{
    if (!valid() || !display_.created())
        return;
    const Material& m = material();
    const int width = display_.width(), height = display_.height();
    // A rectangle that runs past an edge has wrapped round the map: its other part lies at
    // the far side, so the whole extent along that axis is recomposed.
    if (rect.x0 < 0 || rect.x1 >= width) {
        rect.x0 = 0;
        rect.x1 = width - 1;
    }
    if (rect.y0 < 0 || rect.y1 >= height) {
        rect.y0 = 0;
        rect.y1 = height - 1;
    }
    if (rect.x1 < rect.x0 || rect.y1 < rect.y0)
        return;
    const Layer& layer = m.stack(type_)[layerIndex_];
    const int bytes = display_.bytesPerPixel();
    for (int y = rect.y0; y <= rect.y1; ++y) {
        const std::uint8_t* in = layer.image.row(y) + rect.x0 * bytes;
        std::uint8_t* out = display_.row(y) + rect.x0 * bytes;
        const int count = (rect.x1 - rect.x0 + 1) * bytes;
        if (layerIndex_ == 0) {
            std::copy_n(in, count, out);
            continue;
        }
        const std::uint8_t* alpha = layer.alpha.row(y);
        for (int x = rect.x0; x <= rect.x1; ++x) {
            const int o = alpha[x] + 1;
            const int m0 = !checkers_ ? 0 : (((x ^ y) & 8) == 0 ? kLightSquare : kDarkSquare);
            for (int b = 0; b < bytes; ++b, ++in, ++out)
                *out = static_cast<std::uint8_t>(m0 + (((*in - m0) * o) >> 8));
        }
    }
    changed_ = changed_.x1 < changed_.x0 ? rect
                                          : TexelRect{std::min(changed_.x0, rect.x0), std::max(changed_.x1, rect.x1),
                                                      std::min(changed_.y0, rect.y0), std::max(changed_.y1, rect.y1)};
}

void BitmapView::ComposeAll() { Compose({0, display_.width() - 1, 0, display_.height() - 1}); }

void BitmapView::ToggleCheckers()
{
    checkers_ = !checkers_;
    ComposeAll();
}

int BitmapView::scrollWidth() const { return static_cast<int>(static_cast<float>(display_.width()) * zoom_); }
int BitmapView::scrollHeight() const { return static_cast<int>(static_cast<float>(display_.height()) * zoom_); }

int BitmapView::ColumnAt(int viewX) const { return static_cast<int>(static_cast<float>(viewX) / zoom_); }
int BitmapView::RowAt(int viewY) const { return display_.height() - 1 - static_cast<int>(static_cast<float>(viewY) / zoom_); }

TexelRect BitmapView::TakeChanged()
{
    const TexelRect changed = changed_;
    changed_ = {0, -1, 0, -1};
    return changed;
}

std::vector<BitmapView::MeshEdge> BitmapView::MeshEdges() const
{
    std::vector<MeshEdge> edges;
    if (!display_.created())
        return edges;
    const int width = display_.width(), height = display_.height();
    for (std::size_t f = 0; f < scene_.faceMaterial.size(); ++f) {
        if (scene_.faceMaterial[f] != materialIndex_)
            continue;
        const int xs[3] = {MeshPixel(scene_.faceU0[f], width), MeshPixel(scene_.faceU1[f], width), MeshPixel(scene_.faceU2[f], width)};
        const int ys[3] = {MeshPixel(scene_.faceV0[f], height), MeshPixel(scene_.faceV1[f], height), MeshPixel(scene_.faceV2[f], height)};
        for (int k = 0; k < 3; ++k)
            edges.push_back({xs[k], ys[k], xs[(k + 1) % 3], ys[(k + 1) % 3]});
    }
    return edges;
}

CDIB BitmapView::WithMesh() const
{
    CDIB image;
    if (!display_.created() ||
        !(display_.bitCount() == 24 ? image.Create24(display_.width(), display_.height()) : image.Create8(display_.width(), display_.height())))
        return image;
    image.CopyPixelsFrom(display_);
    for (const MeshEdge& e : MeshEdges())
        DrawLine(image, e.x0, e.y0, e.x1, e.y1);
    return image;
}

BitmapView* BitmapViewSet::Open(Scene& scene, std::int32_t materialIndex, MapType type, int layerIndex)
{
    if (BitmapView* existing = Find(materialIndex, type, layerIndex))
        return existing;
    auto view = std::make_unique<BitmapView>(scene, materialIndex, type, layerIndex);
    if (!view->valid() || !view->display().created())
        return nullptr;
    views_.push_back(std::move(view));
    return views_.back().get();
}

void BitmapViewSet::Close(const BitmapView* view)
{
    std::erase_if(views_, [view](const std::unique_ptr<BitmapView>& v) { return v.get() == view; });
}

std::unique_ptr<BitmapView> BitmapViewSet::Take(const BitmapView* view)
{
    const auto found = std::find_if(views_.begin(), views_.end(), [view](const std::unique_ptr<BitmapView>& v) { return v.get() == view; });
    if (found == views_.end())
        return nullptr;
    std::unique_ptr<BitmapView> taken = std::move(*found);
    views_.erase(found);
    return taken;
}

BitmapView* BitmapViewSet::Find(std::int32_t materialIndex, MapType type, int layerIndex) const
{
    for (const auto& view : views_)
        if (view->materialIndex() == materialIndex && view->mapType() == type && view->layerIndex() == layerIndex)
            return view.get();
    return nullptr;
}

std::vector<BitmapView*> BitmapViewSet::ViewsOfLayers(const Material& material, MapType type, int fromLayer) const
{
    std::vector<BitmapView*> found;
    for (const auto& view : views_)
        if (view->mapType() == type && view->layerIndex() >= fromLayer && view->Shows(material))
            found.push_back(view.get());
    return found;
}

std::vector<BitmapView*> BitmapViewSet::Views() const
{
    std::vector<BitmapView*> all;
    for (const auto& view : views_)
        all.push_back(view.get());
    return all;
}

void BitmapViewSet::LayersRemoved(const Material& material, MapType type, int fromLayer)
{
    for (const BitmapView* view : ViewsOfLayers(material, type, fromLayer))
        Close(view);
}

void BitmapViewSet::LayerTexelsChanged(const Material& material, const TexelRect& rect)
{
    for (const auto& view : views_)
        if (view->Shows(material) && view->valid())
            view->Compose(rect);
}

} // namespace gessoria
