#pragma once
// TextureSourceWindow: the one window that shows the source bitmap of the current bitmap
// paint while the Texture Paint tool is in texture mode. A click (on release) sets the point
// texture painting starts from; the point is marked with a cross.
//
// The window shows a copy of the bitmap, so a paint freeing its images leaves it intact; the
// Texture Paint page decides when it opens, is shown again or replaced, through the engine's
// TextureSourceView. The window deletes itself when closed, so a guarded pointer to it tells
// whether it is open.

#include <QImage>
#include <QWidget>

class QScrollArea;

namespace gessoria {
class CDIB;
struct PaintingState;
}

namespace gessoria::app {

class SourceImageView;

class TextureSourceWindow : public QWidget {
    Q_OBJECT
public:
    TextureSourceWindow(PaintingState& state, QWidget* parent = nullptr);

    // Shows `source` 1:1, fits the window to it (within the screen) and makes it active.
    void ShowSource(const CDIB& source);
    // The view inside the scroll area, one pixel per bitmap pixel.
    QWidget* imageView() const;
    QScrollArea* scrollArea() const { return scroll_; }

private:
    QScrollArea* scroll_;
    SourceImageView* view_;
};

} // namespace gessoria::app
