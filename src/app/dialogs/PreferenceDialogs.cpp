#include "app/dialogs/PreferenceDialogs.h"

#include "app/dialogs/DialogLayout.h"

#include <QCheckBox>
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

PointerShapeDialog::PointerShapeDialog(bool iconCursors, QWidget* parent) : QDialog(parent)
{
    QVBoxLayout* layout = Explained(this, "Pointer Shape",
                                    "Icon cursors show a picture of the tool in use; without them every tool shows a "
                                    "precise crosshair.");
    icons_ = new QCheckBox("Use Icon Cursors", this);
    icons_->setChecked(iconCursors);
    layout->addWidget(icons_);
    layout->addWidget(OkCancelButtons(this));
}

bool PointerShapeDialog::iconCursors() const
{
    return icons_->isChecked();
}

PressureSensitivityDialog::PressureSensitivityDialog(bool on, QWidget* parent) : QDialog(parent)
{
    QVBoxLayout* layout = Explained(this, "Pressure Sensitivity",
                                    "For toggling pressure sensitivity when you have a pressure sensitive tablet. "
                                    "With it on, pressing harder paints stronger. The setting lasts until the "
                                    "program ends.");
    on_ = new QCheckBox("Use Pressure Sensitivity", this);
    on_->setChecked(on);
    layout->addWidget(on_);
    layout->addWidget(OkCancelButtons(this));
}

bool PressureSensitivityDialog::pressureOn() const
{
    return on_->isChecked();
}

UndoPreferencesDialog::UndoPreferencesDialog(bool useUndo, int megabytes, QWidget* parent) : QDialog(parent)
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
    row->addWidget(size_, 1);
    row->addWidget(value_);
    layout->addLayout(row);
    connect(size_, &QSlider::valueChanged, value_, &QSpinBox::setValue);
    connect(value_, &QSpinBox::valueChanged, size_, &QSlider::setValue);
    connect(use_, &QCheckBox::toggled, size_, &QWidget::setEnabled);
    connect(use_, &QCheckBox::toggled, value_, &QWidget::setEnabled);
    size_->setEnabled(useUndo);
    value_->setEnabled(useUndo);
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

} // namespace gessoria::app
