#include "app/dialogs/DialogLayout.h"

#include "scene/CDIB.h"

#include <QDialog>
#include <QLineEdit>

namespace gessoria::app {

QDialogButtonBox* OkCancelButtons(QDialog* dialog)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

void ShowCharacters(QLineEdit* field, int characters)
{
    // The frame and the text margins take about two characters more.
    field->setMinimumWidth(field->fontMetrics().averageCharWidth() * (characters + 2));
}

QSpinBox* SideSpinBox(int value, QWidget* parent)
{
    auto* box = new QSpinBox(parent);
    box->setRange(1, CDIB::kMaxDimension);
    box->setValue(std::clamp(value, 1, CDIB::kMaxDimension));
    box->setSuffix(" pixels");
    return box;
}

} // namespace gessoria::app
