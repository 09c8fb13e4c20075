#pragma once
// WindowPlaces: where the main window's parts were, kept in the preferences file's "Windows"
// section and put back at the next start.
//
// Kept: the main window's place, size and maximised state; the control panel's side, width
// and visibility; each floating palette's place and visibility. A place that lies on no
// screen any more is not used. A palette with no kept place opens, the first time it is
// shown, inside the main view's area at a corner of its own, so it never covers the menu
// bar or the tool bars.

#include <QObject>
#include <QPointer>

#include <filesystem>
#include <vector>

class QWidget;

namespace gessoria::app {

class MainWindow;
enum class Command;

class WindowPlaces : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kSection = "Windows";

    WindowPlaces(MainWindow& window, std::filesystem::path iniPath);

    // Puts back what the file keeps; the main window may be shown or not yet.
    void Restore();
    // Writes the places as they are now.
    bool Save() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Corner { TopLeft, TopRight, BottomLeft, TopLeftBeside };
    struct Palette {
        const char* name;  // the keys' prefix
        Command command;
        QWidget* window;
        Corner corner;
        bool placed = false;
    };

    // The first place of a palette without one kept: its corner of the main view.
    void PlaceBesideView(Palette& palette);

    MainWindow& window_;
    std::filesystem::path iniPath_;
    std::vector<Palette> palettes_;
};

} // namespace gessoria::app
