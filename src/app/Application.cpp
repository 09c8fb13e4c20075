#include "app/Application.h"

#include "app/Autosaver.h"
#include "app/CommandTable.h"
#include "app/palettes/ColourPicker.h"
#include "app/palettes/InfoWindow.h"
#include "app/DataDirectory.h"
#include "app/GrabDialogs.h"
#include "app/MainWindow.h"
#include "app/QtInteraction.h"
#include "app/RecentFiles.h"
#include "app/Recovery.h"
#include "app/Resources.h"
#include "app/WarningWindow.h"
#include "app/WindowPlaces.h"
#include "app/Workspace.h"
#include "app/bitmapview/BitmapViewWindow.h"
#include "app/bitmapview/BitmapViewWindows.h"
#include "app/dialogs/SplashWindow.h"
#include "app/dialogs/TipDialog.h"
#include "app/view/MainView.h"
#include "session/RecoveryStore.h"
#include "session/TipOfTheDay.h"

#include <QApplication>
#include <QDir>
#include <QFontMetrics>
#include <QFileInfo>
#include <QPainter>
#include <QSessionManager>
#include <QTimer>

#include <iostream>

namespace gessoria::app {
namespace {

constexpr const char* kUsage =
    "usage: gessoria [--grab OUT.png [--grab-size WxH] [--grab-palettes | --grab-bitmap-view | --grab-dialog NAME]\n"
    "                [--grab-page TITLE]] [FILE]";

constexpr const char* kOptions =
    "  FILE                 a scene (.3ds, .prj) or a project (.gsr) to open\n"
    "  --grab OUT.png       open FILE with nobody asked anything, write a picture of the main\n"
    "                       window to OUT.png and exit (off screen unless QT_QPA_PLATFORM says otherwise)\n"
    "  --grab-size WxH      the window's size for --grab (default 1024x768)\n"
    "  --grab-palettes      --grab with the Colour Picker and the Info Window open\n"
    "  --grab-bitmap-view   --grab of the first material's Colour Base Layer in its bitmap view\n"
    "  --grab-dialog NAME   --grab of a dialog instead: the menu text of its command (\"Render Level\",\n"
    "                       \"Brush Settings\") or \"Texturemap Size\", \"Bitmap Texture\", \"New Layer Name\",\n"
    "                       \"Text Placement\"\n"
    "  --grab-page TITLE    --grab with the control panel showing that page (\"Fill Tool\")\n"
    "  --version            print the version and exit\n"
    "  -h, --help           print this help and exit\n"
    "exit status: 0 done, 1 the --grab file could not be opened or written, 2 bad command line\n"
    "environment: GESSORIA_INI (preferences file), GESSORIA_DATA (data directory); see gessoria(1)\n";

void DrawPalettes(MainWindow& window, QImage& picture)
{
    window.commands()[Command::ColourPicker]->setChecked(true);
    window.commands()[Command::InfoWindow]->setChecked(true);
    window.colourPicker().SetFull(true);
    QApplication::processEvents();
    QPainter painter(&picture);
    const QRect view = window.view().geometry();
    QWidget& picker = window.colourPicker();
    QWidget& info = window.infoWindow();
    DrawFloating(painter, picker, QPoint(view.left() + 12, view.bottom() - picker.height() - 40));
    DrawFloating(painter, info, QPoint(view.right() - info.width() - 12, view.top() + 8));
}

// The bitmap view window of the first material with a Colour Base Layer, mesh shown, framed
// with its caption.
std::optional<QImage> GrabBitmapView(MainWindow& window, const Scene& scene)
{
    for (std::size_t m = 0; m < scene.materials.size(); ++m) {
        if (!scene.materials[m].hasLayers || scene.materials[m].stack(MapType::Colour).count() < 2)
            continue;
        BitmapViewWindow* view = window.bitmapViews().Open(static_cast<int>(m), MapType::Colour, 1);
        if (view == nullptr)
            return std::nullopt;
        view->action(BitmapViewCommand::ShowMesh)->trigger();
        QApplication::processEvents();
        const int titleHeight = QFontMetrics(view->font()).height() + 8;
        QImage picture(view->width() + 2, view->height() + titleHeight + 1, QImage::Format_RGB32);
        QPainter painter(&picture);
        DrawFloating(painter, *view, QPoint(0, 0));
        return picture;
    }
    std::cerr << "the scene has no material with a Colour Base Layer to view\n";
    return std::nullopt;
}

int Grab(MainWindow& window, Workspace& workspace, const LaunchOptions& options)
{
    window.resize(options.grabSize);
    window.show();
    QApplication::processEvents();
    if (!options.file.isEmpty() && !window.OpenFile(options.file, false))
        return 1;
    QApplication::processEvents();
    if (!options.grabPage.isEmpty() && !ShowPanelPage(window, options.grabPage))
        return 1;
    QImage picture;
    if (!options.grabDialog.isEmpty()) {
        const std::optional<QImage> dialog = GrabDialog(window, options.grabDialog);
        if (!dialog)
            return 1;
        picture = *dialog;
    } else if (options.grabBitmapView) {
        const std::optional<QImage> view = GrabBitmapView(window, workspace.session.scene);
        if (!view)
            return 1;
        picture = *view;
    } else {
        picture = window.grab().toImage();
    }
    if (options.grabPalettes)
        DrawPalettes(window, picture);
    if (!picture.save(options.grabPath, "PNG")) {
        std::cerr << "cannot write " << options.grabPath.toStdString() << '\n';
        return 1;
    }
    return 0;
}

} // namespace

QString LaunchHelp()
{
    return QString(kUsage) + "\n" + kOptions;
}

std::optional<LaunchOptions> ParseLaunchOptions(const QStringList& arguments, QString& error)
{
    LaunchOptions options;
    bool sizeGiven = false;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == "--grab-palettes") {
            options.grabPalettes = true;
            continue;
        }
        if (a == "--grab-bitmap-view") {
            options.grabBitmapView = true;
            continue;
        }
        if (a == "--grab-dialog" || a == "--grab-page") {
            if (i + 1 >= arguments.size()) {
                error = a + " needs a value\n" + kUsage;
                return std::nullopt;
            }
            (a == "--grab-dialog" ? options.grabDialog : options.grabPage) = arguments[++i];
            continue;
        }
        if (a == "--grab" || a == "--grab-size") {
            if (i + 1 >= arguments.size()) {
                error = a + " needs a value\n" + kUsage;
                return std::nullopt;
            }
            const QString value = arguments[++i];
            if (a == "--grab") {
                options.grabPath = value;
                continue;
            }
            const QStringList sides = value.split('x');
            bool okW = false, okH = false;
            const int w = sides.size() == 2 ? sides[0].toInt(&okW) : 0;
            const int h = sides.size() == 2 ? sides[1].toInt(&okH) : 0;
            if (!okW || !okH || w < 200 || h < 150 || w > 8192 || h > 8192) {
                error = "bad --grab-size " + value + " (WxH, from 200x150 to 8192x8192)";
                return std::nullopt;
            }
            options.grabSize = QSize(w, h);
            sizeGiven = true;
        } else if (a.startsWith("--")) {
            error = "unknown option " + a + "\n" + kUsage;
            return std::nullopt;
        } else if (!options.file.isEmpty()) {
            error = QString("only one file can be opened\n") + kUsage;
            return std::nullopt;
        } else {
            options.file = a;
        }
    }
    if ((sizeGiven || options.grabPalettes || options.grabBitmapView || !options.grabDialog.isEmpty() ||
         !options.grabPage.isEmpty()) &&
        options.grabPath.isEmpty()) {
        error = QString("--grab-size, --grab-palettes, --grab-bitmap-view, --grab-dialog and --grab-page go with "
                        "--grab\n") +
                kUsage;
        return std::nullopt;
    }
    if (options.grabPalettes && options.grabBitmapView) {
        error = QString("--grab-palettes and --grab-bitmap-view cannot go together\n") + kUsage;
        return std::nullopt;
    }
    return options;
}

int RunApplication(const LaunchOptions& given)
{
    InitResources();
    LaunchOptions options = given;
    const bool grab = !options.grabPath.isEmpty();
    // Both paths are taken from where the program was started: start-up moves into the data
    // directory.
    if (!options.file.isEmpty())
        options.file = QFileInfo(options.file).absoluteFilePath();
    if (grab)
        options.grabPath = QFileInfo(options.grabPath).absoluteFilePath();

    Workspace workspace;
    WarningWindow warnings(workspace.session.preferences.beepOnWarning);
    QtInteraction ui(workspace.paintWizard, warnings, grab);

    const std::filesystem::path dataDirectory = UserDataDirectory();
    if (!SeedDataDirectory(dataDirectory))
        std::cerr << "could not make " << dataDirectory << " with the starter library\n";
    // The libraries name their bitmap paints' images relative to the directory they are in.
    QDir::setCurrent(QString::fromStdString(dataDirectory.string()));

    const std::filesystem::path iniPath = PreferencesFilePath("gessoria");
    workspace.session.Startup(iniPath, dataDirectory, ui);
    workspace.RenderFromPreferences();
    RecentFiles recent;
    recent.Load(iniPath);

    MainWindow window(workspace, ui, warnings, recent);
    ui.SetWindow(&window);
    ui.SetStatusPane(&window.statusPane());
    if (grab)
        return Grab(window, workspace, options);

    // The desktop session ending asks about unsaved work as Exit does, and may be cancelled.
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, &window, [&window](QSessionManager& manager) {
        if (!manager.allowsInteraction())
            return;
        if (!window.ConfirmDiscardChanges())
            manager.cancel();
        manager.release();
    });
    // Autosaves go to this run's recovery folder; work a run that did not end normally left
    // is offered before the file named on the command line is opened.
    Autosaver autosaver(workspace.session, ui, [&window] { return window.projectPath(); });
    QObject::connect(&window, &MainWindow::saved, &autosaver, &Autosaver::DocumentSaved);
    const std::filesystem::path recoveryRoot = RecoveryDirectory();
    autosaver.Start(recoveryRoot, AutosaveInterval(workspace.session.preferences.autosaveMinutes));
    QObject::connect(&window, &MainWindow::autosaveMinutesChanged, &autosaver,
                     [&autosaver](int minutes) { autosaver.SetInterval(AutosaveInterval(minutes)); });
    window.places().Restore();
    window.show();
    // Hosts find the program by its socket from now on.
    window.StartHostLink();
    ShowSplash(window);
    window.WarnOfTablet();
    const bool recovered = OfferRecovery(window, autosaver, ui, recoveryRoot);
    if (!recovered && !options.file.isEmpty())
        window.OpenFile(options.file, false);
    if (TipsShownAtStartup(iniPath))
        QTimer::singleShot(0, &window, [&] {
            TipDialog tip(iniPath, TipsFilePath(), &window);
            tip.exec();
        });

    const int status = QApplication::exec();
    autosaver.Finish();
    workspace.session.Exit(&ui);
    recent.Save(iniPath);
    return status;
}

} // namespace gessoria::app
