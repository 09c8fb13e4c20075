#include "app/dialogs/MapPathsDialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace gessoria::app {

MapPathsDialog::MapPathsDialog(const MapPathList& list, UserInteraction& ui, QWidget* parent)
    : QDialog(parent), model_(list), ui_(ui)
{
    setWindowTitle("Map Paths");
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel("Directories searched for the bitmaps a scene names, in order:", this), 0, 0, 1, 2);
    edit_ = new QLineEdit(this);
    edit_->setPlaceholderText("Type a directory and press Add New");
    grid->addWidget(edit_, 1, 0);
    list_ = new QListWidget(this);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list_->setMinimumSize(380, 200);
    grid->addWidget(list_, 2, 0, 4, 1);

    auto* addNew = new QPushButton("&Add New", this);
    auto* browse = new QPushButton("&Browse", this);
    auto* remove = new QPushButton("&Delete", this);
    auto* ok = new QPushButton("&OK", this);
    auto* cancel = new QPushButton("Cancel", this);
    addNew->setAutoDefault(false);
    ok->setDefault(true);
    grid->addWidget(addNew, 1, 1);
    grid->addWidget(browse, 2, 1);
    grid->addWidget(remove, 3, 1, Qt::AlignTop);
    auto* closing = new QVBoxLayout;
    closing->addWidget(ok);
    closing->addWidget(cancel);
    grid->addLayout(closing, 5, 1, Qt::AlignBottom);
    grid->setRowStretch(4, 1);

    connect(addNew, &QPushButton::clicked, this, &MapPathsDialog::AddNew);
    connect(edit_, &QLineEdit::returnPressed, this, &MapPathsDialog::AddNew);
    connect(browse, &QPushButton::clicked, this, &MapPathsDialog::Browse);
    connect(remove, &QPushButton::clicked, this, &MapPathsDialog::DeleteSelected);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    Refill();
}

void MapPathsDialog::AddNew()
{
    if (model_.Add(edit_->text().toStdString(), ui_))
        edit_->clear();
    Refill();
}

void MapPathsDialog::Browse()
{
    model_.Browse(ui_);
    Refill();
}

void MapPathsDialog::DeleteSelected()
{
    model_.Delete(list_->currentRow());
    Refill();
}

void MapPathsDialog::Refill()
{
    list_->clear();
    for (const std::string& entry : model_.entries())
        list_->addItem(QString::fromStdString(entry));
}

} // namespace gessoria::app
