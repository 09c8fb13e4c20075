// Help: F1 opens the manual at the page about what has the focus, What's This links lead to
// the page of their command, the keyboard shortcuts page is made from the actions, and the
// manual's own pages and links are all there.
#include "AppFixture.h"

#include "app/CommandTable.h"
#include "app/bitmapview/BitmapViewWindow.h"
#include "app/bitmapview/BitmapViewWindows.h"
#include "app/help/HelpTopics.h"
#include "app/help/HelpWindow.h"
#include "app/palettes/ColourPicker.h"
#include "app/panel/ControlPanel.h"
#include "app/panel/LayersPage.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QTest>
#include <QTextBrowser>
#include <QWhatsThis>

namespace gessoria::test {
namespace {

using app::Command;

class HelpTest : public QObject {
    Q_OBJECT
private slots:
    void HelpTopicsOpensAtThePageOfWhatHasTheFocus()
    {
        AppFixture f;
        QVERIFY(f.OpenSample());
        QAction* help = f.window->commands()[Command::HelpTopics];
        QVERIFY(help->isEnabled());
        QCOMPARE(help->shortcut(), QKeySequence(Qt::Key_F1));

        f.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        // The view has the focus: the tool in use.
        f.window->commands()[Command::FillTool]->trigger();
        f.view().setFocus();
        help->trigger();
        app::HelpWindow* window = f.window->helpWindow();
        QVERIFY(window != nullptr);
        QVERIFY(window->isVisible());
        QVERIFY(window->windowTitle().contains("Help"));
        QCOMPARE(window->currentTopic(), QString("fill.md"));
        QVERIFY(window->browser()->toPlainText().startsWith("Fill"));
        QCOMPARE(window->contents()->currentItem()->text(), QString("Fill"));
        KeepPicture(*window, "help-fill");

        f.window->commands()[Command::Rotate]->trigger();
        help->trigger();
        QCOMPARE(window->currentTopic(), QString("view.md"));
        f.window->commands()[Command::Rotate]->trigger();  // put down again

        // A control panel page with the focus: that page.
        f.window->commands()[Command::LayersWindow]->trigger();
        QWidget* page = f.window->controlPanel().page(app::PanelPage::Layers);
        QWidget* inPage = nullptr;
        for (QWidget* w : page->findChildren<QWidget*>())
            if ((w->focusPolicy() & Qt::TabFocus) != 0 && w->isVisible() && w->isEnabled()) {
                inPage = w;
                break;
            }
        QVERIFY(inPage != nullptr);
        inPage->setFocus();
        QCOMPARE(QApplication::focusWidget(), inPage);
        QCOMPARE(f.window->HelpTopicOfFocus(), QString("layers.md"));

        // The Colour Picker, a window of its own, with the focus in its hex field.
        f.window->commands()[Command::ColourPicker]->setChecked(true);
        app::ColourPicker& picker = f.window->colourPicker();
        picker.activateWindow();
        picker.hexField()->setFocus();
        // A tool window counts as active with its parent, so wait for the focus itself.
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(picker.hexField()));
        QCOMPARE(f.window->HelpTopicOfFocus(), QString("colour-picker.md"));
        help->trigger();
        QCOMPARE(window->currentTopic(), QString("colour-picker.md"));
        QVERIFY(window->browser()->toPlainText().startsWith("Colour Picker"));

        // A bitmap view window with the focus: the bitmap views' page.
        auto* layers = static_cast<app::LayersPage*>(f.window->controlPanel().ShowPage(app::PanelPage::Layers));
        layers->ChooseMapType(MapType::Colour);
        app::BitmapViewWindow* bitmapView = f.window->bitmapViews().Open(layers->materialIndex(), MapType::Colour, 0);
        QVERIFY(bitmapView != nullptr);
        bitmapView->activateWindow();
        QTRY_VERIFY(QApplication::focusWidget() != nullptr && QApplication::focusWidget()->window() == bitmapView);
        QCOMPARE(f.window->HelpTopicOfFocus(), QString("bitmap-views.md"));

        // A link followed inside the page moves the contents list along.
        window->browser()->setSource(QUrl("brush.md"));
        QCOMPARE(window->currentTopic(), QString("brush.md"));
        QCOMPARE(window->contents()->currentItem()->text(), QString("Brush"));
    }

    void WhatsThisTellsThePromptAndLinksToTheCommandsPage()
    {
        AppFixture f;
        for (int i = 0; i < static_cast<int>(Command::Count); ++i) {
            const auto id = static_cast<Command>(i);
            const QString text = f.window->commands()[id]->whatsThis();
            QVERIFY2(text.contains(app::CommandTable::StatusText(app::CommandTable::Info(id).prompt).toHtmlEscaped()),
                     qPrintable(text));
            const QString topic = app::HelpTopicOfCommand(id);
            QCOMPARE(text.contains(QString("href=\"%1\"").arg(topic)), !topic.isEmpty());
        }
        QCOMPARE(app::HelpTopicOfCommand(Command::EraserTool), QString("eraser.md"));
        // Clicking the link in a What's This text opens the help window at its page.
        QWhatsThisClickedEvent clicked("six-axis.md");
        QApplication::sendEvent(&f.view(), &clicked);
        QVERIFY(f.window->helpWindow() != nullptr && f.window->helpWindow()->isVisible());
        QCOMPARE(f.window->helpWindow()->currentTopic(), QString("six-axis.md"));
    }

    void KeyboardShortcutsListsEveryActionsKeys()
    {
        AppFixture f;
        f.window->commands()[Command::KeyboardShortcuts]->trigger();
        app::HelpWindow* window = f.window->helpWindow();
        QVERIFY(window != nullptr);
        QCOMPARE(window->currentTopic(), QString(app::HelpWindow::kShortcutsTopic));
        const QString page = window->browser()->toPlainText();
        int listed = 0;
        for (QAction* action : f.window->actions())
            for (const QKeySequence& key : action->shortcuts()) {
                QVERIFY2(page.contains(key.toString(QKeySequence::NativeText)), qPrintable(key.toString()));
                ++listed;
            }
        QVERIFY(listed > 30);
        KeepPicture(*window, "help-shortcuts");
        QVERIFY(page.contains("Redo"));
        QVERIFY(page.contains("Ctrl+A"));
        // A key given to a command later shows up too: the page is made from the actions.
        f.window->commands()[Command::TipOfTheDay]->setShortcut(QKeySequence("Ctrl+Shift+F9"));
        f.window->commands()[Command::KeyboardShortcuts]->trigger();
        QVERIFY(window->browser()->toPlainText().contains("Ctrl+Shift+F9"));
    }

    void TheManualHoldsEveryPageAndEveryLinkLeadsToOne()
    {
        const QDir manual(app::ManualDirectory());
        QVERIFY(manual.exists());
        QStringList topics;
        for (const app::HelpTopic& topic : app::HelpTopics())
            topics << topic.file;
        for (int i = 0; i < static_cast<int>(Command::Count); ++i) {
            const QString topic = app::HelpTopicOfCommand(static_cast<Command>(i));
            QVERIFY2(topic.isEmpty() || topics.contains(topic), qPrintable(topic));
        }
        for (int i = 0; i < static_cast<int>(app::PanelPage::Count); ++i)
            QVERIFY(topics.contains(app::HelpTopicOfPage(static_cast<app::PanelPage>(i))));
        const QRegularExpression link(R"(\]\(([^)#]+)\))");
        for (const QString& topic : topics) {
            QFile page(manual.filePath(topic));
            QVERIFY2(page.open(QIODevice::ReadOnly), qPrintable(topic));
            const QString text = QString::fromUtf8(page.readAll());
            QVERIFY2(text.startsWith("# "), qPrintable(topic));
            for (auto it = link.globalMatch(text); it.hasNext();) {
                const QString target = it.next().captured(1);
                QVERIFY2(topics.contains(target), qPrintable(topic + " links to " + target));
            }
        }
    }
};

} // namespace

QObject* MakeHelpTest()
{
    return new HelpTest;
}

} // namespace gessoria::test

#include "HelpTest.moc"
