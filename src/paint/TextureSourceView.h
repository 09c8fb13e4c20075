#pragma once
// TextureSourceView: the engine half of the one window that shows the source bitmap of the
// current bitmap paint while the Texture Paint tool is in texture mode, where a click sets
// the point texture painting starts from.
//
// Opening goes through StartTextureMode (its refusals and the choice of bitmap); opening
// while the view is open shows the same view again. The view shows the bitmap 1:1, its last
// row at the top, scrolled by (scrollX, scrollY). The Scale box's text is read, clamped into
// 0.1..99.9 and shown again with one decimal.
//
// The source bitmap belongs to the paint, which may free its images while the view is open
// (another paint chosen, the paint deleted); so the view keeps the bitmap's size for its
// clicks and hands the bitmap out only at the moment it opens, for the window to copy.

#include "paint/TexturePaint.h"

#include <string>

namespace gessoria {

class TextureSourceView {
public:
    // "Texture Paint" pressed, or another paint chosen while open (reopen = true). False, with
    // the reason told, when texture mode cannot start; an open view then closes.
    bool Open(PaintingState& state, const Paint& paint, UserInteraction& ui, bool reopen = false);
    // "Clone" pressed.
    void Close(PaintingState& state);
    // The window was closed by its frame: texture mode stays on, and pressing "Texture Paint"
    // again makes a new view with the source point back at the centre.
    void WindowClosed() { open_ = false; }

    bool open() const { return open_; }
    // The bitmap chosen by the last successful Open; valid only until the paint's images change.
    const CDIB* source() const { return source_; }
    int scrollWidth() const { return open_ ? width_ : 0; }
    int scrollHeight() const { return open_ ? height_ : 0; }

    // A button release at view pixel (x, y) with the view scrolled by (scrollX, scrollY).
    void Click(PaintingState& state, int x, int y, int scrollX = 0, int scrollY = 0) const;

private:
    const CDIB* source_ = nullptr;
    bool open_ = false;
    int width_ = 0;
    int height_ = 0;
};

// The Scale box: a typed text sets the scale (unreadable text counts as 0, so 0.1) and
// returns the text the box shows afterwards, "%.1f" of the clamped scale.
std::string SetTextureScaleText(ToolOptions& options, const std::string& text);
// The spin button at position p (the scale x 10): the scale p / 10, clamped, and its text.
std::string SetTextureScaleSpin(ToolOptions& options, int position);

} // namespace gessoria
