// Models and exports in the window: a model opened as a scene is, File > Export Maps with its
// dialog, the settings it remembers in the INI file, and the maps it
// writes from the window's scene; File > Export Model with its file question.
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

    // Export Model asks for the file through the program's user interaction. The model
    // written after a stroke opens in a fresh window showing the stroke: the pixels where it
    // differs from the model written before the stroke are the ones the stroke changed in
    // the painting window (the sample's map is shared by mirrored faces, so the stroke shows
    // twice). The shading may differ (the sample's smoothing against the model's normals),
    // so a few pixels are allowed to disagree.
    void ExportModelAsksForTheFileAndTheWrittenModelOpensWithThePaint()
    {
        AppFixture f;
        QVERIFY(f.OpenSample());

        // Cancelling the question writes nothing.
        f.ui.shown.clear();
        f.ui.saveFiles = {std::nullopt};
        f.window->commands()[Command::ExportModel]->trigger();
        QVERIFY(f.ui.saveFiles.empty());
        QCOMPARE(QDir(f.directory.path()).entryList({"*.glb"}).size(), 0);
        const auto question = std::find_if(f.ui.shown.begin(), f.ui.shown.end(),
                                           [](const Shown& s) { return s.kind == Shown::Kind::FileChooser; });
        QVERIFY(question != f.ui.shown.end());
        for (const char* pattern : {"*.glb", "*.gltf", "*.obj"})
            QVERIFY(question->title.find(pattern) != std::string::npos);

        const auto exportTo = [&](const QString& file) {
            f.ui.saveFiles = {f.directory.filePath(file).toStdString()};
            f.window->commands()[Command::ExportModel]->trigger();
            return f.ui.saveFiles.empty() && f.ui.Dialogs().empty() && QFile::exists(f.directory.filePath(file));
        };
        QVERIFY(exportTo("clean.glb"));
        const QPoint at = f.PointOnObject();
        const QImage before = f.view().grab().toImage();
        f.Drag({at, at + QPoint(16, 0)});
        const QImage after = f.view().grab().toImage();
        QVERIFY(exportTo("painted.glb"));

        AppFixture clean, painted;
        QVERIFY(clean.window->OpenFile(f.directory.filePath("clean.glb"), false));
        QVERIFY(painted.window->OpenFile(f.directory.filePath("painted.glb"), false));
        const QImage a = clean.view().grab().toImage(), b = painted.view().grab().toImage();
        QCOMPARE(a.size(), b.size());
        QCOMPARE(a.size(), before.size());
        int stroke = 0, shown = 0, extra = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x) {
                const bool struck = before.pixel(x, y) != after.pixel(x, y);
                const bool reopened = a.pixel(x, y) != b.pixel(x, y);
                stroke += struck;
                shown += struck && reopened;
                extra += reopened && !struck;
            }
        QVERIFY(stroke > 8);
        QVERIFY2(shown * 10 >= stroke * 9 && extra * 10 <= stroke,
                 qPrintable(QString("stroke %1, shown again %2, elsewhere %3").arg(stroke).arg(shown).arg(extra)));
    }
};

QObject* MakeExportTest()
{
    return new ExportTest;
}

} // namespace gessoria::test

#include "ExportTest.moc"
