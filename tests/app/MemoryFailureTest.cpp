// Memory running out inside a command or a stroke: the program goes on, says "Not enough
// memory to ...", and the scene and its undo are as they were before. The failures are real
// std::bad_alloc exceptions thrown from inside the event being dispatched.
#include "AppFixture.h"

#include "app/CommandTable.h"
#include "app/MemorySafeApplication.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>

#include <new>

namespace gessoria::test {

using app::Command;

namespace {

// Throws std::bad_alloc from the `nth` mouse move the view receives, as an allocation deep
// inside the stroke would.
class FailingMove : public QObject {
public:
    explicit FailingMove(int nth) : nth_(nth) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MouseMove && ++moves_ == nth_)
            throw std::bad_alloc();
        return false;
    }

private:
    int nth_;
    int moves_ = 0;
};

} // namespace

class MemoryFailureTest : public QObject {
    Q_OBJECT
private slots:
    void ACommandThatRunsOutOfMemoryIsReportedAndTheProgramGoesOn()
    {
        AppFixture f;
        app::MemorySafeApplication* application = app::MemorySafeApplication::instance();
        QVERIFY(application != nullptr);
        QVERIFY(f.OpenSample());
        const int caught = application->failuresCaught();
        QAction* zoom = f.window->commands()[Command::ZoomExtents];
        const auto failing = connect(zoom, &QAction::triggered, [] { throw std::bad_alloc(); });
        f.ui.shown.clear();
        // Triggered from the event loop, as a menu or a key would.
        QMetaObject::invokeMethod(zoom, &QAction::trigger, Qt::QueuedConnection);
        QCoreApplication::processEvents();
        disconnect(failing);
        QCOMPARE(application->failuresCaught(), caught + 1);
        QVERIFY(!f.ui.Dialogs().empty());
        QCOMPARE(f.ui.Dialogs().back(), std::string("Not enough memory to carry out Zoom Extents"));
        QVERIFY(!f.ui.LastReason().empty());
        QCOMPARE(f.window->windowTitle(), QString("monkey.3ds - Gessoria"));

        // The name belongs to that command only: a later failure outside any command says so.
        f.ui.shown.clear();
        QTimer::singleShot(0, [] { throw std::bad_alloc(); });
        QCoreApplication::processEvents();
        QCOMPARE(f.ui.Dialogs(), std::vector<std::string>{"Not enough memory to finish what was asked"});
        QVERIFY(f.window->isVisible());
    }

    void AStrokeCutShortIsTakenBackAndUndoStillWorks()
    {
        AppFixture f;
        QVERIFY(f.OpenSample());
        const QPoint at = f.PointOnObject();
        const int material = f.MaterialAt(at);
        const auto untouched = f.ColourLayerBytes(material);
        f.Drag({at, at + QPoint(12, 0)});
        const auto firstStroke = f.ColourLayerBytes(material);
        QVERIFY(firstStroke != untouched);

        // The second stroke lays dabs at its press and first moves, then memory runs out.
        FailingMove failing(3);
        f.view().installEventFilter(&failing);
        f.ui.shown.clear();
        f.Drag({at + QPoint(0, 8), at + QPoint(4, 8), at + QPoint(8, 8), at + QPoint(12, 8), at + QPoint(16, 8)});
        f.view().removeEventFilter(&failing);
        QCOMPARE(f.ui.Dialogs(), std::vector<std::string>{"Not enough memory to finish the stroke"});
        QCOMPARE(f.ui.LastReason(), std::string("The stroke was taken back; the scene is as it was before it."));
        QCOMPARE(f.ColourLayerBytes(material), firstStroke);

        // Undo takes back the stroke before it; the view paints again as usual.
        QVERIFY(f.window->commands()[Command::Undo]->isEnabled());
        f.window->commands()[Command::Undo]->trigger();
        QCOMPARE(f.ColourLayerBytes(material), untouched);
        f.Drag({at, at + QPoint(12, 0)});
        QVERIFY(f.ColourLayerBytes(material) != untouched);
    }
};

QObject* MakeMemoryFailureTest()
{
    return new MemoryFailureTest;
}

} // namespace gessoria::test

#include "MemoryFailureTest.moc"
