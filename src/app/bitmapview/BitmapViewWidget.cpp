#include "app/bitmapview/BitmapViewWidget.h"

#include "app/Workspace.h"
#include "app/bitmapview/BitmapViewCursor.h"
#include "scene/Scene.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace gessoria::app {

BitmapViewWidget::BitmapViewWidget(BitmapView& view, Workspace& workspace, UserInteraction& ui, QWidget* parent)
    : QAbstractScrollArea(parent), view_(view), workspace_(workspace), ui_(ui)
{
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    UpdateScrollBars();
    RefreshCursor();
}

QSize BitmapViewWidget::sizeHint() const
{
    const int frame = 2 * frameWidth();
    return {view_.scrollWidth() + frame, view_.scrollHeight() + frame};
}

QPoint BitmapViewWidget::scrollOffset() const
{
    return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

void BitmapViewWidget::UpdateScrollBars()
{
    const QSize shown = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, view_.scrollWidth() - shown.width()));
    horizontalScrollBar()->setPageStep(shown.width());
    horizontalScrollBar()->setSingleStep(16);
    verticalScrollBar()->setRange(0, std::max(0, view_.scrollHeight() - shown.height()));
    verticalScrollBar()->setPageStep(shown.height());
    verticalScrollBar()->setSingleStep(16);
}

void BitmapViewWidget::ZoomChanged()
{
    UpdateScrollBars();
    viewport()->update();
}

void BitmapViewWidget::ZoomIn()
{
    view_.ZoomIn();
    ZoomChanged();
    emit zoomed();
}

void BitmapViewWidget::ZoomOut()
{
    view_.ZoomOut();
    ZoomChanged();
    emit zoomed();
}

void BitmapViewWidget::NoZoom()
{
    view_.NoZoom();
    ZoomChanged();
    emit zoomed();
}

void BitmapViewWidget::SetZoom(float zoom)
{
    view_.SetZoom(zoom);
    ZoomChanged();
}

void BitmapViewWidget::ToggleCheckers()
{
    view_.ToggleCheckers();
    RepaintChanged();
}

void BitmapViewWidget::ToggleMesh()
{
    view_.ToggleMesh();
    viewport()->update();
}

void BitmapViewWidget::RepaintChanged()
{
    const TexelRect changed = view_.TakeChanged();
    if (changed.x1 < changed.x0 || changed.y1 < changed.y0)
        return;
    // Texel columns x0..x1 cover view pixels from x0 z to (x1 + 1) z; rows are shown last
    // row at the top.
    const double z = view_.zoom();
    const int height = view_.display().height();
    const QRect content(QPoint(static_cast<int>(std::floor(changed.x0 * z)), static_cast<int>(std::floor((height - 1 - changed.y1) * z))),
                        QPoint(static_cast<int>(std::ceil((changed.x1 + 1) * z)), static_cast<int>(std::ceil((height - changed.y0) * z))));
    viewport()->update(content.translated(-scrollOffset()).adjusted(-1, -1, 1, 1));
}

QImage BitmapViewWidget::Picture(const QRect& content) const
{
    const CDIB& display = view_.display();
    const QRect shown = content & QRect(0, 0, view_.scrollWidth(), view_.scrollHeight());
    if (shown.isEmpty() || !display.created())
        return {};
    const int bytes = display.bytesPerPixel();
    QImage picture(shown.size(), bytes == 3 ? QImage::Format_BGR888 : QImage::Format_Grayscale8);
    // Float rounding may put the last pixel one texel past the edge: clamp.
    std::vector<int> columnBytes(static_cast<std::size_t>(shown.width()));
    for (int x = 0; x < shown.width(); ++x)
        columnBytes[static_cast<std::size_t>(x)] = std::clamp(view_.ColumnAt(shown.left() + x), 0, display.width() - 1) * bytes;
    const bool oneToOne = view_.zoom() == 1.0f;
    for (int y = 0; y < shown.height(); ++y) {
        const std::uint8_t* in = display.row(std::clamp(view_.RowAt(shown.top() + y), 0, display.height() - 1));
        std::uint8_t* out = picture.scanLine(y);
        if (oneToOne) {
            std::memcpy(out, in + columnBytes.front(), static_cast<std::size_t>(shown.width() * bytes));
            continue;
        }
        for (const int at : columnBytes) {
            std::memcpy(out, in + at, static_cast<std::size_t>(bytes));
            out += bytes;
        }
    }
    return picture;
}

QPoint BitmapViewWidget::ViewportPointOf(int column, int row) const
{
    const double z = view_.zoom();
    const int height = view_.display().height();
    return QPoint(static_cast<int>((column + 0.5) * z), static_cast<int>((height - 1 - row + 0.5) * z)) - scrollOffset();
}

void BitmapViewWidget::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    const QPoint offset = scrollOffset();
    const QRect picture = QRect(0, 0, view_.scrollWidth(), view_.scrollHeight()).translated(-offset);
    for (const QRect& exposed : event->region()) {
        const QRect inside = exposed & picture;
        if (!inside.isEmpty())
            painter.drawImage(inside.topLeft(), Picture(inside.translated(offset)));
    }
    // Beyond the picture: the window's dark surround.
    painter.setClipRegion(event->region() - QRegion(picture));
    painter.fillRect(event->rect(), QColor(64, 64, 64));
    painter.setClipRegion(event->region());
    if (!rubberShape_.empty()) {
        // The Line tool's shape, dashed in white over black so it shows on any picture.
        const QPolygon shape = rubberShape();
        painter.setPen(QPen(Qt::black, 1));
        painter.drawPolyline(shape);
        painter.setPen(QPen(Qt::white, 1, Qt::DashDotLine));
        painter.drawPolyline(shape);
    }
    if (!view_.showMesh())
        return;
    if (!meshRead_) {
        // The material's faces do not change while the window is open (a new scene closes it).
        mesh_ = view_.MeshEdges();
        meshRead_ = true;
    }
    const double z = view_.zoom();
    const double top = view_.display().height() - 0.5;
    const QPointF shift(0.5 * z - offset.x(), -offset.y());
    std::vector<QLineF> lines;
    lines.reserve(mesh_.size());
    for (const BitmapView::MeshEdge& e : mesh_)
        lines.emplace_back(QPointF(e.x0 * z, (top - e.y0) * z) + shift, QPointF(e.x1 * z, (top - e.y1) * z) + shift);
    painter.setPen(QPen(Qt::white, 0));
    painter.drawLines(lines.data(), static_cast<int>(lines.size()));
}

void BitmapViewWidget::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void BitmapViewWidget::RefreshCursor()
{
    const int id = BitmapViewCursorId(view_.scene().paintTool);
    const bool icons = workspace_.session.preferences.iconCursors != 0;
    if (id == cursorId_ && viewport()->property("iconCursors").toBool() == icons)
        return;
    cursorId_ = id;
    viewport()->setProperty("iconCursors", icons);
    viewport()->setCursor(BitmapViewCursor(id, icons));
}

BitmapPoint BitmapViewWidget::PointAt(QPoint viewportPosition) const
{
    const QPoint content = viewportPosition + scrollOffset();
    const double z = view_.zoom();
    return {static_cast<int>(std::floor(content.x() / z)), static_cast<int>(std::floor(content.y() / z))};
}

template <typename Step>
void BitmapViewWidget::Paint(Step step)
{
    Session& s = workspace_.session;
    Scene& scene = s.scene;
    options_ = workspace_.render.Options();
    lighting_ = workspace_.Lighting();
    const PaintingContext context{s.brushes.current(), s.paints.current(), s.paintValues, workspace_.random,
                                  scene.paintTool, s.bitmapPaintScale};
    const Painter painter(scene, noFrame_, options_, lighting_, context, &ui_);
    const int before = stroke_->dabCounter();
    step(painter, s.painting, s.painting.options.eraserMaps);
    if (stroke_->dabCounter() != before)
        emit painted();
}

void BitmapViewWidget::mousePressEvent(QMouseEvent* event)
{
    RefreshCursor();
    if (event->button() != Qt::LeftButton || stroke_ || cursorId_ < 0 || !view_.valid())
        return;
    stroke_.emplace(view_, &workspace_.session.paintValues);
    const BitmapPoint at = PointAt(event->position().toPoint());
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    // A fill can take a moment on a large map.
    const bool fill = view_.scene().paintTool == PaintTool::Fill;
    if (fill)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    Paint([&](const Painter& p, PaintingState& state, const EraserSwitches& eraser) { stroke_->Press(p, state, eraser, at, ctrl); });
    if (fill)
        QApplication::restoreOverrideCursor();
}

void BitmapViewWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (!stroke_) {
        RefreshCursor();
        return;
    }
    const BitmapPoint to = PointAt(event->position().toPoint());
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    Paint([&](const Painter& p, PaintingState& state, const EraserSwitches& eraser) { stroke_->Move(p, state, eraser, to, ctrl); });
    SetRubberShape(stroke_->ShapeTo(workspace_.session.painting, to));
}

void BitmapViewWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !stroke_)
        return;
    const BitmapPoint at = PointAt(event->position().toPoint());
    SetRubberShape({});
    const bool shape = view_.scene().paintTool == PaintTool::Line;
    if (shape)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    Paint([&](const Painter& p, PaintingState& state, const EraserSwitches& eraser) { stroke_->Release(p, state, eraser, at); });
    if (shape)
        QApplication::restoreOverrideCursor();
    stroke_.reset();
    emit strokeEnded();
}

QPolygon BitmapViewWidget::rubberShape() const
{
    QPolygon shape;
    const double z = view_.zoom();
    const QPoint offset = scrollOffset();
    // Through the middle of each corner's pixel, as the picture shows it.
    for (const BitmapPoint& c : rubberShape_)
        shape << QPoint(static_cast<int>((c.x + 0.5) * z), static_cast<int>((c.y + 0.5) * z)) - offset;
    return shape;
}

void BitmapViewWidget::SetRubberShape(std::vector<BitmapPoint> corners)
{
    if (corners == rubberShape_)
        return;
    const QRect old = rubberShape().boundingRect();
    rubberShape_ = std::move(corners);
    const int margin = static_cast<int>(view_.zoom()) + 2;
    viewport()->update(old.united(rubberShape().boundingRect()).adjusted(-margin, -margin, margin, margin));
}

void BitmapViewWidget::ShowMenu(QPoint globalPosition)
{
    if (contextMenu_ != nullptr && !stroke_)
        contextMenu_->popup(globalPosition);
}

void BitmapViewWidget::contextMenuEvent(QContextMenuEvent* event)
{
    // From the keyboard the menu opens just inside the view's top-left corner.
    ShowMenu(event->reason() == QContextMenuEvent::Keyboard ? viewport()->mapToGlobal(QPoint(5, 5)) : event->globalPos());
}

void BitmapViewWidget::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
        ShowMenu(viewport()->mapToGlobal(QPoint(5, 5)));
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

} // namespace gessoria::app
