// Models and exports in the window: a model opened as a scene is, File > Export Maps with its
// dialog, the settings it remembers in the INI file, and the maps it
// writes from the window's scene.
#include "AppFixture.h"

#include "app/CommandTable.h"
#include "app/dialogs/ExportMapsDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

namespace gessoria::test {

using app::Command;

class ExportTest : public QObject {
    Q_OBJECT
private slots:
    void SettingsAreRememberedInTheIniFile()
    {
        QTemporaryDir directory;
        const std::filesystem::path ini = directory.filePath("gessoria.INI").toStdString();
        const app::ExportMapsSettings defaults = app::LoadExportMapsSettings(ini);
        QCOMPARE(defaults.options.format, std::string("png"));
        QCOMPARE(defaults.options.padding, 8);
        QVERIFY(!defaults.options.layers);
        app::ExportMapsSettings chosen;
        chosen.folder = "/tmp/maps here";
        chosen.options = {"tga", -1, true};
        app::SaveExportMapsSettings(ini, chosen);
        const app::ExportMapsSettings read = app::LoadExportMapsSettings(ini);
        QCOMPARE(read.folder, chosen.folder);
        QCOMPARE(read.options.format, std::string("tga"));
        QCOMPARE(read.options.padding, -1);
        QVERIFY(read.options.layers);

        // The dialog shows what it was given and hands back what is shown.
        app::ExportMapsDialog dialog(read, nullptr);
        QCOMPARE(dialog.findChild<QSpinBox*>()->text(), QString("Every unused texel"));
        QCOMPARE(dialog.findChild<QComboBox*>()->currentText(), QString("TGA"));
        dialog.findChild<QSpinBox*>()->setValue(3);
        dialog.findChild<QCheckBox*>()->setChecked(false);
        QCOMPARE(dialog.settings().options.padding, 3);
        QVERIFY(!dialog.settings().options.layers);
        QCOMPARE(dialog.settings().folder, chosen.folder);
    }

    // A model opens in the window as a 3D Studio scene does: shown, titled, remembered.
    void AModelOpensInTheWindowAndJoinsTheRecentList()
    {
        AppFixture f;
        const QString box = QString(GESSORIA_TEST_DATA_DIR) + "/models/box_embedded.glb";
        QVERIFY(f.window->OpenFile(box, true));
        QCOMPARE(f.scene().faceCount, 17);
        QCOMPARE(f.recent.entries().front(), box);
        QVERIFY(f.window->windowTitle().contains("box_embedded.glb"));
        QVERIFY(f.MaterialAt(f.PointOnObject()) > 0);
    }

    void ExportMapsWritesTheScenesMapsAndRemembersTheFolder()
    {
        AppFixture f;
        QVERIFY(f.OpenSample());
        QTemporaryDir out;
        const QString folder = out.filePath("maps");
        QTimer::singleShot(0, [folder] {
            auto* dialog = qobject_cast<app::ExportMapsDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            dialog->findChild<QLineEdit*>()->setText(folder);
            dialog->accept();
        });
        f.window->commands()[Command::ExportMaps]->trigger();
        QVERIFY(QFile::exists(folder + "/Skin_colour.png"));
        QVERIFY(QFile::exists(folder + "/Skin_bump.png"));
        QCOMPARE(app::LoadExportMapsSettings(f.workspace.session.iniPath).folder, folder);
    }
};

QObject* MakeExportTest()
{
    return new ExportTest;
}

} // namespace gessoria::test

#include "ExportTest.moc"
