#pragma once
// PaintSettingsDialog: the paint editor for the current paint — name and notes, the kind of
// paint (the ordinary paint, the special paints and "Bitmap Paint") with its description and
// the label of its slider, the map types it writes, dirtiness, wetness, "Normal" / "Wash" /
// "Highlight" with the AOE level, and for a bitmap paint its six images (each with a "Use"
// switch and a file chooser), tiling, tile sequence and "Alpha From Top Left". OK hands the
// values to the paint table's accept; "Save To Scene" to its save-to-scene flow.

#include "paint/Paint.h"
#include "paint/PaintTable.h"

#include <QDialog>

#include <array>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QSlider;
class QSpinBox;

namespace gessoria {
class UserInteraction;
}

namespace gessoria::app {

class PaintSettingsDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kNewPaintName = "New Paint";
    static constexpr const char* kImageFilter =
        "Image Files (*.bmp;*.tga;*.png;*.jpg;*.tif;*.gif) |*.bmp;*.tga;*.png;*.jpg;*.tif;*.gif|All Files (*.*) |*.*||";

    PaintSettingsDialog(PaintTable& paints, UserInteraction& ui, QWidget* parent = nullptr);

    Paint Edit() const;
    void AcceptSheet();
    void SaveToScene();
    // The kind list's entry for a special paint number.
    void ChooseKind(int number);
    void ChooseImage(int image);

    QLineEdit* nameEdit() const { return name_; }
    QComboBox* kindList() const { return kind_; }
    QLabel* description() const { return description_; }
    QLabel* sliderLabel() const { return sliderLabel_; }
    QSlider* specialA() const { return specialA_; }
    QGroupBox* bitmapGroup() const { return bitmapBox_; }
    QCheckBox* mapSwitch(int storageIndex) const { return maps_[static_cast<std::size_t>(storageIndex)]; }
    QLineEdit* imagePath(int image) const { return paths_[static_cast<std::size_t>(image)]; }

private:
    void ReloadCurrentImages(const std::array<std::string, kBitmapPaintImageCount>& pathsBefore);

    void ShowPaint(const Paint& paint);
    void KindChanged();

    PaintTable& paints_;
    UserInteraction& ui_;
    QLineEdit* name_;
    QLineEdit* notes_;
    QComboBox* kind_;
    QLabel* description_;
    QLabel* sliderLabel_;
    QSlider* specialA_;
    QSlider* specialB_;
    std::array<QCheckBox*, 5> maps_{};
    QSlider* dirtiness_;
    QSpinBox* wetness_;
    QButtonGroup* wash_;
    QSpinBox* aoe_;
    QGroupBox* bitmapBox_;
    std::array<QCheckBox*, kBitmapPaintImageCount> use_{};
    std::array<QLineEdit*, kBitmapPaintImageCount> paths_{};
    QSpinBox* xTiling_;
    QSpinBox* yTiling_;
    QComboBox* sequence_;
    QCheckBox* alphaTopLeft_;
};

} // namespace gessoria::app
