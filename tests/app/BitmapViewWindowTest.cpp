// Bitmap view windows: opened from the Layers page once per layer, zoom and checkers, painting
// with the pointer, the Image commands, export and printing, the menus' actions, and closing
// when the layer or the scene goes.
#include "AppFixture.h"

#include "app/CommandTable.h"
#include "app/bitmapview/BitmapViewWidget.h"
#include "app/bitmapview/BitmapViewWindow.h"
#include "app/bitmapview/BitmapViewWindows.h"
#include "app/panel/ControlPanel.h"
#include "app/panel/LayersPage.h"
#include "scene/LayerOperations.h"
#include "view3d/ViewFrame.h"

#include <QFileInfo>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>

#include <cmath>
#include <cstring>

namespace gessoria::test {
namespace {

using app::BitmapViewCommand;
using app::BitmapViewWindow;

// The Layers page showing the first material with layers, on the Colour tab.
app::LayersPage& LayersPageOf(AppFixture& f)
{
    auto* page = static_cast<app::LayersPage*>(f.window->controlPanel().ShowPage(app::PanelPage::Layers));
    page->ChooseMapType(MapType::Colour);
    return *page;
}

Material& ChosenMaterial(AppFixture& f, app::LayersPage& page)
{
    return f.scene().materials[static_cast<std::size_t>(page.materialIndex())];
}

// Selects a layer in the page's list and presses View.
BitmapViewWindow* ViewLayer(AppFixture& f, app::LayersPage& page, int layer)
{
    for (int row = 0; row < page.list()->count(); ++row)
        if (page.list()->item(row)->data(Qt::UserRole).toInt() == layer)
            page.list()->setCurrentRow(row);
    QTest::mouseClick(page.viewButton(), Qt::LeftButton);
    return f.window->bitmapViews().Find(page.materialIndex(), MapType::Colour, layer);
}

// The sample opened and the window of its first material's Colour Base Layer; null when
// either fails.
BitmapViewWindow* SampleBaseLayerWindow(AppFixture& f)
{
    return f.OpenSample() ? ViewLayer(f, LayersPageOf(f), 1) : nullptr;
}

std::vector<std::uint8_t> Bytes(const CDIB& image) { return {image.bits().begin(), image.bits().end()}; }

void DragIn(app::BitmapViewWidget& widget, const std::vector<QPoint>& points, Qt::KeyboardModifiers modifiers = {})
{
    QWidget* v = widget.viewport();
    QTest::mousePress(v, Qt::LeftButton, modifiers, points.front());
    for (std::size_t i = 1; i < points.size(); ++i) {
        QMouseEvent move(QEvent::MouseMove, points[i], v->mapToGlobal(points[i]), Qt::NoButton, Qt::LeftButton, modifiers);
        QApplication::sendEvent(v, &move);
    }
    QTest::mouseRelease(v, Qt::LeftButton, modifiers, points.back());
}

class BitmapViewWindowTest : public QObject {
    Q_OBJECT
private slots:
    void ViewOpensOneWindowPerLayerAndRefusesAMaterialWithoutLayers()
    {
        AppFixture f;
        BitmapViewWindow* window = SampleBaseLayerWindow(f);
        QVERIFY(window != nullptr);
        app::LayersPage& page = LayersPageOf(f);
        QVERIFY(window->isVisible());
        QCOMPARE(window->windowTitle(), QString::fromStdString(window->view().WindowTitle()));
        QVERIFY(window->windowTitle().startsWith("Material: " + QString::fromStdString(ChosenMaterial(f, page).name) +
                                                 "  -  Type: Colour  -  Layer: 1   -  File: "));
        // Again: the same window, brought forward.
        QCOMPARE(ViewLayer(f, page, 1), window);
        QCOMPARE(f.window->bitmapViews().windows().size(), std::size_t{1});
        BitmapViewWindow* renderer = ViewLayer(f, page, 0);
        QVERIFY(renderer != nullptr && renderer != window);
        QCOMPARE(f.window->bitmapViews().windows().size(), std::size_t{2});

        // Closing forgets the window; View makes a new one, which keeps its own view after the
        // closed window is deleted.
        const QPointer<BitmapViewWindow> closed = window;
        window->close();
        QCOMPARE(f.window->bitmapViews().windows().size(), std::size_t{1});
        BitmapViewWindow* reopened = ViewLayer(f, page, 1);
        QVERIFY(reopened != nullptr && &reopened->view() != &closed->view());
        QTRY_VERIFY(closed.isNull());
        QCOMPARE(f.window->bitmapViews().Find(page.materialIndex(), MapType::Colour, 1), reopened);
        QVERIFY(reopened->view().valid());

        ChosenMaterial(f, page).hasLayers = 0;
        QTest::mouseClick(page.viewButton(), Qt::LeftButton);
        QCOMPARE(f.ui.Dialogs().back(), std::string("Material has no texture.  No layers defined"));
        QCOMPARE(f.window->bitmapViews().windows().size(), std::size_t{2});
    }

    void ZoomStepsScrollAndShowTheTexelTheEngineNames()
    {
        AppFixture f;
        BitmapViewWindow* window = SampleBaseLayerWindow(f);
        QVERIFY(window != nullptr);
        app::BitmapViewWidget& widget = window->widget();
        BitmapView& view = window->view();
        window->action(BitmapViewCommand::ZoomIn)->trigger();
        QCOMPARE(view.zoom(), 1.428571f);
        QCOMPARE(view.scrollWidth(), static_cast<int>(static_cast<float>(view.display().width()) * 1.428571f));
        QCOMPARE(widget.horizontalScrollBar()->maximum(), std::max(0, view.scrollWidth() - widget.viewport()->width()));
        window->action(BitmapViewCommand::ZoomOut)->trigger();
        QVERIFY(std::fabs(view.zoom() - 1.0f) < 1e-5f);
        window->action(BitmapViewCommand::ZoomIn)->trigger();
        window->action(BitmapViewCommand::ZoomIn)->trigger();
        // Every shown pixel is the display texel at (ColumnAt(x), RowAt(y)), rows upside down.
        const CDIB& display = view.display();
        const QImage picture = widget.Picture(QRect(0, 0, 300, 200));
        for (const QPoint p : {QPoint(0, 0), QPoint(1, 1), QPoint(2, 3), QPoint(150, 77), QPoint(299, 199)}) {
            const std::uint8_t* texel = display.row(view.RowAt(p.y())) + 3 * view.ColumnAt(p.x());
            QCOMPARE(picture.pixel(p), qRgb(texel[2], texel[1], texel[0]));
        }
        // A grey layer shows its one byte in all three channels.
        app::LayersPage& page = LayersPageOf(f);
        page.ChooseMapType(MapType::Bump);
        QTest::mouseClick(page.viewButton(), Qt::LeftButton);
        BitmapViewWindow* bump = f.window->bitmapViews().Find(page.materialIndex(), MapType::Bump, 1);
        QVERIFY(bump != nullptr);
        const std::uint8_t grey = bump->view().display().row(bump->view().RowAt(7))[bump->view().ColumnAt(5)];
        QCOMPARE(bump->widget().Picture(QRect(5, 7, 1, 1)).pixel(0, 0), qRgb(grey, grey, grey));

        window->action(BitmapViewCommand::NoZoom)->trigger();
        QCOMPARE(view.zoom(), 1.0f);
        QCOMPARE(widget.horizontalScrollBar()->maximum(), std::max(0, display.width() - widget.viewport()->width()));
    }

    void AlphaChecksRecomposeAPaintLayerOverTheBoard()
    {
        AppFixture f;
        QVERIFY(f.OpenSample());
        app::LayersPage& page = LayersPageOf(f);
        f.ui.texts.push_back(std::string("Clear"));
        QTest::mouseClick(page.newButton(), Qt::LeftButton);  // layer 2, fully transparent
        BitmapViewWindow* window = ViewLayer(f, page, 2);
        QVERIFY(window != nullptr);
        const CDIB& display = window->view().display();
        const int bottom = window->view().scrollHeight() - 1;  // the view's last row shows texel row 0
        QCOMPARE(window->widget().Picture(QRect(0, bottom, 1, 1)).pixel(0, 0), qRgb(0, 0, 0));
        window->action(BitmapViewCommand::ToggleCheckers)->trigger();
        QVERIFY(window->action(BitmapViewCommand::ToggleCheckers)->isChecked());
        // Alpha 0 lets 1/256 of the layer through: m + ((c - m) x 1 >> 8) over squares m of
        // 190 and 255.
        const int c = ChosenMaterial(f, page).stack(MapType::Colour)[2].image.row(0)[0];
        const auto over = [c](int m) { return static_cast<std::uint8_t>(m + ((c - m) >> 8)); };
        QCOMPARE(display.row(0)[0], over(190));
        QCOMPARE(display.row(0)[3 * 8], over(255));
        QCOMPARE(display.row(8)[3 * 8], over(190));
        const int shown = over(190);
        QCOMPARE(window->widget().Picture(QRect(0, bottom, 1, 1)).pixel(0, 0), qRgb(shown, shown, shown));
        window->action(BitmapViewCommand::ToggleCheckers)->trigger();
        QCOMPARE(display.row(0)[3 * 8], std::uint8_t{0});
    }

    void DraggingPaintsTheLayerAsTheEngineStrokeDoesAndRedrawsTheSurface()
    {
        // The same drag through the window and straight through the engine, on two runs.
        const std::vector<QPoint> drag{{40, 30}, {60, 45}, {90, 45}, {95, 80}};
        AppFixture f;
        BitmapViewWindow* window = SampleBaseLayerWindow(f);
        QVERIFY(window != nullptr);
        app::LayersPage& page = LayersPageOf(f);
        window->action(BitmapViewCommand::ZoomIn)->trigger();
        f.workspace.session.paintValues.foreground = 0xFF2040E0;
        const CDIB& layer = ChosenMaterial(f, page).stack(MapType::Colour)[1].image;
        const std::vector<std::uint8_t> before = Bytes(layer);
        QSignalSpy redraws(f.window->commands()[app::Command::RedrawScreen], &QAction::triggered);
        DragIn(window->widget(), drag);
        QVERIFY(Bytes(layer) != before);
        // The texel under the press is painted and the window shows it there.
        const BitmapView& view = window->view();
        const std::uint8_t* pressed = layer.row(view.RowAt(drag[0].y())) + 3 * view.ColumnAt(drag[0].x());
        const QImage shown = window->widget().Picture(QRect(drag[0], QSize(1, 1)));
        const std::uint8_t* composite = view.display().row(view.RowAt(drag[0].y())) + 3 * view.ColumnAt(drag[0].x());
        QCOMPARE(shown.pixel(0, 0), qRgb(composite[2], composite[1], composite[0]));
        QCOMPARE(composite[2], pressed[2]);
        // One Redraw Screen for the whole drag, once the events have run.
        QTRY_COMPARE(redraws.count(), 1);

        AppFixture g;
        QVERIFY(g.OpenSample());
        app::LayersPage& other = LayersPageOf(g);
        BitmapViewWindow* reference = ViewLayer(g, other, 1);
        QVERIFY(reference != nullptr);
        reference->view().ZoomIn();
        g.workspace.session.paintValues.foreground = 0xFF2040E0;
        Session& s = g.workspace.session;
        ViewFrame noFrame;
        const RenderOptions options = g.workspace.render.Options();
        const LightingSettings lighting = g.workspace.Lighting();
        const Painter painter(s.scene, noFrame, options, lighting,
                              {s.brushes.current(), s.paints.current(), s.paintValues, g.workspace.random, PaintTool::Brush},
                              &g.ui);
        BitmapStroke stroke(reference->view());
        const double z = reference->view().zoom();
        const auto at = [z](QPoint p) {
            return BitmapPoint{static_cast<int>(p.x() / z), static_cast<int>(p.y() / z)};
        };
        stroke.Press(painter, s.painting, s.painting.options.eraserMaps, at(drag[0]));
        for (std::size_t i = 1; i < drag.size(); ++i)
            stroke.Move(painter, s.painting, s.painting.options.eraserMaps, at(drag[i]));
        QCOMPARE(Bytes(ChosenMaterial(g, other).stack(MapType::Colour)[1].image), Bytes(layer));
    }

    void CtrlWithTheBrushSamplesAndTheCursorFollowsTheTool()
    {
        AppFixture f;
        BitmapViewWindow* window = SampleBaseLayerWindow(f);
        QVERIFY(window != nullptr);
        app::LayersPage& page = LayersPageOf(f);
        app::BitmapViewWidget& widget = window->widget();
        QCOMPARE(widget.cursorId(), 158);
        const Material& m = ChosenMaterial(f, page);
        const std::vector<std::uint8_t> before = Bytes(m.stack(MapType::Colour)[1].image);
        f.workspace.session.paintValues.foreground = 0x33000000;
        DragIn(widget, {{20, 20}}, Qt::ControlModifier);
        const BitmapView& view = window->view();
        const std::uint8_t* texel = m.stack(MapType::Colour)[0].image.row(view.RowAt(20)) + 3 * view.ColumnAt(20);
        QCOMPARE(f.workspace.session.paintValues.foreground,
                 0x33000000u | (std::uint32_t{texel[0]} << 16) | (std::uint32_t{texel[1]} << 8) | texel[2]);
        QVERIFY(Bytes(m.stack(MapType::Colour)[1].image) == before);

        f.window->commands()[app::Command::SamplerTool]->trigger();
        widget.RefreshCursor();
        QCOMPARE(widget.cursorId(), 157);
        f.window->commands()[app::Command::FillTool]->trigger();
        widget.RefreshCursor();
        QCOMPARE(widget.cursorId(), 132);
        f.window->commands()[app::Command::LineTool]->trigger();
        widget.RefreshCursor();
        QCOMPARE(widget.cursorId(), 132);
        f.window->commands()[app::Command::TextTool]->trigger();
        widget.RefreshCursor();
        QCOMPARE(widget.cursorId(), -1);
    }

    void TheLineToolDrawsItsShapeWhileDraggedAndLaysItAtTheRelease()
    {
        AppFixture f;
        BitmapViewWindow* window = SampleBaseLayerWindow(f);
        QVERIFY(window != nullptr);
        const CDIB& layer = ChosenMaterial(f, LayersPageOf(f)).stack(MapType::Colour)[1].image;
        const std::vector<std::uint8_t> before = Bytes(layer);
        f.window->commands()[app::Command::LineTool]->trigger();
        app::BitmapViewWidget& widget = window->widget();
        widget.RefreshCursor();
        QWidget* v = widget.viewport();
        QSignalSpy redraws(f.window->commands()[app::Command::RedrawScreen], &QAction::triggered);
        QTest::mousePress(v, Qt::LeftButton, {}, QPoint(20, 30));
        QMouseEvent move(QEvent::MouseMove, QPoint(90, 60), v->mapToGlobal(QPoint(90, 60)), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(v, &move);
        QCOMPARE(widget.rubberShape().size(), 2);
        QCOMPARE(widget.rubberShape().last(), widget.ViewportPointOf(window->view().ColumnAt(90), window->view().RowAt(60)));
        QVERIFY(Bytes(layer) == before);
        QTest::mouseRelease(v, Qt::LeftButton, {}, QPoint(90, 60));
        QVERIFY(widget.rubberShape().isEmpty());
        QVERIFY(Bytes(layer) != before);
        // Both ends of the line are painted, and the surface is redrawn once.
        const BitmapView& view = window->view();
        const std::uint8_t* end = layer.row(view.RowAt(60)) + 3 * view.ColumnAt(90);
        const std::uint8_t* start = layer.row(view.RowAt(30)) + 3 * view.ColumnAt(20);
        const std::size_t endAt = static_cast<std::size_t>(end - layer.bits().data());
        const std::size_t startAt = static_cast<std::size_t>(start - layer.bits().data());
        QVERIFY(std::memcmp(end, before.data() + endAt, 3) != 0);
        QVERIFY(std::memcmp(start, before.data() + startAt, 3) != 0);
        QTRY_COMPARE(redraws.count(), 1);
    }

    void ImageCommandsLeaveTheRendererLayerAloneAndRedrawAfterAChange()
    {
        AppFixture f;
        QVERIFY(f.OpenSample());
        app::LayersPage& page = LayersPageOf(f);
        const Material& m = ChosenMaterial(f, page);
        BitmapViewWindow* renderer = ViewLayer(f, page, 0);
        QVERIFY(renderer != nullptr);
        const std::vector<std::uint8_t> composite = Bytes(m.stack(MapType::Colour)[0].image);
        const std::vector<std::uint8_t> base = Bytes(m.stack(MapType::Colour)[1].image);
        QSignalSpy redraws(f.window->commands()[app::Command::RedrawScreen], &QAction::triggered);
        for (BitmapViewCommand c : {BitmapViewCommand::Rotate90, BitmapViewCommand::FlipHorizontal, BitmapViewCommand::Invert,
                                    BitmapViewCommand::Monochrome})
            renderer->action(c)->trigger();
        QCoreApplication::processEvents();
        QVERIFY(Bytes(m.stack(MapType::Colour)[0].image) == composite);
        QVERIFY(Bytes(m.stack(MapType::Colour)[1].image) == base);
        QCOMPARE(redraws.count(), 0);

        // On the Base Layer Invert changes it, the composite, and both open views.
        BitmapViewWindow* window = ViewLayer(f, page, 1);
        window->action(BitmapViewCommand::Invert)->trigger();
        const CDIB& layer = m.stack(MapType::Colour)[1].image;
        QCOMPARE(layer.row(3)[5], static_cast<std::uint8_t>(255 - base[3 * 0 + layer.stride() * 3 + 5]));
        QCOMPARE(window->view().display().row(3)[5], layer.row(3)[5]);
        QCOMPARE(renderer->view().display().row(3)[5], m.stack(MapType::Colour)[0].image.row(3)[5]);
        QTRY_COMPARE(redraws.count(), 1);
    }

    void SaveAnsweredNoWritesWithoutTheMeshAndCancelWritesNothing()
    {
        AppFixture f;
        BitmapViewWindow* window = SampleBaseLayerWindow(f);
        QVERIFY(window != nullptr);
        window->action(BitmapViewCommand::ShowMesh)->trigger();
        QVERIFY(window->view().showMesh());
        const QString plain = f.directory.filePath("plain.png"), cancelled = f.directory.filePath("cancelled.png");
        f.ui.saveFiles.push_back(plain.toStdString());
        f.ui.yesNoCancel.push_back(YesNoCancel::No);
        window->action(BitmapViewCommand::Save)->trigger();
        QCOMPARE(f.ui.Dialogs().back(), std::string("Do you want to export the mesh overlay on the image?"));
        const QImage saved(plain);
        QCOMPARE(saved.size(), QSize(window->view().display().width(), window->view().display().height()));
        // Upright and without the mesh: the file's top-left is the view's top-left.
        QCOMPARE(saved.pixel(0, 0), window->widget().Picture(QRect(0, 0, 1, 1)).pixel(0, 0));

        f.ui.saveFiles.push_back(cancelled.toStdString());
        f.ui.yesNoCancel.push_back(YesNoCancel::Cancel);
        window->action(BitmapViewCommand::Save)->trigger();
        QVERIFY(!QFileInfo::exists(cancelled));

        f.ui.saveFiles.push_back(f.directory.filePath("moving.gif").toStdString());
        window->action(BitmapViewCommand::Save)->trigger();
        QCOMPARE(f.ui.Dialogs().back(), std::string("Gif Format not supported"));
    }

    void PrintingFitsThePageAndAFailureNamesTheDevice()
    {
        AppFixture f;
        BitmapViewWindow* window = SampleBaseLayerWindow(f);
        QVERIFY(window != nullptr);
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(f.directory.filePath("layer.pdf"));
        QVERIFY(window->PrintTo(printer));
        QVERIFY(QFileInfo(f.directory.filePath("layer.pdf")).size() > 0);

        QPrinter nowhere;
        nowhere.setOutputFormat(QPrinter::PdfFormat);
        nowhere.setOutputFileName("/nonexistent-directory/layer.pdf");
        QVERIFY(!window->PrintTo(nowhere));
        QCOMPARE(f.ui.Dialogs().back(), std::string("There was an error printing to device /nonexistent-directory/layer.pdf"));
    }

    void MenusToolBarAndRightButtonMenuHoldTheirCommands()
    {
        AppFixture f;
        BitmapViewWindow* window = SampleBaseLayerWindow(f);
        QVERIFY(window != nullptr);
        QStringList buttons;
        for (QAction* a : window->toolBar().actions())
            buttons << (a->isSeparator() ? QString("|") : a->toolTip());
        QCOMPARE(buttons, QStringList({"File Save", "Print Bitmap View", "|", "Show Mesh", "Toggle Checkers", "|", "Zoom In",
                                       "Zoom Out", "No Zoom", "|", "Flip Vertical", "Flip Horizontal", "Rotate 90",
                                       "Rotate 180", "Rotate -90"}));
        // Cut, Copy and Paste are the main window's own actions.
        const QList<QAction*> popup = window->contextMenu().actions();
        QVERIFY(popup.contains(f.window->commands()[app::Command::Cut]));
        QVERIFY(popup.contains(f.window->commands()[app::Command::Copy]));
        QVERIFY(popup.contains(f.window->commands()[app::Command::Paste]));
        QVERIFY(popup.contains(window->action(BitmapViewCommand::ToggleCheckers)));
        QCOMPARE(window->action(BitmapViewCommand::ToggleCheckers)->text(), QString("&Alpha Checks"));
        QCOMPARE(window->action(BitmapViewCommand::RotateMinus90)->text(), QString("&90 Degrees &Anticlockwise"));
        QVERIFY(!window->action(BitmapViewCommand::Open)->isEnabled());
        // Shift+F10 opens it just inside the view's top-left corner.
        QTest::keyClick(window->widget().viewport(), Qt::Key_F10, Qt::ShiftModifier);
        QTRY_VERIFY(window->contextMenu().isVisible());
        QCOMPARE(window->contextMenu().pos(), window->widget().viewport()->mapToGlobal(QPoint(5, 5)));
        window->contextMenu().close();
    }

    void WindowsCloseWhenTheirLayerGoesOrMovesAndWithTheScene()
    {
        AppFixture f;
        QVERIFY(f.OpenSample());
        app::LayersPage& page = LayersPageOf(f);
        f.ui.texts.push_back(std::string("Upper"));
        QTest::mouseClick(page.newButton(), Qt::LeftButton);
        app::BitmapViewWindows& windows = f.window->bitmapViews();
        QVERIFY(ViewLayer(f, page, 1) != nullptr);
        QVERIFY(ViewLayer(f, page, 2) != nullptr);
        QCOMPARE(windows.windows().size(), std::size_t{2});
        f.ui.yesNo.push_back(true);
        QTest::mouseClick(page.deleteButton(), Qt::LeftButton);  // layer 2 is selected
        QCOMPARE(windows.windows().size(), std::size_t{1});
        QVERIFY(windows.Find(page.materialIndex(), MapType::Colour, 2) == nullptr);
        QVERIFY(windows.Find(page.materialIndex(), MapType::Colour, 1) != nullptr);

        // Promoting swaps two layers: every view of the stack closes.
        f.ui.texts.push_back(std::string("Again"));
        QTest::mouseClick(page.newButton(), Qt::LeftButton);
        QVERIFY(ViewLayer(f, page, 2) != nullptr);
        QCOMPARE(windows.windows().size(), std::size_t{2});
        QTest::mouseClick(page.promoteButton(), Qt::LeftButton);
        QCOMPARE(windows.windows().size(), std::size_t{0});

        // A new scene closes every window, and the new scene's views still follow painting.
        QVERIFY(ViewLayer(f, page, 1) != nullptr);
        QVERIFY(f.OpenSample());
        QCOMPARE(windows.windows().size(), std::size_t{0});
        QCOMPARE(f.scene().layerViews, static_cast<LayerViewSink*>(&windows));
        const QPoint at = f.PointOnObject();
        app::LayersPage& again = LayersPageOf(f);
        again.ChooseMaterial(f.MaterialAt(at));
        BitmapViewWindow* window = ViewLayer(f, again, 1);
        QVERIFY(window != nullptr);
        const std::vector<std::uint8_t> before = Bytes(window->view().display());
        f.workspace.session.paintValues.foreground = 0xFF0000FF;
        f.Drag({at, at + QPoint(6, 0)});
        // The Base Layer is opaque: the view shows its pixels as they are.
        QVERIFY(Bytes(window->view().display()) != before);
        QVERIFY(Bytes(window->view().display()) == Bytes(ChosenMaterial(f, again).stack(MapType::Colour)[1].image));
    }
};

} // namespace

QObject* MakeBitmapViewWindowTest() { return new BitmapViewWindowTest; }

} // namespace gessoria::test

#include "BitmapViewWindowTest.moc"
