#pragma once
// "Bitmap Texture": asked for a material that has no bitmap at all — generate a bitmap of
// a chosen size from its diffuse colour, or render it with the diffuse colour alone.

#include "scene/UserInteraction.h"

#include <QDialog>

class QRadioButton;
class QSpinBox;

namespace gessoria::app {

class BitmapTextureDialog : public QDialog {
    Q_OBJECT
public:
    BitmapTextureDialog(const BitmapTextureRequest& request, QWidget* parent);
    BitmapTextureAnswer answer() const;

private:
    QRadioButton* generate_;
    QRadioButton* useDiffuse_;
    QSpinBox* x_;
    QSpinBox* y_;
};

} // namespace gessoria::app
