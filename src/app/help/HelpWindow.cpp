#include "app/help/HelpWindow.h"

#include "app/help/HelpTopics.h"
#include "app/help/KeyboardShortcuts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QListWidget>
#include <QSplitter>
#include <QTextBrowser>
#include <QUrl>

namespace gessoria::app {

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(kTitle);
    setObjectName("HelpWindow");
    manual_ = ManualDirectory();
    auto* splitter = new QSplitter(this);
    contents_ = new QListWidget(splitter);
    for (const HelpTopic& topic : HelpTopics()) {
        auto* item = new QListWidgetItem(topic.title, contents_);
        item->setData(Qt::UserRole, QString(topic.file));
    }
    auto* shortcuts = new QListWidgetItem("Keyboard shortcuts (as set up now)", contents_);
    shortcuts->setData(Qt::UserRole, QString(kShortcutsTopic));
    browser_ = new QTextBrowser(splitter);
    browser_->setOpenLinks(true);
    // Pages of the manual open inside the window; web addresses open in the system browser.
    browser_->setOpenExternalLinks(true);
    if (!manual_.isEmpty())
        browser_->setSearchPaths({manual_});
    splitter->addWidget(contents_);
    splitter->addWidget(browser_);
    splitter->setStretchFactor(1, 1);
    // The contents list is as wide as its longest title, so none is cut.
    const int contentsWidth = contents_->sizeHintForColumn(0) + 2 * contents_->frameWidth() + 8;
    contents_->setMinimumWidth(contentsWidth);
    contents_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    splitter->setSizes({contentsWidth, 600});
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(splitter);
    resize(contentsWidth + 640, 620);

    connect(contents_, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { Open(item->data(Qt::UserRole).toString()); });
    connect(contents_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { Open(item->data(Qt::UserRole).toString()); });
    // A link followed inside a page moves the contents list's selection along.
    connect(browser_, &QTextBrowser::sourceChanged, this, [this](const QUrl& url) {
        const QString page = QFileInfo(url.path()).fileName();
        if (!page.isEmpty()) {
            current_ = page;
            SelectInContents(current_);
        }
    });
}

void HelpWindow::ShowTopic(const QString& topic)
{
    Open(topic);
    show();
    raise();
    activateWindow();
}

void HelpWindow::Open(const QString& topic)
{
    if (topic == kShortcutsTopic) {
        current_ = topic;
        browser_->setHtml(KeyboardShortcutsHtml(actions_));
        SelectInContents(topic);
        return;
    }
    if (manual_.isEmpty()) {
        current_.clear();
        const QString installed =
            QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../share/gessoria/manual");
        browser_->setHtml(QString("<h1>The manual was not found</h1><p>It is looked for in %1 and in %2.</p>")
                              .arg(installed.toHtmlEscaped(), QString(GESSORIA_MANUAL_SOURCE_DIR).toHtmlEscaped()));
        return;
    }
    QString file = topic;
    if (file.isEmpty() || !QFileInfo(QDir(manual_).filePath(file)).isFile())
        file = HelpTopics().front().file;
    current_ = file;
    browser_->setSource(QUrl::fromLocalFile(QDir(manual_).filePath(file)), QTextDocument::MarkdownResource);
    SelectInContents(file);
}

void HelpWindow::SelectInContents(const QString& topic)
{
    for (int row = 0; row < contents_->count(); ++row)
        if (contents_->item(row)->data(Qt::UserRole).toString() == topic) {
            const QSignalBlocker quiet(contents_);
            contents_->setCurrentRow(row);
            return;
        }
}

} // namespace gessoria::app
