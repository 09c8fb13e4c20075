#pragma once
// "Texturemap Size": the loaded maps of a material differ in size. The user takes the size
// of one map from the list or types X and Y, and chooses for every map type whether its map
// is scaled, tiled or placed once (decal), each explained in one line. The choice may be
// kept for the scene from now on.

#include "scene/UserInteraction.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QComboBox;
class QListWidget;
class QSpinBox;

namespace gessoria::app {

class TextureMapSizeDialog : public QDialog {
    Q_OBJECT
public:
    TextureMapSizeDialog(const TextureMapSizeRequest& request, QWidget* parent);
    TextureMapSizeAnswer answer() const;

private:
    QListWidget* maps_;
    QSpinBox* x_;
    QSpinBox* y_;
    std::array<QComboBox*, kMapTypeCount> fitting_{};
    QCheckBox* keep_;
};

} // namespace gessoria::app
