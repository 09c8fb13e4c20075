#pragma once
// MainView: the main 3D view. It shows the engine's ViewFrame and turns input into engine
// calls; it renders nothing itself.
//
// The picture is a QImage laid over the frame's rows (no copy), and only the rectangles the
// engine reports as changed are repainted, through a 32-bit copy of them (ShownFrame). The
// frame follows the widget's size. With a position tool current, a left drag moves the camera
// at the Move render level and the Still level returns at the button-up; otherwise mouse and
// tablet events go to the engine's StrokeController, so every painting tool the engine has
// paints from here; the Selection tool's presses and moves reach the Workspace's
// FloaterEditor the same way, and the view draws the selection's outline between its two
// corners.
// Tablet pressure (when pressure sensitivity is on) and the stylus's eraser end come from
// QTabletEvent.
// In projection mode, with the Brush or the Eraser, a circle of the projected dab's screen
// size follows the pointer over the view.

#include "app/view/ShownFrame.h"
#include "paint/StrokeController.h"
#include "view3d/Navigation.h"
#include "view3d/Renderer.h"

#include <QImage>
#include <QPolygon>
#include <QWidget>

#include <optional>

class QMenu;

namespace gessoria::app {

struct Workspace;

class MainView : public QWidget {
    Q_OBJECT
public:
    MainView(Workspace& workspace, UserInteraction& ui, QWidget* parent = nullptr);

    const ViewFrame& frame() const { return frame_; }
    // The picture as shown (a view onto the frame's rows).
    const QImage& picture() const { return picture_; }

    // A new frame at the current level; repaints what the renderer reports.
    void Render();
    // "Redraw Screen": the whole view is repainted with the new frame.
    void RedrawScreen();
    // The cursor of the current tool: a cursor resource id, -1 for the arrow.
    void SetToolCursor(int cursorId);
    int toolCursor() const { return cursorId_; }
    // After the Pointer Shape preference changed.
    void RefreshCursor();
    void SetContextMenu(QMenu* menu) { contextMenu_ = menu; }
    // The zoom rectangle being dragged (empty when none).
    QRect rubberBand() const { return band_; }
    // The Line tool's shape being dragged, corner by corner (empty when none).
    const QPolygon& rubberShape() const { return rubberShape_; }
    // The selection outline drawn over the view (empty when no selection is being made).
    QRect selectionOutline() const { return outline_; }
    // The projected dab's outline around the pointer (null when none is shown).
    QRect brushCircle() const { return brushCircle_; }
    // After the projection switch, the dab size or the tool changed.
    void RefreshBrushCircle();

    // A painter over this view for the floater commands, with the current brush, paint and
    // colours; it refers to the view, so it lives no longer than one command.
    Painter MakePainter(PaintTool tool);
    // After an engine call changed the picture or the selection: repaints the rectangle,
    // redraws the selection outline and tells that the selection or floater may have changed.
    void ShowFloaterChange(const ScreenRect& rect);

    // A stroke cut short by a failure (memory ran out inside it): the stroke ends without its
    // button-up, and what it had laid is taken back through the undo ring. True when a
    // stroke was in progress; `takenBack` tells whether its paint could be taken back (undo
    // on and the stroke within the ring).
    bool AbandonStroke(bool& takenBack);

    QSize sizeHint() const override { return {640, 480}; }

signals:
    // A position tool lapsed after its drag (Lock Position Tools is off).
    void positionToolLapsed();
    // A painting stroke ended (what undo can take back, or the sampled colours, may have changed).
    void strokeEnded();
    void fileDropped(const QString& path);
    // The selection or the floater changed (what Cut, Copy and Drop Floater can do).
    void floaterChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void tabletEvent(QTabletEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    struct Pointer {
        QPoint at;
        bool ctrl = false;
        std::optional<int> pressure;  // 0..128, from a tablet only
        bool eraserEnd = false;
    };
    static Pointer MousePointer(const QMouseEvent* event);
    void Press(const Pointer& p);
    void Move(const Pointer& p);
    void Release(const Pointer& p);
    PointerEvent ToEngine(const Pointer& p) const;
    void RepaintRect(const ScreenRect& rect);
    void SetBand(const QRect& band);
    void SetRubberShape(const QPolygon& shape);
    // The outline of the selection as the engine now has it.
    void UpdateOutline();
    void ShowCursor(int cursorId);
    void SetBrushCircle(const QRect& circle);

    // The cursor the view last set: its id and whether it was drawn from the tools' icons.
    struct ShownCursor {
        int id;
        bool icons;
        bool operator==(const ShownCursor&) const = default;
    };
    std::optional<ShownCursor> shownCursor_;

    Workspace& workspace_;
    UserInteraction& ui_;
    ViewFrame frame_;
    QImage picture_;
    ShownFrame shown_;  // the frame as painted
    Renderer renderer_;
    RenderOptions options_;
    LightingSettings lighting_;
    std::optional<StrokeController> stroke_;
    bool positionDrag_ = false;
    bool buttonDown_ = false;
    // The undo ring's write position when the stroke began: whether it laid anything.
    std::uint64_t strokeUndoStart_ = 0;
    DragSnapshot snapshot_;
    QRect band_;
    QPolygon rubberShape_;
    QRect outline_;
    QRect brushCircle_;
    std::optional<QPoint> hover_;  // the pointer over the view
    QPoint lineAnchor_;
    int cursorId_ = -1;
    QMenu* contextMenu_ = nullptr;
};

} // namespace gessoria::app
