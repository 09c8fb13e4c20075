#include "app/panel/BookmarksPage.h"

#include "app/Workspace.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace gessoria::app {

BookmarksPage::BookmarksPage(PanelContext context, QWidget* parent) : QWidget(parent), context_(std::move(context))
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    auto* hint = new QLabel("Double-click a bookmark to view the scene from it.", this);
    hint->setWordWrap(true);
    column->addWidget(hint);
    list_ = new QListWidget(this);
    column->addWidget(list_, 1);
    auto* row = new QHBoxLayout;
    new_ = new QPushButton("New", this);
    delete_ = new QPushButton("Delete", this);
    new_->setToolTip("Keep the current view under a name");
    delete_->setToolTip("Delete the selected bookmark");
    row->addWidget(new_);
    row->addWidget(delete_);
    column->addLayout(row);

    connect(new_, &QPushButton::clicked, this, [this] {
        Scene& scene = context_.workspace.session.scene;
        if (scene.bookmarks.New(scene.camera, context_.ui)) {
            // A project keeps its bookmarks.
            context_.workspace.session.changes.Mark();
            Refresh();
            list_->setCurrentRow(list_->count() - 1);
        }
    });
    connect(delete_, &QPushButton::clicked, this, [this] {
        Scene& scene = context_.workspace.session.scene;
        const int chosen = list_->selectedItems().isEmpty() ? -1 : list_->currentRow();
        if (scene.bookmarks.Delete(chosen, context_.ui)) {
            context_.workspace.session.changes.Mark();
            Refresh();
        }
    });
    connect(list_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) { GoTo(list_->row(item)); });
}

void BookmarksPage::Refresh()
{
    list_->clear();
    for (const ViewBookmark& bookmark : context_.workspace.session.scene.bookmarks.entries())
        list_->addItem(QString::fromStdString(bookmark.name));
}

void BookmarksPage::GoTo(int index)
{
    Scene& scene = context_.workspace.session.scene;
    if (scene.bookmarks.GoTo(index, scene.camera))
        context_.render();
}

} // namespace gessoria::app
