#include "AppFixture.h"

#include "paint/PickFace.h"

#include <QPointingDevice>
#include <QTabletEvent>
#include <QTest>

namespace gessoria::test {

std::unique_ptr<app::MainWindow> ShowMainWindow(const QTemporaryDir& directory, app::Workspace& workspace,
                                                UserInteraction& ui, app::WarningWindow& warnings,
                                                app::RecentFiles& recent)
{
    qputenv("GESSORIA_INI", directory.filePath("gessoria.INI").toUtf8());
    workspace.session.Startup(directory.filePath("gessoria.INI").toStdString(), GESSORIA_STARTER_LIBRARY_DIR, ui);
    // A first start paints in projection mode; the window tests paint in texture space unless
    // they switch projection on.
    workspace.session.preferences.projection = 0;
    workspace.RenderFromPreferences();
    auto window = std::make_unique<app::MainWindow>(workspace, ui, warnings, recent);
    window->resize(800, 600);
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        qWarning("the main window was not exposed");
    return window;
}

void KeepPicture(QWidget& widget, const QString& name)
{
    const QString folder = qEnvironmentVariable("GESSORIA_TEST_PICTURES");
    if (!folder.isEmpty())
        widget.grab().save(folder + "/" + name + ".png");
}

AppFixture::AppFixture() : window(ShowMainWindow(directory, workspace, ui, warnings, recent)) {}

bool AppFixture::OpenSample()
{
    return window->OpenFile(GESSORIA_SAMPLE_DIR "/monkey.3ds", false);
}

void AppFixture::Drag(const std::vector<QPoint>& points, Qt::KeyboardModifiers modifiers)
{
    QWidget* v = &view();
    QTest::mousePress(v, Qt::LeftButton, modifiers, points.front());
    for (std::size_t i = 1; i < points.size(); ++i) {
        QMouseEvent move(QEvent::MouseMove, points[i], v->mapToGlobal(points[i]), Qt::NoButton, Qt::LeftButton,
                         modifiers);
        QApplication::sendEvent(v, &move);
    }
    QTest::mouseRelease(v, Qt::LeftButton, modifiers, points.back());
}

void AppFixture::TabletDrag(const std::vector<QPoint>& points, double pressure, bool eraserEnd)
{
    static QPointingDevice pen("test stylus", 1, QInputDevice::DeviceType::Stylus, QPointingDevice::PointerType::Pen,
                               QInputDevice::Capability::Position | QInputDevice::Capability::Pressure, 1, 3);
    static QPointingDevice eraser("test stylus eraser", 2, QInputDevice::DeviceType::Stylus,
                                  QPointingDevice::PointerType::Eraser,
                                  QInputDevice::Capability::Position | QInputDevice::Capability::Pressure, 1, 3);
    const QPointingDevice* device = eraserEnd ? &eraser : &pen;
    QWidget* v = &view();
    for (std::size_t i = 0; i < points.size(); ++i) {
        const QEvent::Type type = i == 0 ? QEvent::TabletPress : QEvent::TabletMove;
        QTabletEvent event(type, device, QPointF(points[i]), QPointF(v->mapToGlobal(points[i])), pressure, 0, 0, 0, 0,
                           0, Qt::NoModifier, Qt::LeftButton, Qt::LeftButton);
        QApplication::sendEvent(v, &event);
    }
    QTabletEvent release(QEvent::TabletRelease, device, QPointF(points.back()), QPointF(v->mapToGlobal(points.back())),
                         0.0, 0, 0, 0, 0, 0, Qt::NoModifier, Qt::LeftButton, Qt::NoButton);
    QApplication::sendEvent(v, &release);
}

std::vector<std::uint8_t> AppFixture::ColourLayerBytes(int material)
{
    Material& m = scene().materials[static_cast<std::size_t>(material)];
    LayerStack& stack = m.stack(MapType::Colour);
    const auto bits = stack[m.currentLayer[static_cast<std::size_t>(MapType::Colour)]].image.bits();
    return {bits.begin(), bits.end()};
}

int AppFixture::MaterialAt(QPoint at)
{
    const PickResult hit = PickFace(scene(), at.x(), at.y());
    return hit.face < 0 ? -1 : scene().faceMaterial[static_cast<std::size_t>(hit.face)];
}

QPoint AppFixture::PointOnObject()
{
    const QPoint centre = view().rect().center();
    for (int dy = 0; dy < 200; dy += 4)
        for (int dx = 0; dx < 200; dx += 4)
            if (MaterialAt(centre + QPoint(dx, dy)) > 0 && MaterialAt(centre + QPoint(dx + 40, dy)) > 0)
                return centre + QPoint(dx, dy);
    return centre;
}

} // namespace gessoria::test
