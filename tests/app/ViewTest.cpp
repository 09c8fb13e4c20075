// The main view: painting through the view, sampling, the stylus's eraser end, keyboard
// navigation and the position tools.
#include "AppFixture.h"

#include "app/CommandTable.h"
#include "app/view/ShownFrame.h"

#include <QTest>

namespace gessoria::test {

class ViewTest : public QObject {
    Q_OBJECT
private slots:
    // The view paints its frame through its own 24- to 32-bit conversion: every row length
    // (the four-pixel steps and what is left over) and every start within a word must give
    // Qt's own conversion, and pixels outside the rectangle stay as they were.
    void ShownFrameConvertsAsQtDoes()
    {
        const int width = 23, height = 5;
        const qsizetype stride = width * 3 + 3;
        std::vector<std::uint8_t> zeros(static_cast<std::size_t>(stride * height), 0), bytes(zeros.size());
        std::uint32_t seed = 7;
        for (std::uint8_t& b : bytes)
            b = static_cast<std::uint8_t>((seed = seed * 1664525u + 1013904223u) >> 24);
        const QImage expected = QImage(bytes.data(), width, height, stride, QImage::Format_BGR888).convertToFormat(QImage::Format_RGB32);
        for (int left = 0; left < 4; ++left)
            for (int count = 0; left + count <= width; ++count) {
                app::ShownFrame shown;
                shown.Resize(width, height);
                shown.Convert(zeros.data(), static_cast<std::size_t>(stride), QRect(0, 0, width, height));
                const QRect rect(left, 1, count, 3);
                shown.Convert(bytes.data(), static_cast<std::size_t>(stride), rect);
                for (int y = 0; y < height; ++y)
                    for (int x = 0; x < width; ++x) {
                        const QRgb want = rect.contains(x, y) ? expected.pixel(x, y) : 0xFF000000u;
                        QVERIFY2(shown.image().pixel(x, y) == want,
                                 qPrintable(QString("left %1 count %2 pixel %3,%4").arg(left).arg(count).arg(x).arg(y)));
                    }
            }

        // A rectangle large enough for the conversion to be shared between two cores, with odd
        // rows and an odd start, inside a larger frame.
        const int bigWidth = 701, bigHeight = 403;
        const qsizetype bigStride = bigWidth * 3 + 1;
        std::vector<std::uint8_t> big(static_cast<std::size_t>(bigStride * bigHeight));
        for (std::uint8_t& b : big)
            b = static_cast<std::uint8_t>((seed = seed * 1664525u + 1013904223u) >> 24);
        const QImage bigExpected = QImage(big.data(), bigWidth, bigHeight, bigStride, QImage::Format_BGR888).convertToFormat(QImage::Format_RGB32);
        app::ShownFrame shown;
        shown.Resize(bigWidth, bigHeight);
        const QRect rect(3, 1, bigWidth - 4, bigHeight - 2);
        QVERIFY(qsizetype{rect.width()} * rect.height() > 100000);
        const std::vector<std::uint8_t> blackRow(static_cast<std::size_t>(bigWidth * 3), 0);
        shown.Convert(blackRow.data(), 0, QRect(0, 0, bigWidth, bigHeight));
        shown.Convert(big.data(), static_cast<std::size_t>(bigStride), rect);
        for (int y = 0; y < bigHeight; ++y)
            for (int x = 0; x < bigWidth; ++x) {
                const QRgb want = rect.contains(x, y) ? bigExpected.pixel(x, y) : 0xFF000000u;
                if (shown.image().pixel(x, y) != want)
                    QFAIL(qPrintable(QString("large rectangle, pixel %1,%2").arg(x).arg(y)));
            }
    }

    void TheWindowShowsTheFramesPixels()
    {
        AppFixture f;
        QVERIFY(f.OpenSample());
        const QImage painted = f.view().grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(painted, f.view().picture().convertToFormat(QImage::Format_RGB32));
    }

    void DragWithTheBrushPaintsTheSelectedLayer()
    {
        AppFixture f;
        QVERIFY(f.OpenSample());
        QCOMPARE(f.scene().paintTool, PaintTool::Brush);  // selected by the open
        const QPoint start = f.PointOnObject();
        const int material = f.MaterialAt(start);
        QVERIFY(material > 0);
        const auto before = f.ColourLayerBytes(material);
        const QImage shownBefore = f.view().picture().copy();
        f.workspace.session.paintValues.foreground = 0xFF0000FFu;  // full-strength red
        f.Drag({start, start + QPoint(10, 0), start + QPoint(20, 0), start + QPoint(30, 0)});
        QVERIFY(f.ColourLayerBytes(material) != before);
        // The picture on screen shows it too, without a new frame being asked for.
        QVERIFY(f.view().picture() != shownBefore);
    }

    void UndoTakesBackTheStrokeAndRedoReplaysIt()
    {
        AppFixture f;
        QVERIFY(f.OpenSample());
        auto& c = f.window->commands();
        QVERIFY(!c[app::Command::Undo]->isEnabled());
        const QPoint start = f.PointOnObject();
        const int material = f.MaterialAt(start);
        const auto before = f.ColourLayerBytes(material);
        const QImage shownBefore = f.view().picture().copy();
        f.workspace.session.paintValues.foreground = 0xFFFF0000u;
        f.Drag({start, start + QPoint(10, 0), start + QPoint(20, 0)});
        const auto painted = f.ColourLayerBytes(material);
        QVERIFY(c[app::Command::Undo]->isEnabled());
        QTest::keyClick(f.window.get(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.ColourLayerBytes(material), before);
        QCOMPARE(f.view().picture(), shownBefore);
        QVERIFY(!c[app::Command::Undo]->isEnabled());
        QVERIFY(c[app::Command::Redo]->isEnabled());
        QTest::keyClick(f.window.get(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(f.ColourLayerBytes(material), painted);
    }

    void LineToolShowsItsShapeWhileDraggingAndLaysItOnRelease()
    {
        AppFixture f;
        QVERIFY(f.OpenSample());
        const QPoint start = f.PointOnObject();
        const int material = f.MaterialAt(start);
        const auto before = f.ColourLayerBytes(material);
        QTest::keyClick(f.window.get(), Qt::Key_L);
        QCOMPARE(f.scene().paintTool, PaintTool::Line);
        QTest::mousePress(&f.view(), Qt::LeftButton, Qt::NoModifier, start);
        const QPoint end = start + QPoint(40, 0);
        QMouseEvent move(QEvent::MouseMove, end, f.view().mapToGlobal(end), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(&f.view(), &move);
        QVERIFY(f.view().rubberShape().size() >= 2);
        QCOMPARE(f.view().rubberShape().front(), start);
        QCOMPARE(f.ColourLayerBytes(material), before);  // nothing is laid until the release
        QTest::mouseRelease(&f.view(), Qt::LeftButton, Qt::NoModifier, end);
        QVERIFY(f.view().rubberShape().isEmpty());
        QVERIFY(f.ColourLayerBytes(material) != before);
    }

    void FillToolFillsAtOneClick()
    {
        AppFixture f;
        QVERIFY(f.OpenSample());
        const QPoint at = f.PointOnObject();
        const int material = f.MaterialAt(at);
        const auto before = f.ColourLayerBytes(material);
        QTest::keyClick(f.window.get(), Qt::Key_F);
        QCOMPARE(f.scene().paintTool, PaintTool::Fill);
        f.Drag({at});
        QVERIFY(f.ColourLayerBytes(material) != before);
    }

    void CtrlWithTheBrushSamplesInsteadOfPainting()
    {
        AppFixture f;
        QVERIFY(f.OpenSample());
        const QPoint at = f.PointOnObject();
        const int material = f.MaterialAt(at);
        const auto before = f.ColourLayerBytes(material);
        f.workspace.session.paintValues.foreground = 0x12345678u;
        f.Drag({at, at + QPoint(5, 0)}, Qt::ControlModifier);
        QCOMPARE(f.ColourLayerBytes(material), before);
        QVERIFY(f.workspace.session.paintValues.foreground != 0x12345678u);
    }

    void StylusEraserEndErasesAndKeepsTheTool()
    {
        AppFixture f;
        QVERIFY(f.OpenSample());
        const QPoint start = f.PointOnObject();
        const int material = f.MaterialAt(start);
        // How far the layer is from pure green (bytes blue, green, red).
        auto distanceFromGreen = [&] {
            const auto bytes = f.ColourLayerBytes(material);
            long long d = 0;
            for (std::size_t i = 0; i + 2 < bytes.size(); i += 3)
                d += bytes[i] + (255 - bytes[i + 1]) + bytes[i + 2];
            return d;
        };
        f.workspace.session.paintValues.background = 0xFF808080u;
        // Green paint from the stylus's tip moves texels toward green; its eraser end takes
        // them toward the background grey again.
        f.workspace.session.paintValues.foreground = 0xFF00FF00u;
        const std::vector<QPoint> stroke{start, start + QPoint(8, 0), start + QPoint(16, 0)};
        const long long before = distanceFromGreen();
        f.TabletDrag(stroke, 1.0, false);
        const long long painted = distanceFromGreen();
        QVERIFY(painted < before);
        f.TabletDrag(stroke, 1.0, true);
        QVERIFY(distanceFromGreen() > painted);
        QCOMPARE(f.scene().paintTool, PaintTool::Brush);
    }

    void TabletPressureScalesTheStrength()
    {
        // A light touch changes the layer less than a full press from the same start.
        auto strokeChange = [](double pressure) {
            AppFixture f;
            f.OpenSample();
            const QPoint start = f.PointOnObject();
            const int material = f.MaterialAt(start);
            const auto before = f.ColourLayerBytes(material);
            f.workspace.session.paintValues.foreground = 0xFF0000FFu;
            f.TabletDrag({start, start + QPoint(6, 0)}, pressure, false);
            const auto after = f.ColourLayerBytes(material);
            long long change = 0;
            for (std::size_t i = 0; i < before.size(); ++i)
                change += std::abs(int(after[i]) - int(before[i]));
            return change;
        };
        const long long light = strokeChange(0.2);
        const long long full = strokeChange(1.0);
        QVERIFY(light > 0);
        QVERIFY(light < full);
    }

    void ArrowKeysTurnTheView()
    {
        AppFixture f;
        QVERIFY(f.OpenSample());
        const Camera start = f.scene().camera;
        f.view().setFocus();
        QTest::keyClick(f.window.get(), Qt::Key_Left);
        QCOMPARE(f.scene().camera.angleY, start.angleY + 10);
        QTest::keyClick(f.window.get(), Qt::Key_Up);
        QCOMPARE(f.scene().camera.angleX, start.angleX + 10);
        QTest::keyClick(f.window.get(), Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(f.scene().camera.angleZ, start.angleZ - 10);
        QCOMPARE(f.scene().camera.angleY, start.angleY + 10);
        // Each key draws a new frame at once.
        const QImage turned = f.view().picture().copy();
        QTest::keyClick(f.window.get(), Qt::Key_Down);
        QVERIFY(f.view().picture() != turned);
    }

    void PositionToolLapsesUnlessLocked()
    {
        AppFixture f;
        QVERIFY(f.OpenSample());
        const QPoint at = f.PointOnObject();
        const auto paintedBefore = f.ColourLayerBytes(f.MaterialAt(at));
        QTest::keyClick(f.window.get(), Qt::Key_R);
        QCOMPARE(f.scene().positionTool, std::int8_t(PositionTool::Rotate));
        QVERIFY(f.window->commands()[app::Command::Rotate]->isChecked());
        const int angleY = f.scene().camera.angleY;
        f.Drag({at, at + QPoint(-30, 0)});
        // One pixel of drag is one angle unit; the drag rotated and painted nothing.
        QCOMPARE(f.scene().camera.angleY, angleY + 30);
        QCOMPARE(f.ColourLayerBytes(f.MaterialAt(at)), paintedBefore);
        QCOMPARE(f.scene().positionTool, std::int8_t(PositionTool::None));
        QVERIFY(!f.window->commands()[app::Command::Rotate]->isChecked());
        QCOMPARE(f.workspace.render.currentLevel, f.workspace.render.stillLevel);

        // Locked, the tool stays for the next drag; unlocking releases it.
        f.window->commands()[app::Command::LockPositionTools]->trigger();
        QCOMPARE(f.workspace.session.preferences.toolLock, 1);
        QTest::keyClick(f.window.get(), Qt::Key_P);
        f.Drag({at, at + QPoint(5, 5)});
        f.Drag({at, at + QPoint(5, 5)});
        QCOMPARE(f.scene().positionTool, std::int8_t(PositionTool::Pan));
        f.window->commands()[app::Command::LockPositionTools]->trigger();
        QCOMPARE(f.scene().positionTool, std::int8_t(PositionTool::None));
        QVERIFY(!f.window->commands()[app::Command::Pan]->isChecked());
    }

    void DragUsesTheMoveLevelUntilRelease()
    {
        AppFixture f;
        QVERIFY(f.OpenSample());
        f.workspace.render.moveLevel = 0;
        QTest::keyClick(f.window.get(), Qt::Key_R);
        const QPoint at = f.PointOnObject();
        QTest::mousePress(&f.view(), Qt::LeftButton, Qt::NoModifier, at);
        QCOMPARE(f.workspace.render.currentLevel, 0);
        QTest::mouseRelease(&f.view(), Qt::LeftButton, Qt::NoModifier, at + QPoint(3, 0));
        QCOMPARE(f.workspace.render.currentLevel, f.workspace.render.stillLevel);
    }

    void DragWhoseReleaseWasLostEndsAtTheNextPress()
    {
        // A modal hint or warning can swallow the button-up; the next press ends the old
        // drag first, so the position tool lapses and the Still level returns.
        AppFixture f;
        QVERIFY(f.OpenSample());
        const QPoint at = f.PointOnObject();
        f.workspace.render.moveLevel = 1;
        QTest::keyClick(f.window.get(), Qt::Key_R);
        QTest::mousePress(&f.view(), Qt::LeftButton, Qt::NoModifier, at);
        QCOMPARE(f.workspace.render.currentLevel, 1);
        QTest::mousePress(&f.view(), Qt::LeftButton, Qt::NoModifier, at + QPoint(5, 0));
        QCOMPARE(f.scene().positionTool, std::int8_t(PositionTool::None));
        QCOMPARE(f.workspace.render.currentLevel, f.workspace.render.stillLevel);
        QTest::mouseRelease(&f.view(), Qt::LeftButton, Qt::NoModifier, at + QPoint(5, 0));
    }

    void ZoomWindowFillsTheViewWithTheRectangle()
    {
        AppFixture f;
        QVERIFY(f.OpenSample());
        const float scale = f.scene().camera.scale;
        QTest::keyClick(f.window.get(), Qt::Key_W);
        const QPoint c = f.view().rect().center();
        QTest::mousePress(&f.view(), Qt::LeftButton, Qt::NoModifier, c + QPoint(100, 75));
        QMouseEvent move(QEvent::MouseMove, c - QPoint(100, 75), f.view().mapToGlobal(c - QPoint(100, 75)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&f.view(), &move);
        QCOMPARE(f.view().rubberBand(), QRect(c - QPoint(100, 75), c + QPoint(100, 75)));
        QTest::mouseRelease(&f.view(), Qt::LeftButton, Qt::NoModifier, c - QPoint(100, 75));
        QVERIFY(f.view().rubberBand().isNull());
        QVERIFY(f.scene().camera.scale > scale * 2.5f);
    }
};

QObject* MakeViewTest()
{
    return new ViewTest;
}

} // namespace gessoria::test

#include "ViewTest.moc"
