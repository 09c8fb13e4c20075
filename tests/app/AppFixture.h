#pragma once
// A main window over a fresh run, for the desktop program's tests: preferences in a
// temporary INI file, the repository's starter libraries, a RecordingInteraction in place
// of the real dialogs, and helpers that press, drag and release on the view.

#include "app/MainWindow.h"
#include "app/RecentFiles.h"
#include "app/WarningWindow.h"
#include "app/Workspace.h"
#include "app/view/MainView.h"
#include "support/RecordingInteraction.h"

#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace gessoria::test {

// Starts the run's session with its preferences in `directory` and shows a main window
// over it, talking to the user through `ui`.
std::unique_ptr<app::MainWindow> ShowMainWindow(const QTemporaryDir& directory, app::Workspace& workspace,
                                                UserInteraction& ui, app::WarningWindow& warnings,
                                                app::RecentFiles& recent);

// With GESSORIA_TEST_PICTURES naming a folder, writes a picture of the widget there as
// NAME.png, for looking at the windows the tests open; otherwise does nothing.
void KeepPicture(QWidget& widget, const QString& name);

struct AppFixture {
    QTemporaryDir directory;
    app::Workspace workspace;
    RecordingInteraction ui;
    app::WarningWindow warnings{workspace.session.preferences.beepOnWarning};
    app::RecentFiles recent;
    std::unique_ptr<app::MainWindow> window;

    AppFixture();

    Scene& scene() { return workspace.session.scene; }
    app::MainView& view() { return window->view(); }
    bool OpenSample();
    // Left-button press at the first point, moves through the rest, release at the last.
    void Drag(const std::vector<QPoint>& points, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // The same with tablet events (pressure 0..1, the stylus's eraser end or its tip).
    void TabletDrag(const std::vector<QPoint>& points, double pressure, bool eraserEnd);
    // The bytes of the material's current Colour layer.
    std::vector<std::uint8_t> ColourLayerBytes(int material);
    // The material of the face under a view pixel, or -1.
    int MaterialAt(QPoint at);
    // A view pixel on the object near the view's centre.
    QPoint PointOnObject();
};

} // namespace gessoria::test
