#pragma once
// ColourPicker: the floating Colour Picker. It edits the foreground or the background
// colour, whichever sample is chosen, with Red, Green and Blue from 0 to 255, and the grey
// levels painted into Bump ("Bump"), Self Illumination ("Illum"), Shininess ("Shine") and
// Opacity ("Opac"). "Add Custom" names the colour being edited and keeps it in the custom
// list (stored in the preferences file). One button switches between the concise layout
// and the full one, which adds the custom colours; only the width changes. The right-button
// menu sets the colour being edited to a quick colour, desaturates it or swaps foreground
// and background.

#include "session/CustomColours.h"

#include <QWidget>

#include <array>
#include <cstdint>

class QLabel;
class QListWidget;
class QPushButton;
class QSlider;
class QSpinBox;

namespace gessoria {
class UserInteraction;
struct PaintValues;
}

namespace gessoria::app {

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

    QSpinBox* channel(int channel) const { return channels_[static_cast<std::size_t>(channel)]; }
    QSpinBox* level(Level which) const { return levels_[static_cast<std::size_t>(which)]; }
    QPushButton* layoutButton() const { return layout_; }
    QListWidget* customList() const { return customs_; }
    const CustomColours& customColours() const { return customColours_; }
    QMenu* BuildMenu();

signals:
    // A colour or level the painting tools use changed.
    void coloursChanged();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::uint32_t& Edited();
    void SetEdited(std::uint32_t word);
    std::uint8_t& LevelValue(Level which);

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
    int conciseWidth_ = 0;
};

} // namespace gessoria::app
