// Unsaved work: the title's "*", and the question every way of losing the work asks first,
// with Cancel, a cancelled or failed save keeping the scene and the program.
#include "AppFixture.h"

#include "app/CommandTable.h"

#include <QApplication>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QTest>
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
};

QObject* MakeUnsavedChangesTest()
{
    return new UnsavedChangesTest;
}

} // namespace gessoria::test

#include "UnsavedChangesTest.moc"
