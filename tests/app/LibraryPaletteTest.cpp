// The Applicators and Pigments palettes with their settings sheets: the tables' flows reached
// through the windows, and what reaches the library files.
#include "AppFixture.h"

#include "app/palettes/ApplicatorsPalette.h"
#include "app/palettes/BrushSettingsDialog.h"
#include "app/palettes/PaintSettingsDialog.h"
#include "app/palettes/PigmentsPalette.h"
#include "io/MapBitmaps.h"
#include "paint/PaintKinds.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>

namespace gessoria::test {
namespace {

class LibraryPaletteTest : public QObject {
    Q_OBJECT
private slots:
    void BrushCreatedInTheSheetIsInBrushesDatAfterExit()
    {
        AppFixture f;
        Session& s = f.workspace.session;
        // The library is written beside the test's INI file, not into the starter library.
        s.brushLibraryPath = f.directory.filePath("Brushes.Dat").toStdString();
        s.paintLibraryPath = f.directory.filePath("Paints.Dat").toStdString();
        const int before = s.brushes.count();
        {
            app::BrushSettingsDialog sheet(s.brushes, f.ui);
            sheet.nameEdit()->setText("  Soft Round ");
            sheet.xSize()->setValue(12);
            sheet.feathering()->setValue(15);
            f.ui.yesNo.push_back(true);
            sheet.AcceptSheet();
        }
        QCOMPARE(f.ui.Dialogs().back(),
                 std::string("Create a new Brush called Soft Round? If you select 'No' the brush you edited will be "
                             "replaced."));
        QCOMPARE(s.brushes.count(), before + 1);
        QCOMPARE(s.brushes.current().name, std::string("Soft Round"));
        // A defined head follows the sheet's shape values.
        QCOMPARE(s.brushes.current().head, DefinedHead(12, s.brushes.current().ySize, 0, 15, 0));
        s.Exit();
        BrushTable reread;
        QVERIFY(reread.ReadLibrary(s.brushLibraryPath));
        QCOMPARE(reread.at(reread.count() - 1).name, std::string("Soft Round"));
        QCOMPARE(reread.at(reread.count() - 1).xSize, 12);
    }

    void ScratchBrushIsOfferedAsNewBrushAndGoesWhenNotSaved()
    {
        AppFixture f;
        BrushTable& brushes = f.workspace.session.brushes;
        const int before = brushes.count();
        QVERIFY(brushes.NewScratch(f.ui));
        {
            app::BrushSettingsDialog sheet(brushes, f.ui);
            QCOMPARE(sheet.nameEdit()->text(), QString("New Brush"));
        }
        brushes.SettingsClosed();
        QCOMPARE(brushes.count(), before);
        QCOMPARE(brushes.currentIndex(), 0);
    }

    void ApplicatorsListSelectsAndRefusesToDeleteTheDefault()
    {
        AppFixture f;
        app::ApplicatorsPalette& palette = f.window->applicators();
        palette.show();
        BrushTable& brushes = f.workspace.session.brushes;
        QCOMPARE(palette.list()->count(), brushes.count());
        QVERIFY(brushes.count() > 1);
        palette.list()->setCurrentRow(1);
        QCOMPARE(brushes.currentIndex(), 1);
        palette.list()->setCurrentRow(0);
        palette.DeleteChosen();
        QCOMPARE(f.ui.Dialogs().back(), std::string("Brush 0, the default brush, cannot be deleted."));
        const int count = brushes.count();
        palette.list()->setCurrentRow(1);
        f.ui.yesNo.push_back(true);
        palette.DeleteChosen();
        QCOMPARE(f.ui.Dialogs().back(), std::string("Do you really want to delete the current brush?"));
        QCOMPARE(brushes.count(), count - 1);
        QCOMPARE(palette.list()->count(), count - 1);
        QCOMPARE(palette.list()->currentRow(), 0);
    }

    void PaintEditorShowsEachKindAndCreatesThePaint()
    {
        AppFixture f;
        Session& s = f.workspace.session;
        s.paintLibraryPath = f.directory.filePath("Paints.Dat").toStdString();
        s.brushLibraryPath = f.directory.filePath("Brushes.Dat").toStdString();
        app::PaintSettingsDialog editor(s.paints, f.ui);
        QVERIFY(!editor.bitmapGroup()->isEnabled());
        // Every kind shows its own description and slider label (or none).
        for (const PaintKind& kind : PaintKinds()) {
            editor.ChooseKind(kind.number);
            QCOMPARE(editor.description()->text(), QString(kind.description));
            QCOMPARE(editor.specialA()->isVisibleTo(&editor), kind.sliderLabel != nullptr);
            if (kind.sliderLabel)
                QCOMPARE(editor.sliderLabel()->text(), QString(kind.sliderLabel) + ":");
        }
        QVERIFY(editor.bitmapGroup()->isEnabled());  // the last kind is the bitmap paint
        f.ui.files.push_back(std::string("/textures/bricks.png"));
        editor.ChooseImage(kImageBump);
        editor.nameEdit()->setText("Bricks");
        editor.mapSwitch(StorageIndex(MapType::Bump))->setChecked(true);
        const Paint edit = editor.Edit();
        QCOMPARE(edit.specialNumber, kBitmapPaintNumber);
        QCOMPARE(edit.bitmapPaint, 1);
        QCOMPARE(edit.paths[kImageBump], std::string("/textures/bricks.png"));
        QCOMPARE(edit.useImage[kImageBump], std::uint8_t{1});
        QCOMPARE(edit.bumpMap, 1);
        f.ui.yesNo.push_back(true);
        editor.AcceptSheet();
        QCOMPARE(s.paints.current().name, std::string("Bricks"));
        s.Exit();
        PaintTable reread;
        QVERIFY(reread.ReadLibrary(s.paintLibraryPath));
        QCOMPARE(reread.at(reread.count() - 1).paths[kImageBump], std::string("/textures/bricks.png"));
    }

    void EditedImageOfTheCurrentBitmapPaintIsLoadedAtOnce()
    {
        AppFixture f;
        Session& s = f.workspace.session;
        const std::string dir = GESSORIA_STARTER_LIBRARY_DIR "/paints/";
        Paint bitmap;
        bitmap.name = "Grain";
        bitmap.bitmapPaint = 1;
        bitmap.specialNumber = kBitmapPaintNumber;
        bitmap.colourMap = 1;
        bitmap.useImage[kImageColour] = 1;
        bitmap.paths[kImageColour] = dir + "stone.jpg";
        QVERIFY(s.paints.Append(bitmap));
        QVERIFY(s.paints.Select(s.paints.count() - 1, s.brushes.current(), s.bitmapPaintScale, f.ui));
        QVERIFY(s.paints.current().images[kImageColour]);
        CDIB wood;
        QVERIFY(LoadImageFile(wood, dir + "wood.tif", f.ui));
        QVERIFY(wood.width() != s.paints.current().images[kImageColour]->width() ||
                wood.height() != s.paints.current().images[kImageColour]->height());

        app::PaintSettingsDialog editor(s.paints, f.ui);
        f.ui.files.push_back(dir + "wood.tif");
        editor.ChooseImage(kImageColour);
        f.ui.yesNo.push_back(true);  // "Replace existing Grain?"
        editor.AcceptSheet();
        const Paint& current = s.paints.current();
        QCOMPARE(current.paths[kImageColour], dir + "wood.tif");
        QVERIFY(current.images[kImageColour]);
        QCOMPARE(current.images[kImageColour]->width(), wood.width());
        QCOMPARE(current.images[kImageColour]->height(), wood.height());
    }

    void PigmentsPaletteDeletesAfterAsking()
    {
        AppFixture f;
        app::PigmentsPalette& palette = f.window->pigments();
        palette.show();
        PaintTable& paints = f.workspace.session.paints;
        QVERIFY(paints.count() > 1);
        const int count = paints.count();
        palette.list()->setCurrentRow(count - 1);
        f.ui.yesNo.push_back(false);
        palette.DeleteChosen();
        QCOMPARE(paints.count(), count);
        f.ui.yesNo.push_back(true);
        palette.DeleteChosen();
        QCOMPARE(f.ui.Dialogs().back(), std::string("Do you really want to delete the current paint?"));
        QCOMPARE(paints.count(), count - 1);
    }
};

} // namespace

QObject* MakeLibraryPaletteTest() { return new LibraryPaletteTest; }

} // namespace gessoria::test

#include "LibraryPaletteTest.moc"
