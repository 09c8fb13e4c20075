#include "app/palettes/ColourPicker.h"

#include "app/Workspace.h"
#include "app/palettes/HsvSquare.h"
#include "paint/ColourNotation.h"
#include "paint/ColourWord.h"
#include "scene/UserInteraction.h"

#include <QContextMenuEvent>
#include <QGridLayout>
#include <QLabel>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

namespace gessoria::app {
namespace {

struct QuickColour {
    const char* label;
    std::uint32_t bgr;
};
constexpr QuickColour kQuickColours[] = {
    {"Blac&k", 0x000000}, {"&White", 0xFFFFFF},  {"&Red", 0x0000FF},     {"&Green", 0x00FF00},
    {"&Blue", 0xFF0000},  {"&Cyan", 0xFFFF00},   {"&Magenta", 0xFF00FF}, {"&Yellow", 0x00FFFF},
};

QColor ToQColor(std::uint32_t word)
{
    return QColor(static_cast<int>(word & 0xFF), static_cast<int>((word >> 8) & 0xFF), static_cast<int>((word >> 16) & 0xFF));
}

void Paint(QLabel* sample, std::uint32_t word, bool chosen)
{
    sample->setStyleSheet(QString("background: %1; border: %2px solid %3;")
                              .arg(ToQColor(word).name())
                              .arg(chosen ? 3 : 1)
                              .arg(chosen ? "palette(highlight)" : "palette(mid)"));
}

QPixmap Swatch(std::uint32_t bgr)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(ToQColor(bgr));
    return pixmap;
}

} // namespace

ColourPicker::ColourPicker(Workspace& workspace, UserInteraction& ui, QWidget* parent)
    : QWidget(parent, Qt::Tool), workspace_(workspace), ui_(ui)
{
    setWindowTitle("Colour Picker");
    setWhatsThis("<p>The Colour Picker edits the foreground or background colour and the levels painted into "
                 "Bump, Self Illumination, Shininess and Opacity.</p>"
                 "<p><a href=\"colour-picker.md\">More in the manual</a></p>");
    customColours_.Load(workspace_.session.iniPath);
    auto* outer = new QHBoxLayout(this);
    auto* concise = new QWidget(this);
    auto* grid = new QGridLayout(concise);
    grid->setContentsMargins(0, 0, 0, 0);

    auto makeSample = [&](const QString& caption, int column) {
        auto* label = new QLabel(caption, concise);
        label->setAlignment(Qt::AlignCenter);
        auto* sample = new QLabel(concise);
        sample->setFixedSize(52, 30);
        sample->setToolTip("Click to edit the " + caption.toLower() + " colour");
        sample->installEventFilter(this);
        auto* box = new QVBoxLayout;
        box->addWidget(label);
        box->addWidget(sample, 0, Qt::AlignHCenter);
        grid->addLayout(box, 0, column, 1, 2);
        return sample;
    };
    foreSample_ = makeSample("Foreground", 0);
    backSample_ = makeSample("Background", 2);

    int row = 1;
    auto addRow = [&](const QString& name, QSlider*& slider, QSpinBox*& spin, const QString& tip) {
        auto* label = new QLabel(name, concise);
        slider = new QSlider(Qt::Horizontal, concise);
        slider->setRange(0, 255);
        spin = new QSpinBox(concise);
        spin->setRange(0, 255);
        slider->setToolTip(tip);
        spin->setToolTip(tip);
        connect(slider, &QSlider::valueChanged, spin, &QSpinBox::setValue);
        connect(spin, &QSpinBox::valueChanged, slider, &QSlider::setValue);
        grid->addWidget(label, row, 0);
        grid->addWidget(slider, row, 1, 1, 2);
        grid->addWidget(spin, row, 3);
        ++row;
    };
    const char* channelNames[] = {"Red", "Green", "Blue"};
    for (int c = 0; c < 3; ++c) {
        addRow(channelNames[c], channelSliders_[static_cast<std::size_t>(c)], channels_[static_cast<std::size_t>(c)],
               QString("The %1 of the colour being edited").arg(QString(channelNames[c]).toLower()));
        connect(channels_[static_cast<std::size_t>(c)], &QSpinBox::valueChanged, this, [this, c](int v) {
            if (!showing_)
                SetEdited(WithChannel(Edited(), c, v));
        });
    }
    const char* levelNames[] = {"Bump", "Illum", "Shine", "Opac"};
    const char* levelTips[] = {"The height painted into Bump maps", "The level painted into Self Illumination maps",
                               "The level painted into Shininess maps", "The level painted into Opacity maps"};
    for (int l = 0; l < LevelCount; ++l) {
        addRow(levelNames[l], levelSliders_[static_cast<std::size_t>(l)], levels_[static_cast<std::size_t>(l)], levelTips[l]);
        connect(levels_[static_cast<std::size_t>(l)], &QSpinBox::valueChanged, this, [this, l](int v) {
            if (showing_)
                return;
            LevelValue(static_cast<Level>(l)) = static_cast<std::uint8_t>(v);
            emit coloursChanged();
        });
    }
    grid->addWidget(new QLabel("Hex", concise), row, 0);
    hex_ = new QLineEdit(concise);
    hex_->setToolTip("The colour being edited as #RRGGBB; type one and press Enter");
    hex_->setMaxLength(9);
    grid->addWidget(hex_, row, 1);
    pick_ = new QPushButton("Pick From Screen", concise);
    pick_->setToolTip("Click anywhere on the screen next to take the colour there (Esc gives up)");
    grid->addWidget(pick_, row, 2, 1, 2);
    ++row;
    hsv_ = new HsvSquare(concise);
    grid->addWidget(hsv_, row, 0, 1, 4, Qt::AlignHCenter);
    ++row;
    grid->addWidget(new QLabel("Recent", concise), row, 0, Qt::AlignTop);
    auto* recentGrid = new QGridLayout;
    recentGrid->setSpacing(2);
    for (std::size_t i = 0; i < recent_.size(); ++i) {
        auto* button = new QToolButton(concise);
        button->setFixedSize(20, 20);
        button->setIconSize(QSize(14, 14));
        recentGrid->addWidget(button, static_cast<int>(i / 8), static_cast<int>(i % 8));
        connect(button, &QToolButton::clicked, this, [this, i] {
            const auto& colours = workspace_.session.colours.recent();
            if (i < colours.size())
                SetQuickColour(colours[i]);
        });
        recent_[i] = button;
    }
    grid->addLayout(recentGrid, row, 1, 1, 3, Qt::AlignLeft);
    ++row;
    connect(hex_, &QLineEdit::returnPressed, this, &ColourPicker::TakeHex);
    // Leaving the field with a text that is no colour shows the colour again.
    connect(hex_, &QLineEdit::editingFinished, this, [this] {
        if (!ColourOfHex(hex_->text().toStdString()))
            Refresh();
    });
    connect(pick_, &QPushButton::clicked, this, &ColourPicker::StartScreenPick);
    connect(hsv_, &HsvSquare::hsvChosen, this, [this](const Hsv& hsv) {
        if (!showing_)
            SetEdited(WithColour(Edited(), ColourOfHsv(hsv)));
    });

    auto* addCustom = new QPushButton("Add Custom", concise);
    addCustom->setToolTip("Keep the colour being edited in the custom colours under a name");
    // Wide enough for either caption, so switching layouts changes nothing but the width.
    layout_ = new QPushButton("Concise Colour Picker <<", concise);
    layout_->setMinimumWidth(layout_->sizeHint().width());
    layout_->setText("Full Colour Picker >>");
    grid->addWidget(addCustom, row, 0, 1, 2);
    grid->addWidget(layout_, row, 2, 1, 2);
    outer->addWidget(concise);

    customPanel_ = new QWidget(this);
    auto* customColumn = new QVBoxLayout(customPanel_);
    customColumn->setContentsMargins(0, 0, 0, 0);
    customColumn->addWidget(new QLabel("Custom Colours", customPanel_));
    customs_ = new QListWidget(customPanel_);
    customs_->setToolTip("Click a custom colour to edit with it");
    customColumn->addWidget(customs_);
    outer->addWidget(customPanel_);
    for (const CustomColour& c : customColours_.entries())
        customs_->addItem(new QListWidgetItem(Swatch(c.colour), QString::fromStdString(c.name)));
    connect(customs_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        SetQuickColour(customColours_.entries()[static_cast<std::size_t>(customs_->row(item))].colour);
    });

    connect(addCustom, &QPushButton::clicked, this, &ColourPicker::AddCustom);
    connect(layout_, &QPushButton::clicked, this, [this] { SetFull(!full_); });
    customPanel_->setFixedWidth(kCustomWidth - outer->spacing());
    customPanel_->hide();
    Refresh();
    adjustSize();
}

std::uint32_t& ColourPicker::Edited()
{
    PaintValues& values = workspace_.session.paintValues;
    return foreground_ ? values.foreground : values.background;
}

std::uint8_t& ColourPicker::LevelValue(Level which)
{
    PaintValues& values = workspace_.session.paintValues;
    switch (which) {
    case Bump: return values.bump;
    case Illum: return values.selfIllum;
    case Shine: return values.shininess;
    default: return values.opacity;
    }
}

void ColourPicker::SetEdited(std::uint32_t word)
{
    Edited() = word;
    Refresh();
    emit coloursChanged();
}

void ColourPicker::Refresh()
{
    showing_ = true;
    const std::uint32_t word = Edited();
    for (int c = 0; c < 3; ++c)
        channels_[static_cast<std::size_t>(c)]->setValue(static_cast<int>((word >> (8 * c)) & 0xFF));
    for (int l = 0; l < LevelCount; ++l)
        levels_[static_cast<std::size_t>(l)]->setValue(LevelValue(static_cast<Level>(l)));
    const PaintValues& values = workspace_.session.paintValues;
    Paint(foreSample_, values.foreground, foreground_);
    Paint(backSample_, values.background, !foreground_);
    hex_->setText(QString::fromStdString(HexOfColour(word)));
    // The square keeps its own point while it stands for the colour already, so a drag in
    // it does not jump to the point of the rounded colour.
    if (ColourOfHsv(hsv_->hsv()) != (word & kColourMask))
        hsv_->SetColour(word & kColourMask);
    RefreshRecent();
    showing_ = false;
}

void ColourPicker::RefreshRecent()
{
    const auto& colours = workspace_.session.colours.recent();
    for (std::size_t i = 0; i < recent_.size(); ++i) {
        QToolButton* button = recent_[i];
        const bool kept = i < colours.size();
        button->setEnabled(kept);
        button->setIcon(kept ? QIcon(Swatch(colours[i])) : QIcon());
        button->setToolTip(kept ? QString::fromStdString(HexOfColour(colours[i])) : QString());
    }
}

bool ColourPicker::TakeHex()
{
    const std::optional<std::uint32_t> colour = ColourOfHex(hex_->text().toStdString());
    if (!colour) {
        ui_.Tell("\"" + hex_->text().toStdString() + "\" is not a colour. Write it as #RRGGBB, for example #FF8000.",
                 MessageIcon::Warning);
        Refresh();
        return false;
    }
    SetQuickColour(*colour);
    return true;
}

void ColourPicker::StartScreenPick()
{
    picking_ = true;
    pick_->setDown(true);
    grabMouse(Qt::CrossCursor);
    grabKeyboard();
}

void ColourPicker::EndScreenPick()
{
    picking_ = false;
    pick_->setDown(false);
    releaseMouse();
    releaseKeyboard();
}

bool ColourPicker::PickScreenColourAt(QPoint global)
{
    QScreen* screen = QGuiApplication::screenAt(global);
    const QImage pixel = screen == nullptr ? QImage()
                                           : screen->grabWindow(0, global.x() - screen->geometry().x(),
                                                                global.y() - screen->geometry().y(), 1, 1)
                                                 .toImage();
    if (pixel.isNull() || pixel.width() < 1 || pixel.height() < 1) {
        ui_.Tell("The colour on the screen could not be read there.", MessageIcon::Warning);
        return false;
    }
    const QColor colour = pixel.pixelColor(0, 0);
    SetQuickColour(static_cast<std::uint32_t>(colour.red()) | (static_cast<std::uint32_t>(colour.green()) << 8) |
                   (static_cast<std::uint32_t>(colour.blue()) << 16));
    return true;
}

void ColourPicker::NoteStrokeEnded()
{
    const PaintTool tool = workspace_.session.scene.paintTool;
    if (tool != PaintTool::Brush && tool != PaintTool::Fill && tool != PaintTool::Line)
        return;
    workspace_.session.colours.Use(workspace_.session.paintValues.foreground);
    RefreshRecent();
}

void ColourPicker::mousePressEvent(QMouseEvent* event)
{
    if (!picking_) {
        QWidget::mousePressEvent(event);
        return;
    }
    EndScreenPick();
    if (event->button() == Qt::LeftButton)
        PickScreenColourAt(event->globalPosition().toPoint());
}

void ColourPicker::keyPressEvent(QKeyEvent* event)
{
    if (picking_ && event->key() == Qt::Key_Escape) {
        EndScreenPick();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ColourPicker::EditForeground(bool foreground)
{
    foreground_ = foreground;
    Refresh();
}

void ColourPicker::SetFull(bool full)
{
    // Only the width changes; the full layout adds the custom colours beside the sliders.
    if (full == full_)
        return;
    full_ = full;
    layout_->setText(full ? "Concise Colour Picker <<" : "Full Colour Picker >>");
    const int keepHeight = height();
    if (full)
        conciseWidth_ = width();
    customPanel_->setVisible(full);
    layout()->activate();  // the minimum width follows the custom colours at once
    resize(full ? conciseWidth_ + kCustomWidth : conciseWidth_, keepHeight);
}

void ColourPicker::SetQuickColour(std::uint32_t bgr)
{
    SetEdited(WithColour(Edited(), bgr));
}

void ColourPicker::Desaturate()
{
    SetEdited(Desaturated(Edited()));
}

void ColourPicker::SwapForeBack()
{
    PaintValues& values = workspace_.session.paintValues;
    std::swap(values.foreground, values.background);
    Refresh();
    emit coloursChanged();
}

void ColourPicker::AddCustom()
{
    const std::optional<std::string> name = ui_.AskText("New Custom", "");
    if (!name || name->empty())
        return;
    const std::uint32_t colour = Edited() & kColourMask;
    if (!customColours_.Add(workspace_.session.iniPath, *name, colour)) {
        ui_.Tell(static_cast<int>(customColours_.entries().size()) >= CustomColours::kMaxColours
                     ? "The custom colour list is full."
                     : "The custom colour could not be written to the preferences file.",
                 MessageIcon::Warning);
        return;
    }
    customs_->addItem(new QListWidgetItem(Swatch(colour), QString::fromStdString(*name)));
}

QMenu* ColourPicker::BuildMenu()
{
    auto* menu = new QMenu(this);
    for (const QuickColour& q : kQuickColours)
        menu->addAction(q.label, this, [this, bgr = q.bgr] { SetQuickColour(bgr); });
    menu->addSeparator();
    menu->addAction("&Desaturate", this, &ColourPicker::Desaturate);
    menu->addAction("&Swap Fore/Back", this, &ColourPicker::SwapForeBack);
    return menu;
}

void ColourPicker::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = BuildMenu();
    menu->exec(event->globalPos());
    menu->deleteLater();
}

bool ColourPicker::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == foreSample_ || watched == backSample_) {
            EditForeground(watched == foreSample_);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace gessoria::app
