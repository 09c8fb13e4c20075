#include "app/panel/LightingControlsPage.h"

#include "app/Workspace.h"

#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QStatusTipEvent>
#include <QVBoxLayout>

namespace gessoria::app {
namespace {

QSlider* MakeSlider(int maximum, const QString& tip, QWidget* parent)
{
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setRange(0, maximum);
    slider->setPageStep(maximum / 16);
    slider->setToolTip(tip);
    return slider;
}

} // namespace

LightingControlsPage::LightingControlsPage(PanelContext context, QWidget* parent)
    : QWidget(parent), context_(std::move(context))
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    auto* intensity = new QGroupBox("Light Intensity", this);
    auto* form = new QVBoxLayout(intensity);
    ambient_ = MakeSlider(65535, "Light added to every surface", intensity);
    spot_ = MakeSlider(65535, "Strength of the spot light", intensity);
    form->addWidget(new QLabel("Ambient Strength", intensity));
    form->addWidget(ambient_);
    form->addWidget(new QLabel("Spotlight Strength", intensity));
    form->addWidget(spot_);
    column->addWidget(intensity);

    auto* backdropBox = new QGroupBox("Backdrop Colour", this);
    auto* row = new QHBoxLayout(backdropBox);
    backdrop_ = MakeSlider(255, "Grey level of the view's background", backdropBox);
    swatch_ = new QLabel(backdropBox);
    swatch_->setFixedSize(28, 20);
    swatch_->setFrameShape(QFrame::Box);
    swatch_->setAutoFillBackground(true);
    row->addWidget(backdrop_, 1);
    row->addWidget(swatch_);
    column->addWidget(backdropBox);

    auto* buttons = new QHBoxLayout;
    autoUpdate_ = new QCheckBox("Auto-&Update", this);
    autoUpdate_->setToolTip("Apply every slider change to the view at once");
    apply_ = new QPushButton("&Apply", this);
    apply_->setToolTip("Apply To Scene");
    buttons->addWidget(autoUpdate_);
    buttons->addStretch(1);
    buttons->addWidget(apply_);
    column->addLayout(buttons);
    column->addStretch(1);

    connect(ambient_, &QSlider::valueChanged, this, [this](int v) {
        Change([v](LightingPage& p, LightingSettings& s) { return p.MoveAmbient(v, s); });
    });
    connect(spot_, &QSlider::valueChanged, this, [this](int v) {
        Change([v](LightingPage& p, LightingSettings& s) { return p.MoveSpot(v, s); });
    });
    connect(backdrop_, &QSlider::valueChanged, this, [this](int v) {
        Change([v](LightingPage& p, LightingSettings& s) { return p.MoveBackdrop(v, s); });
    });
    connect(autoUpdate_, &QCheckBox::toggled, this, [this](bool on) {
        if (showing_)
            return;
        LightingSettings settings = context_.workspace.Lighting();
        settings.autoUpdate = on;
        context_.workspace.SetLighting(settings);
    });
    connect(apply_, &QPushButton::clicked, this, &LightingControlsPage::ApplyToScene);
}

void LightingControlsPage::Refresh()
{
    page_.emplace(context_.workspace.Lighting());
    ShowSliders();
}

void LightingControlsPage::ShowSliders()
{
    showing_ = true;
    ambient_->setValue(page_->ambient());
    spot_->setValue(page_->spot());
    backdrop_->setValue(page_->backdrop());
    autoUpdate_->setChecked(context_.workspace.session.preferences.autoUpdate != 0);
    const int grey = page_->backdrop();
    QPalette palette = swatch_->palette();
    palette.setColor(QPalette::Window, QColor(grey, grey, grey));
    swatch_->setPalette(palette);
    showing_ = false;
}

template <typename Move>
void LightingControlsPage::Change(Move move)
{
    if (showing_ || !page_)
        return;
    LightingSettings settings = context_.workspace.Lighting();
    const bool applied = move(*page_, settings);
    ShowSliders();
    if (applied) {
        context_.workspace.SetLighting(settings);
        context_.redrawScreen();
    }
}

void LightingControlsPage::FullAmbient()
{
    Change([](LightingPage& p, LightingSettings& s) { return p.FullAmbient(s); });
}

void LightingControlsPage::FullSpot()
{
    Change([](LightingPage& p, LightingSettings& s) { return p.FullSpot(s); });
}

void LightingControlsPage::Mix()
{
    Change([](LightingPage& p, LightingSettings& s) { return p.Mix(s); });
}

void LightingControlsPage::ApplyToScene()
{
    if (!page_)
        Refresh();
    LightingSettings settings = context_.workspace.Lighting();
    page_->Apply(settings);
    context_.workspace.SetLighting(settings);
    context_.redrawScreen();
}

void LightingControlsPage::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    menu.addAction("&Apply To Scene", this, &LightingControlsPage::ApplyToScene);
    menu.addAction("&Light To Front", this, [this] {
        LightToFront(context_.workspace.session.scene.camera);
        context_.render();
    });
    const auto prompted = [](QAction* action, const char* prompt) {
        action->setStatusTip(prompt);
        action->setToolTip(prompt);
    };
    prompted(menu.addAction("Am&bient To Full", this, &LightingControlsPage::FullAmbient),
             "Sets the Ambient Light in the scene to 255");
    menu.addAction("&Spot To Full", this, &LightingControlsPage::FullSpot);
    prompted(menu.addAction("Ambient/Spot &Mix", this, &LightingControlsPage::Mix),
             "Sets both the Ambient light and the Spot light to 50%");
    menu.setToolTipsVisible(true);
    // A popup menu is a window of its own, so its entries' prompts are handed to the page,
    // from where they reach the main window's status bar; closing the menu clears them.
    connect(&menu, &QMenu::hovered, this, [this](QAction* action) { action->showStatusText(this); });
    connect(&menu, &QMenu::aboutToHide, this, [this] {
        QStatusTipEvent cleared{QString()};
        QApplication::sendEvent(this, &cleared);
    });
    menu.exec(event->globalPos());
}

} // namespace gessoria::app
