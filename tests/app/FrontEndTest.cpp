// The desktop program's wording and reach as a user meets them: the menus read from the menu
// bar, the right-button menus, the Flip Horizontal key, the tip dialog's ways of closing, the
// Texture Paint page's library lists and the questions' buttons.
#include "AppFixture.h"

#include "app/CommandTable.h"
#include "app/bitmapview/BitmapViewWindow.h"
#include "app/bitmapview/BitmapViewWindows.h"
#include "app/dialogs/TipDialog.h"
#include "app/palettes/BrushSettingsDialog.h"
#include "app/panel/BookmarksPage.h"
#include "app/panel/ControlPanel.h"
#include "app/panel/LayersPage.h"
#include "app/panel/LightingControlsPage.h"
#include "app/panel/ToolPages.h"
#include "io/ProfileFile.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include <functional>

namespace gessoria::test {
namespace {

using app::Command;

// A menu's visible entries in order: the text with its mnemonic, "-" for a separator and the
// title followed by ">" for a submenu.
QStringList MenuTexts(const QMenu* menu)
{
    QStringList texts;
    for (const QAction* action : menu->actions()) {
        if (!action->isVisible())
            continue;
        if (action->isSeparator())
            texts << "-";
        else if (action->menu())
            texts << action->text() + ">";
        else
            texts << action->text();
    }
    return texts;
}

// The menu bar's menu with this title, or the submenu of it reached through `path`.
QMenu* MenuAt(const QMainWindow& window, const QStringList& path)
{
    QList<QAction*> actions = window.menuBar()->actions();
    QMenu* menu = nullptr;
    for (const QString& title : path) {
        menu = nullptr;
        for (QAction* action : actions)
            if (action->menu() && action->text() == title)
                menu = action->menu();
        if (!menu)
            return nullptr;
        actions = menu->actions();
    }
    return menu;
}

// Every action reachable from the menu bar, submenus included.
QList<QAction*> AllMenuActions(const QMainWindow& window)
{
    QList<QAction*> all;
    std::function<void(const QList<QAction*>&)> walk = [&](const QList<QAction*>& actions) {
        for (QAction* action : actions) {
            all << action;
            if (action->menu())
                walk(action->menu()->actions());
        }
    };
    walk(window.menuBar()->actions());
    return all;
}

// Asks `target` for its right-button menu and hands the menu, while it is open, to `inspect`;
// the menu is closed afterwards. False when no menu opened.
bool WithContextMenu(QWidget* target, const std::function<void(QMenu&)>& inspect)
{
    bool opened = false;
    QTimer::singleShot(0, target, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        opened = true;
        inspect(*menu);
        menu->close();
    });
    const QPoint at = target->rect().center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, target->mapToGlobal(at));
    QApplication::sendEvent(target, &event);
    return opened;
}

QAction* ActionNamed(const QMenu& menu, const QString& text)
{
    for (QAction* action : menu.actions())
        if (action->text() == text)
            return action;
    return nullptr;
}

template <typename Widget>
Widget* ChildWithText(const QWidget& parent, const QString& text)
{
    for (Widget* child : parent.findChildren<Widget*>())
        if (child->text() == text)
            return child;
    return nullptr;
}

std::vector<std::uint8_t> LayerBytes(const app::BitmapViewWindow& window)
{
    BitmapView& view = const_cast<app::BitmapViewWindow&>(window).view();
    const CDIB& image = view.material().stack(view.mapType())[view.layerIndex()].image;
    return {image.bits().begin(), image.bits().end()};
}

// Runs `inspect` on the modal dialog the next action opens, then rejects it.
template <typename Dialog>
void WhenModalOpens(const std::function<void(Dialog&)>& inspect, bool& seen)
{
    QTimer::singleShot(0, [inspect, &seen] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        seen = true;
        inspect(*dialog);
        dialog->reject();
    });
}

class FrontEndTest : public QObject {
    Q_OBJECT
private slots:
    void PreferencesSubmenuNamesItsItemsWithoutEllipses()
    {
        AppFixture f;
        const QMenu* preferences = MenuAt(*f.window, {"&File", "&Preferences"});
        QVERIFY(preferences != nullptr);
        QCOMPARE(MenuTexts(preferences),
                 QStringList({"&Render Level...", "&Map Paths...", "&Pointer Shape", "Pressure &Sensitivity",
                              "&Beep On Warn", "Space&Ware Prefs", "&Undo Prefs"}));
    }

    void ViewRightButtonMenuHasItsOwnMnemonicsAndStillZoomsToExtents()
    {
        AppFixture f;
        QVERIFY(f.OpenSample());
        // The scale the command fits to, then a view zoomed away from it.
        f.window->commands()[Command::ZoomExtents]->trigger();
        const float fitted = f.scene().camera.scale;
        f.scene().camera.scale *= 0.25f;
        QStringList texts;
        QAction* zoom = nullptr;
        QVERIFY(WithContextMenu(&f.view(), [&](QMenu& menu) {
            texts = MenuTexts(&menu);
            zoom = ActionNamed(menu, "&Zoom Extents");
        }));
        QCOMPARE(texts, QStringList({"&Brush Tool", "&Erase Tool", "Colour &Sampler", "-", "Co&lour Picker", "-",
                                     "&Zoom Extents", "&Light To Front", "-", "Cu&t", "&Copy", "&Paste", "-",
                                     "What's This?"}));
        // The entry is the command itself, not a look-alike.
        QVERIFY(zoom != nullptr);
        zoom->trigger();
        QCOMPARE(f.scene().camera.scale, fitted);
        // The menu bar keeps its own wording.
        QCOMPARE(f.window->commands()[Command::ZoomExtents]->text(), QString("Zoom &Extents"));
        QCOMPARE(f.window->commands()[Command::WhatsThis]->text(), QString("&What's This?"));
    }

    void FlipHorizontalKeyFlipsTheActiveBitmapViewOnly()
    {
        AppFixture f;
        QVERIFY(f.OpenSample());
        auto* layers = static_cast<app::LayersPage*>(f.window->controlPanel().ShowPage(app::PanelPage::Layers));
        layers->ChooseMapType(MapType::Colour);
        app::BitmapViewWindow* window = f.window->bitmapViews().Open(layers->materialIndex(), MapType::Colour, 1);
        QVERIFY(window != nullptr);
        // Some paint first, so the layer is not the same both ways round.
        f.Drag({f.PointOnObject(), f.PointOnObject() + QPoint(30, 4)});
        const std::vector<std::uint8_t> before = LayerBytes(*window);
        const Qt::KeyboardModifiers keys = Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier;

        // With the main window active there is no active bitmap view: nothing, and nothing said.
        // Active means holding the keyboard focus (a transient window also reports itself
        // active while its parent is).
        f.window->activateWindow();
        QTRY_COMPARE(QGuiApplication::focusWindow(), f.window->windowHandle());
        const std::size_t shown = f.ui.shown.size();
        QTest::keyClick(f.window.get(), Qt::Key_F12, keys);
        QCOMPARE(LayerBytes(*window), before);
        QCOMPARE(f.ui.shown.size(), shown);

        window->activateWindow();
        QTRY_COMPARE(QGuiApplication::focusWindow(), window->windowHandle());
        QTest::keyClick(window, Qt::Key_F12, keys);
        const std::vector<std::uint8_t> flipped = LayerBytes(*window);
        QVERIFY(flipped != before);
        // The window's own Flip Horizontal turns it back: the key did a horizontal flip.
        window->action(app::BitmapViewCommand::FlipHorizontal)->trigger();
        QCOMPARE(LayerBytes(*window), before);
        QCOMPARE(f.ui.shown.size(), shown);
    }

    void TipDialogKeepsTheStartUpChoiceOnlyThroughClose()
    {
        QTemporaryDir dir;
        const auto ini = std::filesystem::path(dir.filePath("g.INI").toStdString());
        QFile tips(dir.filePath("tips.txt"));
        QVERIFY(tips.open(QIODevice::WriteOnly));
        tips.write("First tip\nSecond tip\n");
        tips.close();
        const auto startUp = [&] { return ProfileFile::Load(ini).GetInt("Tip", "StartUp", -1); };

        {
            app::TipDialog dialog(ini, dir.filePath("tips.txt").toStdString(), nullptr);
            dialog.show();
            dialog.SetShowOnStartup(false);
            QTest::keyClick(&dialog, Qt::Key_Escape);
            QVERIFY(!dialog.isVisible());
        }
        QCOMPARE(startUp(), -1);
        {
            // The title bar's close button.
            app::TipDialog dialog(ini, dir.filePath("tips.txt").toStdString(), nullptr);
            dialog.show();
            dialog.SetShowOnStartup(false);
            QVERIFY(dialog.close());
        }
        QCOMPARE(startUp(), -1);
        QVERIFY(TipsShownAtStartup(ini));
        {
            app::TipDialog dialog(ini, dir.filePath("tips.txt").toStdString(), nullptr);
            dialog.show();
            dialog.SetShowOnStartup(false);
            QPushButton* close = ChildWithText<QPushButton>(dialog, "&Close");
            QVERIFY(close != nullptr);
            QTest::mouseClick(close, Qt::LeftButton);
        }
        QCOMPARE(startUp(), 1);
    }

    void TexturePaintPageHasTheBrushListWithItsCommandsAndThePaintList()
    {
        AppFixture f;
        QVERIFY(f.OpenSample());
        BrushTable& brushes = f.workspace.session.brushes;
        QVERIFY(brushes.count() >= 3);
        auto* page = f.window->controlPanel().ShowPage(app::PanelPage::TexturePaint);
        const QLabel* brushLabel = ChildWithText<QLabel>(*page, "Brush");
        const QLabel* paintLabel = ChildWithText<QLabel>(*page, "Texture Paint");
        QVERIFY(brushLabel != nullptr && paintLabel != nullptr);
        auto* brushList = qobject_cast<QComboBox*>(brushLabel->buddy());
        auto* paintList = qobject_cast<QComboBox*>(paintLabel->buddy());
        QVERIFY(brushList != nullptr && paintList != nullptr);
        QCOMPARE(brushList->count(), brushes.count());
        QCOMPARE(paintList->count(), f.workspace.session.paints.count());
        QPushButton* edit = ChildWithText<QPushButton>(*page, "Edit");
        QPushButton* del = ChildWithText<QPushButton>(*page, "Del");
        QPushButton* add = ChildWithText<QPushButton>(*page, "New");
        QVERIFY(edit != nullptr && del != nullptr && add != nullptr);

        // Del deletes the brush chosen in the list after asking, as the Applicators palette does.
        const int count = brushes.count();
        const std::string doomed = brushes.at(count - 1).name;
        brushList->setCurrentIndex(count - 1);
        f.ui.yesNo.push_back(true);
        QTest::mouseClick(del, Qt::LeftButton);
        QCOMPARE(brushes.count(), count - 1);
        QCOMPARE(brushList->count(), count - 1);
        QVERIFY(brushList->findText(QString::fromStdString(doomed)) < 0);
        // The default brush stays.
        brushList->setCurrentIndex(0);
        QTest::mouseClick(del, Qt::LeftButton);
        QCOMPARE(brushes.count(), count - 1);

        // Edit opens the settings sheet on the current brush.
        brushList->setCurrentIndex(1);
        QString editedName;
        bool seen = false;
        WhenModalOpens<app::BrushSettingsDialog>([&](app::BrushSettingsDialog& sheet) {
            editedName = sheet.nameEdit()->text();
        }, seen);
        QTest::mouseClick(edit, Qt::LeftButton);
        QVERIFY(seen);
        QCOMPARE(editedName, QString::fromStdString(brushes.at(1).name));

        // New offers the scratch brush in the sheet; cancelled, it goes again.
        seen = false;
        WhenModalOpens<app::BrushSettingsDialog>([&](app::BrushSettingsDialog& sheet) {
            editedName = sheet.nameEdit()->text();
        }, seen);
        QTest::mouseClick(add, Qt::LeftButton);
        QVERIFY(seen);
        QCOMPARE(editedName, QString("New Brush"));
        QCOMPARE(brushes.count(), count - 1);
        QCOMPARE(brushList->count(), count - 1);
    }

    void DeletingABookmarkAsksWithOkAndCancel()
    {
        AppFixture f;
        QVERIFY(f.OpenSample());
        auto* page = static_cast<app::BookmarksPage*>(f.window->controlPanel().ShowPage(app::PanelPage::Bookmarks));
        const int count = page->list()->count();
        page->list()->setCurrentRow(0);
        f.ui.yesNo.push_back(false);  // Cancel
        QTest::mouseClick(page->deleteButton(), Qt::LeftButton);
        QCOMPARE(f.ui.Texts(Shown::Kind::Question).back(), std::string("Are you sure you want to delete this bookmark"));
        QCOMPARE(f.ui.questionButtons.back(), std::string("OK/Cancel"));
        QCOMPARE(page->list()->count(), count);
        f.ui.yesNo.push_back(true);  // OK
        QTest::mouseClick(page->deleteButton(), Qt::LeftButton);
        QCOMPARE(f.ui.questionButtons.back(), std::string("OK/Cancel"));
        QCOMPARE(page->list()->count(), count - 1);
    }

    void LightingMixCommandsCarryTheirPrompts()
    {
        AppFixture f;
        auto* page = f.window->controlPanel().ShowPage(app::PanelPage::Lighting);
        struct Prompted {
            const char* text;
            const char* prompt;
        };
        const Prompted prompted[] = {{"Am&bient To Full", "Sets the Ambient Light in the scene to 255"},
                                     {"Ambient/Spot &Mix", "Sets both the Ambient light and the Spot light to 50%"}};
        QStringList tips;
        QStringList statusLines;
        QVERIFY(WithContextMenu(page, [&](QMenu& menu) {
            for (const Prompted& p : prompted) {
                QAction* action = ActionNamed(menu, p.text);
                if (!action)
                    continue;
                tips << action->toolTip();
                menu.setActiveAction(action);
                statusLines << f.window->statusBar()->currentMessage();
            }
        }));
        const QStringList prompts = {prompted[0].prompt, prompted[1].prompt};
        QCOMPARE(tips, prompts);
        QCOMPARE(statusLines, prompts);
    }

    void RotationBenchmarkHasNoMenuEntry()
    {
        AppFixture f;
        const QMenu* utilities = MenuAt(*f.window, {"&Tools", "&Utilities"});
        QVERIFY(utilities != nullptr);
        QCOMPARE(MenuTexts(utilities), QStringList({"&Redraw Screen"}));
        QAction* benchmark = f.window->commands()[Command::Benchmark];
        QVERIFY(!AllMenuActions(*f.window).contains(benchmark));
        QVERIFY(benchmark->shortcuts().isEmpty());
    }

    void FileAndViewMenusKeepOnlyTheirOwnEntries()
    {
        AppFixture f;
        const QStringList fileBefore = {"&Open...", "&Save", "Save &As...", "-", "Export &Maps...", "Export Mo&del...",
                                        "-", "&Print...", "-", "&Preferences>", "-", "E&xit"};
        QCOMPARE(MenuTexts(MenuAt(*f.window, {"&File"})), fileBefore);
        // Opened files are listed in the File menu itself, newest first.
        QVERIFY(f.OpenSample());
        QCOMPARE(MenuTexts(MenuAt(*f.window, {"&File"})),
                 QStringList({"&Open...", "&Save", "Save &As...", "-", "Export &Maps...", "Export Mo&del...", "-",
                              "&Print...", "-", "&1 monkey.3ds", "-", "&Preferences>", "-", "E&xit"}));
        QCOMPARE(MenuTexts(MenuAt(*f.window, {"&View"})),
                 QStringList({"&Toolbars>", "&Status Bar", "&Info Window", "Co&lour Picker", "&Ignore Warning", "-",
                              "&Applicators", "Pi&gments"}));
        QCOMPARE(MenuTexts(MenuAt(*f.window, {"&View", "&Toolbars"})),
                 QStringList({"&File Toolbar", "&Position Toolbar", "&Control Panel"}));
        // Print View keeps its key and its tool bar button.
        QCOMPARE(f.window->commands()[Command::PrintView]->shortcut(), QKeySequence("Ctrl+P"));
        // The control panel's two button frames carry no titles.
        for (const QGroupBox* frame : f.window->controlPanel().widget()->findChildren<QGroupBox*>(Qt::FindDirectChildrenOnly))
            QCOMPARE(frame->title(), QString());
    }
};

} // namespace

QObject* MakeFrontEndTest()
{
    return new FrontEndTest;
}

} // namespace gessoria::test

#include "FrontEndTest.moc"
