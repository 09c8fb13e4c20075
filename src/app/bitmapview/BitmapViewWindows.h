#pragma once
// BitmapViewWindows: the open bitmap view windows, at most one per layer, over the engine's
// BitmapViewSet; the scene's layer view sink while it lives.
//
// Opening a layer whose window exists brings that window forward. Recomposed texels are
// repainted in every window of their material. Windows close (and their views go) when
// their layers are deleted or move, and all of them when the scene is freed or replaced;
// a window closed by the user forgets its view. A change made in a window (a stroke, an
// image command) posts the main window's "Redraw Screen" once, however many follow before
// it runs.

#include "paint/BitmapView.h"

#include <QObject>

#include <vector>

class QWidget;

namespace gessoria {
class UserInteraction;
}

namespace gessoria::app {

class BitmapViewWindow;
class CommandTable;
struct Workspace;

class BitmapViewWindows : public QObject, public LayerViewSink {
    Q_OBJECT
public:
    // Windows are made as windows of their own owned by `mainWindow`.
    BitmapViewWindows(Workspace& workspace, UserInteraction& ui, CommandTable& mainCommands, QWidget* mainWindow);
    ~BitmapViewWindows() override;

    // The layer's window, shown and active; null (with "Material has no texture.  No layers
    // defined" for a material without layers) when there is no such layer.
    BitmapViewWindow* Open(int materialIndex, MapType type, int layerIndex);
    BitmapViewWindow* Find(int materialIndex, MapType type, int layerIndex) const;
    const std::vector<BitmapViewWindow*>& windows() const { return windows_; }
    void CloseAll();
    // The Flip Horizontal key: flips the layer of the bitmap view window that is active, and
    // does nothing when none is.
    void FlipActive();

    void LayerTexelsChanged(const Material& material, const TexelRect& rect) override;
    void LayersRemoved(const Material& material, MapType type, int fromLayer) override;
    void SceneFreed() override;

signals:
    void strokeEnded();
    // Texels of a layer were recomposed, or layers are about to be removed or moved: the
    // scene holds a change a save would write.
    void layersChanged();

private:
    BitmapViewWindow* WindowOf(const BitmapView* view) const;
    // Deletes the window now, then its view.
    void Destroy(BitmapViewWindow* window);
    void PostRedrawScreen();

    Workspace& workspace_;
    UserInteraction& ui_;
    CommandTable& mainCommands_;
    QWidget* mainWindow_;
    BitmapViewSet views_;
    std::vector<BitmapViewWindow*> windows_;
    bool redrawPosted_ = false;
};

} // namespace gessoria::app
