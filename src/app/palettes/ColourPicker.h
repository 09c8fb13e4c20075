#pragma once
// ColourPicker: the floating Colour Picker. It edits the foreground or the background
// colour, whichever sample is chosen, with Red, Green and Blue from 0 to 255, and the grey
// levels painted into Bump ("Bump"), Self Illumination ("Illum"), Shininess ("Shine") and
// Opacity ("Opac"). "Add Custom" names the colour being edited and keeps it in the custom
// list (stored in the preferences file). One button switches between the concise layout
// and the full one, which adds the custom colours; only the width changes. The right-button
// menu sets the colour being edited to a quick colour, desaturates it or swaps foreground
// and background.
//
// Below the sliders: the hex field ("#RRGGBB"; Enter takes it, a text that is no colour is
// said and changes nothing), "Pick From Screen" (the next click anywhere on the screen
// takes the colour under it, Esc gives up), the hue/saturation/value square, and the 16
// colours painted with last (newest first; a click takes one again). The colour painted
// with is remembered at the end of each Brush, Fill and Line stroke.

#include "session/CustomColours.h"

#include <QWidget>

#include <array>
#include <cstdint>

class QLabel;
class QLineEdit;
class QListWidget;
class QToolButton;
class QPushButton;
class QSlider;
class QSpinBox;

namespace gessoria {
class UserInteraction;
struct PaintValues;
}

namespace gessoria::app {

class HsvSquare;
struct Workspace;

class ColourPicker : public QWidget {
    Q_OBJECT
public:
    enum Level { Bump, Illum, Shine, Opac, LevelCount };
    // The width the full layout adds for the custom colours.
    static constexpr int kCustomWidth = 170;

    ColourPicker(Workspace& workspace, UserInteraction& ui, QWidget* parent = nullptr);

    bool editingForeground() const { return foreground_; }
    void EditForeground(bool foreground);
    bool full() const { return full_; }
    void SetFull(bool full);
    // Re-reads the colours (after the sampler or the Info Window changed them).
    void Refresh();

    // The right-button menu's entries, by their menu order.
    void SetQuickColour(std::uint32_t bgr);
    void Desaturate();
    void SwapForeBack();
    void AddCustom();
    // The hex field's Enter: false (with a message) when the text is no colour.
    bool TakeHex();
    // Starts Pick From Screen: the next click anywhere takes the colour under it.
    void StartScreenPick();
    bool picking() const { return picking_; }
    // Takes the colour shown on the screen at a point in global coordinates; false (with a
    // message) when the screen cannot be read there.
    bool PickScreenColourAt(QPoint global);
    // After a stroke: a tool that paints the foreground colour puts it in the recent colours.
    void NoteStrokeEnded();

    QSpinBox* channel(int channel) const { return channels_[static_cast<std::size_t>(channel)]; }
    QSpinBox* level(Level which) const { return levels_[static_cast<std::size_t>(which)]; }
    QPushButton* layoutButton() const { return layout_; }
    QListWidget* customList() const { return customs_; }
    const CustomColours& customColours() const { return customColours_; }
    QLineEdit* hexField() const { return hex_; }
    HsvSquare* hsvSquare() const { return hsv_; }
    QPushButton* pickButton() const { return pick_; }
    // The recent colours' buttons, newest first; those beyond the colours kept are disabled.
    QToolButton* recentButton(int index) const { return recent_[static_cast<std::size_t>(index)]; }
    QMenu* BuildMenu();

signals:
    // A colour or level the painting tools use changed.
    void coloursChanged();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::uint32_t& Edited();
    void SetEdited(std::uint32_t word);
    std::uint8_t& LevelValue(Level which);
    void RefreshRecent();
    void EndScreenPick();

    Workspace& workspace_;
    UserInteraction& ui_;
    CustomColours customColours_;
    bool foreground_ = true;
    bool full_ = false;
    bool showing_ = false;
    QLabel* foreSample_;
    QLabel* backSample_;
    std::array<QSpinBox*, 3> channels_{};
    std::array<QSlider*, 3> channelSliders_{};
    std::array<QSpinBox*, LevelCount> levels_{};
    std::array<QSlider*, LevelCount> levelSliders_{};
    QPushButton* layout_;
    QWidget* customPanel_;
    QListWidget* customs_;
    QLineEdit* hex_;
    QPushButton* pick_;
    HsvSquare* hsv_;
    std::array<QToolButton*, 16> recent_{};
    bool picking_ = false;
    int conciseWidth_ = 0;
};

} // namespace gessoria::app
