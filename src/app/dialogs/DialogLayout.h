#pragma once
// Small helpers every dialog of the program lays itself out with.

#include <QDialogButtonBox>
#include <QSpinBox>

class QDialog;

namespace gessoria::app {

// OK and Cancel, wired to accept and reject.
QDialogButtonBox* OkCancelButtons(QDialog* dialog);

// A spin box for a bitmap side: 1 .. 16384 pixels.
QSpinBox* SideSpinBox(int value, QWidget* parent);

} // namespace gessoria::app
