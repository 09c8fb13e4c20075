#pragma once
// BitmapViewWindow: the window of one layer's bitmap view — its "&File" and "&Image" menus,
// the dockable tool bar, the right-button menu and a status bar for the commands' prompts,
// around a BitmapViewWidget.
//
// The caption is the view's title and file text. Image commands, export and printing are
// the engine's (BitmapImageCommands); the window only asks the printer through Qt. Cut,
// Copy and Paste in the right-button menu are the main window's own actions. Closing the
// window tells its owner (closing()), which forgets the layer's view.

#include "paint/BitmapImageCommands.h"

#include <QMainWindow>

#include <array>
#include <memory>

class QPrinter;
class QToolBar;

namespace gessoria {
class UserInteraction;
}

namespace gessoria::app {

class BitmapViewWidget;
class CommandTable;
struct Workspace;

enum class BitmapViewCommand {
    Open, Close, Save, SaveAs, Print,
    FlipHorizontal, FlipVertical, Rotate90, Rotate180, RotateMinus90, Invert,
    Halftone, Monochrome, Colours16, Colours256, Grey256,
    ToggleCheckers, ShowMesh, ZoomIn, ZoomOut, NoZoom,
    Count
};

class BitmapViewWindow : public QMainWindow {
    Q_OBJECT
public:
    static constexpr const char* kCaptionAtCreation = "My New Bitmap View";

    // `mainCommands` gives the main window's Cut, Copy and Paste.
    BitmapViewWindow(BitmapView& view, Workspace& workspace, UserInteraction& ui, const CommandTable& mainCommands,
                     QWidget* parent = nullptr);

    BitmapView& view() { return view_; }
    BitmapViewWidget& widget() { return *widget_; }
    QAction* action(BitmapViewCommand command) const { return actions_[static_cast<std::size_t>(command)]; }
    QToolBar& toolBar() { return *toolBar_; }
    QMenu& contextMenu() { return *contextMenu_; }

    // A zoom kept from an earlier run: the view takes it and the window fits the bitmap again.
    void RestoreZoom(float zoom);
    // Prints the layer on a printer already chosen; false (with the message) on failure.
    bool PrintTo(QPrinter& printer);
    // A closing window keeps its view, no longer in the open set, until it is deleted.
    void KeepView(std::unique_ptr<BitmapView> view) { ownView_ = std::move(view); }

signals:
    void closing();
    // The layer changed (an image command or painting): the surface needs redrawing.
    void layerChanged();
    void strokeEnded();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildActions();
    void BuildMenus(const CommandTable& mainCommands);
    void BuildToolBar();
    void FitToBitmap();
    void Apply(ImageCommand command);
    void Export();
    void Print();

    std::unique_ptr<BitmapView> ownView_;
    BitmapView& view_;
    UserInteraction& ui_;
    BitmapViewWidget* widget_;
    QToolBar* toolBar_ = nullptr;
    QMenu* contextMenu_ = nullptr;
    std::array<QAction*, static_cast<std::size_t>(BitmapViewCommand::Count)> actions_{};
};

} // namespace gessoria::app
