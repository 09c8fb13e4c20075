#pragma once
// The small preference dialogs of the File menu: Pointer Shape ("Use Icon Cursors"),
// Pressure Sensitivity (for this run only) and Undo Preferences ("Use Undo" and the
// buffer's size in megabytes, "Meg", then how many minutes apart unsaved work is autosaved
// to a recovery project, 0 for never).

#include <QDialog>

class QCheckBox;
class QSlider;
class QSpinBox;

namespace gessoria::app {

// A preference that is on or off: an explanation and one check box.
class SwitchDialog : public QDialog {
    Q_OBJECT
public:
    SwitchDialog(const char* title, const char* explanation, const char* checkText, bool on, QWidget* parent);
    bool on() const;

private:
    QCheckBox* check_;
};

// Pointer Shape: "Use Icon Cursors".
SwitchDialog* MakePointerShapeDialog(bool iconCursors, QWidget* parent);
// Pressure Sensitivity, for this run only.
SwitchDialog* MakePressureSensitivityDialog(bool on, QWidget* parent);

class UndoPreferencesDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxMegabytes = 256;

    UndoPreferencesDialog(bool useUndo, int megabytes, int autosaveMinutes, QWidget* parent);
    bool useUndo() const;
    int megabytes() const;
    int autosaveMinutes() const;

private:
    QCheckBox* use_;
    QSlider* size_;
    QSpinBox* value_;
    QSpinBox* autosave_;
};

} // namespace gessoria::app
