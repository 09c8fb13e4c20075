// The floating windows: the Colour Picker and the Info Window.
#include "AppFixture.h"

#include "app/palettes/ColourPicker.h"
#include "app/palettes/InfoWindow.h"
#include "session/CustomColours.h"

#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTreeWidget>

namespace gessoria::test {
namespace {

QStringList TreeTexts(const QTreeWidget* tree)
{
    QStringList texts;
    for (QTreeWidgetItemIterator it(const_cast<QTreeWidget*>(tree)); *it; ++it)
        texts << (*it)->text(0);
    return texts;
}

class PaletteTest : public QObject {
    Q_OBJECT
private slots:
    void DesaturateQuickColoursAndSwapEditTheChosenSample()
    {
        AppFixture f;
        PaintValues& values = f.workspace.session.paintValues;
        app::ColourPicker& picker = f.window->colourPicker();
        values.foreground = 0x7F000000u | 0x0064C8u;  // red 200, green 100, blue 0, strength 0x7F
        picker.Refresh();
        QCOMPARE(picker.channel(0)->value(), 200);
        picker.Desaturate();
        QCOMPARE(values.foreground, 0x7F646464u);  // (100, 100, 100), strength kept
        QCOMPARE(picker.channel(2)->value(), 100);

        picker.EditForeground(false);
        const QList<QAction*> entries = picker.BuildMenu()->actions();
        auto entry = [&](const QString& text) {
            for (QAction* a : entries)
                if (a->text() == text)
                    return a;
            return static_cast<QAction*>(nullptr);
        };
        QVERIFY(entry("&Magenta") && entry("&Desaturate") && entry("&Swap Fore/Back"));
        entry("&Red")->trigger();
        QCOMPARE(values.background & 0xFFFFFFu, 0x0000FFu);
        QCOMPARE(values.foreground, 0x7F646464u);
        entry("&Swap Fore/Back")->trigger();
        QCOMPARE(values.foreground & 0xFFFFFFu, 0x0000FFu);
        QCOMPARE(values.background, 0x7F646464u);
        // The sliders show the colour being edited (the background).
        QCOMPARE(picker.channel(0)->value(), 100);

        // Typing a channel changes only that channel of the edited colour.
        picker.channel(1)->setValue(7);
        QCOMPARE(values.background, 0x7F640764u);
        picker.level(app::ColourPicker::Shine)->setValue(33);
        QCOMPARE(values.shininess, std::uint8_t{33});
    }

    void CustomColoursAreNamedAndKeptInTheIni()
    {
        AppFixture f;
        app::ColourPicker& picker = f.window->colourPicker();
        f.workspace.session.paintValues.foreground = 0xFF102030u;
        picker.Refresh();
        f.ui.texts.push_back(std::string("Dusk"));
        picker.AddCustom();
        QCOMPARE(f.ui.shown.back().title, std::string("New Custom"));
        QCOMPARE(picker.customList()->count(), 1);
        // Cancelled: nothing added.
        f.ui.texts.push_back(std::nullopt);
        picker.AddCustom();
        QCOMPARE(picker.customList()->count(), 1);
        CustomColours reread;
        reread.Load(f.workspace.session.iniPath);
        QCOMPARE(reread.entries().size(), std::size_t{1});
        QCOMPARE(reread.entries()[0].name, std::string("Dusk"));
        QCOMPARE(reread.entries()[0].colour, 0x102030u);
    }

    void FullLayoutChangesOnlyTheWidth()
    {
        AppFixture f;
        app::ColourPicker& picker = f.window->colourPicker();
        picker.show();
        QCOMPARE(picker.layoutButton()->text(), QString("Full Colour Picker >>"));
        const QSize concise = picker.size();
        QTest::mouseClick(picker.layoutButton(), Qt::LeftButton);
        QCOMPARE(picker.layoutButton()->text(), QString("Concise Colour Picker <<"));
        QVERIFY(picker.width() > concise.width());
        QCOMPARE(picker.height(), concise.height());
        QVERIFY(picker.customList()->isVisible());
        QTest::mouseClick(picker.layoutButton(), Qt::LeftButton);
        QCOMPARE(picker.size(), concise);
    }

    void InfoWindowDescribesTheCurrentPaintAndBrush()
    {
        AppFixture f;
        Session& s = f.workspace.session;
        Brush brush = DefaultBrush();
        brush.name = "Flat";
        brush.dabCount = 12;
        brush.shape = static_cast<int>(HeadShape::Rectangle);
        brush.bump = 1;
        brush.dabSpacing = static_cast<int>(DabSpacing::Manual);
        QVERIFY(s.brushes.Append(brush));
        Paint paint = DefaultPaint();
        paint.name = "Mud";
        paint.bumpMap = 1;
        paint.dirtiness = 40;
        QVERIFY(s.paints.Append(paint));
        app::InfoWindow& info = f.window->infoWindow();
        info.Refresh();
        const QStringList texts = TreeTexts(info.tree());
        for (const char* expected : {"Map Types", "Colour", "Bump", "Dirt: 40", "Dab Info", "No. Dabs: 12", "Manual",
                                     "Shape: Rect.", "Bump: up", "Bristle Head", "Normal"})
            QVERIFY2(texts.contains(expected), expected);
        QVERIFY(!texts.contains("Self-Illum"));
    }
};

} // namespace

QObject* MakePaletteTest() { return new PaletteTest; }

} // namespace gessoria::test

#include "PaletteTest.moc"
