#include "app/dialogs/PreferenceDialogs.h"

#include "app/dialogs/DialogLayout.h"
#include "session/Preferences.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

namespace gessoria::app {
namespace {

QVBoxLayout* Explained(QDialog* dialog, const char* title, const char* explanation)
{
    dialog->setWindowTitle(title);
    auto* layout = new QVBoxLayout(dialog);
    auto* text = new QLabel(explanation, dialog);
    text->setWordWrap(true);
    text->setMinimumWidth(320);
    layout->addWidget(text);
    return layout;
}

} // namespace

SwitchDialog::SwitchDialog(const char* title, const char* explanation, const char* checkText, bool on, QWidget* parent)
    : QDialog(parent)
{
    QVBoxLayout* layout = Explained(this, title, explanation);
    check_ = new QCheckBox(checkText, this);
    check_->setChecked(on);
    layout->addWidget(check_);
    layout->addWidget(OkCancelButtons(this));
}

bool SwitchDialog::on() const
{
    return check_->isChecked();
}

SwitchDialog* MakePointerShapeDialog(bool iconCursors, QWidget* parent)
{
    return new SwitchDialog("Pointer Shape",
                            "Icon cursors show a picture of the tool in use; without them every tool shows a precise "
                            "crosshair.",
                            "Use Icon Cursors", iconCursors, parent);
}

SwitchDialog* MakePressureSensitivityDialog(bool on, QWidget* parent)
{
    return new SwitchDialog("Pressure Sensitivity",
                            "For toggling pressure sensitivity when you have a pressure sensitive tablet. With it on, "
                            "pressing harder paints stronger. The setting lasts until the program ends.",
                            "Use Pressure Sensitivity", on, parent);
}

UndoPreferencesDialog::UndoPreferencesDialog(bool useUndo, int megabytes, int autosaveMinutes, QWidget* parent)
    : QDialog(parent)
{
    QVBoxLayout* layout = Explained(this, "Undo Preferences",
                                    "Every dab is kept in the undo buffer so that it can be taken back; a larger "
                                    "buffer keeps more of them.");
    use_ = new QCheckBox("Use Undo", this);
    use_->setChecked(useUndo);
    layout->addWidget(use_);
    auto* row = new QHBoxLayout;
    size_ = new QSlider(Qt::Horizontal, this);
    size_->setRange(1, kMaxMegabytes);
    value_ = new QSpinBox(this);
    value_->setRange(1, kMaxMegabytes);
    value_->setSuffix(" Meg");
    size_->setValue(std::clamp(megabytes, 1, kMaxMegabytes));
    value_->setValue(size_->value());
    auto* label = new QLabel("Buffer &Size:", this);
    label->setBuddy(value_);
    row->addWidget(label);
    row->addWidget(size_, 1);
    row->addWidget(value_);
    layout->addLayout(row);
    connect(size_, &QSlider::valueChanged, value_, &QSpinBox::setValue);
    connect(value_, &QSpinBox::valueChanged, size_, &QSlider::setValue);
    connect(use_, &QCheckBox::toggled, size_, &QWidget::setEnabled);
    connect(use_, &QCheckBox::toggled, value_, &QWidget::setEnabled);
    size_->setEnabled(useUndo);
    value_->setEnabled(useUndo);

    // Autosave belongs with undo: both keep work from being lost.
    auto* autosave = new QGroupBox("Autosave", this);
    auto* autosaveLayout = new QVBoxLayout(autosave);
    auto* explanation = new QLabel("While there are unsaved changes, the work is written to a recovery project every "
                                   "few minutes and offered at the next start if the program did not close normally.",
                                   autosave);
    explanation->setWordWrap(true);
    autosaveLayout->addWidget(explanation);
    auto* every = new QHBoxLayout;
    auto* everyLabel = new QLabel("Autosave &every:", autosave);
    autosave_ = new QSpinBox(autosave);
    autosave_->setRange(0, Preferences::kMaxAutosaveMinutes);
    autosave_->setSuffix(" minutes");
    autosave_->setSpecialValueText("Off");
    autosave_->setValue(std::clamp(autosaveMinutes, 0, Preferences::kMaxAutosaveMinutes));
    autosave_->setToolTip("0 turns autosave off");
    everyLabel->setBuddy(autosave_);
    every->addWidget(everyLabel);
    every->addWidget(autosave_);
    every->addStretch(1);
    autosaveLayout->addLayout(every);
    layout->addWidget(autosave);
    layout->addWidget(OkCancelButtons(this));
}

bool UndoPreferencesDialog::useUndo() const
{
    return use_->isChecked();
}

int UndoPreferencesDialog::megabytes() const
{
    return value_->value();
}

int UndoPreferencesDialog::autosaveMinutes() const
{
    return autosave_->value();
}

} // namespace gessoria::app
