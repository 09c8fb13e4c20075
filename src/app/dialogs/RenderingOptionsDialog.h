#pragma once
// "Rendering Options": the Static and Move render levels, "Render Two Sided", "Light Both
// Sides Of Object" and the wire frame's "Acceleration:" (1..50).

#include "view3d/RenderSettings.h"

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QSpinBox;

namespace gessoria::app {

class RenderingOptionsDialog : public QDialog {
    Q_OBJECT
public:
    RenderingOptionsDialog(const RenderingOptionsAnswer& current, QWidget* parent);
    RenderingOptionsAnswer answer() const;

private:
    QButtonGroup* staticLevel_;
    QButtonGroup* moveLevel_;
    QCheckBox* twoSided_;
    QCheckBox* bothSides_;
    QSpinBox* acceleration_;
};

} // namespace gessoria::app
