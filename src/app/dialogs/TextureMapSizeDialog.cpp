#include "app/dialogs/TextureMapSizeDialog.h"

#include "app/dialogs/DialogLayout.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace gessoria::app {
namespace {

// The three fittings in the order of MapFitting, each with what it does to a map.
struct Fitting {
    const char* name;
    const char* explanation;
};
constexpr std::array<Fitting, 3> kFittings{{
    {"Scale", "stretches the map over the whole texture."},
    {"Tile", "repeats the map at its own size from the top-left corner."},
    {"Decal", "places the map once at its own size, in the middle."},
}};

constexpr std::array<const char*, kMapTypeCount> kTypeLabels{"Colour:", "Bump:", "Opacity:", "Self Illumination:",
                                                              "Shininess:"};

} // namespace

TextureMapSizeDialog::TextureMapSizeDialog(const TextureMapSizeRequest& request, QWidget* parent) : QDialog(parent)
{
    setWindowTitle("Texturemap Size");
    auto* layout = new QVBoxLayout(this);
    if (!request.materialName.empty())
        layout->addWidget(new QLabel("Material: " + QString::fromStdString(request.materialName), this));
    layout->addWidget(new QLabel("Choose bitmap for default size,  or enter x and y size below", this));

    maps_ = new QListWidget(this);
    for (const auto& map : request.maps) {
        auto* item = new QListWidgetItem(
            QString("%1  (%2 x %3)").arg(QString::fromStdString(map.fileName)).arg(map.width).arg(map.height), maps_);
        item->setData(Qt::UserRole, QSize(map.width, map.height));
    }
    maps_->setMaximumHeight(110);
    layout->addWidget(maps_);

    auto* sizeRow = new QHBoxLayout;
    x_ = SideSpinBox(request.x, this);
    y_ = SideSpinBox(request.y, this);
    sizeRow->addWidget(new QLabel("X:", this));
    sizeRow->addWidget(x_);
    sizeRow->addSpacing(12);
    sizeRow->addWidget(new QLabel("Y:", this));
    sizeRow->addWidget(y_);
    layout->addLayout(sizeRow);
    connect(maps_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (!item)
            return;
        const QSize size = item->data(Qt::UserRole).toSize();
        x_->setValue(size.width());
        y_->setValue(size.height());
    });

    auto* fit = new QGroupBox("Fit each map type by", this);
    auto* form = new QFormLayout(fit);
    for (int t = 0; t < kMapTypeCount; ++t) {
        auto* box = new QComboBox(fit);
        for (const Fitting& f : kFittings)
            box->addItem(f.name);
        for (int i = 0; i < box->count(); ++i)
            box->setItemData(i, kFittings[static_cast<std::size_t>(i)].explanation, Qt::ToolTipRole);
        box->setCurrentIndex(static_cast<int>(request.fitting[static_cast<std::size_t>(t)]));
        fitting_[static_cast<std::size_t>(t)] = box;
        form->addRow(kTypeLabels[static_cast<std::size_t>(t)], box);
    }
    auto* explanations = new QVBoxLayout;
    for (const Fitting& f : kFittings) {
        // One line each: the dialog grows to fit them.
        auto* line = new QLabel(QString("<b>%1</b>: %2").arg(f.name, f.explanation), fit);
        explanations->addWidget(line);
    }
    form->addRow(explanations);
    layout->addWidget(fit);
    keep_ = new QCheckBox("Use this choice for this scene from now on", this);
    keep_->setToolTip("Opening this scene again takes this size and fitting without asking");
    layout->addWidget(keep_);
    layout->addWidget(OkCancelButtons(this));
}

TextureMapSizeAnswer TextureMapSizeDialog::answer() const
{
    TextureMapSizeAnswer a;
    a.x = x_->value();
    a.y = y_->value();
    for (std::size_t t = 0; t < fitting_.size(); ++t)
        a.fitting[t] = static_cast<MapFitting>(fitting_[t]->currentIndex());
    a.keep = keep_->isChecked();
    return a;
}

} // namespace gessoria::app
