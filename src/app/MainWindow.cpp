#include "app/MainWindow.h"

#include "app/CommandTable.h"
#include "app/DataDirectory.h"
#include "app/DocumentFolders.h"
#include "app/HostLinkPort.h"
#include "app/ProjectFiles.h"
#include "app/TextureMapSizeMemory.h"
#include "app/WarningWindow.h"
#include "app/WindowPlaces.h"
#include "app/Workspace.h"
#include "app/bitmapview/BitmapViewWindows.h"
#include "app/clipboard/SystemClipboard.h"
#include "app/dialogs/AboutDialog.h"
#include "app/dialogs/ExportMapsDialog.h"
#include "app/dialogs/MapPathsDialog.h"
#include "app/dialogs/PreferenceDialogs.h"
#include "app/MemorySafeApplication.h"
#include "app/dialogs/RenderingOptionsDialog.h"
#include "app/dialogs/TipDialog.h"
#include "app/help/HelpWindow.h"
#include "app/palettes/ApplicatorsPalette.h"
#include "app/palettes/ColourPicker.h"
#include "app/palettes/InfoWindow.h"
#include "app/palettes/PigmentsPalette.h"
#include "app/panel/ControlPanel.h"
#include "app/view/MainView.h"
#include "io/ModelWriter.h"
#include "io/SceneFileOpener.h"
#include "app/panel/ProjectionControls.h"
#include "paint/StrokeController.h"
#include "paint/TextTool.h"
#include "session/SessionProject.h"
#include "session/AboutInfo.h"
#include "view3d/Projection.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDevice>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QWhatsThis>

#include <algorithm>
#include <filesystem>
#include <memory>

namespace gessoria::app {
namespace {

using C = Command;

struct ToolCommand {
    PaintTool tool;
    Command command;
    int cursor;
};

constexpr int kTexturePaintCursor = 158;
constexpr int kCloneSourceCursor = 271;

constexpr ToolCommand kPaintTools[] = {
    {PaintTool::Brush, C::BrushTool, 158},      {PaintTool::Fill, C::FillTool, 247},
    {PaintTool::Line, C::LineTool, 272},        {PaintTool::TexturePaint, C::TexturePaintTool, kTexturePaintCursor},
    {PaintTool::Text, C::TextTool, 273},        {PaintTool::Selection, C::SelectionTool, 274},
    {PaintTool::Eraser, C::EraserTool, 166},    {PaintTool::Sampler, C::SamplerTool, 181},
};

struct PositionCommand {
    PositionTool tool;
    Command command;
    int cursor;
    int hint;
    const char* hintText;
};

const PositionCommand kPositionTools[] = {
    {PositionTool::Rotate, C::Rotate, kCursorRotate, 61208,
     "You can also rotate using the Arrow Keys on your keyboard. Holding down the Control key when you rotate with "
     "the mouse or those arrows rotates the scene on the Z axis."},
    {PositionTool::ZoomDynamic, C::ZoomDynamic, kCursorZoom, 61225,
     "Don't forget that when you're finished zooming and want to return to normal, pressing 'Alt' & 'z' is a "
     "shortcut to 'Zoom Extents'"},
    {PositionTool::ZoomRegion, C::ZoomWindow, kCursorZoomRegion, 61226,
     "You can also activate 'Zoom Window' by pressing the w key."},
    {PositionTool::Pan, C::Pan, kCursorPan, 61227,
     "'Panning' is where you move the objects along the X and Y axes of the screen, a shortcut to this tool is to "
     "press the 'p' key."},
    {PositionTool::MoveLights, C::MoveLights, kCursorRotate, 0, nullptr},
};

// Paint Wizard hints of the tools whose selection the engine gives none.
struct ToolHint {
    PaintTool tool;
    const char* text;
};
constexpr ToolHint kToolHints[] = {
    {PaintTool::Fill, "You can also select the Fill Tool by pressing 'F'. The fill lays the current paint in the "
                      "foreground colour; the Border style spreads it up to a border drawn in the background colour. "
                      "Set how far it spreads with the Fill Tolerance on its page."},
    {PaintTool::TexturePaint, "Choose 'Clone' to copy one part of a surface onto another (press 'Set Source' first), "
                              "or 'Texture Paint' to paint with the pictures of a bitmap paint."},
    {PaintTool::Sampler, "Click the object to pick up the colour under the pointer as the foreground colour; hold "
                         "Ctrl to pick up the background colour instead."},
    {PaintTool::Text, "Type your text on the Text page, choose a font and press 'Create'; then click the object to "
                      "place the text, drag to move it and press Ctrl+D to lay it down with the current pigment."},
    {PaintTool::Selection, "Drag over the object to select part of its texture. Drag inside the selection to move it "
                           "(hold Ctrl to move a copy), or use Cut, Copy and Paste; Ctrl+D drops the floater."},
};
constexpr const char* kHintToolLock =
    "Selecting this button means that when you use a position tool, it won't deselect itself. Use this if you think "
    "you're going to take more than one action to position an object.";
constexpr const char* kHintZoomExtents = "Try Zooming to Extents by pressing 'Alt' and 'Z' at the same time.";
constexpr const char* kHintRenderLevel =
    "If you are finding that rotating your objects is very slow, consider dropping the 'Move' render level to Wire "
    "Frame and maybe even using the Acceleration function on top of that.";
constexpr const char* kHintMapPaths =
    "If you only have a few maps to find, remember that Gessoria will let you assign Map Paths dynamically as you "
    "import objects.";

int CursorOfPaintTool(PaintTool tool)
{
    for (const ToolCommand& t : kPaintTools)
        if (t.tool == tool)
            return t.cursor;
    return kCursorNone;
}

// X11's key-state bits for Caps Lock and Num Lock as a key event reports them.
constexpr quint32 kCapsLockMask = 0x02;
constexpr quint32 kNumLockMask = 0x10;

} // namespace

MainWindow::MainWindow(Workspace& workspace, UserInteraction& ui, WarningWindow& warnings, RecentFiles& recent)
    : workspace_(workspace), ui_(ui), warnings_(warnings), recent_(recent)
{
    setWindowTitle("Gessoria");
    commands_ = new CommandTable(this);
    NameActivitiesAfterCommands();
    systemClipboard_ = std::make_unique<SystemClipboard>();
    clipboard_ = systemClipboard_.get();
    setWindowIcon(QIcon(":/icons/gessoria.svg"));
    view_ = new MainView(workspace_, ui_, this);
    setCentralWidget(view_);
    bitmapViews_ = new BitmapViewWindows(workspace_, ui_, *commands_, this);
    BuildToolBars();
    BuildStatusBar();
    BuildControlPanel();
    BuildPalettes();
    BuildMenus();
    ConnectCommands();
    SetUpSixAxis();

    // 800 x 600, centred on the screen.
    resize(800, 600);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->geometry();
        move(available.width() / 2 - 400, available.height() / 2 - 300);
    }
    qApp->installEventFilter(this);
    connect(view_, &MainView::positionToolLapsed, this, &MainWindow::PositionToolLapsed);
    connect(view_, &MainView::strokeEnded, this, &MainWindow::UpdateUndoCommands);
    connect(view_, &MainView::floaterChanged, this, &MainWindow::UpdateEditCommands);
    if (QClipboard* system = QGuiApplication::clipboard())
        connect(system, &QClipboard::dataChanged, this, &MainWindow::UpdateEditCommands);
    connect(bitmapViews_, &BitmapViewWindows::strokeEnded, this, &MainWindow::UpdateUndoCommands);
    connect(view_, &MainView::fileDropped, this, [this](const QString& path) {
        if (ConfirmDiscardChanges())
            OpenFile(path, false);
    });
    connect(&warnings_, &WarningWindow::litChanged, this, [this](bool lit) {
        (*commands_)[C::WarningWindow]->setIcon(QIcon(lit ? ":/icons/warninglit.svg" : ":/icons/warning.svg"));
        panel_->SetWarningLit(lit);
    });
    UpdateToolChecks();
    UpdateUndoCommands();
    UpdateEditCommands();
    WatchDocumentChanges();
    places_ = new WindowPlaces(*this, workspace_.session.iniPath);
}

MainWindow::~MainWindow()
{
    if (MemorySafeApplication* application = MemorySafeApplication::instance())
        application->SetMemoryFailureHandler({});
}

void MainWindow::NameActivitiesAfterCommands()
{
    MemorySafeApplication* application = MemorySafeApplication::instance();
    if (application == nullptr)
        return;
    application->SetMemoryFailureHandler([this](const QString& activity) { RecoverFromMemoryFailure(activity); });
    // Connected before any handler, so the name is set when a handler runs out of memory.
    for (int i = 0; i < static_cast<int>(Command::Count); ++i) {
        QAction* action = (*commands_)[static_cast<Command>(i)];
        connect(action, &QAction::triggered, this, [action] {
            QString name = action->text().section('\t', 0, 0).remove('&');
            if (name.endsWith("..."))
                name.chop(3);
            if (MemorySafeApplication* running = MemorySafeApplication::instance())
                running->SetActivity(name);
        });
    }
}

void MainWindow::BuildToolBars()
{
    const CommandTable& c = *commands_;
    auto* file = addToolBar("File");
    file->setObjectName("FileToolbar");
    file->setIconSize(QSize(20, 20));
    for (Command id : {C::Open, C::Save})
        file->addAction(c[id]);
    file->addSeparator();
    for (Command id : {C::Cut, C::Copy, C::Paste})
        file->addAction(c[id]);
    file->addSeparator();
    file->addAction(c[C::PrintView]);
    file->addSeparator();
    file->addAction(c[C::Undo]);
    file->addAction(c[C::Redo]);
    file->addSeparator();
    file->addAction(c[C::About]);
    file->addAction(c[C::WhatsThis]);
    file->addSeparator();
    file->addAction(c[C::RenderLevel]);
    file->addSeparator();
    file->addAction(c[C::PaintingWizard]);

    auto* position = new QToolBar("View Object", this);
    position->setObjectName("PositionToolbar");
    position->setIconSize(QSize(20, 20));
    insertToolBar(file, position);
    position->addAction(c[C::ZoomExtents]);
    position->addSeparator();
    for (Command id : {C::Rotate, C::ZoomDynamic, C::ZoomWindow, C::Pan})
        position->addAction(c[id]);
    position->addSeparator();
    position->addAction(c[C::LockPositionTools]);
    position->addSeparator();
    for (Command id : {C::LightLock, C::LightToFront, C::MoveLights})
        position->addAction(c[id]);

    for (auto [bar, id] : {std::pair{file, C::FileToolbar}, std::pair{position, C::PositionToolbar}}) {
        QAction* toggle = c[id];
        toggle->setChecked(true);
        connect(toggle, &QAction::toggled, bar, &QWidget::setVisible);
        connect(bar, &QToolBar::visibilityChanged, toggle, &QAction::setChecked);
    }
}

void MainWindow::BuildStatusBar()
{
    QStatusBar* bar = statusBar();
    statusPane_ = new QLabel(CommandTable::StatusText("Ready\tFor Help, press F1"), bar);
    statusPane_->setMinimumWidth(120);
    bar->addWidget(statusPane_, 1);
    warningButton_ = new QToolButton(bar);
    warningButton_->setDefaultAction((*commands_)[C::WarningWindow]);
    warningButton_->setAutoRaise(true);
    bar->addPermanentWidget(warningButton_);
    for (auto [indicator, name] : {std::pair{&capsIndicator_, "CAP"}, std::pair{&numIndicator_, "NUM"},
                                   std::pair{&scrollIndicator_, "SCRL"}}) {
        *indicator = new QLabel(name, bar);
        (*indicator)->setEnabled(false);
        (*indicator)->setFrameShape(QFrame::Panel);
        (*indicator)->setFrameShadow(QFrame::Sunken);
        (*indicator)->setAlignment(Qt::AlignCenter);
        (*indicator)->setMinimumWidth((*indicator)->fontMetrics().horizontalAdvance("SCRL") + 12);
        bar->addPermanentWidget(*indicator);
    }
    QAction* toggle = (*commands_)[C::StatusBar];
    toggle->setChecked(true);
    connect(toggle, &QAction::toggled, bar, &QWidget::setVisible);
}

void MainWindow::BuildControlPanel()
{
    PanelContext context{workspace_, ui_, [this] { view_->Render(); }, [this] { view_->RedrawScreen(); },
                         [this](int cursor) { view_->SetToolCursor(cursor); },
                         [this](int material, MapType type, int layer) { bitmapViews_->Open(material, type, layer); },
                         [this] { view_->RefreshBrushCircle(); },
                         [this] {
                             infoWindow_->Refresh();
                             if (applicators_->isVisible())
                                 applicators_->Refresh();
                         },
                         [this] {
                             if (hostLink_ != nullptr)
                                 hostLink_->SendMaterials();
                             else
                                 ui_.Tell("Cant send these materials to Max.\nCommunications lost?", MessageIcon::Error);
                         }};
    panel_ = new ControlPanel(*commands_, std::move(context), this);
    connect(panel_, &ControlPanel::textWanted, this, &MainWindow::CreateText);
    addDockWidget(Qt::LeftDockWidgetArea, panel_);
    QAction* toggle = (*commands_)[C::ControlPanel];
    toggle->setChecked(true);
    connect(toggle, &QAction::toggled, panel_, &QWidget::setVisible);
    connect(panel_, &QDockWidget::visibilityChanged, toggle, [this, toggle] { toggle->setChecked(panel_->isVisible()); });
    struct WindowPage {
        Command command;
        PanelPage page;
        const char* hint;
    };
    static constexpr WindowPage kWindowPages[] = {
        {C::ViewBookmarks, PanelPage::Bookmarks,
         "A View Bookmark keeps the view and the light as they are now. Press 'New' to keep one and double-click a "
         "bookmark to go back to it."},
        {C::LayersWindow, PanelPage::Layers,
         "Paint always goes into the selected layer of each map type. Add layers with 'New' to keep your work "
         "separate from the material's own bitmap."},
        {C::LightingControls, PanelPage::Lighting,
         "Slider changes only reach the view when you press 'Apply', unless 'Auto-Update' is ticked. Right-click "
         "the page for quick settings."},
        {C::ObjectsWindow, PanelPage::Objects,
         "Hidden objects are neither drawn nor painted; frozen objects are drawn but take no paint, which protects "
         "them while you paint their neighbours."},
        {C::MaxOut, PanelPage::MaxOut,
         "'Go!' sends the painted maps back to the modelling host that sent the scene. Choose first whether it "
         "writes them over its old bitmaps or makes new ones named with the prefix."},
    };
    for (const WindowPage& w : kWindowPages)
        connect((*commands_)[w.command], &QAction::triggered, this, [this, &w] {
            ui_.ShowHint(0, w.hint);
            panel_->show();
            panel_->ShowPage(w.page);
        });
}

void MainWindow::BuildPalettes()
{
    // Floating tool windows over the main window, made hidden and toggled by their commands.
    colourPicker_ = new ColourPicker(workspace_, ui_, this);
    infoWindow_ = new InfoWindow(workspace_, this);
    applicators_ = new ApplicatorsPalette(workspace_, ui_, this);
    pigments_ = new PigmentsPalette(workspace_, ui_, this);
    const std::pair<Command, QWidget*> palettes[] = {{C::ColourPicker, colourPicker_},
                                                     {C::InfoWindow, infoWindow_},
                                                     {C::Applicators, applicators_},
                                                     {C::Pigments, pigments_}};
    for (auto [command, window] : palettes) {
        QAction* toggle = (*commands_)[command];
        connect(toggle, &QAction::toggled, window, &QWidget::setVisible);
        window->installEventFilter(this);
    }
    connect(colourPicker_, &ColourPicker::coloursChanged, infoWindow_, &InfoWindow::Refresh);
    // A brush or paint chosen or edited shows in the Info Window and on the visible page.
    for (LibraryPalette* palette : std::initializer_list<LibraryPalette*>{applicators_, pigments_})
        connect(palette, &LibraryPalette::libraryChanged, this, [this] {
            infoWindow_->Refresh();
            panel_->RefreshVisiblePage();
        });
    connect((*commands_)[C::BrushSettings], &QAction::triggered, applicators_, &LibraryPalette::EditCurrent);
    connect((*commands_)[C::PaintSettings], &QAction::triggered, pigments_, &LibraryPalette::EditCurrent);
    connect(infoWindow_, &InfoWindow::colourPickerWanted, this, [this](bool foreground) {
        colourPicker_->EditForeground(foreground);
        (*commands_)[C::ColourPicker]->setChecked(true);
        colourPicker_->raise();
    });
    const auto refreshColours = [this] {
        colourPicker_->Refresh();
        infoWindow_->Refresh();
    };
    connect(view_, &MainView::strokeEnded, this, refreshColours);
    connect(bitmapViews_, &BitmapViewWindows::strokeEnded, this, refreshColours);
    connect(view_, &MainView::strokeEnded, colourPicker_, &ColourPicker::NoteStrokeEnded);
    connect(bitmapViews_, &BitmapViewWindows::strokeEnded, colourPicker_, &ColourPicker::NoteStrokeEnded);
    // A clone source set from a bitmap view ends set-source mode: the page shows it.
    connect(bitmapViews_, &BitmapViewWindows::strokeEnded, panel_, &ControlPanel::RefreshVisiblePage);
    // A click that recorded the clone source (on the surface or in a bitmap view) ends
    // set-source mode, so the view leaves the source cursor for the Texture Paint one.
    const auto endSourceCursor = [this] {
        const Session& s = workspace_.session;
        if (s.scene.paintTool == PaintTool::TexturePaint && !s.painting.options.settingCloneSource &&
            view_->toolCursor() == kCloneSourceCursor)
            view_->SetToolCursor(kTexturePaintCursor);
    };
    connect(view_, &MainView::strokeEnded, this, endSourceCursor);
    connect(bitmapViews_, &BitmapViewWindows::strokeEnded, this, endSourceCursor);
}

void MainWindow::BuildMenus()
{
    const CommandTable& c = *commands_;
    auto add = [&](QMenu* menu, std::initializer_list<Command> ids) {
        for (Command id : ids)
            menu->addAction(c[id]);
    };

    // Print View is the tool bar's and Ctrl+P's; the menu prints through Print. The recent
    // files are listed in the menu itself, between Print and Preferences.
    fileMenu_ = menuBar()->addMenu("&File");
    add(fileMenu_, {C::Open, C::Save, C::SaveAs});
    fileMenu_->addSeparator();
    add(fileMenu_, {C::ExportMaps, C::ExportModel});
    fileMenu_->addSeparator();
    fileMenu_->addAction(c[C::Print]);
    fileMenu_->addSeparator();
    recentEnd_ = fileMenu_->addSeparator();
    QMenu* preferences = fileMenu_->addMenu("&Preferences");
    add(preferences, {C::RenderLevel, C::MapPaths, C::PointerShape, C::PressureSensitivity, C::BeepOnWarn,
                      C::SpaceWarePrefs, C::UndoPrefs});
    fileMenu_->addSeparator();
    fileMenu_->addAction(c[C::Exit]);
    RefreshRecentMenu();

    QMenu* edit = menuBar()->addMenu("&Edit");
    add(edit, {C::Undo, C::UndoSingle, C::Redo});
    edit->addSeparator();
    add(edit, {C::Cut, C::Copy, C::Paste, C::DropFloater, C::Clear});

    // The control panel's window buttons open its pages; the floating Applicators and
    // Pigments palettes have no other way in, so they follow Ignore Warning.
    QMenu* view = menuBar()->addMenu("&View");
    QMenu* toolbars = view->addMenu("&Toolbars");
    add(toolbars, {C::FileToolbar, C::PositionToolbar, C::ControlPanel});
    add(view, {C::StatusBar, C::InfoWindow, C::ColourPicker, C::IgnoreWarning});
    view->addSeparator();
    add(view, {C::Applicators, C::Pigments});

    QMenu* tools = menuBar()->addMenu("&Tools");
    QMenu* position = tools->addMenu("&Position Object");
    add(position, {C::ZoomExtents, C::Rotate, C::ZoomDynamic, C::ZoomWindow, C::Pan, C::LockPositionTools});
    QMenu* lighting = tools->addMenu("&Lighting");
    add(lighting, {C::LightLock, C::LightToFront, C::MoveLights, C::LightingControls});
    QMenu* utilities = tools->addMenu("&Utilities");
    // The rotation benchmark has no entry: developers time renders with
    // `gessoria-cli render --frames N`.
    utilities->addAction(c[C::RedrawScreen]);
    QMenu* painting = tools->addMenu("Painting &Tools");
    for (const ToolCommand& t : kPaintTools)
        painting->addAction(c[t.command]);
    tools->addSeparator();
    add(tools, {C::MaxOut, C::BrushSettings, C::PaintSettings});

    QMenu* help = menuBar()->addMenu("&Help");
    add(help, {C::HelpTopics, C::KeyboardShortcuts, C::WhatsThis});
    help->addSeparator();
    add(help, {C::About, C::TipOfTheDay, C::PaintingWizard});

    // The view's right-button menu. It words Zoom Extents and What's This its own way, so
    // those two are entries of their own that run the commands.
    auto* popup = new QMenu(this);
    const auto reworded = [&](Command id, const char* text) {
        QAction* command = c[id];
        auto* entry = new QAction(command->icon(), text, popup);
        entry->setShortcuts(command->shortcuts());
        entry->setShortcutContext(Qt::WidgetShortcut);  // shown beside the entry; the command's own key acts
        entry->setStatusTip(command->statusTip());
        connect(entry, &QAction::triggered, command, &QAction::trigger);
        popup->addAction(entry);
    };
    add(popup, {C::BrushTool, C::EraserTool, C::SamplerTool});
    popup->addSeparator();
    popup->addAction(c[C::ColourPicker]);
    popup->addSeparator();
    reworded(C::ZoomExtents, "&Zoom Extents");
    popup->addAction(c[C::LightToFront]);
    popup->addSeparator();
    add(popup, {C::Cut, C::Copy, C::Paste});
    popup->addSeparator();
    reworded(C::WhatsThis, "What's This?");
    view_->SetContextMenu(popup);
}

void MainWindow::On(Command id, void (MainWindow::*handler)())
{
    connect((*commands_)[id], &QAction::triggered, this, handler);
}

void MainWindow::ConnectCommands()
{
    const CommandTable& c = *commands_;
    Preferences& prefs = workspace_.session.preferences;
    On(C::Open, &MainWindow::ChooseAndOpen);
    On(C::Save, &MainWindow::Save);
    On(C::SaveAs, &MainWindow::SaveAs);
    On(C::ExportMaps, &MainWindow::ExportMaps);
    On(C::ExportModel, &MainWindow::ExportModel);
    On(C::Print, &MainWindow::PrintView);
    On(C::PrintView, &MainWindow::PrintView);
    On(C::RenderLevel, &MainWindow::RenderingOptions);
    On(C::MapPaths, &MainWindow::MapPaths);
    On(C::PointerShape, &MainWindow::PointerShape);
    On(C::PressureSensitivity, &MainWindow::PressureSensitivity);
    On(C::UndoPrefs, &MainWindow::UndoPreferences);
    connect(c[C::Exit], &QAction::triggered, this, &QWidget::close);
    c[C::BeepOnWarn]->setChecked(prefs.beepOnWarning != 0);
    connect(c[C::BeepOnWarn], &QAction::toggled, this, [&prefs](bool on) { prefs.beepOnWarning = on ? 1 : 0; });

    On(C::Cut, &MainWindow::Cut);
    On(C::Copy, &MainWindow::Copy);
    On(C::Paste, &MainWindow::Paste);
    On(C::DropFloater, &MainWindow::DropFloater);
    On(C::Clear, &MainWindow::ClearClipboard);
    connect(c[C::Undo], &QAction::triggered, this, [this] { Undo(false); });
    connect(c[C::UndoSingle], &QAction::triggered, this, [this] { Undo(true); });
    On(C::Redo, &MainWindow::Redo);

    On(C::IgnoreWarning, &MainWindow::IgnoreWarning);
    On(C::WarningWindow, &MainWindow::ShowWarning);

    On(C::ZoomExtents, &MainWindow::ZoomExtentsCommand);
    for (const PositionCommand& p : kPositionTools)
        connect(c[p.command], &QAction::triggered, this, [this, tool = p.tool] { SelectPositionTool(tool); });
    On(C::LockPositionTools, &MainWindow::ToggleToolLock);
    On(C::LightLock, &MainWindow::ToggleLightLock);
    On(C::LightToFront, &MainWindow::LightToFrontCommand);
    connect(c[C::RedrawScreen], &QAction::triggered, view_, &MainView::RedrawScreen);
    On(C::Benchmark, &MainWindow::Benchmark);

    for (const ToolCommand& t : kPaintTools)
        connect(c[t.command], &QAction::triggered, this, [this, tool = t.tool] { SelectPaintTool(tool); });

    connect(c[C::HelpTopics], &QAction::triggered, this, [this] { ShowHelp(HelpTopicOfFocus()); });
    connect(c[C::KeyboardShortcuts], &QAction::triggered, this, [this] { ShowHelp(HelpWindow::kShortcutsTopic); });
    connect(c[C::WhatsThis], &QAction::triggered, this, [] { QWhatsThis::enterWhatsThisMode(); });
    On(C::About, &MainWindow::About);
    On(C::TipOfTheDay, &MainWindow::TipOfTheDay);
    connect(c[C::PaintingWizard], &QAction::toggled, this, [this](bool on) { workspace_.paintWizard = on; });

    connect(c[C::RotateLeft], &QAction::triggered, this, [this] { Navigate(ArrowKey::Left, false); });
    connect(c[C::RotateRight], &QAction::triggered, this, [this] { Navigate(ArrowKey::Right, false); });
    connect(c[C::RotateUp], &QAction::triggered, this, [this] { Navigate(ArrowKey::Up, false); });
    connect(c[C::RotateDown], &QAction::triggered, this, [this] { Navigate(ArrowKey::Down, false); });
    connect(c[C::RotateZLeft], &QAction::triggered, this, [this] { Navigate(ArrowKey::Left, true); });
    connect(c[C::RotateZRight], &QAction::triggered, this, [this] { Navigate(ArrowKey::Right, true); });
    connect(c[C::NextPane], &QAction::triggered, this, [this] { focusNextChild(); });
    connect(c[C::PreviousPane], &QAction::triggered, this, [this] { focusPreviousChild(); });
    connect(c[C::FlipHorizontal], &QAction::triggered, bitmapViews_, &BitmapViewWindows::FlipActive);
    connect(c[C::ShrinkBrush], &QAction::triggered, this, [this] { StepProjectionSize(-1); });
    connect(c[C::GrowBrush], &QAction::triggered, this, [this] { StepProjectionSize(+1); });
    connect(c[C::SwapColours], &QAction::triggered, colourPicker_, &ColourPicker::SwapForeBack);
}

void MainWindow::StepProjectionSize(int direction)
{
    int& size = workspace_.session.preferences.projectionSize;
    size = SteppedProjectionSize(size, direction);
    panel_->RefreshVisiblePage();
    view_->RefreshBrushCircle();
    statusPane_->setText(QString("Brush size: %1 px").arg(size));
}

// ---- Files ----

bool OpenSceneBesideItsMaps(Scene& scene, const std::string& path, UserInteraction& ui)
{
    // Scenes usually come with their bitmaps beside them: the scene's own directory is
    // searched first, for this open only. Directories the user adds while locating bitmaps
    // by hand stay in the list.
    const std::string own = std::filesystem::absolute(path).parent_path().string();
    const std::vector<std::string> before = scene.mapPaths.paths();
    const bool added = std::find(before.begin(), before.end(), own) == before.end() && !scene.mapPaths.full();
    if (added) {
        MapPathList withOwn;
        withOwn.Append(own);
        for (const std::string& p : before)
            withOwn.Append(p);
        scene.mapPaths = withOwn;
    }
    const bool opened = OpenSceneFile(scene, path, ui);
    if (added) {
        // The own directory is still the first entry; located directories were appended.
        MapPathList without;
        const std::vector<std::string>& now = scene.mapPaths.paths();
        for (std::size_t i = 1; i < now.size(); ++i)
            without.Append(now[i]);
        scene.mapPaths = without;
    }
    return opened;
}

void MainWindow::ChooseAndOpen()
{
    // The engine's filter form: "Description (patterns) |patterns|" per entry, "|" to end.
    const auto entry = [](const QString& description, const QString& patterns) {
        return description + " (" + patterns + ") |" + QString(patterns).replace(' ', ';') + "|";
    };
    // Models of other programs open through the same flow; the first filter shows everything.
    const QString models = "*.obj *.gltf *.glb *.fbx *.dae *.ply *.stl";
    const QString scenes = ProjectFilesAvailable() ? "*.gsr *.3ds *.prj" : "*.3ds *.prj";
    QString filter = entry("Scenes and models", scenes + " " + models);
    if (ProjectFilesAvailable())
        filter += entry("Gessoria and 3D Studio files", "*.gsr *.3ds *.prj") + entry("Gessoria projects", "*.gsr");
    filter += entry("3D Studio files", "*.3ds *.prj") + entry("Models", models) + entry("All Files", "*.*") + "|";
    if (!ConfirmDiscardChanges())
        return;
    const std::filesystem::path& ini = workspace_.session.iniPath;
    const std::optional<std::string> path =
        ui_.ChooseDocumentToOpen(filter.toStdString(), OpenStartFolder(documentPath_, ini).toStdString());
    if (!path || path->empty())
        return;
    const QString chosen = QString::fromStdString(*path);
    if (OpenFile(chosen, true))
        RememberOpenFolder(chosen, ini);
}

bool MainWindow::OpenFile(const QString& path, bool throughDialog)
{
    Session& session = workspace_.session;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool project = path.endsWith(".gsr", Qt::CaseInsensitive);
    // A scene file's "Texturemap Size" choices are remembered for it.
    TextureMapSizeMemory remembering(ui_, session.iniPath, QFileInfo(path).absoluteFilePath().toStdString());
    const bool opened = project ? OpenSessionFile(session, path.toStdString(), ui_)
                                : OpenSceneBesideItsMaps(session.scene, path.toStdString(), remembering);
    QApplication::restoreOverrideCursor();
    statusPane_->setText(CommandTable::StatusText("Ready\tFor Help, press F1"));
    if (!opened)
        return false;
    if (throughDialog && project)
        session.ProjectOpenedFromDialog();
    session.changes.Reset();
    suggestedProjectPath_.clear();
    projectPath_ = project ? path : QString();
    recent_.Add(path);
    RefreshRecentMenu();
    UpdateTitle(path);
    // A new scene starts with the Brush tool selected and no position tool.
    workspace_.render.currentLevel = workspace_.render.stillLevel;
    // The old scene's selection and floater go with it; what was copied stays on the clipboard.
    workspace_.floaters.Forget();
    view_->ShowFloaterChange({});
    SetPaintTool(PaintTool::Brush);
    panel_->ShowPage(PanelPage::Brush);
    UpdateUndoCommands();
    view_->RedrawScreen();
    return true;
}

void MainWindow::StartHostLink()
{
    if (hostLink_ != nullptr)
        return;
    HostLinkPort::Window window;
    window.mayReplaceScene = [this] {
        if (!ConfirmDiscardChanges())
            return false;
        // The scene comes in front of the user, as an opened file would.
        show();
        raise();
        activateWindow();
        QApplication::setOverrideCursor(Qt::WaitCursor);
        return true;
    };
    window.sceneReceived = [this](bool loaded) {
        QApplication::restoreOverrideCursor();
        HostSceneReceived(loaded);
    };
    hostLink_ = new HostLinkPort(workspace_.session, ui_, std::move(window), this);
    const QString note = hostLink_->Start();
    if (note.isEmpty())
        return;
    linkNote_ = new QLabel("No host link", statusBar());
    linkNote_->setToolTip(note);
    linkNote_->setStatusTip(note);
    statusBar()->addPermanentWidget(linkNote_);
    statusPane_->setText(note);
}

void MainWindow::HostSceneReceived(bool loaded)
{
    Session& session = workspace_.session;
    statusPane_->setText(CommandTable::StatusText("Ready\tFor Help, press F1"));
    // A received scene is new work of no file; a refused one leaves nothing to save.
    session.changes.Reset();
    projectPath_.clear();
    suggestedProjectPath_.clear();
    UpdateTitle(QString());
    workspace_.floaters.Forget();
    view_->ShowFloaterChange({});
    if (loaded) {
        workspace_.render.currentLevel = workspace_.render.stillLevel;
        SetPaintTool(PaintTool::Brush);
        panel_->ShowPage(PanelPage::Brush);
        WarnOfTablet();
    }
    panel_->RefreshVisiblePage();
    UpdateUndoCommands();
    view_->RedrawScreen();
}

void MainWindow::Save() { SaveDocument(); }

void MainWindow::SaveAs() { SaveDocumentAs(); }

void MainWindow::ExportMaps()
{
    Session& session = workspace_.session;
    if (!session.scene.loaded())
        return;
    ExportMapsDialog dialog(LoadExportMapsSettings(session.iniPath), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const ExportMapsSettings settings = dialog.settings();
    SaveExportMapsSettings(session.iniPath, settings);
    if (settings.folder.isEmpty())
        return;
    std::vector<std::filesystem::path> written;
    std::string error;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool ok = gessoria::ExportMaps(session.scene, settings.folder.toStdString(), settings.options, written, error);
    QApplication::restoreOverrideCursor();
    if (!ok)
        ui_.Tell("Error: Unable to save file " + error, MessageIcon::Error);
    else
        statusPane_->setText(QString("%1 maps written to %2").arg(written.size()).arg(settings.folder));
}

void MainWindow::ExportModel()
{
    Session& session = workspace_.session;
    if (!session.scene.loaded())
        return;
    // Asked through the user interaction, as every file question is, so scripted runs and
    // tests answer it as they answer Save As. A name without an ending gets ".glb".
    const std::optional<std::string> chosen =
        ui_.ChooseFileToSave("glTF binary (*.glb) |*.glb|glTF (*.gltf) |*.gltf|Wavefront OBJ (*.obj) |*.obj||", ".glb", "");
    if (!chosen || chosen->empty())
        return;
    const QString path = QString::fromStdString(*chosen);
    // The maps beside the model take the padding last chosen for Export Maps.
    const int padding = LoadExportMapsSettings(session.iniPath).options.padding;
    std::string error;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool ok = gessoria::ExportModel(session.scene, path.toStdString(), padding, error);
    QApplication::restoreOverrideCursor();
    if (!ok)
        ui_.Tell("Error: Unable to save file " + path.toStdString() + "\n" + error, MessageIcon::Error);
}

bool MainWindow::SaveTo(const QString& path)
{
    if (!workspace_.session.scene.loaded())
        return false;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::uint64_t changes = workspace_.session.changes.count();
    const std::optional<std::filesystem::path> written =
        SaveSessionProject(workspace_.session, std::filesystem::path(path.toStdString()), ui_);
    QApplication::restoreOverrideCursor();
    statusPane_->setText(CommandTable::StatusText("Ready\tFor Help, press F1"));
    if (!written)
        return false;
    workspace_.session.changes.SavedAt(changes);
    suggestedProjectPath_.clear();
    projectPath_ = QString::fromStdString(written->string());
    recent_.Add(projectPath_);
    RefreshRecentMenu();
    UpdateTitle(projectPath_);
    emit saved();
    return true;
}

void MainWindow::RefreshRecentMenu()
{
    qDeleteAll(recentActions_);
    recentActions_.clear();
    int number = 1;
    for (const QString& path : recent_.entries()) {
        auto* action = new QAction(QString("&%1 %2").arg(number++).arg(QFileInfo(path).fileName()), fileMenu_);
        action->setStatusTip("Open " + path);
        connect(action, &QAction::triggered, this, [this, path] {
            if (ConfirmDiscardChanges())
                OpenFile(path, false);
        });
        fileMenu_->insertAction(recentEnd_, action);
        recentActions_.push_back(action);
    }
    // Without recent files their closing separator would double the one after Print.
    recentEnd_->setVisible(!recentActions_.empty());
}

void MainWindow::UpdateTitle(const QString& path)
{
    documentPath_ = path;
    ShowTitle();
}

void MainWindow::PrintView()
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    QPainter painter;
    if (!painter.begin(&printer)) {
        ui_.Tell("The printer could not be started.", MessageIcon::Error);
        return;
    }
    // The view's picture as large as the page allows, keeping its proportions.
    const QImage& picture = view_->picture();
    const QRect page = painter.viewport();
    QSize size = picture.size();
    size.scale(page.size(), Qt::KeepAspectRatio);
    painter.drawImage(QRect(page.topLeft(), size), picture);
    painter.end();
}

// ---- Tools ----

void MainWindow::SelectPaintTool(PaintTool tool)
{
    Scene& scene = workspace_.session.scene;
    const PanelPage page = ControlPanel::PageOfTool(tool);
    // A second press deselects the tool, but only while its page is the one shown: with
    // another page in front, the press brings the tool's page back.
    const bool deselect = scene.paintTool == tool && panel_->PageVisible(page);
    const PaintTool before = scene.paintTool;
    gessoria::SelectPaintTool(scene, tool, workspace_.session.paints.current(), ui_);
    scene.paintTool = before;
    for (const ToolHint& hint : kToolHints)
        if (hint.tool == tool)
            ui_.ShowHint(0, scene.loaded() ? hint.text : "Until you load an object you won't be able to paint on anything.");
    if (deselect) {
        SetPaintTool(PaintTool::None);
        return;
    }
    SetPaintTool(tool);
    panel_->ShowPage(page);
}

void MainWindow::SetPaintTool(PaintTool tool)
{
    // Leaving the Selection tool ends it as Deselect All does: the selection's outline goes
    // and a floater being placed is laid down, so no preview is left on the surface for
    // other tools to paint into.
    if (workspace_.session.scene.paintTool == PaintTool::Selection && tool != PaintTool::Selection &&
        workspace_.floaters.CanDrop())
        AfterFloaterCommand(workspace_.floaters.DeselectAll(view_->MakePainter(PaintTool::Selection),
                                                            workspace_.session.painting));
    workspace_.session.scene.paintTool = tool;
    const char* prompt = "Ready\tFor Help, press F1";
    for (const ToolCommand& t : kPaintTools)
        if (t.tool == tool)
            prompt = CommandTable::Info(t.command).prompt;
    statusPane_->setText(CommandTable::StatusText(prompt));
    panel_->ShowCurrentTool(tool);
    UpdateToolChecks();
}

void MainWindow::SelectPositionTool(PositionTool tool)
{
    Scene& scene = workspace_.session.scene;
    const bool deselect = scene.positionTool == static_cast<std::int8_t>(tool);
    scene.positionTool = static_cast<std::int8_t>(deselect ? PositionTool::None : tool);
    if (!deselect)
        for (const PositionCommand& p : kPositionTools)
            if (p.tool == tool && p.hintText)
                ui_.ShowHint(p.hint, p.hintText);
    UpdateToolChecks();
}

void MainWindow::PositionToolLapsed()
{
    UpdateToolChecks();
}

void MainWindow::UpdateToolChecks()
{
    const Scene& scene = workspace_.session.scene;
    const CommandTable& c = *commands_;
    int cursor = CursorOfPaintTool(scene.paintTool);
    for (const ToolCommand& t : kPaintTools)
        c[t.command]->setChecked(scene.paintTool == t.tool);
    for (const PositionCommand& p : kPositionTools) {
        const bool on = scene.positionTool == static_cast<std::int8_t>(p.tool);
        c[p.command]->setChecked(on);
        if (on)
            cursor = p.cursor;
    }
    const Preferences& prefs = workspace_.session.preferences;
    c[C::LockPositionTools]->setChecked(prefs.toolLock != 0);
    c[C::LightLock]->setChecked(prefs.lockLight != 0);
    view_->SetToolCursor(cursor);
    view_->RefreshBrushCircle();
}

void MainWindow::ToggleToolLock()
{
    Preferences& prefs = workspace_.session.preferences;
    prefs.toolLock = prefs.toolLock ? 0 : 1;
    if (prefs.toolLock)
        ui_.ShowHint(61204, kHintToolLock);
    else
        workspace_.session.scene.positionTool = static_cast<std::int8_t>(PositionTool::None);
    UpdateToolChecks();
}

void MainWindow::ToggleLightLock()
{
    Preferences& prefs = workspace_.session.preferences;
    prefs.lockLight = prefs.lockLight ? 0 : 1;
    UpdateToolChecks();
}

void MainWindow::Navigate(ArrowKey key, bool ctrl)
{
    ArrowKeyTurn(workspace_.session.scene.camera, key, ctrl);
    view_->Render();
}

void MainWindow::ZoomExtentsCommand()
{
    Scene& scene = workspace_.session.scene;
    if (scene.loaded())
        ZoomExtents(scene);
    ui_.ShowHint(61209, kHintZoomExtents);
    view_->Render();
}

void MainWindow::LightToFrontCommand()
{
    LightToFront(workspace_.session.scene.camera);
    view_->Render();
}

void MainWindow::Benchmark()
{
    RunRotationBenchmark(workspace_.session.scene, [this] {
        view_->Render();
        view_->repaint();
    }, ui_);
}

void MainWindow::FixFloaterBeforeUndo()
{
    view_->ShowFloaterChange(workspace_.floaters.FixBeforeUndo(view_->MakePainter(PaintTool::Selection),
                                                               workspace_.session.painting));
}

void MainWindow::Undo(bool single)
{
    Scene& scene = workspace_.session.scene;
    FixFloaterBeforeUndo();
    if (scene.undoBuffer.Undo(scene, single))
        view_->Render();
    UpdateUndoCommands();
}

void MainWindow::Redo()
{
    Scene& scene = workspace_.session.scene;
    FixFloaterBeforeUndo();
    if (scene.undoBuffer.Redo(scene))
        view_->Render();
    UpdateUndoCommands();
}

void MainWindow::UpdateUndoCommands()
{
    const UndoBuffer& undo = workspace_.session.scene.undoBuffer;
    const CommandTable& c = *commands_;
    c[C::Undo]->setEnabled(undo.undoAvailable());
    c[C::UndoSingle]->setEnabled(undo.undoAvailable());
    c[C::Redo]->setEnabled(undo.redoAvailable());
}

// ---- Selection, floater and clipboard ----

void MainWindow::SetClipboard(ClipboardPort& clipboard)
{
    clipboard_ = &clipboard;
    UpdateEditCommands();
}

void MainWindow::AfterFloaterCommand(const ScreenRect& changed)
{
    view_->ShowFloaterChange(changed);
    UpdateUndoCommands();
    UpdateEditCommands();
}

void MainWindow::Cut()
{
    if (workspace_.floaters.CanCopy())
        AfterFloaterCommand(workspace_.floaters.Cut(view_->MakePainter(PaintTool::Selection), *clipboard_));
}

void MainWindow::Copy()
{
    if (workspace_.floaters.CanCopy())
        AfterFloaterCommand(workspace_.floaters.Copy(view_->MakePainter(PaintTool::Selection), *clipboard_));
}

void MainWindow::Paste()
{
    if (!FloaterEditor::CanPaste(*clipboard_))
        return;
    const ScreenRect changed = workspace_.floaters.Paste(view_->MakePainter(PaintTool::Selection), *clipboard_);
    // Paste makes the Selection tool current, so the next click places what was pasted.
    if (workspace_.session.scene.paintTool == PaintTool::Selection) {
        SetPaintTool(PaintTool::Selection);
        panel_->ShowPage(PanelPage::Selection);
    }
    AfterFloaterCommand(changed);
}

void MainWindow::DropFloater()
{
    if (workspace_.floaters.CanDrop())
        AfterFloaterCommand(workspace_.floaters.DeselectAll(view_->MakePainter(PaintTool::Selection),
                                                            workspace_.session.painting));
}

void MainWindow::ClearClipboard()
{
    AfterFloaterCommand(workspace_.floaters.ClearClipboard(view_->MakePainter(PaintTool::Selection), *clipboard_));
}

void MainWindow::UpdateEditCommands()
{
    const FloaterEditor& floaters = workspace_.floaters;
    const CommandTable& c = *commands_;
    c[C::Cut]->setEnabled(floaters.CanCopy());
    c[C::Copy]->setEnabled(floaters.CanCopy());
    c[C::Paste]->setEnabled(FloaterEditor::CanPaste(*clipboard_));
    c[C::DropFloater]->setEnabled(floaters.CanDrop());
}

void MainWindow::CreateText(const std::string& text, const TextFont& font)
{
    Scene& scene = workspace_.session.scene;
    std::optional<Floater> floater = gessoria::CreateText(scene, text, font, ui_);
    if (!floater) {
        ui_.Tell("The text could not be drawn: type some text and choose a font that can be had.", MessageIcon::Warning);
        return;
    }
    const ScreenRect changed = workspace_.floaters.TakeTextFloater(view_->MakePainter(PaintTool::Selection),
                                                                   std::move(*floater));
    SetPaintTool(PaintTool::Selection);
    panel_->ShowPage(PanelPage::Selection);
    AfterFloaterCommand(changed);
    ShowWarning();
}

// ---- Warnings ----

void MainWindow::ShowWarning()
{
    const WarningWindow::Pending pending = warnings_.Press();
    if (pending.kind == WarningKind::Question) {
        if (ui_.Ask(pending.text.toStdString()))
            workspace_.pressureSensitivity = false;
        return;
    }
    ui_.Tell(pending.text.toStdString());
}

void MainWindow::WarnOfTablet()
{
    for (const QInputDevice* device : QInputDevice::devices())
        if (device->type() == QInputDevice::DeviceType::Stylus && workspace_.pressureSensitivity) {
            warnings_.Raise(WarningWindow::kPressureTabletQuestion, WarningKind::Question);
            return;
        }
}

void MainWindow::IgnoreWarning()
{
    warnings_.Ignore();
    ui_.ShowHint(0, WarningWindow::kIgnoredHint);
}

// ---- Dialogs ----

void MainWindow::RenderingOptions()
{
    ui_.ShowHint(61228, kHintRenderLevel);
    Preferences& prefs = workspace_.session.preferences;
    Scene& scene = workspace_.session.scene;
    RenderSettings& render = workspace_.render;
    RenderingOptionsDialog dialog({render.stillLevel, render.moveLevel, render.forceTwoSided, prefs.dualLight != 0,
                                   scene.wireAcceleration},
                                  this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    bool dualLight = prefs.dualLight != 0;
    ApplyRenderingOptions(dialog.answer(), render, dualLight, scene.wireAcceleration);
    prefs.dualLight = dualLight ? 1 : 0;
    prefs.stillRenderLevel = static_cast<std::int8_t>(render.stillLevel);
    prefs.moveRenderLevel = static_cast<std::int8_t>(render.moveLevel);
    prefs.forceTwoSided = render.forceTwoSided ? 1 : 0;
    view_->RedrawScreen();
}

void MainWindow::MapPaths()
{
    ui_.ShowHint(0, kHintMapPaths);
    MapPathsDialog dialog(workspace_.session.scene.mapPaths, ui_, this);
    if (dialog.exec() == QDialog::Accepted)
        dialog.Accept(workspace_.session.scene.mapPaths);
}

void MainWindow::PointerShape()
{
    Preferences& prefs = workspace_.session.preferences;
    std::unique_ptr<SwitchDialog> dialog(MakePointerShapeDialog(prefs.iconCursors != 0, this));
    if (dialog->exec() != QDialog::Accepted)
        return;
    prefs.iconCursors = dialog->on() ? 1 : 0;
    view_->RefreshCursor();
}

void MainWindow::PressureSensitivity()
{
    std::unique_ptr<SwitchDialog> dialog(MakePressureSensitivityDialog(workspace_.pressureSensitivity, this));
    if (dialog->exec() == QDialog::Accepted)
        workspace_.pressureSensitivity = dialog->on();
}

void MainWindow::UndoPreferences()
{
    Scene& scene = workspace_.session.scene;
    Preferences& prefs = workspace_.session.preferences;
    UndoPreferencesDialog dialog(scene.undo.enabled, scene.undo.sizeMegabytes, prefs.autosaveMinutes, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (dialog.autosaveMinutes() != prefs.autosaveMinutes) {
        prefs.autosaveMinutes = dialog.autosaveMinutes();
        emit autosaveMinutesChanged(prefs.autosaveMinutes);
    }
    bool use = scene.undo.enabled;
    int megabytes = scene.undo.sizeMegabytes;
    // The ring exists only while a scene is loaded; without one the settings wait for it.
    if (scene.loaded()) {
        scene.undoInUse = ConfigureUndo(scene.undoBuffer, use, megabytes, dialog.useUndo(), dialog.megabytes(), ui_);
    } else {
        use = dialog.useUndo();
        megabytes = dialog.megabytes();
    }
    scene.undo = {use, megabytes};
    UpdateUndoCommands();
    prefs.useUndo = use ? 1 : 0;
    prefs.bufferSize = megabytes;
}

void MainWindow::About()
{
    AboutDialog dialog(GatherAboutInfo(workspace_.session.scene), this);
    dialog.exec();
}

void MainWindow::TipOfTheDay()
{
    TipDialog dialog(workspace_.session.iniPath, TipsFilePath(), this);
    dialog.exec();
}

// ---- Lock-key indicators ----

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Hide || event->type() == QEvent::Show) {
        if (watched == colourPicker_)
            (*commands_)[C::ColourPicker]->setChecked(colourPicker_->isVisible());
        else if (watched == infoWindow_)
            (*commands_)[C::InfoWindow]->setChecked(infoWindow_->isVisible());
        else if (watched == applicators_)
            (*commands_)[C::Applicators]->setChecked(applicators_->isVisible());
        else if (watched == pigments_)
            (*commands_)[C::Pigments]->setChecked(pigments_->isVisible());
    }
    // A What's This text's link names the manual's page.
    if (event->type() == QEvent::WhatsThisClicked) {
        ShowHelp(static_cast<QWhatsThisClickedEvent*>(event)->href());
        return true;
    }
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (event->type() == QEvent::KeyPress && key->key() == Qt::Key_ScrollLock && !key->isAutoRepeat())
            scrollLock_ = !scrollLock_;
        UpdateLockIndicators(key->nativeModifiers());
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::UpdateLockIndicators(quint32 nativeModifiers)
{
    // An indicator whose lock is off shows its name greyed.
    capsIndicator_->setEnabled((nativeModifiers & kCapsLockMask) != 0);
    numIndicator_->setEnabled((nativeModifiers & kNumLockMask) != 0);
    scrollIndicator_->setEnabled(scrollLock_);
}

} // namespace gessoria::app
