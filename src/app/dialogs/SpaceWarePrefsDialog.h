#pragma once
// SpaceWare Prefs: the six-axis controller's settings. It says whether a controller was
// found, and edits the sensitivity (0.1 to 10), the inversion of each of the six axes, Single
// Axis, and what each of the first three buttons does ("Reset To Front", "Zoom Extents",
// "Toggle Single Axis" or nothing). The settings are edited on a copy, handed back by
// settings() after OK.

#include "view3d/SixAxisNavigation.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;

namespace gessoria::app {

class SpaceWarePrefsDialog : public QDialog {
    Q_OBJECT
public:
    SpaceWarePrefsDialog(const SixAxisSettings& settings, const QString& deviceStatus, QWidget* parent);

    SixAxisSettings settings() const;
    QLabel* deviceLabel() const { return device_; }
    QDoubleSpinBox* sensitivity() const { return sensitivity_; }
    QCheckBox* invert(int axis) const { return invert_[static_cast<std::size_t>(axis)]; }
    QCheckBox* singleAxis() const { return singleAxis_; }
    QComboBox* button(int index) const { return buttons_[static_cast<std::size_t>(index)]; }

private:
    QLabel* device_;
    QDoubleSpinBox* sensitivity_;
    std::array<QCheckBox*, 6> invert_{};
    QCheckBox* singleAxis_;
    std::array<QComboBox*, SixAxisSettings::kButtons> buttons_{};
};

} // namespace gessoria::app
