#include "app/palettes/LibraryPalette.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace gessoria::app {

LibraryPalette::LibraryPalette(const QString& title, const QString& noun, QWidget* parent)
    : QWidget(parent, Qt::Tool)
{
    setWindowTitle(title);
    auto* column = new QVBoxLayout(this);
    list_ = new QListWidget(this);
    list_->setIconSize(QSize(31, 31));
    list_->setToolTip(QString("Click %1 to use it; double-click to edit it").arg(noun));
    column->addWidget(list_, 1);
    auto* row = new QHBoxLayout;
    auto* edit = new QPushButton("Edit...", this);
    auto* add = new QPushButton("New", this);
    auto* remove = new QPushButton("Delete", this);
    edit->setToolTip("Edit the current one's settings");
    add->setToolTip("Make a new one");
    remove->setToolTip("Delete the chosen one");
    row->addWidget(edit);
    row->addWidget(add);
    row->addWidget(remove);
    column->addLayout(row);
    resize(240, 360);

    connect(list_, &QListWidget::currentRowChanged, this, [this](int index) {
        if (filling_ || index < 0)
            return;
        SelectEntry(index);
        Refresh();  // a selection can fail (a bitmap paint that cannot load) and leave another current
        emit libraryChanged();
    });
    connect(list_, &QListWidget::itemDoubleClicked, this, &LibraryPalette::EditCurrent);
    connect(edit, &QPushButton::clicked, this, &LibraryPalette::EditCurrent);
    connect(add, &QPushButton::clicked, this, &LibraryPalette::NewEntry);
    connect(remove, &QPushButton::clicked, this, &LibraryPalette::DeleteChosen);
}

void LibraryPalette::showEvent(QShowEvent* event)
{
    Refresh();
    QWidget::showEvent(event);
}

void LibraryPalette::Refresh()
{
    filling_ = true;
    list_->clear();
    for (int i = 0; i < EntryCount(); ++i)
        list_->addItem(new QListWidgetItem(EntryIcon(i), EntryName(i)));
    list_->setCurrentRow(CurrentEntry());
    filling_ = false;
}

void LibraryPalette::EditCurrent()
{
    RunSettings();
    Refresh();
    emit libraryChanged();
}

void LibraryPalette::NewEntry()
{
    if (AppendScratch())
        EditCurrent();
}

void LibraryPalette::DeleteChosen()
{
    if (DeleteEntry(list_->currentRow())) {
        Refresh();
        emit libraryChanged();
    }
}

} // namespace gessoria::app
