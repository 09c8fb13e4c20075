// The control panel: tool buttons and their looks, the page area, and the pages that change
// the engine's state (layers, objects, bookmarks, lighting, tool options).
#include "AppFixture.h"

#include "app/CommandTable.h"
#include "app/panel/BookmarksPage.h"
#include "app/panel/ControlPanel.h"
#include "app/panel/LayersPage.h"
#include "app/panel/LightingControlsPage.h"
#include "app/panel/MaxOutPage.h"
#include "app/panel/ObjectsPage.h"
#include "app/panel/PanelButton.h"
#include "app/panel/ProjectionControls.h"
#include "app/panel/ToolPages.h"

#include <QApplication>
#include <QCheckBox>
#include <QMouseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>

namespace gessoria::test {
namespace {

using app::ButtonLook;
using app::Command;
using app::PanelPage;

class ControlPanelTest : public QObject {
    Q_OBJECT
private slots:
    void PressingTheBrushButtonTwiceLeavesNoTool()
    {
        AppFixture f;
        QVERIFY(f.OpenSample());
        app::ControlPanel& panel = f.window->controlPanel();
        app::PanelButton* brush = panel.button(Command::BrushTool);
        // Loading selects the Brush: its selected look and its page.
        QCOMPARE(brush->look(), ButtonLook::Selected);
        QVERIFY(panel.PageVisible(PanelPage::Brush));
        QTest::mouseClick(brush, Qt::LeftButton);
        QCOMPARE(f.scene().paintTool, PaintTool::None);
        QCOMPARE(f.view().toolCursor(), -1);
        QCOMPARE(f.window->statusPane().text(), QString("Ready    For Help, press F1"));
        QVERIFY(brush->look() != ButtonLook::Selected);
        QTest::mouseClick(brush, Qt::LeftButton);
        QCOMPARE(f.scene().paintTool, PaintTool::Brush);
    }

    void FillAfterBrushSwapsTheLooksAndThePages()
    {
        AppFixture f;
        QVERIFY(f.OpenSample());
        app::ControlPanel& panel = f.window->controlPanel();
        QTest::mouseClick(panel.button(Command::FillTool), Qt::LeftButton);
        QCOMPARE(f.scene().paintTool, PaintTool::Fill);
        QCOMPARE(panel.button(Command::FillTool)->look(), ButtonLook::Selected);
        QVERIFY(panel.button(Command::BrushTool)->look() != ButtonLook::Selected);
        QVERIFY(panel.PageVisible(PanelPage::Fill));
        QVERIFY(!panel.page(PanelPage::Brush)->isVisible());
        QCOMPARE(f.window->statusPane().text(), QString("Fill Tool:    For help press F1"));
        QCOMPARE(f.view().toolCursor(), 247);
    }

    void CurrentToolWithAnotherPageInFrontComesBackInsteadOfDeselecting()
    {
        AppFixture f;
        QVERIFY(f.OpenSample());
        app::ControlPanel& panel = f.window->controlPanel();
        QTest::mouseClick(panel.button(Command::LayersWindow), Qt::LeftButton);
        QVERIFY(panel.PageVisible(PanelPage::Layers));
        QTest::mouseClick(panel.button(Command::BrushTool), Qt::LeftButton);
        QCOMPARE(f.scene().paintTool, PaintTool::Brush);
        QVERIFY(panel.PageVisible(PanelPage::Brush));
        // The tool survives page switches.
        QTest::mouseClick(panel.button(Command::ObjectsWindow), Qt::LeftButton);
        QCOMPARE(f.scene().paintTool, PaintTool::Brush);
        QCOMPARE(panel.button(Command::BrushTool)->look(), ButtonLook::Selected);
    }

    void LayerCreatedAndPromotedThroughThePageChangesTheStack()
    {
        AppFixture f;
        QVERIFY(f.OpenSample());
        app::ControlPanel& panel = f.window->controlPanel();
        auto* page = static_cast<app::LayersPage*>(panel.ShowPage(PanelPage::Layers));
        const int material = page->materialIndex();
        QVERIFY(material > 0);
        page->ChooseMapType(MapType::Colour);
        Material& m = f.scene().materials[static_cast<std::size_t>(material)];
        const int before = m.stack(MapType::Colour).count();

        f.ui.texts.push_back(std::string("Highlights"));
        QTest::mouseClick(page->newButton(), Qt::LeftButton);
        QCOMPARE(m.stack(MapType::Colour).count(), before + 1);
        QCOMPARE(m.current(MapType::Colour), before);
        QCOMPARE(page->list()->currentItem()->text(), QString("Highlights"));
        QCOMPARE(page->list()->count(), before + 1);  // layers 1.. and the Renderer Layer

        f.ui.texts.push_back(std::string("Shadows"));
        QTest::mouseClick(page->newButton(), Qt::LeftButton);
        // Select the upper new layer in the list and promote it below "Highlights".
        const QList<QListWidgetItem*> found = page->list()->findItems("Shadows", Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        QCOMPARE(page->list()->row(found.front()), 0);  // the highest layer heads the list
        page->list()->setCurrentItem(found.front());
        QCOMPARE(m.current(MapType::Colour), before + 1);
        QTest::mouseClick(page->promoteButton(), Qt::LeftButton);
        QCOMPARE(m.stack(MapType::Colour)[before].name, std::string("Shadows"));
        QCOMPARE(m.stack(MapType::Colour)[before + 1].name, std::string("Highlights"));
        QCOMPARE(m.current(MapType::Colour), before);
        QCOMPARE(page->list()->item(0)->text(), QString("Highlights"));
        QCOMPARE(page->list()->currentItem()->text(), QString("Shadows"));

        // The engine's refusal reaches the user and leaves the stack alone.
        page->list()->setCurrentRow(page->list()->count() - 2);  // layer 1, above the Renderer Layer
        QCOMPARE(m.current(MapType::Colour), 1);
        QTest::mouseClick(page->promoteButton(), Qt::LeftButton);
        QCOMPARE(f.ui.Dialogs().back(), std::string("Can't promote Renderer layer, or Layer 1"));
        QCOMPARE(m.stack(MapType::Colour)[before].name, std::string("Shadows"));

        // The current-layer-only switch goes to the engine.
        page->currentOnlyBox()->setChecked(true);
        QCOMPARE(m.currentLayerOnly, std::uint8_t{1});
    }

    void ObjectsPageHidesAndFreezesTheChosenObjects()
    {
        AppFixture f;
        QVERIFY(f.OpenSample());
        auto* page = static_cast<app::ObjectsPage*>(f.window->controlPanel().ShowPage(PanelPage::Objects));
        QCOMPARE(page->list()->count(), static_cast<int>(f.scene().objects.size()));
        page->list()->item(0)->setSelected(true);
        QTest::mouseClick(page->hideButton(), Qt::LeftButton);
        QVERIFY(f.scene().objects[0].has(kObjectHidden));
        QVERIFY(page->list()->item(0)->text().contains("(hidden)"));
        QTest::mouseClick(page->freezeButton(), Qt::LeftButton);
        QTest::mouseClick(page->showButton(), Qt::LeftButton);
        QVERIFY(!f.scene().objects[0].has(kObjectHidden));
        QVERIFY(f.scene().objects[0].has(kObjectFrozen));
        QTest::mouseClick(page->unfreezeButton(), Qt::LeftButton);
        QCOMPARE(f.scene().objects[0].flags & (kObjectHidden | kObjectFrozen), 0);
    }

    void BookmarksPageAddsDeletesAndGoesTo()
    {
        AppFixture f;
        QVERIFY(f.OpenSample());
        auto* page = static_cast<app::BookmarksPage*>(f.window->controlPanel().ShowPage(PanelPage::Bookmarks));
        const int standard = page->list()->count();
        f.ui.texts.push_back(std::string("Close up"));
        QTest::mouseClick(page->newButton(), Qt::LeftButton);
        QCOMPARE(page->list()->count(), standard + 1);
        QCOMPARE(page->list()->item(standard)->text(), QString("Close up"));
        // Delete asks first, then refuses when nothing is chosen.
        page->list()->clearSelection();
        f.ui.yesNo.push_back(true);
        QTest::mouseClick(page->deleteButton(), Qt::LeftButton);
        QCOMPARE(f.ui.Dialogs().back(), std::string("Please select a View Bookmark to delete"));
        page->list()->setCurrentRow(standard);
        f.ui.yesNo.push_back(true);
        QTest::mouseClick(page->deleteButton(), Qt::LeftButton);
        QCOMPARE(f.ui.Dialogs().back(), std::string("Are you sure you want to delete this bookmark"));
        QCOMPARE(page->list()->count(), standard);
        // The 21st bookmark is refused.
        for (int i = standard; i < ViewBookmarks::kMaxBookmarks; ++i) {
            f.ui.texts.push_back(std::string("view"));
            QTest::mouseClick(page->newButton(), Qt::LeftButton);
        }
        QCOMPARE(page->list()->count(), ViewBookmarks::kMaxBookmarks);
        f.ui.texts.push_back(std::string("one too many"));
        QTest::mouseClick(page->newButton(), Qt::LeftButton);
        QCOMPARE(page->list()->count(), ViewBookmarks::kMaxBookmarks);
        QCOMPARE(f.ui.Dialogs().back(), std::string("A maximum of 20 View Bookmarks is allowed, please delete one and try again"));
    }

    void LightingSlidersCoupleAndApplyOnlyWhenAsked()
    {
        AppFixture f;
        QVERIFY(f.OpenSample());
        Preferences& prefs = f.workspace.session.preferences;
        auto* page = static_cast<app::LightingControlsPage*>(f.window->controlPanel().ShowPage(PanelPage::Lighting));
        QCOMPARE(page->ambientSlider()->value(), 12288);
        page->spotSlider()->setValue(60000);
        QCOMPARE(page->ambientSlider()->value(), 5536);
        QCOMPARE(prefs.diffuseLevel, 53248);  // Auto-Update is off
        page->FullAmbient();
        QCOMPARE(prefs.ambientLevel, 12288);
        QTest::mouseClick(page->applyButton(), Qt::LeftButton);
        QCOMPARE(prefs.ambientLevel, 65535);
        QCOMPARE(prefs.diffuseLevel, 0);
        page->autoUpdateBox()->setChecked(true);
        QCOMPARE(prefs.autoUpdate, std::uint8_t{1});
        page->backdropSlider()->setValue(10);
        QCOMPARE(prefs.backgroundColour, std::uint8_t{10});
    }

    void ToolPagesEditThePaintingState()
    {
        AppFixture f;
        QVERIFY(f.OpenSample());
        app::ControlPanel& panel = f.window->controlPanel();
        ToolOptions& options = f.workspace.session.painting.options;

        auto* line = static_cast<app::LinePage*>(panel.ShowPage(PanelPage::Line));
        QVERIFY(!line->sides()->isEnabled());
        line->typeButton(1)->click();
        QCOMPARE(options.lineType, LineType::NGon);
        QVERIFY(line->sides()->isEnabled());
        line->sides()->setValue(7);
        QCOMPARE(options.polygonSides, 7);
        line->typeButton(2)->click();
        QVERIFY(!line->sides()->isEnabled());

        auto* fill = static_cast<app::FillPage*>(panel.ShowPage(PanelPage::Fill));
        fill->styleButton(1)->click();
        QCOMPARE(options.fillStyle, std::uint8_t{1});
        fill->tolerance()->setValue(80);
        QCOMPARE(options.fillTolerance, 80);
        fill->referenceMap()->setCurrentIndex(2);  // the third in tab order is Bump
        QCOMPARE(options.referenceMap, MapType::Bump);
        fill->sampleMerged()->setChecked(true);
        QVERIFY(options.sampleMerged);

        auto* eraser = static_cast<app::EraserPage*>(panel.ShowPage(PanelPage::Eraser));
        eraser->mapSwitch(StorageIndex(MapType::SelfIllum))->setChecked(false);
        QVERIFY(!options.eraserMaps[static_cast<std::size_t>(StorageIndex(MapType::SelfIllum))]);
        QVERIFY(options.eraserMaps[static_cast<std::size_t>(StorageIndex(MapType::Opacity))]);

        // Texture Paint with an ordinary paint stays in clone mode and says why.
        auto* texture = static_cast<app::TexturePaintPage*>(panel.ShowPage(PanelPage::TexturePaint));
        QVERIFY(!texture->scale()->isEnabled());
        texture->textureButton()->click();
        QCOMPARE(f.ui.Dialogs().back(), std::string("Please select a valid Bitmap Paint first"));
        QVERIFY(!options.texturedPaint);
        QVERIFY(texture->cloneButton()->isChecked());
        QVERIFY(texture->setSourceButton()->isEnabled());
        f.window->SelectPaintTool(PaintTool::TexturePaint);
        texture->setSourceButton()->click();
        QVERIFY(options.settingCloneSource);
        QCOMPARE(f.view().toolCursor(), 271);
        texture->setSourceButton()->click();
        QCOMPARE(f.view().toolCursor(), 158);
        // The click that records the source ends set-source mode and its cursor.
        texture->setSourceButton()->click();
        f.Drag({f.PointOnObject()});
        QVERIFY(f.workspace.session.painting.clone.set);
        QVERIFY(!options.settingCloneSource);
        QCOMPARE(f.view().toolCursor(), 158);
    }

    void ProjectionSwitchSizeKeysAndCircleShareThePreferences()
    {
        AppFixture f;
        QVERIFY(f.OpenSample());
        app::ControlPanel& panel = f.window->controlPanel();
        Preferences& preferences = f.workspace.session.preferences;
        auto* brush = static_cast<app::BrushPage*>(panel.ShowPage(PanelPage::Brush));
        QVERIFY(!brush->projection()->sizeBox()->isEnabled());
        brush->projection()->projectionSwitch()->setChecked(true);
        QCOMPARE(preferences.projection, 1);
        QVERIFY(brush->projection()->sizeBox()->isEnabled());
        brush->projection()->sizeBox()->setValue(60);
        QCOMPARE(preferences.projectionSize, 60);

        // "]" and "[" in the view step the size by a tenth; the page shows it.
        f.view().setFocus();
        QTest::keyClick(&f.view(), Qt::Key_BracketRight);
        QCOMPARE(preferences.projectionSize, 66);
        QCOMPARE(brush->projection()->sizeBox()->value(), 66);
        QTest::keyClick(&f.view(), Qt::Key_BracketLeft);
        QTest::keyClick(&f.view(), Qt::Key_BracketLeft);
        QCOMPARE(preferences.projectionSize, 54);
        auto* eraser = static_cast<app::EraserPage*>(panel.ShowPage(PanelPage::Eraser));
        QCOMPARE(eraser->projection()->sizeBox()->value(), 54);
        QVERIFY(eraser->projection()->projectionSwitch()->isChecked());
        panel.ShowPage(PanelPage::Brush);

        // Over the view, the dab's circle follows the pointer; it goes with another tool.
        const QPoint at = f.PointOnObject();
        QTest::mouseMove(&f.view(), at);
        QMouseEvent hover(QEvent::MouseMove, at, f.view().mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&f.view(), &hover);
        QCOMPARE(f.view().brushCircle(), QRect(at.x() - 27, at.y() - 27, 54, 54));
        f.window->SelectPaintTool(PaintTool::Fill);
        QVERIFY(f.view().brushCircle().isNull());
        f.window->SelectPaintTool(PaintTool::Brush);
        QVERIFY(!f.view().brushCircle().isNull());

        // A drag in projection mode paints the object; switched off, the circle goes.
        const auto before = f.ColourLayerBytes(f.MaterialAt(at));
        f.Drag({at, at + QPoint(30, 0), at + QPoint(60, 5)});
        QVERIFY(f.ColourLayerBytes(f.MaterialAt(at)) != before);
        brush->projection()->projectionSwitch()->setChecked(false);
        QCOMPARE(preferences.projection, 0);
        QVERIFY(f.view().brushCircle().isNull());
        QCOMPARE(app::SteppedProjectionSize(1000, 1), 1000);
        QCOMPARE(app::SteppedProjectionSize(1, -1), 1);
        QCOMPARE(app::SteppedProjectionSize(5, 1), 6);
    }

    void MaxOutPageStoresItsOptionsInTheSession()
    {
        AppFixture f;
        app::ControlPanel& panel = f.window->controlPanel();
        QTest::mouseClick(panel.button(Command::MaxOut), Qt::LeftButton);
        QCOMPARE(panel.visiblePage(), PanelPage::MaxOut);
        auto* page = dynamic_cast<app::MaxOutPage*>(panel.page(PanelPage::MaxOut));
        QVERIFY(page != nullptr);
        // Defaults: overwrite, no prefix (which only new bitmaps use).
        QVERIFY(page->overwriteButton()->isChecked());
        QVERIFY(!page->prefixEdit()->isEnabled());
        QVERIFY(page->goButton()->isEnabled());
        page->generateButton()->click();
        QVERIFY(page->prefixEdit()->isEnabled());
        QTest::keyClicks(page->prefixEdit(), QString(40, 'x'));
        const MaxOutOptions& options = f.workspace.session.maxOut;
        QCOMPARE(int(options.overwrite), 0);
        QCOMPARE(options.prefix, std::string(32, 'x'));
        // Go! with no host that ever sent a scene.
        page->goButton()->click();
        QCOMPARE(f.ui.Dialogs().back(), std::string("Cant send these materials to Max.\nCommunications lost?"));
        // A project's options show when the page is shown again.
        f.workspace.session.maxOut = {1, "abc"};
        panel.ShowPage(PanelPage::Brush);
        panel.ShowPage(PanelPage::MaxOut);
        QVERIFY(page->overwriteButton()->isChecked());
        QCOMPARE(page->prefixEdit()->text(), QString("abc"));
    }
};

} // namespace

QObject* MakeControlPanelTest() { return new ControlPanelTest; }

} // namespace gessoria::test

#include "ControlPanelTest.moc"
