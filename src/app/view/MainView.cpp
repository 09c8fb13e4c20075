#include "app/view/MainView.h"

#include "app/Workspace.h"
#include "app/view/ViewCursors.h"
#include "paint/LineTool.h"
#include "view3d/Projection.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QResizeEvent>
#include <QTabletEvent>

#include <cmath>

namespace gessoria::app {

MainView::MainView(Workspace& workspace, UserInteraction& ui, QWidget* parent)
    : QWidget(parent), workspace_(workspace), ui_(ui)
{
    // The frame covers every pixel, so Qt need not clear the background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_TabletTracking, false);
    setAcceptDrops(true);
    setFocusPolicy(Qt::StrongFocus);
    // The projected dab's circle follows the pointer without a button held.
    setMouseTracking(true);
    setMinimumSize(64, 48);
}

void MainView::Render()
{
    Scene& scene = workspace_.session.scene;
    if (!frame_.created())
        return;
    if (!scene.loaded()) {
        frame_.Clear(workspace_.session.preferences.backgroundColour);
        update();
        return;
    }
    options_ = workspace_.render.Options();
    lighting_ = workspace_.Lighting();
    RepaintRect(renderer_.RenderScene(scene, frame_, options_, lighting_));
}

void MainView::RedrawScreen()
{
    renderer_.InvalidateAll(width(), height());
    Render();
    update();
}

void MainView::RepaintRect(const ScreenRect& rect)
{
    if (rect.empty())
        return;
    // The renderer's rectangles are inclusive; a pixel of margin covers the wire frame's
    // lines drawn on the edge.
    const QRect r = QRect(QPoint(rect.left, rect.top), QPoint(rect.right, rect.bottom)).adjusted(-1, -1, 1, 1);
    update(r & QRect(QPoint(0, 0), size()));
}

void MainView::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    if (picture_.isNull()) {
        painter.fillRect(event->rect(), QColor(144, 144, 144));
        return;
    }
    const CDIB& frame = frame_.image();
    for (const QRect& r : event->region()) {
        shown_.Convert(frame.row(0), frame.stride(), r);
        painter.drawImage(r.topLeft(), shown_.image(), r);
    }
    // The Zoom Region rectangle and the Line tool's shape: black dash-dot over a white line,
    // visible on any scene.
    for (const QPen& pen : {QPen(Qt::white, 1), QPen(Qt::black, 1, Qt::DashDotLine)}) {
        painter.setPen(pen);
        if (!band_.isNull())
            painter.drawRect(band_);
        if (rubberShape_.size() > 1)
            painter.drawPolyline(rubberShape_);
    }
    // The selection: black dashes over a white line, so it shows on dark and light texture.
    if (!outline_.isNull())
        for (const QPen& pen : {QPen(Qt::white, 1), QPen(Qt::black, 1, Qt::DashLine)}) {
            painter.setPen(pen);
            painter.drawRect(outline_);
        }
    if (!brushCircle_.isNull()) {
        painter.setRenderHint(QPainter::Antialiasing);
        for (const QPen& pen : {QPen(Qt::white, 1), QPen(Qt::black, 1, Qt::DotLine)}) {
            painter.setPen(pen);
            painter.drawEllipse(brushCircle_);
        }
    }
}

void MainView::SetBrushCircle(const QRect& circle)
{
    if (circle == brushCircle_)
        return;
    if (!brushCircle_.isNull())
        update(brushCircle_.adjusted(-2, -2, 2, 2));
    brushCircle_ = circle;
    if (!brushCircle_.isNull())
        update(brushCircle_.adjusted(-2, -2, 2, 2));
}

void MainView::RefreshBrushCircle()
{
    const Session& s = workspace_.session;
    const PaintTool tool = s.scene.paintTool;
    const bool shows = hover_ && s.preferences.projection != 0 && !positionDrag_ &&
                       s.scene.positionTool == static_cast<std::int8_t>(PositionTool::None) &&
                       (tool == PaintTool::Brush || tool == PaintTool::Eraser);
    if (!shows) {
        SetBrushCircle(QRect());
        return;
    }
    const int d = s.preferences.projectionSize;
    SetBrushCircle(QRect(hover_->x() - d / 2, hover_->y() - d / 2, d, d));
}

namespace {

// Whether the camera is where Zoom Extents would put it for the view's present size.
bool FittedToView(Scene& scene)
{
    const Camera now = scene.camera;
    ZoomExtents(scene);
    const Camera fitted = scene.camera;
    scene.camera = now;
    return fitted.scale == now.scale && fitted.panX == now.panX && fitted.panY == now.panY;
}

} // namespace

void MainView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Scene& scene = workspace_.session.scene;
    const int w = std::max(1, width());
    const int h = std::max(1, height());
    // The projection centres the scene in the view whatever its size; a scene that was
    // fitted to the old size is fitted to the new one.
    const bool wasFitted = scene.loaded() && scene.camera.scale > 0.0f && FittedToView(scene);
    if (!frame_.Create(w, h)) {
        picture_ = QImage();
        return;
    }
    CDIB& image = frame_.image();
    picture_ = QImage(image.row(0), image.width(), image.height(), static_cast<qsizetype>(image.stride()),
                      QImage::Format_BGR888);
    shown_.Resize(image.width(), image.height());
    scene.viewWidth = w;
    scene.viewHeight = h;
    // A scene opened before the view had a size is fitted now.
    if (scene.loaded() && scene.camera.scale < 0.0f) {
        ZoomExtents(scene);
        scene.bookmarks.ResetToStandardViews(scene.camera);
    } else if (wasFitted) {
        ZoomExtents(scene);
    }
    RedrawScreen();
}

PointerEvent MainView::ToEngine(const Pointer& p) const
{
    const bool pressure = p.pressure && workspace_.pressureSensitivity;
    return PointerEvent(p.at.x(), p.at.y(), p.ctrl, pressure ? p.pressure : std::nullopt, p.eraserEnd);
}

void MainView::Press(const Pointer& p)
{
    Scene& scene = workspace_.session.scene;
    buttonDown_ = true;
    if (scene.positionTool != static_cast<std::int8_t>(PositionTool::None)) {
        positionDrag_ = true;
        workspace_.render.BeginDrag();
        scene.lastMouseX = p.at.x();
        scene.lastMouseY = p.at.y();
        snapshot_ = TakeDragSnapshot(scene);
        return;
    }
    options_ = workspace_.render.Options();
    lighting_ = workspace_.Lighting();
    Session& s = workspace_.session;
    StrokeEnvironment environment{scene, frame_, options_, lighting_, s.brushes.current(), s.paints.current(),
                                  s.paintValues, workspace_.random};
    environment.pressureOn = workspace_.pressureSensitivity;
    environment.painting = &s.painting;
    environment.eraser = s.painting.options.eraserMaps;
    environment.bitmapPaintScale = s.bitmapPaintScale;
    environment.floaters = &workspace_.floaters;
    environment.projection = {s.preferences.projection != 0, s.preferences.projectionSize};
    stroke_.emplace(environment, ui_);
    strokeUndoStart_ = scene.undoBuffer.writePosition();
    lineAnchor_ = p.at;
    // A fill can take a moment on a large map.
    const bool fill = scene.paintTool == PaintTool::Fill && !p.eraserEnd;
    if (fill)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    const ScreenRect changed = stroke_->ButtonDown(ToEngine(p));
    if (fill)
        QApplication::restoreOverrideCursor();
    if (scene.paintTool == PaintTool::Selection && !p.eraserEnd)
        ShowFloaterChange(changed);
    else
        RepaintRect(changed);
}

Painter MainView::MakePainter(PaintTool tool)
{
    options_ = workspace_.render.Options();
    lighting_ = workspace_.Lighting();
    Session& s = workspace_.session;
    return Painter(s.scene, frame_, options_, lighting_,
                   {s.brushes.current(), s.paints.current(), s.paintValues, workspace_.random, tool, s.bitmapPaintScale},
                   &ui_);
}

void MainView::ShowFloaterChange(const ScreenRect& rect)
{
    RepaintRect(rect);
    UpdateOutline();
    emit floaterChanged();
}

void MainView::UpdateOutline()
{
    const SelectionState& selection = workspace_.floaters.selection();
    QRect outline;
    if (selection.exists && selection.selectionMode)
        outline = QRect(QPoint(std::min(selection.x0, selection.x1), std::min(selection.y0, selection.y1)),
                        QPoint(std::max(selection.x0, selection.x1), std::max(selection.y0, selection.y1)));
    if (outline == outline_)
        return;
    if (!outline_.isNull())
        update(outline_.adjusted(-1, -1, 1, 1));
    outline_ = outline;
    if (!outline_.isNull())
        update(outline_.adjusted(-1, -1, 1, 1));
}

void MainView::Move(const Pointer& p)
{
    Scene& scene = workspace_.session.scene;
    if (positionDrag_) {
        const int x = p.at.x(), y = p.at.y();
        switch (static_cast<PositionTool>(scene.positionTool)) {
        case PositionTool::Rotate:
            ShowCursor(RotateDrag(scene, x, y, p.ctrl, workspace_.session.preferences.lockLight != 0));
            break;
        case PositionTool::ZoomDynamic: ZoomDynamicDrag(scene, snapshot_, y); break;
        case PositionTool::Pan: PanDrag(scene, x, y); break;
        case PositionTool::MoveLights: MoveLightsDrag(scene, x, y); break;
        case PositionTool::ZoomRegion:
            scene.lastMouseX = x;
            scene.lastMouseY = y;
            SetBand(QRect(QPoint(std::min(snapshot_.lastMouseX, x), std::min(snapshot_.lastMouseY, y)),
                          QPoint(std::max(snapshot_.lastMouseX, x), std::max(snapshot_.lastMouseY, y))));
            return;
        case PositionTool::None: return;
        }
        Render();
        return;
    }
    if (!stroke_)
        return;
    if (scene.paintTool == PaintTool::Line && !p.eraserEnd) {
        // The shape the button-up will lay, from the press to the pointer.
        const PaintingState& painting = workspace_.session.painting;
        QPolygon shape;
        for (const ScreenPoint& corner : ShapeCorners(painting.options.lineType, painting.options.polygonSides,
                                                      {lineAnchor_.x(), lineAnchor_.y()}, {p.at.x(), p.at.y()}))
            shape << QPoint(corner.x, corner.y);
        SetRubberShape(shape);
    }
    const ScreenRect changed = stroke_->Move(ToEngine(p));
    if (scene.paintTool == PaintTool::Selection && !p.eraserEnd)
        ShowFloaterChange(changed);
    else
        RepaintRect(changed);
}

void MainView::Release(const Pointer& p)
{
    Scene& scene = workspace_.session.scene;
    buttonDown_ = false;
    if (stroke_) {
        SetRubberShape(QPolygon());
        RepaintRect(stroke_->ButtonUp(ToEngine(p)));
        stroke_.reset();
        emit strokeEnded();
    }
    if (!positionDrag_)
        return;
    positionDrag_ = false;
    workspace_.render.EndDrag();
    if (scene.positionTool == static_cast<std::int8_t>(PositionTool::ZoomRegion)) {
        SetBand(QRect());
        ZoomRegionFinish(scene, snapshot_, p.at.x(), p.at.y());
    }
    ShowCursor(cursorId_);
    Render();
    if (workspace_.session.preferences.toolLock == 0) {
        scene.positionTool = static_cast<std::int8_t>(PositionTool::None);
        emit positionToolLapsed();
    }
}

bool MainView::AbandonStroke(bool& takenBack)
{
    takenBack = false;
    buttonDown_ = false;
    if (!stroke_)
        return false;
    stroke_.reset();
    SetRubberShape(QPolygon());
    Scene& scene = workspace_.session.scene;
    if (scene.undoBuffer.writePosition() == strokeUndoStart_) {
        takenBack = true;  // nothing was laid
    } else if (scene.undoBuffer.undoAvailable()) {
        takenBack = scene.undoBuffer.Undo(scene, false);
    }
    Render();
    return true;
}

void MainView::SetBand(const QRect& band)
{
    // Repaint the old outline and draw the new one.
    if (!band_.isNull())
        update(band_.adjusted(-1, -1, 1, 1));
    band_ = band;
    if (!band_.isNull())
        update(band_.adjusted(-1, -1, 1, 1));
}

MainView::Pointer MainView::MousePointer(const QMouseEvent* event)
{
    Pointer p;
    p.at = event->position().toPoint();
    p.ctrl = (event->modifiers() & Qt::ControlModifier) != 0;
    return p;
}

void MainView::SetRubberShape(const QPolygon& shape)
{
    if (!rubberShape_.isEmpty())
        update(rubberShape_.boundingRect().adjusted(-1, -1, 1, 1));
    rubberShape_ = shape;
    if (!rubberShape_.isEmpty())
        update(rubberShape_.boundingRect().adjusted(-1, -1, 1, 1));
}

void MainView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    // A release that went to a dialog opened during the stroke (a hint, a warning) never
    // reached the view: that stroke or drag ends here.
    if (buttonDown_)
        Release(MousePointer(event));
    Press(MousePointer(event));
}

void MainView::mouseMoveEvent(QMouseEvent* event)
{
    hover_ = event->position().toPoint();
    RefreshBrushCircle();
    if (buttonDown_ && (event->buttons() & Qt::LeftButton))
        Move(MousePointer(event));
}

void MainView::leaveEvent(QEvent* event)
{
    hover_.reset();
    RefreshBrushCircle();
    QWidget::leaveEvent(event);
}

void MainView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && buttonDown_)
        Release(MousePointer(event));
}

void MainView::tabletEvent(QTabletEvent* event)
{
    Pointer p{event->position().toPoint(), (event->modifiers() & Qt::ControlModifier) != 0,
              static_cast<int>(std::lround(std::clamp(event->pressure(), 0.0, 1.0) * 128.0)),
              event->pointerType() == QPointingDevice::PointerType::Eraser};
    switch (event->type()) {
    case QEvent::TabletPress:
        if (!buttonDown_)
            Press(p);
        break;
    case QEvent::TabletMove:
        if (buttonDown_)
            Move(p);
        break;
    case QEvent::TabletRelease:
        if (buttonDown_)
            Release(p);
        break;
    default: return;
    }
    // Accepted, so Qt does not send the same motion again as mouse events.
    event->accept();
}

void MainView::contextMenuEvent(QContextMenuEvent* event)
{
    if (contextMenu_ && !buttonDown_)
        contextMenu_->exec(event->globalPos());
}

void MainView::dragEnterEvent(QDragEnterEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!urls.isEmpty() && urls.front().isLocalFile())
        event->acceptProposedAction();
}

void MainView::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.front().isLocalFile())
        return;
    event->acceptProposedAction();
    emit fileDropped(urls.front().toLocalFile());
}

void MainView::SetToolCursor(int cursorId)
{
    cursorId_ = cursorId;
    ShowCursor(cursorId);
}

void MainView::RefreshCursor()
{
    ShowCursor(cursorId_);
}

void MainView::ShowCursor(int cursorId)
{
    // A drag shows its cursor at every move; drawing the icon and handing the window system a
    // new cursor each time would cost every move of the drag for the same picture.
    const ShownCursor wanted{cursorId, workspace_.session.preferences.iconCursors != 0};
    if (shownCursor_ == wanted)
        return;
    shownCursor_ = wanted;
    setCursor(ViewCursor(wanted.id, wanted.icons));
}

} // namespace gessoria::app
