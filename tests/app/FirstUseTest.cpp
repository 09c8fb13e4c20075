// What a new user meets first: the texts that say what the tools do, dialogs wide enough to
// read, the file choosers starting where the work is, the Texturemap Size choice kept per
// scene, and windows that come back where they were left.
#include "AppFixture.h"

#include "app/Application.h"
#include "app/CommandTable.h"
#include "app/GrabDialogs.h"
#include "app/QtInteraction.h"
#include "app/TextureMapSizeMemory.h"
#include "app/WindowPlaces.h"
#include "app/bitmapview/BitmapViewWindow.h"
#include "app/bitmapview/BitmapViewWindows.h"
#include "app/palettes/ApplicatorsPalette.h"
#include "app/palettes/BrushSettingsDialog.h"
#include "app/palettes/ColourPicker.h"
#include "app/palettes/InfoWindow.h"
#include "app/palettes/PaintSettingsDialog.h"
#include "app/palettes/PigmentsPalette.h"
#include "app/panel/ControlPanel.h"
#include "app/panel/ToolPages.h"
#include "io/ProfileFile.h"
#include "paint/BitmapView.h"
#include "paint/PaintableLayers.h"
#include "paint/StrokeController.h"
#include "paint/TextTool.h"
#include "scene/LayerOperations.h"
#include "view3d/Projection.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScrollArea>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <functional>

namespace gessoria::test {

using app::Command;

namespace {

// A second run of the program on the INI file of a first one (its temporary directory).
struct Restart {
    app::Workspace workspace;
    RecordingInteraction ui;
    app::WarningWindow warnings{workspace.session.preferences.beepOnWarning};
    app::RecentFiles recent;
    std::unique_ptr<app::MainWindow> window;

    explicit Restart(const QTemporaryDir& directory)
        : window(ShowMainWindow(directory, workspace, ui, warnings, recent))
    {
    }
};

// Runs `look` on the first modal window `act` opens, then closes it.
void WithModal(const std::function<void()>& act, const std::function<void(QWidget*)>& look)
{
    bool seen = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || seen)
            return;
        seen = true;
        look(modal);
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
    });
    poll.start(10);
    act();
    poll.stop();
    QVERIFY2(seen, "no modal window opened");
}

QRect GlobalRect(const QWidget& widget)
{
    return {widget.mapToGlobal(QPoint(0, 0)), widget.size()};
}

} // namespace

class FirstUseTest : public QObject {
    Q_OBJECT
private slots:
    // The fill lays the current paint in the foreground colour; the background colour is
    // only the Border style's reference. The page and the Paint Wizard hint both say so.
    void FillTextsSayWhatTheFillLays()
    {
        AppFixture f;
        QVERIFY(f.OpenSample());
        f.workspace.paintWizard = true;
        f.window->commands()[Command::FillTool]->trigger();
        const QList<QLabel*> labels = f.window->controlPanel().page(app::PanelPage::Fill)->findChildren<QLabel*>();
        QStringList texts;
        for (const QLabel* label : labels)
            texts << label->text();
        QVERIFY2(texts.contains(app::FillPage::kNote), qPrintable(texts.join(" | ")));
        for (const QString& text : texts)
            QVERIFY(!text.contains("lays the background colour"));
        const std::vector<std::string> hints = f.ui.Texts(Shown::Kind::Hint);
        QVERIFY(!hints.empty());
        QVERIFY(hints.back().find("in the foreground colour") != std::string::npos);
        QVERIFY(hints.back().find("lays the background colour") == std::string::npos);
    }

    // Line breaks of the old narrow boxes that fall mid-sentence flow into the paragraph;
    // the break before a list stays.
    void MessagesBreakOnlyBetweenSentences()
    {
        const QString placement = app::FlowingText(kTextPlacementWarning);
        QVERIFY(!placement.contains('\n'));
        QVERIFY(placement.contains("click an area for initial placement"));
        const QString layers = app::FlowingText(std::string(kNoPaintableLayer) + "Colour ");
        QVERIFY(layers.contains("for the following Map Types"));
        QVERIFY(layers.contains(":\n\tColour"));
        QCOMPARE(app::FlowingText("First line.\nSecond line."), QString("First line.\nSecond line."));

        // The message box shows the flowing text.
        const int beep = 0;
        app::WarningWindow warnings(beep);
        bool wizard = false;
        app::QtInteraction ui(wizard, warnings, false);
        WithModal([&] { ui.Tell(kTextPlacementWarning); }, [&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            QVERIFY(box != nullptr);
            QCOMPARE(box->text(), placement);
        });
    }

    // "New Layer Name" and every other prompt is wide enough for its whole title.
    void TextPromptsHaveRoomForTheirTitles()
    {
        const int beep = 0;
        app::WarningWindow warnings(beep);
        bool wizard = false;
        app::QtInteraction ui(wizard, warnings, false);
        WithModal([&] { ui.AskText("New Layer Name", "Layer 2"); }, [&](QWidget* modal) {
            auto* dialog = qobject_cast<QInputDialog*>(modal);
            QVERIFY(dialog != nullptr);
            QCOMPARE(dialog->windowTitle(), QString("New Layer Name"));
            QCOMPARE(dialog->textValue(), QString("Layer 2"));
            QVERIFY(dialog->width() >= dialog->fontMetrics().horizontalAdvance("New Layer Name") + 200);
        });
    }

    // A library entry's Name and Notes show a whole ordinary name without scrolling.
    void ApplicatorAndPigmentNamesCanBeRead()
    {
        AppFixture f;
        const QString name = "Soft round airbrush for shading";
        WithModal([&] { f.window->commands()[Command::BrushSettings]->trigger(); }, [&](QWidget* modal) {
            const QList<QLineEdit*> fields = modal->findChildren<QLineEdit*>();
            QVERIFY(fields.size() >= 2);
            for (QLineEdit* field : fields.mid(0, 2))
                QVERIFY2(field->width() >= field->fontMetrics().horizontalAdvance(name) + 8,
                         qPrintable(QString::number(field->width())));
        });
        WithModal([&] { f.window->commands()[Command::PaintSettings]->trigger(); }, [&](QWidget* modal) {
            const QList<QLineEdit*> fields = modal->findChildren<QLineEdit*>();
            QVERIFY(fields.size() >= 2);
            for (QLineEdit* field : fields.mid(0, 2))
                QVERIFY(field->width() >= field->fontMetrics().horizontalAdvance(name) + 8);
        });
    }

    // Save As proposes a project of the scene's name beside the scene.
    void SaveAsProposesTheScenesNameBesideIt()
    {
        AppFixture f;
        QVERIFY(f.OpenSample());
        f.ui.shown.clear();
        f.window->commands()[Command::SaveAs]->trigger();
        const std::vector<std::string> choosers = f.ui.Texts(Shown::Kind::FileChooser);
        QCOMPARE(choosers.size(), std::size_t{1});
        QCOMPARE(QString::fromStdString(choosers.front()), QDir(GESSORIA_SAMPLE_DIR).absoluteFilePath("monkey.gsr"));
    }

    // Open starts beside the document in the window; without one, in the folder the last
    // file was opened from, even after a restart.
    void OpenStartsWhereTheWorkIs()
    {
        AppFixture f;
        const QString sample = QDir(GESSORIA_SAMPLE_DIR).absoluteFilePath("monkey.3ds");
        f.ui.files.push_back(sample.toStdString());
        f.window->commands()[Command::Open]->trigger();
        QCOMPARE(f.window->documentPath(), sample);
        f.ui.shown.clear();
        f.window->commands()[Command::Open]->trigger();  // cancelled
        QCOMPARE(QString::fromStdString(f.ui.Texts(Shown::Kind::FileChooser).front()),
                 QFileInfo(sample).absolutePath());
        f.window->close();

        Restart again(f.directory);
        QVERIFY(again.window->documentPath().isEmpty());
        again.window->commands()[Command::Open]->trigger();
        QCOMPARE(QString::fromStdString(again.ui.Texts(Shown::Kind::FileChooser).front()),
                 QFileInfo(sample).absolutePath());
    }

    // The Texturemap Size choice made for a scene presets the next open of the same scene;
    // made with "Use this choice for this scene from now on" it is taken without asking.
    void TexturemapSizeChoiceIsKeptForTheScene()
    {
        AppFixture f;
        TextureMapSizeAnswer answer;
        answer.x = 128;
        answer.y = 64;
        answer.fitting.fill(MapFitting::Scale);
        answer.fitting[StorageIndex(MapType::Bump)] = MapFitting::Tile;
        f.ui.textureMapSize.push_back(answer);
        QVERIFY(f.OpenSample());
        QCOMPARE(f.ui.textureMapSizeRequests.size(), std::size_t{1});
        QCOMPARE(f.ui.textureMapSizeRequests.back().x, 256);  // the first time: the largest map

        QVERIFY(f.OpenSample());  // asked again, preset with the choice
        QCOMPARE(f.ui.textureMapSizeRequests.size(), std::size_t{2});
        const TextureMapSizeRequest& preset = f.ui.textureMapSizeRequests.back();
        QCOMPARE(preset.x, 128);
        QCOMPARE(preset.y, 64);
        QVERIFY(preset.fitting[StorageIndex(MapType::Bump)] == MapFitting::Tile);
        QVERIFY(preset.fitting[StorageIndex(MapType::Colour)] == MapFitting::Scale);

        answer.keep = true;
        f.ui.textureMapSize.push_back(answer);
        QVERIFY(f.OpenSample());
        QCOMPARE(f.ui.textureMapSizeRequests.size(), std::size_t{3});
        f.window->close();

        // The next run takes the kept choice without asking.
        Restart again(f.directory);
        QVERIFY(again.window->OpenFile(GESSORIA_SAMPLE_DIR "/monkey.3ds", false));
        QVERIFY(again.ui.textureMapSizeRequests.empty());
        const Material& skin = again.workspace.session.scene.materials[1];
        QCOMPARE(skin.mapWidth, 128);
        QCOMPARE(skin.mapHeight, 64);

        // Another scene file, or the same file with maps of other sizes, is asked afresh.
        TextureMapSizeRequest request = f.ui.textureMapSizeRequests.front();
        const std::string key = app::TextureMapSizeMemory::Key("/a/monkey.3ds", request);
        QVERIFY(key != app::TextureMapSizeMemory::Key("/b/monkey.3ds", request));
        request.maps.front().width += 1;
        QVERIFY(key != app::TextureMapSizeMemory::Key("/a/monkey.3ds", request));
    }

    // The main window's place and size, the control panel's side, width and visibility and
    // the palettes' places and visibility come back in the next run.
    void WindowPlacesComeBackAfterARestart()
    {
        AppFixture f;
        f.window->setGeometry(QRect(30, 40, 720, 520));
        app::ControlPanel& panel = f.window->controlPanel();
        f.window->addDockWidget(Qt::RightDockWidgetArea, &panel);
        QApplication::processEvents();
        f.window->resizeDocks({&panel}, {panel.width() + 40}, Qt::Horizontal);
        QApplication::processEvents();
        const int panelWidth = panel.width();
        f.window->commands()[Command::InfoWindow]->setChecked(true);
        f.window->infoWindow().move(250, 90);
        f.window->commands()[Command::Pigments]->setChecked(true);
        f.window->commands()[Command::Pigments]->setChecked(false);
        QApplication::processEvents();
        f.window->close();

        Restart again(f.directory);
        again.window->places().Restore();
        QApplication::processEvents();
        QCOMPARE(again.window->geometry(), QRect(30, 40, 720, 520));
        app::ControlPanel& restored = again.window->controlPanel();
        QCOMPARE(again.window->dockWidgetArea(&restored), Qt::RightDockWidgetArea);
        QCOMPARE(restored.width(), panelWidth);
        QVERIFY(restored.isVisible());
        QVERIFY(again.window->infoWindow().isVisible());
        QVERIFY(again.window->commands()[Command::InfoWindow]->isChecked());
        QCOMPARE(again.window->infoWindow().pos(), QPoint(250, 90));
        QVERIFY(!again.window->pigments().isVisible());

        // A hidden panel stays hidden.
        again.window->commands()[Command::ControlPanel]->setChecked(false);
        again.window->close();
        Restart third(f.directory);
        third.window->places().Restore();
        QVERIFY(!third.window->controlPanel().isVisible());
        QVERIFY(!third.window->commands()[Command::ControlPanel]->isChecked());
    }

    // A place on no screen any more is not used.
    void PlacesOffEveryScreenAreIgnored()
    {
        AppFixture f;
        ProfileFile ini = ProfileFile::Load(f.directory.filePath("gessoria.INI").toStdString());
        ini.SetInt(app::WindowPlaces::kSection, "X", 40000);
        ini.SetInt(app::WindowPlaces::kSection, "Y", 40000);
        ini.SetInt(app::WindowPlaces::kSection, "Width", 700);
        ini.SetInt(app::WindowPlaces::kSection, "Height", 500);
        ini.SetInt(app::WindowPlaces::kSection, "InfoWindowX", -30000);
        ini.SetInt(app::WindowPlaces::kSection, "InfoWindowY", 5);
        ini.SetInt(app::WindowPlaces::kSection, "InfoWindowVisible", 1);
        QVERIFY(ini.Save(f.directory.filePath("gessoria.INI").toStdString()));
        const QRect before = f.window->geometry();
        f.window->places().Restore();
        QApplication::processEvents();
        QCOMPARE(f.window->geometry(), before);
        QVERIFY(f.window->infoWindow().isVisible());
        QVERIFY(GlobalRect(f.view()).contains(f.window->infoWindow().pos()));
    }

    // The first time, every palette opens inside the main view: never over the menu bar or
    // the tool bars.
    void PalettesFirstOpenInsideTheView()
    {
        AppFixture f;
        const QRect view = GlobalRect(f.view());
        const std::pair<Command, QWidget*> palettes[] = {{Command::ColourPicker, &f.window->colourPicker()},
                                                         {Command::InfoWindow, &f.window->infoWindow()},
                                                         {Command::Applicators, &f.window->applicators()},
                                                         {Command::Pigments, &f.window->pigments()}};
        for (const auto& [command, palette] : palettes) {
            QAction* toggle = f.window->commands()[command];
            toggle->setChecked(true);
            QApplication::processEvents();
            QVERIFY(palette->isVisible());
            const QRect frame = palette->frameGeometry();
            QVERIFY2(frame.top() >= view.top() && frame.left() >= view.left(),
                     qPrintable(QString("%1 at %2,%3; view at %4,%5")
                                    .arg(toggle->text())
                                    .arg(frame.left())
                                    .arg(frame.top())
                                    .arg(view.left())
                                    .arg(view.top())));
            QVERIFY(view.intersects(frame));
        }
    }

    // Showing another page of the control panel never changes the view's width.
    void EveryPageKeepsThePanelWidth()
    {
        AppFixture f;
        QVERIFY(f.OpenSample());
        app::ControlPanel& panel = f.window->controlPanel();
        panel.ShowPage(app::PanelPage::Brush);
        QApplication::processEvents();
        const int viewWidth = f.view().width();
        // The pages scroll up and down in their area but are never cut at the side.
        const auto* area = panel.findChild<QScrollArea*>();
        QVERIFY(area != nullptr);
        for (int p = 0; p < static_cast<int>(app::PanelPage::Count); ++p) {
            panel.ShowPage(static_cast<app::PanelPage>(p));
            QApplication::processEvents();
            QCOMPARE(f.view().width(), viewWidth);
            QVERIFY2(area->widget()->width() <= area->viewport()->width(),
                     qPrintable(app::ControlPanel::Title(static_cast<app::PanelPage>(p))));
        }
    }

    // A view resize fits a fitted scene again; a scene the user zoomed keeps its zoom.
    void ResizeFitsAFittedSceneAgain()
    {
        AppFixture f;
        QVERIFY(f.OpenSample());
        f.window->resize(900, 700);
        QApplication::processEvents();
        Camera expected = f.scene().camera;
        {
            Scene& scene = f.scene();
            const Camera now = scene.camera;
            ZoomExtents(scene);
            expected = scene.camera;
            scene.camera = now;
        }
        QCOMPARE(f.scene().camera.scale, expected.scale);
        QCOMPARE(f.scene().camera.panX, expected.panX);

        f.scene().camera.scale *= 2.0f;
        const Camera zoomed = f.scene().camera;
        f.window->resize(820, 640);
        QApplication::processEvents();
        QCOMPARE(f.scene().camera.scale, zoomed.scale);
        QCOMPARE(f.scene().camera.panX, zoomed.panX);
    }

    // Each layer's bitmap view opens at the zoom it was left at, in this run or the next.
    void BitmapViewsKeepTheirZoom()
    {
        AppFixture f;
        QVERIFY(f.OpenSample());
        app::BitmapViewWindow* view = f.window->bitmapViews().Open(1, MapType::Colour, 1);
        QVERIFY(view != nullptr);
        QCOMPARE(view->view().zoom(), 1.0f);
        view->action(app::BitmapViewCommand::ZoomIn)->trigger();
        view->action(app::BitmapViewCommand::ZoomIn)->trigger();
        const float zoom = view->view().zoom();
        view->close();
        QApplication::processEvents();
        f.window->close();

        Restart again(f.directory);
        QVERIFY(again.window->OpenFile(GESSORIA_SAMPLE_DIR "/monkey.3ds", false));
        app::BitmapViewWindow* reopened = again.window->bitmapViews().Open(1, MapType::Colour, 1);
        QVERIFY(reopened != nullptr);
        QVERIFY(std::abs(reopened->view().zoom() - zoom) < 0.001f);
        // Another layer has a zoom of its own.
        app::BitmapViewWindow* other = again.window->bitmapViews().Open(1, MapType::Colour, 0);
        QVERIFY(other != nullptr);
        QCOMPARE(other->view().zoom(), 1.0f);
    }

    // A press that paints nothing says why in the status bar, Paint Wizard or not.
    void PressesThatPaintNothingSayWhy()
    {
        using SC = StrokeController;
        {
            AppFixture f;  // no scene
            f.Drag({QPoint(100, 100), QPoint(120, 100)});
            QCOMPARE(f.ui.Texts(Shown::Kind::Status).back(), std::string(SC::kStatusNoScene));
        }
        AppFixture f;
        QVERIFY(f.OpenSample());
        const QPoint at = f.PointOnObject();
        const int material = f.MaterialAt(at);
        const auto untouched = f.ColourLayerBytes(material);
        const auto lastStatus = [&f] {
            const std::vector<std::string> status = f.ui.Texts(Shown::Kind::Status);
            return status.empty() ? std::string() : status.back();
        };

        f.window->SelectPaintTool(PaintTool::Brush);  // a second press: no tool
        f.Drag({at, at + QPoint(10, 0)});
        QCOMPARE(lastStatus(), std::string(SC::kStatusNoTool));
        QVERIFY(f.ColourLayerBytes(material) == untouched);

        f.window->SelectPaintTool(PaintTool::Brush);
        f.workspace.render.currentLevel = 1;  // wire frame: nothing can be hit
        f.workspace.render.stillLevel = 1;
        f.view().RedrawScreen();
        f.ui.shown.clear();
        f.Drag({at, at + QPoint(10, 0)});
        QCOMPARE(lastStatus(), std::string(SC::kStatusLowRenderLevel));
        QVERIFY(f.ColourLayerBytes(material) == untouched);
        f.workspace.render.currentLevel = f.workspace.render.stillLevel = 3;
        f.view().RedrawScreen();

        // A paint that writes no map type.
        Paint& paint = f.workspace.session.paints.current();
        const Paint kept = paint;
        paint.colourMap = paint.bumpMap = paint.opacityMap = paint.shininessMap = paint.selfIllumMap = 0;
        f.ui.shown.clear();
        f.Drag({at, at + QPoint(10, 0)});
        QCOMPARE(lastStatus(), std::string(SC::kStatusNoMapType));
        QVERIFY(f.ColourLayerBytes(material) == untouched);
        paint = kept;

        // A material without layers takes no paint.
        f.scene().materials[static_cast<std::size_t>(material)].hasLayers = false;
        f.ui.shown.clear();
        f.Drag({at, at + QPoint(10, 0)});
        QCOMPARE(lastStatus(), std::string(kNoLayersMessage));
        QVERIFY(f.ColourLayerBytes(material) == untouched);
        f.scene().materials[static_cast<std::size_t>(material)].hasLayers = true;

        QCOMPARE(f.ColourLayerBytes(material), untouched);
        // An ordinary stroke says nothing of the kind.
        f.ui.shown.clear();
        f.Drag({at, at + QPoint(10, 0)});
        QVERIFY(f.ui.Texts(Shown::Kind::Status).empty());
        QVERIFY(f.ColourLayerBytes(material) != untouched);
    }

    // A fill on a new, empty layer with "Sample Merged Layers" off fills the layer (the seed
    // is transparent, so the fill runs over the layer's alpha).
    void FillOnANewEmptyLayer()
    {
        AppFixture f;
        QVERIFY(f.OpenSample());
        const QPoint at = f.PointOnObject();
        const int index = f.MaterialAt(at);
        Material& material = f.scene().materials[static_cast<std::size_t>(index)];
        f.ui.texts.push_back(std::string("Layer 2"));
        NewLayer(material, MapType::Colour, f.ui);
        QCOMPARE(material.current(MapType::Colour), 2);
        f.workspace.session.painting.options.sampleMerged = false;
        f.window->SelectPaintTool(PaintTool::Fill);
        const auto before = f.ColourLayerBytes(index);
        f.ui.shown.clear();
        QTest::mouseClick(&f.view(), Qt::LeftButton, Qt::NoModifier, at);
        QVERIFY(f.ColourLayerBytes(index) != before);
    }

    // --grab-dialog and --grab-page go with --grab and take a name.
    void GrabOptionsNameADialogOrAPage()
    {
        QString error;
        const auto options =
            app::ParseLaunchOptions({"gessoria", "--grab", "o.png", "--grab-dialog", "Texturemap Size", "--grab-page",
                                     "Fill Tool"},
                                    error);
        QVERIFY(options);
        QCOMPARE(options->grabDialog, QString("Texturemap Size"));
        QCOMPARE(options->grabPage, QString("Fill Tool"));
        QVERIFY(options->file.isEmpty());
        QVERIFY(!app::ParseLaunchOptions({"gessoria", "--grab-dialog", "Render Level"}, error));
        QVERIFY(!app::ParseLaunchOptions({"gessoria", "--grab", "o.png", "--grab-page"}, error));
        QVERIFY(app::GrabbableDialogs().contains("Render Level"));
        QVERIFY(app::GrabbableDialogs().contains("Texturemap Size"));
    }
};

QObject* MakeFirstUseTest() { return new FirstUseTest; }

} // namespace gessoria::test

#include "FirstUseTest.moc"
