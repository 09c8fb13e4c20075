// Runs every test class of the desktop program on Qt's offscreen platform.
#include "app/MemorySafeApplication.h"

#include <QApplication>
#include <QTest>

#include <memory>

namespace gessoria::test {
QObject* MakeViewTest();
QObject* MakeWindowTest();
QObject* MakeControlPanelTest();
QObject* MakeWarningTest();
QObject* MakePaletteTest();
QObject* MakeLibraryPaletteTest();
QObject* MakeSelectionTest();
QObject* MakeTextPageTest();
QObject* MakeSourceViewTest();
QObject* MakeBitmapViewWindowTest();
QObject* MakeCommandTableTest();
QObject* MakeFrontEndTest();
QObject* MakeExportTest();
QObject* MakeUnsavedChangesTest();
QObject* MakeHelpTest();
QObject* MakeColourPickerMoreTest();
QObject* MakeSixAxisTest();
QObject* MakeFirstUseTest();
QObject* MakeHostLinkWindowTest();
QObject* MakeMemoryFailureTest();
} // namespace gessoria::test

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    gessoria::app::MemorySafeApplication application(argc, argv);
    int failures = 0;
    for (auto make : {gessoria::test::MakeViewTest, gessoria::test::MakeWindowTest, gessoria::test::MakeControlPanelTest,
                      gessoria::test::MakeWarningTest, gessoria::test::MakePaletteTest,
                      gessoria::test::MakeLibraryPaletteTest, gessoria::test::MakeSelectionTest,
                      gessoria::test::MakeTextPageTest, gessoria::test::MakeSourceViewTest,
                      gessoria::test::MakeBitmapViewWindowTest, gessoria::test::MakeCommandTableTest,
                      gessoria::test::MakeFrontEndTest,
                      gessoria::test::MakeExportTest,
                      gessoria::test::MakeUnsavedChangesTest, gessoria::test::MakeHelpTest,
                      gessoria::test::MakeColourPickerMoreTest, gessoria::test::MakeSixAxisTest,
                      gessoria::test::MakeFirstUseTest, gessoria::test::MakeHostLinkWindowTest,
                      gessoria::test::MakeMemoryFailureTest}) {
        std::unique_ptr<QObject> test(make());
        // GESSORIA_TEST_CLASS=NAME runs only the test classes whose name contains NAME.
        const QByteArray only = qgetenv("GESSORIA_TEST_CLASS");
        if (!only.isEmpty() && !QByteArray(test->metaObject()->className()).contains(only))
            continue;
        failures += QTest::qExec(test.get(), argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
