#pragma once
// The small preference dialogs of the File menu: Pointer Shape ("Use Icon Cursors"),
// Pressure Sensitivity (for this run only) and Undo Preferences ("Use Undo" and the
// buffer's size in megabytes, "Meg").

#include <QDialog>

class QCheckBox;
class QSlider;
class QSpinBox;

namespace gessoria::app {

class PointerShapeDialog : public QDialog {
    Q_OBJECT
public:
    PointerShapeDialog(bool iconCursors, QWidget* parent);
    bool iconCursors() const;

private:
    QCheckBox* icons_;
};

class PressureSensitivityDialog : public QDialog {
    Q_OBJECT
public:
    PressureSensitivityDialog(bool on, QWidget* parent);
    bool pressureOn() const;

private:
    QCheckBox* on_;
};

class UndoPreferencesDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxMegabytes = 256;

    UndoPreferencesDialog(bool useUndo, int megabytes, QWidget* parent);
    bool useUndo() const;
    int megabytes() const;

private:
    QCheckBox* use_;
    QSlider* size_;
    QSpinBox* value_;
};

} // namespace gessoria::app
