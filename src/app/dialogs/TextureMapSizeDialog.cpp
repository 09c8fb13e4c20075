#include "app/dialogs/TextureMapSizeDialog.h"

#include "app/dialogs/DialogLayout.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace gessoria::app {
namespace {

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
        box->addItems({"Scale", "Tile", "Decal"});
        fitting_[static_cast<std::size_t>(t)] = box;
        form->addRow(kTypeLabels[static_cast<std::size_t>(t)], box);
    }
    layout->addWidget(fit);
    layout->addWidget(OkCancelButtons(this));
}

TextureMapSizeAnswer TextureMapSizeDialog::answer() const
{
    TextureMapSizeAnswer a;
    a.x = x_->value();
    a.y = y_->value();
    for (std::size_t t = 0; t < fitting_.size(); ++t)
        a.fitting[t] = static_cast<MapFitting>(fitting_[t]->currentIndex());
    return a;
}

} // namespace gessoria::app
