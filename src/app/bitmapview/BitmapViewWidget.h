#pragma once
// BitmapViewWidget: the scrolled picture of one engine BitmapView, and painting in it.
//
// View pixel (x, y) of the scrolled content at zoom z shows exactly the texel the engine's
// ColumnAt and RowAt name (the last row at the top), so the pointer always paints the texel
// under it. Each repaint scales only the exposed part, nearest texel, from the engine's
// display bitmap; the texture mesh is drawn over it as lines between texel centres while
// "Show Mesh" is on. A left-button drag drives a BitmapStroke with the current tool (Ctrl
// samples with the Brush and the Eraser); the widget is told of recomposed texels by
// RepaintChanged and repaints only those.

#include "paint/BitmapStroke.h"
#include "paint/BitmapView.h"
#include "view3d/Lighting.h"
#include "view3d/RenderSettings.h"
#include "view3d/ViewFrame.h"

#include <QAbstractScrollArea>
#include <QPolygon>
#include <QImage>

#include <optional>
#include <vector>

class QMenu;

namespace gessoria {
class UserInteraction;
}

namespace gessoria::app {

struct Workspace;

class BitmapViewWidget : public QAbstractScrollArea {
    Q_OBJECT
public:
    BitmapViewWidget(BitmapView& view, Workspace& workspace, UserInteraction& ui, QWidget* parent = nullptr);

    BitmapView& view() { return view_; }

    void ZoomIn();
    void ZoomOut();
    void NoZoom();
    void SetZoom(float zoom);
    void ToggleCheckers();
    void ToggleMesh();

    // Repaints the texels the engine recomposed since the last call.
    void RepaintChanged();
    // The cursor of the current tool, after a tool change.
    void RefreshCursor();
    int cursorId() const { return cursorId_; }
    // The Line tool's shape being dragged, corner by corner in viewport pixels (empty when none).
    QPolygon rubberShape() const;
    void SetContextMenu(QMenu* menu) { contextMenu_ = menu; }

    // The scrolled content's rectangle `content` as shown, mesh not included: each pixel the
    // display texel at (ColumnAt(x), RowAt(y)).
    QImage Picture(const QRect& content) const;
    // Where the content's top-left is scrolled to.
    QPoint scrollOffset() const;
    // The view pixel (in the viewport) that shows a texel's centre.
    QPoint ViewportPointOf(int column, int row) const;

    QSize sizeHint() const override;

signals:
    // Zoom In, Zoom Out or No Zoom changed the zoom.
    void zoomed();
    // Dabs changed the layer: the surface needs redrawing.
    void painted();
    // A stroke ended (undo, or the sampled colours, may have changed).
    void strokeEnded();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ZoomChanged();
    void UpdateScrollBars();
    // The bitmap point under a viewport position (y counted down from the picture's top).
    BitmapPoint PointAt(QPoint viewportPosition) const;
    // Runs one step of the stroke with a painter over the session's current brush and paint.
    template <typename Step>
    void Paint(Step step);
    void ShowMenu(QPoint globalPosition);
    void SetRubberShape(std::vector<BitmapPoint> corners);

    BitmapView& view_;
    Workspace& workspace_;
    UserInteraction& ui_;
    std::optional<BitmapStroke> stroke_;
    // The painter redraws into a frame of its own, which stays empty: the main view is
    // redrawn whole instead (see painted()).
    ViewFrame noFrame_;
    RenderOptions options_;
    LightingSettings lighting_;
    std::vector<BitmapView::MeshEdge> mesh_;
    // The Line tool's shape being dragged, in bitmap points (empty when none).
    std::vector<BitmapPoint> rubberShape_;
    bool meshRead_ = false;
    int cursorId_ = -1;
    QMenu* contextMenu_ = nullptr;
};

} // namespace gessoria::app
