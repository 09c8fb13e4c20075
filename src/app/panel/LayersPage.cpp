#include "app/panel/LayersPage.h"

#include "app/Workspace.h"
#include "paint/BitmapView.h"
#include "scene/LayerOperations.h"
#include "scene/UserInteraction.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

namespace gessoria::app {
namespace {

const char* TabToolTip(MapType type)
{
    switch (type) {
    case MapType::Colour: return "Colour";
    case MapType::SelfIllum: return "Self Illumination";
    case MapType::Bump: return "Bump";
    case MapType::Shininess: return "Shininess";
    case MapType::Opacity: return "Opacity";
    }
    return "";
}

// A small picture per map type: colour stripes, a glowing disc, a raised bevel, a
// highlight, a checkerboard seen through.
QIcon TabIcon(MapType type)
{
    QPixmap pixmap(30, 30);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box(3, 3, 24, 24);
    switch (type) {
    case MapType::Colour: {
        const QColor stripes[] = {QColor(220, 60, 50), QColor(240, 190, 40), QColor(60, 170, 80), QColor(50, 110, 210)};
        for (int i = 0; i < 4; ++i)
            p.fillRect(QRectF(3 + 6 * i, 3, 6, 24), stripes[i]);
        break;
    }
    case MapType::SelfIllum: {
        QRadialGradient glow(box.center(), 12);
        glow.setColorAt(0, QColor(255, 250, 200));
        glow.setColorAt(1, QColor(240, 170, 20));
        p.setBrush(glow);
        p.setPen(Qt::NoPen);
        p.drawEllipse(box);
        break;
    }
    case MapType::Bump: {
        QLinearGradient bevel(box.topLeft(), box.bottomRight());
        bevel.setColorAt(0, QColor(235, 235, 235));
        bevel.setColorAt(1, QColor(70, 70, 70));
        p.fillRect(box, bevel);
        p.fillRect(box.adjusted(5, 5, -5, -5), QColor(150, 150, 150));
        break;
    }
    case MapType::Shininess: {
        p.fillRect(box, QColor(90, 100, 120));
        QRadialGradient shine(QPointF(12, 11), 9);
        shine.setColorAt(0, Qt::white);
        shine.setColorAt(1, QColor(255, 255, 255, 0));
        p.fillRect(box, shine);
        break;
    }
    case MapType::Opacity:
        for (int row = 0; row < 4; ++row)
            for (int col = 0; col < 4; ++col)
                p.fillRect(QRectF(3 + 6 * col, 3 + 6 * row, 6, 6), (row + col) % 2 ? QColor(90, 90, 90) : QColor(230, 230, 230));
        break;
    }
    p.setPen(QPen(QColor(40, 40, 40), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(box);
    return QIcon(pixmap);
}

} // namespace

LayersPage::LayersPage(PanelContext context, QWidget* parent) : QWidget(parent), context_(std::move(context))
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    auto* materialRow = new QHBoxLayout;
    materialRow->addWidget(new QLabel("Material:", this));
    materials_ = new QComboBox(this);
    materials_->setToolTip("The material whose layers are listed");
    materialRow->addWidget(materials_, 1);
    column->addLayout(materialRow);

    tabs_ = new QTabBar(this);
    tabs_->setExpanding(true);
    tabs_->setIconSize(QSize(18, 18));
    for (int tab = 0; tab < kMapTypeCount; ++tab) {
        const MapType type = MapTypeFromPanelTab(tab);
        tabs_->addTab(TabIcon(type), QString());
        tabs_->setTabToolTip(tab, TabToolTip(type));
    }
    column->addWidget(tabs_);
    list_ = new QListWidget(this);
    list_->setToolTip("The layers of the chosen map type, highest first; the selected one takes the paint");
    column->addWidget(list_, 1);

    auto* buttons = new QGridLayout;
    buttons->setSpacing(3);
    new_ = new QPushButton("New", this);
    delete_ = new QPushButton("Delete", this);
    promote_ = new QPushButton("Promote", this);
    demote_ = new QPushButton("Demote", this);
    collapse_ = new QPushButton("Collapse All", this);
    view_ = new QPushButton("View", this);
    new_->setToolTip("Add a layer above the others");
    delete_->setToolTip("Delete the selected layer");
    promote_->setToolTip("Move the selected layer up one place");
    demote_->setToolTip("Move the selected layer down one place");
    collapse_->setToolTip("Merge every layer into the Base Layer");
    view_->setToolTip("Show the selected layer in a window of its own");
    buttons->addWidget(new_, 0, 0);
    buttons->addWidget(delete_, 0, 1);
    buttons->addWidget(promote_, 1, 0);
    buttons->addWidget(demote_, 1, 1);
    buttons->addWidget(collapse_, 2, 0);
    buttons->addWidget(view_, 2, 1);
    column->addLayout(buttons);
    currentOnly_ = new QCheckBox("Current Layer Only", this);
    currentOnly_->setToolTip("Show only the selected layer of this map type in the view");
    column->addWidget(currentOnly_);

    UserInteraction& ui = context_.ui;
    // Layer operations keep open bitmap views in step (and close those of moved layers).
    const auto views = [this] { return context_.workspace.session.scene.layerViews; };
    connect(materials_, &QComboBox::currentIndexChanged, this, [this] { if (!filling_) FillList(); });
    connect(tabs_, &QTabBar::currentChanged, this, [this] { if (!filling_) FillList(); });
    connect(new_, &QPushButton::clicked, this, [this, &ui] { Edit([&](Material& m, MapType t) { return NewLayer(m, t, ui); }); });
    connect(delete_, &QPushButton::clicked, this, [this, &ui, views] { Edit([&](Material& m, MapType t) { return DeleteLayer(m, t, ui, views()); }); });
    connect(promote_, &QPushButton::clicked, this, [this, &ui, views] { Edit([&](Material& m, MapType t) { return PromoteLayer(m, t, ui, views()); }); });
    connect(demote_, &QPushButton::clicked, this, [this, &ui, views] { Edit([&](Material& m, MapType t) { return DemoteLayer(m, t, ui, views()); }); });
    connect(collapse_, &QPushButton::clicked, this, [this, views] { Edit([&](Material& m, MapType t) { return CollapseAll(m, t, views()); }); });
    connect(view_, &QPushButton::clicked, this, &LayersPage::OpenView);
    connect(currentOnly_, &QCheckBox::toggled, this, [this, views](bool on) {
        if (!filling_)
            Edit([&](Material& m, MapType t) { return SetCurrentLayerOnly(m, t, on, views()); });
    });
    connect(list_, &QListWidget::currentRowChanged, this, [this, views](int row) {
        if (filling_ || row < 0)
            return;
        const int layer = list_->item(row)->data(Qt::UserRole).toInt();
        Edit([&](Material& m, MapType t) { return SelectLayer(m, t, layer, views()); });
    });
}

int LayersPage::materialIndex() const
{
    return materials_->currentIndex() < 0 ? -1 : materials_->currentData().toInt();
}

MapType LayersPage::mapType() const
{
    return MapTypeFromPanelTab(std::max(0, tabs_->currentIndex()));
}

void LayersPage::ChooseMaterial(int materialIndex)
{
    const int at = materials_->findData(materialIndex);
    if (at >= 0)
        materials_->setCurrentIndex(at);
}

void LayersPage::ChooseMapType(MapType type)
{
    tabs_->setCurrentIndex(PanelTabIndex(type));
}

Material* LayersPage::ChosenMaterial()
{
    Scene& scene = context_.workspace.session.scene;
    const int index = materialIndex();
    if (!scene.loaded() || index < 0 || index >= static_cast<int>(scene.materials.size()))
        return nullptr;
    return &scene.materials[static_cast<std::size_t>(index)];
}

void LayersPage::Refresh()
{
    // The material list follows the scene; the chosen material stays chosen when it still exists.
    Scene& scene = context_.workspace.session.scene;
    const int chosen = materialIndex();
    filling_ = true;
    materials_->clear();
    if (scene.loaded()) {
        int firstWithLayers = -1;
        for (std::size_t i = 0; i < scene.materials.size(); ++i) {
            const Material& m = scene.materials[i];
            if (i == 0 && m.hasLayers == 0)
                continue;  // the default material of faces without one, never painted
            materials_->addItem(QString::fromStdString(m.name), static_cast<int>(i));
            if (firstWithLayers < 0 && m.hasLayers != 0)
                firstWithLayers = static_cast<int>(i);
        }
        const int keep = materials_->findData(chosen);
        materials_->setCurrentIndex(keep >= 0 ? keep : std::max(0, materials_->findData(firstWithLayers)));
    }
    filling_ = false;
    FillList();
}

void LayersPage::FillList()
{
    filling_ = true;
    list_->clear();
    const Material* material = ChosenMaterial();
    const MapType type = mapType();
    const bool layers = material != nullptr && material->hasLayers != 0;
    if (layers) {
        for (const LayerListEntry& entry : LayerListEntries(*material, type)) {
            auto* item = new QListWidgetItem(QString::fromStdString(entry.name), list_);
            item->setData(Qt::UserRole, entry.layerIndex);
            if (entry.layerIndex == material->current(type))
                list_->setCurrentItem(item);
        }
        currentOnly_->setChecked(material->currentLayerOnly != 0);
    } else {
        currentOnly_->setChecked(false);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{list_, new_, delete_, promote_, demote_, collapse_, currentOnly_})
        w->setEnabled(layers);
    filling_ = false;
}

void LayersPage::OpenView()
{
    Material* material = ChosenMaterial();
    if (material == nullptr)
        return;
    if (material->hasLayers == 0) {
        context_.ui.Tell(kNoLayersMessage);
        return;
    }
    if (context_.openBitmapView)
        context_.openBitmapView(materialIndex(), mapType(), material->current(mapType()));
}

template <typename Operation>
void LayersPage::Edit(Operation operation)
{
    Material* material = ChosenMaterial();
    if (material == nullptr || material->hasLayers == 0)
        return;
    if (operation(*material, mapType()) != LayerEdit::Changed) {
        FillList();  // a refusal leaves the list as the engine has it
        return;
    }
    context_.workspace.session.changes.Mark();
    FillList();
    context_.redrawScreen();
}

} // namespace gessoria::app
