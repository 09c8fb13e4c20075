// Every command of the command table through its QAction, the one object its menu entry, key
// and button share: one row per command, each arranging a state in which the command's own
// handler leaves a mark no other handler leaves, so a command wired to the wrong handler fails.
#include "AppFixture.h"

#include "app/CommandTable.h"
#include "app/help/HelpWindow.h"
#include "app/panel/ControlPanel.h"
#include "app/palettes/ApplicatorsPalette.h"
#include "app/palettes/ColourPicker.h"
#include "app/palettes/InfoWindow.h"
#include "app/palettes/PigmentsPalette.h"
#include "view3d/Navigation.h"
#include "view3d/Projection.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFile>
#include <QMimeData>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QSignalSpy>
#include <QToolBar>
#include <QWhatsThis>

#include <functional>
#include <map>
#include <set>

namespace gessoria::test {

using app::Command;

namespace {

// Triggers `action`; every modal window it opens is recorded by its title and closed.
QStringList TriggerClosingDialogs(QAction* action)
{
    QStringList titles;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&titles] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr)
            return;
        titles << modal->windowTitle();
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
    });
    closer.start(20);
    action->trigger();
    closer.stop();
    return titles;
}

bool ClipboardEmpty()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data == nullptr || data->formats().isEmpty();
}

QString CameraText(const Camera& c)
{
    return QString("%1 %2 %3 / %4 %5 %6 / %7 %8 %9")
        .arg(c.angleX)
        .arg(c.angleY)
        .arg(c.angleZ)
        .arg(c.lightB)
        .arg(c.lightA)
        .arg(c.lightC)
        .arg(c.panX)
        .arg(c.panY)
        .arg(c.scale);
}

// The next (or previous) widget of the window's focus chain that takes Tab focus.
QWidget* FocusNeighbour(QWidget* from, bool next)
{
    for (QWidget* w = next ? from->nextInFocusChain() : from->previousInFocusChain(); w != from;
         w = next ? w->nextInFocusChain() : w->previousInFocusChain())
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisible() && w->isEnabled() && w->window() == from->window())
            return w;
    return from;
}

struct CommandFixture : AppFixture {
    QAction* Action(Command id) { return window->commands()[id]; }
    Camera& camera() { return scene().camera; }
    QPoint stroke[4];

    // A four-point Brush stroke on the object; the stroke's material's Colour bytes before it.
    std::vector<std::uint8_t> PaintStroke()
    {
        const QPoint at = PointOnObject();
        material = MaterialAt(at);
        const auto before = ColourLayerBytes(material);
        Drag({at, at + QPoint(10, 0), at + QPoint(20, 0), at + QPoint(30, 0)});
        return before;
    }
    std::vector<std::uint8_t> Painted() { return ColourLayerBytes(material); }
    // A selection over the object with the Selection tool.
    bool Select()
    {
        Action(Command::SelectionTool)->trigger();
        const QPoint at = PointOnObject();
        material = MaterialAt(at);
        Drag({at, at + QPoint(12, 8), at + QPoint(24, 14)});
        return workspace.floaters.selection().exists;
    }
    int material = -1;
};

// Arranges the state for one command and returns the test of what the command must have done.
using Arrange = std::function<std::function<bool()>(CommandFixture&)>;

struct Row {
    Command command;
    const char* name;
    bool withScene;     // the sample is opened first
    Arrange arrange;
    QStringList dialogs = {};  // the titles of the modal windows the command opens, in order
};

// The command opens exactly the dialogs of its row and changes nothing else that is checked.
Arrange OnlyDialogs()
{
    return [](CommandFixture&) { return [] { return true; }; };
}

// A check box command: the action's state and the setting it mirrors change together.
Arrange Toggles(std::function<bool(CommandFixture&)> setting)
{
    return [setting](CommandFixture& f) {
        const bool was = setting(f);
        return [&f, setting, was] { return setting(f) == !was; };
    };
}

// The help window is shown at a topic of the manual (any page when `topic` is empty).
Arrange ShowsHelp(QString topic)
{
    return [topic](CommandFixture& f) {
        return [&f, topic] {
            const app::HelpWindow* help = f.window->helpWindow();
            return help != nullptr && help->isVisible() && help->windowTitle().contains("Help") &&
                   !help->currentTopic().isEmpty() && (topic.isEmpty() || help->currentTopic() == topic);
        };
    };
}

[[maybe_unused]] Arrange Disabled(Command id)
{
    return [id](CommandFixture& f) { return [&f, id] { return !f.Action(id)->isEnabled(); }; };
}

Arrange SelectsPaintTool(PaintTool tool)
{
    return [tool](CommandFixture& f) {
        // From another tool, so the press selects rather than deselects.
        f.window->SelectPaintTool(tool == PaintTool::Fill ? PaintTool::Line : PaintTool::Fill);
        return [&f, tool] { return f.scene().paintTool == tool; };
    };
}

Arrange SelectsPositionTool(PositionTool tool)
{
    return [tool](CommandFixture& f) {
        return [&f, tool] { return f.scene().positionTool == static_cast<std::int8_t>(tool); };
    };
}

Arrange ShowsPage(app::PanelPage page)
{
    return [page](CommandFixture& f) {
        f.window->controlPanel().ShowPage(page == app::PanelPage::Layers ? app::PanelPage::Objects : app::PanelPage::Layers);
        return [&f, page] { return f.window->controlPanel().visiblePage() == page; };
    };
}

// The camera as the engine's arrow-key turn leaves it.
Arrange Turns(ArrowKey key, bool ctrl)
{
    return [key, ctrl](CommandFixture& f) {
        Camera expected = f.camera();
        ArrowKeyTurn(expected, key, ctrl);
        return [&f, expected] { return CameraText(f.camera()) == CameraText(expected); };
    };
}

Arrange ShowsWindow(std::function<QWidget*(CommandFixture&)> window)
{
    return [window](CommandFixture& f) {
        const bool was = window(f)->isVisible();
        return [&f, window, was] { return window(f)->isVisible() == !was; };
    };
}

Arrange Focuses(bool next)
{
    return [next](CommandFixture& f) {
        QWidget* start = &f.view();
        start->setFocus();
        QWidget* expected = FocusNeighbour(start, next);
        return [expected, start] { return expected != start && QApplication::focusWidget() == expected; };
    };
}

std::vector<Row> Rows()
{
    using C = Command;
    using app::PanelPage;
    return {
        // Open asks for the file through the user interaction.
        {C::Open, "Open", false,
         [](CommandFixture& f) {
             return [&f] {
                 return f.ui.shown.size() == 1 && f.ui.shown.front().kind == Shown::Kind::FileChooser &&
                        f.ui.shown.front().title.starts_with("Scenes and models (");
             };
         }},
        // With a project, Save writes it again without asking for a name.
        {C::Save, "Save", true,
         [](CommandFixture& f) {
             const QString path = f.directory.filePath("saved.gsr");
             f.window->SaveTo(path);
             QFile::remove(path);
             return [path] { return QFile::exists(path); };
         }},
        // Save As asks for the project's name through the user interaction.
        {C::SaveAs, "Save As", true,
         [](CommandFixture& f) {
             return [&f] {
                 return f.ui.shown.size() == 1 && f.ui.shown.front().kind == Shown::Kind::FileChooser &&
                        f.ui.shown.front().title == "Gessoria projects (*.gsr) |*.gsr||";
             };
         }},
        {C::ExportMaps, "Export Maps", true, OnlyDialogs(), {"Export Maps"}},
        // Export Model asks for the model's file through the user interaction, as Save As does.
        {C::ExportModel, "Export Model", true,
         [](CommandFixture& f) {
             return [&f] {
                 return f.ui.shown.size() == 1 && f.ui.shown.front().kind == Shown::Kind::FileChooser &&
                        f.ui.shown.front().title ==
                            "glTF binary (*.glb) |*.glb|glTF (*.gltf) |*.gltf|Wavefront OBJ (*.obj) |*.obj||";
             };
         }},
        {C::Print, "Print", true, OnlyDialogs(), {"Print"}},
        {C::PrintView, "Print View", true, OnlyDialogs(), {"Print"}},
        {C::RenderLevel, "Render Level", false, OnlyDialogs(), {"Rendering Options"}},
        {C::MapPaths, "Map Paths", false, OnlyDialogs(), {"Map Paths"}},
        {C::PointerShape, "Pointer Shape", false, OnlyDialogs(), {"Pointer Shape"}},
        {C::PressureSensitivity, "Pressure Sensitivity", false, OnlyDialogs(), {"Pressure Sensitivity"}},
        {C::BeepOnWarn, "Beep On Warn", false,
         Toggles([](CommandFixture& f) { return f.workspace.session.preferences.beepOnWarning != 0; })},
        {C::SpaceWarePrefs, "SpaceWare Prefs", false, OnlyDialogs(), {"SpaceWare Prefs"}},
        {C::UndoPrefs, "Undo Prefs", false, OnlyDialogs(), {"Undo Preferences"}},
        {C::Exit, "Exit", false,
         [](CommandFixture& f) { return [&f] { return !f.window->isVisible(); }; }},

        // Undo takes the whole stroke back, Undo Single only its last dab, Redo replays it.
        {C::Undo, "Undo", true,
         [](CommandFixture& f) {
             const auto before = f.PaintStroke();
             return [&f, before] { return f.Painted() == before; };
         }},
        {C::UndoSingle, "Undo Single", true,
         [](CommandFixture& f) {
             const auto before = f.PaintStroke();
             const auto painted = f.Painted();
             return [&f, before, painted] { return f.Painted() != before && f.Painted() != painted; };
         }},
        {C::Redo, "Redo", true,
         [](CommandFixture& f) {
             f.PaintStroke();
             const auto painted = f.Painted();
             f.Action(C::Undo)->trigger();
             return [&f, painted] { return f.Painted() == painted; };
         }},
        // Cut lifts the selection and erases under it; Copy lifts it and erases nothing.
        {C::Cut, "Cut", true,
         [](CommandFixture& f) {
             if (!f.Select())
                 return std::function<bool()>([] { return false; });
             const auto before = f.Painted();
             return std::function<bool()>(
                 [&f, before] { return f.workspace.floaters.floater().present && f.Painted() != before; });
         }},
        {C::Copy, "Copy", true,
         [](CommandFixture& f) {
             if (!f.Select())
                 return std::function<bool()>([] { return false; });
             const auto before = f.Painted();
             return std::function<bool()>([&f, before] {
                 const QMimeData* data = QGuiApplication::clipboard()->mimeData();
                 return f.workspace.floaters.floater().present && f.Painted() == before && data != nullptr &&
                        data->hasImage();
             });
         }},
        // Paste leaves selection mode: the next click places the floater.
        {C::Paste, "Paste", true,
         [](CommandFixture& f) {
             f.Select();
             f.Action(C::Copy)->trigger();
             f.window->SelectPaintTool(PaintTool::Brush);
             return [&f] {
                 return f.scene().paintTool == PaintTool::Selection && !f.workspace.floaters.selection().selectionMode &&
                        f.workspace.floaters.floater().present;
             };
         }},
        {C::DropFloater, "Drop Floater", true,
         [](CommandFixture& f) {
             f.Select();
             f.Action(C::Copy)->trigger();
             f.Action(C::Paste)->trigger();
             const QPoint at = f.PointOnObject() + QPoint(-10, 10);
             QTest::mouseClick(&f.view(), Qt::LeftButton, Qt::NoModifier, at);
             const bool floating = f.workspace.floaters.selection().floating;
             return [&f, floating] { return floating && !f.workspace.floaters.selection().floating; };
         }},
        {C::Clear, "Clear", true,
         [](CommandFixture& f) {
             f.Select();
             f.Action(C::Copy)->trigger();
             const bool had = !ClipboardEmpty();
             return [had] { return had && ClipboardEmpty(); };
         }},

        {C::FileToolbar, "File Toolbar", false,
         ShowsWindow([](CommandFixture& f) -> QWidget* { return f.window->findChild<QToolBar*>("FileToolbar"); })},
        {C::PositionToolbar, "Position Toolbar", false,
         ShowsWindow([](CommandFixture& f) -> QWidget* { return f.window->findChild<QToolBar*>("PositionToolbar"); })},
        {C::ControlPanel, "Control Panel", false,
         ShowsWindow([](CommandFixture& f) -> QWidget* { return &f.window->controlPanel(); })},
        {C::StatusBar, "Status Bar", false,
         ShowsWindow([](CommandFixture& f) -> QWidget* { return f.window->statusBar(); })},
        {C::InfoWindow, "Info Window", false,
         ShowsWindow([](CommandFixture& f) -> QWidget* { return &f.window->infoWindow(); })},
        {C::ColourPicker, "Colour Picker", false,
         ShowsWindow([](CommandFixture& f) -> QWidget* { return &f.window->colourPicker(); })},
        // Ignore puts the lit Warning Window out unread; the Warning Window command shows it.
        {C::IgnoreWarning, "Ignore Warning", false,
         [](CommandFixture& f) {
             f.warnings.Raise("A test warning");
             return [&f] { return !f.warnings.lit() && f.ui.Dialogs().empty(); };
         }},
        {C::WarningWindow, "Warning Window", false,
         [](CommandFixture& f) {
             f.warnings.Raise("A test warning");
             return [&f] {
                 return !f.warnings.lit() && !f.ui.Dialogs().empty() && f.ui.Dialogs().back() == "A test warning";
             };
         }},
        {C::ViewBookmarks, "View Bookmarks", false, ShowsPage(PanelPage::Bookmarks)},
        {C::LayersWindow, "Layers Window", false, ShowsPage(PanelPage::Layers)},
        {C::ObjectsWindow, "Objects Window", false, ShowsPage(PanelPage::Objects)},
        {C::Applicators, "Applicators", false,
         ShowsWindow([](CommandFixture& f) -> QWidget* { return &f.window->applicators(); })},
        {C::Pigments, "Pigments", false,
         ShowsWindow([](CommandFixture& f) -> QWidget* { return &f.window->pigments(); })},

        // Zoom Extents fits the scene as the engine's call does, from a moved camera.
        {C::ZoomExtents, "Zoom Extents", true,
         [](CommandFixture& f) {
             f.camera().scale *= 3;
             f.camera().panX += 40;
             const Camera moved = f.camera();
             ZoomExtents(f.scene());
             const Camera expected = f.camera();
             f.camera() = moved;
             return [&f, expected] { return CameraText(f.camera()) == CameraText(expected); };
         }},
        {C::Rotate, "Rotate", true, SelectsPositionTool(PositionTool::Rotate)},
        {C::ZoomDynamic, "Zoom Dynamic", true, SelectsPositionTool(PositionTool::ZoomDynamic)},
        {C::ZoomWindow, "Zoom Window", true, SelectsPositionTool(PositionTool::ZoomRegion)},
        {C::Pan, "Pan", true, SelectsPositionTool(PositionTool::Pan)},
        {C::LockPositionTools, "Lock Position Tools", false,
         Toggles([](CommandFixture& f) { return f.workspace.session.preferences.toolLock != 0; })},
        {C::LightLock, "Light Lock", false,
         Toggles([](CommandFixture& f) { return f.workspace.session.preferences.lockLight != 0; })},
        {C::LightToFront, "Light To Front", true,
         [](CommandFixture& f) {
             f.camera().angleX = 100;
             f.camera().angleY = 200;
             f.camera().angleZ = 300;
             Camera expected = f.camera();
             LightToFront(expected);
             return [&f, expected] { return CameraText(f.camera()) == CameraText(expected); };
         }},
        {C::MoveLights, "Move Lights", true, SelectsPositionTool(PositionTool::MoveLights)},
        {C::LightingControls, "Lighting Controls", false, ShowsPage(PanelPage::Lighting)},
        // Redraw draws what the scene holds now, without moving the camera.
        {C::RedrawScreen, "Redraw Screen", true,
         [](CommandFixture& f) {
             const QImage before = f.view().picture().copy();
             f.camera().angleY += 128;
             const Camera turned = f.camera();
             return [&f, before, turned] {
                 return f.view().picture() != before && CameraText(f.camera()) == CameraText(turned);
             };
         }},
        {C::Benchmark, "Benchmark", true,
         [](CommandFixture& f) {
             return [&f] { return !f.ui.Dialogs().empty() && f.ui.Dialogs().front() == "Starting"; };
         }},

        {C::BrushTool, "Brush Tool", true, SelectsPaintTool(PaintTool::Brush)},
        {C::FillTool, "Fill Tool", true, SelectsPaintTool(PaintTool::Fill)},
        {C::LineTool, "Line Tool", true, SelectsPaintTool(PaintTool::Line)},
        {C::TexturePaintTool, "Texture Paint", true, SelectsPaintTool(PaintTool::TexturePaint)},
        {C::TextTool, "Text Tool", true, SelectsPaintTool(PaintTool::Text)},
        {C::SamplerTool, "Colour Sampler", true, SelectsPaintTool(PaintTool::Sampler)},
        {C::EraserTool, "Erase Tool", true, SelectsPaintTool(PaintTool::Eraser)},
        {C::SelectionTool, "Selection Tool", true, SelectsPaintTool(PaintTool::Selection)},
        {C::MaxOut, "MAX Out!", false, ShowsPage(PanelPage::MaxOut)},
        {C::BrushSettings, "Brush Settings", false, OnlyDialogs(), {"Applicator Settings"}},
        {C::PaintSettings, "Paint Settings", false, OnlyDialogs(), {"Pigment Settings"}},

        {C::HelpTopics, "Help Topics", false, ShowsHelp({})},
        {C::KeyboardShortcuts, "Keyboard Shortcuts", false, ShowsHelp(app::HelpWindow::kShortcutsTopic)},
        {C::WhatsThis, "What's This", false,
         [](CommandFixture&) {
             return [] {
                 const bool on = QWhatsThis::inWhatsThisMode();
                 QWhatsThis::leaveWhatsThisMode();
                 return on;
             };
         }},
        {C::About, "About", false, OnlyDialogs(), {"About Gessoria"}},
        {C::TipOfTheDay, "Tip Of The Day", false, OnlyDialogs(), {"Tip of the Day"}},
        {C::PaintingWizard, "Painting Wizard", false, Toggles([](CommandFixture& f) { return f.workspace.paintWizard; })},

        {C::RotateLeft, "Rotate Left", true, Turns(ArrowKey::Left, false)},
        {C::RotateRight, "Rotate Right", true, Turns(ArrowKey::Right, false)},
        {C::RotateUp, "Rotate Up", true, Turns(ArrowKey::Up, false)},
        {C::RotateDown, "Rotate Down", true, Turns(ArrowKey::Down, false)},
        {C::RotateZLeft, "Rotate Z Left", true, Turns(ArrowKey::Left, true)},
        {C::RotateZRight, "Rotate Z Right", true, Turns(ArrowKey::Right, true)},
        {C::NextPane, "Next Pane", false, Focuses(true)},
        {C::PreviousPane, "Previous Pane", false, Focuses(false)},
        // With no bitmap view window in front the key does nothing, quietly; flipping a
        // window's layer is the front-end test's.
        {C::FlipHorizontal, "Flip Horizontal", true,
         [](CommandFixture& f) {
             const QPoint at = f.PointOnObject();
             f.material = f.MaterialAt(at);
             const auto before = f.ColourLayerBytes(f.material);
             return [&f, before] { return f.Action(C::FlipHorizontal)->isEnabled() && f.Painted() == before; };
         }},
        {C::ShrinkBrush, "Smaller Brush", false,
         [](CommandFixture& f) {
             f.workspace.session.preferences.projectionSize = 40;
             return [&f] { return f.workspace.session.preferences.projectionSize == 36; };
         }},
        {C::GrowBrush, "Larger Brush", false,
         [](CommandFixture& f) {
             f.workspace.session.preferences.projectionSize = 40;
             return [&f] { return f.workspace.session.preferences.projectionSize == 44; };
         }},
        {C::SwapColours, "Swap Colours", false,
         [](CommandFixture& f) {
             f.workspace.session.paintValues.foreground = 0x80112233u;
             f.workspace.session.paintValues.background = 0x40445566u;
             return [&f] {
                 const PaintValues& v = f.workspace.session.paintValues;
                 return v.foreground == 0x40445566u && v.background == 0x80112233u;
             };
         }},
    };
}

} // namespace

class CommandTableTest : public QObject {
    Q_OBJECT
private slots:
    void init() { QGuiApplication::clipboard()->clear(); }

    void EveryCommandReachesItsOwnHandler()
    {
        const std::vector<Row> rows = Rows();
        // Exit closes its window; the test's application goes on.
        QApplication::setQuitOnLastWindowClosed(false);
        std::set<Command> covered;
        QStringList wrong;
        for (const Row& row : rows) {
            covered.insert(row.command);
            QGuiApplication::clipboard()->clear();
            CommandFixture f;
            if (row.withScene && !f.OpenSample()) {
                wrong << QString("%1: the sample did not open").arg(row.name);
                continue;
            }
            f.window->activateWindow();
            if (!QTest::qWaitForWindowActive(f.window.get()))
                qWarning("the main window did not become active");
            const auto check = row.arrange(f);
            f.ui.shown.clear();
            const QStringList dialogs = TriggerClosingDialogs(f.Action(row.command));
            if (!check())
                wrong << QString("%1: not the command's effect").arg(row.name);
            if (dialogs != row.dialogs)
                wrong << QString("%1: opened [%2]").arg(row.name, dialogs.join(", "));
        }
        QApplication::setQuitOnLastWindowClosed(true);
        QCOMPARE(covered.size(), static_cast<std::size_t>(Command::Count));
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join("\n")));
    }

    // No key sequence is bound to two commands: Qt would then run neither.
    void NoKeyServesTwoCommands()
    {
        std::map<QString, QString> owner;
        QStringList clashes;
        for (int i = 0; i < static_cast<int>(Command::Count); ++i) {
            const app::CommandInfo& info = app::CommandTable::Info(static_cast<Command>(i));
            for (const QString& key : QString(info.keys).split(';', Qt::SkipEmptyParts)) {
                const QString normal = QKeySequence(key).toString(QKeySequence::PortableText);
                const auto [at, fresh] = owner.emplace(normal, info.text);
                if (!fresh)
                    clashes << normal + ": " + at->second + " and " + info.text;
            }
        }
        QVERIFY2(clashes.isEmpty(), qPrintable(clashes.join("\n")));
    }

    // The keys other programs taught people reach the same commands as the program's own.
    void UsualKeysReachTheirCommands()
    {
        QApplication::setQuitOnLastWindowClosed(false);
        CommandFixture f;
        f.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        const std::pair<const char*, Command> keys[] = {
            {"Ctrl+A", Command::Redo},           {"Ctrl+Shift+Z", Command::Redo}, {"Ctrl+Y", Command::Redo},
            {"Ctrl+Shift+S", Command::SaveAs},   {"Alt+Z", Command::ZoomExtents}, {"Home", Command::ZoomExtents},
            {"X", Command::SwapColours},         {"Ctrl+Q", Command::Exit},
        };
        QStringList missed;
        for (const auto& [key, command] : keys) {
            QAction* action = f.Action(command);
            action->setEnabled(true);  // Redo waits for something to redo
            QSignalSpy triggered(action, &QAction::triggered);
            QTest::keySequence(f.window.get(), QKeySequence(key));
            if (triggered.count() != 1)
                missed << QString("%1 ran %2 %3 times").arg(key, action->text()).arg(triggered.count());
        }
        QApplication::setQuitOnLastWindowClosed(true);
        QVERIFY2(missed.isEmpty(), qPrintable(missed.join("\n")));
        QVERIFY(!f.window->isVisible());
    }
};

QObject* MakeCommandTableTest() { return new CommandTableTest; }

} // namespace gessoria::test

#include "CommandTableTest.moc"
