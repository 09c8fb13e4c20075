// The main window: selecting tools, opening files, the recent-file list, warnings, the
// Map Paths and tip dialogs, and the command line.
#include "AppFixture.h"

#include "app/Application.h"
#include "app/CommandTable.h"
#include "app/QtInteraction.h"
#include "app/dialogs/MapPathsDialog.h"
#include "app/dialogs/TipDialog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QUrl>
#include <QTest>

namespace gessoria::test {

using app::Command;

class WindowTest : public QObject {
    Q_OBJECT
private slots:
    void PressingTheCurrentToolTwiceLeavesNoTool()
    {
        AppFixture f;
        QVERIFY(f.OpenSample());
        QCOMPARE(f.scene().paintTool, PaintTool::Brush);
        QCOMPARE(f.view().toolCursor(), 158);
        QTest::keyClick(f.window.get(), Qt::Key_B);
        QCOMPARE(f.scene().paintTool, PaintTool::None);
        QCOMPARE(f.view().toolCursor(), -1);
        QCOMPARE(f.view().cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(f.window->statusPane().text(), QString("Ready    For Help, press F1"));
        QVERIFY(!f.window->commands()[Command::BrushTool]->isChecked());

        // With no tool a click paints nothing and tells the user to pick one.
        const QPoint at = f.PointOnObject();
        const auto before = f.ColourLayerBytes(f.MaterialAt(at));
        f.Drag({at, at + QPoint(10, 0)});
        QCOMPARE(f.ColourLayerBytes(f.MaterialAt(at)), before);
        QCOMPARE(f.ui.Texts(Shown::Kind::Hint).back(),
                 std::string("You have no tool selected at the moment, select one from the Control Panel or the Move "
                             "Toolbar."));
    }

    void SelectingAnotherToolMovesTheCheckAndThePrompt()
    {
        AppFixture f;
        QVERIFY(f.OpenSample());
        QTest::keyClick(f.window.get(), Qt::Key_E);
        QCOMPARE(f.scene().paintTool, PaintTool::Eraser);
        QVERIFY(f.window->commands()[Command::EraserTool]->isChecked());
        QVERIFY(!f.window->commands()[Command::BrushTool]->isChecked());
        QCOMPARE(f.view().toolCursor(), 166);
        QCOMPARE(f.window->statusPane().text(), QString("Eraser Tool: +Ctrl = Sample Background    For help press F1"));
        // A position tool does not take the painting tool away.
        QTest::keyClick(f.window.get(), Qt::Key_Z);
        QCOMPARE(f.scene().paintTool, PaintTool::Eraser);
        QCOMPARE(f.view().toolCursor(), 161);
    }

    void PaintingWithoutASceneOnlyHints()
    {
        AppFixture f;
        f.window->SelectPaintTool(PaintTool::Brush);
        QCOMPARE(f.ui.Texts(Shown::Kind::Hint).back(),
                 std::string("Until you load an object you won't be able to paint on anything."));
        f.Drag({QPoint(100, 100), QPoint(120, 100)});
        QCOMPARE(f.ui.Texts(Shown::Kind::Hint).back(),
                 std::string("There is no object currently loaded. Select 'Open' from the File Menu or press Ctrl + 'o'."));
    }

    void OpenFailuresLeaveTheCurrentScene()
    {
        AppFixture f;
        QVERIFY(f.OpenSample());
        const int faces = f.scene().faceCount;
        const Camera camera = f.scene().camera;
        const QString title = f.window->windowTitle();
        const QStringList recent = f.recent.entries();
        const QImage shown = f.view().picture().copy();

        const QString garbage = f.directory.filePath("broken.3ds");
        QFile file(garbage);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("\x4d\x4d\xff\xff\xff\x7f not a scene", 22));
        file.close();
        for (const QString& path : {garbage, f.directory.filePath("missing.3ds")}) {
            f.ui.shown.clear();
            QVERIFY(!f.window->OpenFile(path, true));
            QVERIFY(!f.ui.Dialogs().empty());
            QCOMPARE(f.ui.Dialogs().back(), "Gessoria experienced problems loading file: " + path.toStdString());
        }
        QCOMPARE(f.scene().faceCount, faces);
        QCOMPARE(f.scene().camera.scale, camera.scale);
        QCOMPARE(f.window->windowTitle(), title);
        QCOMPARE(f.recent.entries(), recent);
        QCOMPARE(f.view().picture(), shown);
        QVERIFY(!f.workspace.session.skipExitSave);
        // The scene still paints.
        const QPoint at = f.PointOnObject();
        const auto before = f.ColourLayerBytes(f.MaterialAt(at));
        f.Drag({at, at + QPoint(12, 0)});
        QVERIFY(f.ColourLayerBytes(f.MaterialAt(at)) != before);
    }

    void PaintedSceneSavedAsProjectOpensWithItsPaint()
    {
        QString saved;
        std::vector<std::uint8_t> painted;
        int material = -1;
        {
            AppFixture f;
            QVERIFY(f.OpenSample());
            const QPoint at = f.PointOnObject();
            material = f.MaterialAt(at);
            f.Drag({at, at + QPoint(16, 0)});
            painted = f.ColourLayerBytes(material);
            QVERIFY(f.window->SaveTo(f.directory.filePath("painted.gsr")));
            saved = f.window->projectPath();
            QVERIFY(saved.endsWith(".gsr"));
            QVERIFY(QFile::exists(saved));
            QCOMPARE(f.window->windowTitle(), QFileInfo(saved).fileName() + " - Gessoria");
            // Keep the project beyond the fixture's temporary directory.
            f.directory.setAutoRemove(false);
        }
        AppFixture g;
        QVERIFY(g.window->OpenFile(saved, true));
        QCOMPARE(g.ColourLayerBytes(material), painted);
        QCOMPARE(g.window->projectPath(), saved);
        QVERIFY(g.workspace.session.skipExitSave);
        QDir(QFileInfo(saved).absolutePath()).removeRecursively();
    }

    void DroppedFileOpensWithoutStoppingTheExitSave()
    {
        AppFixture f;
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(GESSORIA_SAMPLE_DIR "/monkey.3ds")});
        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&f.view(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&f.view(), &drop);
        QVERIFY(f.scene().loaded());
        QCOMPARE(f.window->windowTitle(), QString("monkey.3ds - Gessoria"));
        QCOMPARE(f.recent.entries().size(), 1);
        QVERIFY(!f.workspace.session.skipExitSave);
    }

    void RecentFilesKeepFourNewestFirstInTheIniFile()
    {
        QTemporaryDir dir;
        const auto ini = std::filesystem::path(dir.filePath("gessoria.INI").toStdString());
        app::RecentFiles recent;
        for (const char* name : {"/s/a.3ds", "/s/b.3ds", "/s/c.3ds", "/s/a.3ds", "/s/d.3ds", "/s/e.3ds"})
            recent.Add(name);
        QCOMPARE(recent.entries(), QStringList({"/s/e.3ds", "/s/d.3ds", "/s/a.3ds", "/s/c.3ds"}));
        QVERIFY(recent.Save(ini));
        app::RecentFiles loaded;
        loaded.Load(ini);
        QCOMPARE(loaded.entries(), recent.entries());
        QFile text(dir.filePath("gessoria.INI"));
        QVERIFY(text.open(QIODevice::ReadOnly));
        QVERIFY(text.readAll().contains("[Recent File List]\r\nFile1=/s/e.3ds\r\n"));
    }

    void MapPathsOkDropsTrailingSeparatorsAndCancelKeepsTheList()
    {
        RecordingInteraction ui;
        MapPathList list;
        list.Append("/data/maps");
        {
            app::MapPathsDialog dialog(list, ui, nullptr);
            dialog.edit()->setText("/data/textures/");
            dialog.AddNew();
            QCOMPARE(dialog.edit()->text(), QString());
            dialog.edit()->setText("");
            dialog.AddNew();  // an empty entry is not added
            QCOMPARE(dialog.list()->count(), 2);
            dialog.list()->setCurrentRow(0);
            dialog.DeleteSelected();
            dialog.Accept(list);
        }
        QCOMPARE(list.paths(), std::vector<std::string>{"/data/textures"});

        for (int i = 1; i < MapPathList::kMaxPaths; ++i)
            list.Append("/m" + std::to_string(i));
        app::MapPathsDialog full(list, ui, nullptr);
        full.edit()->setText("/one/too/many");
        full.AddNew();
        QCOMPARE(full.list()->count(), MapPathList::kMaxPaths);
        QCOMPARE(ui.Dialogs().back(), std::string("Cant have more than 32 map paths defined.  Sorry."));
        QCOMPARE(full.edit()->text(), QString("/one/too/many"));
    }

    void WarningWindowShowsTheLastWarningAndIgnoreKeepsIt()
    {
        AppFixture f;
        f.window->commands()[Command::WarningWindow]->trigger();
        QCOMPARE(f.ui.Dialogs().back(), std::string("Nothing of interest has happened yet."));
        f.workspace.session.preferences.beepOnWarning = 0;
        f.warnings.Raise("Layer missing");
        QVERIFY(f.warnings.lit());
        QTest::keyClick(f.window.get(), Qt::Key_I);
        QVERIFY(!f.warnings.lit());
        f.window->commands()[Command::WarningWindow]->trigger();
        QCOMPARE(f.ui.Dialogs().back(), std::string("Layer missing"));

        // The tablet question: Yes switches pressure sensitivity off.
        f.warnings.Raise(app::WarningWindow::kPressureTabletQuestion, app::WarningKind::Question);
        f.ui.yesNo.push_back(true);
        f.window->commands()[Command::WarningWindow]->trigger();
        QCOMPARE(f.ui.Texts(Shown::Kind::Question).back(), std::string(app::WarningWindow::kPressureTabletQuestion));
        QVERIFY(!f.workspace.pressureSensitivity);
    }

    void TipDialogWalksTheTipsAndRemembersTheChoice()
    {
        QTemporaryDir dir;
        const auto ini = std::filesystem::path(dir.filePath("g.INI").toStdString());
        {
            app::TipDialog missing(ini, dir.filePath("tips.txt").toStdString(), nullptr);
            QCOMPARE(missing.tipText().toStdString(), std::string(TipOfTheDay::kMissingFile));
        }
        QFile tips(dir.filePath("tips.txt"));
        QVERIFY(tips.open(QIODevice::WriteOnly));
        tips.write("; comment\nFirst tip\n skipped\nSecond tip\n");
        tips.close();
        {
            app::TipDialog dialog(ini, dir.filePath("tips.txt").toStdString(), nullptr);
            QCOMPARE(dialog.tipText(), QString("First tip"));
            dialog.NextTip();
            QCOMPARE(dialog.tipText(), QString("Second tip"));
            dialog.NextTip();
            QCOMPARE(dialog.tipText(), QString("First tip"));
            dialog.SetShowOnStartup(false);
            dialog.accept();
        }
        QVERIFY(!TipsShownAtStartup(ini));
    }

    void EngineFiltersBecomeQtFilters()
    {
        QCOMPARE(app::QtFileFilter("All Files (*.*) |*.*||"), QString("All Files (*)"));
        QCOMPARE(app::QtFileFilter("Images (*.png;*.tga)|*.png;*.tga|All Files (*.*)|*.*||"),
                 QString("Images (*.png *.tga);;All Files (*)"));
    }

    void CommandLineIsCheckedBeforeAnythingStarts()
    {
        QString error;
        auto options = app::ParseLaunchOptions({"gessoria", "--grab", "out.png", "--grab-size", "800x600", "a.3ds"}, error);
        QVERIFY(options);
        QCOMPARE(options->grabSize, QSize(800, 600));
        QCOMPARE(options->file, QString("a.3ds"));
        QVERIFY(!app::ParseLaunchOptions({"gessoria", "--grab-size", "800x600"}, error));
        QVERIFY(!app::ParseLaunchOptions({"gessoria", "--grab", "o.png", "--grab-size", "80x"}, error));
        QVERIFY(!app::ParseLaunchOptions({"gessoria", "a.3ds", "b.3ds"}, error));
        QVERIFY(!app::ParseLaunchOptions({"gessoria", "--grab"}, error));
    }
};

QObject* MakeWindowTest()
{
    return new WindowTest;
}

} // namespace gessoria::test

#include "WindowTest.moc"
