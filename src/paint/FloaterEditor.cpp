#include "paint/FloaterEditor.h"

#include "paint/ClipboardCodec.h"
#include "paint/FillTool.h"
#include "scene/Material.h"
#include "scene/Scene.h"
#include "scene/TexelCoordinates.h"
#include "scene/UserInteraction.h"

#include <algorithm>

namespace gessoria {
namespace {

std::uint8_t CarriedFlags(const Floater& floater)
{
    std::uint8_t flags = 0;
    for (const MapType type : kFloaterOrder)
        if (floater.Carries(type))
            flags |= UndoBuffer::FlagOf(type);
    return flags;
}

void Tell(const Painter& painter, const char* text)
{
    if (painter.ui() != nullptr)
        painter.ui()->Tell(text, MessageIcon::Warning);
}

// The text floater's alpha as fill weights over the whole map, its rows and columns wrapped.
std::vector<std::uint8_t> TextWeights(const Floater& floater, const Material& material)
{
    const int width = material.mapWidth, height = material.mapHeight;
    std::vector<std::uint8_t> mask(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    const CDIB& alpha = floater.alpha(MapType::Colour);
    for (int y = 0; y < floater.height; ++y) {
        const std::size_t row = static_cast<std::size_t>(WrapTexel(floater.top + y, height)) * static_cast<std::size_t>(width);
        for (int x = 0; x < floater.width; ++x)
            mask[row + static_cast<std::size_t>(WrapTexel(floater.left + x, width))] = alpha.row(y)[x];
    }
    return mask;
}

} // namespace

bool SelectionState::Contains(int x, int y) const
{
    return x >= std::min(x0, x1) && x <= std::max(x0, x1) && y >= std::min(y0, y1) && y <= std::max(y0, y1);
}

void RecordRectForUndo(Scene& scene, std::int32_t materialIndex, const TexelRect& rect, std::uint8_t mapTypes)
{
    if (!scene.undo.enabled || !scene.undoBuffer.allocated() || mapTypes == 0)
        return;
    DabFootprint footprint = DabFootprint::OfRect(materialIndex, rect, mapTypes);
    footprint.firstOfStroke = true;
    footprint.wraps = true;
    scene.undoBuffer.RecordDab(scene, footprint);
}

ScreenRect FloaterEditor::Redraw(const Painter& painter, std::int32_t materialIndex, const TexelRect& texels) const
{
    Scene& scene = painter.scene();
    Material& material = scene.materials[static_cast<std::size_t>(materialIndex)];
    if (scene.layerViews != nullptr)
        scene.layerViews->LayerTexelsChanged(material, texels);
    // A rectangle past the map edges wraps: redraw the whole map rather than miss a part.
    const bool inside = texels.x0 >= 0 && texels.y0 >= 0 && texels.x1 < material.mapWidth && texels.y1 < material.mapHeight;
    const TexelRect area = inside ? texels : TexelRect{0, material.mapWidth - 1, 0, material.mapHeight - 1};
    return RedrawMaterialRegion(scene, painter.frame(), materialIndex, ToFractions(area, material.mapWidth, material.mapHeight),
                                painter.renderOptions(), painter.lighting());
}

void FloaterEditor::EndSelection()
{
    selection_.exists = false;
    selection_.selectionMode = true;
}

bool FloaterEditor::LiftSelection(const Painter& painter, Floater& into) const
{
    if (!selection_.exists || !painter.ValidMaterial(selection_.materialIndex))
        return false;
    const Material& material = painter.scene().materials[static_cast<std::size_t>(selection_.materialIndex)];
    if (!material.hasLayers)
        return false;
    const TexelRect texels = SelectedTexels(material, selection_.u0, selection_.v0, selection_.u1, selection_.v1);
    return LiftIntoFloater(into, material, selection_.materialIndex, texels);
}

ScreenRect FloaterEditor::CutOut(const Painter& painter, const Floater& lifted)
{
    Scene& scene = painter.scene();
    Material& material = scene.materials[static_cast<std::size_t>(lifted.materialIndex)];
    RecordRectForUndo(scene, lifted.materialIndex, lifted.Rect(), CarriedFlags(lifted));
    EraseUnderFloater(lifted, material, painter.context().values.background);
    CompositeRegion(material, lifted.Rect());
    return Redraw(painter, lifted.materialIndex, lifted.Rect());
}

ScreenRect FloaterEditor::TakePreviewOff(const Painter& painter, bool redraw)
{
    if (!selection_.floating)
        return {};
    selection_.floating = false;
    if (!painter.ValidMaterial(floater_.materialIndex))
        return {};
    Material& material = painter.scene().materials[static_cast<std::size_t>(floater_.materialIndex)];
    CompositeRegion(material, floater_.Rect());
    return redraw ? Redraw(painter, floater_.materialIndex, floater_.Rect()) : ScreenRect{};
}

ScreenRect FloaterEditor::PlaceAt(const Painter& painter, const PickResult& hit)
{
    Scene& scene = painter.scene();
    const std::int32_t materialIndex = scene.faceMaterial[static_cast<std::size_t>(hit.face)];
    Material& material = scene.materials[static_cast<std::size_t>(materialIndex)];
    if (!material.hasLayers)
        return {};
    // The old place is redrawn here only when the floater leaves its material: otherwise the
    // redraw of the new place below covers the material's faces anyway.
    const bool leaving = selection_.floating && floater_.materialIndex != materialIndex;
    ScreenRect repaint = TakePreviewOff(painter, leaving);
    const TexelRect before = floater_.Rect();
    floater_.materialIndex = materialIndex;
    CentreFloaterOn(floater_, material, hit.u, hit.v);
    ShowFloaterPreview(floater_, material);
    selection_.floating = true;
    // Placing the floater answers the placement warning: the Warning Window goes out.
    if (painter.ui() != nullptr)
        painter.ui()->PutOutWarning();
    const TexelRect after = floater_.Rect();
    const TexelRect both = leaving ? after
                                   : TexelRect{std::min(before.x0, after.x0), std::max(before.x1, after.x1),
                                               std::min(before.y0, after.y0), std::max(before.y1, after.y1)};
    return repaint.United(Redraw(painter, materialIndex, both));
}

ScreenRect FloaterEditor::Press(const Painter& painter, const PickResult& hit, int x, int y, bool ctrl)
{
    Scene& scene = painter.scene();
    if (hit.face < 0 || static_cast<std::size_t>(hit.face) >= scene.faceMaterial.size())
        return {};
    if (!selection_.selectionMode)
        return floater_.present ? PlaceAt(painter, hit) : ScreenRect{};

    if (selection_.exists && selection_.Contains(x, y)) {
        Floater lifted;
        if (!LiftSelection(painter, lifted))
            return {};
        selection_.exists = false;
        selection_.selectionMode = false;
        floater_ = std::move(lifted);
        if (!ctrl)
            return CutOut(painter, floater_);
        return {};
    }
    selection_.exists = true;
    selection_.x0 = selection_.x1 = x;
    selection_.y0 = selection_.y1 = y;
    selection_.u0 = selection_.u1 = hit.u;
    selection_.v0 = selection_.v1 = hit.v;
    selection_.materialIndex = scene.faceMaterial[static_cast<std::size_t>(hit.face)];
    return {};
}

ScreenRect FloaterEditor::Move(const Painter& painter, const PickResult& hit, int x, int y)
{
    Scene& scene = painter.scene();
    if (hit.face < 0 || static_cast<std::size_t>(hit.face) >= scene.faceMaterial.size())
        return {};
    if (!selection_.selectionMode)
        return floater_.present ? PlaceAt(painter, hit) : ScreenRect{};
    if (!selection_.exists || scene.faceMaterial[static_cast<std::size_t>(hit.face)] != selection_.materialIndex)
        return {};
    selection_.x1 = x;
    selection_.y1 = y;
    selection_.u1 = hit.u;
    selection_.v1 = hit.v;
    return {};
}

bool FloaterEditor::WriteClipboard(const Painter& painter, ClipboardPort& clipboard, const Floater& lifted)
{
    if (!clipboard.Open())
        return Tell(painter, kCopyFailed), false;
    if (!clipboard.Empty()) {
        clipboard.Close();
        return Tell(painter, kCopyFailed), false;
    }
    const Material& material = painter.scene().materials[static_cast<std::size_t>(lifted.materialIndex)];
    bool written = true;
    if (!clipboard.Set(ClipFormat::Floater, EncodeFloaterBlock(lifted))) {
        Tell(painter, kSetPrivateFailed);
        written = false;
    }
    if (!clipboard.Set(ClipFormat::Dib, EncodeDibBlock(lifted, material))) {
        Tell(painter, kSetDibFailed);
        written = false;
    }
    if (!clipboard.Close()) {
        Tell(painter, kCopyFailed);
        written = false;
    }
    return written;
}

ScreenRect FloaterEditor::Copy(const Painter& painter, ClipboardPort& clipboard)
{
    Floater lifted;
    if (!LiftSelection(painter, lifted) || !WriteClipboard(painter, clipboard, lifted))
        return {};
    floater_ = std::move(lifted);
    EndSelection();
    return {};
}

ScreenRect FloaterEditor::Cut(const Painter& painter, ClipboardPort& clipboard)
{
    Floater lifted;
    if (!LiftSelection(painter, lifted) || !WriteClipboard(painter, clipboard, lifted))
        return {};
    floater_ = std::move(lifted);
    EndSelection();
    return CutOut(painter, floater_);
}

ScreenRect FloaterEditor::Paste(const Painter& painter, ClipboardPort& clipboard)
{
    painter.scene().paintTool = PaintTool::Selection;
    const ScreenRect repaint = TakePreviewOff(painter, true);
    selection_.exists = false;
    floater_.present = 0;
    std::optional<Floater> pasted;
    if (clipboard.Open()) {
        const ClipFormat format = clipboard.Has(ClipFormat::Floater) ? ClipFormat::Floater : ClipFormat::Dib;
        if (const auto block = clipboard.Get(format))
            pasted = format == ClipFormat::Floater ? DecodeFloaterBlock(*block) : DecodeDibBlock(*block);
        clipboard.Close();
    }
    if (!pasted) {
        Tell(painter, kPasteFailed);
        return repaint;
    }
    floater_ = std::move(*pasted);
    selection_.selectionMode = false;
    return repaint;
}

ScreenRect FloaterEditor::ClearClipboard(const Painter& painter, ClipboardPort& clipboard)
{
    const bool opened = clipboard.Open();
    const bool emptied = opened && clipboard.Empty();
    // An opened clipboard is closed again even when emptying failed, or it would stay
    // taken and refuse every later command.
    const bool closed = opened && clipboard.Close();
    if (!(emptied && closed))
        Tell(painter, kClearFailed);
    const ScreenRect repaint = TakePreviewOff(painter, true);
    // What was copied is gone: the floater keeps only tiny blank images and nothing to place.
    floater_.Create(4, 2);
    floater_.present = 0;
    return repaint;
}

ScreenRect FloaterEditor::DeselectAll(const Painter& painter, PaintingState& state)
{
    selection_.exists = false;
    selection_.selectionMode = true;
    if (!floater_.present || !selection_.floating)
        return {};
    // An image floater's final redraw covers its whole place, so the preview's own redraw is
    // needed only for a text, whose paint redraws just the texels it changed.
    ScreenRect repaint = TakePreviewOff(painter, floater_.fromText);
    if (!painter.ValidMaterial(floater_.materialIndex))
        return repaint;
    Scene& scene = painter.scene();
    Material& material = scene.materials[static_cast<std::size_t>(floater_.materialIndex)];
    if (floater_.fromText) {
        // Each block the paint lays records itself for undo.
        repaint = repaint.United(LayWeights(painter, state, TextWeights(floater_, material), floater_.materialIndex));
        floater_.fromText = false;
        floater_.present = 0;
        return repaint;
    }
    RecordRectForUndo(scene, floater_.materialIndex, floater_.Rect(), CarriedFlags(floater_));
    const TexelRect changed = LayFloater(floater_, material);
    return repaint.United(Redraw(painter, floater_.materialIndex, changed));
}

ScreenRect FloaterEditor::TakeTextFloater(const Painter& painter, Floater text)
{
    // A floater still shown over the surface is discarded, not written, as a Paste does.
    const ScreenRect repaint = TakePreviewOff(painter, true);
    floater_ = std::move(text);
    floater_.fromText = true;
    floater_.present = 1;
    selection_.exists = false;
    selection_.floating = false;
    selection_.selectionMode = false;
    return repaint;
}

} // namespace gessoria
