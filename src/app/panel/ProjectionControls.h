#pragma once
// ProjectionControls: the "Projection" switch and the projected dab's "Size" on the Brush
// and Eraser pages. Both are preferences (kept in the INI file): with the switch on, the
// Brush and the Eraser paint what the view shows, a dab of Size screen pixels across,
// instead of a dab of the brush's 31 texels laid in texture space.

#include "app/panel/PanelContext.h"

#include <QGroupBox>

class QCheckBox;
class QSpinBox;

namespace gessoria::app {

class ProjectionControls : public QGroupBox {
    Q_OBJECT
public:
    ProjectionControls(const PanelContext& context, QWidget* parent);
    // Shows the preferences as they are now ("[" and "]" change the size from the view).
    void ShowPreferences();

    QCheckBox* projectionSwitch() const { return switch_; }
    QSpinBox* sizeBox() const { return size_; }

private:
    PanelContext context_;
    QCheckBox* switch_;
    QSpinBox* size_;
    bool showing_ = false;
};

// The size "[" (direction -1) or "]" (+1) leads to: a tenth of it, at least a pixel, within
// the allowed diameters.
int SteppedProjectionSize(int size, int direction);

} // namespace gessoria::app
