#include "app/palettes/PaintSettingsDialog.h"

#include "paint/PaintKinds.h"
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
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

namespace gessoria::app {
namespace {

QSlider* Slider(const QString& tip, QWidget* parent)
{
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setRange(0, 255);
    slider->setToolTip(tip);
    return slider;
}

// Map-type switches in the order the editor lists them.
constexpr std::pair<const char*, MapType> kMapSwitches[] = {
    {"Colour", MapType::Colour},       {"Self Illumination", MapType::SelfIllum}, {"Bump", MapType::Bump},
    {"Shininess", MapType::Shininess}, {"Opacity", MapType::Opacity},
};

constexpr const char* kImageNames[] = {"Colour", "Bump", "Self Illum", "Opacity", "Shininess", "Alpha"};

int& MapFlag(Paint& paint, MapType type)
{
    switch (type) {
    case MapType::Colour: return paint.colourMap;
    case MapType::Bump: return paint.bumpMap;
    case MapType::Opacity: return paint.opacityMap;
    case MapType::SelfIllum: return paint.selfIllumMap;
    case MapType::Shininess: return paint.shininessMap;
    }
    return paint.colourMap;
}

} // namespace

PaintSettingsDialog::PaintSettingsDialog(PaintTable& paints, UserInteraction& ui, QWidget* parent)
    : QDialog(parent), paints_(paints), ui_(ui)
{
    setWindowTitle("Pigment Settings");
    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);

    auto* general = new QGroupBox("Pigment", this);
    auto* form = new QFormLayout(general);
    name_ = new QLineEdit(general);
    name_->setMaxLength(static_cast<int>(Paint::kMaxText));
    notes_ = new QLineEdit(general);
    notes_->setMaxLength(static_cast<int>(Paint::kMaxText));
    ShowCharacters(name_, kReadableTextColumns);
    ShowCharacters(notes_, kReadableTextColumns);
    kind_ = new QComboBox(general);
    for (const PaintKind& kind : PaintKinds())
        kind_->addItem(kind.name, kind.number);
    description_ = new QLabel(general);
    description_->setWordWrap(true);
    description_->setMinimumHeight(description_->fontMetrics().height() * 3);
    sliderLabel_ = new QLabel(general);
    specialA_ = Slider("The special paint's setting", general);
    specialB_ = Slider("The special paint's second setting", general);
    form->addRow("Name:", name_);
    form->addRow("Notes:", notes_);
    form->addRow("Paint Type:", kind_);
    form->addRow(description_);
    form->addRow(sliderLabel_, specialA_);
    form->addRow("Special B:", specialB_);
    left->addWidget(general);

    auto* mapsBox = new QGroupBox("Map Types", this);
    auto* mapsGrid = new QGridLayout(mapsBox);
    int at = 0;
    for (auto [label, type] : kMapSwitches) {
        auto* box = new QCheckBox(label, mapsBox);
        maps_[static_cast<std::size_t>(StorageIndex(type))] = box;
        mapsGrid->addWidget(box, at / 2, at % 2);
        ++at;
    }
    left->addWidget(mapsBox);

    auto* mixBox = new QGroupBox("Application", this);
    auto* mix = new QFormLayout(mixBox);
    dirtiness_ = Slider("How much every value laid varies at random", mixBox);
    wetness_ = new QSpinBox(mixBox);
    wetness_->setRange(0, 255);
    auto* washRow = new QHBoxLayout;
    wash_ = new QButtonGroup(this);
    const char* washes[] = {"Normal", "Wash", "Highlight"};
    for (int i = 0; i < 3; ++i) {
        auto* button = new QRadioButton(washes[i], mixBox);
        wash_->addButton(button, i);
        washRow->addWidget(button);
    }
    aoe_ = new QSpinBox(mixBox);
    aoe_->setRange(0, 255);
    aoe_->setToolTip("Wash paints only where the bump is at or below this level, Highlight at or above it");
    mix->addRow("Dirtiness:", dirtiness_);
    mix->addRow("Wetness:", wetness_);
    mix->addRow(washRow);
    mix->addRow("AOE Level:", aoe_);
    left->addWidget(mixBox);

    bitmapBox_ = new QGroupBox("Bitmap Paint", this);
    auto* images = new QGridLayout(bitmapBox_);
    for (int i = 0; i < kBitmapPaintImageCount; ++i) {
        const auto slot = static_cast<std::size_t>(i);
        use_[slot] = new QCheckBox(kImageNames[i], bitmapBox_);
        use_[slot]->setToolTip(QString("Use the %1 image").arg(QString(kImageNames[i]).toLower()));
        paths_[slot] = new QLineEdit(bitmapBox_);
        auto* browse = new QPushButton("...", bitmapBox_);
        browse->setToolTip(QString("Choose the %1 image file").arg(QString(kImageNames[i]).toLower()));
        browse->setFixedWidth(browse->fontMetrics().horizontalAdvance("...") + 20);
        images->addWidget(use_[slot], i, 0);
        images->addWidget(paths_[slot], i, 1);
        images->addWidget(browse, i, 2);
        connect(browse, &QPushButton::clicked, this, [this, i] { ChooseImage(i); });
    }
    auto* tiling = new QFormLayout;
    xTiling_ = new QSpinBox(bitmapBox_);
    yTiling_ = new QSpinBox(bitmapBox_);
    xTiling_->setRange(1, 256);
    yTiling_->setRange(1, 256);
    sequence_ = new QComboBox(bitmapBox_);
    sequence_->addItems({"In Order", "Random"});
    alphaTopLeft_ = new QCheckBox("Alpha From Top Left", bitmapBox_);
    alphaTopLeft_->setToolTip("Pixels the colour of the image's first pixel are not painted");
    tiling->addRow("X Tiling:", xTiling_);
    tiling->addRow("Y Tiling:", yTiling_);
    tiling->addRow("Tile Sequence:", sequence_);
    tiling->addRow(alphaTopLeft_);
    images->addLayout(tiling, kBitmapPaintImageCount, 0, 1, 3);
    right->addWidget(bitmapBox_);
    right->addStretch(1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* saveToScene = buttons->addButton("Save To Scene", QDialogButtonBox::ActionRole);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(columns);
    outer->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &PaintSettingsDialog::AcceptSheet);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(saveToScene, &QPushButton::clicked, this, &PaintSettingsDialog::SaveToScene);
    connect(kind_, &QComboBox::currentIndexChanged, this, &PaintSettingsDialog::KindChanged);

    ShowPaint(paints_.current());
}

void PaintSettingsDialog::ShowPaint(const Paint& paint)
{
    name_->setText(paint.name == PaintTable::kScratchName ? QString(kNewPaintName) : QString::fromStdString(paint.name));
    notes_->setText(QString::fromStdString(paint.notes));
    ChooseKind(paint.bitmapPaint != 0 ? kBitmapPaintNumber : paint.specialNumber);
    specialA_->setValue(paint.specialA);
    specialB_->setValue(paint.specialB);
    Paint copy = paint;
    for (MapType type : kAllMapTypes)
        maps_[static_cast<std::size_t>(StorageIndex(type))]->setChecked(MapFlag(copy, type) != 0);
    dirtiness_->setValue(paint.dirtiness);
    wetness_->setValue(paint.wetness);
    wash_->button(std::min<int>(paint.washHighlight, 2))->setChecked(true);
    aoe_->setValue(paint.aoeLevel);
    for (std::size_t i = 0; i < use_.size(); ++i) {
        use_[i]->setChecked(paint.useImage[i] != 0);
        paths_[i]->setText(QString::fromStdString(paint.paths[i]));
    }
    xTiling_->setValue(std::max(1, paint.xTiling));
    yTiling_->setValue(std::max(1, paint.yTiling));
    sequence_->setCurrentIndex(paint.tileSequence != 0 ? 1 : 0);
    alphaTopLeft_->setChecked(paint.alphaFromTopLeft != 0);
}

void PaintSettingsDialog::ChooseKind(int number)
{
    const int at = kind_->findData(PaintKindFor(number).number);
    kind_->setCurrentIndex(std::max(0, at));
    KindChanged();
}

void PaintSettingsDialog::KindChanged()
{
    const PaintKind& kind = PaintKindFor(kind_->currentData().toInt());
    description_->setText(kind.description);
    sliderLabel_->setText(kind.sliderLabel ? QString(kind.sliderLabel) + ":" : QString());
    sliderLabel_->setVisible(kind.sliderLabel != nullptr);
    specialA_->setVisible(kind.sliderLabel != nullptr);
    bitmapBox_->setEnabled(kind.number == kBitmapPaintNumber);
}

void PaintSettingsDialog::ChooseImage(int image)
{
    const std::optional<std::string> path = ui_.ChooseFileToOpen(kImageFilter, paths_[static_cast<std::size_t>(image)]->text().toStdString());
    if (!path)
        return;
    paths_[static_cast<std::size_t>(image)]->setText(QString::fromStdString(*path));
    use_[static_cast<std::size_t>(image)]->setChecked(true);
}

Paint PaintSettingsDialog::Edit() const
{
    Paint p;
    p.name = name_->text().toStdString();
    p.notes = notes_->text().toStdString();
    const int number = kind_->currentData().toInt();
    p.specialNumber = number;
    p.bitmapPaint = number == kBitmapPaintNumber ? 1 : 0;
    p.specialA = specialA_->value();
    p.specialB = specialB_->value();
    for (MapType type : kAllMapTypes)
        MapFlag(p, type) = maps_[static_cast<std::size_t>(StorageIndex(type))]->isChecked() ? 1 : 0;
    p.dirtiness = dirtiness_->value();
    p.wetness = wetness_->value();
    p.washHighlight = static_cast<std::uint8_t>(std::max(0, wash_->checkedId()));
    p.aoeLevel = aoe_->value();
    for (std::size_t i = 0; i < use_.size(); ++i) {
        p.useImage[i] = use_[i]->isChecked() ? 1 : 0;
        p.paths[i] = paths_[i]->text().toStdString();
    }
    p.xTiling = xTiling_->value();
    p.yTiling = yTiling_->value();
    p.tileSequence = sequence_->currentIndex();
    p.alphaFromTopLeft = alphaTopLeft_->isChecked() ? 1 : 0;
    return p;
}

void PaintSettingsDialog::AcceptSheet()
{
    const auto pathsBefore = paints_.current().paths;
    paints_.SaveEdited(Edit(), ui_);
    ReloadCurrentImages(pathsBefore);
    accept();
}

void PaintSettingsDialog::SaveToScene()
{
    const auto pathsBefore = paints_.current().paths;
    paints_.SaveToScene(Edit(), ui_);
    ReloadCurrentImages(pathsBefore);
    ShowPaint(paints_.current());
}

void PaintSettingsDialog::ReloadCurrentImages(const std::array<std::string, kBitmapPaintImageCount>& pathsBefore)
{
    // The table keeps a replaced paint's loaded images; a current bitmap paint whose image
    // files were changed here, or a new one made current, must paint with the new files.
    Paint& current = paints_.current();
    if (current.bitmapPaint && (!current.imagesLoaded || current.paths != pathsBefore))
        current.LoadImages(ui_);
}

} // namespace gessoria::app
