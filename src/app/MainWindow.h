#pragma once
// MainWindow: the program's one top-level window — the main view, the File and Position
// tool bars, the menus, the status bar with its message pane and CAP/NUM/SCRL indicators.
//
// It selects tools, opens files, prints, runs the preference dialogs and the floater
// commands (Cut, Copy, Paste, Drop Floater, Clear) over the system clipboard. What a command
// does to the scene it leaves to engine calls; the window only shows their results.

#include "app/Command.h"
#include "app/RecentFiles.h"
#include "scene/PaintTool.h"
#include "view3d/Navigation.h"

#include <QMainWindow>

#include <memory>
#include <vector>

class QLabel;
class QMenu;
class QToolButton;

namespace gessoria {
struct Scene;
struct ScreenRect;
struct TextFont;
class ClipboardPort;
class UserInteraction;
}

namespace gessoria::app {

class CommandTable;
class ApplicatorsPalette;
class HostLinkPort;
class BitmapViewWindows;
class ColourPicker;
class PigmentsPalette;
class ControlPanel;
class HelpWindow;
class SixAxisController;
class InfoWindow;
class MainView;
class WarningWindow;
class WindowPlaces;
struct Workspace;

// Opens a scene with its own directory searched for bitmaps before the Map Paths.
bool OpenSceneBesideItsMaps(Scene& scene, const std::string& path, UserInteraction& ui);

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    static constexpr const char* kReady = "Ready";

    MainWindow(Workspace& workspace, UserInteraction& ui, WarningWindow& warnings, RecentFiles& recent);
    ~MainWindow() override;

    MainView& view() { return *view_; }
    CommandTable& commands() { return *commands_; }
    QLabel& statusPane() { return *statusPane_; }
    ControlPanel& controlPanel() { return *panel_; }
    ColourPicker& colourPicker() { return *colourPicker_; }
    InfoWindow& infoWindow() { return *infoWindow_; }
    ApplicatorsPalette& applicators() { return *applicators_; }
    PigmentsPalette& pigments() { return *pigments_; }
    BitmapViewWindows& bitmapViews() { return *bitmapViews_; }
    SixAxisController& sixAxis() { return *sixAxis_; }
    // The help window; null until help was first asked for.
    HelpWindow* helpWindow() const { return helpWindow_; }
    // Opens the help window at a topic of the manual (a page's file name).
    void ShowHelp(const QString& topic);
    // The manual's page about the window, page or tool that has the focus.
    QString HelpTopicOfFocus() const;
    // The places of the window and its palettes, kept in the INI file; written when the
    // window closes.
    WindowPlaces& places() { return *places_; }

    // Opens a scene or project. `throughDialog` is set for the Open command's chooser, which
    // is the one way a project stops preferences and libraries being written at exit.
    bool OpenFile(const QString& path, bool throughDialog);
    // Saves the session as a project at `path`, which then becomes the document.
    bool SaveTo(const QString& path);
    // While the scene holds unsaved work, asks "Save changes to NAME?" (Save, Discard,
    // Cancel) before it is replaced or the program ends. True when the caller may go on:
    // nothing to save, saved, or discarded; false after Cancel or a save that did not happen.
    bool ConfirmDiscardChanges();
    // Memory ran out inside `activity` (a command's name, or empty): whatever it was doing
    // is ended with the scene as it was, and the user is told "Not enough memory to ...".
    void RecoverFromMemoryFailure(const QString& activity);
    // Opens work recovered from a run that did not end normally: a changed scene without a
    // name, Save As offering `origin` (the document it came from).
    bool OpenRecovered(const QString& path, const QString& origin);
    // The file the document came from or was saved to; empty when there is none.
    const QString& documentPath() const { return documentPath_; }
    // File Save: Save As when the scene has no project yet. False when nothing was saved.
    bool SaveDocument();
    // File Save As: asks for the project's name (preset with `suggestedProjectPath_` when the
    // scene has none). False when cancelled or failed.
    bool SaveDocumentAs();
    const QString& projectPath() const { return projectPath_; }

    // A painting tool's command: a second press deselects it.
    void SelectPaintTool(PaintTool tool);
    // A position tool's command: a second press sets none.
    void SelectPositionTool(PositionTool tool);
    // Listens for a modelling host (the program's start-up does this once the window shows);
    // without the link (another program holds it) the status bar says so.
    void StartHostLink();
    // The link, once started; null before.
    HostLinkPort* hostLink() const { return hostLink_; }
    // A scene the host handed over took the scene's place (or failed to, leaving it empty).
    void HostSceneReceived(bool loaded);
    QLabel* linkNote() const { return linkNote_; }

    // With a pressure tablet present and pressure sensitivity on, the Warning Window offers
    // to switch it off (painting with the mouse then reads no pressure).
    void WarnOfTablet();

    // The clipboard Cut, Copy, Paste and Clear use: the system's unless replaced (tests).
    ClipboardPort& clipboard() { return *clipboard_; }
    void SetClipboard(ClipboardPort& clipboard);
    // The Text page's Create: the text becomes the floater to place, the placement warning
    // is raised and shown, and the Selection tool takes over.
    void CreateText(const std::string& text, const TextFont& font);

signals:
    // The document was saved as a project (the recovery project is no longer needed).
    void saved();
    // The autosave preference was changed to `minutes` (0: off).
    void autosaveMinutesChanged(int minutes);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Exit, the window's close button and the session ending: unsaved work is asked about.
    void closeEvent(QCloseEvent* event) override;

private:
    // Each command names what the event that triggered it is doing, for the memory failure
    // message; the application hands such failures to RecoverFromMemoryFailure.
    void NameActivitiesAfterCommands();
    // The project the scene was last opened from or saved to; empty for a scene file.
    QString projectPath_;
    // The file the title names (a scene or a project); empty when there is none.
    QString documentPath_;
    // The name Save As offers for a scene without a project (a recovered project's origin).
    QString suggestedProjectPath_;

    // Marks the session changed on every stroke, layer change and library change, and keeps
    // the title's "*" in step with it.
    void WatchDocumentChanges();
    // The title: the document's file name, "*" after it while there is unsaved work.
    void ShowTitle();

    void BuildMenus();
    void BuildToolBars();
    void BuildStatusBar();
    void BuildControlPanel();
    void BuildPalettes();
    void ConnectCommands();
    void On(Command id, void (MainWindow::*handler)());

    void ChooseAndOpen();
    void Save();
    void SaveAs();
    void ExportMaps();
    void ExportModel();
    void PrintView();
    void RefreshRecentMenu();
    void UpdateToolChecks();
    void UpdateTitle(const QString& path);
    void UpdateLockIndicators(quint32 nativeModifiers);
    void SetPaintTool(PaintTool tool);
    void PositionToolLapsed();
    void ShowWarning();
    void IgnoreWarning();
    void Navigate(ArrowKey key, bool ctrl);
    // "[" and "]": the projected dab's size a step smaller (-1) or larger (+1).
    void StepProjectionSize(int direction);
    void ZoomExtentsCommand();
    void LightToFrontCommand();
    void ToggleToolLock();
    void ToggleLightLock();
    void Undo(bool single);
    // Before Undo and Redo: a floater being placed is dropped first.
    void FixFloaterBeforeUndo();
    void UpdateUndoCommands();
    void Cut();
    void Copy();
    void Paste();
    void DropFloater();
    void ClearClipboard();
    // Shows what a floater command changed and re-reads every command it may have enabled.
    void AfterFloaterCommand(const ScreenRect& changed);
    void UpdateEditCommands();
    void Redo();
    void RenderingOptions();
    void MapPaths();
    void PointerShape();
    void PressureSensitivity();
    void UndoPreferences();
    void About();
    void TipOfTheDay();
    void Benchmark();
    // The six-axis controller and its preferences (MainWindowSixAxis.cpp).
    void SetUpSixAxis();
    void SpaceWarePreferences();

    Workspace& workspace_;
    HostLinkPort* hostLink_ = nullptr;
    QLabel* linkNote_ = nullptr;
    UserInteraction& ui_;
    WarningWindow& warnings_;
    RecentFiles& recent_;
    CommandTable* commands_;
    MainView* view_;
    std::unique_ptr<ClipboardPort> systemClipboard_;
    ClipboardPort* clipboard_ = nullptr;
    ControlPanel* panel_ = nullptr;
    ColourPicker* colourPicker_ = nullptr;
    InfoWindow* infoWindow_ = nullptr;
    ApplicatorsPalette* applicators_ = nullptr;
    PigmentsPalette* pigments_ = nullptr;
    BitmapViewWindows* bitmapViews_ = nullptr;
    HelpWindow* helpWindow_ = nullptr;
    SixAxisController* sixAxis_ = nullptr;
    WindowPlaces* places_ = nullptr;
    QLabel* statusPane_ = nullptr;
    QLabel* capsIndicator_ = nullptr;
    QLabel* numIndicator_ = nullptr;
    QLabel* scrollIndicator_ = nullptr;
    bool scrollLock_ = false;
    QToolButton* warningButton_ = nullptr;
    QMenu* fileMenu_ = nullptr;
    // The recent files' entries in the File menu, and the separator that ends them.
    std::vector<QAction*> recentActions_;
    QAction* recentEnd_ = nullptr;
};

} // namespace gessoria::app
