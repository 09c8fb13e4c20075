// Unsaved work: the title's "*", and the question every way of losing the work asks first,
// with Cancel, a cancelled or failed save keeping the scene and the program.
#include "AppFixture.h"

#include "app/CommandTable.h"
#include "app/panel/BookmarksPage.h"
#include "app/panel/ControlPanel.h"
#include "app/panel/ObjectsPage.h"
#include "app/dialogs/PreferenceDialogs.h"
#include "io/ProfileFile.h"

#include <QApplication>
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QUrl>

namespace gessoria::test {

using app::Command;

namespace {

constexpr const char* kQuestion = "Save changes to monkey.3ds?";
constexpr std::size_t kSave = 0, kDiscard = 1;

void DropFile(AppFixture& f, const QString& path)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&f.view(), &enter);
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&f.view(), &drop);
}

QAction* FirstRecentFile(AppFixture& f)
{
    // The File menu lists the opened files itself, newest first: "&1 NAME".
    for (QAction* top : f.window->menuBar()->actions())
        if (top->text() == "&File")
            for (QAction* entry : top->menu()->actions())
                if (entry->text().startsWith("&1 "))
                    return entry;
    return nullptr;
}

// Opens the sample and paints a stroke across it; returns the painted material.
int PaintOnSample(AppFixture& f)
{
    if (!f.OpenSample())
        return -1;
    const QPoint at = f.PointOnObject();
    f.Drag({at, at + QPoint(16, 0)});
    return f.MaterialAt(at);
}

} // namespace

class UnsavedChangesTest : public QObject {
    Q_OBJECT
private slots:
    void EveryWayOfLosingPaintAsksAndCancelKeepsIt()
    {
        AppFixture f;
        QVERIFY(f.OpenSample());
        QCOMPARE(f.window->windowTitle(), QString("monkey.3ds - Gessoria"));
        const QPoint at = f.PointOnObject();
        const int material = f.MaterialAt(at);
        f.Drag({at, at + QPoint(16, 0)});
        QCOMPARE(f.window->windowTitle(), QString("monkey.3ds* - Gessoria"));
        const auto painted = f.ColourLayerBytes(material);

        // No answer scripted: the question is cancelled.
        f.ui.shown.clear();
        f.window->commands()[Command::Exit]->trigger();
        QVERIFY(f.window->isVisible());
        QVERIFY(!f.window->close());
        f.window->commands()[Command::Open]->trigger();
        DropFile(f, GESSORIA_SAMPLE_DIR "/monkey.3ds");
        QAction* recent = FirstRecentFile(f);
        QVERIFY(recent != nullptr);
        recent->trigger();
        QCOMPARE(f.ui.Dialogs(), std::vector<std::string>(5, kQuestion));
        QVERIFY(f.window->isVisible());
        QCOMPARE(f.ColourLayerBytes(material), painted);
        QCOMPARE(f.window->windowTitle(), QString("monkey.3ds* - Gessoria"));

        // Discard lets the dropped scene in, unchanged and without the paint.
        f.ui.choices = {kDiscard};
        DropFile(f, GESSORIA_SAMPLE_DIR "/monkey.3ds");
        QVERIFY(f.ui.choices.empty());
        QVERIFY(f.ColourLayerBytes(material) != painted);
        QCOMPARE(f.window->windowTitle(), QString("monkey.3ds - Gessoria"));
        f.ui.shown.clear();
        QVERIFY(f.window->close());
        QVERIFY(f.ui.Dialogs().empty());
    }

    void SaveAsksForANameAndOnlyASaveThatHappenedLetsGo()
    {
        AppFixture f;
        const int material = PaintOnSample(f);
        QVERIFY(material >= 0);
        const auto painted = f.ColourLayerBytes(material);

        // Save on a scene without a project asks for one; cancelling that chooser cancels.
        f.ui.choices = {kSave};
        f.ui.saveFiles = {std::nullopt};
        QVERIFY(!f.window->close());
        QVERIFY(f.ui.saveFiles.empty());

        // A save that fails is reported and the program stays, the work still unsaved.
        const QString unwritable = f.directory.filePath("missing/deeper/p.gsr");
        f.ui.choices = {kSave};
        f.ui.saveFiles = {unwritable.toStdString()};
        QVERIFY(!f.window->close());
        QCOMPARE(f.ui.Dialogs().back(), "Error: Unable to save file " + unwritable.toStdString());
        QCOMPARE(f.window->windowTitle(), QString("monkey.3ds* - Gessoria"));

        // A save that worked lets the program end, the project holding the paint.
        const QString kept = f.directory.filePath("kept");
        f.ui.choices = {kSave};
        f.ui.saveFiles = {kept.toStdString()};
        QVERIFY(f.window->close());
        QVERIFY(f.window->projectPath().endsWith("kept.gsr"));
        QCOMPARE(f.window->windowTitle(), QString("kept.gsr - Gessoria"));

        AppFixture g;
        QVERIFY(g.window->OpenFile(f.window->projectPath(), false));
        QCOMPARE(g.ColourLayerBytes(material), painted);
    }

    void SavingClearsTheMarkAndUndoSetsItAgain()
    {
        AppFixture f;
        QVERIFY(PaintOnSample(f) >= 0);
        QVERIFY(f.window->SaveTo(f.directory.filePath("saved.gsr")));
        QCOMPARE(f.window->windowTitle(), QString("saved.gsr - Gessoria"));
        f.ui.shown.clear();
        QVERIFY(f.window->close());
        QVERIFY(f.ui.Dialogs().empty());

        f.window->show();
        f.window->commands()[Command::Undo]->trigger();
        QCOMPARE(f.window->windowTitle(), QString("saved.gsr* - Gessoria"));
        QVERIFY(!f.window->close());
        QCOMPARE(f.ui.Dialogs(), std::vector<std::string>{"Save changes to saved.gsr?"});
        // Save goes to the project already named, without a chooser.
        f.ui.choices = {kSave};
        QVERIFY(f.window->close());
        QVERIFY(f.ui.Texts(Shown::Kind::FileChooser).empty());
    }

    void LookingAroundIsNoChange()
    {
        AppFixture f;
        QVERIFY(f.OpenSample());
        f.window->commands()[Command::ZoomExtents]->trigger();
        f.window->SelectPaintTool(PaintTool::Selection);
        const QPoint at = f.PointOnObject();
        f.Drag({at, at + QPoint(20, 20)});
        QCOMPARE(f.window->windowTitle(), QString("monkey.3ds - Gessoria"));
        QVERIFY(f.window->close());
        QVERIFY(f.ui.Dialogs().empty());
    }

    // Bookmarks and the objects' hidden and frozen flags are kept in a project: changing them
    // on their pages is a change to save, and a refused one is none.
    void BookmarkAndObjectPagesMarkTheirChanges()
    {
        AppFixture f;
        QVERIFY(f.OpenSample());
        const QString saved = f.directory.filePath("pages.gsr");
        const QString clean("pages.gsr - Gessoria"), changed("pages.gsr* - Gessoria");
        QVERIFY(f.window->SaveTo(saved));
        QCOMPARE(f.window->windowTitle(), clean);

        auto* bookmarks = static_cast<app::BookmarksPage*>(f.window->controlPanel().ShowPage(app::PanelPage::Bookmarks));
        f.ui.texts.push_back(std::nullopt);  // New, cancelled
        QTest::mouseClick(bookmarks->newButton(), Qt::LeftButton);
        QCOMPARE(f.window->windowTitle(), clean);
        f.ui.texts.push_back(std::string("Close up"));
        QTest::mouseClick(bookmarks->newButton(), Qt::LeftButton);
        QCOMPARE(f.window->windowTitle(), changed);
        QVERIFY(f.window->SaveTo(saved));
        f.ui.yesNo.push_back(false);  // Delete, not confirmed
        bookmarks->list()->setCurrentRow(0);
        QTest::mouseClick(bookmarks->deleteButton(), Qt::LeftButton);
        QCOMPARE(f.window->windowTitle(), clean);
        f.ui.yesNo.push_back(true);
        QTest::mouseClick(bookmarks->deleteButton(), Qt::LeftButton);
        QCOMPARE(f.window->windowTitle(), changed);
        QVERIFY(f.window->SaveTo(saved));

        auto* objects = static_cast<app::ObjectsPage*>(f.window->controlPanel().ShowPage(app::PanelPage::Objects));
        objects->list()->item(0)->setSelected(true);
        QTest::mouseClick(objects->showButton(), Qt::LeftButton);  // already shown: nothing changes
        QCOMPARE(f.window->windowTitle(), clean);
        QTest::mouseClick(objects->freezeButton(), Qt::LeftButton);
        QCOMPARE(f.window->windowTitle(), changed);
        QVERIFY(f.window->SaveTo(saved));
        objects->list()->item(0)->setSelected(true);
        QTest::mouseClick(objects->hideButton(), Qt::LeftButton);
        QCOMPARE(f.window->windowTitle(), changed);
    }

    // The Undo Prefs dialog sets how often unsaved work is autosaved: the window tells the
    // autosaver at once, and the exit keeps the choice in the INI file for the next run.
    void UndoPrefsSetsHowOftenWorkIsAutosaved()
    {
        AppFixture f;
        QCOMPARE(f.workspace.session.preferences.autosaveMinutes, 5);
        std::vector<int> told;
        QObject::connect(f.window.get(), &app::MainWindow::autosaveMinutesChanged,
                         [&told](int minutes) { told.push_back(minutes); });
        // Answers the dialog the next command opens, keeping what its minutes box showed.
        QString shown;
        const auto answer = [&shown](int minutes, bool accept) {
            QTimer::singleShot(0, [&shown, minutes, accept] {
                auto* dialog = qobject_cast<app::UndoPreferencesDialog*>(QApplication::activeModalWidget());
                if (dialog == nullptr)
                    return;
                for (QSpinBox* every : dialog->findChildren<QSpinBox*>())
                    if (every->suffix() == " minutes") {
                        every->setValue(minutes);
                        shown = every->text();
                    }
                if (accept)
                    dialog->accept();
                else
                    dialog->reject();
            });
        };
        answer(12, false);
        f.window->commands()[Command::UndoPrefs]->trigger();
        QVERIFY(told.empty());
        QCOMPARE(f.workspace.session.preferences.autosaveMinutes, 5);
        QCOMPARE(shown, QString("12 minutes"));
        answer(0, true);
        f.window->commands()[Command::UndoPrefs]->trigger();
        QCOMPARE(shown, QString("Off"));
        QCOMPARE(told, std::vector<int>{0});
        QCOMPARE(f.workspace.session.preferences.autosaveMinutes, 0);
        answer(17, true);
        f.window->commands()[Command::UndoPrefs]->trigger();
        QCOMPARE(told, (std::vector<int>{0, 17}));

        // The libraries go to the test's directory, not over the starter files.
        f.workspace.session.brushLibraryPath = f.directory.filePath("Brushes.Dat").toStdString();
        f.workspace.session.paintLibraryPath = f.directory.filePath("Paints.Dat").toStdString();
        f.workspace.session.Exit(&f.ui);
        const std::filesystem::path ini = f.directory.filePath("gessoria.INI").toStdString();
        QCOMPARE(ProfileFile::Load(ini).GetInt("Autosave", "Minutes", -1), 17);
        app::Workspace next;
        next.session.Startup(ini, GESSORIA_STARTER_LIBRARY_DIR, f.ui);
        QCOMPARE(next.session.preferences.autosaveMinutes, 17);
    }
};

QObject* MakeUnsavedChangesTest()
{
    return new UnsavedChangesTest;
}

} // namespace gessoria::test

#include "UnsavedChangesTest.moc"
