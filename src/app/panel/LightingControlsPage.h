#pragma once
// LightingControlsPage: the Lighting Controls page over the engine's LightingPage — the
// "Ambient Strength" and "Spotlight Strength" sliders that keep their sum within 65536, the
// "Backdrop Colour" slider with its swatch, "Auto-Update", "Apply" and the right-button menu
// (Apply To Scene, Light To Front, Ambient To Full, Spot To Full, Ambient/Spot Mix).

#include "app/panel/PanelContext.h"
#include "app/panel/PanelPage.h"
#include "view3d/Lighting.h"

#include <QWidget>

#include <optional>

class QCheckBox;
class QLabel;
class QPushButton;
class QSlider;

namespace gessoria::app {

class LightingControlsPage : public QWidget, public RefreshablePage {
    Q_OBJECT
public:
    LightingControlsPage(PanelContext context, QWidget* parent = nullptr);
    // Opening the page sets the sliders from the settings in force.
    void Refresh() override;

    QSlider* ambientSlider() const { return ambient_; }
    QSlider* spotSlider() const { return spot_; }
    QSlider* backdropSlider() const { return backdrop_; }
    QCheckBox* autoUpdateBox() const { return autoUpdate_; }
    QPushButton* applyButton() const { return apply_; }
    void FullAmbient();
    void FullSpot();
    void Mix();
    void ApplyToScene();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // Runs one of the engine page's moves on the settings in force and shows the result.
    template <typename Move>
    void Change(Move move);
    void ShowSliders();

    PanelContext context_;
    std::optional<LightingPage> page_;
    QSlider* ambient_;
    QSlider* spot_;
    QSlider* backdrop_;
    QLabel* swatch_;
    QCheckBox* autoUpdate_;
    QPushButton* apply_;
    bool showing_ = false;
};

} // namespace gessoria::app
