#include "app/dialogs/DialogLayout.h"

#include "scene/CDIB.h"

#include <QDialog>

namespace gessoria::app {

QDialogButtonBox* OkCancelButtons(QDialog* dialog)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
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
