#include "app/CommandTable.h"

#include "app/Resources.h"
#include "app/help/HelpTopics.h"

#include <QIcon>
#include <QKeySequence>
#include <QWidget>

namespace gessoria::app {
namespace {

using C = Command;

// Ordered by Command. `available` is false for the features of later work. Cut, Copy, Paste and Drop Floater are enabled by
// the main window as the selection, the floater and the clipboard allow.
const CommandInfo kCommands[] = {
    {C::Open, "&Open...\tCtrl+O", "Open an existing scene or project\nOpen", "Ctrl+O", "open", false, true},
    {C::Save, "&Save\tCtrl+S", "Save the active project\nSave", "Ctrl+S", "save", false, true},
    {C::SaveAs, "Save &As...\tCtrl+Shift+S", "Save the active project with a new name\nSave As", "Ctrl+Shift+S", nullptr, false, true},
    {C::ExportMaps, "Export &Maps...", "Write the painted maps as image files, padded past the texture seams\nExport Maps", "", nullptr, false, true},
    {C::ExportModel, "Export Mo&del...", "Write the model with its painted maps for other programs\nExport Model", "", nullptr, false, true},
    {C::Print, "&Print...", "Print the main view\nPrint", "", nullptr, false, true},
    {C::PrintView, "Print &View\tCtrl+P", "Print the picture in the main view\nPrint View", "Ctrl+P", "print", false, true},
    {C::RenderLevel, "&Render Level...", "Choose the render levels and drawing options\nRendering Levels", "", "renderlevel", false, true},
    {C::MapPaths, "&Map Paths...", "Edit the directories searched for material bitmaps\nMap Paths", "", nullptr, false, true},
    {C::PointerShape, "&Pointer Shape", "Choose icon cursors or precise crosshairs\nPointer Shape", "", nullptr, false, true},
    {C::PressureSensitivity, "Pressure &Sensitivity", "For toggling pressure sensitivity when you have a pressure sensitive tablet\nPressure Sensitivity", "", nullptr, false, true},
    {C::BeepOnWarn, "&Beep On Warn", "Beep when the Warning Window lights up\nBeep On Warn", "", nullptr, true, true},
    {C::SpaceWarePrefs, "Space&Ware Prefs", "Settings of a six-axis controller\nSpaceWare Prefs", "", nullptr, false, true},
    {C::UndoPrefs, "&Undo Prefs", "Switch the undo buffer on or off, choose its size and how often unsaved work is autosaved\nUndo Prefs", "", nullptr, false, true},
    {C::Exit, "E&xit\tCtrl+Q", "Quit the application; saves preferences and libraries\nExit", "Ctrl+Q", nullptr, false, true},

    {C::Undo, "&Undo\tCtrl+Z", "Undo the last stroke\nUndo", "Ctrl+Z;Alt+Backspace", "undo", false, true},
    {C::UndoSingle, "Undo &Single\tCtrl+Alt+Z", "Undo the last dab\nUndo Single", "Ctrl+Alt+Z", nullptr, false, true},
    {C::Redo, "&Redo\tCtrl+A", "Redo last stroke\nRedo", "Ctrl+A;Ctrl+Shift+Z;Ctrl+Y", "redo", false, true},
    {C::Cut, "Cu&t\tCtrl+X", "Cut the selection and put it on the Clipboard\nCut", "Ctrl+X;Shift+Del", "cut", false, true},
    {C::Copy, "&Copy\tCtrl+C", "Copy the selection and put it on the Clipboard\nCopy", "Ctrl+C;Ctrl+Ins", "copy", false, true},
    {C::Paste, "&Paste\tCtrl+V", "Insert Clipboard contents\nPaste", "Ctrl+V;Shift+Ins", "paste", false, true},
    {C::DropFloater, "&Drop Floater\tCtrl+D", "Drop the floating selection (Deselect All)\nDrop Floater", "Ctrl+D", nullptr, false, true},
    {C::Clear, "C&lear", "Empty the Clipboard and discard the floater being placed\nClear Clipboard", "", nullptr, false, true},

    {C::FileToolbar, "&File Toolbar", "Show or hide the file toolbar\nFile Toolbar", "", nullptr, true, true},
    {C::PositionToolbar, "&Position Toolbar", "Show or hide the position toolbar\nPosition Toolbar", "", nullptr, true, true},
    {C::ControlPanel, "&Control Panel", "Show or hide the control panel\nControl Panel", "", nullptr, true, true},
    {C::StatusBar, "&Status Bar", "Show or hide the status bar\nStatus Bar", "", nullptr, true, true},
    {C::InfoWindow, "&Info Window", "Show or hide the Info Window\nInfo Window", "", "infowindow", true, true},
    {C::ColourPicker, "Co&lour Picker", "Show or hide the Colour Picker\nColour Picker", "", "colourpicker", true, true},
    {C::IgnoreWarning, "&Ignore Warning\tI", "Put out the Warning Window without reading it\nIgnore Warning", "I", nullptr, false, true},
    {C::WarningWindow, "&Warning Window", "Show the last warning\nWarning Window", "", "warning", false, true},
    {C::ViewBookmarks, "View &Bookmarks", "Show the view bookmarks page\nView Bookmarks", "", "bookmarks", false, true},
    {C::LayersWindow, "&Layers Window", "Show the layers page\nLayers Window", "", "layers", false, true},
    {C::ObjectsWindow, "&Objects Window", "Show the objects page: hide, show, freeze objects\nObjects Window", "", "objects", false, true},
    {C::Applicators, "&Applicators", "Show or hide the list of applicators (brushes)\nApplicators", "", nullptr, true, true},
    {C::Pigments, "Pi&gments", "Show or hide the list of pigments (paints)\nPigments", "", nullptr, true, true},

    {C::ZoomExtents, "Zoom &Extents\tAlt+Z", "Fit the whole scene into the view\nZoom Extents (Alt+Z)", "Alt+Z;Home", "zoomextents", false, true},
    {C::Rotate, "&Rotate\tR", "Rotate the objects; hold Ctrl to turn about the Z axis\nRotate (R)", "R", "rotate", true, true},
    {C::ZoomDynamic, "Zoom &Dynamic\tZ", "Zoom by dragging up and down\nZoom Dynamic (Z)", "Z", "zoomdynamic", true, true},
    {C::ZoomWindow, "Zoom &Window\tW", "Zoom into a rectangle dragged in the view\nZoom Region (W)", "W", "zoomwindow", true, true},
    {C::Pan, "&Pan\tP", "Move the objects along the X and Y axes of the screen\nPan (P)", "P", "pan", true, true},
    {C::LockPositionTools, "&Lock Position Tools", "Keep a position tool selected after it has been used\nLock Position Tools", "", "lock", true, true},
    {C::LightLock, "Light Lo&ck", "Lock the spotlight to the viewport\nLight Lock", "", "lightlock", true, true},
    {C::LightToFront, "&Light To Front", "Turn the spotlight to shine from the viewer\nLight To Front", "", "lighttofront", false, true},
    {C::MoveLights, "&Move Lights", "Move the spotlight by dragging in the view\nMove Lights", "", "movelights", true, true},
    {C::LightingControls, "Lighting &Controls", "Show the lighting controls\nLighting Controls", "", "lights", false, true},
    {C::RedrawScreen, "&Redraw Screen\tF5", "Redraws the Main View\nRedraw Screen", "F5", nullptr, false, true},
    {C::Benchmark, "Rotation &Benchmark", "Performs 100 rotate transforms with timing to present a 'frames per second' speed\nBenchmark", "", nullptr, false, true},

    {C::BrushTool, "&Brush Tool\tB", "Brush Tool: +Ctrl = Sample Foreground\tFor help press F1\nBrush Tool (B)", "B", "brush", true, true},
    {C::FillTool, "&Fill Tool\tF", "Fill Tool:\tFor help press F1\nFill Tool (F)", "F", "fill", true, true},
    {C::LineTool, "&Line/Polygon Tool\tL", "Line Tool:\tFor help press F1\nLine/Polygon Tool (L)", "L", "line", true, true},
    {C::TexturePaintTool, "&Texture Paint", "Clone and Textured Paint Tool:\tFor help press F1\nTexture Paint", "", "texturepaint", true, true},
    {C::TextTool, "Te&xt Tool", "Text Tool:\tFor help press F1\nText Tool", "", "text", true, true},
    {C::SamplerTool, "Colour &Sampler", "Sampler Tool: +Ctrl = Sample Background\tFor help press F1\nColour Sampler", "", "sampler", true, true},
    {C::EraserTool, "&Erase Tool\tE", "Eraser Tool: +Ctrl = Sample Background\tFor help press F1\nErase Tool (E)", "E", "eraser", true, true},
    {C::SelectionTool, "Selectio&n Tool", "Selection Tool:\tFor help press F1\nSelection Tool", "", "selection", true, true},
    {C::MaxOut, "&MAX Out!", "Send the painted maps back to the modelling host\nMAX Out!", "", "maxout", false, true},
    {C::BrushSettings, "&Brush Settings...\tCtrl+Shift+B", "Edit the current applicator\nApplicator Settings", "Ctrl+Shift+B", nullptr, false, true},
    {C::PaintSettings, "&Paint Settings...\tCtrl+Shift+P", "Edit the current pigment\nPigment Settings", "Ctrl+Shift+P", nullptr, false, true},

    {C::HelpTopics, "&Help Topics\tF1", "List Help topics\nHelp Topics", "F1", nullptr, false, true},
    {C::WhatsThis, "&What's This?\tShift+F1", "Display help for clicked on buttons, menus and windows\nWhat's This", "Shift+F1", "whatsthis", false, true},
    {C::About, "&About Gessoria...", "Display program information, version number and copyright\nAbout", "", "about", false, true},
    {C::TipOfTheDay, "&Tip Of The Day...", "Display a tip about using the program\nTip Of The Day", "", nullptr, false, true},
    {C::PaintingWizard, "&Painting Wizard", "Show hints while you work\nPainting Wizard", "", "wizard", true, true},
    {C::KeyboardShortcuts, "&Keyboard Shortcuts", "List every command's keys\nKeyboard Shortcuts", "", nullptr, false, true},

    {C::RotateLeft, "Rotate Left", "Rotate Left\nRotate Left", "Left", nullptr, false, true},
    {C::RotateRight, "Rotate Right", "Rotate right\nRotate Right", "Right", nullptr, false, true},
    {C::RotateUp, "Rotate Up", "Rotate up\nRotate Up", "Up", nullptr, false, true},
    {C::RotateDown, "Rotate Down", "Rotate down\nRotate Down", "Down", nullptr, false, true},
    {C::RotateZLeft, "Rotate Z Left", "Rotate about the Z axis\nRotate Z", "Ctrl+Left", nullptr, false, true},
    {C::RotateZRight, "Rotate Z Right", "Rotate about the Z axis\nRotate Z", "Ctrl+Right", nullptr, false, true},
    {C::NextPane, "Next Pane", "Switch to the next window pane\nNext Pane", "F6", nullptr, false, true},
    {C::PreviousPane, "Previous Pane", "Switch back to the previous window pane\nPrevious Pane", "Shift+F6", nullptr, false, true},
    {C::FlipHorizontal, "Flip Horizontal", "Flip the bitmap view horizontally\nFlip Horizontal", "Ctrl+Shift+Alt+F12", nullptr, false, true},
    {C::ShrinkBrush, "Smaller Brush", "Make the projected dab smaller\nSmaller Brush ([)", "[", nullptr, false, true},
    {C::GrowBrush, "Larger Brush", "Make the projected dab larger\nLarger Brush (])", "]", nullptr, false, true},
    {C::SwapColours, "Swap Colours", "Swap the foreground and background colours\nSwap Colours (X)", "X", nullptr, false, true},
};
static_assert(std::size(kCommands) == static_cast<std::size_t>(Command::Count));

} // namespace

const CommandInfo& CommandTable::Info(Command id)
{
    return kCommands[static_cast<std::size_t>(id)];
}

QString CommandTable::StatusText(const char* prompt)
{
    QString text = QString(prompt).section('\n', 0, 0);
    return text.replace('\t', "    ");
}

QString CommandTable::WhatsThisText(Command id)
{
    QString text = "<p>" + StatusText(Info(id).prompt).toHtmlEscaped() + "</p>";
    const QString topic = HelpTopicOfCommand(id);
    if (!topic.isEmpty())
        text += QString("<p><a href=\"%1\">More in the manual</a></p>").arg(topic);
    return text;
}

CommandTable::CommandTable(QWidget* window) : QObject(window)
{
    InitResources();
    for (std::size_t i = 0; i < actions_.size(); ++i) {
        const CommandInfo& info = kCommands[i];
        Q_ASSERT(static_cast<std::size_t>(info.id) == i);
        auto* action = new QAction(QString(info.text).section('\t', 0, 0), window);
        QList<QKeySequence> keys;
        for (const QString& key : QString(info.keys).split(';', Qt::SkipEmptyParts))
            keys << QKeySequence(key);
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        if (info.icon)
            action->setIcon(QIcon(QString(":/icons/%1.svg").arg(info.icon)));
        action->setStatusTip(StatusText(info.prompt));
        action->setToolTip(QString(info.prompt).section('\n', 1));
        action->setWhatsThis(WhatsThisText(info.id));
        action->setCheckable(info.checkable);
        action->setEnabled(info.available);
        window->addAction(action);
        actions_[i] = action;
    }
}

} // namespace gessoria::app
