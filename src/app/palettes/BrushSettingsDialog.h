#pragma once
// BrushSettingsDialog: the brush settings sheet for the current brush — name and notes,
// "Stroke Length", spacing ("Natural", "Auto", "Manual" with X and Y spacing), "Auto Repeat",
// "Fade Over Time", bump, and the head: defined ("Circle" or "Rectangle" with sizes, angle
// and feathering, recomputed as they change) or loaded from a 32 x 32 x 8-bit bitmap, which
// "Invert" can turn over. OK hands the values to the brush table's accept (which creates,
// replaces or does nothing, asking as it goes); "Save To Scene" to its save-to-scene flow.

#include "paint/Brush.h"
#include "paint/BrushTable.h"

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace gessoria {
class UserInteraction;
}

namespace gessoria::app {

class BrushSettingsDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kNewBrushName = "New Brush";

    BrushSettingsDialog(BrushTable& brushes, UserInteraction& ui, QWidget* parent = nullptr);

    // The sheet's values as they stand.
    BrushEdit Edit() const;
    // Accept and Save To Scene, as their buttons do.
    void AcceptSheet();
    void SaveToScene();
    void LoadBitmapHead();
    void Invert();

    QLineEdit* nameEdit() const { return name_; }
    QSpinBox* strokeLength() const { return dabCount_; }
    QSpinBox* xSize() const { return xSize_; }
    QSpinBox* feathering() const { return feathering_; }
    QRadioButton* bitmapHeadButton() const { return bitmapHead_; }
    const BrushHead& head() const { return head_; }

private:
    void ShowBrush(const Brush& brush);
    void HeadValuesChanged();
    void ShowHead();

    BrushTable& brushes_;
    UserInteraction& ui_;
    BrushHead head_{};
    bool headEdited_ = false;
    bool showing_ = false;
    QLineEdit* name_;
    QLineEdit* notes_;
    QSpinBox* dabCount_;
    QButtonGroup* spacing_;
    QSpinBox* xSpacing_;
    QSpinBox* ySpacing_;
    QCheckBox* autoRepeat_;
    QSpinBox* fade_;
    QComboBox* bump_;
    QRadioButton* definedHead_;
    QRadioButton* bitmapHead_;
    QButtonGroup* shape_;
    QSpinBox* xSize_;
    QSpinBox* ySize_;
    QSpinBox* rotation_;
    QSpinBox* feathering_;
    QLabel* preview_;
};

// Runs the sheet on the current brush, then ends the edit (a scratch brush that was not
// saved goes again): what the Applicators palette's "Edit..." and the Texture Paint page's
// "Edit" do.
void EditCurrentBrush(BrushTable& brushes, UserInteraction& ui, QWidget* parent);

} // namespace gessoria::app
