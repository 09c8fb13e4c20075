// The Selection tool in the main view, the clipboard commands with their keys and enable
// states, the system clipboard's two formats, and the Text page.
#include "AppFixture.h"

#include "app/CommandTable.h"
#include "app/QtInteraction.h"
#include "app/clipboard/SystemClipboard.h"
#include "app/panel/ControlPanel.h"
#include "app/panel/SelectionPage.h"
#include "app/panel/TextPage.h"
#include "paint/ClipboardCodec.h"
#include "paint/TextTool.h"
#include "scene/Material.h"

#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>

namespace gessoria::test {
namespace {

using app::Command;

// The layers the user paints (Base and paint layers) and, with `renderer`, the Colour
// composite. A grey type without a map has only a Renderer Layer, which any composite of
// its texels (a dab, a Cut, an undo) rebuilds from no layers at all, so it is left out.
bool SameLayers(const Material& a, const Material& b, bool renderer = false)
{
    const auto& shownA = a.stack(MapType::Colour)[0].image.bits();
    const auto& shownB = b.stack(MapType::Colour)[0].image.bits();
    if (renderer && !std::equal(shownA.begin(), shownA.end(), shownB.begin(), shownB.end()))
        return false;
    for (const MapType type : kAllMapTypes)
        for (int k = 1; k < a.stack(type).count(); ++k)
            for (auto images : {std::pair{&a.stack(type)[k].image, &b.stack(type)[k].image},
                                std::pair{&a.stack(type)[k].alpha, &b.stack(type)[k].alpha}}) {
                const auto x = images.first->bits(), y = images.second->bits();
                if (!std::equal(x.begin(), x.end(), y.begin(), y.end()))
                    return false;
            }
    return true;
}

// What a drop or a Cut can change of a material: its layers, their size and which is current.
Material LayersOf(const Material& m)
{
    Material copy;
    copy.mapWidth = m.mapWidth;
    copy.mapHeight = m.mapHeight;
    copy.hasLayers = m.hasLayers;
    copy.stacks = m.stacks;
    copy.currentLayer = m.currentLayer;
    return copy;
}

struct SelectionFixture : AppFixture {
    QAction* Action(Command id) { return window->commands()[id]; }
    const FloaterEditor& floaters() { return workspace.floaters; }
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier)
    {
        QTest::keyClick(window.get(), static_cast<Qt::Key>(key), modifiers);
    }
    void Click(QPoint at, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::mouseClick(&view(), Qt::LeftButton, modifiers, at);
    }
    // A drag from `from` to `to` over one material with the Selection tool.
    bool Select(QPoint from, QPoint to)
    {
        if (scene().paintTool != PaintTool::Selection)
            Action(Command::SelectionTool)->trigger();
        if (MaterialAt(from) < 1 || MaterialAt(from) != MaterialAt(to))
            return false;
        Drag({from, (from + to) / 2, to});
        return floaters().selection().exists;
    }
};

class SelectionTest : public QObject {
    Q_OBJECT
private slots:
    void init() { QGuiApplication::clipboard()->clear(); }

    void SelectCopyPastePlaceMoveAndDropChangeExactlyTheFloatersTexels()
    {
        SelectionFixture f;
        QVERIFY(f.OpenSample());
        const QPoint start = f.PointOnObject();
        const QPoint end = start + QPoint(24, 14);
        QVERIFY(f.Select(start, end));
        // The outline runs between the two corners and is drawn over the picture.
        QCOMPARE(f.view().selectionOutline(), QRect(start, end));
        const QImage drawn = f.view().grab().toImage();
        const QRgb corner = drawn.pixel(start);
        QVERIFY(corner == qRgb(0, 0, 0) || corner == qRgb(255, 255, 255));
        const int material = f.MaterialAt(start);
        const Material untouched = LayersOf(f.scene().materials[static_cast<std::size_t>(material)]);

        f.Key(Qt::Key_C);
        QVERIFY(f.floaters().floater().present);
        QVERIFY(f.view().selectionOutline().isNull());
        QVERIFY(SameLayers(f.scene().materials[static_cast<std::size_t>(material)], untouched));  // a copy erases nothing
        QVERIFY(QGuiApplication::clipboard()->mimeData()->hasImage());

        f.Key(Qt::Key_V);
        QCOMPARE(f.scene().paintTool, PaintTool::Selection);
        QVERIFY(!f.floaters().selection().selectionMode);
        // A click places the floater, a drag moves it; the layers stay as they were until the drop.
        const QPoint place = start + QPoint(-20, 20), moved = place + QPoint(16, 4);
        QVERIFY(f.MaterialAt(place) > 0 && f.MaterialAt(moved) > 0);
        f.Click(place);
        QVERIFY(f.floaters().selection().floating);
        const QImage shownBefore = f.view().picture().copy();
        const int leftAtPlace = f.floaters().floater().left;
        f.Drag({place, place + QPoint(8, 2), moved});
        QVERIFY(f.floaters().floater().left != leftAtPlace);
        QVERIFY(f.view().picture() != shownBefore);
        const Floater floater = f.floaters().floater();
        const std::size_t target = static_cast<std::size_t>(floater.materialIndex);
        Material expected = LayersOf(f.scene().materials[target]);
        const Material beforeDrop = LayersOf(expected);
        LayFloater(floater, expected);

        f.Key(Qt::Key_D);
        QVERIFY(!f.floaters().selection().floating);
        const Material& now = f.scene().materials[target];
        QVERIFY(SameLayers(now, expected, true));
        // Literally: inside the floater each Colour texel of the base layer took the floater's
        // pixel F by its alpha K (F where the layer was transparent, else v + ((F - v) x K >> 8));
        // outside, nothing moved.
        QCOMPARE(now.current(MapType::Colour), 1);
        const CDIB& base = now.stack(MapType::Colour)[1].image;
        const CDIB& old = beforeDrop.stack(MapType::Colour)[1].image;
        const CDIB& oldAlpha = beforeDrop.stack(MapType::Colour)[1].alpha;
        const auto wrap = [](int v, int size) { return (v % size + size) % size; };
        int changed = 0;
        for (int y = 0; y < now.mapHeight; ++y)
            for (int x = 0; x < now.mapWidth; ++x) {
                const int fx = wrap(x - floater.left, now.mapWidth), fy = wrap(y - floater.top, now.mapHeight);
                const bool inside = fx < floater.width && fy < floater.height;
                for (int c = 0; c < 3; ++c) {
                    const int v = old.row(y)[3 * x + c];
                    const int k = inside ? floater.alpha(MapType::Colour).row(fy)[fx] : 0;
                    const int F = inside ? floater.value(MapType::Colour).row(fy)[3 * fx + c] : v;
                    const int want = !inside ? v : oldAlpha.row(y)[x] == 0 ? F : v + (((F - v) * k) >> 8);
                    if (base.row(y)[3 * x + c] != want)
                        QFAIL(qPrintable(QString("texel %1,%2 channel %3").arg(x).arg(y).arg(c)));
                    changed += base.row(y)[3 * x + c] != v;
                }
            }
        QVERIFY(changed > 0);
        QVERIFY(f.Action(Command::Undo)->isEnabled());
    }

    void PressInsideTheSelectionLiftsItCutOrWithCtrlCopied()
    {
        SelectionFixture f;
        QVERIFY(f.OpenSample());
        const QPoint start = f.PointOnObject();
        const int material = f.MaterialAt(start);
        QVERIFY(f.Select(start, start + QPoint(20, 12)));
        f.Drag({start + QPoint(10, 6), start + QPoint(14, 10)}, Qt::ControlModifier);
        QVERIFY(!f.floaters().selection().exists);
        QVERIFY(f.floaters().selection().floating);
        QVERIFY(f.ui.warningsPutOut > 0);  // placing answers the Warning Window
        f.Key(Qt::Key_D);
        const Material copiedOnce = LayersOf(f.scene().materials[static_cast<std::size_t>(material)]);

        // Without Ctrl the press cuts: the base layer under the selection takes the background colour.
        f.workspace.session.paintValues.background = 0x0000FF00;  // green
        QVERIFY(f.Select(start, start + QPoint(20, 12)));
        const TexelRect texels =
            SelectedTexels(f.scene().materials[static_cast<std::size_t>(material)], f.floaters().selection().u0,
                           f.floaters().selection().v0, f.floaters().selection().u1, f.floaters().selection().v1);
        QTest::mouseClick(&f.view(), Qt::LeftButton, Qt::NoModifier, start + QPoint(10, 6));
        const CDIB& base = f.scene().materials[static_cast<std::size_t>(material)].stack(MapType::Colour)[1].image;
        const std::uint8_t* texel = base.row(texels.y0) + 3 * texels.x0;
        QCOMPARE(int(texel[0]), 0);
        QCOMPARE(int(texel[1]), 255);
        QCOMPARE(int(texel[2]), 0);
        QVERIFY(!SameLayers(f.scene().materials[static_cast<std::size_t>(material)], copiedOnce));
    }

    void CutWithItsKeyErasesAndUndoBringsItBack()
    {
        SelectionFixture f;
        QVERIFY(f.OpenSample());
        const QPoint start = f.PointOnObject();
        const int material = f.MaterialAt(start);
        const Material untouched = LayersOf(f.scene().materials[static_cast<std::size_t>(material)]);
        QVERIFY(f.Select(start, start + QPoint(16, 16)));
        f.Key(Qt::Key_X);
        QVERIFY(!SameLayers(f.scene().materials[static_cast<std::size_t>(material)], untouched));
        QVERIFY(f.Action(Command::Undo)->isEnabled());
        QVERIFY(f.Action(Command::Paste)->isEnabled());
        f.Key(Qt::Key_Z);
        QVERIFY(SameLayers(f.scene().materials[static_cast<std::size_t>(material)], untouched, true));
    }

    void LeavingTheSelectionToolDropsTheFloaterBeingPlaced()
    {
        SelectionFixture f;
        QVERIFY(f.OpenSample());
        const QPoint start = f.PointOnObject();
        QVERIFY(f.Select(start, start + QPoint(16, 10)));
        f.Key(Qt::Key_C);
        f.Key(Qt::Key_V);
        f.Click(start + QPoint(0, 24));
        QVERIFY(f.floaters().selection().floating);
        const std::size_t material = static_cast<std::size_t>(f.floaters().floater().materialIndex);
        Material expected = LayersOf(f.scene().materials[material]);
        LayFloater(f.floaters().floater(), expected);
        f.Key(Qt::Key_B, Qt::NoModifier);
        QCOMPARE(f.scene().paintTool, PaintTool::Brush);
        QVERIFY(!f.floaters().selection().floating);
        QVERIFY(SameLayers(f.scene().materials[material], expected, true));
        QVERIFY(!f.Action(Command::DropFloater)->isEnabled());
        // A selection not lifted loses its outline.
        f.Action(Command::SelectionTool)->trigger();
        QVERIFY(f.Select(start, start + QPoint(16, 10)));
        f.Key(Qt::Key_E, Qt::NoModifier);
        QVERIFY(f.view().selectionOutline().isNull());
        QVERIFY(!f.floaters().selection().exists);
    }

    void CommandsAreEnabledAsTheSelectionFloaterAndClipboardAllow()
    {
        SelectionFixture f;
        QVERIFY(f.OpenSample());
        for (Command id : {Command::Cut, Command::Copy, Command::Paste, Command::DropFloater})
            QVERIFY2(!f.Action(id)->isEnabled(), app::CommandTable::Info(id).text);
        QVERIFY(f.Action(Command::Clear)->isEnabled());
        // The Edit menu and the view's right-button menu hold the same actions.
        const QPoint start = f.PointOnObject();
        QVERIFY(f.Select(start, start + QPoint(12, 12)));
        for (Command id : {Command::Cut, Command::Copy, Command::DropFloater})
            QVERIFY2(f.Action(id)->isEnabled(), app::CommandTable::Info(id).text);
        QVERIFY(!f.Action(Command::Paste)->isEnabled());
        f.Action(Command::Copy)->trigger();
        QVERIFY(!f.Action(Command::Copy)->isEnabled());
        QVERIFY(!f.Action(Command::DropFloater)->isEnabled());
        QVERIFY(f.Action(Command::Paste)->isEnabled());
        f.Action(Command::Paste)->trigger();
        QVERIFY(!f.Action(Command::DropFloater)->isEnabled());  // nothing placed yet
        f.Click(start);
        QVERIFY(f.Action(Command::DropFloater)->isEnabled());
        auto* page = qobject_cast<app::SelectionPage*>(f.window->controlPanel().page(app::PanelPage::Selection));
        QVERIFY(page != nullptr);
        QVERIFY(page->state()->text().contains("placed"));
        f.Action(Command::DropFloater)->trigger();
        QVERIFY(!f.Action(Command::DropFloater)->isEnabled());
        // Another program's image on the clipboard enables Paste; Clear empties it.
        QGuiApplication::clipboard()->setImage(QImage(4, 4, QImage::Format_RGB32));
        QVERIFY(f.Action(Command::Paste)->isEnabled());
        f.Action(Command::Clear)->trigger();
        QVERIFY(!f.Action(Command::Paste)->isEnabled());
        QVERIFY(!f.floaters().floater().present);
    }

    void PrivateFormatRestoresAllTenImagesThroughTheSystemClipboard()
    {
        Floater f;
        QVERIFY(f.Create(3, 2));
        std::uint32_t seed = 11;
        for (int k = 0; k < kMapTypeCount; ++k)
            for (CDIB* image : {&f.values[static_cast<std::size_t>(k)], &f.alphas[static_cast<std::size_t>(k)]})
                for (auto& b : image->bits())
                    b = static_cast<std::uint8_t>((seed = seed * 1103515245u + 12345u) >> 16);
        QImage shown(3, 2, QImage::Format_RGB32);
        shown.fill(qRgb(10, 20, 30));
        app::SystemClipboard clipboard;
        QVERIFY(clipboard.Open());
        QVERIFY(clipboard.Empty());
        QVERIFY(clipboard.Set(ClipFormat::Floater, EncodeFloaterBlock(f)));
        QVERIFY(clipboard.Set(ClipFormat::Dib, app::DibBlockOfImage(shown)));
        QVERIFY(clipboard.Close());
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        QVERIFY(data->hasFormat(app::SystemClipboard::kFloaterMimeType));
        // Other programs get the picture as an ordinary image.
        QCOMPARE(qvariant_cast<QImage>(data->imageData()).convertToFormat(QImage::Format_RGB32), shown);

        QVERIFY(clipboard.Open());
        const auto block = clipboard.Get(ClipFormat::Floater);
        QVERIFY(clipboard.Close());
        QVERIFY(block.has_value());
        const auto back = DecodeFloaterBlock(*block);
        QVERIFY(back.has_value());
        for (int k = 0; k < kMapTypeCount; ++k)
            for (auto [a, b] : {std::pair{&f.values[static_cast<std::size_t>(k)], &back->values[static_cast<std::size_t>(k)]},
                                std::pair{&f.alphas[static_cast<std::size_t>(k)], &back->alphas[static_cast<std::size_t>(k)]}})
                for (int y = 0; y < 2; ++y)
                    QVERIFY(std::equal(a->row(y), a->row(y) + 3 * a->bytesPerPixel(), b->row(y)));
    }

    void AnotherProgramsImagePastesAsAnOpaqueColourFloater()
    {
        SelectionFixture f;
        QVERIFY(f.OpenSample());
        // A 256-colour picture, as another program may put one there.
        QImage picture(5, 3, QImage::Format_Indexed8);
        picture.setColorCount(256);
        for (int i = 0; i < 256; ++i)
            picture.setColor(i, qRgb(i, 255 - i, (i * 7) & 255));
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x)
                picture.setPixel(x, y, static_cast<uint>(40 * y + 9 * x));
        QGuiApplication::clipboard()->setImage(picture);
        QVERIFY(!f.window->clipboard().Has(ClipFormat::Floater));
        QVERIFY(f.Action(Command::Paste)->isEnabled());
        f.Key(Qt::Key_V);
        const Floater& floater = f.floaters().floater();
        QVERIFY(floater.present);
        QCOMPARE(floater.width, 5);
        QCOMPARE(floater.height, 3);
        QCOMPARE(floater.value(MapType::Colour).bytesPerPixel(), 3);
        QVERIFY(floater.Carries(MapType::Colour));
        QVERIFY(!floater.Carries(MapType::Bump));
        // Row 0 is the picture's bottom row, as the layers hold images; blue, green, red.
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x) {
                const QRgb want = picture.pixel(x, 2 - y);
                const std::uint8_t* got = floater.value(MapType::Colour).row(y) + 3 * x;
                QCOMPARE(int(got[0]), qBlue(want));
                QCOMPARE(int(got[1]), qGreen(want));
                QCOMPARE(int(got[2]), qRed(want));
                QCOMPARE(int(floater.alpha(MapType::Colour).row(y)[x]), 255);
            }

        // A picture wider than any layer is refused before it is copied, as unreadable.
        QGuiApplication::clipboard()->setImage(QImage(CDIB::kMaxDimension + 1, 1, QImage::Format_RGB32));
        f.Key(Qt::Key_V);
        QCOMPARE(f.ui.Dialogs().back(), std::string("Couldn't get data from ClipBoard"));
        QVERIFY(!f.floaters().floater().present);  // a failed paste leaves no floater
    }
};

// A window with the program's own interaction (asking nobody), so warnings reach its
// Warning Window as in the running program.
struct TextFixture {
    QTemporaryDir directory;
    app::Workspace workspace;
    app::WarningWindow warnings{workspace.session.preferences.beepOnWarning};
    app::QtInteraction ui{workspace.paintWizard, warnings, true};
    app::RecentFiles recent;
    std::unique_ptr<app::MainWindow> window;

    TextFixture()
    {
        warnings.SetBeep([] {});
        window = ShowMainWindow(directory, workspace, ui, warnings, recent);
    }
};

class TextPageTest : public QObject {
    Q_OBJECT
private slots:
    void CreateMakesATextFloaterRaisesTheWarningAndSwitchesToTheSelectionTool()
    {
        TextFixture f;
        QVERIFY(f.window->OpenFile(GESSORIA_SAMPLE_DIR "/monkey.3ds", false));
        f.window->commands()[Command::TextTool]->trigger();
        app::ControlPanel& panel = f.window->controlPanel();
        QCOMPARE(panel.visiblePage(), app::PanelPage::Text);
        auto* page = qobject_cast<app::TextPage*>(panel.page(app::PanelPage::Text));
        QVERIFY(page != nullptr);
        QFont font("Sans Serif");
        font.setPointSizeF(20.0);
        font.setWeight(QFont::Bold);
        page->SetFont(font);
        QCOMPARE(page->description()->text(),
                 QString::fromStdString(FontDescription(font.family().toStdString(), 20.0, 700, false)));
        QVERIFY(page->description()->text().endsWith("bold  "));
        QVERIFY(!page->createButton()->isEnabled());
        // Letters typed into the text are text, not the tools' keys (B is the Brush).
        page->textEdit()->setFocus();
        QTest::keyClicks(page->textEdit(), "Gebe");
        QCOMPARE(page->textEdit()->text(), QString("Gebe"));
        QCOMPARE(f.workspace.session.scene.paintTool, PaintTool::Text);
        page->textEdit()->setText("Gesso");
        QTest::mouseClick(page->createButton(), Qt::LeftButton);

        const Floater& floater = f.workspace.floaters.floater();
        QVERIFY(floater.present);
        QVERIFY(floater.fromText);
        QVERIFY(floater.width > floater.height);
        QCOMPARE(f.warnings.message(), QString(kTextPlacementWarning));
        QVERIFY(!f.warnings.lit());  // shown at once
        QCOMPARE(f.workspace.session.scene.paintTool, PaintTool::Selection);
        QCOMPARE(panel.visiblePage(), app::PanelPage::Selection);

        // Placed and dropped like any floater, laid through the current paint.
        f.workspace.session.paintValues.foreground = 0xFF0000FFu;
        const QPoint at = f.window->view().rect().center();
        QTest::mouseClick(&f.window->view(), Qt::LeftButton, Qt::NoModifier, at);
        QVERIFY(f.workspace.floaters.selection().floating);
        const int material = f.workspace.floaters.floater().materialIndex;
        const Material before = LayersOf(f.workspace.session.scene.materials[static_cast<std::size_t>(material)]);
        QTest::keyClick(f.window.get(), Qt::Key_D, Qt::ControlModifier);
        QVERIFY(!f.workspace.floaters.floater().present);
        QVERIFY(!SameLayers(f.workspace.session.scene.materials[static_cast<std::size_t>(material)], before));
    }
};

} // namespace

QObject* MakeSelectionTest() { return new SelectionTest; }
QObject* MakeTextPageTest() { return new TextPageTest; }

} // namespace gessoria::test

#include "SelectionTest.moc"
