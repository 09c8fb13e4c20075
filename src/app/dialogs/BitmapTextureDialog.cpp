#include "app/dialogs/BitmapTextureDialog.h"

#include "app/dialogs/DialogLayout.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace gessoria::app {

BitmapTextureDialog::BitmapTextureDialog(const BitmapTextureRequest& request, QWidget* parent) : QDialog(parent)
{
    setWindowTitle("Bitmap Texture");
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel("This material has no bitmap associated with it.", this);
    layout->addWidget(text);
    if (!request.materialName.empty())
        layout->addWidget(new QLabel("Material: " + QString::fromStdString(request.materialName), this));

    generate_ = new QRadioButton("Generate a bitmap from diffuse colour", this);
    useDiffuse_ = new QRadioButton("Use the diffuse colour for rendering", this);
    generate_->setChecked(true);
    layout->addWidget(generate_);
    layout->addWidget(useDiffuse_);

    auto* size = new QGroupBox("Bitmap size", this);
    auto* form = new QFormLayout(size);
    x_ = SideSpinBox(request.x < 0 ? -request.x : request.x, size);
    y_ = SideSpinBox(request.y < 0 ? -request.y : request.y, size);
    form->addRow("X:", x_);
    form->addRow("Y:", y_);
    layout->addWidget(size);
    // The size means nothing when the diffuse colour is used for rendering.
    connect(generate_, &QRadioButton::toggled, size, &QWidget::setEnabled);
    layout->addWidget(OkCancelButtons(this));
}

BitmapTextureAnswer BitmapTextureDialog::answer() const
{
    BitmapTextureAnswer a;
    a.choice = generate_->isChecked() ? BitmapTextureChoice::GenerateFromDiffuse : BitmapTextureChoice::UseDiffuseForRendering;
    a.x = x_->value();
    a.y = y_->value();
    return a;
}

} // namespace gessoria::app
