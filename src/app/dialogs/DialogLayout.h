#pragma once
// Small helpers every dialog of the program lays itself out with.

#include <QDialogButtonBox>
#include <QSpinBox>

class QDialog;
class QLineEdit;

namespace gessoria::app {

// OK and Cancel, wired to accept and reject.
QDialogButtonBox* OkCancelButtons(QDialog* dialog);

// A library entry's Name and Notes show this many characters without scrolling.
constexpr int kReadableTextColumns = 36;
// Makes a text field wide enough for `characters` average characters of its font.
void ShowCharacters(QLineEdit* field, int characters);

// A spin box for a bitmap side: 1 .. 16384 pixels.
QSpinBox* SideSpinBox(int value, QWidget* parent);

} // namespace gessoria::app
