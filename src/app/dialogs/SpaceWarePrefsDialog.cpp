#include "app/dialogs/SpaceWarePrefsDialog.h"

#include "app/dialogs/DialogLayout.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

namespace gessoria::app {
namespace {

// The combo boxes list the actions in SixAxisButtonAction's order.
constexpr const char* kActions[] = {"Nothing", "Reset To Front", "Zoom Extents", "Toggle Single Axis"};
constexpr const char* kAxes[] = {"Pan left/right (X)", "Pan up/down (Y)", "Zoom (Z)",
                                 "Tilt (about X)",     "Turn (about Y)",  "Roll (about Z)"};

} // namespace

SpaceWarePrefsDialog::SpaceWarePrefsDialog(const SixAxisSettings& settings, const QString& deviceStatus,
                                           QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle("SpaceWare Prefs");
    auto* layout = new QVBoxLayout(this);
    device_ = new QLabel(deviceStatus, this);
    device_->setWordWrap(true);
    device_->setMinimumWidth(360);
    layout->addWidget(device_);

    auto* form = new QFormLayout;
    sensitivity_ = new QDoubleSpinBox(this);
    sensitivity_->setRange(0.1, 10.0);
    sensitivity_->setSingleStep(0.1);
    sensitivity_->setDecimals(1);
    sensitivity_->setValue(settings.sensitivity);
    sensitivity_->setToolTip("How far the view moves for a push or twist of the controller");
    form->addRow("&Sensitivity:", sensitivity_);
    layout->addLayout(form);

    auto* axes = new QGroupBox("Invert", this);
    auto* grid = new QGridLayout(axes);
    for (std::size_t i = 0; i < invert_.size(); ++i) {
        invert_[i] = new QCheckBox(kAxes[i], axes);
        invert_[i]->setChecked(settings.invert[i]);
        grid->addWidget(invert_[i], static_cast<int>(i % 3), static_cast<int>(i / 3));
    }
    layout->addWidget(axes);
    singleAxis_ = new QCheckBox("Single &Axis: only the strongest movement counts", this);
    singleAxis_->setChecked(settings.singleAxis);
    layout->addWidget(singleAxis_);

    auto* buttons = new QGroupBox("Buttons", this);
    auto* buttonForm = new QFormLayout(buttons);
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        buttons_[i] = new QComboBox(buttons);
        for (const char* action : kActions)
            buttons_[i]->addItem(action);
        buttons_[i]->setCurrentIndex(static_cast<int>(settings.buttons[i]));
        buttonForm->addRow(QString("Button %1:").arg(i + 1), buttons_[i]);
    }
    layout->addWidget(buttons);
    layout->addWidget(OkCancelButtons(this));
}

SixAxisSettings SpaceWarePrefsDialog::settings() const
{
    SixAxisSettings s;
    s.sensitivity = static_cast<float>(sensitivity_->value());
    for (std::size_t i = 0; i < invert_.size(); ++i)
        s.invert[i] = invert_[i]->isChecked();
    s.singleAxis = singleAxis_->isChecked();
    for (std::size_t i = 0; i < buttons_.size(); ++i)
        s.buttons[i] = static_cast<SixAxisButtonAction>(buttons_[i]->currentIndex());
    return s;
}

} // namespace gessoria::app
