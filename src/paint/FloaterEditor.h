#pragma once
// FloaterEditor: the Selection tool, the floater it lifts and moves, and the commands Cut,
// Copy, Paste, Clear Clipboard and Deselect All (Drop Floater).
//
// In selection mode a press on the surface starts a selection rectangle (its corners in view
// pixels and texture coordinates, on the material under the first corner) and moves extend
// it while they stay on that material; a press inside an existing selection lifts it into the
// floater (cut, or copied with Ctrl) and leaves selection mode. Out of selection mode each
// press or move centres the floater on the texel under the pointer and shows it there by
// rebuilding the Renderer Layer, without touching the layers, and puts out the Warning
// Window (the text placement warning is answered); Deselect All drops it. Cut and
// Copy write both clipboard blocks before anything changes, so a clipboard failure leaves
// layers and floater as they were. Undo records what a Cut erases and what a drop lays (one
// record each, wrapping round the map like the floater).
//
// Every call takes the Painter of the moment: its scene, view, settings, paint and colours.
// Each returns the view rectangle to repaint; open bitmap views are told through the scene.

#include "paint/Clipboard.h"
#include "paint/Dab.h"
#include "paint/Floater.h"
#include "paint/PickFace.h"
#include "paint/ToolOptions.h"

#include <cstdint>

namespace gessoria {


struct SelectionState {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // view pixels of the two corners
    std::int32_t u0 = 0, v0 = 0, u1 = 0, v1 = 0;
    std::int32_t materialIndex = -1;
    bool selectionMode = true;  // presses select; off: presses place the floater
    bool exists = false;
    bool floating = false;      // the floater is shown over the surface

    bool Contains(int x, int y) const;
};

class FloaterEditor {
public:
    static constexpr const char* kCopyFailed = "Couldn't copy data to ClipBoard";
    static constexpr const char* kSetPrivateFailed = "Unable to set clipoard data";
    static constexpr const char* kSetDibFailed = "Unable to set clipbaord data";
    static constexpr const char* kPasteFailed = "Couldn't get data from ClipBoard";
    static constexpr const char* kClearFailed =
        "Gessoria could not clear the Clipboard, this might be caused by it being currently active within another "
        "application.";

    // Selection tool: the button goes down, or moves while held, at view pixel (x, y) over
    // `hit` (the pick there). Nothing happens over the background.
    ScreenRect Press(const Painter& painter, const PickResult& hit, int x, int y, bool ctrl);
    ScreenRect Move(const Painter& painter, const PickResult& hit, int x, int y);

    bool CanCopy() const { return selection_.exists; }
    bool CanDrop() const { return selection_.exists || (floater_.present && selection_.floating); }
    static bool CanPaste(const ClipboardPort& clipboard) { return clipboard.Has(ClipFormat::Dib); }

    ScreenRect Copy(const Painter& painter, ClipboardPort& clipboard);
    ScreenRect Cut(const Painter& painter, ClipboardPort& clipboard);
    // Selects the Selection tool, discards a floating floater, reads the private block if
    // there is one, else the DIB, and leaves selection mode so the next press places it.
    ScreenRect Paste(const Painter& painter, ClipboardPort& clipboard);
    ScreenRect ClearClipboard(const Painter& painter, ClipboardPort& clipboard);
    // Clears the selection and drops a floating floater into the current layers (a text
    // floater through the current paint, as the fill lays its weights).
    ScreenRect DeselectAll(const Painter& painter, PaintingState& state);

    // Before Undo or Redo: a floater being placed is first fixed onto the surface (dropped).
    ScreenRect FixBeforeUndo(const Painter& painter, PaintingState& state)
    {
        return selection_.floating ? DeselectAll(painter, state) : ScreenRect{};
    }

    // A text made by the Text tool becomes the floater, waiting to be placed; a floater
    // being placed is taken off the surface and discarded first.
    ScreenRect TakeTextFloater(const Painter& painter, Floater text);
    // A new scene: no selection, no floater to place (the clipboard keeps what was copied).
    void Forget() { *this = FloaterEditor{}; }

    const Floater& floater() const { return floater_; }
    const SelectionState& selection() const { return selection_; }

private:
    // Lifts the selection into `into`; false (nothing changed) when it lies off the layers.
    bool LiftSelection(const Painter& painter, Floater& into) const;
    // Writes both blocks; false, with the message shown, on any clipboard failure.
    bool WriteClipboard(const Painter& painter, ClipboardPort& clipboard, const Floater& lifted);
    // Erases a lifted floater's rectangle from the current layers, recorded for undo first.
    ScreenRect CutOut(const Painter& painter, const Floater& lifted);
    // Rebuilds the floater's rectangle from the layers alone; it is no longer floating.
    ScreenRect TakePreviewOff(const Painter& painter, bool redraw);
    ScreenRect PlaceAt(const Painter& painter, const PickResult& hit);
    ScreenRect Redraw(const Painter& painter, std::int32_t materialIndex, const TexelRect& texels) const;
    void EndSelection();

    Floater floater_;
    SelectionState selection_;
};

// The undo record of a rectangle of texels (wrapped round the map) in the given map types.
void RecordRectForUndo(Scene& scene, std::int32_t materialIndex, const TexelRect& rect, std::uint8_t mapTypes);

} // namespace gessoria
