#include "app/palettes/BrushSettingsDialog.h"

#include "app/palettes/HeadPreview.h"
#include "app/dialogs/DialogLayout.h"
#include "scene/UserInteraction.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace gessoria::app {
namespace {

QSpinBox* Spin(int low, int high, const QString& tip, QWidget* parent)
{
    auto* spin = new QSpinBox(parent);
    spin->setRange(low, high);
    spin->setToolTip(tip);
    return spin;
}

} // namespace

BrushSettingsDialog::BrushSettingsDialog(BrushTable& brushes, UserInteraction& ui, QWidget* parent)
    : QDialog(parent), brushes_(brushes), ui_(ui)
{
    setWindowTitle("Applicator Settings");
    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right);

    auto* general = new QGroupBox("Applicator", this);
    auto* form = new QFormLayout(general);
    name_ = new QLineEdit(general);
    name_->setMaxLength(static_cast<int>(Brush::kMaxText));
    notes_ = new QLineEdit(general);
    notes_->setMaxLength(static_cast<int>(Brush::kMaxText));
    ShowCharacters(name_, kReadableTextColumns);
    ShowCharacters(notes_, kReadableTextColumns);
    dabCount_ = Spin(0, 255, "The most dabs one stroke lays; 0 for no limit", general);
    dabCount_->setSpecialValueText("infinite");
    fade_ = Spin(0, 255, "Fade Over Time", general);
    autoRepeat_ = new QCheckBox("Auto Repeat", general);
    bump_ = new QComboBox(general);
    bump_->addItems({"None", "Up", "Down"});
    form->addRow("Name:", name_);
    form->addRow("Notes:", notes_);
    form->addRow("Stroke Length:", dabCount_);
    form->addRow("Fade Over Time:", fade_);
    form->addRow("Bump:", bump_);
    form->addRow(autoRepeat_);
    left->addWidget(general);

    auto* spacingBox = new QGroupBox("Dab Spacing", this);
    auto* spacingGrid = new QGridLayout(spacingBox);
    spacing_ = new QButtonGroup(this);
    const char* spacings[] = {"Natural", "Auto", "Manual"};
    for (int i = 0; i < 3; ++i) {
        auto* button = new QRadioButton(spacings[i], spacingBox);
        spacing_->addButton(button, i);
        spacingGrid->addWidget(button, 0, i);
    }
    xSpacing_ = Spin(1, 100, "Width of the spacing grid in texels", spacingBox);
    ySpacing_ = Spin(1, 100, "Height of the spacing grid in texels", spacingBox);
    spacingGrid->addWidget(new QLabel("X Spacing:", spacingBox), 1, 0);
    spacingGrid->addWidget(xSpacing_, 1, 1, 1, 2);
    spacingGrid->addWidget(new QLabel("Y Spacing:", spacingBox), 2, 0);
    spacingGrid->addWidget(ySpacing_, 2, 1, 1, 2);
    left->addWidget(spacingBox);

    auto* headBox = new QGroupBox("Head", this);
    auto* headGrid = new QGridLayout(headBox);
    definedHead_ = new QRadioButton("Defined", headBox);
    bitmapHead_ = new QRadioButton("Bitmap", headBox);
    headGrid->addWidget(definedHead_, 0, 0);
    headGrid->addWidget(bitmapHead_, 0, 1);
    shape_ = new QButtonGroup(this);
    auto* circle = new QRadioButton("Circle", headBox);
    auto* rectangle = new QRadioButton("Rectangle", headBox);
    shape_->addButton(circle, static_cast<int>(HeadShape::Circle));
    shape_->addButton(rectangle, static_cast<int>(HeadShape::Rectangle));
    headGrid->addWidget(circle, 1, 0);
    headGrid->addWidget(rectangle, 1, 1);
    xSize_ = Spin(1, 31, "Width of the head", headBox);
    ySize_ = Spin(1, 31, "Height of the head", headBox);
    rotation_ = Spin(0, 360, "Angle of the head in degrees", headBox);
    feathering_ = Spin(0, 31, "Width of the soft edge in rings", headBox);
    int row = 2;
    for (auto [label, spin] : {std::pair{"X Size:", xSize_}, std::pair{"Y Size:", ySize_},
                               std::pair{"Angle:", rotation_}, std::pair{"Feathering:", feathering_}}) {
        headGrid->addWidget(new QLabel(label, headBox), row, 0);
        headGrid->addWidget(spin, row++, 1);
    }
    preview_ = new QLabel(headBox);
    preview_->setFixedSize(124, 124);
    preview_->setFrameShape(QFrame::Box);
    preview_->setToolTip("The head: white lays full paint, black none");
    headGrid->addWidget(preview_, row++, 0, 1, 2, Qt::AlignHCenter);
    auto* load = new QPushButton("Load Bitmap...", headBox);
    auto* invert = new QPushButton("Invert", headBox);
    headGrid->addWidget(load, row, 0);
    headGrid->addWidget(invert, row, 1);
    right->addWidget(headBox);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* saveToScene = buttons->addButton("Save To Scene", QDialogButtonBox::ActionRole);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(columns);
    outer->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &BrushSettingsDialog::AcceptSheet);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(saveToScene, &QPushButton::clicked, this, &BrushSettingsDialog::SaveToScene);
    connect(load, &QPushButton::clicked, this, &BrushSettingsDialog::LoadBitmapHead);
    connect(invert, &QPushButton::clicked, this, &BrushSettingsDialog::Invert);
    for (QSpinBox* spin : {xSize_, ySize_, rotation_, feathering_})
        connect(spin, &QSpinBox::valueChanged, this, &BrushSettingsDialog::HeadValuesChanged);
    connect(shape_, &QButtonGroup::idClicked, this, &BrushSettingsDialog::HeadValuesChanged);
    connect(definedHead_, &QRadioButton::toggled, this, &BrushSettingsDialog::HeadValuesChanged);

    ShowBrush(brushes_.current());
}

void BrushSettingsDialog::ShowBrush(const Brush& brush)
{
    showing_ = true;
    // The scratch brush is offered under a name the user can keep.
    name_->setText(brush.name == BrushTable::kScratchName ? QString(kNewBrushName) : QString::fromStdString(brush.name));
    notes_->setText(QString::fromStdString(brush.notes));
    dabCount_->setValue(brush.dabCount);
    spacing_->button(std::clamp(brush.dabSpacing, 0, 2))->setChecked(true);
    xSpacing_->setValue(brush.xSpacing);
    ySpacing_->setValue(brush.ySpacing);
    autoRepeat_->setChecked(brush.autoRepeat != 0);
    fade_->setValue(brush.timeToFade);
    bump_->setCurrentIndex(std::clamp(brush.bump, 0, 2));
    (brush.headType == static_cast<int>(HeadType::Bitmap) ? bitmapHead_ : definedHead_)->setChecked(true);
    if (QAbstractButton* shape = shape_->button(brush.shape))
        shape->setChecked(true);
    xSize_->setValue(brush.xSize);
    ySize_->setValue(brush.ySize);
    rotation_->setValue(brush.rotation);
    feathering_->setValue(brush.feathering);
    head_ = brush.head;
    showing_ = false;
    ShowHead();
}

BrushEdit BrushSettingsDialog::Edit() const
{
    BrushEdit edit;
    Brush& b = edit.values;
    b.name = name_->text().toStdString();
    b.notes = notes_->text().toStdString();
    b.head = head_;
    b.bump = bump_->currentIndex();
    b.dabCount = dabCount_->value();
    b.dabSpacing = spacing_->checkedId();
    b.xSpacing = xSpacing_->value();
    b.ySpacing = ySpacing_->value();
    b.autoRepeat = autoRepeat_->isChecked() ? 1 : 0;
    b.timeToFade = fade_->value();
    b.rotation = rotation_->value();
    b.xSize = xSize_->value();
    b.ySize = ySize_->value();
    b.feathering = feathering_->value();
    b.headType = static_cast<int>(bitmapHead_->isChecked() ? HeadType::Bitmap : HeadType::Defined);
    b.shape = std::max(0, shape_->checkedId());
    edit.headEdited = headEdited_;
    return edit;
}

void BrushSettingsDialog::HeadValuesChanged()
{
    if (showing_ || !definedHead_->isChecked())
        return;
    // A defined head follows its shape values as they change.
    head_ = DefinedHead(xSize_->value(), ySize_->value(), rotation_->value(), feathering_->value(),
                        std::max(0, shape_->checkedId()));
    ShowHead();
}

void BrushSettingsDialog::ShowHead()
{
    preview_->setPixmap(QPixmap::fromImage(HeadImage(head_)).scaled(preview_->contentsRect().size(),
                                                                      Qt::IgnoreAspectRatio, Qt::FastTransformation));
}

void BrushSettingsDialog::LoadBitmapHead()
{
    const std::optional<std::string> path = ui_.ChooseFileToOpen(kBitmapHeadFilter, "");
    if (!path)
        return;
    const std::optional<BrushHead> loaded = gessoria::LoadBitmapHead(*path, ui_);
    if (!loaded)
        return;
    head_ = *loaded;
    headEdited_ = true;
    showing_ = true;
    bitmapHead_->setChecked(true);
    showing_ = false;
    ShowHead();
}

void BrushSettingsDialog::Invert()
{
    InvertHead(head_);
    headEdited_ = true;
    if (definedHead_->isChecked()) {
        // An inverted head is no longer what the shape values give: it is kept as a bitmap head.
        showing_ = true;
        bitmapHead_->setChecked(true);
        showing_ = false;
    }
    ShowHead();
}

void BrushSettingsDialog::AcceptSheet()
{
    brushes_.SaveEdited(Edit(), ui_);
    accept();
}

void BrushSettingsDialog::SaveToScene()
{
    brushes_.SaveToScene(Edit(), ui_);
    ShowBrush(brushes_.current());
    headEdited_ = false;
}

void EditCurrentBrush(BrushTable& brushes, UserInteraction& ui, QWidget* parent)
{
    BrushSettingsDialog sheet(brushes, ui, parent);
    sheet.exec();
    brushes.SettingsClosed();
}

} // namespace gessoria::app
