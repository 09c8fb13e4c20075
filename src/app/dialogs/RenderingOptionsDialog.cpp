#include "app/dialogs/RenderingOptionsDialog.h"

#include "app/dialogs/DialogLayout.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

namespace gessoria::app {
namespace {

QGroupBox* LevelGroup(const char* title, int level, QButtonGroup*& group, QWidget* parent)
{
    auto* box = new QGroupBox(title, parent);
    auto* layout = new QVBoxLayout(box);
    group = new QButtonGroup(box);
    for (int l = 0; l <= 4; ++l) {
        auto* button = new QRadioButton(RenderLevelLabel(l), box);
        group->addButton(button, l);
        layout->addWidget(button);
    }
    // A stored level above 4 draws as Flat Shaded.
    group->button(level >= 0 && level <= 4 ? level : 1)->setChecked(true);
    return box;
}

} // namespace

RenderingOptionsDialog::RenderingOptionsDialog(const RenderingOptionsAnswer& current, QWidget* parent) : QDialog(parent)
{
    setWindowTitle("Rendering Options");
    auto* layout = new QVBoxLayout(this);
    auto* levels = new QHBoxLayout;
    levels->addWidget(LevelGroup("Static", current.staticLevel, staticLevel_, this));
    levels->addWidget(LevelGroup("Move", current.moveLevel, moveLevel_, this));
    layout->addLayout(levels);

    twoSided_ = new QCheckBox("Render Two Sided", this);
    twoSided_->setChecked(current.renderTwoSided);
    bothSides_ = new QCheckBox("Light Both Sides Of Object", this);
    bothSides_->setChecked(current.lightBothSides);
    layout->addWidget(twoSided_);
    layout->addWidget(bothSides_);

    auto* wire = new QGroupBox("Wireframe Draw Speed", this);
    auto* form = new QFormLayout(wire);
    acceleration_ = new QSpinBox(wire);
    acceleration_->setRange(1, 50);
    acceleration_->setValue(std::clamp(current.acceleration, 1, 50));
    acceleration_->setToolTip("The wire frame draws every N-th face only");
    form->addRow("Acceleration:", acceleration_);
    layout->addWidget(wire);
    layout->addWidget(OkCancelButtons(this));
}

RenderingOptionsAnswer RenderingOptionsDialog::answer() const
{
    return {staticLevel_->checkedId(), moveLevel_->checkedId(), twoSided_->isChecked(), bothSides_->isChecked(),
            acceleration_->value()};
}

} // namespace gessoria::app
