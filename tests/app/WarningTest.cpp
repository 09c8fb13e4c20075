// The Warning Window (kinds, light, beep, Ignore Warning) and the Paint Wizard's hints.
#include "AppFixture.h"

#include "app/CommandTable.h"
#include "app/panel/ControlPanel.h"
#include "app/panel/PanelButton.h"

#include <QTest>

namespace gessoria::test {
namespace {

using app::Command;

class WarningTest : public QObject {
    Q_OBJECT
private slots:
    void WarningLightsTheButtonAndBeepsOnlyWhenAsked()
    {
        AppFixture f;
        int beeps = 0;
        f.warnings.SetBeep([&beeps] { ++beeps; });
        app::PanelButton* button = f.window->controlPanel().button(Command::WarningWindow);
        f.window->commands()[Command::BeepOnWarn]->setChecked(false);
        QCOMPARE(f.workspace.session.preferences.beepOnWarning, 0);
        f.warnings.Raise("first");
        QVERIFY(button->lit());
        QCOMPARE(beeps, 0);
        f.window->commands()[Command::BeepOnWarn]->setChecked(true);
        f.warnings.Alert();
        QCOMPARE(beeps, 1);
        // A bare alert keeps the stored warning.
        QCOMPARE(f.warnings.message(), QString("first"));
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(!button->lit());
        QCOMPARE(f.ui.Dialogs().back(), std::string("first"));
        // Pressing again shows it again.
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(f.ui.Dialogs().size(), std::size_t{2});
    }

    void NothingRaisedSaysSo()
    {
        AppFixture f;
        QTest::mouseClick(f.window->controlPanel().button(Command::WarningWindow), Qt::LeftButton);
        QCOMPARE(f.ui.Dialogs().back(), std::string("Nothing of interest has happened yet."));
    }

    void IgnoreWarningPutsTheLightOutWithItsHint()
    {
        AppFixture f;
        f.warnings.SetBeep([] {});
        f.warnings.Raise("kept");
        QTest::keyClick(f.window.get(), Qt::Key_I);
        QVERIFY(!f.warnings.lit());
        QVERIFY(f.ui.Dialogs().empty());
        QCOMPARE(f.ui.Texts(Shown::Kind::Hint).back(), std::string(app::WarningWindow::kIgnoredHint));
        f.window->commands()[Command::WarningWindow]->trigger();
        QCOMPARE(f.ui.Dialogs().back(), std::string("kept"));
    }

    void LineWithABitmapPaintWarns()
    {
        AppFixture f;
        f.warnings.SetBeep([] {});
        QVERIFY(f.OpenSample());
        Session& s = f.workspace.session;
        Paint bitmap = DefaultPaint();
        bitmap.name = "tiles";
        bitmap.specialNumber = kBitmapPaintNumber;
        QVERIFY(s.paints.Append(bitmap));
        f.window->SelectPaintTool(PaintTool::Line);
        QCOMPARE(f.ui.Texts(Shown::Kind::Warning).back(), std::string(kWarningLineWithBitmapPaint));
    }

    void ToolHintsFollowTheSceneState()
    {
        AppFixture f;
        f.window->SelectPaintTool(PaintTool::Fill);
        QCOMPARE(f.ui.Texts(Shown::Kind::Hint).back(),
                 std::string("Until you load an object you won't be able to paint on anything."));
        QVERIFY(f.OpenSample());
        f.window->SelectPaintTool(PaintTool::Brush);  // Brush was current: deselects, hint still shown
        QCOMPARE(f.ui.Texts(Shown::Kind::Hint).back(),
                 std::string("You can also select the Brush Tool by pressing the 'B' key when you're in the Main View "
                             "or using the right mouseclick Popup Menu in the Main View."));
        f.window->SelectPaintTool(PaintTool::Sampler);
        QVERIFY(f.ui.Texts(Shown::Kind::Hint).back().find("Ctrl") != std::string::npos);
    }
};

} // namespace

QObject* MakeWarningTest() { return new WarningTest; }

} // namespace gessoria::test

#include "WarningTest.moc"
