#include "app/panel/ProjectionControls.h"

#include "app/Workspace.h"
#include "paint/ProjectedFootprint.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QSpinBox>

#include <algorithm>

namespace gessoria::app {

ProjectionControls::ProjectionControls(const PanelContext& context, QWidget* parent)
    : QGroupBox("Paint What You See", parent), context_(context)
{
    auto* form = new QFormLayout(this);
    switch_ = new QCheckBox("Projection", this);
    switch_->setToolTip("Paint every visible surface under the brush, across seams, with a size on the screen");
    switch_->setWhatsThis("With Projection on, a dab covers a circle of the view and paints every texel you see "
                          "inside it, on every face and material, and dabs are laid all along the pointer's path. "
                          "With it off, each dab paints the brush's 31 x 31 texels around the texel under the pointer.");
    form->addRow(switch_);
    size_ = new QSpinBox(this);
    size_->setRange(ScreenDab::kMinDiameter, ScreenDab::kMaxDiameter);
    size_->setSuffix(" px");
    size_->setToolTip("The dab's diameter on the screen ([ and ] in the view)");
    form->addRow("Size:", size_);
    Preferences& preferences = context_.workspace.session.preferences;
    connect(switch_, &QCheckBox::toggled, this, [this, &preferences](bool on) {
        size_->setEnabled(on);
        if (showing_)
            return;
        preferences.projection = on ? 1 : 0;
        if (context_.projectionChanged)
            context_.projectionChanged();
    });
    connect(size_, &QSpinBox::valueChanged, this, [this, &preferences](int value) {
        if (showing_)
            return;
        preferences.projectionSize = value;
        if (context_.projectionChanged)
            context_.projectionChanged();
    });
    ShowPreferences();
}

void ProjectionControls::ShowPreferences()
{
    const Preferences& preferences = context_.workspace.session.preferences;
    showing_ = true;
    switch_->setChecked(preferences.projection != 0);
    size_->setValue(preferences.projectionSize);
    size_->setEnabled(preferences.projection != 0);
    showing_ = false;
}

int SteppedProjectionSize(int size, int direction)
{
    const int step = std::max(1, size / 10);
    return std::clamp(size + direction * step, ScreenDab::kMinDiameter, ScreenDab::kMaxDiameter);
}

} // namespace gessoria::app
