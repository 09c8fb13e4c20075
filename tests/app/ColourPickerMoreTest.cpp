// The Colour Picker's hex field, hue/saturation/value square, screen eyedropper and recent
// colours.
#include "AppFixture.h"

#include "app/CommandTable.h"
#include "app/palettes/ColourPicker.h"
#include "app/palettes/HsvSquare.h"
#include "paint/ColourNotation.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

#include <cmath>

namespace gessoria::test {
namespace {

using app::Command;

class ColourPickerMoreTest : public QObject {
    Q_OBJECT
private slots:
    void HexFieldAndSlidersShowTheSameColour()
    {
        AppFixture f;
        PaintValues& values = f.workspace.session.paintValues;
        app::ColourPicker& picker = f.window->colourPicker();
        values.foreground = 0x7F0064C8u;  // red 200, green 100, blue 0, strength 0x7F
        picker.Refresh();
        QCOMPARE(picker.hexField()->text(), QString("#C86400"));

        // Typed and taken with Enter: the colour changes, the strength stays.
        picker.hexField()->setText("#ff8001");
        QTest::keyClick(picker.hexField(), Qt::Key_Return);
        QCOMPARE(values.foreground, 0x7F0180FFu);
        QCOMPARE(picker.channel(0)->value(), 255);
        QCOMPARE(picker.channel(1)->value(), 128);
        QCOMPARE(picker.channel(2)->value(), 1);
        QCOMPARE(picker.hexField()->text(), QString("#FF8001"));

        // The sliders write the hex field.
        picker.channel(2)->setValue(0x40);
        QCOMPARE(picker.hexField()->text(), QString("#FF8040"));

        // The background sample edits the background.
        picker.EditForeground(false);
        picker.hexField()->setText("000010");
        QVERIFY(picker.TakeHex());
        QCOMPARE(values.background & 0xFFFFFFu, 0x100000u);
        QCOMPARE(values.foreground, 0x7F4080FFu);

        // A text that is no colour is said and changes nothing.
        f.ui.shown.clear();
        picker.hexField()->setText("#12345G");
        QVERIFY(!picker.TakeHex());
        QCOMPARE(values.background & 0xFFFFFFu, 0x100000u);
        QCOMPARE(f.ui.shown.size(), std::size_t{1});
        QVERIFY(f.ui.shown.front().text.find("is not a colour") != std::string::npos);
        QCOMPARE(picker.hexField()->text(), QString("#000010"));
    }

    void TheSquareSetsHueSaturationAndValueAndFollowsTheColour()
    {
        AppFixture f;
        PaintValues& values = f.workspace.session.paintValues;
        app::ColourPicker& picker = f.window->colourPicker();
        app::HsvSquare* square = picker.hsvSquare();
        values.foreground = 0xFF0000FFu;  // red
        picker.Refresh();
        QCOMPARE(square->hsv().hue, 0.0);
        // The strip: a third of the way down is hue 120 (green); saturation and value stay.
        const QPoint green = square->StripPoint(120.0);
        QTest::mouseClick(square, Qt::LeftButton, Qt::NoModifier, green);
        QVERIFY(std::abs(square->hsv().hue - 120.0) < 360.0 / app::HsvSquare::kSquareHeight);
        QCOMPARE(square->hsv().saturation, 1.0);
        QCOMPARE(values.foreground, 0xFF000000u | ColourOfHsv(square->hsv()));
        // Half saturation, 60 % value, in the square.
        const Hsv wanted{120.0, 0.5, 0.6};
        const QPoint at = square->SquarePoint(wanted);
        QTest::mouseClick(square, Qt::LeftButton, Qt::NoModifier, at);
        const Hsv chosen = square->hsv();
        QCOMPARE(values.foreground, 0xFF000000u | ColourOfHsv(chosen));
        QVERIFY(std::abs(chosen.saturation - 0.5) < 0.01 && std::abs(chosen.value - 0.6) < 0.01);
        // The square keeps the point clicked rather than jumping to the rounded colour's.
        const QPoint inSquare = at - QPoint(app::HsvSquare::kMargin, app::HsvSquare::kMargin);
        QCOMPARE(chosen.saturation, inSquare.x() / double(app::HsvSquare::kSquareWidth - 1));
        QCOMPARE(chosen.value, 1.0 - inSquare.y() / double(app::HsvSquare::kSquareHeight - 1));
        QCOMPARE(picker.hexField()->text(), QString::fromStdString(HexOfColour(ColourOfHsv(chosen))));

        // A colour set elsewhere moves the square's point; a grey keeps the hue.
        picker.hexField()->setText("#3366CC");
        picker.TakeHex();
        const Hsv blue = HsvOfColour(0xCC6633u);
        QCOMPARE(square->hsv().hue, blue.hue);
        QCOMPARE(square->hsv().saturation, blue.saturation);
        picker.hexField()->setText("#808080");
        picker.TakeHex();
        QCOMPARE(square->hsv().saturation, 0.0);
        QCOMPARE(square->hsv().hue, blue.hue);
        // Every colour set through the hex field comes back the same through the square's HSV.
        for (const char* hex : {"#000000", "#FFFFFF", "#010203", "#FE7F00", "#12AB9C", "#7F007F"}) {
            picker.hexField()->setText(hex);
            picker.TakeHex();
            QCOMPARE(QString::fromStdString(HexOfColour(ColourOfHsv(square->hsv()))), QString(hex));
        }
    }

    void PickFromScreenTakesTheColourUnderTheClick()
    {
        AppFixture f;
        PaintValues& values = f.workspace.session.paintValues;
        app::ColourPicker& picker = f.window->colourPicker();
        QVERIFY(f.OpenSample());
        f.view().repaint();
        const QPoint inView = f.PointOnObject();
        const QColor shown = f.view().picture().pixelColor(inView);
        picker.pickButton()->click();
        QVERIFY(picker.picking());
        // The click goes to the picker, which holds the mouse while picking.
        const QPoint global = f.view().mapToGlobal(inView);
        QTest::mouseClick(&picker, Qt::LeftButton, Qt::NoModifier, picker.mapFromGlobal(global));
        QVERIFY(!picker.picking());
        const std::uint32_t expected = static_cast<std::uint32_t>(shown.red()) |
                                       (static_cast<std::uint32_t>(shown.green()) << 8) |
                                       (static_cast<std::uint32_t>(shown.blue()) << 16);
        QCOMPARE(values.foreground & 0xFFFFFFu, expected);
        // Esc gives up and changes nothing.
        picker.pickButton()->click();
        QTest::keyClick(&picker, Qt::Key_Escape);
        QVERIFY(!picker.picking());
        QCOMPARE(values.foreground & 0xFFFFFFu, expected);
    }

    void TheColoursPaintedWithAreKeptNewestFirst()
    {
        AppFixture f;
        QVERIFY(f.OpenSample());
        PaintValues& values = f.workspace.session.paintValues;
        app::ColourPicker& picker = f.window->colourPicker();
        QVERIFY(!picker.recentButton(0)->isEnabled());
        QCOMPARE(f.scene().paintTool, PaintTool::Brush);  // selected by the open
        const QPoint at = f.PointOnObject();
        for (std::uint32_t colour : {0xFF0000FFu, 0xFF00FF00u, 0xFF0000FFu}) {
            values.foreground = colour;
            f.Drag({at, at + QPoint(5, 0)});
        }
        // The Eraser paints no colour: nothing is added.
        values.foreground = 0xFFFF0000u;
        f.window->commands()[Command::EraserTool]->trigger();
        f.Drag({at, at + QPoint(5, 0)});
        QCOMPARE(picker.recentButton(0)->toolTip(), QString("#FF0000"));
        QCOMPARE(picker.recentButton(1)->toolTip(), QString("#00FF00"));
        QVERIFY(picker.recentButton(1)->isEnabled());
        QVERIFY(!picker.recentButton(2)->isEnabled());
        // A click takes a recent colour again, keeping the strength.
        values.foreground = 0x40FFFFFFu;
        picker.Refresh();
        picker.recentButton(1)->click();
        QCOMPARE(values.foreground, 0x4000FF00u);
        picker.show();
        KeepPicture(picker, "colour-picker");
        picker.SetFull(true);
        KeepPicture(picker, "colour-picker-full");
    }
};

} // namespace

QObject* MakeColourPickerMoreTest()
{
    return new ColourPickerMoreTest;
}

} // namespace gessoria::test

#include "ColourPickerMoreTest.moc"
