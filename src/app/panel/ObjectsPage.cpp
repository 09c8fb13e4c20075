#include "app/panel/ObjectsPage.h"

#include "app/Workspace.h"

#include <QGridLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace gessoria::app {

ObjectsPage::ObjectsPage(PanelContext context, QWidget* parent) : QWidget(parent), context_(std::move(context))
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    list_ = new QListWidget(this);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setToolTip("The scene's objects; choose one or more");
    column->addWidget(list_, 1);
    auto* grid = new QGridLayout;
    hide_ = new QPushButton("Hide", this);
    show_ = new QPushButton("Show", this);
    freeze_ = new QPushButton("Freeze", this);
    unfreeze_ = new QPushButton("UnFreeze", this);
    hide_->setToolTip("Neither draw nor paint the chosen objects");
    show_->setToolTip("Draw the chosen objects again");
    freeze_->setToolTip("Draw the chosen objects but keep paint off them");
    unfreeze_->setToolTip("Let the chosen objects take paint again");
    grid->addWidget(hide_, 0, 0);
    grid->addWidget(show_, 0, 1);
    grid->addWidget(freeze_, 1, 0);
    grid->addWidget(unfreeze_, 1, 1);
    column->addLayout(grid);
    connect(hide_, &QPushButton::clicked, this, [this] { SetOnChosen(kObjectHidden, true); });
    connect(show_, &QPushButton::clicked, this, [this] { SetOnChosen(kObjectHidden, false); });
    connect(freeze_, &QPushButton::clicked, this, [this] { SetOnChosen(kObjectFrozen, true); });
    connect(unfreeze_, &QPushButton::clicked, this, [this] { SetOnChosen(kObjectFrozen, false); });
}

void ObjectsPage::Refresh()
{
    const Scene& scene = context_.workspace.session.scene;
    QList<int> chosen;
    for (const QListWidgetItem* item : list_->selectedItems())
        chosen << item->data(Qt::UserRole).toInt();
    list_->clear();
    if (!scene.loaded())
        return;
    for (std::size_t i = 0; i < scene.objects.size(); ++i) {
        const SceneObject& object = scene.objects[i];
        QString text = QString::fromStdString(object.name);
        if (object.has(kObjectHidden))
            text += "  (hidden)";
        if (object.has(kObjectFrozen))
            text += "  (frozen)";
        auto* item = new QListWidgetItem(text, list_);
        item->setData(Qt::UserRole, static_cast<int>(i));
        item->setSelected(chosen.contains(static_cast<int>(i)));
    }
}

void ObjectsPage::SetOnChosen(SceneObjectFlag flag, bool on)
{
    Scene& scene = context_.workspace.session.scene;
    if (!scene.loaded())
        return;
    bool changed = false;
    for (const QListWidgetItem* item : list_->selectedItems()) {
        const auto index = static_cast<std::size_t>(item->data(Qt::UserRole).toInt());
        if (index < scene.objects.size() && scene.objects[index].has(flag) != on) {
            scene.objects[index].SetFlag(flag, on);
            changed = true;
        }
    }
    if (!changed)
        return;
    // A project keeps which objects are hidden and frozen.
    context_.workspace.session.changes.Mark();
    Refresh();
    context_.redrawScreen();
}

} // namespace gessoria::app
