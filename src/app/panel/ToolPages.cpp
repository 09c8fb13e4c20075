#include "app/panel/ToolPages.h"

#include "app/Workspace.h"
#include "app/panel/LibraryChooser.h"
#include "app/panel/ProjectionControls.h"
#include "app/sourceview/TextureSourceWindow.h"
#include "paint/TexturePaint.h"

#include <algorithm>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace gessoria::app {
namespace {

constexpr int kCursorTexturePaint = 158;
constexpr int kCursorCloneSource = 271;

// The switches in the order the pages list them, each with its storage index.
struct MapSwitch {
    const char* label;
    MapType type;
};
constexpr MapSwitch kMapSwitches[] = {
    {"Colour", MapType::Colour},       {"Bump", MapType::Bump},
    {"Opacity", MapType::Opacity},     {"Shininess", MapType::Shininess},
    {"Self Illumination", MapType::SelfIllum},
};

QGroupBox* MapSwitchGroup(const char* title, QCheckBox* (&boxes)[5], MapTypeSwitches& switches, const bool& showing,
                          QWidget* parent)
{
    auto* group = new QGroupBox(title, parent);
    auto* grid = new QGridLayout(group);
    int at = 0;
    for (const MapSwitch& s : kMapSwitches) {
        const int index = StorageIndex(s.type);
        auto* box = new QCheckBox(s.label, group);
        boxes[index] = box;
        grid->addWidget(box, at / 2, at % 2);
        ++at;
        QObject::connect(box, &QCheckBox::toggled, group, [&switches, &showing, index](bool on) {
            if (!showing)
                switches[static_cast<std::size_t>(index)] = on;
        });
    }
    return group;
}

void ShowSwitches(QCheckBox* (&boxes)[5], const MapTypeSwitches& switches)
{
    for (int i = 0; i < kMapTypeCount; ++i)
        boxes[i]->setChecked(switches[static_cast<std::size_t>(i)]);
}

// The Scale box: any number may be typed; when editing ends it is clamped into 0.1..99.9
// (150 shows "99.9", 0 shows "0.1") instead of the keystrokes being refused.
class TextureScaleBox : public QDoubleSpinBox {
public:
    explicit TextureScaleBox(QWidget* parent) : QDoubleSpinBox(parent)
    {
        setRange(ToolOptions::kMinTextureScale, ToolOptions::kMaxTextureScale);
        setDecimals(1);
        setSingleStep(0.1);
        setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
        setKeyboardTracking(false);
    }

protected:
    QValidator::State validate(QString& text, int& position) const override
    {
        const QValidator::State state = QDoubleSpinBox::validate(text, position);
        if (state != QValidator::Invalid)
            return state;
        bool number = false;
        text.toDouble(&number);
        return number ? QValidator::Intermediate : QValidator::Invalid;
    }
    // Called when editing ends on a number out of range: the nearest end of the range.
    void fixup(QString& text) const override
    {
        bool number = false;
        const double typed = text.toDouble(&number);
        if (number)
            text = textFromValue(std::clamp(typed, minimum(), maximum()));
    }
};

// The Texture Paint page names its lists after what they hold for the tool and edits its
// brushes in place.
constexpr LibraryListWording kTexturePaintLists{"Brush", "Texture Paint", true};

QLabel* Note(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

} // namespace

ToolPage::ToolPage(const PanelContext& context, bool withBrush, bool withPaint, QWidget* parent,
                   const LibraryListWording* wording)
    : QWidget(parent), context_(context)
{
    column_ = new QVBoxLayout(this);
    column_->setContentsMargins(4, 4, 4, 4);
    chooser_ = new LibraryChooser(context, withBrush, withPaint, this, wording ? *wording : LibraryListWording{});
    column_->addWidget(chooser_);
}

void ToolPage::Refresh()
{
    chooser_->Refresh();
    showing_ = true;
    ShowOptions();
    showing_ = false;
}

BrushPage::BrushPage(const PanelContext& context, QWidget* parent) : ToolPage(context, true, true, parent)
{
    projection_ = new ProjectionControls(context_, this);
    column_->addWidget(projection_);
    column_->addWidget(Note("Paint by dragging over the object. Ctrl+click samples the foreground colour.", this));
    column_->addStretch(1);
}

void BrushPage::ShowOptions()
{
    projection_->ShowPreferences();
}

EraserPage::EraserPage(const PanelContext& context, QWidget* parent) : ToolPage(context, true, false, parent)
{
    projection_ = new ProjectionControls(context_, this);
    column_->addWidget(projection_);
    column_->addWidget(MapSwitchGroup("Erase Map Types", switches_, context_.workspace.session.painting.options.eraserMaps,
                                      showing_, this));
    column_->addWidget(Note("The eraser takes paint layers back to transparent. Ctrl+click samples the background "
                            "colour.", this));
    column_->addStretch(1);
}

void EraserPage::ShowOptions()
{
    projection_->ShowPreferences();
    ShowSwitches(switches_, context_.workspace.session.painting.options.eraserMaps);
}

FillPage::FillPage(const PanelContext& context, QWidget* parent) : ToolPage(context, false, true, parent)
{
    ToolOptions& options = context_.workspace.session.painting.options;
    auto* styleBox = new QGroupBox("Fill Style", this);
    auto* styleRow = new QHBoxLayout(styleBox);
    auto* group = new QButtonGroup(this);
    const char* names[] = {"Flood", "Border", "All"};
    for (int i = 0; i < 3; ++i) {
        styles_[i] = new QRadioButton(names[i], styleBox);
        styleRow->addWidget(styles_[i]);
        group->addButton(styles_[i], i);
    }
    styles_[0]->setToolTip("Fill the texels like the one clicked that touch it");
    styles_[1]->setToolTip("Fill up to texels like the one clicked");
    styles_[2]->setToolTip("Fill every texel like the one clicked");
    connect(group, &QButtonGroup::idToggled, this, [this, &options](int id, bool on) {
        if (on && !showing_)
            options.fillStyle = static_cast<std::uint8_t>(id);
    });
    column_->addWidget(styleBox);

    auto* form = new QFormLayout;
    tolerance_ = new QSpinBox(this);
    tolerance_->setRange(1, 255);
    tolerance_->setToolTip("How far a texel may differ from the one clicked and still be filled");
    form->addRow("Fill Tolerance:", tolerance_);
    reference_ = new QComboBox(this);
    for (const char* name : {"Colour", "Self Illumination", "Bump", "Shininess", "Opacity"})
        reference_->addItem(name);
    reference_->setToolTip("The map type whose texels decide where the fill goes");
    form->addRow("Reference Map type:", reference_);
    column_->addLayout(form);
    merged_ = new QCheckBox("Sample Merged Layers", this);
    merged_->setToolTip("Compare against all layers merged instead of the selected layer");
    column_->addWidget(merged_);
    column_->addWidget(Note("The fill lays the background colour.", this));
    column_->addStretch(1);
    connect(tolerance_, &QSpinBox::valueChanged, this, [this, &options](int v) {
        if (!showing_)
            options.fillTolerance = v;
    });
    connect(reference_, &QComboBox::currentIndexChanged, this, [this, &options](int tab) {
        if (!showing_ && tab >= 0)
            options.referenceMap = MapTypeFromPanelTab(tab);
    });
    connect(merged_, &QCheckBox::toggled, this, [this, &options](bool on) {
        if (!showing_)
            options.sampleMerged = on;
    });
}

void FillPage::ShowOptions()
{
    const ToolOptions& options = context_.workspace.session.painting.options;
    styles_[std::min<int>(options.fillStyle, 2)]->setChecked(true);
    tolerance_->setValue(std::max(1, options.fillTolerance));
    reference_->setCurrentIndex(PanelTabIndex(options.referenceMap));
    merged_->setChecked(options.sampleMerged);
}

LinePage::LinePage(const PanelContext& context, QWidget* parent) : ToolPage(context, true, true, parent)
{
    ToolOptions& options = context_.workspace.session.painting.options;
    auto* typeBox = new QGroupBox("Shape", this);
    auto* grid = new QGridLayout(typeBox);
    auto* group = new QButtonGroup(this);
    const char* names[] = {"Line", "NGon", "Circle"};
    for (int i = 0; i < 3; ++i) {
        types_[i] = new QRadioButton(names[i], typeBox);
        grid->addWidget(types_[i], 0, i);
        group->addButton(types_[i], i);
    }
    sides_ = new QSpinBox(typeBox);
    sides_->setRange(3, 100);
    sides_->setToolTip("The number of sides of the polygon");
    grid->addWidget(new QLabel("Sides:", typeBox), 1, 0);
    grid->addWidget(sides_, 1, 1, 1, 2);
    column_->addWidget(typeBox);
    column_->addWidget(Note("Drag from the start of a line, or from the centre of a polygon or circle to its first "
                            "corner.", this));
    column_->addStretch(1);
    connect(group, &QButtonGroup::idToggled, this, [this, &options](int id, bool on) {
        if (!on)
            return;
        sides_->setEnabled(id == static_cast<int>(LineType::NGon));
        if (!showing_)
            options.lineType = static_cast<LineType>(id);
    });
    connect(sides_, &QSpinBox::valueChanged, this, [this, &options](int v) {
        if (!showing_)
            options.polygonSides = v;
    });
}

void LinePage::ShowOptions()
{
    const ToolOptions& options = context_.workspace.session.painting.options;
    types_[static_cast<int>(options.lineType)]->setChecked(true);
    sides_->setValue(options.polygonSides);
    sides_->setEnabled(options.lineType == LineType::NGon);
}

TexturePaintPage::TexturePaintPage(const PanelContext& context, QWidget* parent)
    : ToolPage(context, true, true, parent, &kTexturePaintLists)
{
    PaintingState& state = context_.workspace.session.painting;
    auto* modeBox = new QGroupBox("Mode", this);
    auto* modeRow = new QGridLayout(modeBox);
    clone_ = new QRadioButton("Clone", modeBox);
    texture_ = new QRadioButton("Texture Paint", modeBox);
    auto* setSource = new QPushButton("Set Source", modeBox);
    setSource->setCheckable(true);
    setSource->setToolTip("Click the surface next to choose where cloning copies from");
    setSource_ = setSource;
    modeRow->addWidget(clone_, 0, 0);
    modeRow->addWidget(texture_, 0, 1);
    modeRow->addWidget(setSource_, 1, 0, 1, 2);
    column_->addWidget(modeBox);
    column_->addWidget(MapSwitchGroup("Map Types", switches_, state.options.textureMaps, showing_, this));
    auto* form = new QFormLayout;
    scale_ = new TextureScaleBox(this);
    scale_->setToolTip("The size the texture is laid at");
    form->addRow("Scale:", scale_);
    column_->addLayout(form);
    column_->addStretch(1);

    connect(clone_, &QRadioButton::clicked, this, [this, &state] {
        CloseSourceView();
        StartCloneMode(state);
        EnableForMode();
    });
    connect(texture_, &QRadioButton::clicked, this, [this] {
        OpenSourceView(false);
        // A refusal leaves clone mode on; the buttons show what the engine has.
        Refresh();
    });
    // The page's own list has just made the chosen paint current: an open source view
    // follows it (or closes, saying why, when the new paint has no bitmap to show).
    connect(chooser(), &LibraryChooser::paintChosen, this, [this] {
        if (sourceWindow_) {
            OpenSourceView(true);
            Refresh();
        }
    });
    connect(setSource, &QPushButton::toggled, this, [this, &state](bool on) {
        if (showing_)
            return;
        state.options.settingCloneSource = on;
        // While the next click sets the clone source the view shows the source cursor.
        if (context_.workspace.session.scene.paintTool == PaintTool::TexturePaint && context_.toolCursor)
            context_.toolCursor(on ? kCursorCloneSource : kCursorTexturePaint);
    });
    connect(scale_, &QDoubleSpinBox::valueChanged, this, [this, &state](double v) {
        if (!showing_)
            state.options.SetTextureScale(static_cast<float>(v));
    });
}

void TexturePaintPage::OpenSourceView(bool reopen)
{
    PaintingState& state = context_.workspace.session.painting;
    // The window is what is open: without one (never opened, or closed by its frame) the
    // view starts again from the paint, its point back at the centre.
    const bool made = sourceWindow_ == nullptr;
    if (!sourceView_.Open(state, context_.workspace.session.paints.current(), context_.ui, reopen || made)) {
        // Told why; without a bitmap to start from, texture mode is off and the view closed.
        CloseSourceView();
        return;
    }
    if (made)
        sourceWindow_ = new TextureSourceWindow(state, window());
    if (made || reopen) {
        sourceWindow_->ShowSource(*sourceView_.source());
    } else {
        sourceWindow_->show();
        sourceWindow_->raise();
        sourceWindow_->activateWindow();
    }
}

void TexturePaintPage::CloseSourceView()
{
    if (sourceWindow_)
        sourceWindow_->close();
    sourceView_.Close(context_.workspace.session.painting);
}

void TexturePaintPage::ShowOptions()
{
    const ToolOptions& options = context_.workspace.session.painting.options;
    (options.texturedPaint ? texture_ : clone_)->setChecked(true);
    setSource_->setChecked(options.settingCloneSource);
    ShowSwitches(switches_, options.textureMaps);
    scale_->setValue(options.textureScale);
    EnableForMode();
}

void TexturePaintPage::EnableForMode()
{
    // Scale belongs to texture mode, Set Source to clone mode.
    const bool textured = context_.workspace.session.painting.options.texturedPaint;
    scale_->setEnabled(textured);
    setSource_->setEnabled(!textured);
    if (textured)
        setSource_->setChecked(false);
}

QWidget* MakeToolPage(PanelPage page, const PanelContext& context, QWidget* parent)
{
    switch (page) {
    case PanelPage::Brush: return new BrushPage(context, parent);
    case PanelPage::Eraser: return new EraserPage(context, parent);
    case PanelPage::Sampler: {
        auto* sampler = new QWidget(parent);
        auto* column = new QVBoxLayout(sampler);
        column->addWidget(Note("Click the object to take the colour under the pointer as the foreground colour; "
                               "Ctrl+click takes it as the background colour.", sampler));
        column->addStretch(1);
        return sampler;
    }
    case PanelPage::Fill: return new FillPage(context, parent);
    case PanelPage::Line: return new LinePage(context, parent);
    case PanelPage::TexturePaint: return new TexturePaintPage(context, parent);
    default: return new QWidget(parent);
    }
}

} // namespace gessoria::app
